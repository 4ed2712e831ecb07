/*
 * peak: run a program once, its standard output sent to /dev/null, and print
 * its peak resident set in KiB as /proc shows it when the program exits.
 * ru_maxrss will not do: a child started with vfork shows its parent's, and
 * the kernel gathers the counts of a small process too late for it.
 */
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

/* VmHWM of a process, in KiB, or -1. */
static long highWater(pid_t pid)
{
	char path[64], line[256];
	long kib = -1;

	snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
	FILE *f = fopen(path, "r");
	if (f == NULL)
		return -1;
	while (fgets(line, sizeof line, f) != NULL)
		if (sscanf(line, "VmHWM: %ld kB", &kib) == 1)
			break;
	fclose(f);
	return kib;
}

int main(int argc, char **argv)
{
	if (argc < 2) {
		fprintf(stderr, "usage: peak program [argument...]\n");
		return 2;
	}
	const pid_t pid = fork();
	if (pid == 0) {
		const int null = open("/dev/null", O_WRONLY);
		dup2(null, 1);
		ptrace(PTRACE_TRACEME, 0, NULL, NULL);
		raise(SIGSTOP);
		execv(argv[1], argv + 1);
		_exit(127);
	}
	long kib = -1;
	int status;
	while (waitpid(pid, &status, 0) == pid && WIFSTOPPED(status)) {
		int deliver = 0;
		if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8)))
			kib = highWater(pid);
		else if (WSTOPSIG(status) == SIGSTOP && kib == -1)
			ptrace(PTRACE_SETOPTIONS, pid, NULL, (void *)PTRACE_O_TRACEEXIT);
		else if (WSTOPSIG(status) != SIGTRAP)
			deliver = WSTOPSIG(status);
		ptrace(PTRACE_CONT, pid, NULL, (void *)(long)deliver);
	}
	if (kib < 0) {
		fprintf(stderr, "peak: no figure for %s\n", argv[1]);
		return 1;
	}
	printf("%ld\n", kib);
	return 0;
}
