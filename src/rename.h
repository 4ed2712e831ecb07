#ifndef ORVANE_RENAME_H
#define ORVANE_RENAME_H

#include <stddef.h>
#include <sys/types.h>

extern const char program[];

/* What the run was asked to do, set from the command line before the walk. */
extern int dryRun;     /* -n */
extern int nulRecord;  /* -0 */
extern int shortening; /* -2: long names back to short ones */
extern int jobs;       /* -j */

/* orvane-rename.cpp: whether a file met in a walk is a candidate, and the
 * name a candidate takes. newName writes the new name, NAME_MAX bytes at
 * most, and returns 0, or writes why there is none and returns -1. */
int isCandidate(const char *name);
int newName(const char *name, char *to, char *why, size_t whySize);

/* A folder in which candidates are renamed: its descriptor, its file
 * system, the path printed before each name (ending in '/', or empty), and
 * with -n the names the run has given out there. */
struct Place {
	int fd;
	dev_t dev;
	const char *prefix;
	int prefixLength;
	struct Taken *taken;
};

/* walk.cpp: every candidate below a PATH, or the PATH itself. */
void walkPath(const char *path);
void renameCandidate(struct Place *place, const char *name);
void forgetTaken(struct Taken *taken);

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

/* Station lists (-c): text lists of nine-character names, site logs and
 * folders of site logs. readStationList adds one LIST's stations; it
 * returns 0, or -1 after one line on standard error. listedName gives the
 * name listed for the four bytes of a short name's station code, or NULL. */
int readStationList(const char *path);
const char *listedName(const char *code);

/* The catalogue, indexed once: catalogueName answers as sta4to9char does. */
void indexCatalogue(void);
const char *catalogueName(const char *code);

#endif
