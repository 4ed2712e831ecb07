// renameat2's RENAME_NOREPLACE (Linux) refuses a taken name in the same
// step. Where a file system refuses the flag, as every NFS mount does, the
// file takes its new name by link, and its old name is moved aside and
// removed only if it still is the file linked: a file that took the old name
// meanwhile gets it back. On a network file system a reply can be lost after
// the work was done, so after an error the names are looked at again.
#include "rename/noreplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "report/record.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace
{

bool isFile(int fd, const char *name, const struct stat &file)
{
	struct stat st;
	return fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_dev == file.st_dev &&
	       st.st_ino == file.st_ino;
}


} // namespace

// A name for the folder alone: this process's, and absent just before.
Result<Done> NoReplace::asideName(const Place &place, std::array<char, 64> &tmp)
{
	for (int tries = 0; tries < 100; tries++) {
		(void)std::snprintf(tmp.data(), tmp.size(), ".orvane-rename.%ld.%u",
				    static_cast<long>(getpid()), ++serial_);
		struct stat st;
		if (fstatat(place.fd, tmp.data(), &st, AT_SYMLINK_NOFOLLOW) == 0)
			continue;
		return errno == ENOENT ? Result<Done>(Done{}) : Result<Done>::fromErrno();
	}
	return Result<Done>::failed(EEXIST);
}

// The old name could not be moved aside: the file keeps it, and loses the
// new one again while that is still the file linked. Returns why it is left.
int NoReplace::undoLink(const Place &place, const char *old, const char *to, const struct stat &file, int err)
{
	if (isFile(place.fd, to, file) && unlinkat(place.fd, to, 0) != 0 && errno != ENOENT)
		secondName(place, to, old, std::strerror(errno));
	return err;
}

Result<Moved> NoReplace::linkAndRemove(const Place &place, const char *old, const char *to)
{
	const int fd = place.fd;
	struct stat file;

	if (fstatat(fd, old, &file, AT_SYMLINK_NOFOLLOW) != 0)
		return Result<Moved>::fromErrno();
	// link refuses a taken name, as the flag does, whatever file holds it:
	// two names of one file are two candidates. After another error the
	// link may yet have been made, its reply lost.
	if (linkat(fd, old, fd, to, 0) != 0) {
		const int err = errno;
		if (err == EEXIST || !isFile(fd, to, file))
			return Result<Moved>::failed(err);
	}
	if (!isFile(fd, to, file)) {
		// The old name changed hands between the look and the link.
		secondName(place, to, old, "changed during the rename");
		return Moved::leftAsSaid;
	}

	// Whatever holds the old name now goes aside, under a name no one else
	// uses, and is looked at there: only a second name of the file linked
	// is removed.
	std::array<char, 64> tmp;
	int err = asideName(place, tmp).error();
	if (err == 0 && renameat(fd, old, fd, tmp.data()) != 0) {
		err = errno;
		struct stat st;
		if (fstatat(fd, tmp.data(), &st, AT_SYMLINK_NOFOLLOW) == 0)
			err = 0; // it went aside, its reply lost
	}
	if (err == ENOENT)
		return Moved::renamed; // the old name is gone: the file has its new one
	if (err != 0)
		return Result<Moved>::failed(undoLink(place, old, to, file, err));
	if (isFile(fd, tmp.data(), file)) {
		if (unlinkat(fd, tmp.data(), 0) != 0 && errno != ENOENT)
			secondName(place, tmp.data(), to, std::strerror(errno));
		return Moved::renamed;
	}

	// Another file took the old name meanwhile: it gets it back, by a link
	// that refuses a name taken again since.
	if (linkat(fd, tmp.data(), fd, old, 0) != 0) {
		const int why = errno;
		record_.report(place.prefix, tmp.data(), std::string("not put back as ") + old,
			       std::strerror(why));
	} else if (unlinkat(fd, tmp.data(), 0) != 0 && errno != ENOENT)
		secondName(place, tmp.data(), old, std::strerror(errno));
	return Moved::renamed;
}

// NAME: second name of OF, left: REASON.
void NoReplace::secondName(const Place &place, const char *name, const char *of,
			   std::string_view reason)
{
	record_.report(place.prefix, name, std::string("second name of ") + of + ", left", reason);
}

bool NoReplace::Refusing::has(dev_t dev) const
{
	const int n = count_.load(std::memory_order_acquire);
	return std::find(devices_.begin(), devices_.begin() + n, dev) != devices_.begin() + n;
}

void NoReplace::Refusing::add(dev_t dev)
{
	const std::lock_guard<std::mutex> hold(lock_);
	const int n = count_.load(std::memory_order_relaxed);
	if (!has(dev) && n < static_cast<int>(devices_.size())) {
		devices_[static_cast<size_t>(n)] = dev;
		count_.store(n + 1, std::memory_order_release);
	}
}

Result<Moved> NoReplace::move(const Place &place, const char *old, const char *to)
{
	if (!refusing_.has(place.dev)) {
		if (syscall(SYS_renameat2, place.fd, old, place.fd, to, RENAME_NOREPLACE) == 0)
			return Moved::renamed;
		// EINVAL for the flag, ENOSYS for a kernel without the call.
		if (errno != EINVAL && errno != ENOSYS)
			return Result<Moved>::fromErrno();
		refusing_.add(place.dev);
	}
	return linkAndRemove(place, old, to);
}
