// What a file of any name holds, read whole for orvane-rename -a and -k: a
// RINEX observation file's marker, its first and last epochs, its rate,
// systems, format and compression, each told by the data themselves.
#ifndef ORVANE_CONTENT_H
#define ORVANE_CONTENT_H

#include <string>
#include <variant>

#include "rinex/compression.h"
#include "rinex/fields.h"
#include "rinex/stream.h"

namespace rinex
{

struct Content {
	std::string marker;    // MARKER NAME, without the blanks after it
	Ticks first = 0;       // the earliest observation epoch
	Ticks last = 0;        // and the latest
	std::string frequency; // of the first epochs' step: "30S", "00U"
	std::string content;   // "GO", "MO"
	bool compact = false;  // Compact RINEX
	Compression compression = Compression::none; // by its magic bytes
	std::string note; // where the header's times disagree with the epochs; or empty
};

// A file that is no RINEX observation data: passed over, only counted; or
// not even counted, as links and files of no regular kind are by -a.
struct PassedOver {
	bool counted = true;
};

// A file's content, or why it is left.
using ContentRead = std::variant<Content, PassedOver, Failure>;

// The compression a file's first bytes say.
Compression compressionByMagic(std::string_view start);

class Decoder;
class Lines;
// The file open on fd, from its start, through the reader's decoder and lines.
ContentRead readContent(Decoder &decoder, Lines &lines, int fd);

} // namespace rinex

#endif
