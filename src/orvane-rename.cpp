/*
 * orvane-rename: give the RINEX 2 short-named files of whole archives their
 * RINEX 3 long names, in place.
 *
 * orvane decides every name: it runs once per candidate, and its exit status
 * and line are the verdict, so the two programs cannot disagree. No file is
 * ever replaced; a file left as it was gets one line on standard error.
 */
#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <limits.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

static const char progName[] = "orvane-rename";

/* The options, and the run's verdict: 0, or 1 once a file was left. */
static int dryRun;
static const char *source = "-R";
static const char *suffix;
static int status;

/* The orvane beside this program, or the name to look up on PATH. */
static char orvane[PATH_MAX] = "orvane";
static int orvaneOnPath = 1;

static int readOptions(int argc, char **argv);
[[noreturn]] static void usage(void);
static void openStandardFiles(void);
static void findOrvane(const char *argv0);
static void renamePath(const char *path);
static int visit(const char *path, const struct stat *st, int type, struct FTW *ftw);
static size_t compressionSuffix(const char *name, size_t length);
static int isShortName(const char *name);
static void renameCandidate(const char *path, size_t base);
static int askOrvane(const char *shortName, char *answer, size_t size);
static void readAnswer(int fd, char *answer, size_t size);
static void keepReason(char *answer);
static int joinPath(char *to, const char *path, size_t base, const char *longName,
		    const char *compression);
static int moveNoReplace(const char *from, const char *to);
static void leave(const char *path, const char *reason, const char *more);
static void complain(const char *path, const char *what, const char *reason, const char *more);
static int flushOutput(void);

int main(int argc, char **argv)
{
	const int first = readOptions(argc, argv);

	openStandardFiles();
	findOrvane(argv[0]);
	for (int i = first; i < argc; i++)
		renamePath(argv[i]);
	return flushOutput() != 0 ? 1 : status;
}

/* Options come first; "--" ends them, for paths that begin with a dash. */
static int readOptions(int argc, char **argv)
{
	int c;

	opterr = 0;
	while ((c = getopt(argc, argv, "+nRSs:")) != -1) {
		switch (c) {
		case 'n':
			dryRun = 1;
			break;
		case 'R':
			source = "-R";
			break;
		case 'S':
			source = "-S";
			break;
		case 's':
			suffix = optarg;
			break;
		default:
			if (optopt == 's')
				(void)fprintf(stderr, "%s: option '-s' needs a suffix\n", progName);
			else
				(void)fprintf(stderr, "%s: unknown option '-%c'\n", progName,
					      optopt);
			usage();
		}
	}
	if (optind >= argc)
		usage();
	return optind;
}

static void usage(void)
{
	(void)fprintf(stderr, "usage: %s [-n] [-R | -S] [-s suffix] path ...\n", progName);
	exit(2);
}

/* A pipe to orvane must never land on a closed standard descriptor. */
static void openStandardFiles(void)
{
	for (int fd = 0; fd <= 2; fd++)
		if (fcntl(fd, F_GETFD) < 0 && open("/dev/null", O_RDWR) != fd)
			exit(1);
}

/* The orvane in this program's own folder, so that the two come from one
 * build or one package; else the one on PATH. Without /proc, as in a chroot,
 * the folder comes from the invocation. */
static void findOrvane(const char *argv0)
{
	char self[PATH_MAX];
	ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);

	if (n <= 0 && argv0 != NULL && strchr(argv0, '/') != NULL) {
		n = (ssize_t)strnlen(argv0, sizeof self);
		memcpy(self, argv0, (size_t)n);
	}
	if (n <= 0 || n == (ssize_t)sizeof self)
		return;
	self[n] = '\0';
	const int folder = (int)(strrchr(self, '/') - self) + 1;
	char beside[PATH_MAX];
	if (snprintf(beside, sizeof beside, "%.*sorvane", folder, self) < (int)sizeof beside &&
	    access(beside, X_OK) == 0) {
		memcpy(orvane, beside, sizeof orvane);
		orvaneOnPath = 0;
	}
}

/* A folder is walked at any depth without following links; anything else
 * named is a candidate, whatever its name. */
static void renamePath(const char *path)
{
	struct stat st;

	if (lstat(path, &st) != 0) {
		leave(path, strerror(errno), "");
		return;
	}
	if (!S_ISDIR(st.st_mode)) {
		const char *slash = strrchr(path, '/');
		renameCandidate(path, slash != NULL ? (size_t)(slash - path) + 1 : 0);
		return;
	}
	if (nftw(path, visit, 16, FTW_PHYS) != 0)
		complain(path, "not walked", strerror(errno), "");
}

