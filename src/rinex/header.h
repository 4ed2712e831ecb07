// Reading a RINEX file's header for orvane-rename -H: what the file is,
// whose, when its data start and how often it samples, judged against what
// its short name says.
#ifndef ORVANE_HEADER_H
#define ORVANE_HEADER_H

#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The compression a name's suffix gives: none, .Z, .gz or .bz2.
enum class Compression { none, compress, gzip, bzip2 };

// What a short name says of its file.
struct NameSays {
	std::string_view station;  // the four characters of its station code
	char type = 'o';           // o d n g h l f p q
	int year = 0;              // four digits
	int day = 0;               // of the year, from 1
	std::optional<int> hour;   // 0 to 23; none for a daily file
	std::optional<int> minute; // 0, 15, 30 or 45 for a 15-minute file
};

// What a short name that converts says of its file, and the compression
// its suffix gives.
NameSays nameSays(std::string_view name);
Compression compressionOf(std::string_view name);

// Why a file is left, counted by kind at the end of a run.
enum class Left {
	notRinex,       // no RINEX header at all
	badHeader,      // a header without what it must hold, or unreadable
	anotherType,    // the header says other data than the name
	anotherVersion, // a RINEX version the name's type does not come in
	anotherStation, // MARKER NAME is another station
	anotherStart,   // the data start outside the name's period
	noStart,        // no epoch and no TIME OF FIRST OBS
	badRecords,     // an epoch unreadable where one must be
	cutShort,       // the text or its stream ends before what is needed
	damaged,        // the compressed stream is damaged
	unreadable,     // the file cannot be read
};
inline constexpr int leftKinds = 11;

// Each kind's words for the closing count, such as "another station".
std::string_view describe(Left kind);

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
