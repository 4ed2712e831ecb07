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
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "rename.h"

/* A folder in the walk. Its descriptor is closed while the walk is deeper
 * than the descriptors it may hold, and opened again on the way back. */
struct Frame {
	int fd;
	dev_t dev;
	ino_t ino;
	struct Listing *listing;
	size_t next;
	size_t prefixLength;
	struct Taken taken;
};

static struct Frame *stack;
static size_t depth, stackSize;
static size_t openFrames, maxOpen;
static char *prefix; /* the deepest folder's path and a '/' */
static size_t prefixSize;
static struct Taken namedTaken;

static void notOpened(const char *path);
static void renameNamed(const char *path);
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

/* Every process may raise its soft limit to the hard one. After a reserve
 * for everything else, the walk holds what the jobs of -j leave; returns
 * how many folders may wait for a worker or be in its hands. */
size_t setDescriptorBudget(void)
{
	struct rlimit limit;

	if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
		limit.rlim_cur = limit.rlim_max;
		(void)setrlimit(RLIMIT_NOFILE, &limit);
		(void)getrlimit(RLIMIT_NOFILE, &limit);
	}
	const size_t reserve = 16;
	const size_t spare = limit.rlim_cur > reserve + 8 ? (size_t)limit.rlim_cur - reserve : 8;
	size_t slots = 0;
	if (jobs > 1) {
		slots = 2 * (size_t)jobs < spare / 2 ? 2 * (size_t)jobs : spare / 2;
		slots = slots > 0 ? slots : 1;
	}
	maxOpen = spare - slots > 4 ? spare - slots : 4;
	return slots;
}

/* Not a folder: a file named is a candidate whatever its name. */
static void notOpened(const char *path)
{
	const int err = errno;
	const size_t length = strlen(path);
	struct stat st;

	if (err == ENOTDIR && length > 0 && path[length - 1] != '/')
		renameNamed(path);
	else if (stat(path, &st) == 0 && S_ISDIR(st.st_mode))
		report("", 0, path, "not walked", strerror(err));
	else
		report("", 0, path, "not renamed", strerror(err));
}

/* Renamed in the folder named before it, which the user's path reaches as
 * the user meant. */
static void renameNamed(const char *path)
{
	const char *slash = strrchr(path, '/');
	const size_t base = slash != NULL ? (size_t)(slash - path) + 1 : 0;
	char *folder = base > 0 ? strndup(path, base) : strdup(".");
	const int fd =
	    folder != NULL ? openat(AT_FDCWD, folder, O_PATH | O_DIRECTORY | O_CLOEXEC) : -1;
	struct stat st;

	if (fd < 0 || fstat(fd, &st) != 0) {
		report("", 0, path, "not renamed", strerror(folder != NULL ? errno : ENOMEM));
	} else {
		struct Place place = {fd, st.st_dev, path, (int)base, &namedTaken};
		renameCandidate(&place, path + base);
	}
	if (fd >= 0)
		close(fd);
	free(folder);
}

static int beenHere(dev_t dev, ino_t ino);
static int makeRoom(size_t at, const char *name);
static int readListing(int fd, struct Listing **listing);

/* Takes the folder open on fd into the walk, its path the prefix up to at
 * and name; 0 where it is not walked, after saying why if it is not one
 * walked before. */
static int enter(int fd, const char *name, size_t at)
{
	struct stat st;
	struct Listing *listing = NULL;
	int err = 0;

	/* "." is looked up in the folder itself, which needs the right to search it. */
	if (fstatat(fd, ".", &st, AT_SYMLINK_NOFOLLOW) != 0)
		err = errno;
	else if ((err = beenHere(st.st_dev, st.st_ino)) == 0 && (err = makeRoom(at, name)) == 0)
		err = readListing(fd, &listing);
	if (err != 0 || listing == NULL) {
		if (err > 0)
			report(at > 0 ? prefix : "", (int)at, name, "not walked", strerror(err));
		close(fd);
		return 0;
	}
	struct Frame *f = &stack[depth++];
	memset(f, 0, sizeof *f);
	f->fd = fd;
	f->dev = st.st_dev;
	f->ino = st.st_ino;
	f->listing = listing;
	/* The prefix up to at, then name and a '/' unless it ends in one. */
	const size_t n = strlen(name);
	memcpy(prefix + at, name, n + 1);
	f->prefixLength = at + n;
	if (f->prefixLength == at || prefix[f->prefixLength - 1] != '/')
		prefix[f->prefixLength++] = '/';
	openFrames++;
	countFolder(listing->candidates);
	if (jobs > 1 && listing->candidates > 0) {
		const struct Place place = {f->fd, f->dev, prefix, (int)f->prefixLength, NULL};
		renameLater(&place, listing);
	}
	return 1;
}

