// What orvane-rename was asked to do: read from the command line before
// anything else happens, and only read after.
#ifndef ORVANE_OPTIONS_H
#define ORVANE_OPTIONS_H

#include <string>
#include <vector>

struct Options {
	bool dryRun = false;            // -n
	bool nulRecord = false;         // -0
	bool shortening = false;        // -2: long names back to short ones
	bool readHeaders = false;       // -H, and with -a
	bool byContent = false;         // -a: files of any name named by their content
	bool check = false;             // -k: long names checked against their data
	int jobs = 1;                   // -j
	const char *source = "R";       // -R or -S
	const char *suffix = nullptr;   // -s
	std::vector<std::string> lists; // -c
	const char *listing = nullptr;  // -L: plan from a listing, "-" standard input
	const char *undo = nullptr;     // -u: the record of the run to undo
};

#endif
