/*
 * The walk. Each folder below a PATH is opened relative to its parent's
 * descriptor and never through a link, read in full, and handled in byte
 * order of its names, a subfolder at its place; each candidate is renamed
 * within its own folder. A folder met twice in a run is walked once. The
 * walk keeps a few descriptors open whatever its depth, and paths of any
 * length are only printed, never looked up.
 *
 * O_NOFOLLOW with O_DIRECTORY, getdents64 and renameat2 are Linux's.
 */
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "rename.h"

/* A folder as the run knows it: its device and inode and, where the file
 * system gives one, its birth time, so that a folder made during the run on
 * a recycled inode number is not taken for one walked before. */
struct FolderKey {
	dev_t dev;
	ino_t ino;
	long long born;
	unsigned bornNsec;
	bool hasBirth;
	bool operator==(const FolderKey &) const = default;
};

struct FolderKeyHash {
	size_t operator()(const FolderKey &k) const
	{
		return (size_t)((k.ino * 0x9E3779B97F4A7C15U) ^ k.dev ^ (unsigned long long)k.born);
	}
};

/* The folders walked in this run: a bind mount of the tree inside itself,
 * or two PATHs that overlap, are walked once. */
static std::unordered_set<FolderKey, FolderKeyHash> visited;

/* What the run does in the folders that PATHs which are files are in: the
 * candidates handled there, each once, and with -n the names given out. */
struct Seen {
	Names handled, given;
};
static std::unordered_map<FolderKey, Seen, FolderKeyHash> namedFolders;

/* The key of the folder open on fd; "." is looked up in the folder itself,
 * which needs the right to search it. 0, or the error. */
static int keyOf(int fd, FolderKey *key)
{
	struct statx stx;

	if (statx(fd, ".", AT_SYMLINK_NOFOLLOW, STATX_INO | STATX_BTIME, &stx) != 0)
		return errno;
	key->dev = makedev(stx.stx_dev_major, stx.stx_dev_minor);
	key->ino = stx.stx_ino;
	key->hasBirth = (stx.stx_mask & STATX_BTIME) != 0;
	key->born = key->hasBirth ? stx.stx_btime.tv_sec : 0;
	key->bornNsec = key->hasBirth ? stx.stx_btime.tv_nsec : 0;
	return 0;
}

/* A folder in the walk. Its descriptor is closed while the walk is deeper
 * than the descriptors it may hold, and opened again on the way back. */
struct Frame {
	int fd;
	dev_t dev;
	ino_t ino;
	struct Listing *listing;
	size_t next;
	size_t prefixLength;
	Names given;
	Names *handled;
	Names *namedGiven;
	struct Forecast forecast;
};

static std::vector<Frame> stack;
static size_t depth;
static size_t openFrames, maxOpen;
static char *prefix; /* the deepest folder's path and a '/' */
static size_t prefixSize;

static void notOpened(const char *path);
static void renameNamed(const char *path, int err);
static int enter(int fd, const char *name, size_t at);
static void walk(void);
static void enterChild(size_t parent, const char *name);
static void leaveFolder(void);

void walkPath(const char *path)
{
	/* A PATH that is a link is followed, as find -H does; no link below it. */
	const int fd = openat(AT_FDCWD, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (fd < 0) {
		notOpened(path);
		return;
	}
	if (enter(fd, path, 0))
		walk();
}

/* Descriptors open when the run starts: those it was given, at least the
 * three standard ones. */
static size_t openAtStart(void)
{
	size_t n = 0;
	DIR *fds = opendir("/proc/self/fd");

	if (fds == NULL)
		return 3;
	while (readdir(fds) != NULL)
		n++;
	(void)closedir(fds);
	return n > 3 + 3 ? n - 3 : 3; /* ".", ".." and the listing's own */
}

/* Every process may raise its soft limit to the hard one. Besides those
 * open at the start and two the walk opens for a moment (a folder reopened
 * through "..", a named file's folder), the walk holds what the jobs of -j
 * leave; returns how many folders may wait for a worker or be in its hands. */
size_t setDescriptorBudget(void)
{
	struct rlimit limit;

	if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
		limit.rlim_cur = limit.rlim_max;
		(void)setrlimit(RLIMIT_NOFILE, &limit);
		(void)getrlimit(RLIMIT_NOFILE, &limit);
	}
	const size_t reserve = openAtStart() + (limit.rlim_cur >= 64 ? 16 : 2);
	const size_t spare = limit.rlim_cur > reserve + 4 ? (size_t)limit.rlim_cur - reserve : 4;
	size_t slots = 0;
	if (jobs > 1) {
		slots = 2 * (size_t)jobs < spare / 2 ? 2 * (size_t)jobs : spare / 2;
		slots = slots > 0 ? slots : 1;
	}
	maxOpen = spare - slots > 2 ? spare - slots : 2;
	return slots;
}

