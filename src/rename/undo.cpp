// openat with O_NOFOLLOW and O_DIRECTORY is Linux's.
#include "rename/undo.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "rename/forecast.h"
#include "rename/noreplace.h"
#include "report/record.h"
#include "report/stop.h"
#include "util/fd.h"
#include "util/path.h"
#include "walk/place.h"

namespace
{

void refuse(std::string_view file, const std::string &why)
{
	std::string line = std::string(file) + ": " + why + "; nothing renamed back\n";
	(void)std::fputs(line.c_str(), stderr);
}

// A pair's folder, with its slash, and its names there.
struct InFolder {
	std::string_view folder; // cppcheck-suppress unusedStructMember
	std::string_view old, to;
};

std::optional<InFolder> inFolder(const Pair &p)
{
	const PathParts to = splitPath(p.to);
	const PathParts old = splitPath(p.old);
	if (old.folder != to.folder)
		return std::nullopt;
	return InFolder{to.folder, old.name, to.name};
}

// The PATH below which the folder lies, and the part of the folder below
// it; or nothing. A file named as a PATH lies in the folder the path names.
struct Below {
	std::string_view path, rest;
	bool named = false;
};

std::optional<Below> below(std::string_view folder, const Pair &p, std::span<char *const> paths)
{
	for (const std::string_view path : paths) {
		if (p.old == path || p.to == path)
			return Below{path, {}, true};
		const bool slash = path.ends_with('/');
		if (folder.size() > path.size() && folder.starts_with(path) &&
		    (slash || folder[path.size()] == '/'))
			return Below{path, folder.substr(path.size() + (slash ? 0 : 1))};
	}
	return std::nullopt;
}

// The folder below the PATH, a name at a time, no link followed; the PATH
// itself as the run took it, a link to a folder followed.
Result<Fd> openBelow(const Below &b)
{
	Fd fd;
	if (b.named) {
		const std::string folder = splitPath(b.path).openable();
		fd = Fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
	} else {
		fd = Fd(open(std::string(b.path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
	}
	if (!fd)
		return Result<Fd>::fromErrno();
	std::string_view rest = b.rest;
	while (!rest.empty()) {
		const std::size_t end = rest.find('/');
		const std::string name(rest.substr(0, end));
		rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
		if (name.empty() || name == "." || name == "..")
			return Result<Fd>::failed(EINVAL);
		fd = Fd(openat(fd.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
		if (!fd)
			return Result<Fd>::fromErrno();
	}
	return fd;
}

class Undo
{
      public:
	Undo(std::span<char *const> paths, bool dryRun, Record &record, NoReplace &noReplace)
	    : paths_(paths), dryRun_(dryRun), record_(record), noReplace_(noReplace)
	{
	}
	void pair(const Pair &p);

      private:
	void left(std::string_view to, const std::string &why)
	{
		record_.report("", to, "not renamed back", why);
	}
	Result<Moved> move(const Place &place, const InFolder &f);

	std::span<char *const> paths_;
	const bool dryRun_;
	Record &record_;
	NoReplace &noReplace_;
	std::map<std::pair<dev_t, ino_t>, Names> given_; // with -n, by folder
};

void Undo::pair(const Pair &p)
{
	const std::optional<InFolder> f = inFolder(p);
	if (!f) {
		left(p.to, "its old name " + std::string(p.old) + " is in another folder");
		return;
	}
	const std::optional<Below> b = below(f->folder, p, paths_);
	if (!b) {
		left(p.to, "below none of the paths");
		return;
	}
	const Result<Fd> fd = openBelow(*b);
	if (!fd) {
		left(p.to, fd.error() == EINVAL ? "not below the path it names"
						: std::strerror(fd.error()));
		return;
	}
	struct stat st;
	if (fstat(fd->get(), &st) != 0) {
		left(p.to, std::strerror(errno));
		return;
	}
	Place place{fd->get(), st.st_dev, f->folder, nullptr, nullptr, {}};
	if (dryRun_) {
		place.given = &given_[{st.st_dev, st.st_ino}];
		place.forecast = forecastFor(fd->get());
	}
	const Result<Moved> moved = move(place, *f);
	if (moved && *moved == Moved::renamed)
		record_.rename(f->folder, f->to, f->old);
	else if (moved.error() == EEXIST)
		left(p.to, std::string(p.old) + " exists");
	else if (!moved)
		left(p.to, std::strerror(moved.error()));
}

// Only what is no folder goes back: the run renamed no folder.
Result<Moved> Undo::move(const Place &place, const InFolder &f)
{
	const std::string to(f.to);
	const std::string old(f.old);
	struct stat st;
	if (fstatat(place.fd, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
		return Result<Moved>::fromErrno();
	if (S_ISDIR(st.st_mode))
		return Result<Moved>::failed(EISDIR);
	if (dryRun_)
		return foresee(place, to.c_str(), old.c_str());
	return noReplace_.move(place, to.c_str(), old.c_str());
}

} // namespace

std::optional<std::vector<Pair>> readPairs(std::string_view file, std::string_view record)
{
	std::vector<Pair> pairs;
	if (!record.empty() && record.find('\0') == std::string_view::npos) {
		refuse(file, "not a record of -0: no NUL in its " + std::to_string(record.size()) +
				 " bytes");
		return std::nullopt;
	}
	std::size_t at = 0;
	while (at < record.size()) {
		const std::size_t oldEnd = record.find('\0', at);
		const std::size_t toEnd =
		    oldEnd == std::string_view::npos ? oldEnd : record.find('\0', oldEnd + 1);
		if (toEnd == std::string_view::npos) {
			refuse(file, "cut short at byte " + std::to_string(record.size()) +
					 ", in the pair that begins at byte " + std::to_string(at));
			return std::nullopt;
		}
		if (oldEnd == at || toEnd == oldEnd + 1) {
			refuse(file, "an empty name at byte " + std::to_string(oldEnd == at ? at : toEnd));
			return std::nullopt;
		}
		pairs.push_back({record.substr(at, oldEnd - at), record.substr(oldEnd + 1, toEnd - oldEnd - 1)});
		at = toEnd + 1;
	}
	return pairs;
}

void undoPairs(const std::vector<Pair> &pairs, std::span<char *const> paths, bool dryRun,
	       Record &record, NoReplace &noReplace)
{
	Undo undo(paths, dryRun, record, noReplace);
	for (auto p = pairs.rbegin(); p != pairs.rend() && !stopping(); ++p)
		undo.pair(*p);
}
