/*
 * headerloop: the floor under orvane-rename -H. For every regular file of
 * each FOLDER it does what reading a header cannot do without: opens the
 * file as the renamer opens a candidate (on the folder's descriptor, never
 * through a link, checked on the descriptor), inflates it with zlib in the
 * reader's chunks (16 KiB read, 16 KiB of text at a time) until it has at
 * least TEXT bytes of text, the header and first 10 epochs, and closes it.
 * It decides nothing. It prints the files and the bytes of text inflated;
 * a file that cannot be opened or inflated that far ends the run with
 * status 1, so that a loop that did less is never the faster.
 *
 * usage: headerloop TEXT FOLDER...
 */
#define _GNU_SOURCE
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

static void fail(const char *folder, const char *name, const char *what)
{
	fprintf(stderr, "headerloop: %s/%s: %s\n", folder, name, what);
	exit(1);
}

/* Inflates the file on fd, member after member, until need bytes of text. */
static size_t inflateFile(z_stream *z, int fd, size_t need, const char *folder, const char *name)
{
	size_t made = 0;
	int ended = 1;

	z->avail_in = 0;
	while (made < need) {
		if (z->avail_in == 0) {
			const ssize_t n = read(fd, input, sizeof input);
			if (n <= 0)
				fail(folder, name, n < 0 ? strerror(errno) : "ends too soon");
			z->next_in = input;
			z->avail_in = (unsigned)n;
		}
		if (ended) {
			inflateReset(z);
			ended = 0;
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

int main(int argc, char **argv)
{
	z_stream z;
	size_t files = 0, bytes = 0;

	if (argc < 3) {
		fprintf(stderr, "usage: headerloop TEXT FOLDER...\n");
		return 2;
	}
	const size_t need = strtoul(argv[1], NULL, 10);
	memset(&z, 0, sizeof z);
	if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK)
		return 1;
	for (int i = 2; i < argc; i++) {
		const int dirFd = open(argv[i], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
		DIR *dir = dirFd >= 0 ? fdopendir(dirFd) : NULL;
		if (dir == NULL)
			fail(argv[i], "", strerror(errno));
		for (struct dirent *e; (e = readdir(dir)) != NULL;) {
			if (e->d_type != DT_REG)
				continue;
			const int fd = openat(dirFd, e->d_name,
					      O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
			struct stat st;
			if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
				fail(argv[i], e->d_name, "not opened as a regular file");
			bytes += inflateFile(&z, fd, need, argv[i], e->d_name);
			close(fd);
			files++;
		}
		closedir(dir);
	}
	inflateEnd(&z);
	printf("%zu files, %zu bytes of text\n", files, bytes);
	return 0;
}
