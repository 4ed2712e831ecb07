// Renames where the file system refuses RENAME_NOREPLACE, as NFS does: the
// renamer falls back on a link and a careful removal, and, whatever another
// process does to the names between its steps, never replaces a file and
// never leaves one without a name. The noreplace wrapper makes renameat2
// refuse the flag.
#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "support/process.h"
#include "support/run.h"
#include "support/tree.h"

namespace
{

namespace fs = std::filesystem;

// Where RENAME_NOREPLACE is refused, as on NFS, the same tree comes out the
// same by link and careful removal, and no name of the run's is left.
TEST_F(Rename, FallbackGivesTheSameRun)
{
	makeTree();
	const Result r = runArgv(NOREPLACE_BIN, {"noreplace", orvaneRenamePath, "tree"});
	EXPECT_EQ(r.out, joined(treeRenames));
	EXPECT_EQ(r.err, joined(treeLeft));
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(listing(), treeAfter);
}

// Another file takes the short name while the fallback is between the link
// and the removal: it keeps the short name, the candidate has the long one.
TEST_F(Rename, FallbackKeepsAFileThatTakesTheShortName)
{
	if (!exists("/usr/bin/strace"))
		GTEST_SKIP() << "strace is missing";
	make("f/abmf0010.16o");
	make("other");
	const pid_t pid = start({NOREPLACE_BIN, "/usr/bin/strace", "-f", "-qq", "-o", "/dev/null",
				 "-E", noLeakCheck, "-e", "trace=renameat", "-e",
				 "inject=renameat:delay_enter=500000", orvaneRenamePath, "f"},
				-1);
	const char *longName = "f/ABMF00GLP_R_20160010000_01D_30S_MO.rnx";
	for (int i = 0; i < 500 && access(longName, F_OK) != 0; i++)
		std::this_thread::sleep_for(std::chrono::milliseconds(10));
	ASSERT_EQ(rename("other", "f/abmf0010.16o"), 0);
	EXPECT_EQ(waitFor(pid), 0);
	EXPECT_EQ(listing(), (Lines{"f/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: f/abmf0010.16o",
				    "f/abmf0010.16o: other"}));
}

// Where RENAME_NOREPLACE is refused, a link or a move aside that the system
// refuses leaves the file as it was, with the system's reason: no second
// name, no line in the record.
TEST_F(Rename, FallbackRefusedLeavesTheFileAsItWas)
{
	if (!exists("/usr/bin/strace"))
		GTEST_SKIP() << "strace is missing";
	const struct {
		const char *call, *error, *reason;
	} refusals[] = {
	    {"linkat", "EPERM", "Operation not permitted"},      // FAT, protected_hardlinks
	    {"linkat", "EOPNOTSUPP", "Operation not supported"}, // no links at all
	    {"renameat", "EACCES", "Permission denied"},         // the move aside
	    {"renameat", "EIO", "Input/output error"},
	};
	for (const auto &c : refusals) {
		fs::remove_all("f");
		make("f/abmf0010.16o");
		const Result r = runArgv("/usr/bin/strace",
					 {"strace", "-f", "-qq", "-o", "/dev/null", "-E", noLeakCheck, "-e",
					  std::string("trace=") + c.call, "-e",
					  std::string("inject=") + c.call + ":error=" + c.error,
					  NOREPLACE_BIN, orvaneRenamePath, "f"});
		EXPECT_EQ(r.out, "") << c.error;
		EXPECT_EQ(r.err, std::string("f/abmf0010.16o: not renamed: ") + c.reason + "\n") << c.error;
		EXPECT_EQ(r.status, 1) << c.error;
		EXPECT_EQ(listing(), Lines{"f/abmf0010.16o: f/abmf0010.16o"}) << c.error;
	}
}

// Two names of one file that would take one new name are two candidates:
// the second is left, its new name taken, and keeps its name.
TEST_F(Rename, FallbackLeavesTheSecondNameOfOneFile)
{
	make("f/abmf0010.16o");
	ASSERT_EQ(link("f/abmf0010.16o", "f/abmf0011.16o"), 0);
	const Result r = runArgv(NOREPLACE_BIN, {"noreplace", orvaneRenamePath, "f"});
	EXPECT_EQ(r.out, "f/abmf0010.16o -> f/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n");
	EXPECT_EQ(r.err, "f/abmf0011.16o: not renamed: f/ABMF00GLP_R_20160010000_01D_30S_MO.rnx exists\n");
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(listing(), (Lines{"f/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: f/abmf0010.16o",
				    "f/abmf0011.16o: f/abmf0010.16o"}));
}

// The old name changes hands between the look at the file and the link: the
// new name is then another file's, said so, and the candidate keeps its
// name alone.
TEST_F(Rename, FallbackChecksTheNewNameAfterTheLink)
{
	if (!exists("/usr/bin/strace"))
		GTEST_SKIP() << "strace is missing";
	make("f/abmf0010.16o");
	make("other");
	Stopped run({"-P", "abmf0010.16o", "-e", "trace=newfstatat", "-e",
		     "inject=newfstatat:signal=SIGSTOP:when=1"},
		    {NOREPLACE_BIN, orvaneRenamePath, "f"});
	ASSERT_TRUE(run.stopped());
	ASSERT_EQ(rename("f/abmf0010.16o", "away"), 0);
	ASSERT_EQ(rename("other", "f/abmf0010.16o"), 0);
	run.resume();
	const Result r = run.finish();
	EXPECT_EQ(r.out, "");
	EXPECT_EQ(r.err, "f/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: second name of abmf0010.16o, "
			 "left: changed during the rename\n");
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(listing(), (Lines{"away: f/abmf0010.16o", "f/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: other",
				    "f/abmf0010.16o: other"}));
}

// A file takes the old name between the link and the move aside, and a
// third one takes it again before the first is put back: nothing is
// replaced, and the one put aside is left under its temporary name, said so.
TEST_F(Rename, FallbackNeverPutsBackOverAThirdFile)
{
	if (!exists("/usr/bin/strace"))
		GTEST_SKIP() << "strace is missing";
	make("f/abmf0010.16o");
	make("second");
	Stopped run({"-e", "trace=linkat,renameat", "-e", "inject=linkat:signal=SIGSTOP:when=1", "-e",
		     "inject=renameat:signal=SIGSTOP:when=1"},
		    {NOREPLACE_BIN, orvaneRenamePath, "f"});
	ASSERT_TRUE(run.stopped()); // linked
	ASSERT_EQ(rename("second", "f/abmf0010.16o"), 0);
	run.resume();
	ASSERT_TRUE(run.stopped()); // moved aside
	make("f/abmf0010.16o: third");
	run.resume();
	const Result r = run.finish();
	const std::string aside = ".orvane-rename." + std::to_string(run.pid) + ".1";
	EXPECT_EQ(r.out, "f/abmf0010.16o -> f/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n");
	EXPECT_EQ(r.err, "f/" + aside + ": not put back as abmf0010.16o: File exists\n");
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(listing(), (Lines{"f/" + aside + ": second",
				    "f/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: f/abmf0010.16o",
				    "f/abmf0010.16o: third"}));
}

// A kernel without renameat2 answers ENOSYS: the fallback renames, as where
// the flag is refused.
TEST_F(Rename, FallbackWhereTheKernelLacksTheCall)
{
	if (!exists("/usr/bin/strace"))
		GTEST_SKIP() << "strace is missing";
	make("f/abmf0010.16o");
	const Result r = runArgv("/usr/bin/strace", {"strace", "-f", "-qq", "-o", "/dev/null", "-E",
						     noLeakCheck, "-e", "trace=renameat2", "-e",
						     "inject=renameat2:error=ENOSYS", orvaneRenamePath, "f"});
	EXPECT_EQ(r.out, "f/abmf0010.16o -> f/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n");
	EXPECT_EQ(r.err, "");
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(listing(), Lines{"f/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: f/abmf0010.16o"});
}

} // namespace
