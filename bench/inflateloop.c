/*
 * The loop of headerloop and contentloop. A file is opened with the flags
 * the renamer opens a candidate with (O_NOFOLLOW is Linux's), and its gzip
 * members inflated one after another, 16 KiB read and 16 KiB of text at a
 * time, as the reader takes them.
 */
#define _GNU_SOURCE
#include "inflateloop.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

enum { chunk = 16384 };

static unsigned char input[chunk];
static unsigned char text[chunk];
static const char *program;

static void fail(const char *folder, const char *name, const char *what)
{
	fprintf(stderr, "%s: %s/%s: %s\n", program, folder, name, what);
	exit(1);
}

/* Inflates the file on fd, member after member, until need bytes of text,
 * or with need 0 to its end, where a member must have just ended. */
static size_t inflateFile(z_stream *z, int fd, size_t need, const char *folder, const char *name)
{
	size_t made = 0;
	int ended = 1, members = 0;

	z->avail_in = 0;
	while (need == 0 || made < need) {
		if (z->avail_in == 0) {
			const ssize_t n = read(fd, input, sizeof input);
			if (n == 0 && need == 0 && ended && members > 0)
				break;
			if (n <= 0)
				fail(folder, name, n < 0 ? strerror(errno) : "ends too soon");
			z->next_in = input;
			z->avail_in = (unsigned)n;
		}
		if (ended) {
			inflateReset(z);
			ended = 0;
			members++;
		}
		z->next_out = text;
		z->avail_out = sizeof text;
		const int status = inflate(z, Z_NO_FLUSH);
		if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
			fail(folder, name, z->msg ? z->msg : "inflate failed");
		made += sizeof text - z->avail_out;
		ended = status == Z_STREAM_END;
	}
	return made;
}

int inflateLoop(const char *name, size_t need, char **folders, int count)
{
	z_stream z;
	size_t files = 0, bytes = 0;

	program = name;
	memset(&z, 0, sizeof z);
	if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK)
		return 1;
	for (int i = 0; i < count; i++) {
		const int dirFd = open(folders[i], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
		DIR *dir = dirFd >= 0 ? fdopendir(dirFd) : NULL;
		if (dir == NULL)
			fail(folders[i], "", strerror(errno));
		for (struct dirent *e; (e = readdir(dir)) != NULL;) {
			if (e->d_type != DT_REG)
				continue;
			const int fd =
			    openat(dirFd, e->d_name,
				   O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
			struct stat st;
			if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
				fail(folders[i], e->d_name, "not opened as a regular file");
			bytes += inflateFile(&z, fd, need, folders[i], e->d_name);
			close(fd);
			files++;
		}
		closedir(dir);
	}
	inflateEnd(&z);
	printf("%zu files, %zu bytes of text\n", files, bytes);
	return 0;
}
