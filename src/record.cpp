/*
 * The run's record: each rename made on standard output, each file or
 * folder left on standard error, one line each, whole however many threads
 * write. A signal, or a standard output that cannot take the record, stops
 * the run between two renames; the record is written out before it ends.
 * When standard error is a terminal, a progress line stays at its foot.
 */
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "rename.h"

static pthread_mutex_t outputLock = PTHREAD_MUTEX_INITIALIZER;
static int stopSignal; /* the first signal that asked the run to stop */
static int stopped;    /* no rename is to start any more */
static int writeError; /* why standard output failed: the record goes on on standard error */
static int status;     /* 1 once anything was left */

/* The record waiting to be written, whole lines only: a line at a time to a
 * terminal of its own, else by the buffer, and under a progress line as often
 * as that is drawn. Where standard error is the same file, the record before
 * a message is written before it. */
enum { outLimit = 1 << 16 };
static char *out;
static size_t outUsed, outSize;
static int lineByLine;
static int sameFile;

/* The progress line, and what it counts. */
static int progress;
static int sameTerminal; /* standard output is that terminal too */
static int shown;
static struct timespec began, drawn;
static size_t folders, candidates, renamed, left;

/* Signals that end a process by default, bar those of its own faults,
 * SIGABRT, and SIGPIPE and SIGXFSZ, which are ignored: a write they would
 * stop fails with EPIPE or EFBIG instead, and the record says so. */
static const int stopSignals[] = {
    SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGALRM, SIGUSR1, SIGUSR2, SIGXCPU, SIGVTALRM, SIGPROF, SIGIO,
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
};

static void catchSignal(int sig)
{
	int none = 0;

	(void)__atomic_compare_exchange_n(&stopSignal, &none, sig, 0, __ATOMIC_SEQ_CST,
					  __ATOMIC_SEQ_CST);
	__atomic_store_n(&stopped, 1, __ATOMIC_SEQ_CST);
}

static void startProgress(void);

static void catchUnlessIgnored(int sig, const struct sigaction *catching)
{
	struct sigaction was = {};

	if (sigaction(sig, NULL, &was) == 0 && was.sa_handler != SIG_IGN)
		(void)sigaction(sig, catching, NULL);
}

/* A standard output that cannot take the record is found before anything is
 * renamed; one that fails later is reported, not died of. A signal ignored
 * when the run starts (nohup) stays ignored. */
void startRecord(void)
{
	const int mode = fcntl(STDOUT_FILENO, F_GETFL);
	if (mode < 0 || (mode & O_ACCMODE) == O_RDONLY) {
		(void)fprintf(stderr, "%s: write error: %s; nothing renamed\n", program,
			      strerror(mode < 0 ? errno : EBADF));
		exit(1);
	}
	(void)signal(SIGPIPE, SIG_IGN);
	(void)signal(SIGXFSZ, SIG_IGN);

	struct sigaction catching = {};
	catching.sa_handler = catchSignal;
	/* A second signal ends the run at once, even while the record waits
	 * for a reader that does not read. */
	catching.sa_flags = SA_RESTART | SA_RESETHAND;
	(void)sigfillset(&catching.sa_mask);
	for (const int sig : stopSignals)
		catchUnlessIgnored(sig, &catching);
	for (int sig = SIGRTMIN; sig <= SIGRTMAX; sig++)
		catchUnlessIgnored(sig, &catching);
	startProgress();
}

/* Only for a terminal: logs and scripts see the record and nothing else. */
static void startProgress(void)
{
	struct stat o;
	struct stat e;

	progress = isatty(STDERR_FILENO);
	sameTerminal = progress && isatty(STDOUT_FILENO) && fstat(STDOUT_FILENO, &o) == 0 &&
		       fstat(STDERR_FILENO, &e) == 0 && o.st_rdev == e.st_rdev;
	lineByLine = isatty(STDOUT_FILENO) && !sameTerminal;
	sameFile = !sameTerminal && fstat(STDOUT_FILENO, &o) == 0 && fstat(STDERR_FILENO, &e) == 0 &&
		   o.st_dev == e.st_dev && o.st_ino == e.st_ino;
	out = static_cast<char *>(malloc(outLimit));
	outSize = out != NULL ? outLimit : 0;
	(void)clock_gettime(CLOCK_MONOTONIC, &began);
	drawn = began;
}

