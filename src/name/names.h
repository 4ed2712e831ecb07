// Which files are candidates, and the name each takes: orvane's conversion
// of the name less its compression suffix, or with -2 the short name of a
// long one, the suffix put back after.
#ifndef ORVANE_NAMES_H
#define ORVANE_NAMES_H

#include <limits.h>

#include <array>
#include <string>
#include <string_view>

#include "report/notrenamed.h"

class ListedNames;

// What decides the names of a run: the direction, -s, -R or -S, and the
// station lists.
struct Naming {
	bool shortening = false;             // -2: long names back to short ones
	bool byContent = false;              // -a: any name but a long one
	bool check = false;                  // -k: long names
	const char *source = "R";            // -R or -S
	const char *suffix = nullptr;        // -s
	const ListedNames *lists = nullptr;  // -c
};

bool isCandidate(const Naming &naming, std::string_view name);
// A short name's layout, less a compression suffix.
bool isShortName(std::string_view name);

// The new name, or why there is none.
class NewName
{
      public:
	explicit operator bool() const { return why_.reason.empty(); }
	const char *name() const { return to_.data(); }
	const NotRenamed &why() const { return why_; }

      private:
	friend NewName newName(const Naming &naming, std::string_view name,
			       std::string_view frequency, std::string_view content);
	std::array<char, NAME_MAX + 1> to_{};
	NotRenamed why_;
};

// With a frequency ("15S") and a content ("GO"), as a file's header gives
// them, an observation file's long name takes them for the conversion's
// guesses.
NewName newName(const Naming &naming, std::string_view name, std::string_view frequency = {},
		std::string_view content = {});

#endif
