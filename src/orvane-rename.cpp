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

#include <new>
#include <string>
#include <vector>

#include "lists.h"
#include "orvane.h"
#include "rename.h"

const char program[] = "orvane-rename";

int dryRun;
int nulRecord;
int shortening;
int jobs = 1;
static const char *source = "R";
static const char *suffix;
static int forward;       /* the first option of the forward direction */
static int endedByDashes; /* "--" ended the options */
static std::vector<std::string> lists;

static int readOptions(int argc, char **argv);
static int readJobs(const char *text);
[[noreturn]] static void usage(int status);
static void refuseOptionsAmongPaths(int first, int argc, char **argv);
static void readLists(void);

int main(int argc, char **argv)
{
	const int first = readOptions(argc, argv);

	refuseOptionsAmongPaths(first, argc, argv);
	readLists();
	startRecord();
	indexCatalogue();
	const size_t slots = setDescriptorBudget();
	try {
		findNamedFolders(argc - first, argv + first);
		if (jobs > 1)
			startJobs(slots);
		for (int i = first; i < argc && !stopping(); i++)
			walkPath(argv[i]);
	} catch (const std::bad_alloc &) {
		outOfMemory();
	}
	if (jobs > 1)
		finishJobs();
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
	int at = optind;
	while ((c = getopt_long(argc, argv, "+0nRSs:c:2j:h", longOptions, NULL)) != -1) {
		at = optind;
		if (forward == 0 && (c == 'R' || c == 'S' || c == 's' || c == 'c'))
			forward = c;
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
		case 'c':
			lists.emplace_back(optarg);
			break;
		case '2':
			shortening = 1;
			break;
		case 'j':
			jobs = readJobs(optarg);
			break;
		case 'h':
			usage(0);
		case 'V':
			printf("%s version %s.\n", program, version);
			exit(fflush(stdout) != 0 || ferror(stdout));
		default:
			if (optopt == 's')
				(void)fprintf(stderr, "%s: option '-s' needs a suffix\n", program);
			else if (optopt == 'c')
				(void)fprintf(stderr, "%s: option '-c' needs a list\n", program);
			else if (optopt == 'j')
				(void)fprintf(stderr, "%s: option '-j' needs a number\n", program);
			else if (optopt != 0)
				(void)fprintf(stderr, "%s: unknown option '-%c'\n", program,
					      optopt);
			else
				(void)fprintf(stderr, "%s: unknown option '%s'\n", program,
					      argv[optind - 1]);
			usage(2);
		}
	}
	endedByDashes = optind == at + 1 && strcmp(argv[at], "--") == 0;
	if (shortening && forward != 0) {
		(void)fprintf(stderr, "%s: option '-%c' does not go with '-2'\n", program, forward);
		usage(2);
	}
	if (optind >= argc)
		usage(2);
	return optind;
}

/* 1 to 256 folders in work at once. */
static int readJobs(const char *text)
{
	char *end;
	const long n = strtol(text, &end, 10);

	if (end == text || *end != '\0' || n < 1 || n > 256) {
		(void)fprintf(stderr, "%s: option '-j' takes 1 to 256, not '%s'\n", program, text);
		usage(2);
	}
	return (int)n;
}

/* Asked for with -h or --help, on standard output with a line for each
 * option; else after a mistake, the synopsis alone. */
static void usage(int status)
{
	static const char options[] =
	    "\n"
	    "  -0          print each rename as old path, NUL, new path, NUL\n"
	    "  -2          rename RINEX 3 long names back to RINEX 2 short ones\n"
	    "  -c list     take station names from a list, site log or folder; repeatable\n"
	    "  -j jobs     keep up to jobs folders in work at once, 1 to 256 (default 1)\n"
	    "  -n          change nothing: print what the run would do\n"
	    "  -R          the data come from a receiver (the default)\n"
	    "  -S          the data come from a stream\n"
	    "  -s suffix   monument, receiver, country (as 00ITA) for stations no list names\n"
	    "  -h, --help  print this help and exit\n"
	    "  --version   print the version and exit\n"
	    "\n"
	    "See orvane-rename(1) for station lists, messages and exit statuses.\n";
	FILE *to = status == 0 ? stdout : stderr;

	(void)fprintf(to,
		      "usage: %s [-0n] [-j jobs] [-R | -S] [-s suffix] [-c list]... path ...\n"
		      "       %s -2 [-0n] [-j jobs] path ...\n",
		      program, program);
	if (status == 0)
		(void)fputs(options, to);
	exit(fflush(to) != 0 || ferror(to) ? 1 : status);
}

