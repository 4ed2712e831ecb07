/*
 * barewalk: the floor under orvane-rename. It walks DIR as the renamer does,
 * folder by folder over descriptors, and renames every regular file to its
 * name in capitals without replacing any: what the file system alone costs,
 * with no name to decide and nothing to print. A rename that fails ends the
 * run with status 1, so that a bare walk that did less is never the faster.
 *
 * A folder is read to its end before anything in it is renamed: a renamed
 * entry may otherwise come round again in the same listing.
 */
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

/* The kernel's record, which not every C library declares. */
struct kernelDirent {
	uint64_t ino;
	int64_t off;
	unsigned short reclen;
	unsigned char type;
	char name[];
};

/* The entries of one folder worth a visit: each a kind, 'f' for a regular
 * file or 'd' for a folder, then its name and a NUL. */
struct entries {
	char *bytes;
	size_t used, size;
};

static _Alignas(8) char listing[64 * 1024];

static void fail(const char *path, const char *name, const char *what)
{
	fprintf(stderr, "barewalk: %s%s%s: %s: %s\n", path, *name ? "/" : "", name, what,
		strerror(errno));
	exit(1);
}

static void addEntry(struct entries *e, char kind, const char *name, const char *path)
{
	const size_t n = strlen(name) + 2;

	if (e->used + n > e->size) {
		e->size = e->size ? 2 * e->size : 64 * 1024;
		if (e->size < e->used + n)
			e->size = e->used + n;
		if ((e->bytes = realloc(e->bytes, e->size)) == NULL)
			fail(path, name, "out of memory");
	}
	e->bytes[e->used] = kind;
	memcpy(e->bytes + e->used + 1, name, n - 1);
	e->used += n;
}

/* d_type decides; only a file system that leaves it unknown costs a stat. */
static char kindOf(int dfd, const struct kernelDirent *d, const char *path)
{
	struct stat st;

	switch (d->type) {
	case DT_REG:
		return 'f';
	case DT_DIR:
		return 'd';
	case DT_UNKNOWN:
		if (fstatat(dfd, d->name, &st, AT_SYMLINK_NOFOLLOW) != 0)
			fail(path, d->name, "fstatat");
		return S_ISREG(st.st_mode) ? 'f' : S_ISDIR(st.st_mode) ? 'd' : 0;
	default:
		return 0;
	}
}

static void readFolder(int dfd, const char *path, struct entries *e)
{
	long n;

	while ((n = syscall(SYS_getdents64, dfd, listing, sizeof listing)) > 0)
		for (long at = 0; at < n;) {
			const struct kernelDirent *d = (const void *)(listing + at);
			at += d->reclen;
			if (strcmp(d->name, ".") == 0 || strcmp(d->name, "..") == 0)
				continue;
			const char kind = kindOf(dfd, d, path);
			if (kind)
				addEntry(e, kind, d->name, path);
		}
	if (n < 0)
		fail(path, "", "getdents64");
}

static void renameToCapitals(int dfd, const char *name, const char *path)
{
	char upper[NAME_MAX + 1];
	size_t i;

	for (i = 0; name[i] != '\0' && i < NAME_MAX; i++)
		upper[i] = name[i] >= 'a' && name[i] <= 'z' ? name[i] - 'a' + 'A' : name[i];
	upper[i] = '\0';
	if (syscall(SYS_renameat2, dfd, name, dfd, upper, RENAME_NOREPLACE) != 0)
		fail(path, name, "renameat2");
}

static void walk(int dfd, const char *path)
{
	struct entries e = {0};

	readFolder(dfd, path, &e);
	for (size_t at = 0; at < e.used; at += strlen(e.bytes + at) + 1)
		if (e.bytes[at] == 'f')
			renameToCapitals(dfd, e.bytes + at + 1, path);
	for (size_t at = 0; at < e.used; at += strlen(e.bytes + at) + 1) {
		const char *name = e.bytes + at + 1;
		if (e.bytes[at] != 'd')
			continue;
		const int sub = openat(dfd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
		char *subPath = malloc(strlen(path) + strlen(name) + 2);
		if (sub < 0)
			fail(path, name, "openat");
		if (subPath == NULL)
			fail(path, name, "out of memory");
		sprintf(subPath, "%s/%s", path, name);
		walk(sub, subPath);
		close(sub);
		free(subPath);
	}
	free(e.bytes);
}

int main(int argc, char **argv)
{
	if (argc != 2) {
		fprintf(stderr, "usage: barewalk dir\n");
		return 2;
	}
	const int dfd = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (dfd < 0)
		fail(argv[1], "", "open");
	walk(dfd, argv[1]);
	return 0;
}
