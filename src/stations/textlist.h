// Text lists: station names several to a line, or the first column of a
// table.
#ifndef ORVANE_STATIONS_TEXTLIST_H
#define ORVANE_STATIONS_TEXTLIST_H

#include <string_view>

class ListedNames;

// A list's text and the path it was read by, kept for the run.
struct ListText {
	std::string_view file;
	std::string_view text;
};

// A text list, whose names go to names: false after a message when it names
// no station or a name conflicts.
bool readTextList(const ListText &list, ListedNames &names);

#endif
