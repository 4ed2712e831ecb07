/*
 * orvane-rename: give the RINEX 2 short-named files of whole archives their
 * RINEX 3 long names, in place.
 *
 * Every name is decided by orvane's own conversion, linked in, so the two
 * programs cannot disagree. No file is ever replaced and no link followed;
 * each rename made is one line on standard output, each file left one line
 * on standard error.
 */
#include <getopt.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "orvane.h"
#include "rename.h"

const char program[] = "orvane-rename";

int dryRun;
int nulRecord;
int shortening;
int jobs = 1;
static const char *source = "R";
static const char *suffix;

static int readOptions(int argc, char **argv);
[[noreturn]] static void usage(int status);
static void refuseOptionsAmongPaths(int first, int argc, char **argv);

int main(int argc, char **argv)
{
	const int first = readOptions(argc, argv);

	refuseOptionsAmongPaths(first, argc, argv);
	startRecord();
	indexCatalogue();
	for (int i = first; i < argc && !stopping(); i++)
		walkPath(argv[i]);
	return endRecord();
}

static const struct option longOptions[] = {
    {"help", no_argument, NULL, 'h'},
    {"version", no_argument, NULL, 'V'},
    {NULL, 0, NULL, 0},
};

/* Options come first; "--" ends them, for paths that begin with a dash. */
static int readOptions(int argc, char **argv)
{
	int c;

	opterr = 0;
	while ((c = getopt_long(argc, argv, "+0nRSs:", longOptions, NULL)) != -1) {
		switch (c) {
		case '0':
			nulRecord = 1;
			break;
		case 'n':
			dryRun = 1;
			break;
		case 'R':
			source = "R";
			break;
		case 'S':
			source = "S";
			break;
		case 's':
			suffix = optarg;
			break;
		case 'h':
			usage(0);
		case 'V':
			printf("%s version %s.\n", program, version);
			exit(fflush(stdout) != 0 || ferror(stdout));
		default:
			if (optopt == 's')
				(void)fprintf(stderr, "%s: option '-s' needs a suffix\n", program);
			else if (optopt != 0)
				(void)fprintf(stderr, "%s: unknown option '-%c'\n", program,
					      optopt);
			else
				(void)fprintf(stderr, "%s: unknown option '%s'\n", program,
					      argv[optind - 1]);
			usage(2);
		}
	}
	if (optind >= argc)
		usage(2);
	return optind;
}

/* Asked for with --help, on standard output; else after a mistake. */
static void usage(int status)
{
	FILE *to = status == 0 ? stdout : stderr;

	(void)fprintf(to, "usage: %s [-0n] [-R | -S] [-s suffix] path ...\n", program);
	exit(fflush(to) != 0 || ferror(to) ? 1 : status);
}

/* "archive -n" would otherwise rename the archive for real and then look
 * for a file named -n. */
static void refuseOptionsAmongPaths(int first, int argc, char **argv)
{
	if (strcmp(argv[first - 1], "--") == 0)
		return;
	for (int i = first + 1; i < argc; i++)
		if (argv[i][0] == '-') {
			(void)fprintf(stderr, "%s: option '%s' after a path: options come first\n",
				      program, argv[i]);
			usage(2);
		}
}

/* The length of a trailing .Z (compress), .gz or .bz2, or 0. */
static size_t compressionSuffix(const char *name, size_t length)
{
	static const char *const suffixes[] = {".Z", ".gz", ".bz2"};

	for (const char *s : suffixes) {
		const size_t n = strlen(s);
		if (length > n && strcmp(name + length - n, s) == 0)
			return n;
	}
	return 0;
}

static int isDigits(const char *s, size_t n)
{
	for (size_t i = 0; i < n; i++)
		if (s[i] < '0' || s[i] > '9')
			return 0;
	return 1;
}

/* ssssdddh.yyt or ssssdddhmm.yyt, less a compression suffix: station, day,
 * hour designator, the minute of a 15-minute file, year and type. The
 * conversion judges the rest. */
int isCandidate(const char *name)
{
	size_t length = strlen(name);

	length -= compressionSuffix(name, length);
	if (length != 12 && length != 14)
		return 0;
	return isDigits(name + 4, 3) && (length == 12 || isDigits(name + 8, 2)) &&
	       name[length - 4] == '.' && isDigits(name + length - 3, 2);
}

/* The message that orvane prints, up to its dots: "Station Name not found". */
static void refusalReason(enum Refusal refusal, char *why, size_t whySize)
{
	const char *message = convMessage[refusal] + 1;

	(void)snprintf(why, whySize, "%.*s", (int)(strstr(message, "...") - message), message);
}

/* The long name that orvane gives the name less its compression suffix,
 * with the suffix put back. to has room for NAME_MAX bytes. */
int newName(const char *name, char *to, char *why, size_t whySize)
{
	const size_t length = strlen(name);
	const size_t stem = length - compressionSuffix(name, length);
	char shortName[NAME_MAX + 1];

	memcpy(shortName, name, stem);
	shortName[stem] = '\0';
	struct LongName ln;
	const enum Refusal refusal = convertName(shortName, suffix, NULL, catalogueName, &ln);
	if (refusal != convOk) {
		refusalReason(refusal, why, whySize);
		return -1;
	}
	memcpy(writeLongName(to, &ln, source), name + stem, length - stem + 1);
	/* A suffix is printed as typed: a slash in it would lead out of the folder. */
	if (strchr(to, '/') != NULL) {
		(void)snprintf(why, whySize, "%s would leave the folder", to);
		return -1;
	}
	return 0;
}
