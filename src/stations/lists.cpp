// Station lists (-c): what ties them together. Every list is read, and every
// doubt about a name settled, before the first file is renamed: a run that
// stops on a bad list has changed nothing. The names are then looked up once
// per file, by the four bytes of the station code as one key.
#include "stations/lists.h"

#include <fcntl.h>

#include <cerrno>
#include <new>

#include "name/stationcode.h"
#include "stations/listednames.h"
#include "stations/listtext.h"
#include "stations/logfolder.h"
#include "stations/sitelog.h"
#include "stations/textlist.h"
#include "util/fd.h"

namespace
{

// A folder is known by opening it as one; anything else is read as a file,
// pipes included, whatever its name: a site log by its content, else a text
// list.
bool readList(const std::string &path, ListedNames &names)
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
	FileText read(fd.get());
	read.readAll();
	if (read.failed()) {
		tellNotRead(path, read);
		return false;
	}
	const std::string_view file = names.keep(path);
	const LogName log = readSiteLog(read, file, false);
	switch (log.outcome) {
	case LogName::named:
		return names.add(log.listed) != ListedNames::Added::conflict;
	case LogName::notALog:
		return readTextList({file, withoutByteOrderMark(read.text())}, names);
	default:
		tell(at(log.where) + log.message);
		return false;
	}
}

} // namespace

// Every list is read, whatever the others hold, so that one run tells every
// list that is refused and every conflict between them.
bool readStationLists(const std::vector<std::string> &paths, ListedNames &names)
{
	bool sound = true;
	for (const std::string &path : paths) {
		try {
			sound &= readList(path, names);
		} catch (const std::bad_alloc &) {
			tellNotRead(path, ENOMEM);
			sound = false;
		}
	}
	return sound;
}

ListedName listedName(const ListedNames &names, const char *code)
{
	if (!hasFourBytes(code))
		return {};
	const uint32_t key = codeWord(code);
	const Listed *n = names.find(key);
	if (n == nullptr)
		return {};
	return {n->name.data(), names.ambiguity(key)};
}