/* A PATH that is no folder is a file named, and a candidate whatever its
 * name; a symbolic link named is renamed itself, even one that leads
 * nowhere or to itself. One that is gone may have been handled already. */
static int isNamedFile(const char *path, int err)
{
	const size_t length = strlen(path);

	return length > 0 && path[length - 1] != '/' &&
	       (err == ENOTDIR || err == ENOENT || err == ELOOP);
}

static void notOpened(const char *path)
{
	const int err = errno;
	struct stat st;

	if (isNamedFile(path, err))
		renameNamed(path, err);
	else if (stat(path, &st) == 0 && S_ISDIR(st.st_mode))
		report("", 0, path, "not walked", strerror(err));
	else
		report("", 0, path, "not renamed", strerror(err));
}

/* The folder that a file named is in, which the user's path reaches as
 * the user meant, and where its name starts in the path. */
static int namedFolder(const char *path, size_t *base)
{
	const char *slash = strrchr(path, '/');
	*base = slash != NULL ? (size_t)(slash - path) + 1 : 0;
	const std::string folder = *base > 0 ? std::string(path, *base) : ".";
	return openat(AT_FDCWD, folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

/* Before the walk: where each file named will be renamed, so that what
 * the walk does in those folders is kept for it. */
void findNamedFolders(int count, char **paths)
{
	for (int i = 0; i < count; i++) {
		const int dir = open(paths[i], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
		if (dir >= 0) {
			close(dir);
			continue;
		}
		size_t base;
		FolderKey key{};
		struct stat st;
		const int fd = isNamedFile(paths[i], errno) && lstat(paths[i], &st) == 0
				   ? namedFolder(paths[i], &base)
				   : -1;
		if (fd >= 0 && keyOf(fd, &key) == 0)
			(void)namedFolders[key];
		if (fd >= 0)
			close(fd);
	}
}

/* Renamed in the folder named before it, unless the walk or an earlier
 * PATH handled it already, after what the jobs in hand do there. */
static void renameNamed(const char *path, int err)
{
	size_t base;
	const int fd = namedFolder(path, &base);
	FolderKey key{};
	struct stat st;

	if (fd < 0 || keyOf(fd, &key) != 0) {
		report("", 0, path, "not renamed", strerror(err));
	} else {
		if (jobs > 1)
			waitForJobs();
		Seen &seen = namedFolders[key];
		if (seen.handled.contains(path + base)) {
			close(fd);
			return;
		}
		if (err != ENOTDIR && fstatat(fd, path + base, &st, AT_SYMLINK_NOFOLLOW) != 0) {
			report("", 0, path, "not renamed", strerror(err));
			close(fd);
			return;
		}
		struct Place place = {fd,          key.dev,       path, (int)base,
				      dryRun ? &seen.given : nullptr, &seen.handled,
				      dryRun ? forecastFor(fd) : Forecast{}};
		renameCandidate(&place, path + base);
	}
	if (fd >= 0)
		close(fd);
}

static int makeRoom(size_t at, const char *name);
static int readListing(int fd, struct Listing **listing);

/* Takes the folder open on fd into the walk, its path the prefix up to at
 * and name; 0 where it is not walked, after saying why, unless it is one
 * walked before that its birth time tells for sure. */
static int enter(int fd, const char *name, size_t at)
{
	FolderKey key{};
	struct Listing *listing = NULL;
	int err = keyOf(fd, &key);
	const char *why = NULL;

	if (err == 0 && !visited.insert(key).second)
		why = key.hasBirth ? "" : "walked already";
	else if (err == 0 && (err = makeRoom(at, name)) == 0)
		err = readListing(fd, &listing);
	if (err != 0 || why != NULL) {
		if (err != 0 || why[0] != '\0')
			report(at > 0 ? prefix : "", (int)at, name, "not walked",
			       err != 0 ? strerror(err) : why);
		close(fd);
		return 0;
	}
	stack.emplace_back();
	struct Frame *f = &stack[depth++];
	f->fd = fd;
	f->dev = key.dev;
	f->ino = key.ino;
	f->listing = listing;
	const auto named = namedFolders.find(key);
	if (named != namedFolders.end()) {
		f->handled = &named->second.handled;
		f->namedGiven = &named->second.given;
	}
	if (dryRun)
		f->forecast = forecastFor(fd);
	/* The prefix up to at, then name and a '/' unless it ends in one. */
	const size_t n = strlen(name);
	memcpy(prefix + at, name, n + 1);
	f->prefixLength = at + n;
	if (f->prefixLength == at || prefix[f->prefixLength - 1] != '/')
		prefix[f->prefixLength++] = '/';
	openFrames++;
	countFolder(listing->candidates);
	if (jobs > 1 && listing->candidates > 0) {
		const struct Place place = {f->fd,
					    f->dev,
					    prefix,
					    (int)f->prefixLength,
					    dryRun ? f->namedGiven : nullptr,
					    f->handled,
					    f->forecast};
		renameLater(&place, listing);
	}
	return 1;
}

/* Room for the folder's path; 0, or ENOMEM. */
static int makeRoom(size_t at, const char *name)
{
	const size_t length = at + strlen(name) + 2;
	if (length > prefixSize) {
		const size_t size = 2 * length > 256 ? 2 * length : 256;
		char *grown = static_cast<char *>(realloc(prefix, size));
		if (grown == NULL)
			return ENOMEM;
		prefix = grown;
		prefixSize = size;
	}
	return 0;
}

static void walk(void)
{
	while (depth > 0) {
		struct Frame *f = &stack[depth - 1];
		if (f->next == f->listing->count || stopping()) {
			leaveFolder();
			continue;
		}
		const char *entry = f->listing->entries[f->next++].entry;
		if (entry[0] == DT_DIR) {
			enterChild(depth - 1, entry + 1);
		} else if (jobs == 1) {
			Names *given = f->namedGiven != nullptr ? f->namedGiven : &f->given;
			struct Place place = {f->fd,
					      f->dev,
					      prefix,
					      (int)f->prefixLength,
					      dryRun ? given : nullptr,
					      f->handled,
					      f->forecast};
			handleEntry(&place, entry);
		}
	}
}

static int spareDescriptor(void);

static void enterChild(size_t parent, const char *name)
{
	const int parentFd = stack[parent].fd;
	const size_t at = stack[parent].prefixLength;

	if (openFrames >= maxOpen)
		(void)spareDescriptor();
	int fd = openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
	if (fd < 0 && errno == EMFILE && spareDescriptor())
		fd = openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
	if (fd < 0)
		report(prefix, (int)at, name, "not walked", strerror(errno));
	else
		(void)enter(fd, name, at);
}

/* Closes the descriptor of the shallowest folder that holds one, but the
 * PATH's own and the deepest, which the walk is in. */
static int spareDescriptor(void)
{
	for (size_t i = 1; i + 1 < depth; i++)
		if (stack[i].fd >= 0) {
			close(stack[i].fd);
			stack[i].fd = -1;
			openFrames--;
			return 1;
		}
	return 0;
}

static void reopenFolder(size_t k);

static void leaveFolder(void)
{
	struct Frame *f = &stack[depth - 1];

	if (depth >= 2 && stack[depth - 2].fd < 0 && !stopping())
		reopenFolder(depth - 2);
	if (f->fd >= 0) {
		close(f->fd);
		openFrames--;
	}
	releaseListing(f->listing);
	stack.pop_back();
	depth--;
}

static int isFolder(int fd, const struct Frame *f)
{
	struct stat st;

	return fstat(fd, &st) == 0 && st.st_dev == f->dev && st.st_ino == f->ino;
}

static int openByNames(size_t k);

/* Through ".." from the folder below it, which must lead back to the very
 * folder; else down again from the nearest folder still open, each step
 * checked alike. A folder moved away meanwhile is left where it went. */
static void reopenFolder(size_t k)
{
	struct Frame *f = &stack[k];
	const int childFd = stack[k + 1].fd;
	int fd = childFd >= 0
		     ? openat(childFd, "..", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
		     : -1;

	if (fd >= 0 && !isFolder(fd, f)) {
		close(fd);
		fd = -1;
	}
	if (fd < 0)
		fd = openByNames(k);
	if (fd < 0) {
		report(prefix, (int)f->prefixLength - 1, "", "not walked", "moved during the walk");
		f->next = f->listing->count;
		return;
	}
	f->fd = fd;
	openFrames++;
}

static int openByNames(size_t k)
{
	size_t j = k;
	while (stack[j].fd < 0)
		j--;
	int fd = stack[j].fd;
	for (size_t i = j + 1; i <= k; i++) {
		const struct Frame *parent = &stack[i - 1];
		const char *name = parent->listing->entries[parent->next - 1].entry + 1;
		const int child = openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
		if (fd != stack[j].fd)
			close(fd);
		if (child < 0)
			return -1;
		if (!isFolder(child, &stack[i])) {
			close(child);
			return -1;
		}
		fd = child;
	}
	return fd;
}

/* A folder's entries as they are read: a type byte and a name each, one
 * after another; an entry whose type could not be told, the error after it. */
enum { unexamined = 0xFF };
struct Block {
	char *data;
	size_t used, size, count, candidates;
};

static int keeps(int fd, const char *name, unsigned char *type, int *err);
static int add(struct Block *block, unsigned char type, const char *name, int err);
static int sortListing(struct Block *block, struct Listing **listing);

/* Reads the whole folder before anything in it is renamed, so that a file
 * renamed cannot come back under its new name. Keeps its folders and its
 * candidates; 0, or the error. */
static int readListing(int fd, struct Listing **listing)
{
	static char buffer[1 << 16];
	struct Block block = {};
	long n;

	while ((n = syscall(SYS_getdents64, fd, buffer, sizeof buffer)) != 0) {
		int err = n < 0 ? errno : 0;
		/* struct linux_dirent64: inode, offset, record length, type, name */
		unsigned short length = 0;
		for (long at = 0; at < n && err == 0; at += length) {
			memcpy(&length, buffer + at + 16, sizeof length);
			unsigned char type = (unsigned char)buffer[at + 18];
			const char *name = buffer + at + 19;
			int why = 0;
			if (keeps(fd, name, &type, &why))
				err = add(&block, type, name, why);
		}
		if (err != 0 && err != EINTR) {
			free(block.data);
			return err;
		}
	}
	return sortListing(&block, listing);
}

static int add(struct Block *block, unsigned char type, const char *name, int err)
{
	const size_t need = strlen(name) + 2 + (type == unexamined);

	if (block->data == NULL || block->used + need > block->size) {
		const size_t size =
		    2 * (block->used + need) > 4096 ? 2 * (block->used + need) : 4096;
		char *grown = static_cast<char *>(realloc(block->data, size));
		if (grown == NULL)
			return ENOMEM;
		block->data = grown;
		block->size = size;
	}
	block->data[block->used] = (char)type;
	memcpy(block->data + block->used + 1, name, strlen(name) + 1);
	if (type == unexamined)
		block->data[block->used + need - 1] = (char)(err < 256 ? err : EIO);
	block->used += need;
	block->count++;
	block->candidates += type != DT_DIR;
	return 0;
}

static uint64_t keyOf(const char *name);
static int sortKeyed(struct Keyed *entries, size_t count);

/* The entries in byte order of their names, whatever the locale. */
static int sortListing(struct Block *block, struct Listing **listing)
{
	const size_t n = block->count > 0 ? block->count : 1;
	struct Keyed *entries = static_cast<struct Keyed *>(malloc(n * sizeof *entries));
	*listing = static_cast<struct Listing *>(calloc(1, sizeof **listing));

	char *entry = block->data;
	for (size_t i = 0; entries != NULL && entry != NULL && i < block->count; i++) {
		entries[i].key = keyOf(entry + 1);
		entries[i].entry = entry;
		entry += strlen(entry + 1) + 2 + ((unsigned char)entry[0] == unexamined);
	}
	if (entries == NULL || *listing == NULL || sortKeyed(entries, block->count) != 0) {
		free(entries);
		free(*listing);
		free(block->data);
		return ENOMEM;
	}
	struct Listing *l = *listing;
	l->block = block->data;
	l->entries = entries;
	l->count = block->count;
	l->candidates = block->candidates;
	l->refs = 1;
	return 0;
}

/* Freed by the last of the walk and the job that renames in the folder. */
void releaseListing(struct Listing *listing)
{
	if (__atomic_sub_fetch(&listing->refs, 1, __ATOMIC_ACQ_REL) > 0)
		return;
	free(listing->block);
	free(listing->entries);
	free(listing);
}

/* Bytes after the end of a name count as zero, below every byte. */
static uint64_t keyOf(const char *name)
{
	uint64_t key = 0;
	unsigned char c = 1;

	for (int i = 0; i < 8; i++) {
		c = c != 0 ? (unsigned char)name[i] : 0;
		key = key << 8 | c;
	}
	return key;
}

static int before(const struct Keyed *a, const struct Keyed *b)
{
	if (a->key != b->key)
		return a->key < b->key;
	return strcmp(a->entry + 1, b->entry + 1) < 0;
}

/* Merges runs of one, two, four... entries, to and fro between two
 * arrays; qsort's own sort costs more than the rename of each file. */
static int sortKeyed(struct Keyed *entries, size_t count)
{
	struct Keyed *spare =
	    static_cast<struct Keyed *>(malloc((count > 0 ? count : 1) * sizeof *spare));
	struct Keyed *from = entries;
	struct Keyed *to = spare;

	if (spare == NULL)
		return ENOMEM;
	for (size_t width = 1; width < count; width *= 2) {
		for (size_t low = 0; low < count; low += 2 * width) {
			const size_t middle = low + width < count ? low + width : count;
			const size_t high = middle + width < count ? middle + width : count;
			size_t i = low;
			size_t j = middle;
			for (size_t k = low; k < high; k++)
				to[k] = j == high || (i < middle && !before(&from[j], &from[i]))
					    ? from[i++]
					    : from[j++];
		}
		struct Keyed *was = from;
		from = to;
		to = was;
	}
	if (from != entries)
		memcpy(entries, from, count * sizeof *entries);
	free(spare);
	return 0;
}

/* Folders and candidates; a type the file system does not tell is asked
 * for, without following a link, and an entry that cannot be asked is kept
 * to be reported in its place. */
static int keeps(int fd, const char *name, unsigned char *type, int *err)
{
	if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
		return 0;
	if (*type == DT_UNKNOWN) {
		struct stat st;
		if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
			*err = errno;
			if (*err == ENOENT)
				return 0; /* gone since the listing: nothing to handle */
			*type = unexamined;
			return 1;
		}
		*type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
	}
	return *type == DT_DIR || (*type == DT_REG && isCandidate(name));
}

/* An entry of a listing that is no folder: a candidate, or one whose type
 * could not be told, a candidate or a folder by its name. */
void handleEntry(struct Place *place, const char *entry)
{
	const char *name = entry + 1;

	if ((unsigned char)entry[0] != unexamined) {
		renameCandidate(place, name);
		return;
	}
	const char *reason = strerror((unsigned char)name[strlen(name) + 1]);
	if (isCandidate(name))
		reportLeft(place, name, reason);
	else
		report(place->prefix, place->prefixLength, name, "not walked", reason);
}

static int foresee(const struct Place *place, const char *name, const char *to);

void renameCandidate(struct Place *place, const char *name)
{
	struct NewName nn;

	/* One entry is one candidate, handled where a PATH first reaches it. */
	if (place->handled != nullptr && !place->handled->insert(name).second)
		return;
	if (newName(name, &nn) != 0) {
		reportLeft(place, name, nn.why);
		return;
	}
	if (stopping())
		return;
	const int err = dryRun ? foresee(place, name, nn.to) : moveNoReplace(place, name, nn.to);
	if (err == 0)
		recordRename(place, name, nn.to);
	else if (err == EEXIST)
		reportExists(place, name, nn.to);
	else if (err > 0)
		reportLeft(place, name, strerror(err));
}

/* What the run would meet, in the order the system checks: a file system
 * mounted read-only; a name taken already, or by a file before this one; a
 * folder the user may not write; a sticky folder's file of another user's.
 * On a network file system the server has the last word. */
static int foresee(const struct Place *place, const char *name, const char *to)
{
	struct stat st;

	if (place->forecast.err == EROFS)
		return EROFS;
	if (fstatat(place->fd, to, &st, AT_SYMLINK_NOFOLLOW) == 0)
		return EEXIST;
	if (errno != ENOENT)
		return errno;
	if (place->given != nullptr && place->given->contains(to))
		return EEXIST;
	if (place->forecast.err != 0)
		return place->forecast.err;
	if (place->forecast.sticky &&
	    (fstatat(place->fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || st.st_uid != geteuid()))
		return EPERM;
	if (place->given != nullptr)
		place->given->insert(to);
	return 0;
}

/* Whether the process may rename another user's file in a sticky folder. */
static bool mayOverrideSticky()
{
	static const bool may = [] {
		__user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
		__user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
		if (syscall(SYS_capget, &header, data) != 0)
			return geteuid() == 0;
		return (data[CAP_FOWNER / 32].effective & (1U << (CAP_FOWNER % 32))) != 0;
	}();
	return may;
}

struct Forecast forecastFor(int fd)
{
	struct Forecast f = {0, 0};
	struct statvfs vfs;
	struct stat st;

	if (fstatvfs(fd, &vfs) == 0 && (vfs.f_flag & ST_RDONLY) != 0)
		f.err = EROFS;
	else if (faccessat(fd, ".", W_OK | X_OK, AT_EACCESS) != 0)
		f.err = errno;
	else if (fstat(fd, &st) == 0 && (st.st_mode & S_ISVTX) != 0 && st.st_uid != geteuid() &&
		 !mayOverrideSticky())
		f.sticky = 1;
	return f;
}
