#include "rename/run.h"

#include <exception>
#include <new>
#include <optional>

#include "name/names.h"
#include "rename/noreplace.h"
#include "rename/renamer.h"
#include "report/record.h"
#include "report/stop.h"
#include "stations/listednames.h"
#include "stations/lists.h"
#include "walk/budget.h"
#include "walk/jobs.h"
#include "walk/walk.h"

namespace
{

// The walk on this thread, the renames of -j on workers of their own.
void walkAll(const Run &run, std::span<char *const> paths)
{
	const Budget budget = descriptorBudget(run.options.jobs);
	std::optional<Jobs> jobs;
	if (run.options.jobs > 1)
		jobs.emplace(run, run.options.jobs, budget);
	Walk walk(run, budget, jobs ? &*jobs : nullptr);
	walk.findNamedFolders(paths);
	for (const char *path : paths) {
		if (stopping())
			break;
		walk.path(path);
	}
}

} // namespace

int renameTrees(const Options &options, std::span<char *const> paths)
{
	// Every list is read, and found sound, before anything is renamed.
	ListedNames lists;
	if (!readStationLists(options.lists, lists))
		return 2;
	if (!Record::outputWritable())
		return 1;
	catchSignals();
	Record record({.nul = options.nulRecord, .countLeft = options.readHeaders});
	const Naming naming{.shortening = options.shortening,
			    .source = options.source,
			    .suffix = options.suffix,
			    .lists = &lists};
	NoReplace noReplace(record);
	const Run run{options, naming, record, noReplace};
	try {
		walkAll(run, paths);
	} catch (const std::bad_alloc &) {
		record.fault("out of memory");
	} catch (const std::exception &e) {
		record.fault(e.what());
	}
	return endBySignal(record.end());
}
