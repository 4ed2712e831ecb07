// The record of renames on standard output: whole whatever ends the run (a
// signal, a second one, a failing output), one line at a time on a
// terminal, and kept apart from the progress line at a terminal's foot.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

#include "support/mounted.h"
#include "support/process.h"
#include "support/run.h"
#include "support/tree.h"

namespace
{

namespace fs = std::filesystem;

// Each signal that ends a process by default, bar those of its own faults,
// sent while the record waits for its reader: the rename in hand is
// finished, no other is made, every rename made is in the record, and the
// run ends by the signal. One ignored when the run starts stays ignored.
TEST_F(Rename, SignalsEndTheRunWithTheRecordWhole)
{
	const struct {
		int sig;
		bool ignored;
	} cases[] = {{SIGTERM, false}, {SIGINT, false},  {SIGHUP, false},    {SIGUSR1, false},
		     {SIGALRM, false}, {SIGPROF, false}, {SIGVTALRM, false}, {SIGIO, false},
		     {SIGPWR, false},  {SIGSTKFLT, false}, {SIGRTMIN, false}, {SIGRTMAX, false},
		     {SIGHUP, true}};
	const Lines names = shortNames(1500);
	for (const auto &c : cases) {
		const std::string where = strsignal(c.sig) + std::string(c.ignored ? ", ignored" : "");
		fs::remove_all("s");
		for (const std::string &n : names)
			make("s/" + n);
		int out[2];
		ASSERT_EQ(pipe(out), 0);
		(void)fcntl(out[1], F_SETPIPE_SZ, 4096);
		const std::string sig = std::to_string(c.sig);
		const Lines argv = c.ignored ? Lines{"/bin/sh", "-c", "trap '' " + sig + "; exec \"$0\" \"$@\"",
						     orvaneRenamePath, "s"}
					     : Lines{orvaneRenamePath, "s"};
		const pid_t pid = launch(argv, out[1], -1);
		close(out[1]);
		char first[4096];
		const ssize_t n = read(out[0], first, sizeof first); // the record has begun
		ASSERT_GT(n, 0) << where;
		kill(pid, c.sig);
		const std::string record = std::string(first, static_cast<size_t>(n)) + readAll(out[0]);
		const int status = waitFor(pid);
		const size_t lines = static_cast<size_t>(std::count(record.begin(), record.end(), '\n'));
		EXPECT_EQ(lines, countNames("s", ".rnx")) << where;
		if (c.ignored) {
			EXPECT_EQ(status, 0) << where;
			EXPECT_EQ(lines, names.size()) << where;
		} else {
			EXPECT_EQ(status, 128 + c.sig) << where;
			EXPECT_LT(lines, names.size()) << where;
		}
	}
}

// A second signal ends the run at once, even while the record waits for a
// reader that does not read: the lines still waiting are lost then.
TEST_F(Rename, SecondSignalEndsTheRunAtOnce)
{
	for (const std::string &n : shortNames(1500))
		make("s/" + n);
	int out[2];
	ASSERT_EQ(pipe(out), 0);
	(void)fcntl(out[1], F_SETPIPE_SZ, 4096);
	const pid_t pid = launch({orvaneRenamePath, "s"}, out[1], -1);
	close(out[1]);
	char first[4096];
	const ssize_t n = read(out[0], first, sizeof first);
	ASSERT_GT(n, 0);
	kill(pid, SIGTERM);
	// the second once the first has been taken: two pending are one
	const std::string status = "/proc/" + std::to_string(pid) + "/status";
	for (bool pending = true; pending;) {
		std::ifstream in(status);
		std::string line;
		while (std::getline(in, line) && line.compare(0, 7, "ShdPnd:") != 0) {
		}
		pending = (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1) & 1) != 0;
	}
	kill(pid, SIGTERM);
	const std::string record = std::string(first, static_cast<size_t>(n)) + readAll(out[0]);
	EXPECT_EQ(waitFor(pid), 128 + SIGTERM);
	EXPECT_LT(static_cast<size_t>(std::count(record.begin(), record.end(), '\n')),
		  countNames("s", ".rnx"));
}

