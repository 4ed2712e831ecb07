// -L: a plan from a listing of paths, such as an object store's keys. Each
// path whose last component is a candidate gets its new name in the same
// folder, as a run would give it; the listing is taken for all there is, and
// nothing is opened or renamed.
#ifndef ORVANE_PLAN_H
#define ORVANE_PLAN_H

#include <string_view>

struct Naming;
class Record;

// The listing's paths, one a line, or NUL-separated where the text holds a
// NUL. The plan goes to the record as a run's renames, in the listing's
// order; a new name the listing holds, or that a path earlier in byte order
// takes, is left as existing.
void planFromListing(std::string_view listing, const Naming &naming, Record &record);

#endif
