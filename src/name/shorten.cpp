/*
 * shortenName: the RINEX 2 short name of a RINEX 3 long name, for
 * orvane-rename -2.
 *
 * A short name says less than a long one: monument, receiver, country, data
 * source and frequency are dropped. A long name whose year, day, period, start
 * or content a short name cannot say is refused with the reason; a near name
 * would pass for another file.
 */
#include <stddef.h>
#include <string.h>

#include "name/charclass.h"
#include "name/orvane.h"

/* A long name, byte by byte up to its extension: 'X' a letter or digit, '9'
 * a digit, 'A' an upper-case letter, 'S' a data source; '_' and '.' stand
 * for themselves. Navigation names have no frequency. */
static const char layouts[][36] = {
    "XXXX99AAA_S_99999999999_99A_99A_AA.",
    "XXXX99AAA_S_99999999999_99A_AA.",
};

/* The periods a short name can say. Its session is 0 for a whole day, so a
 * daily file must start at midnight; else it is the hour's letter, followed
 * for a 15-minute file by the minute, which must be one of the quarters. */
struct Session {
	char period[4];
	int daily;
	char minutes[9]; /* the starting minutes it can say, two digits each */
	int minuteShown;
	char why[40];
};

static const struct Session sessions[] = {
    {"01D", 1, "00", 0, "period 01D from %.*s has no short name"},
    {"01H", 0, "00", 0, "period 01H from %.*s has no short name"},
    {"15M", 0, "00153045", 1, "period 15M from %.*s has no short name"},
};

/* The RINEX 2 type letter of each content type that has one, and the letter
 * of its Hatanaka-compressed (crx) file, which only observations have. */
struct Content {
	char type[3];
	char rnx, crx;
};

// clang-format off
static const struct Content contents[] = {
    {"MO", 'o', 'd'},
    {"GO", 'o', 'd'},
    {"RO", 'o', 'd'},
    {"EO", 'o', 'd'},
    {"CO", 'o', 'd'},
    {"JO", 'o', 'd'},
    {"SO", 'o', 'd'},
    {"IO", 'o', 'd'},
    {"GN", 'n', '\0'},
    {"RN", 'g', '\0'},
    {"SN", 'h', '\0'},
    {"EN", 'l', '\0'},
    {"CN", 'f', '\0'},
    {"JN", 'q', '\0'},
    {"MN", 'p', '\0'},
    {"MM", 'm', '\0'},
};
// clang-format on

static const char *matchLayout(const char *name);
static int fits(char picture, char c);
static int readNumber(const char *field, int width);
static enum Shortening refuse(struct ShortName *sn, const char *why, int length, const char *part);
static const struct Session *findSession(const char *period);
static int startFits(const struct Session *session, const char *start);
static const struct Content *findContent(const char *type);
static void writeName(const char *name, const struct Session *session, char type, char *out);

enum Shortening shortenName(const char *name, struct ShortName *sn)
{
	sn->name[0] = '\0';
	sn->why = NULL;
	sn->part = NULL;
	sn->partLength = 0;

	const char *extension = matchLayout(name);
	if (extension == NULL)
		return shortNoLayout;
	const char *type = extension - 3;

	/* The layout holds, so every number is all digits. The first check
	 * that fails is the reason given. */
	const int year = readNumber(name + 12, 4);
	if (year < 1981 || year > 2080)
		return refuse(sn, "year %.*s has no short name", 4, name + 12);
	const int day = readNumber(name + 16, 3);
	if (day < 1 || day > 366)
		return refuse(sn, "day %.*s has no short name", 3, name + 16);
	if (readNumber(name + 19, 2) > 23)
		return refuse(sn, "hour %.*s has no short name", 2, name + 19);
	const struct Session *session = findSession(name + 24);
	if (session == NULL)
		return refuse(sn, "period %.*s has no short name", 3, name + 24);
	if (!startFits(session, name + 19))
		return refuse(sn, session->why, 4, name + 19);
	const struct Content *content = findContent(type);
	if (content == NULL)
		return refuse(sn, "content type %.*s has no short name", 2, type);
	const char letter = extension[0] == 'c' ? content->crx : content->rnx;
	if (letter == '\0')
		return refuse(sn, "content type %.*s in crx has no short name", 2, type);

	writeName(name, session, letter, sn->name);
	return shortOk;
}

/* Where the extension starts, or NULL. A NUL fits no picture, so a name is
 * never read past its end. */
static const char *matchLayout(const char *name)
{
	for (const char *layout : layouts) {
		size_t i = 0;
		while (layout[i] != '\0' && fits(layout[i], name[i]))
			i++;
		if (layout[i] != '\0')
			continue;
		if (strcmp(name + i, "rnx") == 0 || strcmp(name + i, "crx") == 0)
			return name + i;
	}
	return NULL;
}

/* By the classes of charclass.h rather than ctype.h's: those follow the
 * locale, and a long name is ASCII whatever the locale says. */
static int fits(char picture, char c)
{
	switch (picture) {
	case 'X':
		return isLetterOrDigit(c);
	case '9':
		return isDigit(c);
	case 'A':
		return isUpper(c);
	case 'S':
		return c == 'R' || c == 'S' || c == 'U';
	default:
		return c == picture;
	}
}

static int readNumber(const char *field, int width)
{
	int n = 0;

	for (int i = 0; i < width; i++)
		n = n * 10 + (field[i] - '0');
	return n;
}

static enum Shortening refuse(struct ShortName *sn, const char *why, int length, const char *part)
{
	sn->why = why;
	sn->part = part;
	sn->partLength = length;
	return shortRefused;
}

static const struct Session *findSession(const char *period)
{
	for (const struct Session &session : sessions)
		if (strncmp(period, session.period, 3) == 0)
			return &session;
	return NULL;
}

static int startFits(const struct Session *session, const char *start)
{
	if (session->daily && (start[0] != '0' || start[1] != '0'))
		return 0;
	for (const char *m = session->minutes; *m != '\0'; m += 2)
		if (m[0] == start[2] && m[1] == start[3])
			return 1;
	return 0;
}

static const struct Content *findContent(const char *type)
{
	for (const struct Content &content : contents)
		if (strncmp(type, content.type, 2) == 0)
			return &content;
	return NULL;
}

/* ssssdddh.yyt or ssssdddhmm.yyt. */
static void writeName(const char *name, const struct Session *session, char type, char *out)
{
	int n = 0;

	for (int i = 0; i < 4; i++)
		out[n++] = toLower(name[i]);
	for (int i = 16; i < 19; i++)
		out[n++] = name[i];
	out[n++] = session->daily ? '0' : (char)('a' + readNumber(name + 19, 2));
	if (session->minuteShown) {
		out[n++] = name[21];
		out[n++] = name[22];
	}
	out[n++] = '.';
	out[n++] = name[14];
	out[n++] = name[15];
	out[n++] = type;
	out[n] = '\0';
}
