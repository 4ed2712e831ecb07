// -a and -k: files read whole, named by their data or their long names
// checked against them.
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

void Renamer::byContent(const Place &place, const char *name)
{
	if (stopping())
		return;
	Record &record = run_.record;
	ReadContent read = readContent(reader(), place, name, true);
	if (const auto *left = std::get_if<NotRenamed>(&read)) {
		record.left(place.prefix, name, *left);
		return;
	}
	if (const auto *passed = std::get_if<rinex::PassedOver>(&read)) {
		if (passed->counted)
			record.passedOver();
		return;
	}
	const rinex::Content &c = std::get<rinex::Content>(read);
	const auto named = contentName(run_.naming, c);
	if (const auto *left = std::get_if<NotRenamed>(&named)) {
		record.left(place.prefix, name, *left);
		return;
	}
	if (!move(place, name, std::get<std::string>(named).c_str()))
		return;
	if (!c.note.empty())
		record.note(place.prefix, name, c.note);
	if (c.frequency == "00U")
		record.unknownRate();
}

void Renamer::check(const Place &place, const char *name)
{
	if (stopping())
		return;
	Record &record = run_.record;
	ReadContent read = readContent(reader(), place, name, false);
	if (const auto *left = std::get_if<NotRenamed>(&read)) {
		record.left(place.prefix, name, *left);
		return;
	}
	if (const auto *passed = std::get_if<rinex::PassedOver>(&read)) {
		if (passed->counted)
			record.passedOver();
		return;
	}
	record.checked();
	const auto checked =
	    checkName(run_.naming, longNameFields(name).value(), std::get<rinex::Content>(read));
	if (const auto *left = std::get_if<NotRenamed>(&checked))
		record.left(place.prefix, name, *left);
	else if (const auto *d = std::get_if<Disagreement>(&checked))
		record.disagrees(place.prefix, name, d->says, d->name);
}
