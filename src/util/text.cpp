#include "util/text.h"

#include <algorithm>

namespace
{

void appendHex(std::string &to, unsigned char byte)
{
	static constexpr char hex[] = "0123456789abcdef";
	to += {'\\', 'x', hex[byte >> 4], hex[byte & 0xF]};
}

} // namespace

std::string escaped(std::string_view text)
{
	std::string s;
	for (const char c : text) {
		if (c >= ' ' && c <= '~' && c != '\\')
			s += c;
		else
			appendHex(s, static_cast<unsigned char>(c));
	}
	return s;
}

std::string quoted(std::string_view text, std::size_t most)
{
	return quotedStart(text, text.size(), most);
}

std::string quotedStart(std::string_view text, std::size_t size, std::size_t most)
{
	std::size_t shown = std::min(size, text.size());
	if (size > most && shown > most) {
		shown = most;
		while (shown > 0 && (static_cast<unsigned char>(text[shown]) & 0xC0) == 0x80)
			shown--;
	}
	std::string q = "'";
	for (const char c : text.substr(0, shown)) {
		const auto byte = static_cast<unsigned char>(c);
		if (byte < 0x20 || byte == 0x7F || c == '\\')
			appendHex(q, byte);
		else
			q += c;
	}
	q += '\'';
	if (shown < size)
		q += " (first " + std::to_string(shown) + " of " + std::to_string(size) + " bytes)";
	return q;
}

std::optional<int> digitsValue(std::string_view digits)
{
	if (digits.empty() || digits.size() > 9)
		return std::nullopt;
	int n = 0;
	for (const char c : digits) {
		if (c < '0' || c > '9')
			return std::nullopt;
		n = n * 10 + (c - '0');
	}
	return n;
}
