// capget is Linux's.
#include "rename/forecast.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

namespace
{

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

} // namespace

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

// What the run would meet, in the order the system checks: a file system
// mounted read-only; a name taken already, or by a file before this one; a
// folder the user may not write; a sticky folder's file of another user's.
// On a network file system the server has the last word.
Result<Moved> foresee(const Place &place, const char *name, const char *to)
{
	struct stat st;

	if (place.forecast.error == EROFS)
		return Result<Moved>::failed(EROFS);
	if (fstatat(place.fd, to, &st, AT_SYMLINK_NOFOLLOW) == 0)
		return Result<Moved>::failed(EEXIST);
	if (errno != ENOENT)
		return Result<Moved>::fromErrno();
	if (place.given != nullptr && place.given->contains(to))
		return Result<Moved>::failed(EEXIST);
	if (place.forecast.error != 0)
		return Result<Moved>::failed(place.forecast.error);
	if (place.forecast.sticky &&
	    (fstatat(place.fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || st.st_uid != geteuid()))
		return Result<Moved>::failed(EPERM);
	if (place.given != nullptr)
		place.given->insert(to);
	return Moved::renamed;
}
