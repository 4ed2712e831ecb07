// Bytes of a file or a command line made safe for one line of a message, and
// the decimal numbers read out of names, lists and headers.
#ifndef ORVANE_UTIL_TEXT_H
#define ORVANE_UTIL_TEXT_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Printable ASCII as it is, every other byte and the backslash as \xHH.
std::string escaped(std::string_view text);

// In single quotes, at most the first `most` bytes, cut before a UTF-8
// sequence rather than inside one; control bytes and the backslash as \xHH,
// and where it was cut, how much was shown: "'ABC' (first 40 of 80 bytes)".
std::string quoted(std::string_view text, std::size_t most = 40);

// The same of a text of size bytes of which only the start is at hand: at
// least its first most + 1 bytes where size is larger than most.
std::string quotedStart(std::string_view text, std::size_t size, std::size_t most = 40);

// The value of a field of decimal digits only, at most nine of them.
std::optional<int> digitsValue(std::string_view digits);

#endif
