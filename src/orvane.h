#ifndef ORVANE_H
#define ORVANE_H

#include <stddef.h>

/* One catalogue entry: a 4-character short name or a 9-character long name,
 * or the terminator "END". Fixed width, so the table needs no relocations. */
enum { staWidth = 10 };

extern const char *progName;
extern const char version[];
extern const char staName[][staWidth];
extern const size_t staRows; /* rows before the terminator */

[[noreturn]] void HelpPrint(void);
const char *sta4to9char(const char *code);

#endif
