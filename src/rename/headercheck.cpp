// openat with O_NOFOLLOW is Linux's.
#include "rename/headercheck.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "rinex/compression.h"
#include "rinex/header.h"
#include "rinex/namesays.h"
#include "util/fd.h"

std::variant<Verdict, NotRenamed> readHeader(HeaderReader &reader, const Place &place,
						 const char *name)
{
	const Fd fd(
	    openat(place.fd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
	struct stat st;
	if (!fd && errno == ELOOP)
		return NotRenamed{"symbolic link, not read"};
	if (!fd || fstat(fd.get(), &st) != 0)
		return NotRenamed{std::strerror(errno)};
	if (!S_ISREG(st.st_mode))
		return NotRenamed{"not a regular file, not read"};
	Verdict v = reader.judge(fd.get(), compressionOf(name), nameSays(name).value());
	if (!v.kept())
		return NotRenamed{std::move(v.why), std::move(v.kind)};
	// The verdict is the file's read, not whatever holds its name now.
	struct stat now;
	if (fstatat(place.fd, name, &now, AT_SYMLINK_NOFOLLOW) != 0 || now.st_dev != st.st_dev ||
	    now.st_ino != st.st_ino)
		return NotRenamed{"changed while read"};
	return v;
}
