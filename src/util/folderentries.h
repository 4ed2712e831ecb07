// A folder's entries as getdents64, which is Linux's, gives them, for the
// walk's listings and the folders of site logs alike.
#ifndef ORVANE_UTIL_FOLDERENTRIES_H
#define ORVANE_UTIL_FOLDERENTRIES_H

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <span>

#include "util/result.h"

// DT_DIR, DT_REG or DT_UNKNOWN for anything else, asked of the file system
// without following a link.
inline Result<unsigned char> askType(int dir, const char *name)
{
	struct stat st;
	if (fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
		return Result<unsigned char>::fromErrno();
	return static_cast<unsigned char>(S_ISDIR(st.st_mode)   ? DT_DIR
					  : S_ISREG(st.st_mode) ? DT_REG
								: DT_UNKNOWN);
}

// Calls each(name, type, error) for every entry of the folder open on fd
// but "." and "..", in the order the file system gives them, reading into
// buffer. A type the file system does not tell is asked for; where that
// fails, the type is DT_UNKNOWN and error says why, else error is 0.
template <class Each> Result<Done> readEntries(int fd, std::span<char> buffer, Each &&each)
{
	long n;
	while ((n = syscall(SYS_getdents64, fd, buffer.data(), buffer.size())) != 0) {
		if (n < 0) {
			if (errno == EINTR)
				continue;
			return Result<Done>::fromErrno();
		}
		// struct linux_dirent64: inode, offset, record length, type, name
		unsigned short length = 0;
		for (long offset = 0; offset < n; offset += length) {
			std::memcpy(&length, buffer.data() + offset + 16, sizeof length);
			unsigned char type = static_cast<unsigned char>(buffer[offset + 18]);
			const char *name = buffer.data() + offset + 19;
			if (name[0] == '.' &&
			    (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
				continue;
			int error = 0;
			if (type == DT_UNKNOWN) {
				const Result<unsigned char> asked = askType(fd, name);
				type = asked ? *asked : static_cast<unsigned char>(DT_UNKNOWN);
				error = asked.error();
			}
			each(name, type, error);
		}
	}
	return Done{};
}

#endif
