/*
 * Station lists (-c) and the indexed catalogue, for orvane-rename.
 *
 * Every list is read, and every doubt about a name settled, before the first
 * file is renamed: a run that stops on a bad list has changed nothing. The
 * names are then looked up once per file, so both lookups hash the four bytes
 * of a station code as one 32-bit key instead of scanning.
 */
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "lists.h"
#include "orvane.h"
#include "rename.h"

/* A name as a list gave it, and where, for the messages of a later list. */
struct Listed {
	char name[10];  /* the first four characters in lower case, as the key */
	char found[10]; /* as written */
	uint32_t key;
	size_t line;
	const char *file;
};

/* Open addressing, at most half full. A station code has four non-NUL bytes,
 * so no key is 0 and 0 marks an empty slot; values count from 1. */
struct Slot {
	uint32_t key, value;
};
struct Map {
	struct Slot *slots;
	size_t size, used;
};

/* A site log of a folder, chained to the next of its station's logs. */
struct Log {
	struct Listed n;
	uint32_t date; /* YYYYMMDD of its file name, or 0 */
	struct Log *next;
	const struct Log *winner;
};

/* A folder of site logs while it is read: the paths FOLDER/NAME.log, one
 * after the other, and the logs in byte order of their names. */
struct Folder {
	const char *path;
	size_t prefix; /* the length of FOLDER/ */
	char *paths;
	size_t size, room;
	struct Log *logs;
	size_t count;
};

/* Text of a list as a message shows it, in single quotes: at most its first
 * quotedBytes bytes, cut before a UTF-8 sequence rather than inside one, and
 * the control bytes and the backslash as \xHH, so that a message stays one
 * short line whatever the list holds. */
enum { quotedBytes = 40 };
struct Quoted {
	char text[4 * quotedBytes + 48];
};

static struct Map listed;
static struct Listed *names;
static size_t nameCount, nameRoom;

/* The lists' paths, which the names point into for the messages of later
 * lists: kept for the run. */
static char **kept;
static size_t keptCount, keptRoom;

static struct Map catalogue;

int readStationList(const char *path);
static bool readBefore(int fd);
static int readFolder(int fd, const char *path);
static int listLogs(DIR *dir, struct Folder *f);
static int isLogName(const char *name);
static int isRegular(int dir, const struct dirent *e);
static int addPath(struct Folder *f, const char *name);
static int sortLogs(struct Folder *f);
static int byPath(const void *a, const void *b);
static int readLog(int dir, struct Log *log, size_t prefix);
static char *readAndClose(int fd, const char *path, size_t *size);
static char *readWhole(int fd, size_t *size);
static const char *skipByteOrderMark(const char *text, size_t size);
static int readSiteLog(const char *text, const char *end, const char *file, struct Listed *n);
static const char *findLabel(const char *text, const char *end, const char *label, size_t *line,
			     const char **valueEnd);
static const char *nextLine(const char **at, const char *end, const char **stop);
static const char *skipBlanks(const char *p, const char *end);
static int isBlank(char c);
static int isStationName(const char *s, size_t n);
static int isDigit(char c);
static int isUpper(char c);
static int isLower(char c);
static int notName(const char *file, size_t line, const char *text, size_t n);
static struct Quoted quote(const char *text, size_t n);
static void takeName(const char *file, size_t line, const char *text, struct Listed *n);
static uint32_t dateOf(const char *name);
static int keepWinners(struct Folder *f);
static int chainStations(struct Folder *f);
static int decide(struct Log *first);
static const struct Log *latest(const struct Log *first);
static int sameName(const struct Log *a, const struct Log *b);
static void undated(const struct Log *first, const struct Log *log);
static const struct Listed *clash(const struct Listed *n);
static void noteSuperseded(const struct Log *log);
static int readTextList(const char *text, const char *end, const char *file);
static int readListLine(const char *p, const char *end, const char *file, size_t line);
static const char *nextField(const char **at, const char *end, size_t *n);
static int isSeparator(char c);
static int addField(const char *file, size_t line, const char *field);
static int addName(const struct Listed *n);
static const struct Listed *listedFor(uint32_t key);
static int conflict(const struct Listed *later, const struct Listed *earlier);
static int notRead(const char *file, int err);
static int keepPath(char *path);
static int hasFourBytes(const char *code);
static uint32_t word(const char *text);
static uint32_t mapGet(const struct Map *map, uint32_t key);
static size_t slotOf(const struct Map *map, uint32_t key);
static int mapPut(struct Map *map, struct Slot slot);

