// openat with O_NOFOLLOW and O_DIRECTORY, and getdents64, are Linux's.
#include "stations/logtree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "stations/listednames.h"
#include "stations/listmessages.h"
#include "util/folderentries.h"

namespace
{

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// Without following a link, or waiting on a pipe put in a file's place since
// the listing.
constexpr int fileFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// Folder descriptors held at once: the top's, the deepest's and a few
// between, whatever the limit on descriptors.
constexpr std::size_t maxOpen = 16;

bool isFolder(int fd, dev_t dev, ino_t ino)
{
	struct stat st {
	};
	return fstat(fd, &st) == 0 && st.st_dev == dev && st.st_ino == ino;
}

} // namespace

void LogTree::walk(Fd top, std::string_view path)
{
	push(std::move(top), 0, path);
	while (!stack_.empty()) {
		Frame &f = stack_.back();
		if (f.next == f.entries.size())
			leave();
		else
			entry(f.entries[f.next++]);
	}
}

// Takes the folder open on dir into the walk, its path the prefix up to
// parentLength and name; its entries are read whole and kept, so that it need not stay
// open.
void LogTree::push(Fd dir, std::size_t parentLength, std::string_view name)
{
	prefix_.resize(parentLength);
	prefix_ += name;
	std::array<char, 1 << 15> buffer;
	std::vector<Entry> entries;
	const Result<Done> read =
	    readEntries(dir.get(), buffer, [&](const char *found, unsigned char type, int error) {
		    entries.push_back({found, type, error});
	    });
	if (!read) {
		refuse(prefix_, read.error());
		return;
	}
	std::ranges::sort(entries, {}, &Entry::name);
	if (!prefix_.ends_with('/'))
		prefix_ += '/';
	struct stat st {
	};
	(void)fstat(dir.get(), &st);
	stack_.push_back(
	    {std::move(dir), st.st_dev, st.st_ino, prefix_.size(), std::move(entries)});
	openFrames_++;
}

void LogTree::entry(const Entry &e)
{
	const std::size_t prefixLength = stack_.back().prefixLength;
	prefix_.resize(prefixLength);
	const std::string path = prefix_ + e.name;
	if (e.error != 0)
		refuse(path, e.error);
	if (e.type == DT_DIR) {
		if (openFrames_ >= maxOpen)
			(void)spareDescriptor();
		Fd below = openHere(e.name, folderFlags);
		if (!below)
			refuse(path, errno);
		else if (!names_.readBefore(below.get()))
			push(std::move(below), prefixLength, e.name);
	} else if (e.type == DT_REG) {
		const Fd file = openHere(e.name, fileFlags);
		struct stat st {
		};
		if (!file)
			refuse(path, errno);
		else if (fstat(file.get(), &st) == 0 && S_ISREG(st.st_mode))
			onFile_(file, e.name, path);
	}
}

// In the deepest folder; where the process has no descriptor left, once
// more after closing one of a folder above.
Fd LogTree::openHere(const std::string &name, int flags)
{
	const int dir = stack_.back().dir.get();
	Fd fd(openat(dir, name.c_str(), flags));
	if (!fd && errno == EMFILE && spareDescriptor())
		fd.reset(openat(dir, name.c_str(), flags));
	return fd;
}

// Closes the descriptor of the shallowest folder that holds one, but the
// top's and the deepest's.
bool LogTree::spareDescriptor()
{
	for (std::size_t i = 1; i + 1 < stack_.size(); i++)
		if (stack_[i].dir) {
			stack_[i].dir.reset();
			openFrames_--;
			return true;
		}
	return false;
}

void LogTree::leave()
{
	const std::size_t depth = stack_.size();
	if (depth >= 2 && !stack_[depth - 2].dir)
		reopen(depth - 2);
	if (stack_.back().dir)
		openFrames_--;
	stack_.pop_back();
}

// Through ".." from the folder below it, which must lead back to the very
// folder; else down again from the nearest folder still open, each step
// checked alike. A folder moved away meanwhile is not read further.
void LogTree::reopen(std::size_t k)
{
	Frame &f = stack_[k];
	Fd fd(openat(stack_[k + 1].dir.get(), "..", folderFlags));
	if (fd && !isFolder(fd.get(), f.dev, f.ino))
		fd.reset();
	if (!fd)
		fd = openByNames(k);
	if (!fd) {
		tell(prefix_.substr(0, f.prefixLength - 1) + ": not read: moved while read");
		refused_ = true;
		f.next = f.entries.size();
		return;
	}
	f.dir = std::move(fd);
	openFrames_++;
}

Fd LogTree::openByNames(std::size_t k) const
{
	std::size_t j = k;
	while (!stack_[j].dir)
		j--;
	Fd owned;
	int fd = stack_[j].dir.get();
	for (std::size_t i = j + 1; i <= k; i++) {
		const Frame &parent = stack_[i - 1];
		const std::string &name = parent.entries[parent.next - 1].name;
		Fd child(openat(fd, name.c_str(), folderFlags));
		if (!child || !isFolder(child.get(), stack_[i].dev, stack_[i].ino))
			return Fd();
		owned = std::move(child);
		fd = owned.get();
	}
	return owned;
}

void LogTree::refuse(std::string_view path, int error)
{
	tellNotRead(path, error);
	refused_ = true;
}
