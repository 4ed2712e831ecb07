// Which files are candidates, and the name each takes: orvane's conversion
// of the name less its compression suffix, or with -2 the short name of a
// long one, the suffix put back after.
#ifndef ORVANE_NAMES_H
#define ORVANE_NAMES_H

#include <limits.h>

#include <array>
#include <string>
#include <string_view>

bool isCandidate(std::string_view name);

// The new name, or why there is none.
class NewName
{
      public:
	explicit operator bool() const { return why_.empty(); }
	const char *name() const { return to_.data(); }
	const std::string &why() const { return why_; }
	// why, or where it names the file a word for its kind
	std::string_view kind() const { return kind_.empty() ? why_ : kind_; }

      private:
	friend NewName newName(std::string_view name, std::string_view frequency,
			       std::string_view content);
	std::array<char, NAME_MAX + 1> to_{};
	std::string why_;
	std::string_view kind_;
};

// With a frequency ("15S") and a content ("GO"), as a file's header gives
// them, an observation file's long name takes them for the conversion's
// guesses.
NewName newName(std::string_view name, std::string_view frequency = {},
		std::string_view content = {});

#endif
