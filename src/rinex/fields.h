// RINEX's fixed fields, header lines and epoch lines, and its times.
#ifndef ORVANE_FIELDS_H
#define ORVANE_FIELDS_H

#include <stdint.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace rinex
{

// Times in whole units of 0.1 us.
using Ticks = int64_t;
inline constexpr Ticks perSecond = 10'000'000;

// The columns of a fixed-width field, from its first to one past its last.
struct Field {
	size_t from, to;
};

// The integer of a field, blanks before it allowed; none where the field
// holds anything else, or nothing, or ends past the line.
std::optional<int> integerField(std::string_view line, Field f);
// A field of seconds with up to 7 decimals, such as " 30.0000000", in ticks;
// blanks around it allowed, and the line may end within it.
std::optional<Ticks> secondsField(std::string_view line, Field f);
// The time in the fields of year, month, day, hour, minute and seconds, as
// ticks from 1970; none where it is no date and time. A year of two digits
// is one of 1980 to 2079.
std::optional<Ticks> timeFields(std::string_view line, const std::array<Field, 6> &fields);
// The start of a day of a year.
Ticks dayStart(int year, int day);
// "2018-01-28 00:00:00", with a fraction of a second only where it has one.
std::string timeText(Ticks t);
// A long name's start, "YYYYDDDHHMM", of the minute t falls in.
std::string startField(Ticks t);
// "0.5 s", "300 s".
std::string secondsText(Ticks t);
// A sampling step as a receiver's clock blurs it: within 10 us of a whole
// millisecond, that millisecond.
Ticks snapped(Ticks step);
// The data-frequency field of a sampling step: "30S", "05Z", "01C", "00U".
std::string frequencyField(std::optional<Ticks> step);

// A header line's label (from column 61), without the blanks after it.
std::string_view labelOf(std::string_view line);
std::string_view trimmed(std::string_view text);
// "GPS", "GLONASS" and the like for a system letter, and "GPS navigation
// data" and the like.
std::string systemName(char system);
std::string navigationName(char system);
// The system letter of RINEX 3 navigation data that a type letter names.
char systemOf(char type);
// The whole number of a version field such as "     2.11" or "     2", and
// its text.
std::optional<int> versionOf(std::string_view field, std::string &text);

// An epoch line's flag and count of satellites or records to follow, and
// for observations (flags 0, 1 and 6) its time; or what is wrong with it.
struct Record {
	int flag = 0;
	int count = 0;
	std::optional<Ticks> time;
	const char *wrong = nullptr;
};
// An epoch line of RINEX 2 (two) or 3, plain or rebuilt from Compact RINEX.
Record epochRecord(std::string_view line, bool two, bool compact);

} // namespace rinex

#endif
