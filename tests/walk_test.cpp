// The walk over folders as the system hands them over: any depth under few
// descriptors, what vanishes or turns into a link mid-walk, what may not be
// searched or written, mounts inside the tree, and folders told apart by
// device, inode and birth time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>

#include "support/mounted.h"
#include "support/process.h"
#include "support/run.h"
#include "support/tree.h"

namespace
{

namespace fs = std::filesystem;

// 1,000 levels of ten-character names, paths of 11,000 bytes, under a
// limit of 64 descriptors: every level walked, every path printed whole.
// Each file sorts after its subfolder, so that the walk renames it on its
// way back, through the folders it had to close.
TEST_F(Rename, AnyDepthUnderFewDescriptors)
{
	if (!exists("/usr/bin/prlimit"))
		GTEST_SKIP() << "prlimit is missing";
	ASSERT_EQ(mkdir("deep", 0777), 0);
	const int home = open(".", O_RDONLY | O_DIRECTORY);
	ASSERT_EQ(chdir("deep"), 0);
	std::string path = "deep";
	Lines expected;
	for (int level = 1; level <= 1000; level++) {
		if (level % 250 == 0 || level == 1) {
			char name[16];
			snprintf(name, sizeof name, "zimm%03d0.16o", level % 366);
			std::ofstream(name) << name;
			expected.insert(expected.begin(),
					path + "/" + name + " -> " + path + "/ZIMM00CHE_R_2016" +
					    std::string(name + 4, 3) + "0000_01D_30S_MO.rnx");
		}
		ASSERT_EQ(mkdir("level-0000", 0777), 0);
		ASSERT_EQ(chdir("level-0000"), 0);
		path += "/level-0000";
	}
	ASSERT_EQ(fchdir(home), 0);
	close(home);

	const Result r =
	    runArgv("/usr/bin/prlimit", {"prlimit", "--nofile=64:64", orvaneRenamePath, "deep"});
	EXPECT_EQ(r.out, joined(expected));
	EXPECT_EQ(r.err, "");
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(runArgv("/bin/rm", {"rm", "-rf", "deep"}).status, 0);
}

// A candidate or a folder that vanishes mid-walk costs only itself: here the
// system answers as if a file and a folder were gone when the walk got there.
TEST_F(Rename, WhatVanishesCostsOnlyItself)
{
	if (!exists("/usr/bin/strace"))
		GTEST_SKIP() << "strace is missing";
	for (const char *f :
	     {"v/a/abmf0010.16o", "v/a/brux0010.16o", "v/b/abmf0010.16o", "v/c/abmf0010.16o"})
		make(f);
	const Result r = runArgv("/usr/bin/strace",
				 {"strace", "-f", "-qq", "-o", "/dev/null", "-E", noLeakCheck, "-P",
				  "b", "-P", "brux0010.16o", "-e", "trace=openat,renameat2", "-e",
				  "inject=openat,renameat2:error=ENOENT", orvaneRenamePath, "v"});
	EXPECT_EQ(r.out, "v/a/abmf0010.16o -> v/a/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n"
			 "v/c/abmf0010.16o -> v/c/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n");
	EXPECT_EQ(r.err, "v/a/brux0010.16o: not renamed: No such file or directory\n"
			 "v/b: not walked: No such file or directory\n");
	EXPECT_EQ(r.status, 1);
}

// Folders swapped for links out of the tree, and back, as fast as can be,
// while the walk runs: nothing outside the tree is renamed, or even seen.
TEST_F(Rename, FolderSwappedForALinkIsNeverFollowed)
{
	make("outside/zimm0010.16o");
	const Lines outside = listing();
	for (int d = 0; d < 20; d++)
		for (const std::string &n : shortNames(40))
			make("s/d" + std::to_string(d) + "/" + n);

	// Half the time every folder is a link out, half the time itself again.
	std::atomic<bool> done{false};
	std::thread swapper([&done] {
		while (!done) {
			for (int d = 0; d < 20; d++) {
				const std::string folder = "s/d" + std::to_string(d);
				if (rename(folder.c_str(), (folder + "x").c_str()) == 0)
					(void)symlink("../outside", folder.c_str());
			}
			std::this_thread::sleep_for(std::chrono::microseconds(300));
			for (int d = 0; d < 20; d++) {
				const std::string folder = "s/d" + std::to_string(d);
				(void)unlink(folder.c_str());
				(void)rename((folder + "x").c_str(), folder.c_str());
			}
			std::this_thread::sleep_for(std::chrono::microseconds(300));
		}
	});
	for (int run = 0; run < 10; run++)
		EXPECT_EQ(renamer({"-n", "s"}).out.find("zimm"), std::string::npos);
	const Result r = renamer({"s"});
	done = true;
	swapper.join();
	// every rename made is in the record; a folder or file met in the middle
	// of a swap was left, and said so
	EXPECT_EQ(static_cast<size_t>(std::count(r.out.begin(), r.out.end(), '\n')),
		  countNames("s", ".rnx"));
	const std::regex left("s/d[0-9]+x?(/[a-z]{4}[0-9]{4}\\.[0-9]{2}o: not renamed|: not walked): "
			      "(No such file or directory|Not a directory)");
	for (const std::string &line : linesOf(r.err))
		EXPECT_TRUE(std::regex_match(line, left)) << line;
	EXPECT_EQ(r.status, r.err.empty() ? 0 : 1);
	fs::remove_all("s");
	EXPECT_EQ(listing(), outside);
}

// A folder that cannot be opened or searched is reported, whatever its name;
// as root every folder can, so the run drops to nobody.
TEST_F(Rename, FoldersThatCannotBeSearchedAreReported)
{
	for (const char *f : {"p/a/abmf0010.16o", "p/closed/abmf0010.16o", "p/locked/abmf0010.16o",
			      "p/z/abmf0010.16o"})
		make(f);
	for (const char *d : {".", "p", "p/a", "p/z"})
		ASSERT_EQ(chmod(d, 0777), 0);
	ASSERT_EQ(chmod("p/closed", 0), 0);
	ASSERT_EQ(chmod("p/locked", 0600), 0); // readable, not searchable
	Lines argv{"orvane-rename", "p"};
	const char *program = orvaneRenamePath;
	if (geteuid() == 0) {
		if (!exists("/usr/bin/setpriv"))
			GTEST_SKIP() << "setpriv is missing";
		argv = {"setpriv",        "--reuid=65534", "--regid=65534",
			"--clear-groups", program,         "p"};
		program = "/usr/bin/setpriv";
	}
	const Result r = runArgv(program, argv);
	EXPECT_EQ(r.out, "p/a/abmf0010.16o -> p/a/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n"
			 "p/z/abmf0010.16o -> p/z/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n");
	EXPECT_EQ(r.err, "p/closed: not walked: Permission denied\n"
			 "p/locked: not walked: Permission denied\n");
	EXPECT_EQ(r.status, 1);
	ASSERT_EQ(chmod("p/closed", 0777), 0);
	ASSERT_EQ(chmod("p/locked", 0777), 0);
}

// -n foresees what the run meets in a folder as a whole: a read-only mount,
// even where the new name is taken; a folder the user may not write; a
// sticky folder's file of another user's, unless the folder is the user's
// own. Each case as root and as nobody, with -n and then for real.
TEST_F(Rename, DryRunForeseesWhatTheRunMeets)
{
	if (!isRoot() || !exists("/usr/bin/setpriv"))
		GTEST_SKIP() << "needs root, and setpriv to drop it";
	const std::string newName = "ABMF00GLP_R_20160010000_01D_30S_MO.rnx";
	for (const char *folder : {"ro", "taken", "closed", "sticky", "own", "others"})
		make(std::string(folder) + "/abmf0010.16o");
	make("taken/" + newName);
	ASSERT_EQ(chmod(".", 0755), 0);
	ASSERT_EQ(chmod("closed", 0555), 0);
	ASSERT_EQ(chmod("sticky", 01777), 0);
	ASSERT_EQ(chown("own", 65534, 65534), 0);
	ASSERT_EQ(chmod("own", 01755), 0);
	// another user's file in another user's sticky folder: root may rename it
	ASSERT_EQ(chown("others/abmf0010.16o", 65534, 65534), 0);
	ASSERT_EQ(chown("others", 65534, 65534), 0);
	ASSERT_EQ(chmod("others", 01777), 0);
	const auto readOnly = [](const char *folder) {
		return runArgv("/bin/mount", {"mount", "--bind", folder, folder}).status == 0 &&
		       runArgv("/bin/mount", {"mount", "-o", "remount,bind,ro", folder}).status == 0;
	};
	const bool ro = readOnly("ro") && readOnly("taken");
	const Lines nobody = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
	const struct {
		const char *folder;
		bool asNobody, mounted;
		std::string err; // none: renamed
	} cases[] = {
	    {"ro", false, true, "ro/abmf0010.16o: not renamed: Read-only file system\n"},
	    {"taken", false, true, "taken/abmf0010.16o: not renamed: Read-only file system\n"},
	    {"closed", true, false, "closed/abmf0010.16o: not renamed: Permission denied\n"},
	    {"sticky", true, false, "sticky/abmf0010.16o: not renamed: Operation not permitted\n"},
	    {"own", true, false, ""},
	    {"others", false, false, ""},
	};
	for (const auto &c : cases) {
		if (!ro && c.mounted)
			continue;
		const std::string folder = c.folder;
		for (const char *dry : {"-n", "--"}) {
			Lines argv = c.asNobody ? nobody : Lines{};
			argv.insert(argv.end(), {orvaneRenamePath, dry, c.folder});
			const Result r = runArgv(argv[0], argv);
			const std::string renamed =
			    folder + "/abmf0010.16o -> " + folder + "/" + newName + "\n";
			EXPECT_EQ(r.out, c.err.empty() ? renamed : "") << c.folder << " " << dry;
			EXPECT_EQ(r.err, c.err) << c.folder << " " << dry;
			EXPECT_EQ(r.status, c.err.empty() ? 0 : 1) << c.folder << " " << dry;
		}
	}
	if (ro) {
		runArgv("/bin/umount", {"umount", "ro"});
		runArgv("/bin/umount", {"umount", "taken"});
	}
	EXPECT_EQ(countNames(".", ".rnx"), 3u);
	EXPECT_TRUE(fs::exists("own/" + newName));
	EXPECT_TRUE(fs::exists("others/" + newName));
	if (!ro)
		GTEST_SKIP() << "no read-only bind mount here";
}

// The tree bound inside itself: a cycle of the same device, walked once.
TEST_F(Rename, BindMountOfTheTreeInsideItselfIsWalkedOnce)
{
	make("b/abmf0010.16o");
	make("b/sub/brux0010.16o");
	fs::create_directory("b/sub/loop");
	if (runArgv("/bin/mount", {"mount", "--bind", "b", "b/sub/loop"}).status != 0)
		GTEST_SKIP() << "mounting is not permitted here";
	const Result dry = renamer({"-n", "b"});
	const Result r = renamer({"b"});
	runArgv("/bin/umount", {"umount", "b/sub/loop"});
	EXPECT_EQ(r.out, "b/abmf0010.16o -> b/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n"
			 "b/sub/brux0010.16o -> b/sub/BRUX00BEL_R_20160010000_01D_30S_MO.rnx\n");
	EXPECT_EQ(r.err, "");
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(dry.out, r.out);
	EXPECT_EQ(dry.err, "");
}

// A file system that gives no entry's type (ext4 without filetype, as XFS
// without ftype and some NFS listings) and no birth times (128-byte inodes):
// an entry whose type cannot be asked for is reported, file or folder by
// its name, and a folder met twice is said to be skipped.
TEST_F(Rename, EntriesOfUnknownTypeAreReported)
{
	if (!exists("/usr/bin/strace"))
		GTEST_SKIP() << "strace is missing";
	const Mounted m("m", "ext4", {"-O", "^filetype", "-I", "128"});
	if (!m.why.empty())
		GTEST_SKIP() << m.why;
	for (const char *f : {"m/t/abmf0010.16o", "m/t/brux0010.16o", "m/t/sub/zimm0010.16o", "m/t/wtzr0010.16o"})
		make(f);
	const Result r = runArgv("/usr/bin/strace",
				 {"strace", "-f", "-qq", "-o", "/dev/null", "-E", noLeakCheck, "-P",
				  "brux0010.16o", "-P", "sub", "-e", "trace=newfstatat", "-e",
				  "inject=newfstatat:error=EIO", orvaneRenamePath, "m/t", "m"});
	EXPECT_EQ(r.out, "m/t/abmf0010.16o -> m/t/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n"
			 "m/t/wtzr0010.16o -> m/t/WTZR00DEU_R_20160010000_01D_30S_MO.rnx\n");
	EXPECT_EQ(r.err, "m/t/brux0010.16o: not renamed: Input/output error\n"
			 "m/t/sub: not walked: Input/output error\n"
			 "m/t: not walked: walked already\n");
	EXPECT_EQ(r.status, 1);
	EXPECT_TRUE(fs::exists("m/t/sub/zimm0010.16o"));
}

// On such a file system every entry's type is asked for, without following
// a link: a link is no candidate, whatever it leads to; an entry gone before
// its type is asked is passed over; one whose type cannot be told is
// reported, under -j 2 as well, even alone in its folder.
struct TypelessRow {
	const char *name;
	Lines files;         // as make() takes them, m/t the tree walked
	const char *failing; // the name whose type cannot be asked, or nullptr
	const char *error;   // why not
	Lines args;          // before m/t
	std::string out, err;
	int status;
};

void PrintTo(const TypelessRow &row, std::ostream *os)
{
	*os << row.name;
}

const std::string abmfRenamed = "m/t/abmf0010.16o -> m/t/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n";

const TypelessRow typelessRows[] = {
    {.name = "LinksAreNoCandidates",
     .files = {"m/t/abmf0010.16o", "m/t/brux0010.16o -> abmf0010.16o", "m/t/sub -> ../x",
	       "m/t/zimm0010.16o -> ../x", "m/x/wtzr0010.16o"},
     .failing = nullptr,
     .error = nullptr,
     .args = {},
     .out = abmfRenamed,
     .err = "",
     .status = 0},
    {.name = "EntryGoneIsPassedOver",
     .files = {"m/t/abmf0010.16o", "m/t/brux0010.16o"},
     .failing = "brux0010.16o",
     .error = "ENOENT",
     .args = {},
     .out = abmfRenamed,
     .err = "",
     .status = 0},
    {.name = "TypeUnknownUnderTwoJobsAloneInItsFolder",
     .files = {"m/t/abmf0010.16o", "m/t/only/brux0010.16o"},
     .failing = "brux0010.16o",
     .error = "EIO",
     .args = {"-j", "2"},
     .out = abmfRenamed,
     .err = "m/t/only/brux0010.16o: not renamed: Input/output error\n",
     .status = 1},
};

class Typeless : public InOwnFolder<::testing::TestWithParam<TypelessRow>>
{
};

TEST_P(Typeless, EntriesAskedForTheirType)
{
	const TypelessRow &row = GetParam();
	if (row.failing != nullptr && !exists("/usr/bin/strace"))
		GTEST_SKIP() << "strace is missing";
	const Mounted m("m", "ext4", {"-O", "^filetype"});
	if (!m.why.empty())
		GTEST_SKIP() << m.why;
	for (const std::string &f : row.files)
		make(f);
	Lines argv = {orvaneRenamePath};
	if (row.failing != nullptr)
		argv = {"/usr/bin/strace", "-f", "-qq", "-o", "/dev/null", "-E", noLeakCheck, "-P",
			row.failing, "-e", "trace=newfstatat", "-e",
			std::string("inject=newfstatat:error=") + row.error, orvaneRenamePath};
	argv.insert(argv.end(), row.args.begin(), row.args.end());
	argv.push_back("m/t");
	const Result r = runArgv(argv[0], argv);
	EXPECT_EQ(r.out, row.out);
	EXPECT_EQ(r.err, row.err);
	EXPECT_EQ(r.status, row.status);
	// all else left as it was
	for (const std::string &f : row.files) {
		const std::string name = f.substr(0, f.find(" -> "));
		if (name != "m/t/abmf0010.16o") {
			EXPECT_NE(fs::symlink_status(name).type(), fs::file_type::not_found) << name;
		}
	}
}

INSTANTIATE_TEST_SUITE_P(Rename, Typeless, ::testing::ValuesIn(typelessRows),
			 [](const ::testing::TestParamInfo<TypelessRow> &row) {
				 return std::string(row.param.name);
			 });

// A folder made during the run on the inode number of one walked before is
// a new folder, told by its birth time, and walked.
TEST_F(Rename, FolderOnARecycledInodeIsWalked)
{
	if (!exists("/usr/bin/strace"))
		GTEST_SKIP() << "strace is missing";
	const Mounted m("m", "ext4", {});
	if (!m.why.empty())
		GTEST_SKIP() << m.why;
	make("m/p/a/abmf0010.16o");
	struct stat a;
	ASSERT_EQ(stat("m/p/a", &a), 0);
	// stopped after its message about "gate", when the walk of a is done
	Stopped run({"-e", "trace=write", "-e", "inject=write:signal=SIGSTOP:when=1"},
		    {orvaneRenamePath, "m/p/a", "gate", "m/p/b"});
	ASSERT_TRUE(run.stopped());
	fs::remove_all("m/p/a");
	ASSERT_EQ(mkdir("m/p/b", 0755), 0);
	make("m/p/b/brux0010.16o");
	struct stat b;
	ASSERT_EQ(stat("m/p/b", &b), 0);
	run.resume();
	const Result r = run.finish();
	if (b.st_ino != a.st_ino)
		GTEST_SKIP() << "the file system gave the new folder another inode";
	EXPECT_EQ(r.out, "m/p/a/abmf0010.16o -> m/p/a/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n"
			 "m/p/b/brux0010.16o -> m/p/b/BRUX00BEL_R_20160010000_01D_30S_MO.rnx\n");
	EXPECT_EQ(r.err, "gate: not renamed: No such file or directory\n");
	EXPECT_EQ(r.status, 1);
}

// A file named that comes into being during the run, before the walk
// reaches its folder, is renamed there by the walk, and so is handled.
TEST_F(Rename, FileNamedThatAppearsMidRunIsHandledOnce)
{
	if (!exists("/usr/bin/strace"))
		GTEST_SKIP() << "strace is missing";
	make("a/brux0010.16o");
	ASSERT_TRUE(fs::create_directory("d"));
	// stopped as a is read, once the folders of the files named are known
	Stopped run({"-P", fs::canonical("a"), "-e", "trace=getdents64", "-e",
		     "inject=getdents64:signal=SIGSTOP:when=1"},
		    {orvaneRenamePath, "a", "d", "d/abmf0010.16o"});
	ASSERT_TRUE(run.stopped());
	make("d/abmf0010.16o");
	run.resume();
	const Result r = run.finish();
	EXPECT_EQ(r.out, "a/brux0010.16o -> a/BRUX00BEL_R_20160010000_01D_30S_MO.rnx\n"
			 "d/abmf0010.16o -> d/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n");
	EXPECT_EQ(r.err, "");
	EXPECT_EQ(r.status, 0);
}

// d/a/b and 12 levels below it, the deepest holding brux0010.16o, and
// d/a/zimm0010.16o after b in byte order; the path of the deepest.
std::string deepTree()
{
	std::string deep = "d/a/b";
	for (int level = 0; level < 12; level++)
		deep.append("/").append(std::to_string(level)); // not "/" + ...: GCC 12 warns falsely
	make(deep + "/brux0010.16o");
	make("d/a/zimm0010.16o");
	return deep;
}

// The renamer over d under a limit of 20 descriptors, stopped once it has
// renamed brux0010.16o.
Stopped stoppedDeep()
{
	return Stopped({"-P", "brux0010.16o", "-e", "trace=renameat2", "-e",
			"inject=renameat2:signal=SIGSTOP:when=1"},
		       {"/usr/bin/prlimit", "--nofile=20:20", orvaneRenamePath, "d"});
}

// The walk is deep, its ancestors' descriptors closed for want of more, when
// a folder in the middle is moved away and another takes its place: the
// walk finds the folder it left by name, checked by device and inode, and
// renames its last files there, not in the folder it came back through.
TEST_F(Rename, FolderClosedForWantOfDescriptorsIsFoundAgain)
{
	if (const std::string why = missing({"/usr/bin/strace", "/usr/bin/prlimit"}); !why.empty())
		GTEST_SKIP() << why;
	const std::string deep = deepTree();
	make("moved/zimm0010.16o");
	Stopped run = stoppedDeep();
	ASSERT_TRUE(run.stopped());
	ASSERT_EQ(rename("d/a/b", "moved/b"), 0);
	run.resume();
	const Result r = run.finish();
	EXPECT_EQ(r.out, deep + "/brux0010.16o -> " + deep + "/BRUX00BEL_R_20160010000_01D_30S_MO.rnx\n" +
			     "d/a/zimm0010.16o -> d/a/ZIMM00CHE_R_20160010000_01D_30S_MO.rnx\n");
	EXPECT_EQ(r.err, "");
	EXPECT_EQ(r.status, 0);
	EXPECT_TRUE(fs::exists("moved/zimm0010.16o"));
}

// The same, but the folder in the middle is gone, with what it still held:
// the walk says so and goes no further there.
TEST_F(Rename, FolderClosedForWantOfDescriptorsAndGoneIsReported)
{
	if (const std::string why = missing({"/usr/bin/strace", "/usr/bin/prlimit"}); !why.empty())
		GTEST_SKIP() << why;
	const std::string deep = deepTree();
	ASSERT_TRUE(fs::create_directory("moved"));
	Stopped run = stoppedDeep();
	ASSERT_TRUE(run.stopped());
	ASSERT_EQ(rename("d/a/b", "moved/b"), 0);
	fs::remove_all("d/a");
	run.resume();
	const Result r = run.finish();
	EXPECT_EQ(r.out,
		  deep + "/brux0010.16o -> " + deep + "/BRUX00BEL_R_20160010000_01D_30S_MO.rnx\n");
	EXPECT_EQ(r.err, "d/a: not walked: moved during the walk\n");
	EXPECT_EQ(r.status, 1);
}

// Two file systems whose roots share an inode number, and that give no birth
// times, are two folders.
TEST_F(Rename, RootsOfTwoFileSystemsAreTwoFolders)
{
	const Mounted one("one", "ext4", {"-I", "128"}), two("two", "ext4", {"-I", "128"});
	if (!one.why.empty() || !two.why.empty())
		GTEST_SKIP() << (one.why.empty() ? two.why : one.why);
	make("one/abmf0010.16o");
	make("two/abmf0010.16o");
	const Result r = renamer({"-n", "one", "two"});
	EXPECT_EQ(r.out, "one/abmf0010.16o -> one/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n"
			 "two/abmf0010.16o -> two/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n");
	EXPECT_EQ(r.err, "");
	EXPECT_EQ(r.status, 0);
}

// With -H, another file renamed over the one read while it is read: the
// verdict was the first file's, so neither is renamed.
TEST_F(Rename, FileChangedWhileItsHeaderIsReadIsLeft)
{
	if (!exists("/usr/bin/strace"))
		GTEST_SKIP() << "strace is missing";
	ASSERT_TRUE(fs::create_directory("a"));
	fs::copy_file(std::string(HEADER_DATA) + "/07590920.05o", "a/07590920.05o");
	make("notes");
	Stopped run({"-P", fs::canonical("a/07590920.05o"), "-e", "trace=read", "-e",
		     "inject=read:signal=SIGSTOP:when=1"},
		    {orvaneRenamePath, "-H", "-s", "00XXX", "a"});
	ASSERT_TRUE(run.stopped());
	ASSERT_EQ(rename("notes", "a/07590920.05o"), 0);
	run.resume();
	const Result r = run.finish();
	EXPECT_EQ(r.out, "");
	EXPECT_EQ(r.err, "a/07590920.05o: not renamed: changed while read\n"
			 "orvane-rename: 1 file left: 1 changed while read\n");
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(listing(), Lines{"a/07590920.05o: notes"});
}

} // namespace
