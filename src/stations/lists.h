// Station lists (-c) and the indexed catalogue, for orvane-rename.
#ifndef ORVANE_LISTS_H
#define ORVANE_LISTS_H

#include <string>
#include <string_view>
#include <vector>

class ListedNames;

// Reads every LIST given with -c, in order, into names, before anything is
// renamed; what is wrong with them goes to standard error. false when the
// run is to stop, with status 2.
bool readStationLists(const std::vector<std::string> &paths, ListedNames &names);

// The name listed for the four bytes of a short name's station code: nine
// characters, the first four in lower case; or nullptr. Where a list gives
// the code two names, the first is given, and the words that say so: the
// file is then to be left.
struct ListedName {
	const char *name = nullptr;
	std::string_view ambiguity; // "ABER is ABER00GBR (LIST:LINE) or ABER00GLP (LIST:LINE)"
};
ListedName listedName(const ListedNames &names, const char *code);

#endif
