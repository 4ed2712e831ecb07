#include "run.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

extern char **environ;

const char *const orvanePath = ORVANE_BIN;
const char *const orvaneRenamePath = ORVANE_RENAME_BIN;

// Both pipes at once, so that a child writing much to either never waits
// on the other. An empty text stands for a pipe already closed.
static void drainBoth(int out, int err, Result &r)
{
	struct pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
	std::string *texts[2] = {&r.out, &r.err};
	char buf[4096];

	for (int open = (out >= 0) + (err >= 0); open > 0;) {
		if (poll(fds, 2, -1) < 0)
			continue;
		for (int i = 0; i < 2; i++) {
			if (fds[i].fd < 0 || fds[i].revents == 0)
				continue;
			const ssize_t n = read(fds[i].fd, buf, sizeof buf);
			if (n > 0) {
				texts[i]->append(buf, static_cast<size_t>(n));
			} else {
				close(fds[i].fd);
				fds[i].fd = -1;
				open--;
			}
		}
	}
}

// Standard output goes to a pipe, or to outFile when one is given (closed
// when it is empty). The pipes close on exec, so that children spawned by
// other threads do not hold them.
static Result spawn(const std::string &path, const std::vector<std::string> &argv,
		    const char *outFile)
{
	int out[2], err[2];
	if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
		throw std::runtime_error("pipe");

	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	if (outFile && *outFile == '\0')
		posix_spawn_file_actions_addclose(&actions, 1);
	else if (outFile)
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

	Result r;
	drainBoth(out[0], err[0], r);
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

Result runArgvWithStdout(const std::string &path, const std::vector<std::string> &argv,
			 const char *file)
{
	return spawn(path, argv, file);
}

Result run(const std::vector<std::string> &args)
{
	return spawn(orvanePath, withName(args), nullptr);
}

Result runWithStdout(const char *file, const std::vector<std::string> &args)
{
	return spawn(orvanePath, withName(args), file);
}

Result renamer(const std::vector<std::string> &args)
{
	std::vector<std::string> argv{"orvane-rename"};
	argv.insert(argv.end(), args.begin(), args.end());
	return spawn(orvaneRenamePath, argv, nullptr);
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
