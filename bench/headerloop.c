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
#include <stdio.h>
#include <stdlib.h>

#include "inflateloop.h"

int main(int argc, char **argv)
{
	const size_t text = argc < 3 ? 0 : strtoul(argv[1], NULL, 10);
	if (text == 0) {
		fprintf(stderr, "usage: headerloop TEXT FOLDER...\n");
		return 2;
	}
	return inflateLoop("headerloop", text, argv + 2, argc - 2);
}
