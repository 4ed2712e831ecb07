// The walk. Each folder below a PATH is opened relative to its parent's
// descriptor and never through a link, read in full, and handled in byte
// order of its names, a subfolder at its place; each candidate is renamed
// within its own folder. A folder met twice in a run is walked once, and an
// entry that several PATHs reach is handled once. The walk keeps a few
// descriptors open whatever its depth, and paths of any length are only
// printed, never looked up.
#ifndef ORVANE_WALK_H
#define ORVANE_WALK_H

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "walk/budget.h"
#include "walk/folderkey.h"
#include "walk/jobs.h"
#include "walk/listing.h"
#include "walk/place.h"
#include "rename/renamer.h"

class Walk
{
      public:
	Walk(const Run &run, Budget budget, Jobs *jobs)
	    : run_(run), renamer_(run), maxOpen_(budget.walk), jobs_(jobs)
	{
	}

	// Before the walk: the folders that the PATHs which are files are in,
	// so that what the walk does there is kept for them.
	void findNamedFolders(std::span<char *const> paths);

	// Every candidate below the PATH, or the PATH itself.
	void path(const char *path);

      private:
	// A folder in the walk. Its descriptor is closed while the walk is
	// deeper than the descriptors it may hold, and opened again on the
	// way back.
	struct Frame {
		Fd fd;
		dev_t dev;
		ino_t ino;
		std::shared_ptr<const Listing> listing;
		std::size_t next = 0;
		std::size_t prefixLength;
		Names given;
		Names *handled = nullptr;
		Names *namedGiven = nullptr;
		Forecast forecast;
	};
	// What the run does in a folder that a file named is in.
	struct Seen {
		Names handled, given;
	};

	bool enter(Fd fd, const char *name, std::size_t at);
	void walk();
	void enterChild(std::size_t parent, const char *name);
	bool spareDescriptor();
	void leave();
	void reopen(std::size_t k);
	Fd openByNames(std::size_t k);
	static bool isFolder(int fd, const Frame &f);
	Place placeOf(Frame &f);

	void notOpened(const char *path, int err);
	void renameNamed(const char *path, int err);

	Record &record() const { return run_.record; }
	bool dryRun() const;

	const Run &run_;
	Renamer renamer_; // this thread's, for the renames the walk makes itself
	std::vector<Frame> stack_;
	std::vector<char> buffer_ = std::vector<char>(1 << 16); // for the folder read
	std::string prefix_; // the deepest folder's path and a slash
	std::size_t openFrames_ = 0;
	const std::size_t maxOpen_;
	Jobs *jobs_;
	std::unordered_set<FolderKey, FolderKeyHash> visited_;
	std::unordered_map<FolderKey, Seen, FolderKeyHash> named_;
};

#endif
