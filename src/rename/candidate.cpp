// A candidate's rename: its new name, with -H its header, and the rename
// without replacing, or with -n what that would meet.
#include <cerrno>
#include <cstring>
#include <optional>
#include <variant>

#include "name/names.h"
#include "rename/headercheck.h"
#include "rename/options.h"
#include "rename/renamer.h"
#include "report/record.h"
#include "report/stop.h"
#include "rinex/header.h"

void Renamer::candidate(const Place &place, const char *name)
{
	if (place.handled != nullptr && !place.handled->insert(name).second)
		return;
	if (run_.naming.check) {
		check(place, name);
		return;
	}
	if (run_.naming.byContent && !isShortName(name)) {
		byContent(place, name);
		return;
	}
	Record &record = run_.record;
	NewName nn = newName(run_.naming, name);
	if (!nn) {
		record.left(place.prefix, name, nn.why());
		return;
	}
	if (stopping())
		return;
	std::optional<Verdict> read;
	if (run_.options.readHeaders) {
		auto header = readHeader(reader(), place, name);
		if (const auto *left = std::get_if<NotRenamed>(&header)) {
			record.left(place.prefix, name, *left);
			return;
		}
		read = std::move(std::get<Verdict>(header));
		nn = newName(run_.naming, name, read->frequency, read->content);
	}
	if (move(place, name, nn.name()) && read)
		noteHeader(place, name, *read);
}

// What -H says beside a rename: its notes, and a rate it could not tell.
void Renamer::noteHeader(const Place &place, const char *name, const Verdict &v)
{
	for (const std::string &note : v.notes)
		run_.record.note(place.prefix, name, note);
	if (v.frequency == "00U")
		run_.record.unknownRate();
}

void Renamer::entry(const Place &place, const Listing &listing, const Listing::Entry &entry)
{
	const char *name = listing.name(entry);
	if (entry.kind == Listing::Kind::candidate) {
		candidate(place, name);
		return;
	}
	const char *reason = std::strerror(entry.error);
	if (isCandidate(run_.naming, name))
		run_.record.left(place.prefix, name, {reason});
	else
		run_.record.report(place.prefix, name, "not walked", reason);
}

void Renamer::folder(const Place &place, const Listing &listing)
{
	Names given;
	Place here = place;
	if (run_.options.dryRun && here.given == nullptr)
		here.given = &given;
	for (const Listing::Entry &e : listing.entries()) {
		if (stopping())
			return;
		if (e.kind != Listing::Kind::folder)
			entry(here, listing, e);
	}
}