// Where standard output fails, the record goes on on standard error, from
// the first line not written whole, and no rename is made after; a standard
// output closed from the start stops the run before anything is renamed.
TEST_F(Rename, RecordThatCannotBeWrittenGoesOnOnStandardError)
{
	const Lines names = shortNames(2000);
	for (const std::string &n : names)
		make("w/" + n);
	const Result closed = runArgvWithStdout(orvaneRenamePath, {"orvane-rename", "w"}, "");
	EXPECT_EQ(closed.err, "orvane-rename: write error: Bad file descriptor; nothing renamed\n");
	EXPECT_EQ(closed.status, 1);
	EXPECT_EQ(countNames("w", ".rnx"), 0u);

	const std::string head = "orvane-rename: write error: No space left on device; "
				 "the record goes on below\n";
	// every rename made, in the walk's order, in one stream or the other
	auto check = [&](const std::string &out, const Result &r) {
		ASSERT_EQ(r.err.compare(0, head.size(), head), 0) << r.err.substr(0, 200);
		const size_t whole = out.rfind('\n') + 1; // the cut line comes again
		Lines record = linesOf(out.substr(0, whole));
		const Lines rest = linesOf(r.err.substr(head.size()));
		record.insert(record.end(), rest.begin(), rest.end());
		const size_t renamed = countNames("w", ".rnx");
		ASSERT_EQ(record.size(), renamed);
		ASSERT_LT(renamed, names.size());
		for (size_t i = 0; i < names.size(); i++) {
			EXPECT_EQ(fs::exists("w/" + names[i]), i >= renamed) << names[i];
			if (i < renamed) {
				EXPECT_EQ(record[i].compare(0, names[i].size() + 6, "w/" + names[i] + " -> "), 0)
				    << record[i];
			}
		}
		EXPECT_EQ(r.status, 1);
	};
	if (access("/dev/full", W_OK) == 0)
		check("", runArgvWithStdout(orvaneRenamePath, {"orvane-rename", "w"}, "/dev/full"));

	// a disk that fills in the middle of a line
	fs::remove_all("w");
	for (const std::string &n : names)
		make("w/" + n);
	const Mounted disk("disk", "tmpfs", {"size=8k"});
	if (!disk.why.empty())
		GTEST_SKIP() << disk.why;
	const int fd = open("disk/record", O_WRONLY | O_CREAT, 0644);
	ASSERT_GE(fd, 0);
	close(fd);
	const Result r = runArgvWithStdout(orvaneRenamePath, {"orvane-rename", "w"}, "disk/record");
	std::ostringstream out;
	out << std::ifstream("disk/record").rdbuf();
	ASSERT_NE(out.str().back(), '\n') << "the disk filled at a line's end";
	check(out.str(), r);
}

// With -0 a pair cut by a full file goes on on standard error from its old
// name: the record, both streams together, is every pair once and whole.
// Messages that cannot be written are given up, not retried for ever: the
// run goes on and ends with the status of the files left.
TEST_F(Rename, MessagesThatCannotBeWrittenEndNoRun)
{
	if (access("/dev/full", W_OK) != 0)
		GTEST_SKIP() << "/dev/full is missing";
	make("w/abmf0010.16o");
	make("w/xxxx0010.16o");
	const Result r = runArgv("/bin/sh", {"sh", "-c", "exec \"$0\" w 2>/dev/full", orvaneRenamePath});
	EXPECT_EQ(r.out, "w/abmf0010.16o -> w/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n");
	EXPECT_EQ(r.status, 1);
}

TEST_F(Rename, NulRecordCutMidPairGoesOnFromThatPair)
{
	if (!exists("/usr/bin/prlimit"))
		GTEST_SKIP() << "prlimit is missing";
	for (const char *n : {"abmf0010.16o", "brux0010.16o", "zimm0010.16o"})
		make(std::string("w/") + n);
	const auto pair = [](const std::string &old, const std::string &to) {
		return "w/" + old + '\0' + "w/" + to + '\0';
	};
	const std::string first = pair("abmf0010.16o", "ABMF00GLP_R_20160010000_01D_30S_MO.rnx");
	const std::string rest = pair("brux0010.16o", "BRUX00BEL_R_20160010000_01D_30S_MO.rnx") +
				 pair("zimm0010.16o", "ZIMM00CHE_R_20160010000_01D_30S_MO.rnx");
	const std::string limit = "--fsize=" + std::to_string(first.size() + 20);
	std::ofstream("record").close();
	const Result r = runArgvWithStdout(
	    "/usr/bin/prlimit", {"prlimit", limit, orvaneRenamePath, "-0", "w"}, "record");
	std::ostringstream out;
	out << std::ifstream("record").rdbuf();
	EXPECT_EQ(out.str(), (first + rest).substr(0, first.size() + 20));
	EXPECT_EQ(r.err, "orvane-rename: write error: File too large; the record goes on below\n" +
			     rest);
	EXPECT_EQ(r.status, 1);
}

