/*
 * libFuzzer harness for the whole run. The input, cut at its NUL bytes, is
 * the argument list after "orvane"; each argument gets a buffer of exactly its
 * size, so that AddressSanitizer sees any read past its end.
 *
 * orvane.cpp comes in with its main renamed to orvaneMain (-Dmain=orvaneMain)
 * and its calls of exit wrapped at link time (-Wl,--wrap=exit): during a run,
 * exit jumps back here with its status instead of ending the fuzzer. Standard
 * output goes to a memory file, which is checked after every run, and
 * against what convertName and writeLongName, which orvane-rename calls in
 * its own process, make of the same arguments.
 */
#include <setjmp.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include "name/orvane.h"

int orvaneMain(int argc, char **argv);

extern "C" [[noreturn]] void __real_exit(int status);

static jmp_buf runEnd;
static bool running;
static int exitStatus;

extern "C" [[noreturn]] void __wrap_exit(int status)
{
	if (!running)
		__real_exit(status);
	exitStatus = status;
	longjmp(runEnd, 1);
}

enum { maxInput = 4096, maxArgs = 8, maxOutput = 1 << 16 };

static int output;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
	output = memfd_create("orvane-stdout", 0);
	if (output < 0 || dup2(output, STDOUT_FILENO) < 0) {
		perror("fuzz: standard output");
		abort();
	}
	return 0;
}

static bool isDigits(const char *s, size_t n)
{
	for (size_t i = 0; i < n; i++)
		if (s[i] < '0' || s[i] > '9')
			return false;
	return true;
}

static bool startsWith(const char *&s, const char *prefix)
{
	const size_t n = strlen(prefix);
	if (strncmp(s, prefix, n) != 0)
		return false;
	s += n;
	return true;
}

static bool startsWithOneOf(const char *&s, const char *const *prefixes, size_t count)
{
	for (size_t i = 0; i < count; i++)
		if (startsWith(s, prefixes[i]))
			return true;
	return false;
}

/* SSSSSSSSS_R_20YYDDDHHMM_01D_30S_MO.rnx, a blank and a newline, nothing more. */
static bool isLongNameLine(const char *line, size_t length)
{
	static const char *const sources[] = {"_R_20", "_S_20"};
	static const char *const intervals[] = {"_01D", "_01H", "_15M"};
	static const char *const cadences[] = {"_30S", "_01S", ""};
	static const char *const types[] = {"_MO", "_GN", "_RN", "_SN", "_EN", "_CN", "_MN", "_JN"};
	static const char *const extensions[] = {".rnx \n", ".crx \n"};

	if (length < 9 || memchr(line, '\n', 9) != NULL)
		return false;
	const char *s = line + 9;
	if (!startsWithOneOf(s, sources, 2) || !isDigits(s, 9))
		return false;
	s += 9;
	return startsWithOneOf(s, intervals, 3) && startsWithOneOf(s, cadences, 3) &&
	       startsWithOneOf(s, types, 8) && startsWithOneOf(s, extensions, 2) &&
	       s == line + length;
}

static const char usageStart[] =
    "\nThis tool provides the Long Names for the RINEX 3 files from RINEX 2 style short names!\n";
static const char usageEnd[] =
    "\nThis tool DOES NOT check the correct contents of the file, it only creates output based on the provided short filename.\n\n"
    "orvane version 16158.\n";

/* Where the one usage text at the end of the output starts, or NULL. */
static const char *usageText(const char *out, size_t length)
{
	const size_t end = sizeof usageEnd - 1;
	if (length < end || memcmp(out + length - end, usageEnd, end) != 0)
		return NULL;
	const char *usage = strstr(out, usageStart);
	return usage && !strstr(usage + 1, usageStart) ? usage : NULL;
}

/* A message stands between empty lines and names its fault with three dots.
 * Only a run with no name to read may show the usage text alone. */
static bool isMessageAndUsage(const char *out, size_t length, bool noName)
{
	const char *usage = usageText(out, length);
	if (usage == NULL)
		return false;
	if (usage == out)
		return noName;
	const char *dots = strstr(out, "... ");
	return out[0] == '\n' && usage[-1] == '\n' && dots != NULL && dots < usage;
}

