// The header's lines as both readers take them: RINEX VERSION / TYPE, and
// the records after it to END OF HEADER.
#ifndef ORVANE_HEADERLINES_H
#define ORVANE_HEADERLINES_H

#include <optional>
#include <string>
#include <string_view>

#include "rinex/headersays.h"
#include "rinex/lines.h"
#include "rinex/stream.h"

namespace rinex
{

// The version, the type (column 21) and the system (column 41) of RINEX
// VERSION / TYPE; or why the line is unreadable.
std::optional<Failure> readVersionType(std::string_view line, HeaderSays &h);
// Whether a Compact RINEX version goes with the RINEX version it holds.
bool compactFits(const HeaderSays &h);
// An observation file's content field: its one system's letter and O, or
// MO for several.
std::string contentField(const HeaderSays &h);
// The records after RINEX VERSION / TYPE, up to END OF HEADER; or why the
// header stops before it.
std::optional<Failure> readRecords(Lines &lines, HeaderSays &h);

} // namespace rinex

#endif
