// What every candidate's rename shares: the rename itself, without
// replacing, or with -n what it would meet; the thread's header reader.
#include "rename/renamer.h"

#include <cerrno>
#include <cstring>

#include "rename/forecast.h"
#include "rename/noreplace.h"
#include "rename/options.h"
#include "report/record.h"
#include "rinex/header.h"

Renamer::Renamer(const Run &run) : run_(run) {}

Renamer::~Renamer() = default;

bool Renamer::move(const Place &place, const char *name, const char *to)
{
	const Result<Moved> moved = run_.options.dryRun ? foresee(place, name, to)
							: run_.noReplace.move(place, name, to);
	if (moved && *moved == Moved::renamed) {
		run_.record.rename(place.prefix, name, to);
		return true;
	}
	if (moved.error() == EEXIST)
		run_.record.exists(place.prefix, name, to);
	else if (!moved)
		run_.record.left(place.prefix, name, {std::strerror(moved.error())});
	return false;
}

HeaderReader &Renamer::reader()
{
	if (!reader_)
		reader_ = std::make_unique<HeaderReader>();
	return *reader_;
}