/* The renamer's conversion, which also takes the years 81 to 99, gives every
 * name orvane gives, and refuses what orvane refuses for all reasons but the
 * year of those names. */
static bool sameFrom1981(int argc, char **argv, int at, enum Refusal refusal,
			 const struct LongName *ln)
{
	struct LongName other;
	const enum Refusal r =
	    convertNameFrom1981(argv[at], argc > at + 1 ? argv[at + 1] : NULL,
				argc > at + 2 ? argv[at + 2] : NULL, sta4to9char, &other);
	if (refusal == convYear && other.century == 19)
		return r != convName && r != convDay && r != convHour && r != convMinute &&
		       r != convYear;
	if (r != refusal)
		return false;
	if (refusal != convOk)
		return true;
	char a[longNameSize], b[longNameSize];
	writeLongName(a, ln, "R");
	writeLongName(b, &other, "R");
	return strcmp(a, b) == 0;
}

/* The run as orvane-rename sees it: the function's refusal prints as orvane
 * printed it, or its long name as orvane's line. */
static bool sameInProcess(int argc, char **argv, int status, const char *out)
{
	const bool option = argc > 1 && strlen(argv[1]) == 2;
	const int at = option ? 2 : 1;
	if (argc <= at || strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "--version") == 0 ||
	    (option && argv[1][1] != 'R' && argv[1][1] != 'S' && !isWhiteSpace(argv[1][1])))
		return true;
	struct LongName ln;
	const enum Refusal refusal =
	    convertName(argv[at], argc > at + 1 ? argv[at + 1] : NULL,
			argc > at + 2 ? argv[at + 2] : NULL, sta4to9char, &ln);
	static char text[maxOutput + 1];
	if (!sameFrom1981(argc, argv, at, refusal, &ln))
		return false;
	if (refusal != convOk) {
		const int n = snprintf(text, sizeof text, convMessage[refusal], ln.quoted);
		return status == 1 && strncmp(out, text, (size_t)n) == 0;
	}
	char *end = writeLongName(text, &ln, option && argv[1][1] == 'S' ? "S" : "R");
	strcpy(end, " \n");
	return status == 0 && strcmp(out, text) == 0;
}

static void check(int argc, char **argv, int status, const char *out, size_t length)
{
	bool ok;
	if (argv[1] && strcmp(argv[1], "--help") == 0)
		ok = status == 0 && usageText(out, length) == out;
	else if (argv[1] && strcmp(argv[1], "--version") == 0)
		ok = status == 0 && strcmp(out, "orvane version 16158.\n") == 0;
	else if (status == 0)
		ok = isLongNameLine(out, length);
	else
		ok = status == 1 &&
		     isMessageAndUsage(out, length,
				       argc == 1 || (argc == 2 && strlen(argv[1]) == 2));
	ok = ok && sameInProcess(argc, argv, status, out);
	if (!ok) {
		fprintf(stderr, "fuzz: status %d, output:\n%.*s", status, (int)length, out);
		abort();
	}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	if (size > maxInput)
		return 0;
	static char prog[] = "orvane";
	char *argv[maxArgs + 2] = {prog};
	int argc = 1;
	for (size_t at = 0; at < size && argc <= maxArgs; argc++) {
		const uint8_t *nul = (const uint8_t *)memchr(data + at, '\0', size - at);
		const size_t n = (nul ? (size_t)(nul - data) : size) - at;
		argv[argc] = (char *)malloc(n + 1);
		memcpy(argv[argc], data + at, n);
		argv[argc][n] = '\0';
		at += n + 1;
	}

	if (ftruncate(output, 0) != 0 || lseek(output, 0, SEEK_SET) != 0)
		abort();
	int status;
	running = true;
	if (setjmp(runEnd) == 0)
		status = orvaneMain(argc, argv);
	else
		status = exitStatus;
	running = false;
	fflush(stdout);

	static char out[maxOutput + 1];
	const ssize_t length = pread(output, out, maxOutput, 0);
	if (length < 0)
		abort();
	out[length] = '\0';
	check(argc, argv, status, out, (size_t)length);

	for (int i = 1; i < argc; i++)
		free(argv[i]);
	return 0;
}
