/*
 * Renaming within one folder without ever replacing a file. renameat2's
 * RENAME_NOREPLACE (Linux) refuses a taken name in the same step. Where a
 * file system refuses the flag, as every NFS mount does, the file takes its
 * new name by link, and its old name is moved aside and removed only if it
 * still is the file linked: a file that took the old name meanwhile gets it
 * back. On a network file system a reply can be lost after the work was
 * done, so after an error the names are looked at again.
 */
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "rename.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

/* The file systems that refused the flag once, asked no more. */
static dev_t refusing[16];
static int refusingCount;
static pthread_mutex_t refusingLock = PTHREAD_MUTEX_INITIALIZER;

static int refuses(dev_t dev);
static void rememberRefusal(dev_t dev);
static int linkAndRemove(const struct Place *place, const char *old, const char *to);

/* 0 once renamed; an error that left the file as it was; or -1 when the
 * file is left and that was said already. */
int moveNoReplace(struct Place *place, const char *old, const char *to)
{
	if (!refuses(place->dev)) {
		if (syscall(SYS_renameat2, place->fd, old, place->fd, to, RENAME_NOREPLACE) == 0)
			return 0;
		/* EINVAL for the flag, ENOSYS for a kernel without the call. */
		if (errno != EINVAL && errno != ENOSYS)
			return errno;
		rememberRefusal(place->dev);
	}
	return linkAndRemove(place, old, to);
}

static int refuses(dev_t dev)
{
	const int n = __atomic_load_n(&refusingCount, __ATOMIC_ACQUIRE);

	for (int i = 0; i < n; i++)
		if (refusing[i] == dev)
			return 1;
	return 0;
}

static void rememberRefusal(dev_t dev)
{
	(void)pthread_mutex_lock(&refusingLock);
	if (!refuses(dev) && refusingCount < (int)(sizeof refusing / sizeof refusing[0])) {
		refusing[refusingCount] = dev;
		__atomic_store_n(&refusingCount, refusingCount + 1, __ATOMIC_RELEASE);
	}
	(void)pthread_mutex_unlock(&refusingLock);
}

static int isFile(int fd, const char *name, const struct stat *file)
{
	struct stat st;

	return fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_dev == file->st_dev &&
	       st.st_ino == file->st_ino;
}

static int asideName(const struct Place *place, char *tmp, size_t size);
static void reportSecondName(const struct Place *place, const char *name, const char *of,
			     const char *reason);

static int undoLink(const struct Place *place, const char *old, const char *to,
		    const struct stat *file, int err);

static int linkAndRemove(const struct Place *place, const char *old, const char *to)
{
	const int fd = place->fd;
	struct stat file;

	if (fstatat(fd, old, &file, AT_SYMLINK_NOFOLLOW) != 0)
		return errno;
	/* link refuses a taken name, as the flag does, whatever file holds it:
	 * two names of one file are two candidates. After another error the
	 * link may yet have been made, its reply lost. */
	if (linkat(fd, old, fd, to, 0) != 0) {
		const int err = errno;
		if (err == EEXIST || !isFile(fd, to, &file))
			return err;
	}
	if (!isFile(fd, to, &file)) {
		/* The old name changed hands between the look and the link. */
		reportSecondName(place, to, old, "changed during the rename");
		return -1;
	}

	/* Whatever holds the old name now goes aside, under a name no one
	 * else uses, and is looked at there: only a second name of the file
	 * linked is removed. */
	char tmp[NAME_MAX + 1];
	int err = asideName(place, tmp, sizeof tmp);
	if (err == 0 && renameat(fd, old, fd, tmp) != 0) {
		err = errno;
		struct stat st;
		if (fstatat(fd, tmp, &st, AT_SYMLINK_NOFOLLOW) == 0)
			err = 0; /* it went aside, its reply lost */
	}
	if (err == ENOENT)
		return 0; /* the old name is gone: the file has its new one */
	if (err != 0)
		return undoLink(place, old, to, &file, err);
	if (isFile(fd, tmp, &file)) {
		if (unlinkat(fd, tmp, 0) != 0 && errno != ENOENT)
			reportSecondName(place, tmp, to, strerror(errno));
		return 0;
	}

	/* Another file took the old name meanwhile: it gets it back. */
	if (linkat(fd, tmp, fd, old, 0) != 0) {
		char what[NAME_MAX + 32];
		(void)snprintf(what, sizeof what, "not put back as %s", old);
		report(place->prefix, place->prefixLength, tmp, what, strerror(errno));
	} else if (unlinkat(fd, tmp, 0) != 0 && errno != ENOENT) {
		reportSecondName(place, tmp, old, strerror(errno));
	}
	return 0;
}

/* The old name could not be moved aside: the file keeps it, and loses the
 * new one again while that is still the file linked. Returns why the file
 * is left. */
static int undoLink(const struct Place *place, const char *old, const char *to,
		    const struct stat *file, int err)
{
	if (isFile(place->fd, to, file) && unlinkat(place->fd, to, 0) != 0 && errno != ENOENT)
		reportSecondName(place, to, old, strerror(errno));
	return err;
}

/* A name for the folder alone: this process's, and absent just before. */
static int asideName(const struct Place *place, char *tmp, size_t size)
{
	static unsigned serial;
	struct stat st;

	for (int tries = 0; tries < 100; tries++) {
		(void)snprintf(tmp, size, ".orvane-rename.%ld.%u", (long)getpid(),
			       __atomic_add_fetch(&serial, 1, __ATOMIC_RELAXED));
		if (fstatat(place->fd, tmp, &st, AT_SYMLINK_NOFOLLOW) == 0)
			continue;
		return errno == ENOENT ? 0 : errno;
	}
	return EEXIST;
}

/* NAME: second name of OF, left: REASON. */
static void reportSecondName(const struct Place *place,
			     const char *name, // NOLINT(bugprone-easily-swappable-parameters)
			     const char *of, const char *reason)
{
	char what[NAME_MAX + 32];

	(void)snprintf(what, sizeof what, "second name of %s, left", of);
	report(place->prefix, place->prefixLength, name, what, reason);
}
