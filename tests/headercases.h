// The files of the header reader's tests, as rows: a file's name in the
// archive, how its bytes are made, and what reading its header makes of it.
// The reader's own test judges each row directly; a run of orvane-rename
// -n -H over the same rows shows the same outcomes in its messages.
#ifndef ORVANE_TESTS_HEADERCASES_H
#define ORVANE_TESTS_HEADERCASES_H

#include <stddef.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct HeaderCase {
	// The short name, with the compression suffix that the bytes are in.
	std::string name;
	// The text, compressed as the name's suffix says; each part of it after
	// the first (split at the offsets) a stream or member of its own.
	std::string text;
	std::vector<size_t> parts;
	// Or the name of a real file of tests/data/rinex, taken as it is.
	std::string file;
	// Damage done to the bytes then: all from cut on dropped, and bytes set
	// (an offset below 0 counts from the end, for both).
	std::optional<long> cut;
	std::vector<std::pair<long, unsigned char>> set;
	// For a file kept, the data-frequency field ("15S"; "" for a navigation
	// file), then the content where it is not MO (" GO"), then each note
	// after "; "; for a file left, "kind: reason".
	std::string expected;
	// Bytes put after the compressed text as they are, before any damage:
	// streams that no command makes.
	std::string tail = {};
};

// An outcome of a file kept, split: "15S GO; a note" into its parts.
struct Kept {
	std::string frequency;
	std::string content = "MO";
	std::vector<std::string> notes;
};
std::optional<Kept> keptOf(const std::string &expected);

// Generated files of every rate and layout, each to be tried plain and in
// every compression: the names have no compression suffix.
std::vector<HeaderCase> generatedCases();

// The real files, and generated ones in one compression: cut short,
// damaged, empty.
std::vector<HeaderCase> realCases();
std::vector<HeaderCase> damagedCases();

// A case's bytes; or, where the command that compresses them is missing,
// none and the reason to skip in missing.
struct MadeBytes {
	std::string bytes;
	std::string missing;
};
MadeBytes makeBytes(const HeaderCase &c);

// The bytes of text compressed by the command for a suffix (".Z", ".gz",
// ".bz2"; "" for none), or missing says which command is not installed.
MadeBytes compressed(const std::string &text, const std::string &suffix,
		     const std::vector<std::string> &options = {});

// Text of a few megabytes that makes the LZW table fill and clear.
std::string mixedText();

#endif
