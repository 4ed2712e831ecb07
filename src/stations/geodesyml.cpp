// GeodesyML, the XML form of a site log that metadata portals export, read
// with expat: the station's name is that of its siteIdentification, or where
// that gives no numbers, as Geoscience Australia's exports do, its root's
// gml:id. SOPAC's older igsSiteLog XML is known, to say it names no station.
#include "stations/geodesyml.h"

#include <expat.h>

#include <algorithm>
#include <array>
#include <climits>
#include <optional>

#include "stations/listtext.h"
#include "stations/logdate.h"
#include "util/text.h"

namespace
{

// Expat gives a name in a namespace as the namespace, this separator and
// the local name.
constexpr char separator = '\n';

std::string_view localName(const XML_Char *name)
{
	const std::string_view n(name);
	const size_t cut = n.rfind(separator);
	return cut == std::string_view::npos ? n : n.substr(cut + 1);
}

constexpr std::string_view xmlSpace = " \t\n\r";

// Of an element's text, trimmed of XML's blanks as it comes, no more is kept
// than a name or a date needs and a message quotes; its length is counted.
// However much text entities pile into one element, it takes no memory.
class ElementText
{
      public:
	void append(std::string_view piece)
	{
		if (size_ == 0) {
			const size_t first = piece.find_first_not_of(xmlSpace);
			if (first == std::string_view::npos)
				return;
			piece.remove_prefix(first);
		}
		if (size_ < kept_.size())
			piece.copy(kept_.data() + size_, kept_.size() - size_);
		const size_t last = piece.find_last_not_of(xmlSpace);
		blanksAtEnd_ = last == std::string_view::npos ? blanksAtEnd_ + piece.size()
							      : piece.size() - last - 1;
		size_ += piece.size();
	}
	size_t size() const { return size_ - blanksAtEnd_; }
	std::string_view kept() const { return {kept_.data(), std::min(size(), kept_.size())}; }

      private:
	std::array<char, 64> kept_{};
	size_t size_ = 0, blanksAtEnd_ = 0; // from the first byte that is no blank
};

// The elements that contain parts, counted as they open and close.
enum Container { identification, location, form, containerCount };
constexpr const char *containerNames[] = {"siteIdentification", "siteLocation", "formInformation"};

// The elements that make the name, each within its parent, in the order of
// the name: SNTR, 0, 0 and GRC give SNTR00GRC.
struct Part {
	const char *element;
	Container within;
};
constexpr Part parts[] = {
    {"fourCharacterID", identification},
    {"monumentNumber", identification},
    {"receiverNumber", identification},
    {"countryCodeISO", location},
};
constexpr Part prepared = {"datePrepared", form};
constexpr size_t partCount = std::size(parts);
enum { four, monument, receiver, country, date };

// The root's identifier in GML's namespace, of any version.
bool isGmlId(const XML_Char *attribute)
{
	const std::string_view a(attribute);
	return a.starts_with("http://www.opengis.net/gml") && a.ends_with("\nid");
}

} // namespace

// What the parser has met.
struct GeodesyState {
	XML_Parser parser = nullptr;
	bool wantDate = false;
	size_t fed = 0; // bytes given to the parser
	enum Root { none, geodesyML, sopac, other } root = none;
	bool stopped = false, ended = false;
	XML_Error error = XML_ERROR_NONE;
	size_t errorLine = 0;

	size_t depth = 0;                          // of the element the parser is in
	std::array<size_t, containerCount> open{}; // containers open above it
	std::array<std::optional<ElementText>, partCount + 1> found{}; // the parts, the date
	ElementText *filling = nullptr;                                // the part the text is of
	size_t fillingDepth = 0;
	size_t identificationLine = 0;
	bool identificationEnded = false;
	std::string id; // the root's gml:id less a leading '_', where nine characters
	size_t rootLine = 0;
};

