// Whether a file is a candidate, and the name it takes. The conversion is
// orvane's own: the station's nine characters come from a station list, else
// from -s, else from the catalogue.
#include "name/names.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "name/charclass.h"
#include "name/catalogue.h"
#include "name/longname.h"
#include "name/orvane.h"
#include "stations/lists.h"
#include "rinex/compression.h"

namespace
{

// The length of a trailing compression suffix (.Z, .gz, .bz2), or 0.
size_t compressionSuffix(std::string_view name)
{
	return compressionRow(compressionOf(name)).suffix.size();
}

bool isDigits(std::string_view s)
{
	return std::ranges::all_of(s, isDigit);
}

// The name less its compression suffix, NUL-terminated for the conversion.
struct Stem {
	explicit Stem(std::string_view name)
	    : length(std::min(name.size() - compressionSuffix(name), text.size() - 1))
	{
		std::memcpy(text.data(), name.data(), length);
		text[length] = '\0';
	}
	std::string_view view() const { return {text.data(), length}; }
	std::array<char, NAME_MAX + 1> text;
	size_t length;
};

// The conversion takes days 000 to 366 of any year, as orvane does; a long
// name is only made for a day the year has.
bool isDayOfYear(const LongName &ln)
{
	const int year = ln.century * 100 + ln.year;
	const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
	return ln.day >= 1 && ln.day <= (leap ? 366 : 365);
}

} // namespace

// ssssdddh.yyt or ssssdddhmm.yyt, less a compression suffix: station, day,
// hour designator, the minute of a 15-minute file, year and type. The
// conversion judges the rest. With -2, the layout of a long name; with -k,
// a long name's fields; with -a, any name but that.
bool isCandidate(const Naming &naming, std::string_view name)
{
	if (naming.check || naming.byContent)
		return longNameFields(name).has_value() == naming.check;
	if (naming.shortening) {
		const Stem stem(name);
		ShortName sn;
		return shortenName(stem.text.data(), &sn) != shortNoLayout;
	}
	return isShortName(name);
}

bool isShortName(std::string_view name)
{
	const Stem stem(name);
	const std::string_view s = stem.view();
	if (s.size() != 12 && s.size() != 14)
		return false;
	return isDigits(s.substr(4, 3)) && (s.size() == 12 || isDigits(s.substr(8, 2))) &&
	       s[s.size() - 4] == '.' && isDigits(s.substr(s.size() - 3, 2));
}

NewName newName(const Naming &naming, std::string_view name, std::string_view frequency,
		std::string_view content)
{
	const Stem stem(name);
	NewName nn;
	char *end = nullptr;

	if (naming.shortening) {
		ShortName sn;
		switch (shortenName(stem.text.data(), &sn)) {
		case shortOk:
			end = std::copy_n(sn.name, std::strlen(sn.name), nn.to_.data());
			break;
		case shortRefused: {
			char why[64];
			(void)std::snprintf(why, sizeof why, sn.why, sn.partLength, sn.part);
			nn.why_.reason = why;
			return nn;
		}
		default:
			nn.why_.reason = "not a RINEX 3 long name";
			return nn;
		}
	} else {
		const ListedName listed = stem.length >= 4 && naming.lists != nullptr
					      ? listedName(*naming.lists, stem.text.data())
					      : ListedName{};
		LongName ln;
		const Refusal refusal = convertNameFrom1981(
		    stem.text.data(), listed.name != nullptr ? listed.name + 4 : naming.suffix,
		    nullptr, catalogueName, &ln);
		if (refusal != convOk) {
			// orvane's message up to its dots: "Station Name not found"
			const std::string_view message = convMessage[refusal] + 1;
			nn.why_.reason = message.substr(0, message.find("..."));
			return nn;
		}
		// A code a list names twice is neither station's, nor -s's.
		if (!listed.ambiguity.empty()) {
			nn.why_ = {std::string(listed.ambiguity), "station of two names in a list"};
			return nn;
		}
		if (!isDayOfYear(ln)) {
			nn.why_ = {std::to_string(ln.century * 100 + ln.year) + " has no day " +
				       std::string(stem.view().substr(4, 3)),
				   "no such day"};
			return nn;
		}
		std::array<char, 8> cadence{'_'};
		if (!frequency.empty() && ln.cadence[0] != '\0') {
			frequency.copy(cadence.data() + 1,
				       std::min(frequency.size(), cadence.size() - 2));
			ln.cadence = cadence.data();
		}
		std::array<char, 3> type{};
		if (!content.empty() && ln.cadence[0] != '\0') {
			content.copy(type.data(), type.size() - 1);
			ln.type = type.data();
		}
		end = writeLongName(nn.to_.data(), &ln, naming.source);
		// A suffix is printed as typed: a slash in it would lead out of the folder.
		if (std::strchr(nn.to_.data(), '/') != nullptr) {
			nn.why_ = {std::string(nn.to_.data()) + " would leave the folder",
				   "new name would leave the folder"};
			return nn;
		}
	}
	const std::string_view compression = name.substr(stem.length);
	std::memcpy(end, compression.data(), compression.size());
	end[compression.size()] = '\0';
	return nn;
}