bool readStationLists(const std::vector<std::string> &paths)
{
	for (const std::string &path : paths)
		if (readStationList(path.c_str()) != 0)
			return false;
	return true;
}

/* A folder is known by opening it as one; anything else is read as a file,
 * pipes included, whatever its name. */
int readStationList(const char *path)
{
	int fd = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (fd >= 0)
		return readBefore(fd) ? close(fd) : readFolder(fd, path);
	if (errno == ENOTDIR)
		fd = open(path, O_RDONLY | O_CLOEXEC);
	if (fd >= 0 && readBefore(fd))
		return close(fd);

	size_t size;
	char *text = readAndClose(fd, path, &size);
	if (text == NULL)
		return -1;
	char *file = strdup(path);
	if (file == NULL || keepPath(file) != 0) {
		free(file);
		free(text);
		return notRead(path, ENOMEM);
	}

	const char *begin = skipByteOrderMark(text, size);
	struct Listed n;
	int result = readSiteLog(begin, text + size, file, &n);
	if (result == 0)
		result = addName(&n);
	else if (result == 1)
		result = readTextList(begin, text + size, file);
	free(text);
	return result;
}

/* Whether the file or folder open on fd was read already, named another way
 * or named again: its notes would come twice, and its names change nothing. */
static bool readBefore(int fd)
{
	static std::vector<std::pair<dev_t, ino_t>> read;
	struct stat st;

	if (fstat(fd, &st) != 0)
		return false;
	const std::pair<dev_t, ino_t> id(st.st_dev, st.st_ino);
	if (std::find(read.begin(), read.end(), id) != read.end())
		return true;
	read.push_back(id);
	return false;
}

/* Every regular .log file of the folder, not below it, as a site log. */
static int readFolder(int fd, const char *path)
{
	DIR *dir = fdopendir(fd);
	if (dir == NULL) {
		const int err = errno;
		close(fd);
		return notRead(path, err);
	}

	const size_t length = strlen(path);
	struct Folder f = {path, length + (path[length - 1] != '/'), NULL, 0, 0, NULL, 0};
	int result = listLogs(dir, &f);
	if (result == 0)
		result = sortLogs(&f);
	for (size_t i = 0; result == 0 && i < f.count; i++)
		result = readLog(dirfd(dir), &f.logs[i], f.prefix);
	if (result == 0 && f.paths != NULL && keepPath(f.paths) != 0)
		result = notRead(path, ENOMEM);
	if (result == 0)
		result = keepWinners(&f);
	else
		free(f.paths);
	(void)closedir(dir);
	free(f.logs);
	return result;
}

static int listLogs(DIR *dir, struct Folder *f)
{
	for (;;) {
		errno = 0;
		const struct dirent *e = readdir(dir);
		if (e == NULL)
			break;
		if (isLogName(e->d_name) && isRegular(dirfd(dir), e) && addPath(f, e->d_name) != 0)
			return notRead(f->path, ENOMEM);
	}
	return errno != 0 ? notRead(f->path, errno) : 0;
}

static int isLogName(const char *name)
{
	const size_t n = strlen(name);

	return n >= 4 && strcmp(name + n - 4, ".log") == 0;
}

