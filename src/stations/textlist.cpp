// Text lists: station names several to a line, or one to a line followed by
// data of the list's own, as the first column of a table, as networks keep
// them: under a header row, with stray rows, or as long names.
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
// '_', as the prefix NRC100CAN_R_ or a long file name does.
std::optional<std::string_view> stationOf(std::string_view field)
{
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

// Of the rows that name no station, this many are noted one by one.
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
		if (line.empty() || line.front() == '#' || line.front() == '%')
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
		const std::optional<std::string_view> name = stationOf(*first);
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
		if (!names_.add(listedAs(name, where)))
			conflicts_ = true;
	}

	std::string_view file_;
	ListedNames &names_;
	bool begun_ = false, conflicts_ = false;
	size_t strays_ = 0, given_ = 0;
};

} // namespace

bool readTextList(const ListText &list, ListedNames &names)
{
	TextList reader(list.file, names);
	for (Lines lines(list.text); lines.next();)
		reader.readLine(lines.line(), lines.number());
	return reader.finish();
}
