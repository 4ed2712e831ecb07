// The rename of each candidate in its folder, or with -n what the run would
// meet there; one renamer a thread.
#ifndef ORVANE_RENAMER_H
#define ORVANE_RENAMER_H

#include <memory>
#include <optional>

#include "rinex/content.h"
#include "walk/listing.h"
#include "walk/place.h"

struct Options;
struct Naming;
class Record;
class NoReplace;
class HeaderReader;
struct Verdict;

// What the whole run shares: what it was asked, how names are made, the
// record, and what the renames learnt of the file systems.
struct Run {
	const Options &options;
	const Naming &naming;
	Record &record;
	NoReplace &noReplace;
};

class Renamer
{
      public:
	explicit Renamer(const Run &run);
	~Renamer();
	Renamer(const Renamer &) = delete;
	Renamer &operator=(const Renamer &) = delete;

	// One entry is one candidate, handled where a PATH first reaches it.
	void candidate(const Place &place, const char *name);

	// An entry of a listing that is no folder: a candidate, or one whose
	// type could not be told, reported as a candidate or a folder by its
	// name.
	void entry(const Place &place, const Listing &listing, const Listing::Entry &entry);

	// The folder's candidates and unexamined entries, in their order.
	void folder(const Place &place, const Listing &listing);

      private:
	// The rename, or with -n what it would meet: whether it is made.
	bool move(const Place &place, const char *name, const char *to);
	void noteHeader(const Place &place, const char *name, const Verdict &v);
	// -a: a file named by its data; -k: a long name checked against them.
	void byContent(const Place &place, const char *name);
	void check(const Place &place, const char *name);
	std::optional<rinex::Content> readWhole(const Place &place, const char *name);
	HeaderReader &reader();

	const Run &run_;
	std::unique_ptr<HeaderReader> reader_; // for -H, -a and -k, made at its first use
};

#endif