/* A link is no log, even to one: the folder is what was named. */
static int isRegular(int dir, const struct dirent *e)
{
	struct stat st;

	if (e->d_type != DT_UNKNOWN)
		return e->d_type == DT_REG;
	return fstatat(dir, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
}

/* FOLDER/NAME as the messages name it: the folder as given, one '/'. */
static int addPath(struct Folder *f, const char *name)
{
	const size_t n = strlen(name) + 1;

	if (f->paths == NULL || f->size + f->prefix + n > f->room) {
		const size_t room = 2 * (f->size + f->prefix + n) + 4096;
		char *paths = static_cast<char *>(realloc(f->paths, room));
		if (paths == NULL)
			return -1;
		f->paths = paths;
		f->room = room;
	}
	memcpy(f->paths + f->size, f->path, f->prefix - 1);
	f->paths[f->size + f->prefix - 1] = '/';
	memcpy(f->paths + f->size + f->prefix, name, n);
	f->size += f->prefix + n;
	f->count++;
	return 0;
}

/* Logs handled in byte order of their names give the same messages on any
 * file system. The paths share their folder, so they sort as the names. */
static int sortLogs(struct Folder *f)
{
	if (f->count == 0)
		return 0;
	f->logs = static_cast<struct Log *>(calloc(f->count, sizeof *f->logs));
	if (f->logs == NULL)
		return notRead(f->path, ENOMEM);
	const char *path = f->paths;
	for (size_t i = 0; i < f->count; i++) {
		f->logs[i].n.file = path;
		path += strlen(path) + 1;
	}
	qsort(f->logs, f->count, sizeof *f->logs, byPath);
	return 0;
}

static int byPath(const void *a, const void *b)
{
	return strcmp(static_cast<const struct Log *>(a)->n.file,
		      static_cast<const struct Log *>(b)->n.file);
}

/* Opened without following a link put in its place since the listing. */
static int readLog(int dir, struct Log *log, size_t prefix)
{
	const char *path = log->n.file;
	const int fd = openat(dir, path + prefix, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
	size_t size;
	char *text = readAndClose(fd, path, &size);
	if (text == NULL)
		return -1;
	const int result = readSiteLog(skipByteOrderMark(text, size), text + size, path, &log->n);
	free(text);
	if (result == 1) {
		(void)fprintf(stderr, "%s: no 'Nine Character ID' line\n", path);
		return -1;
	}
	log->date = dateOf(path + prefix);
	return result;
}

/* The text of the file open on fd, or NULL after saying why it was not
 * opened or read. */
static char *readAndClose(int fd, const char *path, size_t *size)
{
	if (fd < 0) {
		(void)notRead(path, errno);
		return NULL;
	}
	char *text = readWhole(fd, size);
	const int err = errno;

	close(fd);
	if (text == NULL)
		(void)notRead(path, err);
	return text;
}

/* A list is names, not data: no more than this is read of one, so that a
 * device or an endless pipe named by mistake cannot take the machine's
 * memory. */
static const size_t listLimit = (size_t)64 << 20;

/* The whole file at once, so that a list costs a read or two however long
 * it is, into one buffer of the limit and a byte: the pages never written
 * are never held. NULL with errno set, EFBIG past the limit. */
static char *readWhole(int fd, size_t *size)
{
	struct stat st;

	if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (uintmax_t)st.st_size > listLimit) {
		errno = EFBIG;
		return NULL;
	}
	char *text = static_cast<char *>(malloc(listLimit + 1));
	if (text == NULL) {
		errno = ENOMEM;
		return NULL;
	}
	size_t n = 0;
	while (n <= listLimit) {
		const ssize_t got = read(fd, text + n, listLimit + 1 - n);
		if (got > 0) {
			n += (size_t)got;
		} else if (got == 0) {
			*size = n;
			return text;
		} else if (errno != EINTR) {
			const int err = errno;
			free(text);
			errno = err;
			return NULL;
		}
	}
	free(text);
	errno = EFBIG;
	return NULL;
}

/* Lists saved on Windows may start with one. */
static const char *skipByteOrderMark(const char *text, size_t size)
{
	return size >= 3 && memcmp(text, "\xEF\xBB\xBF", 3) == 0 ? text + 3 : text;
}

/* A site log names its station once, on its first Nine Character ID line;
 * the rest of the log is never read as names. Returns 0 with the name, -1
 * after a message, or 1 when there is no such line. */
static int readSiteLog(const char *text, const char *end, const char *file, struct Listed *n)
{
	size_t line;
	const char *valueEnd;
	const char *value = findLabel(text, end, "Nine Character ID", &line, &valueEnd);

	if (value == NULL) {
		value = findLabel(text, end, "Four Character ID", &line, &valueEnd);
		if (value == NULL)
			return 1;
		(void)fprintf(stderr, "%s:%zu: version 1 site log, with no country code: %s\n",
			      file, line, quote(value, (size_t)(valueEnd - value)).text);
		return -1;
	}
	if (!isStationName(value, (size_t)(valueEnd - value)))
		return notName(file, line, value, (size_t)(valueEnd - value));
	takeName(file, line, value, n);
	return 0;
}

/* The value of the first line "LABEL : VALUE", with any blanks around each
 * part, trimmed; NULL when there is none. */
static const char *findLabel(const char *text, const char *end, const char *label, size_t *line,
			     const char **valueEnd)
{
	const size_t n = strlen(label);

	*line = 0;
	for (const char *at = text; at < end;) {
		const char *stop;
		const char *p = nextLine(&at, end, &stop);
		p = skipBlanks(p, stop);
		++*line;
		if ((size_t)(stop - p) <= n || memcmp(p, label, n) != 0)
			continue;
		p = skipBlanks(p + n, stop);
		if (p < stop && *p == ':') {
			while (stop > p + 1 && isBlank(stop[-1]))
				stop--;
			*valueEnd = stop;
			return skipBlanks(p + 1, stop);
		}
	}
	return NULL;
}

/* The line at *at, up to its newline and any carriage return before it,
 * in *stop; *at moves to the next line. */
static const char *nextLine(const char **at, const char *end, const char **stop)
{
	const char *line = *at;
	const char *eol = static_cast<const char *>(memchr(line, '\n', (size_t)(end - line)));

	*at = eol != NULL ? eol + 1 : end;
	if (eol == NULL)
		eol = end;
	if (eol > line && eol[-1] == '\r')
		eol--;
	*stop = eol;
	return line;
}

static const char *skipBlanks(const char *p, const char *end)
{
	while (p < end && isBlank(*p))
		p++;
	return p;
}

static int isBlank(char c)
{
	return c == ' ' || c == '\t';
}

/* Four letters or digits in either case, monument, receiver and an ISO 3166
 * country code. The C library's classes would follow the locale. */
static int isStationName(const char *s, size_t n)
{
	if (n != 9)
		return 0;
	for (int i = 0; i < 4; i++)
		if (!isDigit(s[i]) && !isUpper(s[i]) && !isLower(s[i]))
			return 0;
	return isDigit(s[4]) && isDigit(s[5]) && isUpper(s[6]) && isUpper(s[7]) && isUpper(s[8]);
}

static int isDigit(char c)
{
	return c >= '0' && c <= '9';
}

static int isUpper(char c)
{
	return c >= 'A' && c <= 'Z';
}

static int isLower(char c)
{
	return c >= 'a' && c <= 'z';
}

static int notName(const char *file, size_t line, const char *text, size_t n)
{
	(void)fprintf(stderr, "%s:%zu: not a station name: %s\n", file, line, quote(text, n).text);
	return -1;
}

static struct Quoted quote(const char *text, size_t n)
{
	struct Quoted q;
	size_t shown = n;

	if (n > quotedBytes) {
		shown = quotedBytes;
		while (shown > 0 && ((unsigned char)text[shown] & 0xC0) == 0x80)
			shown--;
	}
	char *p = q.text;
	*p++ = '\'';
	for (size_t i = 0; i < shown; i++) {
		const unsigned char c = (unsigned char)text[i];
		if (c < 0x20 || c == 0x7F || c == '\\')
			p += snprintf(p, 5, "\\x%02x", c);
		else
			*p++ = (char)c;
	}
	*p++ = '\'';
	*p = '\0';
	if (shown < n)
		(void)snprintf(p, 40, " (first %zu of %zu bytes)", shown, n);
	return q;
}

/* Short names are in lower case, so the key is too: ABMF00GLP and abmf00GLP
 * are one name, and the code ABMF finds neither. */
static void takeName(const char *file, size_t line, const char *text, struct Listed *n)
{
	memcpy(n->found, text, 9);
	n->found[9] = '\0';
	memcpy(n->name, n->found, 10);
	for (int i = 0; i < 4; i++)
		if (isUpper(n->name[i]))
			n->name[i] = (char)(n->name[i] - 'A' + 'a');
	n->key = word(n->name);
	n->line = line;
	n->file = file;
}

/* ssssmrccc_YYYYMMDD.log, or ssss_YYYYMMDD.log before that: the eight digits
 * after the last '_'. */
static uint32_t dateOf(const char *name)
{
	const char *d = strrchr(name, '_');
	uint32_t date = 0;

	if (d == NULL || strlen(d) != 13)
		return 0;
	for (int i = 1; i <= 8; i++) {
		if (!isDigit(d[i]))
			return 0;
		date = date * 10 + (uint32_t)(d[i] - '0');
	}
	return date;
}

/* A station's logs may disagree where its country code changed: the latest
 * log names it. The folder's names must agree with the lists before them, and
 * the notes are written only then, so that a refused folder has one line. */
static int keepWinners(struct Folder *f)
{
	int result = chainStations(f);

	for (size_t i = 0; result == 0 && i < f->count; i++)
		if (f->logs[i].winner == NULL)
			result = decide(&f->logs[i]);
	for (size_t i = 0; result == 0 && i < f->count; i++)
		if (!sameName(&f->logs[i], f->logs[i].winner))
			noteSuperseded(&f->logs[i]);
	for (size_t i = 0; result == 0 && i < f->count; i++)
		if (f->logs[i].winner == &f->logs[i])
			result = addName(&f->logs[i].n);
	return result;
}

/* Chained from the last log back, each station's chain runs in byte order. */
static int chainStations(struct Folder *f)
{
	struct Map first = {NULL, 0, 0};
	int result = 0;

	for (size_t i = f->count; result == 0 && i-- > 0;) {
		struct Log *log = &f->logs[i];
		const uint32_t next = mapGet(&first, log->n.key);
		log->next = next != 0 ? &f->logs[next - 1] : NULL;
		if (mapPut(&first, Slot{log->n.key, (uint32_t)i + 1}) != 0)
			result = notRead(f->path, ENOMEM);
	}
	free(first.slots);
	return result;
}

/* The name of a station, given its first log, checked against the lists. */
static int decide(struct Log *first)
{
	const struct Log *w = latest(first);
	if (w == NULL)
		return -1;
	const struct Listed *had = clash(&w->n);
	if (had != NULL)
		return conflict(&w->n, had);
	for (struct Log *log = first; log != NULL; log = log->next)
		log->winner = w;
	return 0;
}

/* The first log, when all agree; else the one of the latest date, which two
 * names may not share. NULL after a message when the dates cannot decide. */
static const struct Log *latest(const struct Log *first)
{
	const struct Log *best = first;
	int agree = 1;

	for (const struct Log *log = first->next; log != NULL; log = log->next) {
		agree &= sameName(log, first);
		if (log->date > best->date)
			best = log;
	}
	if (agree)
		return first;
	for (const struct Log *log = first; log != NULL; log = log->next)
		if (log->date == 0) {
			undated(first, log);
			return NULL;
		}
	for (const struct Log *log = best->next; log != NULL; log = log->next)
		if (log->date == best->date && !sameName(log, best)) {
			(void)conflict(&log->n, &best->n);
			return NULL;
		}
	return best;
}

static int sameName(const struct Log *a, const struct Log *b)
{
	return strcmp(a->n.name, b->n.name) == 0;
}

/* A log without a date among logs of two names: no order can be told. The
 * station's logs disagree, so one of them gives another name. */
static void undated(const struct Log *first, const struct Log *log)
{
	for (const struct Log *other = first; other != NULL; other = other->next)
		if (!sameName(other, log)) {
			(void)(other > log ? conflict(&other->n, &log->n)
					   : conflict(&log->n, &other->n));
			return;
		}
}

/* The name listed before for the station, where it is another. */
static const struct Listed *clash(const struct Listed *n)
{
	const struct Listed *had = listedFor(n->key);

	return had != NULL && strcmp(had->name, n->name) != 0 ? had : NULL;
}

static void noteSuperseded(const struct Log *log)
{
	const struct Listed *w = &log->winner->n;

	(void)fprintf(stderr, "%s:%zu: note: '%s' superseded by '%s' of %s:%zu\n", log->n.file,
		      log->n.line, log->n.found, w->found, w->file, w->line);
}

static int readTextList(const char *text, const char *end, const char *file)
{
	size_t line = 0;

	for (const char *at = text; at < end;) {
		const char *stop;
		const char *p = nextLine(&at, end, &stop);
		if (readListLine(p, stop, file, ++line) != 0)
			return -1;
	}
	return 0;
}

/* Names several to a line, or one name and then data of the list's own, as
 * the first column of a table. */
static int readListLine(const char *p, const char *end, const char *file, size_t line)
{
	p = skipBlanks(p, end);
	if (p == end || *p == '#' || *p == '%')
		return 0;

	const char *at = p;
	size_t n;
	const char *first = nextField(&at, end, &n);
	if (first == NULL)
		return 0;
	if (!isStationName(first, n))
		return notName(file, line, first, n);
	const char *field;
	size_t length;
	while ((field = nextField(&at, end, &length)) != NULL)
		if (!isStationName(field, length))
			return addField(file, line, first);
	for (at = p; (field = nextField(&at, end, &length)) != NULL;)
		if (addField(file, line, field) != 0)
			return -1;
	return 0;
}

/* The field at or after *at, its length in *n; NULL after the last. */
static const char *nextField(const char **at, const char *end, size_t *n)
{
	const char *p = *at;

	while (p < end && isSeparator(*p))
		p++;
	if (p == end)
		return NULL;
	const char *field = p;
	while (p < end && !isSeparator(*p))
		p++;
	*at = p;
	*n = (size_t)(p - field);
	return field;
}

static int isSeparator(char c)
{
	return c == ' ' || c == '\t' || c == ',' || c == ';';
}

static int addField(const char *file, size_t line, const char *field)
{
	struct Listed n;

	takeName(file, line, field, &n);
	return addName(&n);
}

/* A station keeps its first name; the same name again changes nothing. */
static int addName(const struct Listed *n)
{
	const struct Listed *had = listedFor(n->key);

	if (had != NULL)
		return strcmp(had->name, n->name) == 0 ? 0 : conflict(n, had);
	if (nameCount == nameRoom) {
		const size_t room = nameRoom != 0 ? 2 * nameRoom : 1024;
		struct Listed *more =
		    static_cast<struct Listed *>(realloc(names, room * sizeof *names));
		if (more == NULL)
			return notRead(n->file, ENOMEM);
		names = more;
		nameRoom = room;
	}
	if (mapPut(&listed, Slot{n->key, (uint32_t)nameCount + 1}) != 0)
		return notRead(n->file, ENOMEM);
	names[nameCount++] = *n;
	return 0;
}

static const struct Listed *listedFor(uint32_t key)
{
	const uint32_t i = mapGet(&listed, key);

	return i != 0 ? &names[i - 1] : NULL;
}

static int conflict(const struct Listed *later, const struct Listed *earlier)
{
	(void)fprintf(stderr, "%s:%zu: '%s' conflicts with '%s' of %s:%zu\n", later->file,
		      later->line, later->found, earlier->found, earlier->file, earlier->line);
	return -1;
}

static int notRead(const char *file, int err)
{
	if (err == EFBIG)
		(void)fprintf(stderr, "%s: not read: larger than 64 MiB\n", file);
	else
		(void)fprintf(stderr, "%s: not read: %s\n", file, strerror(err));
	return -1;
}

static int keepPath(char *path)
{
	if (keptCount == keptRoom) {
		const size_t room = keptRoom != 0 ? 2 * keptRoom : 16;
		char **more = static_cast<char **>(realloc(kept, room * sizeof *kept));
		if (more == NULL)
			return -1;
		kept = more;
		keptRoom = room;
	}
	kept[keptCount++] = path;
	return 0;
}

const char *listedName(const char *code)
{
	const struct Listed *n = hasFourBytes(code) ? listedFor(word(code)) : NULL;

	return n != NULL ? n->name : NULL;
}

/* The earliest row of a code is its answer, as in the scan. */
void indexCatalogue(void)
{
	for (size_t i = 0; i < staRows; i++) {
		const char *code = staName[2 * i];
		if (!hasFourBytes(code) || mapGet(&catalogue, word(code)) != 0)
			continue;
		if (mapPut(&catalogue, Slot{word(code), (uint32_t)i + 1}) != 0) {
			free(catalogue.slots);
			catalogue.slots = NULL;
			catalogue.size = catalogue.used = 0;
			return;
		}
	}
}

/* Without an index, for want of memory, the scan still answers. */
const char *catalogueName(const char *code)
{
	if (catalogue.size == 0)
		return sta4to9char(code);
	if (!hasFourBytes(code))
		return NULL;
	const uint32_t row = mapGet(&catalogue, word(code));
	return row != 0 ? staName[2 * (row - 1) + 1] : NULL;
}

/* A code shorter than four characters is no station's. */
static int hasFourBytes(const char *code)
{
	return code[0] != '\0' && code[1] != '\0' && code[2] != '\0' && code[3] != '\0';
}

static uint32_t word(const char *text)
{
	uint32_t w;

	memcpy(&w, text, sizeof w);
	return w;
}

static uint32_t mapGet(const struct Map *map, uint32_t key)
{
	if (map->size == 0)
		return 0;
	const struct Slot *s = &map->slots[slotOf(map, key)];
	return s->key == key ? s->value : 0;
}

/* The key's slot, or the empty one where it would go. Multiplying spreads
 * codes that differ in one letter over the whole table. */
static size_t slotOf(const struct Map *map, uint32_t key)
{
	const uint32_t h = key * 0x9E3779B1U;
	size_t i = (h ^ h >> 16) & (map->size - 1);

	while (map->slots[i].key != 0 && map->slots[i].key != key)
		i = (i + 1) & (map->size - 1);
	return i;
}

/* Adds the key, or gives it another value. */
static int mapPut(struct Map *map, struct Slot slot)
{
	if (2 * (map->used + 1) > map->size) {
		struct Map bigger = {NULL, map->size != 0 ? 2 * map->size : 1024, map->used};
		bigger.slots =
		    static_cast<struct Slot *>(calloc(bigger.size, sizeof *bigger.slots));
		if (bigger.slots == NULL)
			return -1;
		for (size_t i = 0; i < map->size; i++)
			if (map->slots[i].key != 0)
				bigger.slots[slotOf(&bigger, map->slots[i].key)] = map->slots[i];
		free(map->slots);
		*map = bigger;
	}
	struct Slot *s = &map->slots[slotOf(map, slot.key)];
	map->used += s->key == 0;
	*s = slot;
	return 0;
}
