#include "rename/run.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "name/names.h"
#include "rename/noreplace.h"
#include "rename/plan.h"
#include "rename/renamer.h"
#include "rename/undo.h"
#include "report/record.h"
#include "report/stop.h"
#include "stations/listednames.h"
#include "stations/lists.h"
#include "util/readfile.h"
#include "walk/budget.h"
#include "walk/jobs.h"
#include "walk/walk.h"

namespace
{

// The walk on this thread, the renames of -j on workers of their own.
void walkAll(const Run &run, std::span<char *const> paths)
{
	const Budget budget =
	    descriptorBudget(run.options.jobs, run.options.readHeaders || run.options.check);
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

// The lists read, the record made; a run, a plan or an undo then reports to
// the record.
template <class Work> int withRecord(const Options &options, Work work)
{
	ListedNames lists;
	if (!readStationLists(options.lists, lists))
		return 2;
	if (!Record::outputWritable())
		return 1;
	catchSignals();
	Record record({.nul = options.nulRecord,
		       .countLeft = options.readHeaders || options.check,
		       .plan = options.dryRun || options.listing != nullptr,
		       .check = options.check});
	const Naming naming{.shortening = options.shortening,
			    .byContent = options.byContent,
			    .check = options.check,
			    .source = options.source,
			    .suffix = options.suffix,
			    .lists = &lists};
	NoReplace noReplace(record);
	const Run run{options, naming, record, noReplace};
	try {
		work(run);
	} catch (const std::bad_alloc &) {
		record.fault("out of memory");
	} catch (const std::exception &e) {
		record.fault(e.what());
	}
	return endBySignal(record.end());
}

// A listing or a record read whole before anything else, or the reason it
// is not.
std::optional<std::string> readInput(const char *path)
{
	Result<std::string> text = readWhole(path);
	if (!text) {
		(void)std::fprintf(stderr, "%s: not read: %s\n", path, std::strerror(text.error()));
		return std::nullopt;
	}
	return std::move(*text);
}

} // namespace

int renameTrees(const Options &options, std::span<char *const> paths)
{
	if (options.listing) {
		const std::optional<std::string> listing = readInput(options.listing);
		if (!listing)
			return 2;
		return withRecord(options, [&](const Run &run) {
			planFromListing(*listing, run.naming, run.record);
		});
	}
	if (options.undo) {
		const std::optional<std::string> text = readInput(options.undo);
		if (!text)
			return 2;
		const std::optional<std::vector<Pair>> pairs = readPairs(options.undo, *text);
		if (!pairs)
			return 2;
		return withRecord(options, [&](const Run &run) {
			undoPairs(*pairs, paths, options.dryRun, run.record, run.noReplace);
		});
	}
	return withRecord(options, [&](const Run &run) { walkAll(run, paths); });
}
