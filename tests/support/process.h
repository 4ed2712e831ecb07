// Programs started and left running, for a test to act on them mid-run:
// to signal them, to read their record as it comes, or, under strace, to
// stop them at a chosen system call and change the tree there.
#ifndef ORVANE_TESTS_SUPPORT_PROCESS_H
#define ORVANE_TESTS_SUPPORT_PROCESS_H

#include <stdio.h>
#include <sys/types.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "run.h"

// LeakSanitizer cannot work under strace; the other tests look for leaks.
inline constexpr char noLeakCheck[] = "ASAN_OPTIONS=detect_leaks=0";

bool exists(const char *program);

// "strace is missing", "tmux and strace are missing": those of the programs
// that are not installed, by name, or nothing when all are.
std::string missing(std::initializer_list<const char *> programs);

bool isRoot();

// The program at argv[0] started and left running, standard output into
// out (or as the test's own when out is -1), standard error discarded.
pid_t start(const std::vector<std::string> &argv, int out);

// A program, found on PATH, started with descriptors of the test's own as
// its standard output and error (-1: /dev/null) and as its descriptor 3
// (-1: none).
pid_t launch(const std::vector<std::string> &argv, int out, int err, int three = -1);

// Everything until the writers close it.
std::string readAll(int fd);

// The exit status, or 128 + signal number.
int waitFor(pid_t pid);

// The renamer under strace, stopped by a SIGSTOP that strace injects after
// each system call the injections name, so that the test changes the tree
// at that very point of the run and then lets it go on.
class Stopped
{
      public:
	Stopped(const std::vector<std::string> &injections, const std::vector<std::string> &args);
	// false when the run ended instead
	bool stopped();
	void resume();
	Result finish();
	pid_t pid = 0;

      private:
	pid_t tracer;
	int out[2], err[2];
	FILE *strace;
};

#endif
