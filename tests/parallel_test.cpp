// Parallel runs (-j): the same renames and the same lines as a run of one,
// in another order, and a record kept whole when a signal ends the run.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/run.h"
#include "support/tree.h"

namespace
{

namespace fs = std::filesystem;

// The tree and 2,000 more files renamed by eight threads end as with one,
// and print the same lines, whole, only in another order.
// So do four threads over 150 folders, each with files beside a subfolder,
// with ten descriptors in all.
TEST_F(Rename, ParallelRunEndsAsARunOfOne)
{
	if (!exists("/usr/bin/prlimit"))
		GTEST_SKIP() << "prlimit is missing";
	for (const char *copy : {"one", "eight", "short"}) {
		ASSERT_EQ(mkdir(copy, 0777), 0);
		ASSERT_EQ(chdir(copy), 0);
		makeTree();
		for (int d = 0; d < 20; d++)
			for (const std::string &n : shortNames(100))
				make("tree/" + std::to_string(d) + "/" + n);
		for (int d = 0; d < 150; d++)
			for (const char *n : {"/abmf0010.16o", "/n/brux0010.16o", "/zimm0010.16o"})
				make("tree/f" + std::to_string(d) + n);
		ASSERT_EQ(chdir(".."), 0);
	}
	ASSERT_EQ(chdir("one"), 0);
	const Result one = renamer({"tree"});
	const Lines oneAfter = listing();
	for (const char *copy : {"eight", "short"}) {
		ASSERT_EQ(chdir((std::string("../") + copy).c_str()), 0);
		const Result r =
		    copy == std::string("eight")
			? renamer({"-j", "8", "tree"})
			: runArgv("/usr/bin/prlimit",
				  {"prlimit", "--nofile=10:10", orvaneRenamePath, "-j", "4", "tree"});
		EXPECT_EQ(listing(), oneAfter) << copy;
		EXPECT_EQ(sorted(r.out), sorted(one.out)) << copy;
		EXPECT_EQ(sorted(r.err), sorted(one.err)) << copy;
		EXPECT_EQ(r.status, one.status) << copy;
	}
	ASSERT_EQ(chdir(".."), 0);
}

// Two threads keep what a run of one keeps: with -n, the names each job gives
// out, so that a second file taking one is foreseen as left; and files
// named after the folder that holds them are handled once, after the job
// there.
TEST_F(Rename, ParallelRunsKeepWhatARunOfOneKeeps)
{
	const Lines names = shortNames(2000);
	for (const char *copy : {"one", "dry", "named"}) {
		ASSERT_EQ(mkdir(copy, 0777), 0);
		ASSERT_EQ(chdir(copy), 0);
		for (const std::string &n : names)
			make("big/" + n);
		for (const char *n : {"c/ABMF0010.16o", "c/abmf0010.16o", "c/brux0010.16o"})
			make(n);
		ASSERT_EQ(chdir(".."), 0);
	}
	ASSERT_EQ(chdir("one"), 0);
	const Result one = renamer({"-s", "00XXX", "c", "big"});
	const Lines oneAfter = listing();
	EXPECT_NE(one.err.find("exists"), std::string::npos);
	ASSERT_EQ(chdir("../dry"), 0);
	const Result dry = renamer({"-n", "-j", "2", "-s", "00XXX", "c", "big"});
	EXPECT_EQ(sorted(dry.out), sorted(one.out));
	EXPECT_EQ(sorted(dry.err), sorted(one.err));
	ASSERT_EQ(chdir("../named"), 0);
	Lines args = {"-j", "2", "-s", "00XXX", "c", "big"};
	for (size_t i = names.size() - 200; i < names.size(); i++)
		args.push_back("big/" + names[i]);
	const Result named = renamer(args);
	EXPECT_EQ(sorted(named.out), sorted(one.out));
	EXPECT_EQ(sorted(named.err), sorted(one.err));
	EXPECT_EQ(named.status, one.status);
	EXPECT_EQ(listing(), oneAfter);
	ASSERT_EQ(chdir(".."), 0);
}

// SIGTERM to a parallel run whose renames each wait a millisecond, as on a
// network file system: every rename made is in the record.
TEST_F(Rename, ParallelRunStoppedBySignalKeepsItsRecord)
{
	if (!exists("/usr/bin/strace"))
		GTEST_SKIP() << "strace is missing";
	for (int d = 0; d < 20; d++)
		for (const std::string &n : shortNames(250))
			make("s/" + std::to_string(d) + "/" + n);
	int out[2];
	ASSERT_EQ(pipe(out), 0);
	const pid_t tracer =
	    start({"/usr/bin/strace", "-f", "-qq", "-o", "/dev/null", "-E", noLeakCheck,
		   "--seccomp-bpf", "-e", "trace=renameat2", "-e",
		   "inject=renameat2:delay_exit=1000", orvaneRenamePath, "-j", "8", "s"},
		  out[1]);
	close(out[1]);
	// stopped as the first of its record arrives, some 900 renames in, at
	// least 4,000 from the end; then strace's only child is the renamer
	char first[4096];
	const ssize_t n = read(out[0], first, sizeof first);
	ASSERT_GT(n, 0);
	pid_t pid = 0;
	ASSERT_TRUE(std::ifstream("/proc/" + std::to_string(tracer) + "/task/" +
				  std::to_string(tracer) + "/children") >>
		    pid);
	kill(pid, SIGTERM);
	const std::string record = std::string(first, static_cast<size_t>(n)) + readAll(out[0]);
	waitFor(tracer);
	const size_t lines = static_cast<size_t>(std::count(record.begin(), record.end(), '\n'));
	EXPECT_EQ(lines, countNames("s", ".rnx"));
	EXPECT_LT(lines, 5000u);
}

// With -H each job holds the file it reads besides its folder: under the
// least descriptors, 64 threads over 40 folders still rename every file.
TEST_F(Rename, ParallelHeaderRunsWithinFewDescriptors)
{
#ifdef ORVANE_SANITIZE
	GTEST_SKIP() << "UBSan checks a type through a pipe of its own, for which the least "
			"descriptors leave no room";
#endif
	if (!exists("/usr/bin/prlimit"))
		GTEST_SKIP() << "prlimit is missing";
	for (int d = 0; d < 40; d++) {
		ASSERT_TRUE(fs::create_directories("h/" + std::to_string(d)));
		fs::copy_file(std::string(HEADER_DATA) + "/07590920.05o",
			      "h/" + std::to_string(d) + "/07590920.05o");
	}
	for (const char *limit : {"--nofile=8:8", "--nofile=12:12"}) {
		const Result r = runArgv("/usr/bin/prlimit", {"prlimit", limit, orvaneRenamePath, "-n",
							      "-H", "-j", "64", "-s", "00XXX", "h"});
		EXPECT_EQ(r.err, "") << limit;
		EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 40) << limit;
		EXPECT_EQ(r.status, 0) << limit;
	}
}

