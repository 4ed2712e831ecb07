// openat with O_NOFOLLOW and O_DIRECTORY is Linux's.
#include "walk/walk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "rename/forecast.h"
#include "rename/options.h"
#include "report/record.h"
#include "report/stop.h"
#include "util/path.h"

namespace
{

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

} // namespace

bool Walk::dryRun() const
{
	return run_.options.dryRun;
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
	const Result<FolderKey> key = folderKey(fd.get());
	if (!key) {
		record().report(before, name, "not walked", std::strerror(key.error()));
		return false;
	}
	if (!visited_.insert(*key).second) {
		if (!key->hasBirth)
			record().report(before, name, "not walked", "walked already");
		return false;
	}
	auto listing = std::make_shared<Listing>();
	if (const Result<Done> read = listing->read(fd.get(), run_.naming, buffer_); !read) {
		record().report(before, name, "not walked", std::strerror(read.error()));
		return false;
	}

	Frame &f = stack_.emplace_back();
	f.dev = key->dev;
	f.ino = key->ino;
	f.listing = std::move(listing);
	// The prefix up to at, then name and a slash unless it ends in one.
	prefix_.resize(at);
	prefix_.append(name);
	if (prefix_.size() == at || prefix_.back() != '/')
		prefix_.push_back('/');
	f.prefixLength = prefix_.size();
	if (const auto seen = named_.find(*key); seen != named_.end()) {
		f.handled = &seen->second.handled;
		f.namedGiven = &seen->second.given;
	}
	if (dryRun())
		f.forecast = forecastFor(fd.get());
	f.fd = std::move(fd);
	openFrames_++;
	record().folder(f.listing->candidates());
	if (jobs_ != nullptr && f.listing->candidates() > 0) {
		// The job outlives the frame: with -n it keeps the names it gives
		// out itself, but in a folder a file named is in.
		Place place = placeOf(f);
		place.given = dryRun() ? f.namedGiven : nullptr;
		jobs_->add(renamer_, place, f.listing);
	}
	return true;
}

Place Walk::placeOf(Frame &f)
{
	Names *given = f.namedGiven != nullptr ? f.namedGiven : &f.given;
	return Place{f.fd.get(),
		     f.dev,
		     std::string_view(prefix_).substr(0, f.prefixLength),
		     dryRun() ? given : nullptr,
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
			renamer_.entry(placeOf(f), *f.listing, e);
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
		record().report(std::string_view(prefix_).substr(0, at), name, "not walked",
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
		record().report(std::string_view(prefix_).substr(0, f.prefixLength - 1), "",
				"not walked", "moved during the walk");
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

// The PATHs that are no folders: each is a file named, a candidate whatever
// its name, renamed in the folder named before it, which the user's path
// reaches as the user meant.
namespace
{

// A symbolic link named is renamed itself, even one that leads nowhere or
// to itself; one that is gone may have been handled already.
bool isNamedFile(std::string_view path, int err)
{
	return !path.empty() && path.back() != '/' &&
	       (err == ENOTDIR || err == ENOENT || err == ELOOP);
}

// The folder a file named is in, and where its name starts in the path.
struct NamedFolder {
	Fd fd;
	std::size_t base;
};

NamedFolder namedFolder(std::string_view path)
{
	const PathParts parts = splitPath(path);
	return {Fd(openat(AT_FDCWD, parts.openable().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)),
		parts.folder.size()};
}

} // namespace

void Walk::findNamedFolders(std::span<char *const> paths)
{
	for (const char *given : paths) {
		if (Fd(open(given, O_RDONLY | O_DIRECTORY | O_CLOEXEC)))
			continue;
		// even one missing now, which may come into being before the walk
		// gets there
		if (!isNamedFile(given, errno))
			continue;
		const NamedFolder folder = namedFolder(given);
		if (!folder.fd)
			continue;
		if (const Result<FolderKey> key = folderKey(folder.fd.get()))
			(void)named_[*key];
	}
}

void Walk::notOpened(const char *path, int err)
{
	struct stat st;
	if (isNamedFile(path, err))
		renameNamed(path, err);
	else if (stat(path, &st) == 0 && S_ISDIR(st.st_mode))
		record().report("", path, "not walked", std::strerror(err));
	else
		record().report("", path, "not renamed", std::strerror(err));
}

// A file named is renamed once the jobs in hand are done, which may have
// handled it, unless the walk or an earlier PATH handled it already.
void Walk::renameNamed(const char *path, int err)
{
	const NamedFolder folder = namedFolder(path);
	const Fd &fd = folder.fd;
	const std::size_t base = folder.base;
	const Result<FolderKey> key = fd ? folderKey(fd.get()) : Result<FolderKey>::failed(err);
	if (!key) {
		record().report("", path, "not renamed", std::strerror(err));
		return;
	}
	if (jobs_ != nullptr)
		jobs_->wait();
	Seen &seen = named_[*key];
	const char *name = path + base;
	if (seen.handled.contains(name))
		return;
	struct stat st;
	if (err != ENOTDIR && fstatat(fd.get(), name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
		record().report("", path, "not renamed", std::strerror(err));
		return;
	}
	const Place place{fd.get(),
			  key->dev,
			  std::string_view(path, base),
			  dryRun() ? &seen.given : nullptr,
			  &seen.handled,
			  dryRun() ? forecastFor(fd.get()) : Forecast{}};
	renamer_.candidate(place, name);
}
