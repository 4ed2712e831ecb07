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

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <span>

#include "walk/budget.h"
#include "walk/jobs.h"
#include "stations/lists.h"
#include "cli/options.h"
#include "name/orvane.h"
#include "report/record.h"
#include "report/stop.h"
#include "walk/walk.h"

const char program[] = "orvane-rename";
Options options;

static int readOptions(int argc, char **argv);
static int readJobs(const char *text);
[[noreturn]] static void usage(int status);
static void refuseOptionsAmongPaths(int first, int argc, char **argv, bool endedByDashes);
static void renameAll(std::span<char *const> paths);

int main(int argc, char **argv)
{
	const int first = readOptions(argc, argv);

	// Every list is read, and found sound, before anything is renamed.
	if (!readStationLists(options.lists))
		return 2;
	startRecord();
	indexCatalogue();
	try {
		renameAll(std::span<char *const>(argv + first, argv + argc));
	} catch (const std::bad_alloc &) {
		reportFault("out of memory");
	} catch (const std::exception &e) {
		reportFault(e.what());
	}
	return endRecord();
}

/* The walk on this thread, the renames of -j on workers of their own. */
static void renameAll(std::span<char *const> paths)
{
	const Budget budget = descriptorBudget(options.jobs);
	std::optional<Jobs> jobs;
	if (options.jobs > 1)
		jobs.emplace(options.jobs, budget);
	Walk walk(budget, jobs ? &*jobs : nullptr);
	walk.findNamedFolders(paths);
	for (const char *path : paths) {
		if (stopping())
			break;
		walk.path(path);
	}
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
	int forward = 0; /* the first option of the forward direction */

	opterr = 0;
	int at = optind;
	while ((c = getopt_long(argc, argv, "+0nHRSs:c:2j:h", longOptions, NULL)) != -1) {
		at = optind;
		if (forward == 0 && (c == 'R' || c == 'S' || c == 's' || c == 'c' || c == 'H'))
			forward = c;
		switch (c) {
		case '0':
			options.nulRecord = true;
			break;
		case 'n':
			options.dryRun = true;
			break;
		case 'H':
			options.readHeaders = true;
			break;
		case 'R':
			options.source = "R";
			break;
		case 'S':
			options.source = "S";
			break;
		case 's':
			options.suffix = optarg;
			break;
		case 'c':
			options.lists.emplace_back(optarg);
			break;
		case '2':
			options.shortening = true;
			break;
		case 'j':
			options.jobs = readJobs(optarg);
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
	const bool endedByDashes = optind == at + 1 && strcmp(argv[at], "--") == 0;
	if (options.shortening && forward != 0) {
		(void)fprintf(stderr, "%s: option '-%c' does not go with '-2'\n", program, forward);
		usage(2);
	}
	if (optind >= argc)
		usage(2);
	refuseOptionsAmongPaths(optind, argc, argv, endedByDashes);
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
	static const char lines[] =
	    "\n"
	    "  -0          print each rename as old path, NUL, new path, NUL\n"
	    "  -2          rename RINEX 3 long names back to RINEX 2 short ones\n"
	    "  -c list     take station names from a list, site log or folder; repeatable\n"
	    "  -H          read each file's header: check it, and name its sampling rate\n"
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
		      "usage: %s [-0Hn] [-j jobs] [-R | -S] [-s suffix] [-c list]... path ...\n"
		      "       %s -2 [-0n] [-j jobs] path ...\n",
		      program, program);
	if (status == 0)
		(void)fputs(lines, to);
	exit(fflush(to) != 0 || ferror(to) ? 1 : status);
}

/* "archive -n" would otherwise rename the archive for real and then look
 * for a file named -n. */
static void refuseOptionsAmongPaths(int first, int argc, char **argv, bool endedByDashes)
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
