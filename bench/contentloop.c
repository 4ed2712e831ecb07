/*
 * contentloop: the floor under orvane-rename -a, which reads each file to
 * its end. For every regular file of each FOLDER it opens the file as the
 * renamer opens a candidate (on the folder's descriptor, never through a
 * link, checked on the descriptor), inflates the whole of it with zlib,
 * gzip member after member, in the reader's chunks (16 KiB read, 16 KiB of
 * text at a time), and closes it. It decides nothing. It prints the files
 * and the bytes of text inflated; a file that cannot be opened, or whose
 * stream is damaged or cut short, ends the run with status 1, so that a
 * loop that did less is never the faster.
 *
 * usage: contentloop FOLDER...
 */
#include <stdio.h>

#include "inflateloop.h"

int main(int argc, char **argv)
{
	if (argc < 2) {
		fprintf(stderr, "usage: contentloop FOLDER...\n");
		return 2;
	}
	return inflateLoop("contentloop", 0, argv + 1, argc - 1);
}