// A limit counts descriptor numbers, not descriptors: those a harness gave
// this process above the standard three are kept from the programs it
// starts, which then have 0 to 3 (strace's log) and no more.
void keepOwnDescriptors()
{
	std::vector<int> fds;
	for (const fs::directory_entry &e : fs::directory_iterator("/proc/self/fd"))
		fds.push_back(std::stoi(e.path().filename()));
	for (const int fd : fds)
		if (fd > 2)
			(void)fcntl(fd, F_SETFD, FD_CLOEXEC);
}

// -j 2 under a limit of 8, with 0 to 3 open: room for the walk's three
// folders and the two it opens for a moment to find a folder again by name,
// two steps down (b and x, once y is moved away while the walk is in z below
// it), but none for a folder to wait for a worker besides.
TEST_F(Rename, ParallelRunLeavesRoomToFindAFolderAgain)
{
#ifdef ORVANE_SANITIZE
	GTEST_SKIP() << "UBSan checks a type through a pipe of its own, for which the least "
			"descriptors leave no room";
#endif
	if (const std::string why = missing({"/usr/bin/strace", "/usr/bin/prlimit"}); !why.empty())
		GTEST_SKIP() << why;
	size_t files = 0;
	for (const std::string &n : shortNames(2000))
		if (n.compare(4, 3, "366") != 0) { // no day 366 but in 2016
			make("d/b/x/y/z/" + n);
			files++;
		}
	make("d/b/x/zz/abmf0010.16o");
	ASSERT_TRUE(fs::create_directory("moved"));
	keepOwnDescriptors();
	Stopped run({"-P", fs::canonical("d/b/x/y/z"), "-e", "trace=getdents64", "-e",
		     "inject=getdents64:signal=SIGSTOP:when=1"},
		    {"/usr/bin/prlimit", "--nofile=8:8", orvaneRenamePath, "-j", "2", "d"});
	ASSERT_TRUE(run.stopped());
	ASSERT_EQ(rename("d/b/x/y", "moved/y"), 0);
	run.resume();
	const Result r = run.finish();
	EXPECT_EQ(r.err, "");
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(countNames("moved", ".rnx"), files);
	EXPECT_TRUE(fs::exists("d/b/x/zz/ABMF00GLP_R_20160010000_01D_30S_MO.rnx"));
}

} // namespace
