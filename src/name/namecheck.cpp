// A long name against its data: the station against MARKER NAME (its first
// four characters, or all nine where the marker has nine), every epoch
// within the named period, then the rate, content, format and compression
// the data give.
#include "name/namecheck.h"

#include <algorithm>
#include <array>
#include <vector>

#include "name/charclass.h"
#include "name/contentname.h"
#include "rinex/fields.h"
#include "stations/listed.h"
#include "util/text.h"

using rinex::perSecond;
using rinex::Ticks;

namespace
{

constexpr Ticks minute = 60 * perSecond, hour = 60 * minute, day = 24 * hour;

// The period a name's start and period field cover: from, and to (none for
// 00U and any unit not known).
struct Named {
	Ticks from;
	std::optional<Ticks> to;
};

Named namedPeriod(std::string_view start, std::string_view period)
{
	const auto number = [](std::string_view digits) {
		return int(digitsValue(digits).value_or(0));
	};
	const int year = number(start.substr(0, 4));
	const int doy = number(start.substr(4, 3));
	const Ticks within = number(start.substr(7, 2)) * hour + number(start.substr(9, 2)) * minute;
	const Ticks from = rinex::dayStart(year, doy) + within;
	const int n = number(period.substr(0, 2));
	switch (period[2]) {
	case 'M':
		return {from, from + n * minute};
	case 'H':
		return {from, from + n * hour};
	case 'D':
		return {from, from + n * day};
	case 'Y':
		return {from, rinex::dayStart(year + n, doy) + within};
	default:
		return {from, std::nullopt};
	}
}

// Whether every epoch falls in the named period; a 00U name's start is
// the first epoch's minute.
bool fits(const Named &named, const rinex::Content &c)
{
	if (!named.to)
		return named.from <= c.first && c.first < named.from + minute;
	return named.from <= c.first && c.last < *named.to;
}

// What MARKER NAME says of the station: its nine characters where it has
// a station's nine, else its first four upper-cased, blanks after a
// shorter one; nothing where it is blank, which contradicts no name, as
// with -H.
std::optional<std::string> markerSays(std::string_view marker)
{
	if (marker.size() >= 9 && isStationName(marker.substr(0, 9)))
		return std::string(marker.substr(0, 9));
	std::string code(4, ' ');
	for (size_t i = 0; i < code.size() && i < marker.size(); i++)
		code[i] = toUpper(marker[i]);
	if (rinex::trimmed(code).empty())
		return std::nullopt;
	return code;
}

bool sameInEitherCase(std::string_view a, std::string_view b)
{
	return std::ranges::equal(a, b, [](char x, char y) { return toLower(x) == toLower(y); });
}

// "A", "A and B", "A, B and C".
std::string listed(const std::vector<std::string> &items)
{
	std::string text;
	for (size_t i = 0; i < items.size(); i++)
		text.append(i == 0 ? "" : i + 1 == items.size() ? " and " : ", ").append(items[i]);
	return text;
}

std::string compressionWords(std::string_view suffix)
{
	return suffix.empty() ? "uncompressed" : std::string(suffix);
}

} // namespace

std::variant<std::monostate, Disagreement, NotRenamed>
checkName(const Naming &naming, const LongNameFields &name, const rinex::Content &c)
{
	std::vector<std::string> named;
	std::vector<std::string> data;
	const auto compare = [&](std::string_view ours, std::string_view theirs) {
		if (ours == theirs)
			return;
		named.emplace_back(ours);
		data.emplace_back(theirs);
	};

	std::string station(name.station);
	if (const auto says = markerSays(c.marker)) {
		const std::string_view ours = name.station.substr(0, says->size());
		if (!sameInEitherCase(ours, *says)) {
			const std::string theirs(rinex::trimmed(*says));
			named.emplace_back(ours);
			data.push_back(theirs);
			auto found = markerStation(naming, c.marker);
			if (auto *none = std::get_if<NotRenamed>(&found))
				return NotRenamed{"name says " + std::string(ours) + ", the data " +
						      theirs + "; " + none->reason,
						  none->kind};
			station = std::get<std::string>(found);
		}
	}

	std::string start(name.start);
	std::string length(name.period);
	const Named period = namedPeriod(name.start, name.period);
	if (!fits(period, c)) {
		const DataSpan span = dataSpan(c.first, c.last);
		start = rinex::startField(span.start);
		length = span.period;
		named.push_back(std::string(name.start) + "_" + std::string(name.period));
		data.push_back(start + "_" + length);
	}
	compare(name.frequency, c.frequency);
	compare(name.content, c.content);
	compare(name.format, formatOf(c));
	if (name.compression != compressionSuffixOf(c)) {
		named.push_back(compressionWords(name.compression));
		data.push_back(compressionWords(compressionSuffixOf(c)));
	}
	if (named.empty())
		return std::monostate{};
	return Disagreement{"name says " + listed(named) + ", the data " + listed(data),
			    longName(station, name.source, start, length, c)};
}
