/*
 * The conversion of one short name to its long name, shared by orvane and
 * orvane-rename. It reads the fields at their fixed places and checks them in
 * orvane's order, so that the first fault names the refusal; it ends nothing,
 * prints nothing and keeps nothing between calls.
 */
#include <string.h>

#include "name/orvane.h"

/* Both programs' version, the project's as CMake sets it. */
const char version[] = ORVANE_VERSION;

/* Each refusal's message, as orvane prints it before the usage text. */
// clang-format off
const char *const convMessage[] = {
    /* convOk */ "",
    /* convName */ "\nInput filename not recognized... '%s' (accepted; RINEX 2 style uncompressed short filenames)\n",
    /* convDay */ "\nInput Day-of-Year not recognized in the filename... '%s' (accepted; Day-Of-Year 000-366)\n",
    /* convHour */ "\nHour designator not correct... %s (accepted; 0,1,[a-x])\n",
    /* convMinute */ "\nInput Minute not allowed in the filename... '%s' (accepted; Minutes 00,15,30,45)\n",
    /* convYear */ "\nInput Year not allowed in the filename... '%s' (accepted; Year 00-80)\n",
    /* convType */ "\nFile extension not supported... '%s' (accepted; o,d,n,g,h,l,f,p,q)\n",
    /* convSurplus */ "\nToo many input arguments... '%s' (accepted; [-R, -S] [short filename] [Monument num, Receiver num, ISO country code; 00ITA])\n",
    /* convStation */ "\nStation Name not found... '%s' ...specify second input [Monument num, Receiver num, ISO country code; e.g. 00ITA]\n",
    /* convSuffix */ "\nInput Monument/Receiver/Country not correct... '%s' (accepted; [Monument num, Receiver num, ISO country code; 00ITA])\n",
};
// clang-format on

static int readStationCode(const char *name, char code[5]);
static int readNumber(const char *field, int width);
static const char *calculateHours(const char *designator);
static const char *calculateInterval(const char *designator);
static int isMinute(int minute);
static const char *calculateType(const char *type);
static const char *calculateCadence(const char *type, size_t length);
static int isSuffix(const char *suffix);
static void upcase(const char *code, char upper[5]);

static enum Refusal refuse(struct LongName *ln, enum Refusal why, const char *quoted)
{
	ln->quoted = quoted;
	return why;
}

/* From the year earliest on, as the two digits of a name can say it. */
static enum Refusal convert(const char *name, const char *suffix, const char *surplus,
			    const char *(*lookup)(const char *code), struct LongName *ln,
			    int earliest)
{
	/* Daily and hourly names have 12 characters, 15-minute names 14. */
	const size_t length = strlen(name);
	if ((length != 12 && length != 14) || !readStationCode(name, ln->code))
		return refuse(ln, convName, name);

	ln->day = readNumber(name + 4, 3);
	if (ln->day < 0 || ln->day > 366)
		return refuse(ln, convDay, name);

	ln->field[0] = name[7];
	ln->field[1] = '\0';
	ln->hour = calculateHours(ln->field);
	if (ln->hour == NULL)
		return refuse(ln, convHour, ln->field);
	ln->interval = calculateInterval(ln->field);
	ln->minute = 0;
	if (length == 14) {
		ln->minute = readNumber(name + 8, 2);
		if (!isMinute(ln->minute))
			return refuse(ln, convMinute, name);
		ln->interval = "15M";
	}

	/* Two digits before the file type; 00 to 80 stand for 2000 to 2080,
	 * and 81 to 99 for 1981 to 1999. */
	ln->year = readNumber(name + length - 3, 2);
	ln->century = ln->year > 80 ? 19 : 20;
	if (ln->year < 0 || ln->century * 100 + ln->year < earliest)
		return refuse(ln, convYear, name);

	ln->field[0] = name[length - 1];
	ln->type = calculateType(ln->field);
	if (ln->type == NULL)
		return refuse(ln, convType, ln->field);
	ln->cadence = calculateCadence(ln->field, length);
	ln->extension = ln->field[0] == 'd' ? "crx" : "rnx";

	if (surplus != NULL)
		return refuse(ln, convSurplus, surplus);
	/* The station name: the catalogue's nine characters, or the code in
	 * capitals followed by the suffix as typed. */
	if (suffix == NULL) {
		ln->station = lookup(ln->code);
		if (ln->station == NULL)
			return refuse(ln, convStation, ln->code);
		ln->suffix = "";
	} else {
		if (!isSuffix(suffix))
			return refuse(ln, convSuffix, suffix);
		upcase(ln->code, ln->upper);
		ln->station = ln->upper;
		ln->suffix = suffix;
	}
	return convOk;
}

