// GeodesyML, the XML form of a site log that metadata portals export, read
// with expat: the station's name is that of its siteIdentification.
#include "stations/geodesyml.h"

#include <expat.h>

#include <algorithm>
#include <array>
#include <climits>
#include <optional>
#include <vector>

#include "stations/listtext.h"
#include "stations/logdate.h"
#include "util/text.h"

namespace
{

// The elements that make the name, each within its parent, in the order of
// the name: SNTR, 0, 0 and GRC give SNTR00GRC.
struct Part {
	const char *element;
	const char *within;
};
constexpr Part parts[] = {
    {"fourCharacterID", "siteIdentification"},
    {"monumentNumber", "siteIdentification"},
    {"receiverNumber", "siteIdentification"},
    {"countryCodeISO", "siteLocation"},
};
constexpr Part prepared = {"datePrepared", "formInformation"};
constexpr size_t partCount = std::size(parts);

// Expat gives a name in a namespace as the namespace, this separator and
// the local name.
constexpr char separator = '\n';

std::string_view localName(const XML_Char *name)
{
	const std::string_view n(name);
	const size_t cut = n.rfind(separator);
	return cut == std::string_view::npos ? n : n.substr(cut + 1);
}

bool isXmlSpace(char c)
{
	return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string trimmed(const std::string &text)
{
	const auto first = std::find_if_not(text.begin(), text.end(), isXmlSpace);
	const auto last = std::find_if_not(text.rbegin(), text.rend(), isXmlSpace).base();
	return first < last ? std::string(first, last) : std::string();
}

} // namespace

// What the parser has met.
struct GeodesyState {
	XML_Parser parser = nullptr;
	bool wantDate = false;
	size_t fed = 0; // bytes given to the parser
	bool rootSeen = false, isDocument = false, stopped = false, ended = false;
	XML_Error error = XML_ERROR_NONE;
	size_t errorLine = 0;

	std::vector<std::string> open; // the elements the parser is in
	std::array<std::optional<std::string>, partCount + 1> found{}; // the parts, the date
	std::optional<std::string> *filling = nullptr;                 // what the text is of
	size_t fillingDepth = 0;
	size_t identificationLine = 0;
};

namespace
{

bool within(const GeodesyState &s, const char *element)
{
	return std::find(s.open.begin(), s.open.end() - 1, element) != s.open.end() - 1;
}

bool complete(const GeodesyState &s)
{
	return std::all_of(s.found.begin(), s.found.end() - (s.wantDate ? 0 : 1),
			   [](const auto &part) { return part.has_value(); });
}

// The part this element holds, if it is one not found yet.
std::optional<std::string> *partFor(GeodesyState &s, std::string_view element)
{
	for (size_t i = 0; i <= partCount; i++) {
		const Part &p = i < partCount ? parts[i] : prepared;
		if (element == p.element && within(s, p.within) && !s.found[i] &&
		    (i < partCount || s.wantDate))
			return &s.found[i];
	}
	return nullptr;
}

void stop(GeodesyState &s)
{
	s.stopped = true;
	(void)XML_StopParser(s.parser, XML_FALSE);
}

void startElement(void *state, const XML_Char *name, const XML_Char ** /*attributes*/)
{
	GeodesyState &s = *static_cast<GeodesyState *>(state);
	const std::string_view element = localName(name);
	if (!s.rootSeen) {
		s.rootSeen = true;
		s.isDocument = element == "GeodesyML";
		if (!s.isDocument) {
			stop(s);
			return;
		}
	}
	s.open.emplace_back(element);
	if (element == "siteIdentification" && s.identificationLine == 0)
		s.identificationLine = XML_GetCurrentLineNumber(s.parser);
	if (s.filling == nullptr && (s.filling = partFor(s, element)) != nullptr) {
		s.filling->emplace();
		s.fillingDepth = s.open.size();
	}
}

void endElement(void *state, const XML_Char * /*name*/)
{
	GeodesyState &s = *static_cast<GeodesyState *>(state);
	if (s.filling != nullptr && s.open.size() == s.fillingDepth) {
		**s.filling = trimmed(**s.filling);
		s.filling = nullptr;
		if (complete(s))
			stop(s);
	}
	s.open.pop_back();
}

void characters(void *state, const XML_Char *text, int n)
{
	const GeodesyState &s = *static_cast<GeodesyState *>(state);
	if (s.filling != nullptr)
		(*s.filling)->append(text, static_cast<size_t>(n));
}

} // namespace

GeodesyML::GeodesyML(std::string_view start, bool whole, bool wantDate)
    : state_(std::make_unique<GeodesyState>())
{
	GeodesyState &s = *state_;
	s.wantDate = wantDate;
	s.parser = XML_ParserCreateNS(nullptr, separator);
	if (s.parser == nullptr)
		throw std::bad_alloc();
	XML_SetUserData(s.parser, &s);
	XML_SetElementHandler(s.parser, startElement, endElement);
	XML_SetCharacterDataHandler(s.parser, characters);
	// The root must stand in the head.
	const bool all = whole && start.size() <= headSize;
	feed(start.substr(0, std::min(start.size(), headSize)), all);
	if (!s.rootSeen)
		s.isDocument = false;
}

GeodesyML::~GeodesyML()
{
	XML_ParserFree(state_->parser);
}

bool GeodesyML::isDocument() const
{
	return state_->isDocument;
}

bool GeodesyML::wantsMore() const
{
	const GeodesyState &s = *state_;
	return s.isDocument && !s.stopped && !s.ended && s.error == XML_ERROR_NONE;
}

// The parser takes what of the text it has not had yet.
void GeodesyML::feed(std::string_view text, bool whole)
{
	GeodesyState &s = *state_;
	if (s.stopped || s.ended || s.error != XML_ERROR_NONE || text.size() < s.fed)
		return;
	const bool last = whole;
	std::string_view rest = text.substr(s.fed);
	do {
		const auto n = static_cast<int>(std::min<size_t>(rest.size(), INT_MAX));
		const bool final = last && static_cast<size_t>(n) == rest.size();
		s.fed += static_cast<size_t>(n);
		if (XML_Parse(s.parser, rest.data(), n, final) != XML_STATUS_OK) {
			if (!s.stopped) {
				s.error = XML_GetErrorCode(s.parser);
				s.errorLine = XML_GetCurrentLineNumber(s.parser);
			}
			return;
		}
		s.ended = final;
		rest.remove_prefix(static_cast<size_t>(n));
	} while (!rest.empty());
}

LogName GeodesyML::name(std::string_view file) const
{
	const GeodesyState &s = *state_;
	LogName log;
	log.outcome = LogName::refused;
	if (s.error != XML_ERROR_NONE) {
		log.where = {file, s.errorLine};
		log.message = std::string("XML error: ") + XML_ErrorString(s.error);
		return log;
	}
	std::string name;
	for (size_t i = 0; i < partCount; i++) {
		if (!s.found[i]) {
			log.where = {file, 0};
			log.message = std::string("no '") + parts[i].element + "' element in '" +
				      parts[i].within + "'";
			return log;
		}
		name += *s.found[i];
	}
	log.where = {file, s.identificationLine};
	if (!isStationName(name)) {
		log.message = "not a station name: " + quoted(name);
		return log;
	}
	log.outcome = LogName::named;
	log.listed = listedAs(name, log.where);
	if (s.found[partCount])
		log.prepared = preparedDate(*s.found[partCount]);
	return log;
}