// With standard output and standard error on one file, every line is
// whole, in the order of the walk.
TEST_F(Rename, RecordAndMessagesInOneFileStayWhole)
{
	for (int d = 0; d < 1500; d++)
		for (const char *name : {"/abmf0010.16o", "/xxxx0010.16o"})
			make("s/d" + std::to_string(1000 + d) + name);
	const Result dry = renamer({"-n", "s"});
	Lines expected;
	const Lines renames = linesOf(dry.out), left = linesOf(dry.err);
	ASSERT_EQ(renames.size(), left.size());
	for (size_t i = 0; i < renames.size(); i++)
		expected.insert(expected.end(), {renames[i], left[i]});

	const int fd = open("both", O_WRONLY | O_CREAT | O_TRUNC, 0644);
	ASSERT_GE(fd, 0);
	EXPECT_EQ(waitFor(launch({orvaneRenamePath, "s"}, fd, fd)), 1);
	close(fd);
	std::ostringstream both;
	both << std::ifstream("both").rdbuf();
	EXPECT_EQ(linesOf(both.str()), expected);
}

// A record line written to a terminal of its own is there as soon as its
// rename is made, not with the next one.
TEST_F(Rename, RecordOnATerminalComesLineByLine)
{
	if (!exists("/usr/bin/strace"))
		GTEST_SKIP() << "strace is missing";
	make("s/abmf0010.16o");
	make("s/brux0010.16o");
	const int master = posix_openpt(O_RDWR | O_NOCTTY);
	ASSERT_GE(master, 0);
	ASSERT_EQ(grantpt(master), 0);
	ASSERT_EQ(unlockpt(master), 0);
	const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
	ASSERT_GE(terminal, 0);
	struct termios raw;
	ASSERT_EQ(tcgetattr(terminal, &raw), 0);
	cfmakeraw(&raw);
	ASSERT_EQ(tcsetattr(terminal, TCSANOW, &raw), 0);
	int log[2];
	ASSERT_EQ(pipe2(log, O_CLOEXEC), 0);
	// stopped when the second file is renamed, before its line is written
	const pid_t tracer = launch({"strace", "-f", "-qq", "-o", "/dev/fd/3", "-E", noLeakCheck, "-P",
				     "brux0010.16o", "-e", "trace=renameat2", "-e",
				     "inject=renameat2:signal=SIGSTOP:when=1", orvaneRenamePath, "s"},
				    terminal, -1, log[1]);
	close(log[1]);
	close(terminal);
	FILE *strace = fdopen(log[0], "r");
	char line[4096];
	pid_t pid = 0;
	while (pid == 0 && fgets(line, sizeof line, strace) != nullptr)
		if (strstr(line, "--- stopped by SIGSTOP ---") != nullptr)
			pid = atoi(line);
	ASSERT_NE(pid, 0);
	const std::string first = "s/abmf0010.16o -> s/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n";
	std::string shown(first.size() + 1, '\0');
	(void)fcntl(master, F_SETFL, O_NONBLOCK);
	const ssize_t n = read(master, shown.data(), shown.size());
	EXPECT_EQ(shown.substr(0, n > 0 ? static_cast<size_t>(n) : 0), first);
	kill(pid, SIGCONT);
	(void)fcntl(master, F_SETFL, 0);
	while (fgetc(strace) != EOF) {
	}
	fclose(strace);
	EXPECT_EQ(waitFor(tracer), 0);
	close(master);
}

