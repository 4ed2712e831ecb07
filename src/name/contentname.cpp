// Names from data: the station a marker names, and the period the epochs
// fill.
#include "name/contentname.h"

#include <algorithm>
#include <array>

#include "name/charclass.h"
#include "name/names.h"
#include "stations/listed.h"
#include "util/text.h"

using rinex::perSecond;
using rinex::Ticks;

namespace
{

Ticks floorTo(Ticks t, Ticks unit)
{
	return (t >= 0 ? t : t - unit + 1) / unit * unit;
}

} // namespace

DataSpan dataSpan(Ticks first, Ticks last)
{
	static constexpr std::array<std::pair<Ticks, const char *>, 3> spans{{
	    {15 * 60 * perSecond, "15M"},
	    {3600 * perSecond, "01H"},
	    {86400 * perSecond, "01D"},
	}};
	for (const auto &[length, field] : spans)
		if (floorTo(first, length) == floorTo(last, length))
			return {floorTo(first, length), field};
	return {floorTo(first, 60 * perSecond), "00U"};
}

std::variant<std::string, NotRenamed> markerStation(const Naming &naming,
						    std::string_view marker)
{
	if (marker.size() >= 9 && isStationName(marker.substr(0, 9)))
		return std::string(marker.substr(0, 9));
	const NotRenamed none{"MARKER NAME " + quoted(marker, 60) + " names no station",
			      "marker names no station"};
	if (marker.size() < 4 || !std::ranges::all_of(marker.substr(0, 4), isLetterOrDigit))
		return none;
	// The station as a short name of its code would have it.
	std::string shortName = "xxxx0010.16o";
	std::ranges::transform(marker.substr(0, 4), shortName.begin(), toLower);
	const NewName nn = newName(naming, shortName);
	if (!nn && nn.why().kind == "station of two names in a list")
		return nn.why();
	if (!nn)
		return none;
	return std::string(nn.name(), 9);
}

std::string_view formatOf(const rinex::Content &c)
{
	return c.compact ? "crx" : "rnx";
}

std::string_view compressionSuffixOf(const rinex::Content &c)
{
	return compressionRow(c.compression).suffix;
}

std::string longName(std::string_view station, std::string_view source, std::string_view start,
		     std::string_view period, const rinex::Content &c)
{
	std::string name(station);
	for (const std::string_view field : {source, start, period, std::string_view(c.frequency)})
		name.append("_").append(field);
	name.append("_").append(c.content).append(".").append(formatOf(c));
	return name.append(compressionSuffixOf(c));
}

std::variant<std::string, NotRenamed> contentName(const Naming &naming,
						  const rinex::Content &c)
{
	auto station = markerStation(naming, c.marker);
	if (auto *left = std::get_if<NotRenamed>(&station))
		return std::move(*left);
	const DataSpan span = dataSpan(c.first, c.last);
	std::string name = longName(std::get<std::string>(station), naming.source,
				    rinex::startField(span.start), span.period, c);
	// A suffix is printed as typed: a slash in it would lead out of the folder.
	if (name.find('/') != std::string::npos)
		return NotRenamed{name + " would leave the folder", "new name would leave the folder"};
	return name;
}
