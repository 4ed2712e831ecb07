// orvane's catalogue, indexed at its first use for the renamer, which looks
// a station up for every file.
#ifndef ORVANE_CATALOGUE_H
#define ORVANE_CATALOGUE_H

// The catalogue's long name of a station code, as sta4to9char answers.
const char *catalogueName(const char *code);

#endif
