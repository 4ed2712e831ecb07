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

namespace
{

std::string nameAt(const Listed &n)
{
	return std::string(n.found.data()) + " (" + std::string(n.where.file) + ":" +
	       std::to_string(n.where.line) + ")";
}

} // namespace

// A list's path is kept once: names of one list share the very text.
ListedNames::Added ListedNames::add(const Listed &n)
{
	const auto [had, added] = names_.try_emplace(keyOf(n), n);
	const Listed &first = had->second;
	if (added || sameName(first, n))
		return Added::kept;
	if (first.where.file.data() != n.where.file.data()) {
		tellConflict(n, first);
		return Added::conflict;
	}
	const auto [words, fresh] = ambiguous_.try_emplace(keyOf(n));
	if (!fresh)
		return Added::kept;
	words->second =
	    std::string(first.found.data(), 4) + " is " + nameAt(first) + " or " + nameAt(n);
	return Added::ambiguous;
}

std::string_view ListedNames::ambiguity(uint32_t key) const
{
	const auto found = ambiguous_.find(key);
	return found != ambiguous_.end() ? std::string_view(found->second) : std::string_view();
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
