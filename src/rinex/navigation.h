// The epochs of a navigation file's records, for its name's date to be
// checked against them.
#ifndef ORVANE_NAVIGATION_H
#define ORVANE_NAVIGATION_H

#include <optional>

#include "rinex/fields.h"
#include "rinex/headersays.h"
#include "rinex/lines.h"

namespace rinex
{

struct RecordDates {
	std::optional<Failure> failure; // where the text stopped before the verdict
	std::optional<Ticks> earliest, latest; // of the records read, where none fell within
};

// Reads the records after the header until one's epoch falls from `from`
// to before `to`; the earliest and latest epochs where none does, or the
// failure that stopped the text first.
RecordDates recordDates(Lines &lines, const HeaderSays &h, Ticks from, Ticks to);

} // namespace rinex

#endif
