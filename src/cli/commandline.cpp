// Reading orvane-rename's command line into the options of a run.
#include "cli/commandline.h"

#include <getopt.h>

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include "name/charclass.h"
#include "name/orvane.h"
#include "report/record.h"

static std::optional<std::pair<int, int>> clash(const Options &options,
						std::pair<int, int> firsts);
static bool isSuffix(std::string_view text);
static std::optional<int> readJobs(const char *text);
static int usage(int status);
static bool take(Options &options, int c, const char *arg);
static void sayMistake(char **argv);
static bool pathsFor(CommandLine &line, std::pair<int, int> firsts,
		     std::span<char *const> paths, bool endedByDashes);
static bool optionAmongPaths(std::span<char *const> paths, bool endedByDashes);

static const struct option longOptions[] = {
    {"help", no_argument, NULL, 'h'},
    {"version", no_argument, NULL, 'V'},
    {NULL, 0, NULL, 0},
};

/* Options come first; "--" ends them, for paths that begin with a dash. */
CommandLine readCommandLine(int argc, char **argv)
{
	CommandLine line;
	int c;
	int forward = 0; /* the first option of the forward direction */
	int other = 0;   /* the first that -k does not take */

	opterr = 0;
	int at = optind;
	while ((c = getopt_long(argc, argv, "+0naHkRSs:c:2j:L:u:h", longOptions, NULL)) != -1) {
		at = optind;
		if (forward == 0 && strchr("RSscHa", c) != NULL)
			forward = c;
		if (other == 0 && strchr("0jsck", c) == NULL)
			other = c;
		if (c == 'h')
			return line.ending(usage(0));
		if (c == 'V') {
			printf(
			    "%s version %s.\n"
			    "Copyright (c) " ORVANE_COPYRIGHT ".\n"
			    "License MIT <https://opensource.org/licenses/MIT>.\n"
			    "This is free software: you are free to change and redistribute it.\n"
			    "There is NO WARRANTY, to the extent permitted by law.\n",
			    program, version);
			return line.ending(fflush(stdout) != 0 || ferror(stdout));
		}
		if (c == '?') {
			sayMistake(argv);
			return line.ending(usage(2));
		}
		if (!take(line.options, c, optarg))
			return line.ending(usage(2));
	}
	const bool endedByDashes = optind == at + 1 && strcmp(argv[at], "--") == 0;
	if (!pathsFor(line, {forward, other}, std::span<char *const>(argv + optind, argv + argc),
		      endedByDashes))
		return line.ending(usage(2));
	return line;
}

/* One option taken into the options; false after saying what is wrong with
 * its argument. */
static bool take(Options &options, int c, const char *arg)
{
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
	case 'a': /* reads the headers of short names too */
		options.byContent = true;
		options.readHeaders = true;
		break;
	case 'k':
		options.check = true;
		break;
	case 'R':
	case 'S':
		options.source = c == 'R' ? "R" : "S";
		break;
	case 's':
		if (!isSuffix(arg)) {
			(void)fprintf(stderr,
				      "%s: option '-s' takes two digits and three capital letters, "
				      "as 00ITA, not '%s'\n",
				      program, arg);
			return false;
		}
		options.suffix = arg;
		break;
	case 'c':
		options.lists.emplace_back(arg);
		break;
	case 'L':
		options.listing = arg;
		break;
	case 'u':
		options.undo = arg;
		break;
	case '2':
		options.shortening = true;
		break;
	case 'j': {
		const std::optional<int> jobs = readJobs(arg);
		if (!jobs)
			return false;
		options.jobs = *jobs;
		break;
	}
	}
	return true;
}

/* What an option takes, for the message that it is missing; or NULL. */
static const char *argumentOf(int option)
{
	switch (option) {
	case 's':
		return "a suffix";
	case 'c':
		return "a list";
	case 'j':
		return "a number";
	case 'L':
		return "a listing";
	case 'u':
		return "a record";
	default:
		return NULL;
	}
}

/* An unknown option, or one without the argument it takes. */
static void sayMistake(char **argv)
{
	if (const char *argument = argumentOf(optopt))
		(void)fprintf(stderr, "%s: option '-%c' needs %s\n", program, optopt, argument);
	else if (optopt != 0)
		(void)fprintf(stderr, "%s: unknown option '-%c'\n", program, optopt);
	else
		(void)fprintf(stderr, "%s: unknown option '%s'\n", program, argv[optind - 1]);
}

/* The options together, and the paths they take: -L none, the rest one or
 * more, no option among them. false after saying what is wrong. */
