// Reading a RINEX file's header for orvane-rename -H: what the file is,
// whose, when its data start and how often it samples, judged against what
// its short name says.
#ifndef ORVANE_HEADER_H
#define ORVANE_HEADER_H

#include <memory>
#include <optional>
#include <string>

#include "rinex/compression.h"
#include "rinex/left.h"
#include "rinex/namesays.h"

// The verdict on one file: kept, with the data-frequency field of an
// observation file ("15S", "05Z", "00U"; empty for navigation files); or
// left, with the reason that follows "not renamed: " in the message.
struct Verdict {
	std::optional<Left> left;
	std::string why;
	std::string frequency;
};

// Reads the file open on fd from where it stands (its start, as opened)
// with read(2), through its compression, as far as the verdict needs: the
// header and at most 10 epochs, never more than 1 MiB of text; fd is left
// open. A reader keeps its buffers and decoders from one file to the next;
// each thread has its own, and there is no other state.
class HeaderReader
{
      public:
	HeaderReader();
	~HeaderReader();
	HeaderReader(const HeaderReader &) = delete;
	HeaderReader &operator=(const HeaderReader &) = delete;

	Verdict judge(int fd, Compression compression, const NameSays &name);

	struct State;

      private:
	std::unique_ptr<State> state_;
};

#endif
