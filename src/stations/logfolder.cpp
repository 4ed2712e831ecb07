// A folder of site logs, as networks keep them: every site log below it, at
// any depth and whatever its name, and for a station whose logs disagree, as
// where its country code changed, the latest log's name.
#include "stations/logfolder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "stations/listednames.h"
#include "stations/listtext.h"
#include "stations/logdate.h"
#include "stations/logtree.h"
#include "stations/sitelog.h"

namespace
{

// A log that gave a name, and its date: that of its file name, else the one
// it was prepared on, else 0.
struct Log {
	Listed listed;
	uint32_t date = 0;
};

// A station's logs, in the order of the walk.
using Station = std::vector<const Log *>;

// The stations in the order of their first logs.
std::vector<Station> byStation(const std::vector<Log> &logs)
{
	std::vector<Station> stations;
	std::unordered_map<uint32_t, size_t> index;
	for (const Log &log : logs) {
		const auto [station, added] = index.try_emplace(keyOf(log.listed), stations.size());
		if (added)
			stations.emplace_back();
		stations[station->second].push_back(&log);
	}
	return stations;
}

// A log without a date among logs of two names: no order can be told. The
// first log of another name than it is named with it, the later of the two
// in the walk first.
void tellUndated(const Station &logs, const Log *undated)
{
	const auto other = std::ranges::find_if(
	    logs, [&](const Log *log) { return !sameName(log->listed, undated->listed); });
	if (other == logs.end())
		return;
	if (*other > undated)
		tellConflict((*other)->listed, undated->listed);
	else
		tellConflict(undated->listed, (*other)->listed);
}

// The log that names the station: the first, when all agree; else the one
// of the latest date, which two names may not share. nullptr after a message
// when the dates cannot decide.
const Log *latest(const Station &logs)
{
	const Listed &first = logs.front()->listed;
	if (std::ranges::all_of(logs, [&](const Log *log) { return sameName(log->listed, first); }))
		return logs.front();
	const auto undated =
	    std::ranges::find_if(logs, [](const Log *log) { return log->date == 0; });
	if (undated != logs.end()) {
		tellUndated(logs, *undated);
		return nullptr;
	}
	const auto best = std::ranges::max_element(
	    logs, [](const Log *a, const Log *b) { return a->date < b->date; });
	const auto rival = std::find_if(best + 1, logs.end(), [&](const Log *log) {
		return log->date == (*best)->date && !sameName(log->listed, (*best)->listed);
	});
	if (rival != logs.end()) {
		tellConflict((*rival)->listed, (*best)->listed);
		return nullptr;
	}
	return *best;
}

void tellSuperseded(const Log &log, const Log &winner)
{
	const Listed &n = log.listed;
	const Listed &w = winner.listed;
	tell(at(n.where) + "note: '" + std::string(n.found.data()) + "' superseded by '" +
	     std::string(w.found.data()) + "' of " + std::string(w.where.file) + ":" +
	     std::to_string(w.where.line));
}

// The walk below one folder named with -c, and what it found.
class LogFolder
{
      public:
	LogFolder(std::string_view path, ListedNames &names) : path_(path), names_(names) {}

	// Every file below the folder open on top.
	void walk(Fd top)
	{
		LogTree tree(names_,
			     [this](const Fd &file, std::string_view name,
				    const std::string &path) { readFile(file, name, path); });
		tree.walk(std::move(top), path_);
		refused_ |= tree.refused();
	}

	// The names once the walk is over: the logs that name no station
	// counted, a name for each station, every conflict told, and the notes
	// of names given up only when there is none.
	bool finish()
	{
		if (logs_.empty() && !refused_) {
			tellNoneUsable();
			return false;
		}
		tellSkipped();
		bool conflicts = false;
		std::unordered_map<uint32_t, const Log *> winnerOf;
		for (const Station &station : byStation(logs_)) {
			const Log *w = latest(station);
			const Listed *had = w != nullptr ? names_.clash(w->listed) : nullptr;
			if (had != nullptr)
				tellConflict(w->listed, *had);
			if (w == nullptr || had != nullptr)
				conflicts = true;
			else
				winnerOf.emplace(keyOf(w->listed), w);
		}
		if (refused_)
			return false;
		for (const Log &log : logs_) {
			const auto w = winnerOf.find(keyOf(log.listed));
			if (w == winnerOf.end())
				continue;
			if (!conflicts && !sameName(log.listed, w->second->listed))
				tellSuperseded(log, *w->second);
			if (w->second == &log)
				(void)names_.add(log.listed);
		}
		return !conflicts;
	}

      private:
	void readFile(const Fd &fd, std::string_view name, const std::string &path)
	{
		const uint32_t named = dateOfName(name);
		FileText read(fd.get());
		LogName log = readSiteLog(read, path, named == 0);
		switch (log.outcome) {
		case LogName::named:
			log.listed.where.file = names_.keep(path);
			logs_.push_back({log.listed, named != 0 ? named : log.prepared});
			break;
		case LogName::versionOne:
		case LogName::unnamed:
		case LogName::sopac:
			skip(log.outcome, path);
			break;
		case LogName::disagree:
			tell(at(log.where) + "note: skipped: " + log.message);
			noted_++;
			break;
		case LogName::refused:
			tell(at(log.where) + log.message);
			refused_ = true;
			break;
		default:
			break;
		}
	}

	// The logs that name no station, counted by kind.
	struct Skipped {
		LogName::Outcome outcome;
		const char *kind;
		size_t count = 0;
		std::string first;
	};

	void skip(LogName::Outcome outcome, const std::string &path)
	{
		for (Skipped &s : skipped_)
			if (s.outcome == outcome && s.count++ == 0)
				s.first = path;
	}

	void tellSkipped() const
	{
		for (const Skipped &s : skipped_)
			if (s.count > 0)
				tell(skippedLine(s));
	}

	// "FOLDER: 1 site log names no nine-character station (KIND), skipped:
	// FILE", or for more "N site logs name ..., skipped; the first: FILE".
	std::string skippedLine(const Skipped &s) const
	{
		std::string line(path_);
		if (s.count == 1)
			line += ": 1 site log names";
		else
			line.append(": ").append(std::to_string(s.count)).append(" site logs name");
		line.append(" no nine-character station (").append(s.kind).append("), skipped");
		line.append(s.count == 1 ? ": " : "; the first: ").append(s.first);
		return line;
	}

	// "no usable site logs (2 version 1 logs skipped)", or "no site logs".
	void tellNoneUsable() const
	{
		std::string counts;
		for (const Skipped &s : skipped_) {
			if (s.count == 0)
				continue;
			counts.append(counts.empty() ? "" : ", ").append(std::to_string(s.count));
			counts.append(" ").append(s.kind).append(s.count == 1 ? " log" : " logs");
		}
		const bool met = !counts.empty() || noted_ > 0;
		tell(std::string(path_) + (met ? ": no usable site logs" : ": no site logs") +
		     (counts.empty() ? "" : " (" + counts + " skipped)"));
	}

	std::string_view path_;
	ListedNames &names_;
	std::vector<Log> logs_;
	std::array<Skipped, 3> skipped_{{{LogName::versionOne, "version 1", 0, {}},
					 {LogName::unnamed, "GeodesyML", 0, {}},
					 {LogName::sopac, "SOPAC XML", 0, {}}}};
	size_t noted_ = 0;
	bool refused_ = false;
};

} // namespace

bool readLogFolder(Fd dir, std::string_view path, ListedNames &names)
{
	LogFolder folder(path, names);
	folder.walk(std::move(dir));
	return folder.finish();
}
