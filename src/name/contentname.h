// The long name a RINEX observation file's data give it (-a), field by
// field, so that -k can set each beside a name's own.
#ifndef ORVANE_CONTENTNAME_H
#define ORVANE_CONTENTNAME_H

#include <string>
#include <string_view>
#include <variant>

#include "report/notrenamed.h"
#include "rinex/content.h"

struct Naming;

// The smallest of a quarter hour, an hour and a day, aligned to its own
// boundaries, that holds both epochs, and where it starts; else "00U" from
// the first epoch's minute.
struct DataSpan {
	rinex::Ticks start;
	std::string period; // "15M", "01H", "01D", "00U"
};
DataSpan dataSpan(rinex::Ticks first, rinex::Ticks last);

// The station's nine characters: MARKER NAME's first nine where they are a
// station's nine, else its first four upper-cased through the lists, -s and
// the catalogue as a short name's; or why there are none.
std::variant<std::string, NotRenamed> markerStation(const Naming &naming,
						    std::string_view marker);

// The file's whole long name, or why it has none.
std::variant<std::string, NotRenamed> contentName(const Naming &naming,
						  const rinex::Content &c);

// A long name of its fields: station, source, start ("YYYYDDDHHMM") and
// period, then the content's frequency, content, format and compression.
std::string longName(std::string_view station, std::string_view source, std::string_view start,
		     std::string_view period, const rinex::Content &c);

// A content's format, "crx" or "rnx", and its compression's suffix.
std::string_view formatOf(const rinex::Content &c);
std::string_view compressionSuffixOf(const rinex::Content &c);

#endif