int stopping(void)
{
	return __atomic_load_n(&stopped, __ATOMIC_RELAXED);
}

/* Before anything else is written to the terminal. */
static void eraseProgress(void)
{
	if (shown)
		(void)!write(STDERR_FILENO, "\r\033[K", 4);
	shown = 0;
}

static void writeAll(int fd, const char *text, size_t length);
static size_t lastWhole(size_t at);

/* Writes the buffer, which ends at a line's end. When standard output fails,
 * the record goes on on standard error from the first line not written
 * whole, and no rename is made after. */
static void flushRecord(void)
{
	if (sameTerminal)
		eraseProgress();
	size_t at = 0;
	while (at < outUsed && writeError == 0) {
		const ssize_t n = write(STDOUT_FILENO, out + at, outUsed - at);
		if (n > 0) {
			at += (size_t)n;
		} else if (n == 0 || errno != EINTR) {
			writeError = n == 0 ? EIO : errno;
			__atomic_store_n(&stopped, 1, __ATOMIC_SEQ_CST);
			char line[256];
			const int length = snprintf(line, sizeof line,
						    "%s: write error: %s; the record goes on below\n",
						    program, strerror(writeError));
			eraseProgress();
			writeAll(STDERR_FILENO, line, (size_t)length);
			at = lastWhole(at);
		}
	}
	if (at < outUsed)
		writeAll(STDERR_FILENO, out + at, outUsed - at);
	outUsed = 0;
}

static void writeAll(int fd, const char *text, size_t length)
{
	while (length > 0) {
		const ssize_t n = write(fd, text, length);
		if (n > 0) {
			text += n;
			length -= (size_t)n;
		} else if (n == 0 || errno != EINTR) {
			return;
		}
	}
}

/* Where the line that the byte at `at` belongs to begins: after a newline,
 * or with -0 after a pair's second NUL. */
static size_t lastWhole(size_t at)
{
	size_t begin = 0;
	int nuls = 0;

	for (size_t i = 0; i < at; i++)
		if (out[i] == (nulRecord ? '\0' : '\n') && (!nulRecord || ++nuls % 2 == 0))
			begin = i + 1;
	return begin;
}

/* A line goes into the buffer whole; one longer than the buffer makes it
 * grow, so that it too is written in one piece. */
static void putLine(const char *const *parts, const size_t *lengths, int count)
{
	size_t length = 0;
	for (int i = 0; i < count; i++)
		length += lengths[i];
	if (outUsed > 0 && outUsed + length > outLimit)
		flushRecord();
	if (outUsed + length > outSize) {
		char *grown = static_cast<char *>(realloc(out, outUsed + length));
		if (grown == NULL) {
			/* No room even for the line: it goes out in pieces. */
			flushRecord();
			for (int i = 0; i < count; i++)
				writeAll(writeError != 0 ? STDERR_FILENO : STDOUT_FILENO, parts[i],
					 lengths[i]);
			return;
		}
		out = grown;
		outSize = outUsed + length;
	}
	for (int i = 0; i < count; i++) {
		memcpy(out + outUsed, parts[i], lengths[i]);
		outUsed += lengths[i];
	}
	if (writeError != 0)
		flushRecord();
}

static double since(const struct timespec *then, const struct timespec *now)
{
	return (double)(now->tv_sec - then->tv_sec) + (double)(now->tv_nsec - then->tv_nsec) / 1e9;
}

/* Redrawn at most ten times a second, below the record written so far, and
 * cut to the terminal's width so that it never wraps. */
static void showProgress(void)
{
	struct timespec now;
	struct winsize size;
	char line[256];

	if (!progress || clock_gettime(CLOCK_MONOTONIC, &now) != 0 || since(&drawn, &now) < 0.1)
		return;
	if (sameTerminal)
		flushRecord();
	const double seconds = since(&began, &now);
	int n = snprintf(line, sizeof line,
			 "\r%zu folders, %zu candidates, %zu renamed, %zu left, %.0f/s", folders,
			 candidates, renamed, left,
			 seconds > 0 ? (double)(renamed + left) / seconds : 0.0);
	n = n < (int)sizeof line - 4 ? n : (int)sizeof line - 4;
	if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 && n > size.ws_col)
		n = size.ws_col; /* the "\r", then one column fewer than the width */
	line[n] = '\033';        /* and the rest of the line erased */
	line[n + 1] = '[';
	line[n + 2] = 'K';
	(void)!write(STDERR_FILENO, line, (size_t)n + 3);
	shown = 1;
	drawn = now;
}

