// Site logs, as the IGS keeps them: a form whose lines read "LABEL : VALUE".
#include <optional>

#include "listread.h"

namespace
{

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

      private:
	std::string_view text_;
};

} // namespace

// A site log names its station once, on its first Nine Character ID line;
// the rest of the log is never read as names.
LogName readSiteLog(const ListText &log)
{
	LogName name;
	const Form form(log.text);
	const std::optional<Labelled> nine = form.find("Nine Character ID");
	if (!nine) {
		const std::optional<Labelled> four = form.find("Four Character ID");
		if (four) {
			tell(at({log.file, four->line}) +
			     "version 1 site log, with no country code: " + quote(four->text));
			name.outcome = LogName::refused;
		}
		return name;
	}
	const Where where{log.file, nine->line};
	if (!isStationName(nine->text)) {
		tell(at(where) + "not a station name: " + quote(nine->text));
		name.outcome = LogName::refused;
		return name;
	}
	name.outcome = LogName::named;
	name.listed = listedAs(nine->text, where);
	return name;
}
