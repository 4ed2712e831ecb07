// The PATHs that are no folders: each is a file named, a candidate whatever
// its name, renamed in the folder named before it, which the user's path
// reaches as the user meant.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "rename/candidate.h"
#include "cli/options.h"
#include "report/record.h"
#include "walk/walk.h"

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
	const std::size_t slash = path.rfind('/');
	const std::size_t base = slash == std::string_view::npos ? 0 : slash + 1;
	const std::string folder = base > 0 ? std::string(path.substr(0, base)) : ".";
	return {Fd(openat(AT_FDCWD, folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)), base};
}

} // namespace

void Walk::findNamedFolders(std::span<char *const> paths)
{
	for (const char *given : paths) {
		if (Fd(open(given, O_RDONLY | O_DIRECTORY | O_CLOEXEC)))
			continue;
		struct stat st;
		if (!isNamedFile(given, errno) || lstat(given, &st) != 0)
			continue;
		const NamedFolder folder = namedFolder(given);
		if (const KeyOrError k = folder.fd ? folderKey(folder.fd.get()) : KeyOrError{};
		    k.key)
			(void)named_[*k.key];
	}
}

void Walk::notOpened(const char *path, int err)
{
	struct stat st;
	if (isNamedFile(path, err))
		renameNamed(path, err);
	else if (stat(path, &st) == 0 && S_ISDIR(st.st_mode))
		report("", path, "not walked", std::strerror(err));
	else
		report("", path, "not renamed", std::strerror(err));
}

// Unless the walk or an earlier PATH handled it already, after what the
// jobs in hand do there.
void Walk::renameNamed(const char *path, int err)
{
	const NamedFolder folder = namedFolder(path);
	const Fd &fd = folder.fd;
	const std::size_t base = folder.base;
	const KeyOrError k = fd ? folderKey(fd.get()) : KeyOrError{};
	if (!k.key) {
		report("", path, "not renamed", std::strerror(err));
		return;
	}
	if (jobs_ != nullptr)
		jobs_->wait();
	Seen &seen = named_[*k.key];
	const char *name = path + base;
	if (seen.handled.contains(name))
		return;
	struct stat st;
	if (err != ENOTDIR && fstatat(fd.get(), name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
		report("", path, "not renamed", std::strerror(err));
		return;
	}
	const Place place{fd.get(),
			  k.key->dev,
			  std::string_view(path, base),
			  options.dryRun ? &seen.given : nullptr,
			  &seen.handled,
			  options.dryRun ? forecastFor(fd.get()) : Forecast{}};
	renameCandidate(place, name);
}
