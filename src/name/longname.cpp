#include "name/longname.h"

#include <algorithm>

#include "name/charclass.h"
#include "rinex/compression.h"

namespace
{

bool all(std::string_view s, bool (*in)(char))
{
	return std::ranges::all_of(s, in);
}

constexpr bool isUpperOrDigit(char c)
{
	return isUpper(c) || isDigit(c);
}

// Two digits and a unit: "01D", "15S", "00U".
bool isCount(std::string_view s)
{
	return s.size() == 3 && all(s.substr(0, 2), isDigit) && isUpper(s[2]);
}

} // namespace

std::optional<LongNameFields> longNameFields(std::string_view name)
{
	LongNameFields f;
	f.compression = compressionRow(compressionOf(name)).suffix;
	const std::string_view stem = name.substr(0, name.size() - f.compression.size());
	if (stem.size() != 38 && stem.size() != 34)
		return std::nullopt;
	const bool observation = stem.size() == 38;
	f.station = stem.substr(0, 9);
	f.source = stem.substr(10, 1);
	f.start = stem.substr(12, 11);
	f.period = stem.substr(24, 3);
	if (observation)
		f.frequency = stem.substr(28, 3);
	f.content = stem.substr(observation ? 32 : 28, 2);
	f.format = stem.substr(observation ? 35 : 31, 3);
	for (const size_t at : {size_t(9), size_t(11), size_t(23), size_t(27)})
		if (stem[at] != '_')
			return std::nullopt;
	if (stem[stem.size() - 7] != '_' ||
	    stem[stem.size() - 4] != '.')
		return std::nullopt;
	if (!all(f.station, isLetterOrDigit) || !isUpper(f.source[0]) || !all(f.start, isDigit) ||
	    !isCount(f.period) || (observation && !isCount(f.frequency)) ||
	    !all(f.content, isUpperOrDigit) || !all(f.format, isLower))
		return std::nullopt;
	return f;
}
