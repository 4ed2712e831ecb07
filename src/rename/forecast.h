// With -n, what a rename would meet in its folder, found without renaming.
#ifndef ORVANE_FORECAST_H
#define ORVANE_FORECAST_H

#include "rename/noreplace.h"
#include "util/result.h"
#include "walk/place.h"

// What every rename in the folder open on fd would meet.
Forecast forecastFor(int fd);

// As the rename of name to `to` would end; a name given out is kept in the
// place's names given, so that a later file meets it.
Result<Moved> foresee(const Place &place, const char *name, const char *to);

#endif
