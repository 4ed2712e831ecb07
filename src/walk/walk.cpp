// O_NOFOLLOW with O_DIRECTORY, statx and renameat2 are Linux's.
#include "walk/walk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "rename/candidate.h"
#include "cli/options.h"
#include "report/record.h"
#include "report/stop.h"

namespace
{

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

} // namespace

KeyOrError folderKey(int fd)
{
	struct statx stx;
	if (statx(fd, ".", AT_SYMLINK_NOFOLLOW, STATX_INO | STATX_BTIME, &stx) != 0)
		return {std::nullopt, errno};
	const bool born = (stx.stx_mask & STATX_BTIME) != 0;
	return {FolderKey{makedev(stx.stx_dev_major, stx.stx_dev_minor), stx.stx_ino,
			  born ? stx.stx_btime.tv_sec : 0, born ? stx.stx_btime.tv_nsec : 0U, born},
		0};
}

void Walk::path(const char *path)
{
	// A PATH that is a link is followed, as find -H does; no link below it.
	Fd fd(openat(AT_FDCWD, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
	if (!fd)
		notOpened(path, errno);
	else if (enter(std::move(fd), path, 0))
		walk();
}

// Takes the folder open on fd into the walk, its path the prefix up to at
// and name; false where it is not walked, after saying why, unless it is
// one walked before that its birth time tells for sure.
bool Walk::enter(Fd fd, const char *name, std::size_t at)
{
	const std::string_view before = std::string_view(prefix_).substr(0, at);
	const KeyOrError k = folderKey(fd.get());
	if (!k.key) {
		report(before, name, "not walked", std::strerror(k.error));
		return false;
	}
	if (!visited_.insert(*k.key).second) {
		if (!k.key->hasBirth)
			report(before, name, "not walked", "walked already");
		return false;
	}
	auto listing = std::make_shared<Listing>();
	if (const int err = listing->read(fd.get()); err != 0) {
		report(before, name, "not walked", std::strerror(err));
		return false;
	}

	Frame &f = stack_.emplace_back();
	f.dev = k.key->dev;
	f.ino = k.key->ino;
	f.listing = std::move(listing);
	// The prefix up to at, then name and a slash unless it ends in one.
	prefix_.resize(at);
	prefix_.append(name);
	if (prefix_.size() == at || prefix_.back() != '/')
		prefix_.push_back('/');
	f.prefixLength = prefix_.size();
	if (const auto seen = named_.find(*k.key); seen != named_.end()) {
		f.handled = &seen->second.handled;
		f.namedGiven = &seen->second.given;
	}
	if (options.dryRun)
		f.forecast = forecastFor(fd.get());
	f.fd = std::move(fd);
	openFrames_++;
	countFolder(f.listing->candidates());
	if (jobs_ != nullptr && f.listing->candidates() > 0) {
		// The job outlives the frame: with -n it keeps the names it gives
		// out itself, but in a folder a file named is in.
		Place place = placeOf(f);
		place.given = options.dryRun ? f.namedGiven : nullptr;
		jobs_->add(place, f.listing);
	}
	return true;
}

Place Walk::placeOf(Frame &f)
{
	Names *given = f.namedGiven != nullptr ? f.namedGiven : &f.given;
	return Place{f.fd.get(),
		     f.dev,
		     std::string_view(prefix_).substr(0, f.prefixLength),
		     options.dryRun ? given : nullptr,
		     f.handled,
		     f.forecast};
}

void Walk::walk()
{
	while (!stack_.empty()) {
		Frame &f = stack_.back();
		const auto &entries = f.listing->entries();
		if (f.next == entries.size() || stopping()) {
			leave();
			continue;
		}
		const Listing::Entry &e = entries[f.next++];
		if (e.kind == Listing::Kind::folder)
			enterChild(stack_.size() - 1, f.listing->name(e));
		else if (jobs_ == nullptr)
			handleEntry(placeOf(f), *f.listing, e);
	}
}

void Walk::enterChild(std::size_t parent, const char *name)
{
	const int parentFd = stack_[parent].fd.get();
	const std::size_t at = stack_[parent].prefixLength;

	if (openFrames_ >= maxOpen_)
		(void)spareDescriptor();
	Fd fd(openat(parentFd, name, folderFlags));
	if (!fd && errno == EMFILE && spareDescriptor())
		fd.reset(openat(parentFd, name, folderFlags));
	if (!fd)
		report(std::string_view(prefix_).substr(0, at), name, "not walked",
		       std::strerror(errno));
	else
		(void)enter(std::move(fd), name, at);
}

// Closes the descriptor of the shallowest folder that holds one, but the
// PATH's own and the deepest, which the walk is in.
bool Walk::spareDescriptor()
{
	for (std::size_t i = 1; i + 1 < stack_.size(); i++)
		if (stack_[i].fd) {
			stack_[i].fd.reset();
			openFrames_--;
			return true;
		}
	return false;
}

void Walk::leave()
{
	const std::size_t depth = stack_.size();
	if (depth >= 2 && !stack_[depth - 2].fd && !stopping())
		reopen(depth - 2);
	if (stack_.back().fd)
		openFrames_--;
	stack_.pop_back();
}

bool Walk::isFolder(int fd, const Frame &f)
{
	struct stat st;
	return fstat(fd, &st) == 0 && st.st_dev == f.dev && st.st_ino == f.ino;
}

// Through ".." from the folder below it, which must lead back to the very
// folder; else down again from the nearest folder still open, each step
// checked alike. A folder moved away meanwhile is left where it went.
void Walk::reopen(std::size_t k)
{
	Frame &f = stack_[k];
	const Fd &child = stack_[k + 1].fd;
	Fd fd(child ? openat(child.get(), "..", folderFlags) : -1);

	if (fd && !isFolder(fd.get(), f))
		fd.reset();
	if (!fd)
		fd = openByNames(k);
	if (!fd) {
		report(std::string_view(prefix_).substr(0, f.prefixLength - 1), "", "not walked",
		       "moved during the walk");
		f.next = f.listing->entries().size();
		return;
	}
	f.fd = std::move(fd);
	openFrames_++;
}

Fd Walk::openByNames(std::size_t k)
{
	std::size_t j = k;
	while (!stack_[j].fd)
		j--;
	Fd owned;
	int fd = stack_[j].fd.get();
	for (std::size_t i = j + 1; i <= k; i++) {
		const Frame &parent = stack_[i - 1];
		const char *name = parent.listing->name(parent.listing->entries()[parent.next - 1]);
		Fd child(openat(fd, name, folderFlags));
		if (!child || !isFolder(child.get(), stack_[i]))
			return Fd();
		owned = std::move(child);
		fd = owned.get();
	}
	return owned;
}
