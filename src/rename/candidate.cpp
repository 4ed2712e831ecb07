// capget, and openat with O_NOFOLLOW, are Linux's.
#include "rename/candidate.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "util/fd.h"
#include "rinex/header.h"
#include "name/names.h"
#include "rename/noreplace.h"
#include "cli/options.h"
#include "report/record.h"
#include "report/stop.h"

namespace
{

// What the run would meet, in the order the system checks: a file system
// mounted read-only; a name taken already, or by a file before this one; a
// folder the user may not write; a sticky folder's file of another user's.
// On a network file system the server has the last word.
int foresee(const Place &place, const char *name, const char *to)
{
	struct stat st;

	if (place.forecast.error == EROFS)
		return EROFS;
	if (fstatat(place.fd, to, &st, AT_SYMLINK_NOFOLLOW) == 0)
		return EEXIST;
	if (errno != ENOENT)
		return errno;
	if (place.given != nullptr && place.given->contains(to))
		return EEXIST;
	if (place.forecast.error != 0)
		return place.forecast.error;
	if (place.forecast.sticky &&
	    (fstatat(place.fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || st.st_uid != geteuid()))
		return EPERM;
	if (place.given != nullptr)
		place.given->insert(to);
	return 0;
}

// Whether the process may rename another user's file in a sticky folder.
bool mayOverrideSticky()
{
	static const bool may = [] {
		__user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
		__user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
		if (syscall(SYS_capget, &header, data) != 0)
			return geteuid() == 0;
		return (data[CAP_FOWNER / 32].effective & (1U << (CAP_FOWNER % 32))) != 0;
	}();
	return may;
}

// With -H: the verdict on a file kept, or nothing after saying why the
// file is left. The file is opened in its folder without following a link,
// and read only when it is a regular file.
std::optional<Verdict> readHeader(const Place &place, const char *name)
{
	thread_local HeaderReader reader;
	const Fd fd(
	    openat(place.fd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
	struct stat st;
	if (!fd && errno == ELOOP) {
		reportLeft(place.prefix, name, "symbolic link, not read");
	} else if (!fd || fstat(fd.get(), &st) != 0) {
		reportLeft(place.prefix, name, std::strerror(errno));
	} else if (!S_ISREG(st.st_mode)) {
		reportLeft(place.prefix, name, "not a regular file, not read");
	} else {
		Verdict v = reader.judge(fd.get(), compressionOf(name), nameSays(name).value());
		if (v.kept())
			return v;
		reportLeft(place.prefix, name, v.why, v.kind);
	}
	return std::nullopt;
}

// What -H says beside a rename: its notes, and a rate it could not tell.
void noteHeader(const Place &place, const char *name, const Verdict &v)
{
	for (const std::string &note : v.notes)
		reportNote(place.prefix, name, note);
	if (v.frequency == "00U")
		countUnknownRate();
}

} // namespace

void renameCandidate(const Place &place, const char *name)
{
	if (place.handled != nullptr && !place.handled->insert(name).second)
		return;
	NewName nn = newName(name);
	if (!nn) {
		reportLeft(place.prefix, name, nn.why(), nn.kind());
		return;
	}
	if (stopping())
		return;
	std::optional<Verdict> read;
	if (options.readHeaders) {
		read = readHeader(place, name);
		if (!read)
			return;
		nn = newName(name, read->frequency, read->content);
	}
	const int err = options.dryRun ? foresee(place, name, nn.name())
				       : moveNoReplace(place, name, nn.name());
	if (err == 0) {
		recordRename(place.prefix, name, nn.name());
		if (read)
			noteHeader(place, name, *read);
	} else if (err == EEXIST)
		reportExists(place.prefix, name, nn.name());
	else if (err > 0)
		reportLeft(place.prefix, name, std::strerror(err));
}

void handleEntry(const Place &place, const Listing &listing, const Listing::Entry &entry)
{
	const char *name = listing.name(entry);
	if (entry.kind == Listing::Kind::candidate) {
		renameCandidate(place, name);
		return;
	}
	const char *reason = std::strerror(entry.error);
	if (isCandidate(name))
		reportLeft(place.prefix, name, reason);
	else
		report(place.prefix, name, "not walked", reason);
}

Forecast forecastFor(int fd)
{
	Forecast f;
	struct statvfs vfs;
	struct stat st;

	if (fstatvfs(fd, &vfs) == 0 && (vfs.f_flag & ST_RDONLY) != 0)
		f.error = EROFS;
	else if (faccessat(fd, ".", W_OK | X_OK, AT_EACCESS) != 0)
		f.error = errno;
	else if (fstat(fd, &st) == 0 && (st.st_mode & S_ISVTX) != 0 && st.st_uid != geteuid() &&
		 !mayOverrideSticky())
		f.sticky = true;
	return f;
}
