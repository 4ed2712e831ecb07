// A file system of its own at a new folder, for the test alone: a tmpfs
// mounted with the options given, or an ext4 image made with them; root
// only.
#ifndef ORVANE_TESTS_SUPPORT_MOUNTED_H
#define ORVANE_TESTS_SUPPORT_MOUNTED_H

#include <string>
#include <vector>

class Mounted
{
      public:
	Mounted(const std::string &folder, const std::string &type,
		const std::vector<std::string> &options);
	~Mounted();
	std::string why; // empty once mounted
	const std::string at;
};

#endif