enum Refusal convertName(const char *name, const char *suffix, const char *surplus,
			 const char *(*lookup)(const char *code), struct LongName *ln)
{
	return convert(name, suffix, surplus, lookup, ln, 2000);
}

enum Refusal convertNameFrom1981(const char *name, const char *suffix, const char *surplus,
				 const char *(*lookup)(const char *code), struct LongName *ln)
{
	return convert(name, suffix, surplus, lookup, ln, 1981);
}

/* As isspace in the C locale, which the tool never leaves, but without the
 * C library's character tables: in a dynamic build, looking those up costs
 * every run a symbol lookup at start. */
int isWhiteSpace(char c)
{
	return c == ' ' || (c >= '\t' && c <= '\r');
}

/* The code is taken as typed; white space in it would only make a wrong name. */
static int readStationCode(const char *name, char code[5])
{
	for (int i = 0; i < 4; i++) {
		if (isWhiteSpace(name[i]))
			return 0;
		code[i] = name[i];
	}
	code[4] = '\0';
	return 1;
}

/* A numeric field is read whole: all decimal digits, or -1. */
static int readNumber(const char *field, int width)
{
	int n = 0;

	for (int i = 0; i < width; i++) {
		if (field[i] < '0' || field[i] > '9')
			return -1;
		n = n * 10 + (field[i] - '0');
	}
	return n;
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
	return NULL;
}

static const char *calculateInterval(const char *designator)
{
	return designator[0] == '0' || designator[0] == '1' ? "01D" : "01H";
}

static int isMinute(int minute)
{
	return minute == 0 || minute == 15 || minute == 30 || minute == 45;
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
	return NULL;
}

/* Observation files carry their sampling rate; navigation files none. */
static const char *calculateCadence(const char *type, size_t length)
{
	if (type[0] != 'o' && type[0] != 'd')
		return "";
	return length == 12 ? "_30S" : "_01S";
}

/* Monument, receiver and country, printed as typed; white space would split the name. */
static int isSuffix(const char *suffix)
{
	if (strlen(suffix) != 5)
		return 0;
	for (int i = 0; i < 5; i++)
		if (isWhiteSpace(suffix[i]))
			return 0;
	return 1;
}

static void upcase(const char *code, char upper[5])
{
	for (int i = 0; i < 5; i++)
		upper[i] = code[i] >= 'a' && code[i] <= 'z' ? (char)(code[i] - 'a' + 'A') : code[i];
}

static char *put(char *to, const char *text)
{
	while (*text != '\0')
		*to++ = *text++;
	return to;
}

static char *putTwoDigits(char *to, int n)
{
	to[0] = (char)('0' + n / 10 % 10);
	to[1] = (char)('0' + n % 10);
	return to + 2;
}

static char *putThreeDigits(char *to, int n)
{
	to[0] = (char)('0' + n / 100 % 10);
	return putTwoDigits(to + 1, n);
}

/* What printf makes of LONG_NAME, without printf's cost for every file of
 * an archive. */
char *writeLongName(char *to, const struct LongName *ln, const char *source)
{
	to = put(put(put(to, ln->station), ln->suffix), "_");
	to = putTwoDigits(put(put(to, source), "_"), ln->century);
	to = putThreeDigits(putTwoDigits(to, ln->year), ln->day);
	to = putTwoDigits(put(to, ln->hour), ln->minute);
	to = put(put(put(put(to, "_"), ln->interval), ln->cadence), "_");
	to = put(put(put(to, ln->type), "."), ln->extension);
	*to = '\0';
	return to;
}
