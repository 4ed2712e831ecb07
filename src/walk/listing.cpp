// Reading a folder with getdents64, which is Linux's: a type the file system
// does not tell is asked for, without following a link.
#include "walk/listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "name/names.h"

namespace
{

bool isDotOrDotDot(const char *name)
{
	return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Bytes after the end of a name count as zero, below every byte.
std::uint64_t keyOf(std::string_view name)
{
	std::uint64_t key = 0;
	for (size_t i = 0; i < 8; i++)
		key = key << 8 | (i < name.size() ? static_cast<unsigned char>(name[i]) : 0U);
	return key;
}

// A type the file system does not tell, asked for without following a link.
Result<unsigned char> askType(int fd, const char *name)
{
	struct stat st;
	if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
		return Result<unsigned char>::fromErrno();
	return static_cast<unsigned char>(S_ISDIR(st.st_mode)   ? DT_DIR
					  : S_ISREG(st.st_mode) ? DT_REG
								: DT_UNKNOWN);
}

} // namespace

Result<Done> Listing::read(int fd, const Naming &naming, std::span<char> buffer)
{
	long n;

	while ((n = syscall(SYS_getdents64, fd, buffer.data(), buffer.size())) != 0) {
		if (n < 0) {
			if (errno == EINTR)
				continue;
			return Result<Done>::fromErrno();
		}
		// struct linux_dirent64: inode, offset, record length, type, name
		unsigned short length = 0;
		for (long at = 0; at < n; at += length) {
			std::memcpy(&length, buffer.data() + at + 16, sizeof length);
			const auto type = static_cast<unsigned char>(buffer[at + 18]);
			const char *found = buffer.data() + at + 19;
			if (!isDotOrDotDot(found))
				take(fd, naming, found, type);
		}
	}
	sort();
	return Done{};
}

// An entry kept, by the type the folder gave or, where it gave none, that
// asked for.
void Listing::take(int fd, const Naming &naming, const char *found, unsigned char type)
{
	int error = 0;
	if (type == DT_UNKNOWN) {
		const Result<unsigned char> asked = askType(fd, found);
		type = asked ? *asked : static_cast<unsigned char>(DT_UNKNOWN);
		error = asked.error();
	}
	if (error != 0 && error != ENOENT) // gone since: nothing to handle
		add(found, Kind::unexamined, error);
	else if (error == 0 && type == DT_DIR)
		add(found, Kind::folder, 0);
	else if (error == 0 && type == DT_REG && isCandidate(naming, found))
		add(found, Kind::candidate, 0);
}

void Listing::add(std::string_view name, Kind kind, int error)
{
	entries_.push_back({keyOf(name), static_cast<std::uint32_t>(names_.size()), kind,
			    static_cast<unsigned char>(error < 256 ? error : EIO)});
	names_.insert(names_.end(), name.begin(), name.end());
	names_.push_back('\0');
	candidates_ += kind != Kind::folder;
}

void Listing::sort()
{
	std::sort(entries_.begin(), entries_.end(), [this](const Entry &a, const Entry &b) {
		if (a.key != b.key)
			return a.key < b.key;
		return std::strcmp(name(a), name(b)) < 0;
	});
}