// The progress line in a real terminal: at its foot while the run goes on,
// never wrapped, never mixed into a line of the record or a message, and gone
// at the end. Cut to the width, it keeps whole fields, the counts before the
// rate; under -n it counts the files to rename. Each file's step is delayed:
// its rename, or under -n the look for its new name.
const struct {
	int width;
	Lines options;
	std::string delayed, pattern;
} progressRuns[] = {
    // "N renamed, N left, N candidates, N folders, N/s", the rate once the counts grow
    {50,
     {},
     "renameat2",
     "[0-9]+ renamed, [0-9]+ left, [0-9]+ candidates, [0-9]+ folders(, [0-9]+/s)?"},
    // "N to rename, N left, N candidates" at most
    {40, {"-n"}, "newfstatat", "[0-9]+ to rename, [0-9]+ left(, [0-9]+ candidates)?"},
};

TEST_F(Rename, ProgressLineStaysAtTheFootOfATerminal)
{
	if (const std::string why = missing({"/usr/bin/tmux", "/usr/bin/strace"}); !why.empty())
		GTEST_SKIP() << why;
	const std::regex rename(
	    "p/[0-3]/[a-z]{4}[0-9]{4}\\.[0-9]{2}o -> p/[0-3]/[A-Z]{4}00[A-Z]{3}_R_20[0-9]{5}0000_01D_30S_MO\\.rnx");
	const std::regex progressLine("^[0-9]+ (renamed|to rename)");
	const std::regex counts("^([0-9]+) [a-z ]+, ([0-9]+) left, ([0-9]+) candidates");
	const auto screen = [](const std::string &session) {
		return runArgv("/usr/bin/tmux", {"tmux", "capture-pane", "-p", "-J", "-t", session})
		    .out;
	};
	for (const auto &run : progressRuns) {
		fs::remove_all("p");
		for (int d = 0; d < 4; d++)
			for (const std::string &n : shortNames(60))
				make("p/" + std::to_string(d) + "/" + n);
		make("p/2/xxxx0010.16o");
		const std::string session = "orvane-rename-" + std::to_string(getpid());
		std::string options;
		for (const std::string &o : run.options)
			options += o + " ";
		const std::string command =
		    "cd " + top.string() + " && strace -f -qq -o /dev/null -E " + noLeakCheck +
		    " --seccomp-bpf -e trace=" + run.delayed + " -e inject=" + run.delayed +
		    ":delay_exit=3000 " + orvaneRenamePath + " " + options +
		    "p; echo END $?; sleep 60";
		const std::string width = std::to_string(run.width);
		ASSERT_EQ(runArgv("/usr/bin/tmux", {"tmux", "new-session", "-d", "-s", session,
						    "-x", width, "-y", "12", command})
			      .status,
			  0);
		const std::regex progress(run.pattern);
		bool seen = false, ended = false;
		for (int i = 0; i < 200 && !ended; i++) {
			std::this_thread::sleep_for(std::chrono::milliseconds(50));
			for (const std::string &line : sorted(screen(session))) {
				ended = ended || line.compare(0, 4, "END ") == 0;
				if (std::regex_search(line, progressLine)) {
					EXPECT_TRUE(std::regex_match(line, progress))
					    << width << ": " << line;
					EXPECT_LT(line.size(), static_cast<size_t>(run.width))
					    << line;
					// the candidates found hold those renamed and left
					std::smatch n;
					if (std::regex_search(line, n, counts)) {
						EXPECT_GE(std::stoul(n[3]),
							  std::stoul(n[1]) + std::stoul(n[2]))
						    << line;
					}
					seen = true;
				} else if (line.find(" -> ") != std::string::npos) {
					EXPECT_TRUE(std::regex_match(line, rename)) << line;
				} else if (line.find("xxxx") != std::string::npos) {
					EXPECT_EQ(
					    line,
					    "p/2/xxxx0010.16o: not renamed: Station Name not found");
				}
			}
		}
		const std::string last = screen(session);
		runArgv("/usr/bin/tmux", {"tmux", "kill-session", "-t", session});
		EXPECT_TRUE(ended) << width << ": " << last;
		EXPECT_TRUE(seen) << width << ": " << last;
		for (const std::string &line : sorted(last))
			EXPECT_FALSE(std::regex_search(line, progressLine)) << last;
		EXPECT_NE(last.find("END 1"), std::string::npos) << last;
	}
}

} // namespace
