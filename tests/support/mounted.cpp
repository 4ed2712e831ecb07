#include "mounted.h"

#include <filesystem>

#include "process.h"
#include "run.h"

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

Mounted::Mounted(const std::string &folder, const std::string &type, const Lines &options)
    : at(folder)
{
	fs::create_directory(folder);
	if (!isRoot()) {
		why = "mounting needs root";
		return;
	}
	Result r;
	if (type == "tmpfs") {
		r = runArgv("/bin/mount",
			    {"mount", "-t", "tmpfs", "-o", options.at(0), "tmpfs", folder});
	} else {
		Lines argv = {"mkfs.ext4", "-q", "-F"};
		argv.insert(argv.end(), options.begin(), options.end());
		argv.insert(argv.end(), {folder + ".img", "8M"});
		r = runArgv("/sbin/mkfs.ext4", argv);
		if (r.status == 0)
			r = runArgv("/bin/mount", {"mount", "-o", "loop", folder + ".img", folder});
	}
	if (r.status != 0)
		why = "no file system of its own here: " + r.err;
}

Mounted::~Mounted()
{
	if (why.empty())
		runArgv("/bin/umount", {"umount", at});
	fs::remove(at + ".img");
}