static bool pathsFor(CommandLine &line, std::pair<int, int> firsts,
		     std::span<char *const> paths, bool endedByDashes)
{
	if (const auto pair = clash(line.options, firsts)) {
		(void)fprintf(stderr, "%s: option '-%c' does not go with '-%c'\n", program,
			      pair->first, pair->second);
		return false;
	}
	if (line.options.listing) {
		if (!paths.empty())
			(void)fprintf(stderr, "%s: option '-L' takes no path, not '%s'\n", program,
				      paths[0]);
		return paths.empty();
	}
	if (paths.empty() || optionAmongPaths(paths, endedByDashes))
		return false;
	line.paths = paths;
	return true;
}

/* An option and the one it does not go with, or nothing, given the first
 * option of the forward direction and the first that -k does not take: -k
 * renames nothing, -u takes back a run as it was made, -L names without reading a
 * file, -2 has no station to name. */
static std::optional<std::pair<int, int>> clash(const Options &options,
						std::pair<int, int> firsts)
{
	const auto [forward, other] = firsts;
	if (options.check && other != 0)
		return std::pair<int, int>(other, 'k');
	if (options.undo && (options.listing || options.shortening || forward != 0))
		return std::pair<int, int>(options.listing ? 'L' : options.shortening ? '2' : forward, 'u');
	if (options.listing && (options.readHeaders || options.byContent))
		return std::pair<int, int>(options.byContent ? 'a' : 'H', 'L');
	if (options.shortening && forward != 0)
		return std::pair<int, int>(forward, '2');
	return std::nullopt;
}

/* Monument and receiver numbers, then a country code: a long name holds
 * nothing else there. orvane takes any five characters. */
static bool isSuffix(std::string_view text)
{
	return text.size() == 5 && isDigit(text[0]) && isDigit(text[1]) && isUpper(text[2]) &&
	       isUpper(text[3]) && isUpper(text[4]);
}

/* 1 to 256 folders in work at once. */
static std::optional<int> readJobs(const char *text)
{
	char *end;
	const long n = strtol(text, &end, 10);

	if (end == text || *end != '\0' || n < 1 || n > 256) {
		(void)fprintf(stderr, "%s: option '-j' takes 1 to 256, not '%s'\n", program, text);
		return std::nullopt;
	}
	return (int)n;
}

/* Asked for with -h or --help, on standard output with a line for each
 * option; else after a mistake, the synopsis alone. The exit status. */
static int usage(int status)
{
	static const char lines[] =
	    "\n"
	    "  -0          print each rename as old path, NUL, new path, NUL\n"
	    "  -2          rename RINEX 3 long names back to RINEX 2 short ones\n"
	    "  -a          name RINEX observation files of any name by their data\n"
	    "  -c list     take station names from a list, site log or folder; repeatable\n"
	    "  -H          read each file's header: check it, and name its sampling rate\n"
	    "  -j jobs     keep up to jobs folders in work at once, 1 to 256 (default 1)\n"
	    "  -k          check long names against their files' data, rename nothing\n"
	    "  -L listing  print the renames of the paths listed ('-': standard input), make none\n"
	    "  -n          change nothing: print what the run would do\n"
	    "  -R          the data come from a receiver (the default)\n"
	    "  -S          the data come from a stream\n"
	    "  -s suffix   monument, receiver, country (as 00ITA) for stations no list names\n"
	    "  -u record   rename back what the run of this -0 record renamed below its paths\n"
	    "  -h, --help  print this help and exit\n"
	    "  --version   print the version and exit\n"
	    "\n"
	    "See orvane-rename(1) for station lists, messages and exit statuses.\n";
	FILE *to = status == 0 ? stdout : stderr;

	(void)fprintf(to,
		      "usage: %s [-0aHn] [-j jobs] [-R | -S] [-s suffix] [-c list]... path ...\n"
		      "       %s -2 [-0n] [-j jobs] path ...\n"
		      "       %s -k [-0] [-j jobs] [-s suffix] [-c list]... path ...\n"
		      "       %s -L listing [-02] [-R | -S] [-s suffix] [-c list]...\n"
		      "       %s -u record [-0n] path ...\n",
		      program, program, program, program, program);
	if (status == 0)
		(void)fputs(lines, to);
	return fflush(to) != 0 || ferror(to) ? 1 : status;
}

/* "archive -n" would otherwise rename the archive for real and then look
 * for a file named -n. */
static bool optionAmongPaths(std::span<char *const> paths, bool endedByDashes)
{
	if (endedByDashes)
		return false;
	const auto rest = paths.subspan(1);
	const auto option =
	    std::find_if(rest.begin(), rest.end(), [](const char *path) { return path[0] == '-'; });
	if (option == rest.end())
		return false;
	(void)fprintf(stderr, "%s: option '%s' after a path: options come first\n", program,
		      *option);
	return true;
}
