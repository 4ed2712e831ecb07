/*
 * spawn: start a program COUNT times back to back, its standard output sent
 * to /dev/null, and print the elapsed seconds and the seconds of the median
 * run. A program rather than a shell loop, so that the shell's own cost does
 * not dilute the difference between two programs; the median, so that the
 * odd run that a busy machine stretches does not either.
 *
 * With - for COUNT, the program runs once for each line of standard input,
 * an argument {} standing for the line; the lines are read before the clock
 * starts.
 */
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>

extern char **environ;

enum { maxLines = 100000, maxArgs = 16 };

static char *lines[maxLines];

static double now(void)
{
	struct timespec t;

	clock_gettime(CLOCK_MONOTONIC, &t);
	return t.tv_sec + t.tv_nsec / 1e9;
}

/* One run; returns 0, or -1 if it did not end normally. */
static int runOnce(char **argv, const posix_spawn_file_actions_t *actions)
{
	pid_t pid;
	int status;

	if (posix_spawn(&pid, argv[0], actions, NULL, argv, environ) != 0)
		return -1;
	if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
		return -1;
	return 0;
}

static long readLines(void)
{
	char line[4096];
	long n = 0;

	while (n < maxLines && fgets(line, sizeof line, stdin) != NULL) {
		line[strcspn(line, "\n")] = '\0';
		if ((lines[n++] = strdup(line)) == NULL)
			return -1;
	}
	return n;
}

static int bySeconds(const void *a, const void *b)
{
	const double x = *(const double *)a, y = *(const double *)b;

	return (x > y) - (x < y);
}

int main(int argc, char **argv)
{
	const int perLine = argc >= 3 && strcmp(argv[1], "-") == 0;
	const long count = perLine ? readLines() : argc >= 3 ? atol(argv[1]) : 0;
	double *seconds = count > 0 ? malloc(count * sizeof *seconds) : NULL;
	if (seconds == NULL || argc - 2 >= maxArgs) {
		fprintf(stderr, "usage: spawn count|- program [argument...]\n");
		return 2;
	}
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);

	char *args[maxArgs];
	const double start = now();
	for (long i = 0; i < count; i++) {
		for (int a = 2; a <= argc; a++)
			args[a - 2] = perLine && argv[a] != NULL && strcmp(argv[a], "{}") == 0
					  ? lines[i]
					  : argv[a];
		const double runStart = now();
		if (runOnce(args, &actions) != 0) {
			fprintf(stderr, "spawn: %s did not run to its end\n", argv[2]);
			return 1;
		}
		seconds[i] = now() - runStart;
	}
	const double elapsed = now() - start;
	qsort(seconds, count, sizeof *seconds, bySeconds);
	printf("%.6f %.9f\n", elapsed, seconds[count / 2]);
	return 0;
}
