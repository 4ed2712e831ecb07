#include "stations/logdate.h"

#include "name/charclass.h"

uint32_t preparedDate(std::string_view text)
{
	if (text.size() < 10 || text[4] != '-' || text[7] != '-')
		return 0;
	uint32_t date = 0;
	for (const size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
		if (!isDigit(text[i]))
			return 0;
		date = date * 10 + static_cast<uint32_t>(text[i] - '0');
	}
	return date;
}

uint32_t dateOfName(std::string_view name)
{
	const size_t underscore = name.rfind('_');
	if (underscore == std::string_view::npos)
		return 0;
	const std::string_view rest = name.substr(underscore + 1);
	if (rest.size() < 8 || (rest.size() > 8 && rest[8] != '.'))
		return 0;
	uint32_t date = 0;
	for (const char c : rest.substr(0, 8)) {
		if (!isDigit(c))
			return 0;
		date = date * 10 + static_cast<uint32_t>(c - '0');
	}
	return date;
}
