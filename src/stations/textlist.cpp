// Text lists: station names several to a line, or one to a line followed by
// data of the list's own, as the first column of a table, as networks keep
// them: under a header row, with stray rows, as long names or paths; or as
// global station tables keep them, the four-character ID first and the name
// in a later column.
#include "stations/textlist.h"

#include <optional>

#include "stations/listednames.h"
#include "stations/listtext.h"
#include "util/text.h"

namespace
{

bool isSeparator(char c)
{
	return c == ' ' || c == '\t' || c == ',' || c == ';';
}

// The fields of a line, separated by blanks, tabs, commas and semicolons.
class Fields
{
      public:
	explicit Fields(std::string_view line) : rest_(line) {}

	std::optional<std::string_view> next()
	{
		while (!rest_.empty() && isSeparator(rest_.front()))
			rest_.remove_prefix(1);
		if (rest_.empty())
			return std::nullopt;
		size_t n = 0;
		while (n < rest_.size() && !isSeparator(rest_[n]))
			n++;
		const std::string_view field = rest_.substr(0, n);
		rest_.remove_prefix(n);
		return field;
	}

      private:
	std::string_view rest_;
};

// A field names a station when it is a station name, or begins with one and
// '_', as the prefix NRC100CAN_R_ or a long file name does; a path, as find
// prints it, by its last component.
std::optional<std::string_view> stationOf(std::string_view field)
{
	if (const size_t slash = field.rfind('/'); slash != std::string_view::npos)
		field.remove_prefix(slash + 1);
	if (field.size() > 9 && field[9] == '_')
		field = field.substr(0, 9);
	return isStationName(field) ? std::optional(field) : std::nullopt;
}

bool allNames(std::string_view line)
{
	Fields fields(line);
	for (auto field = fields.next(); field; field = fields.next())
		if (!stationOf(*field))
			return false;
	return true;
}

bool noNames(std::string_view line)
{
	Fields fields(line);
	for (auto field = fields.next(); field; field = fields.next())
		if (stationOf(*field))
			return false;
	return true;
}

// 00NA 59975M001 ... 00NA00AUS: the later field that names the station whose
// four-character ID stands first, in either case.
std::optional<std::string_view> tableName(std::string_view line, std::string_view first)
{
	if (first.size() != 4)
		return std::nullopt;
	Fields fields(line);
	(void)fields.next();
	for (auto field = fields.next(); field; field = fields.next())
		if (const auto name = stationOf(*field); name && sameCode(first, *name))
			return name;
	return std::nullopt;
}

bool isComment(char c)
{
	return c == '#' || c == '%' || c == '!' || c == '*';
}

// Of the rows that name no station, and of the codes named twice, this many
// are noted one by one.
constexpr size_t strayNotes = 10;

// The lines of one list, whose names go to names.
class TextList
{
      public:
	TextList(std::string_view file, ListedNames &names) : file_(file), names_(names) {}

	// A line whose fields all name stations gives them all; else its first
	// field names the station and the rest is the list's own data. The
	// first line, when none of its fields names one, is a header.
	void readLine(std::string_view line, size_t number)
	{
		line = trimBlanks(line);
		if (line.empty() || isComment(line.front()))
			return;
		Fields fields(line);
		const std::optional<std::string_view> first = fields.next();
		if (!first)
			return;
		const bool isFirst = !begun_;
		begun_ = true;
		if (isFirst && noNames(line))
			return;
		const Where where{file_, number};
		std::optional<std::string_view> name = stationOf(*first);
		if (!name && (name = tableName(line, *first))) {
			add(*name, where);
			return;
		}
		if (!name) {
			if (++strays_ <= strayNotes)
				tell(at(where) + "note: skipped: not a station name " +
				     quoted(*first));
			return;
		}
		if (!allNames(line)) {
			add(*name, where);
			return;
		}
		fields = Fields(line);
		for (auto field = fields.next(); field; field = fields.next())
			add(*stationOf(*field), where);
	}

	// A list that names no station is no station list.
	bool finish() const
	{
		if (strays_ > strayNotes)
			tell(std::string(file_) + ": note: skipped " +
			     std::to_string(strays_ - strayNotes) +
			     " more lines whose first field is not a station name");
		if (ambiguous_ > strayNotes)
			tell(std::string(file_) +
			     ": note: " + std::to_string(ambiguous_ - strayNotes) +
			     " more station codes named twice; their files are left");
		if (given_ == 0) {
			tell(std::string(file_) + ": no station names");
			return false;
		}
		return !conflicts_;
	}

      private:
	void add(std::string_view name, const Where &where)
	{
		given_++;
		const Listed n = listedAs(name, where);
		switch (names_.add(n)) {
		case ListedNames::Added::conflict:
			conflicts_ = true;
			break;
		case ListedNames::Added::ambiguous:
			if (++ambiguous_ <= strayNotes)
				tell(at(where) +
				     "note: " + std::string(names_.ambiguity(keyOf(n))) +
				     "; its files are left");
			break;
		default:
			break;
		}
	}

	std::string_view file_;
	ListedNames &names_;
	bool begun_ = false, conflicts_ = false;
	size_t strays_ = 0, given_ = 0, ambiguous_ = 0;
};

} // namespace

bool readTextList(const ListText &list, ListedNames &names)
{
	TextList reader(list.file, names);
	for (Lines lines(list.text); lines.next();)
		reader.readLine(lines.line(), lines.number());
	return reader.finish();
}
