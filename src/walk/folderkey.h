// A folder as the run knows it: its device and inode and, where the file
// system gives one, its birth time, so that a folder made during the run on
// a recycled inode number is not taken for one walked before.
#ifndef ORVANE_FOLDERKEY_H
#define ORVANE_FOLDERKEY_H

#include <sys/types.h>

#include <cstddef>

#include "util/result.h"

struct FolderKey {
	dev_t dev;
	ino_t ino;
	long long born;
	unsigned bornNsec;
	bool hasBirth;
	bool operator==(const FolderKey &) const = default;
};

struct FolderKeyHash {
	std::size_t operator()(const FolderKey &k) const
	{
		return static_cast<std::size_t>((k.ino * 0x9E3779B97F4A7C15U) ^ k.dev ^
						static_cast<unsigned long long>(k.born));
	}
};

// The key of the folder open on fd, and whether it can be searched: "." is
// looked up in the folder itself.
Result<FolderKey> folderKey(int fd);

#endif
