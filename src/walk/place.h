// A folder in which candidates are renamed: its descriptor, its file system,
// the path printed before each name (ending in a slash, or empty), and what
// the run keeps of it.
#ifndef ORVANE_PLACE_H
#define ORVANE_PLACE_H

#include <sys/types.h>

#include <string>
#include <string_view>
#include <unordered_set>

using Names = std::unordered_set<std::string>;

// With -n, what a rename in the folder would meet besides the names: the
// error every one would fail with, or 0; and for a sticky folder of another
// user's, that only the user's own files may be renamed there.
struct Forecast {
	int error = 0;
	bool sticky = false;
};

struct Place {
	int fd;
	dev_t dev;
	std::string_view prefix;
	Names *given = nullptr;   // with -n, the new names given out here so far
	Names *handled = nullptr; // where a file named is, the candidates handled
	Forecast forecast;
};

#endif
