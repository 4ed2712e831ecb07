/*
 * The loop under the header and content benchmarks: for every regular file
 * of each folder, open it as the renamer opens a candidate, inflate it with
 * zlib in the reader's chunks, close it. Decides nothing.
 */
#ifndef ORVANE_BENCH_INFLATELOOP_H
#define ORVANE_BENCH_INFLATELOOP_H

#include <stddef.h>

/* Inflates at least need bytes of text of each file of the folders, or each
 * whole file when need is 0; prints the files and the bytes of text
 * inflated. A file that cannot be opened, or inflated that far, ends the
 * run with status 1, so that a loop that did less is never the faster. */
int inflateLoop(const char *program, size_t need, char **folders, int count);

#endif
