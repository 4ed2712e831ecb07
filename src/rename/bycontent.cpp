// -a and -k: files read whole, named by their data or their long names
// checked against them.
#include <optional>
#include <string>
#include <variant>

#include "name/contentname.h"
#include "name/longname.h"
#include "name/namecheck.h"
#include "name/names.h"
#include "rename/headercheck.h"
#include "rename/renamer.h"
#include "report/record.h"
#include "report/stop.h"

// What the file holds, or nothing after the record has said why not.
std::optional<rinex::Content> Renamer::readWhole(const Place &place, const char *name)
{
	ReadContent read = readContent(reader(), place, name);
	if (const auto *left = std::get_if<NotRenamed>(&read)) {
		run_.record.left(place.prefix, name, *left);
		return std::nullopt;
	}
	if (std::holds_alternative<rinex::PassedOver>(read)) {
		run_.record.passedOver();
		return std::nullopt;
	}
	return std::get<rinex::Content>(std::move(read));
}

void Renamer::byContent(const Place &place, const char *name)
{
	if (stopping())
		return;
	Record &record = run_.record;
	// Only a file named on the command line comes here with a long name.
	if (longNameFields(name)) {
		record.left(place.prefix, name, {"a RINEX 3 long name already"});
		return;
	}
	const std::optional<rinex::Content> read = readWhole(place, name);
	if (!read)
		return;
	const rinex::Content &c = *read;
	const auto named = contentName(run_.naming, c);
	if (const auto *left = std::get_if<NotRenamed>(&named)) {
		record.left(place.prefix, name, *left);
		return;
	}
	if (!move(place, name, std::get<std::string>(named).c_str()))
		return;
	if (!c.note.empty())
		record.note(place.prefix, name, c.note);
	if (!c.unknownRate.empty()) {
		record.note(place.prefix, name, "named with an unknown rate, 00U: " + c.unknownRate);
		record.unknownRate();
	}
}

void Renamer::check(const Place &place, const char *name)
{
	if (stopping())
		return;
	Record &record = run_.record;
	// A file named on the command line may have no long name.
	const std::optional<LongNameFields> fields = longNameFields(name);
	if (!fields) {
		record.left(place.prefix, name, {"not a RINEX 3 long name"});
		return;
	}
	const std::optional<rinex::Content> read = readWhole(place, name);
	if (!read)
		return;
	const auto checked = checkName(run_.naming, *fields, *read);
	if (const auto *left = std::get_if<NotRenamed>(&checked)) {
		record.left(place.prefix, name, *left);
		return;
	}
	record.checked();
	if (const auto *d = std::get_if<Disagreement>(&checked))
		record.disagrees(place.prefix, name, d->says, d->name);
}
