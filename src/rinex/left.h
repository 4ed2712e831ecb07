// Why the header reader leaves a file, and the words the closing count of a
// run gives each kind.
#ifndef ORVANE_LEFT_H
#define ORVANE_LEFT_H

#include <string_view>

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
	noText,         // too much compressed input gives no text
	unreadable,     // the file cannot be read
	stopped,        // the run stopped while it was read
};
inline constexpr int leftKinds = 13;

// Each kind's words for the closing count, such as "another station".
std::string_view describe(Left kind);

#endif
