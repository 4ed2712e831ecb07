// orvane-rename over made trees: what it renames, what it leaves and says,
// and its exit status. Every file holds its first name, so a listing shows
// what went where.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "run.h"

namespace
{

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const char usageLine[] = "usage: orvane-rename [-n] [-R | -S] [-s suffix] path ...\n";

// Each test runs in a folder of its own.
class Rename : public ::testing::Test
{
      protected:
	void SetUp() override
	{
		char tmpl[] = "/tmp/orvane-rename-XXXXXX";
		ASSERT_NE(mkdtemp(tmpl), nullptr);
		top = tmpl;
		ASSERT_EQ(chdir(tmpl), 0);
	}
	void TearDown() override
	{
		EXPECT_EQ(chdir("/"), 0);
		fs::remove_all(top);
	}
	fs::path top;
};

void make(const std::string &path)
{
	const fs::path folder = fs::path(path).parent_path();
	if (!folder.empty())
		fs::create_directories(folder);
	std::ofstream(path) << path;
}

// "path: content" of every file below the current folder; "path -> target"
// of every link.
Lines listing()
{
	Lines files;
	for (const auto &e : fs::recursive_directory_iterator(".")) {
		const std::string path = e.path().lexically_relative(".").string();
		if (e.is_symlink()) {
			files.push_back(path + " -> " + fs::read_symlink(e.path()).string());
		} else if (e.is_regular_file()) {
			std::ostringstream content;
			content << std::ifstream(e.path()).rdbuf();
			files.push_back(path + ": " + content.str());
		}
	}
	std::sort(files.begin(), files.end());
	return files;
}

// The lines of a walk come in the folders' order: compare them sorted. A
// name with a newline splits alike in what is expected and what is printed.
Lines sorted(const std::string &text)
{
	Lines lines;
	std::istringstream in(text);
	for (std::string line; std::getline(in, line);)
		lines.push_back(line);
	std::sort(lines.begin(), lines.end());
	return lines;
}

std::string joined(const Lines &lines)
{
	std::string text;
	for (const std::string &line : lines)
		text += line + "\n";
	return text;
}

Result renamer(const Lines &args)
{
	Lines argv{"orvane-rename"};
	argv.insert(argv.end(), args.begin(), args.end());
	return runArgv(orvaneRenamePath, argv);
}

// Nested folders, each compression suffix, hourly and 15-minute names, names
// refused by orvane, a name that is no short name, a collision, a folder name
// with a newline, and a link out of the tree that must not be followed.
const Lines tree = {
    "tree/2016/001/abmf0010.16d.Z",
    "tree/2016/001/brux001a.16n.gz",
    "tree/2016/001/zimm001a15.21o.bz2",
    "tree/2016/001/algo3650.23o",
    "tree/2016/001/xxxx0010.16o",
    "tree/2016/001/ABMF0020.16O",
    "tree/2016/001/README",
    "tree/2016/001/abmf0010.16o.txt",
    "tree/2020/gope0010.20o",
    "tree/2020/GOPE00CZE_R_20200010000_01D_30S_MO.rnx",
    "tree/new\nline/wtzr0010.16o",
    "outside/bjfs0010.16o",
};

const Lines treeRenames = {
    "tree/2016/001/abmf0010.16d.Z -> tree/2016/001/ABMF00GLP_R_20160010000_01D_30S_MO.crx.Z",
    "tree/2016/001/brux001a.16n.gz -> tree/2016/001/BRUX00BEL_R_20160010000_01H_GN.rnx.gz",
    "tree/2016/001/zimm001a15.21o.bz2 -> tree/2016/001/ZIMM00CHE_R_20210010015_15M_01S_MO.rnx.bz2",
    "tree/2016/001/algo3650.23o -> tree/2016/001/ALGO00CAN_R_20233650000_01D_30S_MO.rnx",
    "tree/new\nline/wtzr0010.16o -> tree/new\nline/WTZR00DEU_R_20160010000_01D_30S_MO.rnx",
};

const Lines treeLeft = {
    "tree/2016/001/xxxx0010.16o: not renamed: Station Name not found",
    "tree/2016/001/ABMF0020.16O: not renamed: File extension not supported",
    "tree/2020/gope0010.20o: not renamed: tree/2020/GOPE00CZE_R_20200010000_01D_30S_MO.rnx exists",
};

void makeTree()
{
	for (const std::string &f : tree)
		make(f);
	fs::create_directory_symlink("../outside", "tree/link");
}

TEST_F(Rename, TreeRenamedInPlaceLeavingWhatOrvaneRefuses)
{
	makeTree();
	const Result r = renamer({"tree"});
	EXPECT_EQ(sorted(r.out), sorted(joined(treeRenames)));
	EXPECT_EQ(sorted(r.err), sorted(joined(treeLeft)));
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(
	    listing(),
	    (Lines{
		"outside/bjfs0010.16o: outside/bjfs0010.16o",
		"tree/2016/001/ABMF0020.16O: tree/2016/001/ABMF0020.16O",
		"tree/2016/001/ABMF00GLP_R_20160010000_01D_30S_MO.crx.Z: tree/2016/001/abmf0010.16d.Z",
		"tree/2016/001/ALGO00CAN_R_20233650000_01D_30S_MO.rnx: tree/2016/001/algo3650.23o",
		"tree/2016/001/BRUX00BEL_R_20160010000_01H_GN.rnx.gz: tree/2016/001/brux001a.16n.gz",
		"tree/2016/001/README: tree/2016/001/README",
		"tree/2016/001/ZIMM00CHE_R_20210010015_15M_01S_MO.rnx.bz2: tree/2016/001/zimm001a15.21o.bz2",
		"tree/2016/001/abmf0010.16o.txt: tree/2016/001/abmf0010.16o.txt",
		"tree/2016/001/xxxx0010.16o: tree/2016/001/xxxx0010.16o",
		"tree/2020/GOPE00CZE_R_20200010000_01D_30S_MO.rnx: tree/2020/GOPE00CZE_R_20200010000_01D_30S_MO.rnx",
		"tree/2020/gope0010.20o: tree/2020/gope0010.20o",
		"tree/link -> ../outside",
		"tree/new\nline/WTZR00DEU_R_20160010000_01D_30S_MO.rnx: tree/new\nline/wtzr0010.16o",
	    }));
}

TEST_F(Rename, DryRunSaysTheSameAndChangesNothing)
{
	makeTree();
	const Lines before = listing();
	const Result r = renamer({"-n", "tree"});
	EXPECT_EQ(sorted(r.out), sorted(joined(treeRenames)));
	EXPECT_EQ(sorted(r.err), sorted(joined(treeLeft)));
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(listing(), before);
}

// Runs over one folder: the files made, the arguments, then what is printed,
// the status, and the folder after the run.
const struct {
	Lines files, args;
	std::string out, err;
	int status;
	Lines after;
} runs[] = {
    {{"xxxx0010.16o"},
     {"-s", "00ITA", "xxxx0010.16o"},
     "xxxx0010.16o -> XXXX00ITA_R_20160010000_01D_30S_MO.rnx\n",
     "",
     0,
     {"XXXX00ITA_R_20160010000_01D_30S_MO.rnx: xxxx0010.16o"}},
    {{"d/xxxx001a15.16d.gz"},
     {"-S", "-s", "00ITA", "d/xxxx001a15.16d.gz"},
     "d/xxxx001a15.16d.gz -> d/XXXX00ITA_S_20160010015_15M_01S_MO.crx.gz\n",
     "",
     0,
     {"d/XXXX00ITA_S_20160010015_15M_01S_MO.crx.gz: d/xxxx001a15.16d.gz"}},
    // orvane prints a suffix as typed: a slash in it is refused, not followed
    {{"xxxx0010.16o"},
     {"-s", "0/../", "xxxx0010.16o"},
     "",
     "xxxx0010.16o: not renamed: XXXX0/../_R_20160010000_01D_30S_MO.rnx would leave the folder\n",
     1,
     {"xxxx0010.16o: xxxx0010.16o"}},
    // a file named is a candidate whatever its name; orvane has the last word
    {{"notes.txt"},
     {"notes.txt"},
     "",
     "notes.txt: not renamed: Input filename not recognized\n",
     1,
     {"notes.txt: notes.txt"}},
    // names hold any byte but the slash and NUL
    {{"a b'c/abmf0010.16o"},
     {"a b'c"},
     "a b'c/abmf0010.16o -> a b'c/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     "",
     0,
     {"a b'c/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: a b'c/abmf0010.16o"}},
    {{"\xe9q\xffz0010.16o"},
     {"-s", "00FRA", "\xe9q\xffz0010.16o"},
     "\xe9q\xffz0010.16o -> \xe9Q\xffZ00FRA_R_20160010000_01D_30S_MO.rnx\n",
     "",
     0,
     {"\xe9Q\xffZ00FRA_R_20160010000_01D_30S_MO.rnx: \xe9q\xffz0010.16o"}},
    {{"-xyz0010.16o"},
     {"-s", "00ITA", "--", "-xyz0010.16o"},
     "-xyz0010.16o -> -XYZ00ITA_R_20160010000_01D_30S_MO.rnx\n",
     "",
     0,
     {"-XYZ00ITA_R_20160010000_01D_30S_MO.rnx: -xyz0010.16o"}},
    {{"--version"},
     {"--", "--version"},
     "",
     "--version: not renamed: Input filename not recognized\n",
     1,
     {"--version: --version"}},
    {{}, {"nowhere"}, "", "nowhere: not renamed: No such file or directory\n", 1, {}},
    {{"abmf0010.16o"},
     {"-x", "abmf0010.16o"},
     "",
     std::string("orvane-rename: unknown option '-x'\n") + usageLine,
     2,
     {"abmf0010.16o: abmf0010.16o"}},
    {{}, {"-s"}, "", std::string("orvane-rename: option '-s' needs a suffix\n") + usageLine, 2, {}},
    {{}, {}, "", usageLine, 2, {}},
};

TEST_F(Rename, SingleRunsAsTabled)
{
	for (const auto &c : runs) {
		const std::string where = ::testing::PrintToString(c.args);
		for (const std::string &f : c.files)
			make(f);
		const Result r = renamer(c.args);
		EXPECT_EQ(r.out, c.out) << where;
		EXPECT_EQ(r.err, c.err) << where;
		EXPECT_EQ(r.status, c.status) << where;
		EXPECT_EQ(listing(), c.after) << where;
		for (const auto &e : fs::directory_iterator("."))
			fs::remove_all(e.path());
	}
}

} // namespace
