// The names every list of a run gives, a station's first kept, and the files
// and folders read for them.
#ifndef ORVANE_STATIONS_LISTEDNAMES_H
#define ORVANE_STATIONS_LISTEDNAMES_H

#include <sys/types.h>

#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "stations/listed.h"

// "FILE:LINE: 'NAME' conflicts with 'NAME' of FILE:LINE".
void tellConflict(const Listed &later, const Listed &earlier);

class ListedNames
{
      public:
	const Listed *find(uint32_t key) const;

	// The name listed before for the station, where it is another.
	const Listed *clash(const Listed &n) const;

	enum class Added {
		kept,      // the station's first name, or the same again
		ambiguous, // a second name from the list of its first: the code names neither
		conflict,  // another name than an earlier list's, after a message
	};
	// A station keeps its first name; the same name again changes nothing.
	// Another from the list that gave the first makes the station's code
	// ambiguous, once; from another list, it conflicts.
	Added add(const Listed &n);

	// "ABER is ABER00GBR (LIST:LINE) or ABER00GLP (LIST:LINE)" for a code
	// that a list gives two names, else empty.
	std::string_view ambiguity(uint32_t key) const;

	// The path as names read from it keep it, for the run.
	std::string_view keep(std::string_view path);

	// Whether the file or folder open on fd was read before, by this path
	// or another; remembered for the next time.
	bool readBefore(int fd);

      private:
	std::unordered_map<uint32_t, Listed> names_;
	std::unordered_map<uint32_t, std::string> ambiguous_;
	std::deque<std::string> paths_;
	std::set<std::pair<dev_t, ino_t>> read_;
};

#endif
