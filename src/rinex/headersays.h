// What a RINEX file's header says, as far as the header reader needs it.
#ifndef ORVANE_HEADERSAYS_H
#define ORVANE_HEADERSAYS_H

#include <optional>
#include <string>

#include "rinex/fields.h"

namespace rinex
{

struct HeaderSays {
	std::string version;
	int major = 0;
	char type = ' ';     // column 21 of RINEX VERSION / TYPE
	char system = ' ';   // and column 41
	std::string compact; // the CRINEX version, empty for plain RINEX
	std::string marker;  // MARKER NAME, without the blanks after it
	bool markerSeen = false;
	std::optional<Ticks> interval;
	std::optional<Ticks> firstObs;
	std::optional<Ticks> lastObs; // TIME OF LAST OBS, where it is readable
	std::string intervalWrong, firstObsWrong; // what is wrong with an unreadable one
	int types = 0;       // RINEX 2's # / TYPES OF OBSERV
	std::string systems; // of RINEX 3's SYS / # / OBS TYPES records, each once

	bool two() const { return major == 2; }
	bool isCompact() const { return !compact.empty(); }
};

} // namespace rinex

#endif
