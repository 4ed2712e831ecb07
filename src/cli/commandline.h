// orvane-rename's command line: the options of a run and its PATHs, or the
// status to end with at once (after the help, the version, or a mistake
// and the usage text).
#ifndef ORVANE_COMMANDLINE_H
#define ORVANE_COMMANDLINE_H

#include <optional>
#include <span>

#include "rename/options.h"

struct CommandLine {
	Options options;
	std::span<char *const> paths;
	std::optional<int> status; // set: end with it, nothing run

	CommandLine &ending(int with)
	{
		status = with;
		return *this;
	}
};

CommandLine readCommandLine(int argc, char **argv);

#endif
