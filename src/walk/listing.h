// A folder's entries, read in full before anything in it is renamed, so
// that a file renamed cannot come back under its new name, and put in byte
// order of their names, whatever the locale. Only folders, candidates and
// the entries whose type could not be told are kept.
#ifndef ORVANE_LISTING_H
#define ORVANE_LISTING_H

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "util/result.h"

struct Naming;

class Listing
{
      public:
	enum class Kind : unsigned char {
		folder,
		candidate,
		unexamined, // the type could not be told: error says why
	};
	struct Entry {
		std::uint64_t key; // the name's first eight bytes, which order most pairs
		std::uint32_t at;  // where the name starts in the names
		Kind kind;
		unsigned char error;
	};

	// The folder open on fd, its candidates as the naming tells them, read
	// through the caller's buffer.
	Result<Done> read(int fd, const Naming &naming, std::span<char> buffer);

	const std::vector<Entry> &entries() const { return entries_; }
	const char *name(const Entry &e) const { return names_.data() + e.at; }
	std::size_t candidates() const { return candidates_; }

      private:
	void add(std::string_view name, Kind kind, int error);
	void sort();

	std::vector<char> names_; // one after another, each with its NUL
	std::vector<Entry> entries_;
	std::size_t candidates_ = 0;
};

#endif
