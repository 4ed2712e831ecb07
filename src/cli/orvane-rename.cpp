/*
 * orvane-rename: give the RINEX 2 short-named files of whole archives their
 * RINEX 3 long names, in place.
 *
 * Every name is decided by orvane's own conversion, linked in, so the two
 * programs cannot disagree. No file is ever replaced and no link followed;
 * each rename made is one line on standard output, each file left one line
 * on standard error.
 */
#include "cli/commandline.h"
#include "rename/run.h"

int main(int argc, char **argv)
{
	const CommandLine line = readCommandLine(argc, argv);
	if (line.status)
		return *line.status;
	return renameTrees(line.options, line.paths);
}