/* In a folder, only regular files with a short name are candidates. */
static int visit(const char *path, const struct stat *st, int type, struct FTW *ftw)
{
	const char *name = path + ftw->base;

	if (type == FTW_F && S_ISREG(st->st_mode) && isShortName(name))
		renameCandidate(path, (size_t)ftw->base);
	else if (type == FTW_NS && isShortName(name))
		leave(path, strerror(errno), "");
	else if (type == FTW_DNR)
		complain(path, "not walked", strerror(errno), "");
	return 0;
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
 * hour designator, the minute of a 15-minute file, year and type. orvane
 * judges the rest. */
static int isShortName(const char *name)
{
	size_t length = strlen(name);

	length -= compressionSuffix(name, length);
	if (length != 12 && length != 14)
		return 0;
	return isDigits(name + 4, 3) && (length == 12 || isDigits(name + 8, 2)) &&
	       name[length - 4] == '.' && isDigits(name + length - 3, 2);
}

/* The long name that orvane gives the name less its compression suffix,
 * with the suffix put back, in the same folder. */
static void renameCandidate(const char *path, size_t base)
{
	const char *name = path + base;
	const size_t length = strlen(name);
	const size_t stem = length - compressionSuffix(name, length);
	char shortName[NAME_MAX + 1];
	char answer[NAME_MAX + 1];
	char to[PATH_MAX];

	memcpy(shortName, name, stem);
	shortName[stem] = '\0';
	if (askOrvane(shortName, answer, sizeof answer) != 0) {
		leave(path, answer, "");
		return;
	}
	if (strchr(answer, '/') != NULL) {
		leave(path, answer, " would leave the folder");
		return;
	}
	if (joinPath(to, path, base, answer, name + stem) != 0) {
		leave(path, strerror(ENAMETOOLONG), "");
		return;
	}

	struct stat st;
	const int err = !dryRun ? moveNoReplace(path, to) : lstat(to, &st) == 0 ? EEXIST : 0;
	if (err == EEXIST)
		leave(path, to, " exists");
	else if (err != 0)
		leave(path, strerror(err), "");
	else
		printf("%s -> %s\n", path, to);
}

/* Runs orvane on one short name, the data source always given so that no
 * name can pass for an option. Returns 0 with the long name in answer, or 1
 * with the reason for refusing it: orvane's message up to its dots. */
static int askOrvane(const char *shortName, char *answer, size_t size)
{
	int out[2];
	if (pipe2(out, O_CLOEXEC) != 0) {
		complain(progName, "pipe", strerror(errno), "");
		exit(1);
	}
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_adddup2(&actions, out[1], 1);
	const char *argv[] = {"orvane", source, shortName, suffix, NULL};
	pid_t pid;
	const int err = (orvaneOnPath ? posix_spawnp : posix_spawn)(
	    &pid, orvane, &actions, NULL, const_cast<char **>(argv), environ);
	posix_spawn_file_actions_destroy(&actions);
	close(out[1]);
	if (err != 0) {
		complain(progName, orvane, strerror(err), "");
		exit(1);
	}
	readAnswer(out[0], answer, size);
	close(out[0]);

	int wstatus;
	while (waitpid(pid, &wstatus, 0) < 0)
		if (errno != EINTR) {
			wstatus = -1;
			break;
		}
	const int verdict = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
	const size_t n = strlen(answer);
	if (verdict == 0 && n > 2 && strchr(answer, '\n') == answer + n - 1 &&
	    answer[n - 2] == ' ') {
		answer[n - 2] = '\0';
		return 0;
	}
	if (verdict == 1 && answer[0] == '\n')
		keepReason(answer);
	else
		(void)snprintf(answer, size, "orvane gave no answer");
	return 1;
}

/* orvane's output as far as answer holds it, read to the end so that orvane
 * never waits on a full pipe: a long name or a message fits, and the usage
 * text that follows a message is not needed. */
static void readAnswer(int fd, char *answer, size_t size)
{
	char rest[512];
	size_t n = 0;

	for (;;) {
		const int room = n < size - 1;
		const ssize_t got =
		    room ? read(fd, answer + n, size - 1 - n) : read(fd, rest, sizeof rest);
		if (got == 0 || (got < 0 && errno != EINTR))
			break;
		if (got > 0 && room)
			n += (size_t)got;
	}
	answer[n] = '\0';
}

/* "\nStation Name not found... 'xxxx' ...": the message up to its dots. */
static void keepReason(char *answer)
{
	char *message = answer + 1;
	message[strcspn(message, "\n")] = '\0';
	char *dots = strstr(message, "...");
	if (dots != NULL)
		*dots = '\0';
	memmove(answer, message, strlen(message) + 1);
}

/* The folder of path, then the long name and the compression suffix. */
static int joinPath(char *to, const char *path, size_t base, const char *longName,
		    const char *compression)
{
	const int n = snprintf(to, PATH_MAX, "%.*s%s%s", (int)base, path, longName, compression);

	return n < 0 || n >= PATH_MAX ? -1 : 0;
}

/* Never replaces a file: renameat2 refuses a taken name in the same step.
 * Where a file system refuses that flag, link and unlink refuse one too.
 * Returns 0 or the error. */
static int moveNoReplace(const char *from, const char *to)
{
	if (syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
		return 0;
	if (errno != EINVAL && errno != ENOSYS)
		return errno;
	if (link(from, to) != 0)
		return errno;
	if (unlink(from) == 0)
		return 0;
	const int err = errno;
	(void)unlink(to); /* the same file: only its second name goes */
	return err;
}

static void leave(const char *path, const char *reason, const char *more)
{
	complain(path, "not renamed", reason, more);
}

/* One line on standard error, and the run has failed. */
static void complain(const char *path, const char *what, const char *reason, const char *more)
{
	(void)fprintf(stderr, "%s: %s: %s%s\n", path, what, reason, more);
	status = 1;
}

/* A line that never reached its reader is no success. */
static int flushOutput(void)
{
	if (fflush(stdout) == 0 && !ferror(stdout))
		return 0;
	complain(progName, "write error", strerror(errno), "");
	return 1;
}
