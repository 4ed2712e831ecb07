// Plans from a listing (-L), which touch nothing, and a run taken back from
// its record (-u), with a run's care: renames made back, every one in a
// record of its own, and the pairs that cannot go back left with why.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/process.h"
#include "support/run.h"
#include "support/tree.h"

namespace
{

namespace fs = std::filesystem;

void write(const std::string &path, const std::string &text)
{
	std::ofstream(path, std::ios::binary) << text;
}

std::string nul(const Lines &fields)
{
	std::string s;
	for (const std::string &f : fields)
		s += f + '\0';
	return s;
}

// The listing is all there is: its own names are taken, two of its paths
// that take one name leave the later in byte order, wherever they stand;
// what is on the disk is neither read nor changed.
TEST_F(Rename, PlanFromAListingTouchesNothing)
{
	make("c/zimm0010.16o");
	write("listing", "c/zimm0010.16o\n"
			 "a/abmf0010.16o.gz\n"
			 "x/ABMF0010.16o\n"
			 "a/README\n"
			 "b/GOPE00XXX_R_20200010000_01D_30S_MO.rnx\n"
			 "x/xxxx0010.16o\n"
			 "b/gope0010.20o\n"
			 "x/abmf0010.16o\n"
			 "\n");
	const Lines before = listing();
	const Result r = renamer({"-L", "listing", "-s", "00XXX"});
	EXPECT_EQ(r.out, "c/zimm0010.16o -> c/ZIMM00XXX_R_20160010000_01D_30S_MO.rnx\n"
			 "a/abmf0010.16o.gz -> a/ABMF00XXX_R_20160010000_01D_30S_MO.rnx.gz\n"
			 "x/ABMF0010.16o -> x/ABMF00XXX_R_20160010000_01D_30S_MO.rnx\n"
			 "x/xxxx0010.16o -> x/XXXX00XXX_R_20160010000_01D_30S_MO.rnx\n");
	EXPECT_EQ(r.err, "b/gope0010.20o: not renamed: b/GOPE00XXX_R_20200010000_01D_30S_MO.rnx exists\n"
			 "x/abmf0010.16o: not renamed: x/ABMF00XXX_R_20160010000_01D_30S_MO.rnx exists\n");
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(listing(), before);
}

// A listing with a NUL is NUL-separated, names of any bytes, and the plan
// comes as a -0 record; -2 plans long names back, standard input is "-".
TEST_F(Rename, PlanFromNulSeparatedKeys)
{
	write("keys", nul({"s/new\nline/GOPE00CZE_R_20200010000_01D_30S_MO.rnx.gz", "s/gope0010.20o",
			   "s/\x01/brux0010.16o"}));
	write("stations", "BRUX00XYZ\n");
	Result r = runArgv("/bin/sh", {"sh", "-c",
				       std::string(orvaneRenamePath) + " -L - -0 -c stations <keys"});
	EXPECT_EQ(r.out, nul({"s/gope0010.20o", "s/GOPE00CZE_R_20200010000_01D_30S_MO.rnx",
			      "s/\x01/brux0010.16o", "s/\x01/BRUX00XYZ_R_20160010000_01D_30S_MO.rnx"}));
	EXPECT_EQ(r.err, "");
	EXPECT_EQ(r.status, 0);
	r = renamer({"-L", "keys", "-2"});
	EXPECT_EQ(r.out, "s/new\nline/GOPE00CZE_R_20200010000_01D_30S_MO.rnx.gz -> "
			 "s/new\nline/gope0010.20o.gz\n");
	EXPECT_EQ(r.status, 0);
}

// A run over the tree, undone from its record, then the undo undone: the
// tree as it was, then as the run left it; each undo's record is the pairs
// it made, which the next one takes back.
TEST_F(Rename, UndoOfARunAndOfTheUndo)
{
	makeTree();
	const Lines before = listing();
	const Result run = renamer({"-0", "tree"});
	ASSERT_EQ(run.status, 1);
	const Lines after = listing();
	write("../run.rec", run.out);
	const Result undo = renamer({"-0", "-u", "../run.rec", "tree"});
	EXPECT_EQ(undo.err, "");
	EXPECT_EQ(undo.status, 0);
	EXPECT_EQ(listing(), before) << undo.out;
	write("../undo.rec", undo.out);
	const Result again = renamer({"-u", "../undo.rec", "tree"});
	EXPECT_EQ(again.err, "");
	EXPECT_EQ(again.status, 0);
	EXPECT_EQ(listing(), after);
}

// What cannot go back is left, with the reason, and the rest goes back:
// a name taken since, a file gone, a folder swapped for a link (not
// followed), a pair below none of the paths; -n foresees the same.
TEST_F(Rename, UndoLeavesWhatCannotGoBack)
{
	for (const char *f : {"a/abmf0010.16o", "a/brux0010.16o", "a/zimm0010.16o", "a/s/wtzr0010.16o",
			      "b/gope0010.20o"})
		make(f);
	const Result run = renamer({"-0", "a", "b"});
	ASSERT_EQ(run.status, 0);
	write("../run.rec", run.out);
	make("a/abmf0010.16o");
	fs::remove("a/BRUX00BEL_R_20160010000_01D_30S_MO.rnx");
	fs::rename("a/s", "moved");
	fs::create_directory_symlink("../moved", "a/s");
	const Lines before = listing();
	const std::string err =
	    "a/ZIMM00CHE_R_20160010000_01D_30S_MO.rnx -> a/zimm0010.16o\n";
	const std::string left =
	    "a/s/WTZR00DEU_R_20160010000_01D_30S_MO.rnx: not renamed back: Not a directory\n"
	    "a/BRUX00BEL_R_20160010000_01D_30S_MO.rnx: not renamed back: No such file or directory\n"
	    "a/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: not renamed back: a/abmf0010.16o exists\n";
	const Result dry = renamer({"-n", "-u", "../run.rec", "a"});
	EXPECT_EQ(dry.out, err);
	EXPECT_EQ(dry.err, "b/GOPE00CZE_R_20200010000_01D_30S_MO.rnx: not renamed back: below none of "
			   "the paths\n" +
			       left);
	EXPECT_EQ(dry.status, 1);
	EXPECT_EQ(listing(), before);
	const Result undo = renamer({"-u", "../run.rec", "a"});
	EXPECT_EQ(undo.out, dry.out);
	EXPECT_EQ(undo.err, dry.err);
	EXPECT_EQ(undo.status, 1);
	EXPECT_TRUE(fs::exists("a/zimm0010.16o"));
	EXPECT_TRUE(fs::exists("moved/WTZR00DEU_R_20160010000_01D_30S_MO.rnx"));
	EXPECT_TRUE(fs::exists("b/GOPE00CZE_R_20200010000_01D_30S_MO.rnx"));
}

// A record cut short by a stop, or no -0 record at all, is refused before
// anything goes back.
TEST_F(Rename, UndoRefusesARecordCutShort)
{
	make("a/abmf0010.16o");
	make("a/brux0010.16o");
	const Result run = renamer({"-0", "a"});
	write("../cut", run.out.substr(0, run.out.size() - 3));
	write("../text", "a/abmf0010.16o -> a/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n");
	const Lines before = listing();
	Result r = renamer({"-u", "../cut", "a"});
	EXPECT_EQ(r.out, "");
	EXPECT_EQ(r.err, "../cut: cut short at byte " + std::to_string(run.out.size() - 3) +
			     ", in the pair that begins at byte 56; nothing renamed back\n");
	EXPECT_EQ(r.status, 2);
	r = renamer({"-u", "../text", "a"});
	EXPECT_EQ(r.err, "../text: not a record of -0: no NUL in its 59 bytes; nothing renamed back\n");
	EXPECT_EQ(r.status, 2);
	EXPECT_EQ(listing(), before);
}

// A record that cannot be read, such as a folder, stops the run before
// anything.
TEST_F(Rename, UndoRefusesAFolderForItsRecord)
{
	make("a/abmf0010.16o");
	const Lines before = listing();
	const Result r = renamer({"-u", "a", "a"});
	EXPECT_EQ(r.out, "");
	EXPECT_EQ(r.err, "a: not read: Is a directory\n");
	EXPECT_EQ(r.status, 2);
	EXPECT_EQ(listing(), before);
}

// The plan carried out by rclone on a store it serves over WebDAV on this
// machine, sixteen moves at a time, none replacing an object; then the same
// plan turned round takes them back.
// A listing larger than the memory left is refused before anything else,
// not a crash.
TEST_F(Rename, ListingLargerThanMemoryRefused)
{
	if (access("/usr/bin/prlimit", X_OK) != 0)
		GTEST_SKIP() << "prlimit is missing";
#ifdef ORVANE_SANITIZE
	GTEST_SKIP() << "the sanitizers' shadow memory takes terabytes";
#endif
	std::ofstream("big");
	fs::resize_file("big", 48 << 20);
	const Result r = runArgv("/usr/bin/prlimit", {"prlimit", "--as=33554432", orvaneRenamePath, "-L", "big"});
	EXPECT_EQ(r.out, "");
	EXPECT_EQ(r.err, "big: not read: Cannot allocate memory\n");
	EXPECT_EQ(r.status, 2);
}

TEST_F(Rename, PlanCarriedOutByRcloneAndTakenBack)
{
	if (!exists("/usr/bin/rclone"))
		GTEST_SKIP() << "rclone is missing";
	for (const char *f : {"store/gnss/2016/001/abmf0010.16o", "store/gnss/2016/001/brux0010.16o.gz",
			      "store/gnss/2016/001/zimm0010.16o",
			      "store/gnss/2016/001/ZIMM00CHE_R_20160010000_01D_30S_MO.rnx",
			      "store/gnss/2021/032/zimm032b15.21o"})
		make(f);
	write("../rclone.conf", "");
	int err[2];
	ASSERT_EQ(pipe2(err, O_CLOEXEC), 0);
	const pid_t server = launch({"rclone", "--config", "../rclone.conf", "serve", "webdav", "store",
				     "--addr", "127.0.0.1:0"},
				    -1, err[1]);
	close(err[1]);
	// the server says where it listens once it does
	std::string url, log;
	for (char c; url.empty() && read(err[0], &c, 1) == 1;) {
		log += c;
		const std::size_t at = log.find("started on http://");
		if (c == '\n' && at != std::string::npos)
			url = log.substr(at + 11, log.size() - at - 12);
	}
	close(err[0]);
	ASSERT_FALSE(url.empty()) << log;
	const std::string remote = ":webdav,url='" + url + "':gnss";
	const std::string moves =
	    "xargs -0 -n 2 -P 16 sh -c 'rclone --config ../rclone.conf moveto --ignore-existing "
	    "\"$0/$1\" \"$0/$2\"' \"" + remote + "\" <../plan";
	const Result plan = runArgv(
	    "/bin/sh", {"sh", "-c",
			"rclone --config ../rclone.conf lsf -R --files-only \"" + remote + "\" | " +
			    orvaneRenamePath + " -L - -0 >../plan; " + moves});
	EXPECT_EQ(plan.status, 0) << plan.out;
	EXPECT_EQ(plan.err, "2016/001/zimm0010.16o: not renamed: "
			    "2016/001/ZIMM00CHE_R_20160010000_01D_30S_MO.rnx exists\n");
	EXPECT_EQ(listing(), (Lines{"store/gnss/2016/001/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: "
				    "store/gnss/2016/001/abmf0010.16o",
				    "store/gnss/2016/001/BRUX00BEL_R_20160010000_01D_30S_MO.rnx.gz: "
				    "store/gnss/2016/001/brux0010.16o.gz",
				    "store/gnss/2016/001/ZIMM00CHE_R_20160010000_01D_30S_MO.rnx: "
				    "store/gnss/2016/001/ZIMM00CHE_R_20160010000_01D_30S_MO.rnx",
				    "store/gnss/2016/001/zimm0010.16o: store/gnss/2016/001/zimm0010.16o",
				    "store/gnss/2021/032/ZIMM00CHE_R_20210320115_15M_01S_MO.rnx: "
				    "store/gnss/2021/032/zimm032b15.21o"}));
	const std::string forth = "\"$0/$1\" \"$0/$2\"";
	std::string back = moves;
	back.replace(back.find(forth), forth.size(), "\"$0/$2\" \"$0/$1\"");
	const Result undo = runArgv("/bin/sh", {"sh", "-c", back});
	EXPECT_EQ(undo.status, 0) << undo.err;
	kill(server, SIGTERM);
	waitFor(server);
	EXPECT_EQ(listing(), (Lines{"store/gnss/2016/001/ZIMM00CHE_R_20160010000_01D_30S_MO.rnx: "
				    "store/gnss/2016/001/ZIMM00CHE_R_20160010000_01D_30S_MO.rnx",
				    "store/gnss/2016/001/abmf0010.16o: store/gnss/2016/001/abmf0010.16o",
				    "store/gnss/2016/001/brux0010.16o.gz: store/gnss/2016/001/brux0010.16o.gz",
				    "store/gnss/2016/001/zimm0010.16o: store/gnss/2016/001/zimm0010.16o",
				    "store/gnss/2021/032/zimm032b15.21o: store/gnss/2021/032/zimm032b15.21o"}));
}

} // namespace
