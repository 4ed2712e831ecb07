// orvane-rename over made trees: what it renames, what it leaves and says,
// and its exit status. Every file holds its first name, so a listing shows
// what went where. Then one small scenario for each promise that a race, a
// signal or a file system puts to the test.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "folder.h"
#include "run.h"

namespace
{

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const char usageLine[] =
    "usage: orvane-rename [-0Hn] [-j jobs] [-R | -S] [-s suffix] [-c list]... path ...\n"
    "       orvane-rename -2 [-0n] [-j jobs] path ...\n";

// Each test runs in a folder of its own.
class Rename : public InOwnFolder<>
{
};

// A file holding its own path, or as listing() shows them, a file
// "name: content" or a link "name -> target".
void make(const std::string &path)
{
	const size_t arrow = path.find(" -> "), colon = path.find(": ");
	const std::string name = path.substr(0, std::min(arrow, colon));
	const fs::path folder = fs::path(name).parent_path();
	if (!folder.empty())
		fs::create_directories(folder);
	if (arrow != std::string::npos)
		fs::create_symlink(path.substr(arrow + 4), name);
	else
		std::ofstream(name) << (colon != std::string::npos ? path.substr(colon + 2) : path);
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

// Lines in byte order, for runs whose order is not fixed (-j).
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
// with a newline, and links out of the tree that must not be followed.
const Lines tree = {
    "tree/2016/001/abmf0010.16d.Z",
    "tree/2016/001/brux001a.16n.gz",
    "tree/2016/001/zimm001a15.21o.bz2",
    "tree/2016/001/algo3650.23o",
    "tree/2016/001/xxxx0010.16o",
    "tree/2016/001/ABMF0020.16O",
    "tree/2016/001/README",
    "tree/2016/001/abmf0010.16o.txt",
    "tree/2016/001/bjfs0010.16o -> ../../../outside/bjfs0010.16o",
    "tree/2020/gope0010.20o",
    "tree/2020/GOPE00CZE_R_20200010000_01D_30S_MO.rnx",
    "tree/link -> ../outside",
    "tree/new\nline/wtzr0010.16o",
    "outside/bjfs0010.16o",
};

// Folders and names in byte order, whatever the file system's order.
const Lines treeRenames = {
    "tree/2016/001/abmf0010.16d.Z -> tree/2016/001/ABMF00GLP_R_20160010000_01D_30S_MO.crx.Z",
    "tree/2016/001/algo3650.23o -> tree/2016/001/ALGO00CAN_R_20233650000_01D_30S_MO.rnx",
    "tree/2016/001/brux001a.16n.gz -> tree/2016/001/BRUX00BEL_R_20160010000_01H_GN.rnx.gz",
    "tree/2016/001/zimm001a15.21o.bz2 -> tree/2016/001/ZIMM00CHE_R_20210010015_15M_01S_MO.rnx.bz2",
    "tree/new\nline/wtzr0010.16o -> tree/new\nline/WTZR00DEU_R_20160010000_01D_30S_MO.rnx",
};

const Lines treeLeft = {
    "tree/2016/001/ABMF0020.16O: not renamed: File extension not supported",
    "tree/2016/001/xxxx0010.16o: not renamed: Station Name not found",
    "tree/2020/gope0010.20o: not renamed: tree/2020/GOPE00CZE_R_20200010000_01D_30S_MO.rnx exists",
};

const Lines treeAfter = {
    "outside/bjfs0010.16o: outside/bjfs0010.16o",
    "tree/2016/001/ABMF0020.16O: tree/2016/001/ABMF0020.16O",
    "tree/2016/001/ABMF00GLP_R_20160010000_01D_30S_MO.crx.Z: tree/2016/001/abmf0010.16d.Z",
    "tree/2016/001/ALGO00CAN_R_20233650000_01D_30S_MO.rnx: tree/2016/001/algo3650.23o",
    "tree/2016/001/BRUX00BEL_R_20160010000_01H_GN.rnx.gz: tree/2016/001/brux001a.16n.gz",
    "tree/2016/001/README: tree/2016/001/README",
    "tree/2016/001/ZIMM00CHE_R_20210010015_15M_01S_MO.rnx.bz2: tree/2016/001/zimm001a15.21o.bz2",
    "tree/2016/001/abmf0010.16o.txt: tree/2016/001/abmf0010.16o.txt",
    "tree/2016/001/bjfs0010.16o -> ../../../outside/bjfs0010.16o",
    "tree/2016/001/xxxx0010.16o: tree/2016/001/xxxx0010.16o",
    "tree/2020/GOPE00CZE_R_20200010000_01D_30S_MO.rnx: tree/2020/GOPE00CZE_R_20200010000_01D_30S_MO.rnx",
    "tree/2020/gope0010.20o: tree/2020/gope0010.20o",
    "tree/link -> ../outside",
    "tree/new\nline/WTZR00DEU_R_20160010000_01D_30S_MO.rnx: tree/new\nline/wtzr0010.16o",
};

void makeTree()
{
	for (const std::string &f : tree)
		make(f);
}

TEST_F(Rename, TreeRenamedInPlaceLeavingWhatOrvaneRefuses)
{
	makeTree();
	const Result r = renamer({"tree"});
	EXPECT_EQ(r.out, joined(treeRenames));
	EXPECT_EQ(r.err, joined(treeLeft));
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(listing(), treeAfter);
}

TEST_F(Rename, DryRunSaysTheSameAndChangesNothing)
{
	makeTree();
	const Lines before = listing();
	const Result r = renamer({"-n", "tree"});
	EXPECT_EQ(r.out, joined(treeRenames));
	EXPECT_EQ(r.err, joined(treeLeft));
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
    // two candidates that would take one name: -n foresees what the run meets
    {{"abmf0010.16o", "abmf0011.16o"},
     {"-n", "."},
     "./abmf0010.16o -> ./ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     "./abmf0011.16o: not renamed: ./ABMF00GLP_R_20160010000_01D_30S_MO.rnx exists\n",
     1,
     {"abmf0010.16o: abmf0010.16o", "abmf0011.16o: abmf0011.16o"}},
    {{"abmf0010.16o", "abmf0011.16o"},
     {"."},
     "./abmf0010.16o -> ./ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     "./abmf0011.16o: not renamed: ./ABMF00GLP_R_20160010000_01D_30S_MO.rnx exists\n",
     1,
     {"ABMF00GLP_R_20160010000_01D_30S_MO.rnx: abmf0010.16o", "abmf0011.16o: abmf0011.16o"}},
    // -0: pairs of NUL-terminated paths, for paths that hold newlines
    {{"d/abmf0010.16o"},
     {"-0", "d"},
     std::string("d/abmf0010.16o\0d/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\0", 56),
     "",
     0,
     {"d/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: d/abmf0010.16o"}},
    // a PATH that is a link is followed, as find -H does; links below it are not
    {{"real/abmf0010.16o", "arch -> real", "real/in -> ../other", "other/brux0010.16o"},
     {"arch"},
     "arch/abmf0010.16o -> arch/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     "",
     0,
     {"arch -> real", "other/brux0010.16o: other/brux0010.16o",
      "real/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: real/abmf0010.16o", "real/in -> ../other"}},
    // PATHs that overlap: a folder is walked once in a run, and one entry is
    // one candidate, handled where a PATH first reaches it; -n shows it once
    {{"t/s/abmf0010.16o"},
     {"t/s", "t"},
     "t/s/abmf0010.16o -> t/s/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     "",
     0,
     {"t/s/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: t/s/abmf0010.16o"}},
    {{"t/s/abmf0010.16o"},
     {"-n", "t/s", "t"},
     "t/s/abmf0010.16o -> t/s/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     "",
     0,
     {"t/s/abmf0010.16o: t/s/abmf0010.16o"}},
    {{"t/abmf0010.16o"},
     {"-n", "t", "t/abmf0010.16o"},
     "t/abmf0010.16o -> t/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     "",
     0,
     {"t/abmf0010.16o: t/abmf0010.16o"}},
    {{"t/abmf0010.16o"},
     {"t", "t/abmf0010.16o"},
     "t/abmf0010.16o -> t/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     "",
     0,
     {"t/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: t/abmf0010.16o"}},
    // a name given out in a folder is taken however a later PATH reaches it
    {{"t/abmf0010.16o", "t/abmf0011.16o"},
     {"-n", "t/abmf0010.16o", "./t/abmf0011.16o"},
     "t/abmf0010.16o -> t/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     "./t/abmf0011.16o: not renamed: ./t/ABMF00GLP_R_20160010000_01D_30S_MO.rnx exists\n",
     1,
     {"t/abmf0010.16o: t/abmf0010.16o", "t/abmf0011.16o: t/abmf0011.16o"}},
    {{"t/abmf0010.16o", "t/abmf0011.16o"},
     {"-n", "t/abmf0011.16o", "t"},
     "t/abmf0011.16o -> t/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     "t/abmf0010.16o: not renamed: t/ABMF00GLP_R_20160010000_01D_30S_MO.rnx exists\n",
     1,
     {"t/abmf0010.16o: t/abmf0010.16o", "t/abmf0011.16o: t/abmf0011.16o"}},
    // a folder named with a slash at its end is printed with one slash
    {{"t/abmf0010.16o"},
     {"t/"},
     "t/abmf0010.16o -> t/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     "",
     0,
     {"t/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: t/abmf0010.16o"}},
    // a link named is renamed itself, even one that leads nowhere or to itself
    {{"brux0010.16o -> nowhere", "zimm0010.16o -> zimm0010.16o"},
     {"brux0010.16o", "zimm0010.16o"},
     "brux0010.16o -> BRUX00BEL_R_20160010000_01D_30S_MO.rnx\n"
     "zimm0010.16o -> ZIMM00CHE_R_20160010000_01D_30S_MO.rnx\n",
     "",
     0,
     {"BRUX00BEL_R_20160010000_01D_30S_MO.rnx -> nowhere",
      "ZIMM00CHE_R_20160010000_01D_30S_MO.rnx -> zimm0010.16o"}},
    // options come first: "archive -n" must not rename the archive for real
    {{"abmf0010.16o"},
     {"abmf0010.16o", "-n"},
     "",
     std::string("orvane-rename: option '-n' after a path: options come first\n") + usageLine,
     2,
     {"abmf0010.16o: abmf0010.16o"}},
    // a list's name before the catalogue's, and before -s
    {{"a/abmf0010.16o", "a/xxxx0010.16o", "l: ABMF01FRA XXXX00ITA"},
     {"-s", "00GLP", "-c", "l", "a"},
     "a/abmf0010.16o -> a/ABMF01FRA_R_20160010000_01D_30S_MO.rnx\n"
     "a/xxxx0010.16o -> a/XXXX00ITA_R_20160010000_01D_30S_MO.rnx\n",
     "",
     0,
     {"a/ABMF01FRA_R_20160010000_01D_30S_MO.rnx: a/abmf0010.16o",
      "a/XXXX00ITA_R_20160010000_01D_30S_MO.rnx: a/xxxx0010.16o", "l: ABMF01FRA XXXX00ITA"}},
    // the lists are checked before anything is renamed
    {{"a/abmf0010.16o", "l: ABMF00GLP", "m: ZIMM00CHE\nABMF01GLP"},
     {"-c", "l", "-c", "m", "a"},
     "",
     "m:2: 'ABMF01GLP' conflicts with 'ABMF00GLP' of l:1\n",
     2,
     {"a/abmf0010.16o: a/abmf0010.16o", "l: ABMF00GLP", "m: ZIMM00CHE\nABMF01GLP"}},
    // -2: long names back to short ones; what has none is refused, and of two
    // that give one, the second in byte order is left
    {{"r/ABMF00GLP_R_20160010000_01D_30S_MO.rnx", "r/ABMF00GLP_R_20160010000_59M_30S_MO.rnx",
      "r/ABMF01GLP_S_20160010000_01D_30S_MO.rnx", "r/BRUX00BEL_R_20183101900_01H_30S_MO.crx.gz",
      "r/ZIMM00CHE_R_20210320115_15M_01S_MO.rnx"},
     {"-2", "r"},
     "r/ABMF00GLP_R_20160010000_01D_30S_MO.rnx -> r/abmf0010.16o\n"
     "r/BRUX00BEL_R_20183101900_01H_30S_MO.crx.gz -> r/brux310t.18d.gz\n"
     "r/ZIMM00CHE_R_20210320115_15M_01S_MO.rnx -> r/zimm032b15.21o\n",
     "r/ABMF00GLP_R_20160010000_59M_30S_MO.rnx: not renamed: period 59M has no short name\n"
     "r/ABMF01GLP_S_20160010000_01D_30S_MO.rnx: not renamed: r/abmf0010.16o exists\n",
     1,
     {"r/ABMF00GLP_R_20160010000_59M_30S_MO.rnx: r/ABMF00GLP_R_20160010000_59M_30S_MO.rnx",
      "r/ABMF01GLP_S_20160010000_01D_30S_MO.rnx: r/ABMF01GLP_S_20160010000_01D_30S_MO.rnx",
      "r/abmf0010.16o: r/ABMF00GLP_R_20160010000_01D_30S_MO.rnx",
      "r/brux310t.18d.gz: r/BRUX00BEL_R_20183101900_01H_30S_MO.crx.gz",
      "r/zimm032b15.21o: r/ZIMM00CHE_R_20210320115_15M_01S_MO.rnx"}},
    {{"notes.txt"},
     {"-2", "notes.txt"},
     "",
     "notes.txt: not renamed: not a RINEX 3 long name\n",
     1,
     {"notes.txt: notes.txt"}},
    {{},
     {"-2", "-s", "00ITA", "x"},
     "",
     std::string("orvane-rename: option '-s' does not go with '-2'\n") + usageLine,
     2,
     {}},
    {{},
     {"-2", "-H", "x"},
     "",
     std::string("orvane-rename: option '-H' does not go with '-2'\n") + usageLine,
     2,
     {}},
    // the years 81 to 99 are 1981 to 1999, which orvane refuses; 80 is 2080
    {{"abmf0010.80o", "abmf0010.81o", "abmf0010.99d.gz"},
     {"."},
     "./abmf0010.80o -> ./ABMF00GLP_R_20800010000_01D_30S_MO.rnx\n"
     "./abmf0010.81o -> ./ABMF00GLP_R_19810010000_01D_30S_MO.rnx\n"
     "./abmf0010.99d.gz -> ./ABMF00GLP_R_19990010000_01D_30S_MO.crx.gz\n",
     "",
     0,
     {"ABMF00GLP_R_19810010000_01D_30S_MO.rnx: abmf0010.81o",
      "ABMF00GLP_R_19990010000_01D_30S_MO.crx.gz: abmf0010.99d.gz",
      "ABMF00GLP_R_20800010000_01D_30S_MO.rnx: abmf0010.80o"}},
    // -H reads no link, not even one named; the run ends with a count
    {{"brux0010.16o -> nowhere"},
     {"-H", "brux0010.16o"},
     "",
     "brux0010.16o: not renamed: symbolic link, not read\n"
     "orvane-rename: 1 file left: 1 symbolic link, not read\n",
     1,
     {"brux0010.16o -> nowhere"}},
    {{"l: ABMF00GLP"},
     {"-2", "-c", "l", "x"},
     "",
     std::string("orvane-rename: option '-c' does not go with '-2'\n") + usageLine,
     2,
     {"l: ABMF00GLP"}},
    {{},
     {"-j", "257", "x"},
     "",
     std::string("orvane-rename: option '-j' takes 1 to 256, not '257'\n") + usageLine,
     2,
     {}},
    {{},
     {"-j", "8x", "x"},
     "",
     std::string("orvane-rename: option '-j' takes 1 to 256, not '8x'\n") + usageLine,
     2,
     {}},
    // after "--" a path may begin with a dash, even after another path
    {{"a/abmf0010.16o", "-b/brux0010.16o"},
     {"--", "a", "-b"},
     "a/abmf0010.16o -> a/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n"
     "-b/brux0010.16o -> -b/BRUX00BEL_R_20160010000_01D_30S_MO.rnx\n",
     "",
     0,
     {"-b/BRUX00BEL_R_20160010000_01D_30S_MO.rnx: -b/brux0010.16o",
      "a/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: a/abmf0010.16o"}},
    {{},
     {"--help"},
     std::string(usageLine) +
	 "\n"
	 "  -0          print each rename as old path, NUL, new path, NUL\n"
	 "  -2          rename RINEX 3 long names back to RINEX 2 short ones\n"
	 "  -c list     take station names from a list, site log or folder; repeatable\n"
	 "  -H          read each file's header: check it, and name its sampling rate\n"
	 "  -j jobs     keep up to jobs folders in work at once, 1 to 256 (default 1)\n"
	 "  -n          change nothing: print what the run would do\n"
	 "  -R          the data come from a receiver (the default)\n"
	 "  -S          the data come from a stream\n"
	 "  -s suffix   monument, receiver, country (as 00ITA) for stations no list names\n"
	 "  -h, --help  print this help and exit\n"
	 "  --version   print the version and exit\n"
	 "\n"
	 "See orvane-rename(1) for station lists, messages and exit statuses.\n",
     "",
     0,
     {}},
    {{}, {"--version"}, "orvane-rename version 16158.\n", "", 0, {}},
    {{},
     {"--bogus"},
     "",
     std::string("orvane-rename: unknown option '--bogus'\n") + usageLine,
     2,
     {}},
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

// ---- scenarios ----

// LeakSanitizer cannot work under strace; the other tests look for leaks.
const char noLeakCheck[] = "ASAN_OPTIONS=detect_leaks=0";

bool exists(const char *program)
{
	return access(program, X_OK) == 0;
}

// The renamer started and left running, standard output into out (or as the
// test's own when out is -1), standard error discarded.
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

// Everything until the writers close it.
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

// Short names of catalogue stations, count of them (up to 10,980), in byte
// order.
Lines shortNames(size_t count)
{
	static const char *const stations[] = {"abmf", "algo", "brux", "gope", "wtzr", "zimm"};
	Lines names;
	for (const char *s : stations)
		for (int day = 1; day <= 366; day++)
			for (int year = 16; year <= 20 && names.size() < count; year++) {
				char name[32];
				snprintf(name, sizeof name, "%s%03d0.%02do", s, day, year);
				names.push_back(name);
			}
	return names;
}

size_t countNames(const std::string &folder, const std::string &ending)
{
	size_t n = 0;
	for (const auto &e : fs::recursive_directory_iterator(folder))
		n += e.path().string().size() >= ending.size() &&
		     e.path().string().compare(e.path().string().size() - ending.size(),
					       ending.size(), ending) == 0;
	return n;
}

bool isRoot()
{
	return geteuid() == 0;
}

// A program started with descriptors of the test's own as its standard
// output and error (-1: /dev/null) and as its descriptor 3 (-1: none).
pid_t launch(const Lines &argv, int out, int err, int three = -1)
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

Lines linesOf(const std::string &text)
{
	Lines lines;
	std::istringstream in(text);
	for (std::string line; std::getline(in, line);)
		lines.push_back(line);
	return lines;
}

// The renamer under strace, stopped by a SIGSTOP that strace injects after
// each system call the injections name, so that the test changes the tree
// at that very point of the run and then lets it go on.
class Stopped
{
      public:
	Stopped(const Lines &injections, const Lines &args)
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
	// false when the run ended instead
	bool stopped()
	{
		char line[4096];
		while (fgets(line, sizeof line, strace) != nullptr)
			if (strstr(line, "--- stopped by SIGSTOP ---") != nullptr) {
				pid = atoi(line);
				return true;
			}
		return false;
	}
	void resume() { kill(pid, SIGCONT); }
	Result finish()
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
	pid_t pid = 0;

      private:
	pid_t tracer;
	int out[2], err[2];
	FILE *strace;
};

// A file system of its own at a new folder, for the test alone: a tmpfs
// mounted with the options given, or an ext4 image made with them; root
// only.
class Mounted
{
      public:
	Mounted(const std::string &folder, const std::string &type, const Lines &options)
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
	~Mounted()
	{
		if (why.empty())
			runArgv("/bin/umount", {"umount", at});
		fs::remove(at + ".img");
	}
	std::string why; // empty once mounted
	const std::string at;
};

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

// -n foresees what the run meets in a folder as a whole: a read-only mount,
// a folder the user may not write, a sticky folder's file of another
// user's. Each case as root and as nobody, with -n and for real.
TEST_F(Rename, DryRunForeseesWhatTheRunMeets)
{
	if (!isRoot() || !exists("/usr/bin/setpriv"))
		GTEST_SKIP() << "needs root, and setpriv to drop it";
	make("ro/abmf0010.16o");
	make("closed/abmf0010.16o");
	make("sticky/abmf0010.16o");
	ASSERT_EQ(chmod(".", 0755), 0);
	ASSERT_EQ(chmod("closed", 0555), 0);
	ASSERT_EQ(chmod("sticky", 01777), 0);
	const bool ro = runArgv("/bin/mount", {"mount", "--bind", "ro", "ro"}).status == 0 &&
			runArgv("/bin/mount", {"mount", "-o", "remount,bind,ro", "ro"}).status == 0;
	const Lines nobody = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
	const struct {
		const char *folder;
		bool asNobody;
		std::string err;
	} cases[] = {
	    {"ro", false, "ro/abmf0010.16o: not renamed: Read-only file system\n"},
	    {"closed", true, "closed/abmf0010.16o: not renamed: Permission denied\n"},
	    {"sticky", true, "sticky/abmf0010.16o: not renamed: Operation not permitted\n"},
	};
	for (const auto &c : cases) {
		if (!ro && std::string(c.folder) == "ro")
			continue;
		for (const char *dry : {"-n", "--"}) {
			Lines argv = c.asNobody ? nobody : Lines{};
			argv.insert(argv.end(), {orvaneRenamePath, dry, c.folder});
			const Result r = runArgv(argv[0], argv);
			EXPECT_EQ(r.out, "") << c.folder << " " << dry;
			EXPECT_EQ(r.err, c.err) << c.folder << " " << dry;
			EXPECT_EQ(r.status, 1) << c.folder << " " << dry;
		}
	}
	if (ro)
		runArgv("/bin/umount", {"umount", "ro"});
	EXPECT_EQ(countNames(".", ".rnx"), 0u);
	if (!ro)
		GTEST_SKIP() << "no read-only bind mount here";
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

// The progress line in a real terminal, 50 columns wide: at its foot while
// the run goes on, never wrapped, never mixed into a line of the record or a
// message, and gone at the end.
TEST_F(Rename, ProgressLineStaysAtTheFootOfATerminal)
{
	if (!exists("/usr/bin/tmux") || !exists("/usr/bin/strace"))
		GTEST_SKIP() << "tmux or strace is missing";
	for (int d = 0; d < 4; d++)
		for (const std::string &n : shortNames(60))
			make("p/" + std::to_string(d) + "/" + n);
	make("p/2/xxxx0010.16o");
	const std::string session = "orvane-rename-" + std::to_string(getpid());
	const std::string command = "cd " + top.string() + " && strace -f -qq -o /dev/null -E " +
				    std::string(noLeakCheck) +
				    " --seccomp-bpf -e trace=renameat2 "
				    "-e inject=renameat2:delay_exit=3000 " +
				    orvaneRenamePath + " p; echo END $?; sleep 60";
	ASSERT_EQ(runArgv("/usr/bin/tmux", {"tmux", "new-session", "-d", "-s", session, "-x", "50",
					    "-y", "12", command})
		      .status,
		  0);
	// cut to the width, so any part of "N folders, N candidates, N renamed, N left, N/s"
	const std::regex progress("[0-9]+ folders,[0-9a-z, /]*");
	const std::regex rename(
	    "p/[0-3]/[a-z]{4}[0-9]{4}\\.[0-9]{2}o -> p/[0-3]/[A-Z]{4}00[A-Z]{3}_R_20[0-9]{5}0000_01D_30S_MO\\.rnx");
	bool seen = false, ended = false;
	for (int i = 0; i < 200 && !ended; i++) {
		std::this_thread::sleep_for(std::chrono::milliseconds(50));
		const Lines screen = sorted(
		    runArgv("/usr/bin/tmux", {"tmux", "capture-pane", "-p", "-J", "-t", session})
			.out);
		for (const std::string &line : screen) {
			ended = ended || line.compare(0, 4, "END ") == 0;
			if (line.find("folders,") != std::string::npos) {
				EXPECT_TRUE(std::regex_match(line, progress)) << line;
				EXPECT_LT(line.size(), 50u) << line;
				seen = true;
			} else if (line.find(" -> ") != std::string::npos) {
				EXPECT_TRUE(std::regex_match(line, rename)) << line;
			} else if (line.find("xxxx") != std::string::npos) {
				EXPECT_EQ(line,
					  "p/2/xxxx0010.16o: not renamed: Station Name not found");
			}
		}
	}
	const std::string last =
	    runArgv("/usr/bin/tmux", {"tmux", "capture-pane", "-p", "-J", "-t", session}).out;
	runArgv("/usr/bin/tmux", {"tmux", "kill-session", "-t", session});
	EXPECT_TRUE(ended) << last;
	EXPECT_TRUE(seen) << last;
	EXPECT_EQ(last.find("folders,"), std::string::npos) << last;
	EXPECT_NE(last.find("END 1"), std::string::npos) << last;
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

// The walk is deep, its ancestors' descriptors closed for want of more, when
// a folder in the middle is moved away and another takes its place: the
// walk finds the folder it left by name, checked by device and inode, and
// renames its last files there, not in the folder it came back through.
TEST_F(Rename, FolderClosedForWantOfDescriptorsIsFoundAgain)
{
	if (!exists("/usr/bin/strace") || !exists("/usr/bin/prlimit"))
		GTEST_SKIP() << "strace or prlimit is missing";
	std::string deep = "d/a/b";
	for (int level = 0; level < 12; level++)
		deep += "/" + std::to_string(level);
	make(deep + "/brux0010.16o");
	make("d/a/zimm0010.16o"); // after b in byte order
	make("moved/zimm0010.16o");
	Stopped run({"-P", "brux0010.16o", "-e", "trace=renameat2", "-e",
		     "inject=renameat2:signal=SIGSTOP:when=1"},
		    {"/usr/bin/prlimit", "--nofile=20:20", orvaneRenamePath, "d"});
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

// Two file systems whose roots share an inode number, and that give no birth
// times, are two folders.
TEST_F(Rename, RootsOfTwoFileSystemsAreTwoFolders)
{
	const Mounted one("one", "ext4", {"-I", "128"}), two("two", "ext4", {"-I", "128"});
	if (!one.why.empty() || !two.why.empty())
		GTEST_SKIP() << one.why << two.why;
	make("one/abmf0010.16o");
	make("two/abmf0010.16o");
	const Result r = renamer({"-n", "one", "two"});
	EXPECT_EQ(r.out, "one/abmf0010.16o -> one/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n"
			 "two/abmf0010.16o -> two/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n");
	EXPECT_EQ(r.err, "");
	EXPECT_EQ(r.status, 0);
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

} // namespace
