/*
 * spawn: start a program COUNT times back to back, its standard output sent
 * to /dev/null, and print the elapsed seconds and the largest resident set of
 * any run in KiB. A program rather than a shell loop, so that the shell's own
 * cost does not dilute the difference between two programs.
 */
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

extern char **environ;

static double now(void)
{
	struct timespec t;

	clock_gettime(CLOCK_MONOTONIC, &t);
	return t.tv_sec + t.tv_nsec / 1e9;
}

/* One run; returns its peak resident set, or -1 if it did not end normally. */
static long runOnce(char **argv, const posix_spawn_file_actions_t *actions)
{
	pid_t pid;
	int status;
	struct rusage usage;

	if (posix_spawn(&pid, argv[0], actions, NULL, argv, environ) != 0)
		return -1;
	if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status))
		return -1;
	return usage.ru_maxrss;
}

int main(int argc, char **argv)
{
	if (argc < 3 || atol(argv[1]) <= 0) {
		fprintf(stderr, "usage: spawn count program [argument...]\n");
		return 2;
	}
	const long count = atol(argv[1]);
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);

	long peak = 0;
	const double start = now();
	for (long i = 0; i < count; i++) {
		const long rss = runOnce(argv + 2, &actions);
		if (rss < 0) {
			fprintf(stderr, "spawn: %s did not run to its end\n", argv[2]);
			return 1;
		}
		if (rss > peak)
			peak = rss;
	}
	printf("%.6f %ld\n", now() - start, peak);
	return 0;
}
