/*
 * A navigation record begins with a line that names its satellite and its
 * epoch; the lines that go on with it begin with blanks. RINEX 2 writes the
 * satellite as a number of two columns (or a letter and two digits) and the
 * year in two digits; RINEX 3 as a letter and two digits, then the year in
 * four. RINEX 4 puts a line before each record, "> EPH" for an ephemeris,
 * and other records (ionosphere, time offsets) carry epochs of their own
 * kind, so only the line after a "> EPH" is taken. Records come by
 * satellite, not in time, and a day's merged file holds some from before it.
 */
#include "rinex/navigation.h"

#include <algorithm>
#include <array>

namespace rinex
{

namespace
{

bool isDigit(char c)
{
	return c >= '0' && c <= '9';
}

// The epoch of a record's first line, where the line is one.
std::optional<Ticks> recordEpoch(std::string_view line, bool two)
{
	if (line.size() < 3)
		return std::nullopt;
	const bool letter = line[0] >= 'A' && line[0] <= 'Z';
	if (!two) {
		if (!letter)
			return std::nullopt;
		static constexpr std::array<Field, 6> time{
		    {{4, 8}, {8, 11}, {11, 14}, {14, 17}, {17, 20}, {20, 23}}};
		return timeFields(line, time);
	}
	if (letter ? !isDigit(line[1]) || !isDigit(line[2])
		   : !isDigit(line[1]) || (line[0] != ' ' && !isDigit(line[0])))
		return std::nullopt;
	const size_t w = letter ? 3 : 2;
	const std::array<Field, 6> time{{{w, w + 3},
					 {w + 3, w + 6},
					 {w + 6, w + 9},
					 {w + 9, w + 12},
					 {w + 12, w + 15},
					 {w + 15, w + 20}}};
	return timeFields(line, time);
}

} // namespace

RecordDates recordDates(Lines &lines, const HeaderSays &h, Ticks from, Ticks to)
{
	RecordDates dates;
	bool ephemeris = false; // RINEX 4: the line before was "> EPH"
	for (auto line = lines.next(); line; line = lines.next()) {
		std::optional<Ticks> epoch;
		if (h.major >= 4) {
			if (ephemeris)
				epoch = recordEpoch(*line, false);
			ephemeris = line->starts_with("> EPH");
		} else {
			epoch = recordEpoch(*line, h.two());
		}
		if (!epoch)
			continue;
		if (*epoch >= from && *epoch < to)
			return {};
		dates.earliest = std::min(dates.earliest.value_or(*epoch), *epoch);
		dates.latest = std::max(dates.latest.value_or(*epoch), *epoch);
	}
	if (lines.end() == Lines::End::failure)
		dates.failure = lines.stopped({}, {});
	return dates;
}

} // namespace rinex
