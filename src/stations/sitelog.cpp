// Site logs, known by their content: in text form, as the IGS keeps them, a
// title and then a form whose lines read "LABEL : VALUE"; or GeodesyML.
#include "stations/sitelog.h"

#include <optional>

#include "name/charclass.h"
#include "stations/geodesyml.h"
#include "stations/listtext.h"
#include "stations/logdate.h"
#include "stations/textlist.h"
#include "util/text.h"

namespace
{

constexpr std::string_view title = "Site Information Form";

// A label's value, and its line.
struct Labelled {
	std::string_view text;
	size_t line = 0;
};

// The lines "LABEL : VALUE" of a form.
class Form
{
      public:
	explicit Form(std::string_view text) : text_(text) {}

	// The value of the first line of the label, blanks around each part
	// trimmed.
	std::optional<Labelled> find(std::string_view label) const
	{
		for (Lines lines(text_); lines.next();) {
			std::string_view line = trimBlanks(lines.line());
			if (line.size() <= label.size() || !line.starts_with(label))
				continue;
			line = trimBlanks(line.substr(label.size()));
			if (line.starts_with(':')) {
				Labelled found;
				found.text = trimBlanks(line.substr(1));
				found.line = lines.number();
				return found;
			}
		}
		return std::nullopt;
	}

	// The first line that holds the title, and what stands before it.
	std::optional<Labelled> title() const
	{
		for (Lines lines(text_); lines.next();) {
			const size_t from = lines.line().find(::title);
			if (from != std::string_view::npos) {
				Labelled found;
				found.text = trimBlanks(lines.line().substr(0, from));
				found.line = lines.number();
				return found;
			}
		}
		return std::nullopt;
	}

      private:
	std::string_view text_;
};

// A version 1 log holds a Four Character ID and no country code, but the
// IGS's site log manager writes the nine-character name in its title.
LogName readVersionOne(const Form &head, const Labelled &four, std::string_view file)
{
	LogName log;
	const std::optional<Labelled> named = head.title();
	if (!named || !isStationName(named->text)) {
		log.outcome = LogName::versionOne;
		log.where = {file, four.line};
		log.message =
		    four.text.empty()
			? "version 1 site log, with an empty Four Character ID and no "
			  "country code"
			: "version 1 site log, with no country code: " + quoted(four.text);
		return log;
	}
	log.where = {file, named->line};
	if (!sameCode(four.text, named->text)) {
		log.outcome = LogName::disagree;
		log.message = "title " + quoted(named->text) + " and Four Character ID " +
			      quoted(four.text) + " disagree";
		return log;
	}
	log.outcome = LogName::named;
	log.listed = listedAs(named->text, log.where);
	return log;
}

// A title, or a Four or Nine Character ID line, in the head.
bool isTextLog(std::string_view head)
{
	const Form form(head);
	return form.title() || form.find("Nine Character ID") || form.find("Four Character ID");
}

// A site log names its station once, on its first Nine Character ID line, or
// else its Four Character ID line, looked for in the head first: the rest of
// the log is never read as names. needMore when the text is not whole and
// does not say.
LogName readTextLog(const ListText &log, bool whole, bool wantDate)
{
	const Form head(headOf(log.text, whole));
	const Form all(log.text);
	std::optional<Labelled> nine = head.find("Nine Character ID");
	std::optional<Labelled> four = nine ? std::nullopt : head.find("Four Character ID");
	std::optional<Labelled> prepared = wantDate ? head.find("Date Prepared") : std::nullopt;
	if ((!nine && !four) || (wantDate && !prepared)) {
		LogName more;
		more.outcome = LogName::needMore;
		if (!whole)
			return more;
		if (!nine && !four) {
			nine = all.find("Nine Character ID");
			four = nine ? std::nullopt : all.find("Four Character ID");
		}
		if (wantDate && !prepared)
			prepared = all.find("Date Prepared");
	}

	LogName name;
	if (nine) {
		name.where = {log.file, nine->line};
		if (isStationName(nine->text)) {
			name.outcome = LogName::named;
			name.listed = listedAs(nine->text, name.where);
		} else {
			name.outcome = LogName::refused;
			name.message = "not a station name: " + quoted(nine->text);
		}
	} else if (four) {
		name = readVersionOne(head, *four, log.file);
	} else {
		name.outcome = LogName::refused;
		name.where = {log.file, 0};
		name.message = "no 'Nine Character ID' line";
	}
	if (prepared)
		name.prepared = preparedDate(prepared->text);
	return name;
}

bool startsAsXml(std::string_view text)
{
	const size_t first = text.find_first_not_of(" \t\r\n");
	return first != std::string_view::npos && text[first] == '<';
}

LogName notReadLog(const FileText &read, std::string_view file)
{
	LogName log;
	log.outcome = LogName::refused;
	log.where = {file, 0};
	log.message = notRead(read);
	return log;
}

// Read on a piece at a time, for the parser stops where the name is complete;
// a file read whole already, as a list named alone is, is fed at once.
LogName readGeodesyML(FileText &read, std::string_view file, bool wantDate)
{
	GeodesyML document(withoutByteOrderMark(read.text()), read.whole(), wantDate);
	if (!document.isDocument())
		return {};
	for (;;) {
		document.feed(withoutByteOrderMark(read.text()), read.whole());
		if (!document.wantsMore() || read.whole())
			break;
		read.readTo(read.text().size() + (size_t{64} << 10));
		if (read.failed())
			return notReadLog(read, file);
	}
	return document.name(file);
}

} // namespace

LogName readSiteLog(FileText &read, std::string_view file, bool wantDate)
{
	read.readTo(headSize);
	if (read.failed())
		return notReadLog(read, file);
	std::string_view text = withoutByteOrderMark(read.text());
	if (startsAsXml(text))
		return readGeodesyML(read, file, wantDate);
	if (!isTextLog(headOf(text, read.whole())))
		return {};
	LogName log = readTextLog({file, text}, read.whole(), wantDate);
	if (log.outcome != LogName::needMore)
		return log;
	read.readAll();
	if (read.failed())
		return notReadLog(read, file);
	text = withoutByteOrderMark(read.text());
	return readTextLog({file, text}, true, wantDate);
}