namespace
{

// Whether the id may stand for the numbers the document does not give.
bool byId(const GeodesyState &s)
{
	return (!s.found[monument] || !s.found[receiver]) && isStationName(s.id);
}

// Read no further once the name and the date wanted are: the parts, or once
// the first siteIdentification ends without numbers, its ID and the root's
// id. The country may come long after the rest.
bool complete(const GeodesyState &s)
{
	if (s.wantDate && !s.found[date])
		return false;
	if (std::all_of(s.found.begin(), s.found.begin() + partCount,
			[](const auto &part) { return part.has_value(); }))
		return true;
	return s.identificationEnded && s.found[four] && byId(s);
}

// The part this element holds, if it is one not found yet.
std::optional<ElementText> *partFor(GeodesyState &s, std::string_view element)
{
	for (size_t i = 0; i <= partCount; i++) {
		const Part &p = i < partCount ? parts[i] : prepared;
		if (element == p.element && s.open[p.within] > 0 && !s.found[i] &&
		    (i < partCount || s.wantDate))
			return &s.found[i];
	}
	return nullptr;
}

// The container the element is, or containerCount.
size_t containerOf(std::string_view element)
{
	return static_cast<size_t>(std::ranges::find(containerNames, element) -
				   std::begin(containerNames));
}

void stop(GeodesyState &s)
{
	s.stopped = true;
	(void)XML_StopParser(s.parser, XML_FALSE);
}

void startRoot(GeodesyState &s, std::string_view element, const XML_Char **attributes)
{
	s.root = element == "GeodesyML"    ? GeodesyState::geodesyML
		 : element == "igsSiteLog" ? GeodesyState::sopac
					   : GeodesyState::other;
	s.rootLine = XML_GetCurrentLineNumber(s.parser);
	for (const XML_Char **a = attributes; a[0] != nullptr; a += 2)
		if (isGmlId(a[0])) {
			std::string_view id(a[1]);
			if (id.starts_with('_'))
				id.remove_prefix(1);
			if (id.size() == 9)
				s.id = id;
		}
}

void startElement(void *state, const XML_Char *name, const XML_Char **attributes)
{
	GeodesyState &s = *static_cast<GeodesyState *>(state);
	const std::string_view element = localName(name);
	if (s.root == GeodesyState::none) {
		startRoot(s, element, attributes);
		if (s.root != GeodesyState::geodesyML) {
			stop(s);
			return;
		}
	}
	s.depth++;
	if (element == "siteIdentification" && s.identificationLine == 0)
		s.identificationLine = XML_GetCurrentLineNumber(s.parser);
	if (s.filling == nullptr) {
		if (std::optional<ElementText> *part = partFor(s, element)) {
			s.filling = &part->emplace();
			s.fillingDepth = s.depth;
		}
	}
	if (const size_t c = containerOf(element); c < containerCount)
		s.open[c]++;
}

// Expat ends an empty root that the start stopped at, as in <metadata/>:
// only what was started is ended.
void endElement(void *state, const XML_Char *name)
{
	GeodesyState &s = *static_cast<GeodesyState *>(state);
	if (s.depth == 0)
		return;
	bool ends = false;
	if (s.filling != nullptr && s.depth == s.fillingDepth) {
		s.filling = nullptr;
		ends = true;
	}
	if (const size_t c = containerOf(localName(name)); c < containerCount) {
		s.open[c]--;
		if (c == identification && s.open[c] == 0 && !s.identificationEnded)
			s.identificationEnded = ends = true;
	}
	s.depth--;
	if (ends && complete(s))
		stop(s);
}

void characters(void *state, const XML_Char *text, int n)
{
	GeodesyState &s = *static_cast<GeodesyState *>(state);
	if (s.filling != nullptr)
		s.filling->append({text, static_cast<size_t>(n)});
}

// The root's id names the station where its first four characters are the
// fourCharacterID, in either case.
LogName nameById(const GeodesyState &s, std::string_view file)
{
	LogName log;
	log.where = {file, s.rootLine};
	const ElementText &id = *s.found[four];
	if (!sameCode(id.kept(), s.id)) {
		log.outcome = LogName::disagree;
		log.message = "gml:id " + quoted(s.id) + " and fourCharacterID " +
			      quotedStart(id.kept(), id.size()) + " disagree";
		return log;
	}
	log.outcome = LogName::named;
	log.listed = listedAs(s.id, log.where);
	if (s.found[date])
		log.prepared = preparedDate(s.found[date]->kept());
	return log;
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
}

GeodesyML::~GeodesyML()
{
	XML_ParserFree(state_->parser);
}

bool GeodesyML::isDocument() const
{
	return state_->root == GeodesyState::geodesyML || state_->root == GeodesyState::sopac;
}

bool GeodesyML::wantsMore() const
{
	const GeodesyState &s = *state_;
	return s.root == GeodesyState::geodesyML && !s.stopped && !s.ended &&
	       s.error == XML_ERROR_NONE;
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
	if (s.root == GeodesyState::sopac) {
		log.outcome = LogName::sopac;
		log.where = {file, 0};
		log.message = "SOPAC XML site log: gives no nine-character name";
		return log;
	}
	if (s.error != XML_ERROR_NONE) {
		log.where = {file, s.errorLine};
		log.message = std::string("XML error: ") + XML_ErrorString(s.error);
		return log;
	}
	if (s.found[four] && byId(s))
		return nameById(s, file);
	// Past a part cut short, the name is too long and only its start is
	// quoted.
	std::string name;
	size_t size = 0;
	for (size_t i = 0; i < partCount; i++) {
		if (!s.found[i]) {
			log.outcome = LogName::unnamed;
			log.where = {file, 0};
			log.message = std::string("no '") + parts[i].element + "' element in '" +
				      containerNames[parts[i].within] + "'";
			return log;
		}
		if (name.size() == size)
			name += s.found[i]->kept();
		size += s.found[i]->size();
	}
	log.where = {file, s.identificationLine};
	if (!isStationName(name) || size != name.size()) {
		log.message = "not a station name: " + quotedStart(name, size);
		return log;
	}
	log.outcome = LogName::named;
	log.listed = listedAs(name, log.where);
	if (s.found[date])
		log.prepared = preparedDate(s.found[date]->kept());
	return log;
}
