// Renaming within one folder without ever replacing a file.
#ifndef ORVANE_NOREPLACE_H
#define ORVANE_NOREPLACE_H

#include "walk/place.h"

// 0 once renamed; else the error that left the file as it was, or -1 when
// the file is left and that was said already.
int moveNoReplace(const Place &place, const char *old, const char *to);

#endif
