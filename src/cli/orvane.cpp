/*
 * orvane: print the RINEX 3 long file name of a RINEX 2 short file name.
 *
 * The name alone is converted; the file is never opened. A failure prints one
 * message and the usage text on standard output and exits 1.
 */
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "name/orvane.h"

const char *progName = "orvane";

/* The usage text's last line, which --version prints alone. */
#define VERSION_LINE "%s version %s.\n"

static void answerHelpOrVersion(const char *arg);
static void printUsage(void);
static const char *readSourceType(const char *option);
static const char *nameArgument(int argc, char **argv, int nameIndex);
static int flushOutput(void);

/* A standard output buffer of our own spares glibc starting its allocator
 * for one on the first printf; musl's stdout has a static buffer anyway. */
static char outBuffer[BUFSIZ];

int main(int argc, char **argv)
{
	(void)setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);
	/* Started with no argument vector, Linux passes an empty argv[0] or none. */
	if (argc > 0 && argv[0] != NULL && argv[0][0] != '\0')
		progName = argv[0];
	if (argc < 2)
		HelpPrint();
	answerHelpOrVersion(argv[1]);

	const char *source = "R";
	int nameIndex = 1;
	if (strlen(argv[1]) == 2) {
		source = readSourceType(argv[1]);
		nameIndex = 2;
	}
	const char *name = nameArgument(argc, argv, nameIndex);
	const char *suffix = argc - nameIndex > 1 ? argv[nameIndex + 1] : NULL;
	const char *surplus = argc - nameIndex > 2 ? argv[nameIndex + 2] : NULL;

	struct LongName ln;
	const enum Refusal refusal = convertName(name, suffix, surplus, sta4to9char, &ln);
	if (refusal != convOk) {
		printf(convMessage[refusal], ln.quoted);
		HelpPrint();
	}
	printf(LONG_NAME " \n", ln.station, ln.suffix, source, ln.year, ln.day, ln.hour, ln.minute,
	       ln.interval, ln.cadence, ln.type, ln.extension);
	return flushOutput();
}

void HelpPrint(void)
{
	printUsage();
	exit(1);
}

/* Asked for, the usage text or the version is a success. */
static void answerHelpOrVersion(const char *arg)
{
	if (strcmp(arg, "--help") == 0)
		printUsage();
	else if (strcmp(arg, "--version") == 0)
		printf(VERSION_LINE, progName, version);
	else
		return;
	exit(flushOutput());
}

static void printUsage(void)
{
	printf(
	    "\nThis tool provides the Long Names for the RINEX 3 files from RINEX 2 style short names!\n\n"
	    "For IGS/EPN/APREF/SIRGAS stations: Use '%s [short filename]'\n"
	    "For a non-recognised station     : Use '%s [short filename] [Monument num, Receiver num, ISO country code; e.g. 00ITA]'\n"
	    "To indicate a Stream Data Source : Use '%s -S [short filename] '\n"
	    "\nThis tool supports standard GNSS Obs & Nav Daily, Hourly and 15 min short filenames into equivalent RINEX 3 LONG filenames."
	    "\nThis tool DOES NOT check the correct contents of the file, it only creates output based on the provided short filename.\n\n" VERSION_LINE,
	    progName, progName, progName, progName, version);
}

/* Only the second character counts; a blank there leaves the receiver default. */
static const char *readSourceType(const char *option)
{
	if (option[1] == 'S')
		return "S";
	if (option[1] == 'R' || isWhiteSpace(option[1]))
		return "R";
	printf("\nData Source Type not recognized... '%s' (accepted; -R, -S ; Receiver, Stream)\n",
	       option);
	HelpPrint();
}

/* An option with nothing after it leaves no name to read. */
static const char *nameArgument(int argc, char **argv, int nameIndex)
{
	if (nameIndex >= argc)
		HelpPrint();
	return argv[nameIndex];
}

/* A line that never reached its reader is no success. The message goes to
 * descriptor 2 rather than stderr: in a dynamic build, naming stderr costs
 * every run a symbol lookup at start. */
static int flushOutput(void)
{
	if (fflush(stdout) == 0 && !ferror(stdout))
		return 0;
	(void)dprintf(2, "%s: write error: %s\n", progName, strerror(errno));
	return 1;
}
