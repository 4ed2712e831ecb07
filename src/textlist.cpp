// Text lists: station names several to a line, or one to a line followed by
// data of the list's own, as the first column of a table.
#include <optional>

#include "listread.h"

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

bool allNames(std::string_view line)
{
	Fields fields(line);
	for (auto field = fields.next(); field; field = fields.next())
		if (!isStationName(*field))
			return false;
	return true;
}

// The lines of one list, whose names go to names.
class TextList
{
      public:
	TextList(std::string_view file, Names &names) : file_(file), names_(names) {}

	// A line whose fields are all names gives them all; else its first
	// field is the name and the rest the list's own data.
	bool readLine(std::string_view line, size_t number)
	{
		line = trimBlanks(line);
		if (line.empty() || line.front() == '#' || line.front() == '%')
			return true;
		Fields fields(line);
		const std::optional<std::string_view> first = fields.next();
		if (!first)
			return true;
		const Where where{file_, number};
		if (!isStationName(*first)) {
			tell(at(where) + "not a station name: " + quote(*first));
			return false;
		}
		if (!allNames(line))
			return names_.add(listedAs(*first, where));
		fields = Fields(line);
		for (auto field = fields.next(); field; field = fields.next())
			if (!names_.add(listedAs(*field, where)))
				return false;
		return true;
	}

      private:
	std::string_view file_;
	Names &names_;
};

} // namespace

bool readTextList(const ListText &list, Names &names)
{
	TextList reader(list.file, names);
	for (Lines lines(list.text); lines.next();)
		if (!reader.readLine(lines.line(), lines.number()))
			return false;
	return true;
}
