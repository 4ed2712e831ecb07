/*
 * orvane: print the RINEX 3 long file name of a RINEX 2 short file name.
 *
 * The name alone is converted; the file is never opened. A failure prints one
 * message and the usage text on standard output and exits 1.
 */
#include <ctype.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "orvane.h"

const char *progName = "orvane";
const char version[] = "16158";

/* The usage text's last line, which --version prints alone. */
#define VERSION_LINE "%s version %s.\n"

static void answerHelpOrVersion(const char *arg);
static void printUsage(void);
static int isWhiteSpace(char c);
static const char *readSourceType(const char *option);
static const char *nameArgument(int argc, char **argv, int nameIndex);
static size_t checkLength(const char *name);
static void readStationCode(const char *name, char code[5]);
static int isDigit(char c);
static int readDay(const char *name);
static int readMinute(const char *name);
static int readYear(const char *name, size_t length);
static const char *calculateHours(const char *designator);
static const char *calculateInterval(const char *designator);
static const char *calculateType(const char *type);
static const char *calculateCadence(const char *type, size_t length);
static const char *checkSuffix(const char *suffix);
static void upcase(const char *code, char upper[5]);
[[noreturn]] static void refuseSurplus(const char *argument);
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
	const size_t length = checkLength(name);

	char code[5];
	readStationCode(name, code);
	const int day = readDay(name);

	const char designator[2] = {name[7], '\0'};
	const char *hour = calculateHours(designator);
	const char *interval = calculateInterval(designator);
	int minute = 0;
	if (length == 14) {
		minute = readMinute(name);
		interval = "15M";
	}
	const int year = readYear(name, length);

	const char type[2] = {name[length - 1], '\0'};
	const char *typeText = calculateType(type);
	const char *cadence = calculateCadence(type, length);
	const char *extension = type[0] == 'd' ? "crx" : "rnx";

	/* The station name: the catalogue's nine characters, or the code in
	 * capitals followed by the suffix as typed. */
	const char *station;
	const char *suffix = "";
	char upper[5];
	switch (argc - nameIndex) {
	case 1:
		station = sta4to9char(code);
		break;
	case 2:
		suffix = checkSuffix(argv[nameIndex + 1]);
		upcase(code, upper);
		station = upper;
		break;
	default:
		refuseSurplus(argv[nameIndex + 2]);
	}
	printf("%s%s_%s_20%02d%03d%2s%02d_%s%s_%s.%s \n", station, suffix, source, year, day, hour,
	       minute, interval, cadence, typeText, extension);
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

/* As isspace and isdigit in the C locale, which the tool never leaves, but
 * without the C library's character tables: in a dynamic build, looking
 * those up costs every run a symbol lookup at start. */
static int isWhiteSpace(char c)
{
	return c == ' ' || (c >= '\t' && c <= '\r');
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

[[noreturn]] static void refuseName(const char *name)
{
	printf(
	    "\nInput filename not recognized... '%s' (accepted; RINEX 2 style uncompressed short filenames)\n",
	    name);
	HelpPrint();
}

/* Daily and hourly names have 12 characters, 15-minute names 14. */
static size_t checkLength(const char *name)
{
	const size_t length = strlen(name);

	if (length != 12 && length != 14)
		refuseName(name);
	return length;
}

/* The code is taken as typed; white space in it would only make a wrong name. */
static void readStationCode(const char *name, char code[5])
{
	for (int i = 0; i < 4; i++) {
		if (isWhiteSpace(name[i]))
			refuseName(name);
		code[i] = name[i];
	}
	code[4] = '\0';
}

static int isDigit(char c)
{
	return c >= '0' && c <= '9';
}

/* A numeric field is read whole: all decimal digits, or -1. */
static int readNumber(const char *field, int width)
{
	int n = 0;

	for (int i = 0; i < width; i++) {
		if (!isDigit(field[i]))
			return -1;
		n = n * 10 + (field[i] - '0');
	}
	return n;
}

static int readDay(const char *name)
{
	const int day = readNumber(name + 4, 3);

	if (day < 0 || day > 366) {
		printf(
		    "\nInput Day-of-Year not recognized in the filename... '%s' (accepted; Day-Of-Year 000-366)\n",
		    name);
		HelpPrint();
	}
	return day;
}

static int readMinute(const char *name)
{
	const int minute = readNumber(name + 8, 2);

	if (minute != 0 && minute != 15 && minute != 30 && minute != 45) {
		printf(
		    "\nInput Minute not allowed in the filename... '%s' (accepted; Minutes 00,15,30,45)\n",
		    name);
		HelpPrint();
	}
	return minute;
}

/* Two digits before the file type; 00 to 80 stand for 2000 to 2080. */
static int readYear(const char *name, size_t length)
{
	const int year = readNumber(name + length - 3, 2);

	if (year < 0 || year > 80) {
		printf("\nInput Year not allowed in the filename... '%s' (accepted; Year 00-80)\n",
		       name);
		HelpPrint();
	}
	return year;
}

static const char hours[24][3] = {
    "00", "01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "11",
    "12", "13", "14", "15", "16", "17", "18", "19", "20", "21", "22", "23",
};

/* 0 and 1 mark a daily file; a to x the hour of an hourly one. */
static const char *calculateHours(const char *designator)
{
	const char c = designator[0];

	if (c == '0' || c == '1')
		return hours[0];
	if (c >= 'a' && c <= 'x')
		return hours[c - 'a'];
	printf("\nHour designator not correct... %s (accepted; 0,1,[a-x])\n", designator);
	HelpPrint();
}

static const char *calculateInterval(const char *designator)
{
	return designator[0] == '0' || designator[0] == '1' ? "01D" : "01H";
}

static const char *calculateType(const char *type)
{
	switch (type[0]) {
	case 'o':
	case 'd':
		return "MO";
	case 'n':
		return "GN";
	case 'g':
		return "RN";
	case 'h':
		return "SN";
	case 'l':
		return "EN";
	case 'f':
		return "CN";
	case 'p':
		return "MN";
	case 'q':
		return "JN";
	}
	printf("\nFile extension not supported... '%s' (accepted; o,d,n,g,h,l,f,p,q)\n", type);
	HelpPrint();
}

/* Observation files carry their sampling rate; navigation files none. */
static const char *calculateCadence(const char *type, size_t length)
{
	if (type[0] != 'o' && type[0] != 'd')
		return "";
	return length == 12 ? "_30S" : "_01S";
}

/* Monument, receiver and country, printed as typed; white space would split the name. */
static const char *checkSuffix(const char *suffix)
{
	int ok = strlen(suffix) == 5;

	for (int i = 0; ok && i < 5; i++)
		ok = !isWhiteSpace(suffix[i]);
	if (!ok) {
		printf(
		    "\nInput Monument/Receiver/Country not correct... '%s' (accepted; [Monument num, Receiver num, ISO country code; 00ITA])\n",
		    suffix);
		HelpPrint();
	}
	return suffix;
}

static void upcase(const char *code, char upper[5])
{
	for (int i = 0; i < 5; i++)
		upper[i] = (char)toupper((unsigned char)code[i]);
}

static void refuseSurplus(const char *argument)
{
	printf(
	    "\nToo many input arguments... '%s' (accepted; [-R, -S] [short filename] [Monument num, Receiver num, ISO country code; 00ITA])\n",
	    argument);
	HelpPrint();
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
