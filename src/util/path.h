// A path as its folder, with the slash that ends it (or nothing), and its
// last component: the renamer renames within a folder, by name.
#ifndef ORVANE_UTIL_PATH_H
#define ORVANE_UTIL_PATH_H

#include <string>
#include <string_view>

struct PathParts {
	std::string_view folder, name;

	// The folder as open(2) takes it: "." where the path names none.
	std::string openable() const { return folder.empty() ? "." : std::string(folder); }
};

inline PathParts splitPath(std::string_view path)
{
	const std::size_t slash = path.rfind('/');
	const std::size_t base = slash == std::string_view::npos ? 0 : slash + 1;
	return {path.substr(0, base), path.substr(base)};
}

#endif
