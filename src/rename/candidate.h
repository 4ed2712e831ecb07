// The rename of one candidate in its folder, or with -n what the run would
// meet there.
#ifndef ORVANE_CANDIDATE_H
#define ORVANE_CANDIDATE_H

#include "walk/listing.h"
#include "walk/place.h"

// One entry is one candidate, handled where a PATH first reaches it.
void renameCandidate(const Place &place, const char *name);

// An entry of a listing that is no folder: a candidate, or one whose type
// could not be told, reported as a candidate or a folder by its name.
void handleEntry(const Place &place, const Listing &listing, const Listing::Entry &entry);

// With -n, what every rename in the folder open on fd would meet.
Forecast forecastFor(int fd);

#endif
