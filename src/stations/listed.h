// A station name as a list gives it: nine characters, and where they stand.
#ifndef ORVANE_STATIONS_LISTED_H
#define ORVANE_STATIONS_LISTED_H

#include <array>
#include <cstdint>
#include <string_view>

#include "stations/listmessages.h"

// Four letters or digits in either case, monument, receiver and an ISO 3166
// country code, as in ABMF00GLP.
bool isStationName(std::string_view text);

// A station name as a list gives it, and where, for the messages of later
// lists.
struct Listed {
	std::array<char, 10> name{};  // the first four characters in lower case
	std::array<char, 10> found{}; // as written
	Where where;
};

// The name of nine characters at the start of text, which isStationName
// accepted.
Listed listedAs(std::string_view text, const Where &where);

// Whether the four characters are the code of the name, in either case.
bool sameCode(std::string_view four, std::string_view name);

// Short names are in lower case, so the key is too: ABMF00GLP and abmf00GLP
// are one name, and the code ABMF finds neither.
uint32_t keyOf(const Listed &n);
bool sameName(const Listed &a, const Listed &b);

#endif
