// statx is Linux's.
#include "walk/folderkey.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

Result<FolderKey> folderKey(int fd)
{
	struct statx stx;
	if (statx(fd, ".", AT_SYMLINK_NOFOLLOW, STATX_INO | STATX_BTIME, &stx) != 0)
		return Result<FolderKey>::fromErrno();
	const bool born = (stx.stx_mask & STATX_BTIME) != 0;
	return FolderKey{makedev(stx.stx_dev_major, stx.stx_dev_minor), stx.stx_ino,
			 born ? stx.stx_btime.tv_sec : 0, born ? stx.stx_btime.tv_nsec : 0U, born};
}