/* "archive -n" would otherwise rename the archive for real and then look
 * for a file named -n. */
static void refuseOptionsAmongPaths(int first, int argc, char **argv)
{
	if (endedByDashes)
		return;
	for (int i = first + 1; i < argc; i++)
		if (argv[i][0] == '-') {
			(void)fprintf(stderr, "%s: option '%s' after a path: options come first\n",
				      program, argv[i]);
			usage(2);
		}
}

/* Every list is read, and found sound, before anything is renamed. */
static void readLists(void)
{
	if (!readStationLists(lists))
		exit(2);
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

/* The name less its compression suffix, at most NAME_MAX bytes, and where
 * the suffix starts in the name. */
static size_t stemOf(const char *name, char stem[NAME_MAX + 1])
{
	const size_t length = strnlen(name, NAME_MAX);
	const size_t n = length - compressionSuffix(name, length);

	memcpy(stem, name, n);
	stem[n] = '\0';
	return n;
}

/* ssssdddh.yyt or ssssdddhmm.yyt, less a compression suffix: station, day,
 * hour designator, the minute of a 15-minute file, year and type. The
 * conversion judges the rest. With -2, the layout of a long name. */
int isCandidate(const char *name)
{
	char stem[NAME_MAX + 1];
	const size_t length = stemOf(name, stem);

	if (shortening) {
		struct ShortName sn;
		return shortenName(stem, &sn) != shortNoLayout;
	}
	if (length != 12 && length != 14)
		return 0;
	return isDigits(stem + 4, 3) && (length == 12 || isDigits(stem + 8, 2)) &&
	       stem[length - 4] == '.' && isDigits(stem + length - 3, 2);
}

/* The message that orvane prints, up to its dots: "Station Name not found". */
static void refusalReason(enum Refusal refusal, struct NewName *nn)
{
	const char *message = convMessage[refusal] + 1;

	(void)snprintf(nn->why, sizeof nn->why, "%.*s", (int)(strstr(message, "...") - message),
		       message);
}

static int longName(const char *stem, size_t length, struct NewName *nn);
static int shortName(const char *stem, struct NewName *nn);

/* The long name that orvane gives the name less its compression suffix,
 * with the suffix put back: the monument, receiver and country of a listed
 * station, else those of -s, else the catalogue's. With -2 the short name. */
int newName(const char *name, struct NewName *nn)
{
	char stem[NAME_MAX + 1];
	const size_t length = stemOf(name, stem);

	const int n = shortening ? shortName(stem, nn) : longName(stem, length, nn);
	if (n < 0)
		return -1;
	memcpy(nn->to + n, name + length, strlen(name + length) + 1);
	return 0;
}

static int longName(const char *stem, size_t length, struct NewName *nn)
{
	const char *listed = length >= 4 ? listedName(stem) : NULL;
	struct LongName ln;
	const enum Refusal refusal =
	    convertName(stem, listed != NULL ? listed + 4 : suffix, NULL, catalogueName, &ln);

	if (refusal != convOk) {
		refusalReason(refusal, nn);
		return -1;
	}
	const char *end = writeLongName(nn->to, &ln, source);
	/* A suffix is printed as typed: a slash in it would lead out of the folder. */
	if (strchr(nn->to, '/') != NULL) {
		(void)snprintf(nn->why, sizeof nn->why, "%s would leave the folder", nn->to);
		return -1;
	}
	return (int)(end - nn->to);
}

static int shortName(const char *stem, struct NewName *nn)
{
	struct ShortName sn;

	switch (shortenName(stem, &sn)) {
	case shortOk:
		memcpy(nn->to, sn.name, sizeof sn.name);
		return (int)strlen(nn->to);
	case shortRefused:
		(void)snprintf(nn->why, sizeof nn->why, sn.why, sn.partLength, sn.part);
		return -1;
	default:
		(void)snprintf(nn->why, sizeof nn->why, "not a RINEX 3 long name");
		return -1;
	}
}