/* Room for one more folder and its path; 0, or ENOMEM. */
static int makeRoom(size_t at, const char *name)
{
	if (depth == stackSize) {
		const size_t size = stackSize > 0 ? 2 * stackSize : 64;
		struct Frame *grown =
		    static_cast<struct Frame *>(realloc(stack, size * sizeof *stack));
		if (grown == NULL)
			return ENOMEM;
		stack = grown;
		stackSize = size;
	}
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
			struct Place place = {f->fd, f->dev, prefix, (int)f->prefixLength,
					      &f->taken};
			renameCandidate(&place, entry + 1);
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
	forgetTaken(&f->taken);
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

/* The folders walked in this run, by device and inode: a bind mount of the
 * tree inside itself, or two PATHs that overlap, are walked once. */
struct Visit {
	dev_t dev;
	ino_t ino;
};
static struct Visit *visited;
static size_t visitedSize, visitedUsed;

static size_t visitedSlot(dev_t dev, ino_t ino)
{
	size_t i = (size_t)((ino * 0x9E3779B97F4A7C15U) ^ dev) & (visitedSize - 1);

	while ((visited[i].dev != 0 || visited[i].ino != 0) &&
	       (visited[i].dev != dev || visited[i].ino != ino))
		i = (i + 1) & (visitedSize - 1);
	return i;
}

/* 0 for a folder new to the run, which is now walked; -1 for one walked
 * before; ENOMEM. */
static int beenHere(dev_t dev, ino_t ino)
{
	if (2 * (visitedUsed + 1) > visitedSize) {
		const size_t size = visitedSize > 0 ? 2 * visitedSize : 256;
		struct Visit *grown = static_cast<struct Visit *>(calloc(size, sizeof *grown));
		if (grown == NULL)
			return ENOMEM;
		struct Visit *old = visited;
		const size_t oldSize = visitedSize;
		visited = grown;
		visitedSize = size;
		for (size_t i = 0; i < oldSize; i++)
			if (old[i].dev != 0 || old[i].ino != 0)
				visited[visitedSlot(old[i].dev, old[i].ino)] = old[i];
		free(old);
	}
	const size_t i = visitedSlot(dev, ino);
	if (visited[i].dev == dev && visited[i].ino == ino)
		return -1;
	visited[i].dev = dev;
	visited[i].ino = ino;
	visitedUsed++;
	return 0;
}

/* A folder's entries as they are read: a type byte and a name each, one
 * after another. */
struct Block {
	char *data;
	size_t used, size, count, candidates;
};

static int keeps(int fd, const char *name, unsigned char *type);
static int add(struct Block *block, unsigned char type, const char *name);
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
			if (keeps(fd, name, &type))
				err = add(&block, type, name);
		}
		if (err != 0 && err != EINTR) {
			free(block.data);
			return err;
		}
	}
	return sortListing(&block, listing);
}

static int add(struct Block *block, unsigned char type, const char *name)
{
	const size_t need = strlen(name) + 2;

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
	memcpy(block->data + block->used + 1, name, need - 1);
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
		entry += strlen(entry + 1) + 2;
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
 * for, without following a link. */
static int keeps(int fd, const char *name, unsigned char *type)
{
	if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
		return 0;
	if (*type == DT_UNKNOWN) {
		struct stat st;
		if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
			return 0;
		*type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
	}
	return *type == DT_DIR || (*type == DT_REG && isCandidate(name));
}

static int foresee(const struct Place *place, const char *to);
static int take(const struct Place *place, const char *to);

void renameCandidate(struct Place *place, const char *name)
{
	struct NewName nn;

	if (newName(name, &nn) != 0) {
		reportLeft(place, name, nn.why);
		return;
	}
	if (stopping())
		return;
	const int err = dryRun ? foresee(place, nn.to) : moveNoReplace(place, name, nn.to);
	if (err == 0)
		recordRename(place, name, nn.to);
	else if (err == EEXIST)
		reportExists(place, name, nn.to);
	else if (err > 0)
		reportLeft(place, name, strerror(err));
}

/* What the run would meet: a name taken already, or by a file before
 * this one. */
static int foresee(const struct Place *place, const char *to)
{
	struct stat st;

	if (fstatat(place->fd, to, &st, AT_SYMLINK_NOFOLLOW) == 0)
		return EEXIST;
	if (errno != ENOENT)
		return errno;
	return take(place, to) ? 0 : EEXIST;
}

static size_t takenSlot(const struct Taken *t, const char *key)
{
	size_t h = 14695981039346656037U;
	for (const char *c = key; *c != '\0'; c++)
		h = (h ^ (unsigned char)*c) * 1099511628211U;
	size_t i = h & (t->size - 1);
	while (t->slots[i] != NULL && strcmp(t->slots[i], key) != 0)
		i = (i + 1) & (t->size - 1);
	return i;
}

/* 1 when the name is new to the folder, which now has it; else 0. */
static int take(const struct Place *place, const char *to)
{
	struct Taken *t = place->taken;

	if (2 * (t->used + 1) > t->size) {
		struct Taken grown = {NULL, t->size > 0 ? 2 * t->size : 64, t->used};
		grown.slots = static_cast<char **>(calloc(grown.size, sizeof *grown.slots));
		if (grown.slots == NULL)
			return 1;
		for (size_t i = 0; i < t->size; i++)
			if (t->slots[i] != NULL)
				grown.slots[takenSlot(&grown, t->slots[i])] = t->slots[i];
		free(t->slots);
		*t = grown;
	}
	char *key = NULL;
	if (asprintf(&key, "%.*s%s", place->prefixLength, place->prefix, to) < 0)
		return 1;
	const size_t i = takenSlot(t, key);
	if (t->slots[i] != NULL) {
		free(key);
		return 0;
	}
	t->slots[i] = key;
	t->used++;
	return 1;
}

void forgetTaken(struct Taken *taken)
{
	for (size_t i = 0; i < taken->size; i++)
		free(taken->slots[i]);
	free(taken->slots);
	memset(taken, 0, sizeof *taken);
}
