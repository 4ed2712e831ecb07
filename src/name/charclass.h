// ASCII character classes, byte by byte: the C library's follow the locale,
// and station and file names are ASCII whatever the locale says. Constant
// expressions with no library behind them, for orvane's side of the code too.
#ifndef ORVANE_CHARCLASS_H
#define ORVANE_CHARCLASS_H

constexpr bool isDigit(char c)
{
	return c >= '0' && c <= '9';
}

constexpr bool isUpper(char c)
{
	return c >= 'A' && c <= 'Z';
}

constexpr bool isLower(char c)
{
	return c >= 'a' && c <= 'z';
}

constexpr bool isLetterOrDigit(char c)
{
	return isDigit(c) || isUpper(c) || isLower(c);
}

constexpr char toLower(char c)
{
	return isUpper(c) ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char toUpper(char c)
{
	return isLower(c) ? static_cast<char>(c - 'a' + 'A') : c;
}

#endif
