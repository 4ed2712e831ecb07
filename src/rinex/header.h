// Reading a RINEX file's header for orvane-rename -H: what the file is,
// whose, when its data start and how often it samples, judged against what
// its short name says.
#ifndef ORVANE_HEADER_H
#define ORVANE_HEADER_H

#include <memory>
#include <string>
#include <vector>

#include "rinex/compression.h"
#include "rinex/content.h"
#include "rinex/namesays.h"

// The verdict on one file: kept, with what an observation file's long name
// takes from its header, the data-frequency field ("15S", "05Z", "00U") and
// the content ("GO", "MO"), both empty for navigation files, and notes to
// be said beside its rename; or left, with why, the reason that follows
// "not renamed: " in the message, and its kind in the words of the run's
// closing count: the reason's own words, without its particulars.
struct Verdict {
	std::string kind; // empty where the file is kept
	std::string why;
	std::string frequency;
	std::string content;
	std::vector<std::string> notes;

	bool kept() const { return kind.empty(); }
};

// Reads the file open on fd from where it stands (its start, as opened)
// with read(2), through its compression, as far as the verdict needs: the
// header and at most 10 epochs of an observation file, or the records of a
// navigation file until one falls near the name's period; never more than
// 1 MiB of text. fd is left open. A reader keeps its buffers and decoders from one file to the next;
// each thread has its own, and there is no other state.
class HeaderReader
{
      public:
	HeaderReader();
	~HeaderReader();
	HeaderReader(const HeaderReader &) = delete;
	HeaderReader &operator=(const HeaderReader &) = delete;

	Verdict judge(int fd, Compression compression, const NameSays &name);
	// The file open on fd read whole, from its start, whatever its name:
	// what its data say, for -a and -k.
	rinex::ContentRead content(int fd);

	struct State;

      private:
	std::unique_ptr<State> state_;
};

#endif
