#include "run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

extern char **environ;

const char *const orvanePath = ORVANE_BIN;
const char *const orvaneRenamePath = ORVANE_RENAME_BIN;

static std::string drain(int fd)
{
	std::string text;
	char buf[4096];
	ssize_t n;

	while ((n = read(fd, buf, sizeof buf)) > 0)
		text.append(buf, static_cast<size_t>(n));
	close(fd);
	return text;
}

// Standard output goes to a pipe, or to outFile when one is given. The pipes
// close on exec, so that children spawned by other threads do not hold them.
static Result spawn(const std::string &path, const std::vector<std::string> &argv,
		    const char *outFile)
{
	int out[2], err[2];
	if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
		throw std::runtime_error("pipe");

	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	if (outFile)
		posix_spawn_file_actions_addopen(&actions, 1, outFile, O_WRONLY, 0);
	else
		posix_spawn_file_actions_adddup2(&actions, out[1], 1);
	posix_spawn_file_actions_adddup2(&actions, err[1], 2);

	std::vector<char *> v;
	for (const std::string &a : argv)
		v.push_back(const_cast<char *>(a.c_str()));
	v.push_back(nullptr);

	pid_t pid;
	const int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, v.data(), environ);
	posix_spawn_file_actions_destroy(&actions);
	close(out[1]);
	close(err[1]);
	if (rc != 0)
		throw std::runtime_error("cannot start " + path);

	// orvane writes a few kilobytes at most: well under a pipe's capacity,
	// so reading one pipe after the other cannot block the child.
	Result r;
	r.out = drain(out[0]);
	r.err = drain(err[0]);
	int status;
	waitpid(pid, &status, 0);
	r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
	return r;
}

Result runArgv(const std::string &path, const std::vector<std::string> &argv)
{
	return spawn(path, argv, nullptr);
}

static std::vector<std::string> withName(const std::vector<std::string> &args)
{
	std::vector<std::string> argv{"orvane"};
	argv.insert(argv.end(), args.begin(), args.end());
	return argv;
}

Result run(const std::vector<std::string> &args)
{
	return spawn(orvanePath, withName(args), nullptr);
}

Result runWithStdout(const char *file, const std::vector<std::string> &args)
{
	return spawn(orvanePath, withName(args), file);
}

std::string usage(const std::string &p)
{
	return "\nThis tool provides the Long Names for the RINEX 3 files from RINEX 2 style short names!\n\n"
	       "For IGS/EPN/APREF/SIRGAS stations: Use '" +
	       p +
	       " [short filename]'\n"
	       "For a non-recognised station     : Use '" +
	       p +
	       " [short filename] [Monument num, Receiver num, ISO country code; e.g. 00ITA]'\n"
	       "To indicate a Stream Data Source : Use '" +
	       p +
	       " -S [short filename] '\n"
	       "\nThis tool supports standard GNSS Obs & Nav Daily, Hourly and 15 min short filenames into equivalent RINEX 3 LONG filenames.\n"
	       "This tool DOES NOT check the correct contents of the file, it only creates output based on the provided short filename.\n\n" +
	       p + " version 16158.\n";
}
