// A folder of site logs: every log's name, and for a station whose logs
// disagree, as where its country code changed, the latest log's.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "charclass.h"
#include "listread.h"

namespace
{

// A log of the folder: the name it gave, and where.
struct Log {
	Listed listed;
	uint32_t date = 0; // YYYYMMDD of its file name, or 0
};

// The names of the folder's regular .log files, in byte order, so that
// every file system gives the same messages. A link is no log, even to one:
// the folder is what was named.
struct Listing {
	std::vector<std::string> names;
	int error = 0;
};

bool isLogName(std::string_view name)
{
	return name.size() >= 4 && name.ends_with(".log");
}

bool isRegular(int dir, const dirent &e)
{
	if (e.d_type != DT_UNKNOWN)
		return e.d_type == DT_REG;
	struct stat st {};
	return fstatat(dir, e.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
}

Listing listLogs(int dir)
{
	Listing listing;
	const int copy = fcntl(dir, F_DUPFD_CLOEXEC, 0);
	DIR *d = copy >= 0 ? fdopendir(copy) : nullptr;
	if (d == nullptr) {
		listing.error = errno;
		if (copy >= 0)
			close(copy);
		return listing;
	}
	for (;;) {
		errno = 0;
		const dirent *e = readdir(d);
		if (e == nullptr)
			break;
		if (isLogName(e->d_name) && isRegular(dir, *e))
			listing.names.emplace_back(e->d_name);
	}
	listing.error = errno;
	(void)closedir(d);
	std::sort(listing.names.begin(), listing.names.end());
	return listing;
}

// ssssmrccc_YYYYMMDD.log, or ssss_YYYYMMDD.log before that: the eight digits
// after the last '_'.
uint32_t dateOf(std::string_view name)
{
	const size_t underscore = name.rfind('_');
	if (underscore == std::string_view::npos || name.size() - underscore != 13)
		return 0;
	uint32_t date = 0;
	for (const char c : name.substr(underscore + 1, 8)) {
		if (!isDigit(c))
			return 0;
		date = date * 10 + static_cast<uint32_t>(c - '0');
	}
	return date;
}

// Opened without following a link put in its place since the listing.
std::optional<Log> readLog(int dir, const std::string &name, std::string_view path)
{
	const Fd fd(openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
	if (!fd) {
		tellNotRead(path, errno);
		return std::nullopt;
	}
	const Read read = readWhole(fd.get());
	if (failed(read)) {
		tellNotRead(path, read);
		return std::nullopt;
	}
	const LogName log = readSiteLog({path, withoutByteOrderMark(read.text)});
	if (log.outcome == LogName::notALog)
		tell(std::string(path) + ": no 'Nine Character ID' line");
	if (log.outcome != LogName::named)
		return std::nullopt;
	return Log{log.listed, dateOf(name)};
}

// A station's logs, in byte order.
using Station = std::vector<const Log *>;

// Its logs in the order of the folder, each station at its first log.
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
// in byte order first.
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
	const auto undated = std::ranges::find_if(logs, [](const Log *log) { return log->date == 0; });
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

// The folder's names must agree with the lists before them, and the notes
// are written only then, so that a refused folder has one line.
bool keepWinners(const std::vector<Log> &logs, Names &names)
{
	const std::vector<Station> stations = byStation(logs);
	std::vector<const Log *> winners;
	for (const Station &station : stations) {
		const Log *w = latest(station);
		if (w == nullptr)
			return false;
		if (const Listed *had = names.clash(w->listed)) {
			tellConflict(w->listed, *had);
			return false;
		}
		winners.push_back(w);
	}
	std::unordered_map<uint32_t, const Log *> winnerOf;
	for (const Log *w : winners)
		winnerOf.emplace(keyOf(w->listed), w);
	for (const Log &log : logs) {
		const Log *w = winnerOf.at(keyOf(log.listed));
		if (!sameName(log.listed, w->listed))
			tellSuperseded(log, *w);
	}
	return std::ranges::all_of(logs, [&](const Log &log) {
		return winnerOf.at(keyOf(log.listed)) != &log || names.add(log.listed);
	});
}

} // namespace

// Every regular .log file of the folder, not below it, as a site log.
bool readLogFolder(Fd dir, std::string_view path, Names &names)
{
	const Listing listing = listLogs(dir.get());
	if (listing.error != 0) {
		tellNotRead(path, listing.error);
		return false;
	}
	const std::string folder = path.ends_with('/') ? std::string(path) : std::string(path) + "/";
	std::vector<Log> logs;
	for (const std::string &name : listing.names) {
		const std::optional<Log> log = readLog(dir.get(), name, names.keep(folder + name));
		if (!log)
			return false;
		logs.push_back(*log);
	}
	return keepWinners(logs, names);
}
