/*
 * Parallel runs (-j): a fixed pool of workers fed by the walk. Each job is
 * one folder's candidates, renamed in byte order by one worker, so that
 * collisions in a folder resolve as in a run of one; up to twice as many
 * folders as workers wait, each holding a descriptor of its own. On a
 * network file system every rename waits on the server, and many folders
 * in work at once keep it busy.
 */
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <new>

#include "rename.h"

struct Job {
	struct Job *next;
	struct Place place;
	struct Listing *listing;
};

static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t queued = PTHREAD_COND_INITIALIZER;
static pthread_cond_t freed = PTHREAD_COND_INITIALIZER;
static struct Job *head, *tail;
static size_t inWork, maxInWork;
static int closing;
static pthread_t *workers;
static int started;

static void *work(void *unused);
static void renameHere(const struct Place *place, const struct Listing *l);

/* Threads of their own stack size, whatever the C library's default. */
void startJobs(size_t slots)
{
	pthread_attr_t attr;

	maxInWork = slots;
	workers = static_cast<pthread_t *>(calloc((size_t)jobs, sizeof *workers));
	if (workers == NULL || pthread_attr_init(&attr) != 0) {
		perror(program);
		exit(1);
	}
	(void)pthread_attr_setstacksize(&attr, (size_t)256 * 1024);
	for (; started < jobs; started++)
		if (pthread_create(&workers[started], &attr, work, NULL) != 0)
			break;
	(void)pthread_attr_destroy(&attr);
	if (started == 0) {
		(void)fprintf(stderr, "%s: no thread could be started\n", program);
		exit(1);
	}
}

/* The job holds a descriptor and a path of its own, for the walk may
 * close its own and goes on to other folders. */
void renameLater(const struct Place *place, struct Listing *listing)
{
	const size_t length = (size_t)place->prefixLength;
	struct Job *job = static_cast<struct Job *>(calloc(1, sizeof *job));
	char *prefix = static_cast<char *>(malloc(length + 1));
	const int fd = fcntl(place->fd, F_DUPFD_CLOEXEC, 0);

	if (job == NULL || prefix == NULL || fd < 0) {
		/* No descriptor or memory to spare: the folder's files are
		 * renamed here and now, the walk waiting. */
		if (fd >= 0)
			close(fd);
		free(job);
		free(prefix);
		renameHere(place, listing);
		return;
	}
	memcpy(prefix, place->prefix, length);
	prefix[length] = '\0';
	job->place = *place;
	job->place.fd = fd;
	job->place.prefix = prefix;
	job->listing = listing;
	__atomic_add_fetch(&listing->refs, 1, __ATOMIC_ACQ_REL);

	(void)pthread_mutex_lock(&lock);
	while (inWork >= maxInWork)
		(void)pthread_cond_wait(&freed, &lock);
	if (tail != NULL)
		tail->next = job;
	else
		head = job;
	tail = job;
	inWork++;
	(void)pthread_cond_signal(&queued);
	(void)pthread_mutex_unlock(&lock);
}

/* The folder's files in their order; with -n the names given out are the
 * job's own, but in a folder a file named is in. */
static void renameHere(const struct Place *place, const struct Listing *l)
{
	Names given;
	struct Place here = *place;

	if (dryRun && here.given == nullptr)
		here.given = &given;
	for (size_t i = 0; i < l->count && !stopping(); i++)
		if (l->entries[i].entry[0] != DT_DIR)
			handleEntry(&here, l->entries[i].entry);
}

static void runJob(struct Job *job)
{
	try {
		renameHere(&job->place, job->listing);
	} catch (const std::bad_alloc &) {
		outOfMemory();
	}
	close(job->place.fd);
	free(const_cast<char *>(job->place.prefix));
	releaseListing(job->listing);
	free(job);
}

static void *work(void *unused)
{
	(void)unused;
	for (;;) {
		(void)pthread_mutex_lock(&lock);
		while (head == NULL && !closing)
			(void)pthread_cond_wait(&queued, &lock);
		struct Job *job = head;
		if (job == NULL) {
			(void)pthread_mutex_unlock(&lock);
			return NULL;
		}
		head = job->next;
		if (head == NULL)
			tail = NULL;
		(void)pthread_mutex_unlock(&lock);

		runJob(job);

		(void)pthread_mutex_lock(&lock);
		inWork--;
		(void)pthread_cond_broadcast(&freed);
		(void)pthread_mutex_unlock(&lock);
	}
}

/* Every job queued so far is done, or dropped after a stop. */
void waitForJobs(void)
{
	(void)pthread_mutex_lock(&lock);
	while (inWork > 0)
		(void)pthread_cond_wait(&freed, &lock);
	(void)pthread_mutex_unlock(&lock);
}

/* Every job queued is done, or dropped after a stop, when this returns. */
void finishJobs(void)
{
	(void)pthread_mutex_lock(&lock);
	closing = 1;
	(void)pthread_cond_broadcast(&queued);
	(void)pthread_mutex_unlock(&lock);
	for (int i = 0; i < started; i++)
		(void)pthread_join(workers[i], NULL);
}
