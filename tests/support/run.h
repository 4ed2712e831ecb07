// Runs the built orvane and orvane-rename as child processes, the way users
// meet them.
#ifndef ORVANE_TESTS_SUPPORT_RUN_H
#define ORVANE_TESTS_SUPPORT_RUN_H

#include <string>
#include <vector>

struct Result {
	std::string out;
	std::string err;
	int status; // exit status, or 128 + signal number
};

// orvane with these arguments, invoked as "orvane".
Result run(const std::vector<std::string> &args);

// The program at path with exactly this argument vector (argv[0] included; may be empty).
Result runArgv(const std::string &path, const std::vector<std::string> &argv);

// The same with its standard output opened on file, or closed when file is "".
Result runArgvWithStdout(const std::string &path, const std::vector<std::string> &argv,
			 const char *file);

// orvane with these arguments and its standard output opened on file
// (such as /dev/full); the result's out stays empty.
Result runWithStdout(const char *file, const std::vector<std::string> &args);

// orvane-rename with these arguments, invoked as "orvane-rename".
Result renamer(const std::vector<std::string> &args);

// The usage text as printed when invoked as prog.
std::string usage(const std::string &prog = "orvane");

extern const char *const orvanePath;
extern const char *const orvaneRenamePath;

#endif
