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

/* The catalogue's long name of a station code (its first four characters
 * compared), or NULL. */
const char *sta4to9char(const char *code);

/* What convertName makes of a short name: the long name, or the first check
 * it fails, in the order orvane makes them. */
enum Refusal {
	convOk,
	convName,
	convDay,
	convHour,
	convMinute,
	convYear,
	convType,
	convSurplus,
	convStation,
	convSuffix,
};

/* Each refusal's message, a printf format quoting one text with %s. */
extern const char *const convMessage[];

/* The fields of a long name, printed with LONG_NAME: station, suffix, the
 * data source (the caller's), year, day, hour, minute, interval, cadence,
 * type and extension. station may point into the structure itself, so it is
 * used where convertName filled it, never copied. */
struct LongName {
	const char *station;            /* nine characters, or the code in capitals */
	const char *suffix;             /* as typed, or "" with a catalogue name */
	int century, year, day, minute; /* year: the name's two digits */
	const char *hour, *interval, *cadence, *type, *extension;
	const char *quoted; /* what a refusal's message quotes */
	char code[5], upper[5], field[2];
};
#define LONG_NAME "%s%s_%s_20%02d%03d%2s%02d_%s%s_%s.%s"

/* White space as isspace sees it in the C locale. */
int isWhiteSpace(char c);

/* Converts a short name with the suffix typed after it, or with none (NULL)
 * by the station lookup given; surplus is an argument beyond the suffix, or
 * NULL. Returns convOk or the refusal; ends nothing, prints nothing, keeps
 * nothing, so that any number of threads may call it at once. */
enum Refusal convertName(const char *name, const char *suffix, const char *surplus,
			 const char *(*lookup)(const char *code), struct LongName *ln);

/* The same, but the years 81 to 99 stand for 1981 to 1999, as the names of
 * the archives of the 1990s mean them; orvane refuses those. */
enum Refusal convertNameFrom1981(const char *name, const char *suffix, const char *surplus,
				 const char *(*lookup)(const char *code), struct LongName *ln);

/* Writes the long name at to, which has room for longNameSize bytes, as
 * printf writes LONG_NAME; returns its end. */
enum { longNameSize = 64 };
char *writeLongName(char *to, const struct LongName *ln, const char *source);

/* What shortenName makes of a long name (less any compression suffix). */
enum Shortening {
	shortOk,
	shortRefused,  /* has the layout, but no short name: see why */
	shortNoLayout, /* not a RINEX 3 long name at all */
};

/* A short name, or why there is none: printf("why", partLength, part)
 * gives the reason, such as "period 59M has no short name". */
struct ShortName {
	char name[15];   /* ssssdddh.yyt or ssssdddhmm.yyt */
	const char *why; /* a printf format with one %.*s */
	const char *part;
	int partLength;
};

enum Shortening shortenName(const char *name, struct ShortName *sn);

#endif