void countFolder(size_t found)
{
	(void)pthread_mutex_lock(&outputLock);
	folders++;
	candidates += found;
	showProgress();
	(void)pthread_mutex_unlock(&outputLock);
}

/* OLD -> NEW, or with -0 OLD NUL NEW NUL; written piece by piece, as
 * printf costs more than a rename on a fast file system. */
void recordRename(const struct Place *place, const char *old, const char *to)
{
	const size_t p = (size_t)place->prefixLength;
	const char *const parts[] = {place->prefix, old, " -> ", place->prefix, to, "\n"};
	const size_t lengths[] = {p, strlen(old) + nulRecord, nulRecord ? 0U : 4U, p,
				  strlen(to) + nulRecord, nulRecord ? 0U : 1U};

	(void)pthread_mutex_lock(&outputLock);
	putLine(parts, lengths, 6);
	if (lineByLine)
		flushRecord();
	renamed++;
	showProgress();
	(void)pthread_mutex_unlock(&outputLock);
}

/* A line on standard error comes after the record before it, above the
 * progress line. Once the record goes on on standard error, nothing else
 * does: 0 then. */
static int startMessage(void)
{
	status = 1;
	if (writeError != 0)
		return 0;
	eraseProgress();
	if (sameTerminal || sameFile)
		flushRecord();
	return writeError == 0;
}

/* PREFIX NAME: WHAT: REASON, and the run has left something. */
void report(const char *prefix, int prefixLength, const char *name, const char *what,
	    const char *reason)
{
	(void)pthread_mutex_lock(&outputLock);
	if (startMessage())
		(void)fprintf(stderr, "%.*s%s: %s: %s\n", prefixLength, prefix, name, what, reason);
	(void)pthread_mutex_unlock(&outputLock);
}

void reportLeft(const struct Place *place, const char *name, const char *reason)
{
	(void)pthread_mutex_lock(&outputLock);
	if (startMessage())
		(void)fprintf(stderr, "%.*s%s: not renamed: %s\n", place->prefixLength,
			      place->prefix, name, reason);
	left++;
	showProgress();
	(void)pthread_mutex_unlock(&outputLock);
}

void reportExists(const struct Place *place, const char *name, const char *to)
{
	(void)pthread_mutex_lock(&outputLock);
	if (startMessage())
		(void)fprintf(stderr, "%.*s%s: not renamed: %.*s%s exists\n", place->prefixLength,
			      place->prefix, name, place->prefixLength, place->prefix, to);
	left++;
	showProgress();
	(void)pthread_mutex_unlock(&outputLock);
}

/* An allocation that fails stops the run: what it would have decided
 * next is not guessed at. */
void outOfMemory(void)
{
	__atomic_store_n(&stopped, 1, __ATOMIC_SEQ_CST);
	(void)pthread_mutex_lock(&outputLock);
	if (startMessage())
		(void)fprintf(stderr, "%s: out of memory; stopped\n", program);
	(void)pthread_mutex_unlock(&outputLock);
}

/* Writes the record out and returns the run's status; after a signal, ends
 * by that signal as it would have ended the run, once the record is out. */
int endRecord(void)
{
	flushRecord();
	eraseProgress();
	struct stat st;
	if (writeError == 0 && fstat(STDOUT_FILENO, &st) == 0 && S_ISREG(st.st_mode))
		(void)fsync(STDOUT_FILENO);
	if (writeError != 0)
		status = 1;
	const int sig = __atomic_load_n(&stopSignal, __ATOMIC_SEQ_CST);
	if (sig != 0) {
		sigset_t only;
		(void)signal(sig, SIG_DFL);
		(void)sigemptyset(&only);
		(void)sigaddset(&only, sig);
		(void)pthread_sigmask(SIG_UNBLOCK, &only, NULL);
		(void)raise(sig);
		return 128 + sig;
	}
	return status;
}
