#include "stations/listed.h"

#include "name/charclass.h"
#include "name/stationcode.h"

bool isStationName(std::string_view text)
{
	const std::string_view s = text;
	return s.size() == 9 && isLetterOrDigit(s[0]) && isLetterOrDigit(s[1]) &&
	       isLetterOrDigit(s[2]) && isLetterOrDigit(s[3]) && isDigit(s[4]) && isDigit(s[5]) &&
	       isUpper(s[6]) && isUpper(s[7]) && isUpper(s[8]);
}

Listed listedAs(std::string_view text, const Where &where)
{
	Listed n;
	text.copy(n.found.data(), 9);
	n.name = n.found;
	for (size_t i = 0; i < 4; i++)
		n.name[i] = toLower(n.name[i]);
	n.where = where;
	return n;
}

bool sameCode(std::string_view four, std::string_view name)
{
	if (four.size() != 4 || name.size() < 4)
		return false;
	for (size_t i = 0; i < 4; i++)
		if (toLower(four[i]) != toLower(name[i]))
			return false;
	return true;
}

uint32_t keyOf(const Listed &n)
{
	return codeWord(n.name.data());
}

bool sameName(const Listed &a, const Listed &b)
{
	return a.name == b.name;
}
