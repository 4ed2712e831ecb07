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

      private:
	friend NewName newName(std::string_view name);
	std::array<char, NAME_MAX + 1> to_{};
	std::string why_;
};

NewName newName(std::string_view name);

#endif
