// What a short name says of its file, for its header to be judged against:
// the conversion's own reading of the name.
#ifndef ORVANE_NAMESAYS_H
#define ORVANE_NAMESAYS_H

#include <optional>
#include <string>
#include <string_view>

struct NameSays {
	std::string station;       // the four characters of its station code
	char type = 'o';           // o d n g h l f p q
	int year = 0;              // four digits
	int day = 0;               // of the year, from 1
	std::optional<int> hour;   // 0 to 23; none for a daily file
	std::optional<int> minute; // 0, 15, 30 or 45 for a 15-minute file
};

// What a short name says, after any compression suffix; none where the
// conversion refuses the name.
std::optional<NameSays> nameSays(std::string_view name);

#endif
