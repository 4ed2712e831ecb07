#include "rinex/namesays.h"

#include <limits.h>

#include <array>

#include "name/orvane.h"
#include "rinex/compression.h"
#include "util/text.h"

std::optional<NameSays> nameSays(std::string_view name)
{
	const std::string_view stem =
	    name.substr(0, name.size() - compressionRow(compressionOf(name)).suffix.size());
	std::array<char, NAME_MAX + 1> text{};
	if (stem.size() >= text.size())
		return std::nullopt;
	stem.copy(text.data(), stem.size());
	// The station's name plays no part here: any suffix will do.
	LongName ln;
	if (convertNameFrom1981(text.data(), "00XXX", nullptr, nullptr, &ln) != convOk)
		return std::nullopt;
	NameSays says;
	says.station = ln.code;
	says.type = ln.field[0];
	says.year = ln.century * 100 + ln.year;
	says.day = ln.day;
	const std::string_view period = ln.interval;
	if (period != "01D")
		says.hour = digitsValue(ln.hour);
	if (period == "15M")
		says.minute = ln.minute;
	return says;
}
