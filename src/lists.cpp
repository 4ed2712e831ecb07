// Station lists (-c): what ties them together. Every list is read, and every
// doubt about a name settled, before the first file is renamed: a run that
// stops on a bad list has changed nothing. The names are then looked up once
// per file, by the four bytes of the station code as one key.
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <new>

#include "lists.h"
#include "listread.h"
#include "stationcode.h"

namespace
{

// Made at its first use: its making may throw.
Names &names()
{
	static Names all;
	return all;
}

// A folder is known by opening it as one; anything else is read as a file,
// pipes included, whatever its name.
bool readList(const std::string &path, Names &names)
{
	Fd fd(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
	if (fd)
		return names.readBefore(fd.get()) ||
		       readLogFolder(std::move(fd), names.keep(path), names);
	if (errno == ENOTDIR)
		fd = Fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
	if (!fd) {
		tellNotRead(path, errno);
		return false;
	}
	if (names.readBefore(fd.get()))
		return true;
	const Read read = readWhole(fd.get());
	if (failed(read)) {
		tellNotRead(path, read);
		return false;
	}
	const ListText list{names.keep(path), withoutByteOrderMark(read.text)};
	const LogName log = readSiteLog(list);
	switch (log.outcome) {
	case LogName::named:
		return names.add(log.listed);
	case LogName::refused:
		return false;
	default:
		return readTextList(list, names);
	}
}

} // namespace

bool readStationLists(const std::vector<std::string> &paths)
{
	return std::ranges::all_of(paths, [](const std::string &path) {
		try {
			return readList(path, names());
		} catch (const std::bad_alloc &) {
			tellNotRead(path, ENOMEM);
			return false;
		}
	});
}

const char *listedName(const char *code)
{
	const Listed *n = hasFourBytes(code) ? names().find(codeWord(code)) : nullptr;
	return n != nullptr ? n->name.data() : nullptr;
}

void tellConflict(const Listed &later, const Listed &earlier)
{
	tell(at(later.where) + "'" + std::string(later.found.data()) + "' conflicts with '" +
	     std::string(earlier.found.data()) + "' of " + std::string(earlier.where.file) + ":" +
	     std::to_string(earlier.where.line));
}

const Listed *Names::find(uint32_t key) const
{
	const auto found = names_.find(key);
	return found != names_.end() ? &found->second : nullptr;
}

const Listed *Names::clash(const Listed &n) const
{
	const Listed *had = find(keyOf(n));
	return had != nullptr && !sameName(*had, n) ? had : nullptr;
}

bool Names::add(const Listed &n)
{
	const auto [had, added] = names_.try_emplace(keyOf(n), n);
	if (added || sameName(had->second, n))
		return true;
	tellConflict(n, had->second);
	return false;
}

std::string_view Names::keep(std::string_view path)
{
	return paths_.emplace_back(path);
}

bool Names::readBefore(int fd)
{
	struct stat st {};
	return fstat(fd, &st) == 0 && !read_.emplace(st.st_dev, st.st_ino).second;
}
