// The walk's listing of a folder: its folders and candidates, from the
// entries util/folderentries.h reads.
#include "walk/listing.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "name/names.h"
#include "util/folderentries.h"

namespace
{

// Bytes after the end of a name count as zero, below every byte.
std::uint64_t keyOf(std::string_view name)
{
	std::uint64_t key = 0;
	for (size_t i = 0; i < 8; i++)
		key = key << 8 | (i < name.size() ? static_cast<unsigned char>(name[i]) : 0U);
	return key;
}

} // namespace

Result<Done> Listing::read(int fd, const Naming &naming, std::span<char> buffer)
{
	const Result<Done> read =
	    readEntries(fd, buffer, [&](const char *found, unsigned char type, int error) {
		    if (error != 0 && error != ENOENT) // gone since: nothing to handle
			    add(found, Kind::unexamined, error);
		    else if (error == 0 && type == DT_DIR)
			    add(found, Kind::folder, 0);
		    else if (error == 0 && type == DT_REG && isCandidate(naming, found))
			    add(found, Kind::candidate, 0);
	    });
	if (!read)
		return read;
	sort();
	return Done{};
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
