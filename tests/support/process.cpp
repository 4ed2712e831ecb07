#include "process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <thread>

using Lines = std::vector<std::string>;

bool exists(const char *program)
{
	return access(program, X_OK) == 0;
}

std::string missing(std::initializer_list<const char *> programs)
{
	Lines names;
	for (const char *program : programs)
		if (!exists(program))
			names.push_back(std::filesystem::path(program).filename());
	std::string said;
	for (size_t i = 0; i < names.size(); i++)
		said += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
	return names.empty() ? "" : said + (names.size() == 1 ? " is missing" : " are missing");
}

bool isRoot()
{
	return geteuid() == 0;
}

pid_t start(const Lines &argv, int out)
{
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	if (out >= 0)
		posix_spawn_file_actions_adddup2(&actions, out, 1);
	posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
	std::vector<char *> v;
	for (const std::string &a : argv)
		v.push_back(const_cast<char *>(a.c_str()));
	v.push_back(nullptr);
	pid_t pid = -1;
	EXPECT_EQ(posix_spawn(&pid, v[0], &actions, nullptr, v.data(), environ), 0) << v[0];
	posix_spawn_file_actions_destroy(&actions);
	return pid;
}

std::string readAll(int fd)
{
	std::string text;
	char buf[4096];
	for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;)
		text.append(buf, static_cast<size_t>(n));
	close(fd);
	return text;
}

int waitFor(pid_t pid)
{
	int status = 0;
	waitpid(pid, &status, 0);
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

pid_t launch(const Lines &argv, int out, int err, int three)
{
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	const int fds[] = {out, err, three};
	for (int i = 0; i < 3; i++)
		if (fds[i] >= 0)
			posix_spawn_file_actions_adddup2(&actions, fds[i], i + 1);
		else if (i < 2)
			posix_spawn_file_actions_addopen(&actions, i + 1, "/dev/null", O_WRONLY, 0);
	std::vector<char *> v;
	for (const std::string &a : argv)
		v.push_back(const_cast<char *>(a.c_str()));
	v.push_back(nullptr);
	pid_t pid = -1;
	EXPECT_EQ(posix_spawnp(&pid, v[0], &actions, nullptr, v.data(), environ), 0) << v[0];
	posix_spawn_file_actions_destroy(&actions);
	return pid;
}

Stopped::Stopped(const Lines &injections, const Lines &args)
{
	int log[2];
	EXPECT_EQ(pipe2(log, O_CLOEXEC), 0);
	EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
	EXPECT_EQ(pipe2(err, O_CLOEXEC), 0);
	Lines argv = {"strace", "-f", "-qq", "-o", "/dev/fd/3", "-E", noLeakCheck};
	argv.insert(argv.end(), injections.begin(), injections.end());
	argv.insert(argv.end(), args.begin(), args.end());
	tracer = launch(argv, out[1], err[1], log[1]);
	close(log[1]);
	close(out[1]);
	close(err[1]);
	strace = fdopen(log[0], "r");
}

bool Stopped::stopped()
{
	char line[4096];
	while (fgets(line, sizeof line, strace) != nullptr)
		if (strstr(line, "--- stopped by SIGSTOP ---") != nullptr) {
			pid = atoi(line);
			return true;
		}
	return false;
}

void Stopped::resume()
{
	kill(pid, SIGCONT);
}

Result Stopped::finish()
{
	Result r;
	std::thread drain([&] { r.err = readAll(err[0]); });
	r.out = readAll(out[0]);
	drain.join();
	while (fgetc(strace) != EOF) {
	}
	fclose(strace);
	r.status = waitFor(tracer);
	return r;
}
