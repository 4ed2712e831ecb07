#include "stations/listednames.h"

#include <sys/stat.h>

void tellConflict(const Listed &later, const Listed &earlier)
{
	tell(at(later.where) + "'" + std::string(later.found.data()) + "' conflicts with '" +
	     std::string(earlier.found.data()) + "' of " + std::string(earlier.where.file) + ":" +
	     std::to_string(earlier.where.line));
}

const Listed *ListedNames::find(uint32_t key) const
{
	const auto found = names_.find(key);
	return found != names_.end() ? &found->second : nullptr;
}

const Listed *ListedNames::clash(const Listed &n) const
{
	const Listed *had = find(keyOf(n));
	return had != nullptr && !sameName(*had, n) ? had : nullptr;
}

bool ListedNames::add(const Listed &n)
{
	const auto [had, added] = names_.try_emplace(keyOf(n), n);
	if (added || sameName(had->second, n))
		return true;
	tellConflict(n, had->second);
	return false;
}

std::string_view ListedNames::keep(std::string_view path)
{
	return paths_.emplace_back(path);
}

bool ListedNames::readBefore(int fd)
{
	struct stat st {
	};
	return fstat(fd, &st) == 0 && !read_.emplace(st.st_dev, st.st_ino).second;
}
