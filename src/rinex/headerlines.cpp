#include "rinex/headerlines.h"

#include <array>
#include <string>

#include "util/text.h"

namespace rinex
{

std::optional<Failure> readVersionType(std::string_view line, HeaderSays &h)
{
	const auto major = versionOf(line.substr(0, 9), h.version);
	if (!major)
		return Failure{"RINEX VERSION / TYPE unreadable",
			       "RINEX VERSION / TYPE unreadable: no version number in columns 1 to 9: " +
				   quoted(line.substr(0, 9), 60)};
	h.major = *major;
	h.type = line.size() > 20 ? line[20] : ' ';
	h.system = line.size() > 40 ? line[40] : ' ';
	return std::nullopt;
}

bool compactFits(const HeaderSays &h)
{
	return h.compact.empty() || (h.compact == "1.0" && h.major == 2) ||
	       (h.compact == "3.0" && h.major >= 3);
}

// RINEX 3's SYS / # / OBS TYPES records say which systems, over column 41;
// in RINEX 2 a blank column 41 means GPS.
std::string contentField(const HeaderSays &h)
{
	static constexpr std::string_view single = "GRECJIS";
	std::string systems = h.systems;
	if (systems.empty())
		systems = h.two() && h.system == ' ' ? 'G' : h.system;
	return systems.size() == 1 && single.find(systems[0]) != std::string_view::npos
		   ? systems + 'O'
		   : "MO";
}

std::optional<Failure> readRecords(Lines &lines, HeaderSays &h)
{
	static constexpr std::array<Field, 6> obsTime{
	    {{0, 6}, {6, 12}, {12, 18}, {18, 24}, {24, 30}, {30, 43}}};
	for (;;) {
		const auto line = lines.next();
		if (!line)
			return lines.stopped("header cut short", "header cut short");
		const std::string_view label = labelOf(*line);
		if (label == "END OF HEADER")
			return std::nullopt;
		if (label == "MARKER NAME" && !h.markerSeen) {
			h.markerSeen = true;
			const std::string_view marker = line->substr(0, 60);
			h.marker = marker.substr(0, marker.find_last_not_of(' ') + 1);
		} else if (label == "INTERVAL") {
			h.interval = secondsField(*line, {0, 10});
			h.intervalWrong = h.interval ? ""
						     : "no number in columns 1 to 10: " +
							   quoted(line->substr(0, 10), 60);
		} else if (label == "TIME OF FIRST OBS") {
			h.firstObs = timeFields(*line, obsTime);
			h.firstObsWrong = h.firstObs ? ""
						     : "no date and time in columns 1 to 43: " +
							   quoted(line->substr(0, 43), 60);
		} else if (label == "TIME OF LAST OBS") {
			h.lastObs = timeFields(*line, obsTime);
		} else if (label == "# / TYPES OF OBSERV") {
			if (const auto n = integerField(*line, {0, 6}))
				h.types = *n;
		} else if (label == "SYS / # / OBS TYPES" && !line->empty() && (*line)[0] != ' ' &&
			   h.systems.find((*line)[0]) == std::string::npos) {
			h.systems += (*line)[0];
		}
	}
}

} // namespace rinex
