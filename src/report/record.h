// The run's record: each rename made on standard output, each file or folder
// left on standard error, one whole line each, however many threads write.
// Paths are printed as a prefix (a folder's path and its slash, or nothing)
// and a name.
#ifndef ORVANE_RECORD_H
#define ORVANE_RECORD_H

#include <cstddef>
#include <string_view>

// A standard output that cannot take the record ends the run before
// anything is renamed.
void startRecord();

// OLD -> NEW, or with -0 OLD NUL NEW NUL.
void recordRename(std::string_view prefix, std::string_view old, std::string_view to);

// PREFIX NAME: not renamed: REASON, and PREFIX NAME: not renamed: PREFIX TO
// exists. The files left are counted by kind, for the line that ends a run
// of -H; a reason that names no file is a kind of its own.
void reportLeft(std::string_view prefix, std::string_view name, std::string_view reason,
		std::string_view kind = {});
void reportExists(std::string_view prefix, std::string_view name, std::string_view to);

// PREFIX NAME: note: NOTE, beside a rename; it leaves the status alone.
void reportNote(std::string_view prefix, std::string_view name, std::string_view note);

// A file named with an unknown rate, 00U, for the line that ends a run of -H.
void countUnknownRate();

// PREFIX NAME: WHAT: REASON, for a folder not walked or a name left over.
void report(std::string_view prefix, std::string_view name, std::string_view what,
	    std::string_view reason);

// orvane-rename: WHAT; stopped, and the run stops.
void reportFault(std::string_view what);

// A folder taken into the walk, and how many candidates it holds.
void countFolder(std::size_t candidates);

// Writes the record out, and with -H the count of the files left by kind
// and of those named 00U; the run's status.
int endRecord();

#endif
