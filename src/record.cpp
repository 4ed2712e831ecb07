/*
 * The run's record: each rename made on standard output, each file or
 * folder left on standard error, one line each, whole however many threads
 * write. A signal, or a standard output that cannot take the record, stops
 * the run between two renames; the record is written out before it ends.
 */
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "rename.h"

static pthread_mutex_t outputLock = PTHREAD_MUTEX_INITIALIZER;
static int stopSignal; /* the first signal that asked the run to stop */
static int stopped;    /* no rename is to start any more */
static int writeError; /* why standard output failed */
static int status;     /* 1 once anything was left */
static char *last;     /* the last rename made, as "old -> new" */
static size_t lastSize;

/* Signals that end a process by default, bar those of its own faults. */
static const int stopSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM,
				  SIGALRM, SIGUSR1, SIGUSR2, SIGXCPU};

static void catchSignal(int sig)
{
	int none = 0;

	(void)__atomic_compare_exchange_n(&stopSignal, &none, sig, 0, __ATOMIC_SEQ_CST,
					  __ATOMIC_SEQ_CST);
	__atomic_store_n(&stopped, 1, __ATOMIC_SEQ_CST);
}

static void keepLast(const struct Place *place, const char *old, size_t o, const char *to,
		     size_t t);

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
	/* More of the record at a time than a line; a terminal sees each line. */
	if (!isatty(STDOUT_FILENO))
		(void)setvbuf(stdout, NULL, _IOFBF, 1 << 15);
	(void)signal(SIGPIPE, SIG_IGN);
	(void)signal(SIGXFSZ, SIG_IGN);

	struct sigaction catching = {};
	catching.sa_handler = catchSignal;
	/* A second signal ends the run at once, even while the record waits
	 * for a reader that does not read. */
	catching.sa_flags = SA_RESTART | SA_RESETHAND;
	(void)sigfillset(&catching.sa_mask);
	for (const int sig : stopSignals) {
		struct sigaction was = {};
		if (sigaction(sig, NULL, &was) == 0 && was.sa_handler != SIG_IGN)
			(void)sigaction(sig, &catching, NULL);
	}
}

int stopping(void)
{
	return __atomic_load_n(&stopped, __ATOMIC_RELAXED);
}

static void write(const char *text, size_t length)
{
	(void)fwrite_unlocked(text, 1, length, stdout);
}

/* OLD -> NEW, or with -0 OLD NUL NEW NUL; written piece by piece, as
 * printf costs more than a rename on a fast file system. */
void recordRename(const struct Place *place, const char *old, const char *to)
{
	const size_t p = (size_t)place->prefixLength;
	const size_t o = strlen(old);
	const size_t t = strlen(to);

	(void)pthread_mutex_lock(&outputLock);
	write(place->prefix, p);
	write(old, o + nulRecord);
	write(" -> ", nulRecord ? 0 : 4);
	write(place->prefix, p);
	write(to, t + nulRecord);
	write("\n", nulRecord ? 0 : 1);
	if (!dryRun)
		keepLast(place, old, o, to, t);
	if (ferror(stdout) && writeError == 0) {
		writeError = errno != 0 ? errno : EIO;
		__atomic_store_n(&stopped, 1, __ATOMIC_SEQ_CST);
	}
	(void)pthread_mutex_unlock(&outputLock);
}

/* Kept for the message that a failed record ends with. */
static void keepLast(const struct Place *place, const char *old, size_t o, const char *to, size_t t)
{
	const size_t p = (size_t)place->prefixLength;
	const size_t size = p + o + 4 + p + t + 1;

	if (size > lastSize) {
		char *grown = static_cast<char *>(realloc(last, size));
		if (grown == NULL)
			return;
		last = grown;
		lastSize = size;
	}
	char *at = last;
	at = static_cast<char *>(memcpy(at, place->prefix, p)) + p;
	at = static_cast<char *>(memcpy(at, old, o)) + o;
	*at++ = ' ';
	*at++ = '-';
	*at++ = '>';
	*at++ = ' ';
	at = static_cast<char *>(memcpy(at, place->prefix, p)) + p;
	memcpy(at, to, t + 1);
}

/* PREFIX NAME: WHAT: REASON, and the run has left something. */
void report(const char *prefix, int prefixLength, const char *name, const char *what,
	    const char *reason)
{
	(void)pthread_mutex_lock(&outputLock);
	(void)fprintf(stderr, "%.*s%s: %s: %s\n", prefixLength, prefix, name, what, reason);
	status = 1;
	(void)pthread_mutex_unlock(&outputLock);
}

void reportLeft(const struct Place *place, const char *name, const char *reason)
{
	report(place->prefix, place->prefixLength, name, "not renamed", reason);
}

void reportExists(const struct Place *place, const char *name, const char *to)
{
	(void)pthread_mutex_lock(&outputLock);
	(void)fprintf(stderr, "%.*s%s: not renamed: %.*s%s exists\n", place->prefixLength,
		      place->prefix, name, place->prefixLength, place->prefix, to);
	status = 1;
	(void)pthread_mutex_unlock(&outputLock);
}

/* Writes the record out and returns the run's status; after a signal, ends
 * by that signal as it would have ended the run, once the record is out. */
int endRecord(void)
{
	if ((fflush(stdout) != 0 || ferror(stdout)) && writeError == 0)
		writeError = errno != 0 ? errno : EIO;
	struct stat st;
	if (writeError == 0 && fstat(STDOUT_FILENO, &st) == 0 && S_ISREG(st.st_mode))
		(void)fsync(STDOUT_FILENO);
	if (writeError != 0) {
		(void)fprintf(stderr, "%s: write error: %s; %s%s\n", program, strerror(writeError),
			      last != NULL ? "last rename made: " : "nothing renamed",
			      last != NULL ? last : "");
		status = 1;
	}
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
