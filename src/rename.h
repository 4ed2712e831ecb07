#ifndef ORVANE_RENAME_H
#define ORVANE_RENAME_H

#include <limits.h>
#include <stddef.h>
#include <stdint.h>
#include <sys/types.h>

#include <string>
#include <unordered_set>

extern const char program[];

/* What the run was asked to do, set from the command line before the walk. */
extern int dryRun;     /* -n */
extern int nulRecord;  /* -0 */
extern int shortening; /* -2: long names back to short ones */
extern int jobs;       /* -j */

/* orvane-rename.cpp: whether a file met in a walk is a candidate, and the
 * name a candidate takes: newName gives the new name and returns 0, or why
 * there is none and -1. */
struct NewName {
	char to[NAME_MAX + 1];
	char why[NAME_MAX + 64];
};
int isCandidate(const char *name);
int newName(const char *name, struct NewName *nn);

/* Names of one folder: with -n the new names given out there so far; in a
 * folder that a file named as a PATH is in, the candidates handled there,
 * which a later PATH does not handle again. */
using Names = std::unordered_set<std::string>;

/* With -n, what a rename in a folder would meet besides the names: the
 * error that every one would fail with, or 0; and for a sticky folder of
 * another user's, that only the user's own files may be renamed there. */
struct Forecast {
	int err;
	int sticky;
};

/* A folder in which candidates are renamed: its descriptor, its file
 * system, the path printed before each name (ending in '/', or empty), and
 * what the run keeps of it. */
struct Place {
	int fd;
	dev_t dev;
	const char *prefix;
	int prefixLength;
	Names *given;
	Names *handled;
	struct Forecast forecast;
};

/* An entry, a type byte then its name, and the first eight bytes of the
 * name as one number, which orders most pairs of names without more. */
struct Keyed {
	uint64_t key;
	char *entry;
};

/* A folder's entries, kept in one block, in byte order of their names; its
 * folders and its candidates, shared by the walk and the job that renames
 * there. */
struct Listing {
	char *block;
	struct Keyed *entries;
	size_t count, candidates;
	int refs;
};

/* walk.cpp: every candidate below a PATH, or the PATH itself. The folders
 * that PATHs which are files are in are found before the walk. */
size_t setDescriptorBudget(void);
void findNamedFolders(int count, char **paths);
void walkPath(const char *path);
void renameCandidate(struct Place *place, const char *name);
void handleEntry(struct Place *place, const char *entry);
struct Forecast forecastFor(int fd);
void releaseListing(struct Listing *listing);

/* jobs.cpp: with -j, the candidates of a folder are renamed by one of the
 * workers, in their order, while the walk goes on. */
void startJobs(size_t slots);
void renameLater(const struct Place *place, struct Listing *listing);
void waitForJobs(void);
void finishJobs(void);

/* noreplace.cpp: renames old to new within one folder, never replacing a
 * file; 0, or the error that left the file as it was. */
int moveNoReplace(struct Place *place, const char *old, const char *to);

/* record.cpp: the record on standard output, what is left on standard
 * error, and the stop that a signal or a failed write asks for. */
void startRecord(void);
int stopping(void);
void recordRename(const struct Place *place, const char *old, const char *to);
void reportLeft(const struct Place *place, const char *name, const char *reason);
void reportExists(const struct Place *place, const char *name, const char *to);
void report(const char *prefix, int prefixLength, const char *name, const char *what,
	    const char *reason);
int endRecord(void);
void countFolder(size_t found);
void outOfMemory(void);

#endif
