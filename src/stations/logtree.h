// The files below a folder of site logs, as the lists' reader walks them:
// depth first, each folder's entries in byte order of their names, so that
// every file system gives the same messages. Links are not followed, and a
// folder read before, by another list or through a mount met twice, is not
// read again. However deep the folders, only a few descriptors are held:
// those of the folders above are closed on the way down, and opened again on
// the way back, each checked to be the very folder left.
#ifndef ORVANE_STATIONS_LOGTREE_H
#define ORVANE_STATIONS_LOGTREE_H

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "util/fd.h"

class ListedNames;

class LogTree
{
      public:
	// Given each regular file, open, its name in its folder and its path.
	using OnFile =
	    std::function<void(const Fd &file, std::string_view name, const std::string &path)>;

	LogTree(ListedNames &names, OnFile onFile) : names_(names), onFile_(std::move(onFile)) {}

	// Every file below the folder open on top, named path.
	void walk(Fd top, std::string_view path);

	// Whether something below could not be read, after a message.
	bool refused() const { return refused_; }

      private:
	struct Entry {
		std::string name;
		unsigned char type;
		int error; // why the type could not be told
	};
	// A folder in the walk, and the next of its entries.
	struct Frame {
		Fd dir; // closed while the walk is deeper than the descriptors it holds
		dev_t dev;
		ino_t ino;
		std::size_t prefixLength; // of its path and '/'
		std::vector<Entry> entries;
		std::size_t next = 0;
	};

	void push(Fd dir, std::size_t parentLength, std::string_view name);
	void entry(const Entry &e);
	Fd openHere(const std::string &name, int flags);
	bool spareDescriptor();
	void leave();
	void reopen(std::size_t k);
	Fd openByNames(std::size_t k) const;
	void refuse(std::string_view path, int error);

	ListedNames &names_;
	OnFile onFile_;
	std::vector<Frame> stack_;
	std::string prefix_; // the deepest folder's path and '/'
	std::size_t openFrames_ = 0;
	bool refused_ = false;
};

#endif
