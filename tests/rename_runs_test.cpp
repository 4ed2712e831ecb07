// orvane-rename over made trees: what it renames, what it leaves and says,
// and its exit status, run by run. Every file holds its first name, so a
// listing shows what went where.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "support/run.h"
#include "support/messages.h"
#include "support/tree.h"

namespace
{

const char *const usageLine = renamerUsage;

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

// A run over one folder: the files made, the arguments, then what is
// printed, the status, and the folder after the run. Its name names the
// test, so that one run can be run alone.
struct Case {
	const char *name;
	Lines files, args;
	std::string out, err;
	int status;
	Lines after;
};

void PrintTo(const Case &c, std::ostream *os)
{
	*os << c.name;
}

const Case runs[] = {
    {.name = "SuffixForAStationNoListNames",
     .files = {"xxxx0010.16o"},
     .args = {"-s", "00ITA", "xxxx0010.16o"},
     .out = "xxxx0010.16o -> XXXX00ITA_R_20160010000_01D_30S_MO.rnx\n",
     .err = "",
     .status = 0,
     .after = {"XXXX00ITA_R_20160010000_01D_30S_MO.rnx: xxxx0010.16o"}},
    {.name = "StreamFifteenMinutesCompressed",
     .files = {"d/xxxx001a15.16d.gz"},
     .args = {"-S", "-s", "00ITA", "d/xxxx001a15.16d.gz"},
     .out = "d/xxxx001a15.16d.gz -> d/XXXX00ITA_S_20160010015_15M_01S_MO.crx.gz\n",
     .err = "",
     .status = 0,
     .after = {"d/XXXX00ITA_S_20160010015_15M_01S_MO.crx.gz: d/xxxx001a15.16d.gz"}},
    // a suffix is two digits and three capitals, checked before anything:
    // a slash in it never reaches a name
    {.name = "SuffixWithASlashRefused",
     .files = {"xxxx0010.16o"},
     .args = {"-s", "0/../", "xxxx0010.16o"},
     .out = "",
     .err = std::string("orvane-rename: option '-s' takes two digits and three capital "
			"letters, as 00ITA, not '0/../'\n") +
	    usageLine,
     .status = 2,
     .after = {"xxxx0010.16o: xxxx0010.16o"}},
    {.name = "SuffixInLowerCaseRefused",
     .files = {"xxxx0010.16o"},
     .args = {"-s", "00ita", "xxxx0010.16o"},
     .out = "",
     .err = std::string("orvane-rename: option '-s' takes two digits and three capital "
			"letters, as 00ITA, not '00ita'\n") +
	    usageLine,
     .status = 2,
     .after = {"xxxx0010.16o: xxxx0010.16o"}},
    // a folder whose name only begins with two dots is a folder like any other
    {.name = "FolderNamedLikeDotDotIsWalked",
     .files = {"..x/abmf0010.16o"},
     .args = {"."},
     .out = "./..x/abmf0010.16o -> ./..x/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     .err = "",
     .status = 0,
     .after = {"..x/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: ..x/abmf0010.16o"}},
    // without the dot before the year a name has no short name's layout
    {.name = "NoDotBeforeTheYearIsNoCandidate",
     .files = {"data001_2016", "abmf0010_16o"},
     .args = {"."},
     .out = "",
     .err = "",
     .status = 0,
     .after = {"abmf0010_16o: abmf0010_16o", "data001_2016: data001_2016"}},
    // days the year lacks: orvane converts them, the renamer makes no such name
    {.name = "DaysTheYearLacksLeft",
     .files = {"abmf3660.17o", "abmf0000.16o", "abmf3660.16o"},
     .args = {"."},
     .out = "./abmf3660.16o -> ./ABMF00GLP_R_20163660000_01D_30S_MO.rnx\n",
     .err = "./abmf0000.16o: not renamed: 2016 has no day 000\n"
	    "./abmf3660.17o: not renamed: 2017 has no day 366\n",
     .status = 1,
     .after = {"ABMF00GLP_R_20163660000_01D_30S_MO.rnx: abmf3660.16o",
	       "abmf0000.16o: abmf0000.16o", "abmf3660.17o: abmf3660.17o"}},
    // a file named is a candidate whatever its name; orvane has the last word
    {.name = "FileNamedIsACandidateWhateverItsName",
     .files = {"notes.txt"},
     .args = {"notes.txt"},
     .out = "",
     .err = "notes.txt: not renamed: Input filename not recognized\n",
     .status = 1,
     .after = {"notes.txt: notes.txt"}},
    // names hold any byte but the slash and NUL
    {.name = "NamesHoldSpacesAndQuotes",
     .files = {"a b'c/abmf0010.16o"},
     .args = {"a b'c"},
     .out = "a b'c/abmf0010.16o -> a b'c/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     .err = "",
     .status = 0,
     .after = {"a b'c/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: a b'c/abmf0010.16o"}},
    {.name = "NamesHoldAnyByte",
     .files = {"\xe9q\xffz0010.16o"},
     .args = {"-s", "00FRA", "\xe9q\xffz0010.16o"},
     .out = "\xe9q\xffz0010.16o -> \xe9Q\xffZ00FRA_R_20160010000_01D_30S_MO.rnx\n",
     .err = "",
     .status = 0,
     .after = {"\xe9Q\xffZ00FRA_R_20160010000_01D_30S_MO.rnx: \xe9q\xffz0010.16o"}},
    {.name = "NameBeginningWithADashAfterDoubleDash",
     .files = {"-xyz0010.16o"},
     .args = {"-s", "00ITA", "--", "-xyz0010.16o"},
     .out = "-xyz0010.16o -> -XYZ00ITA_R_20160010000_01D_30S_MO.rnx\n",
     .err = "",
     .status = 0,
     .after = {"-XYZ00ITA_R_20160010000_01D_30S_MO.rnx: -xyz0010.16o"}},
    {.name = "VersionAfterDoubleDashIsAPath",
     .files = {"--version"},
     .args = {"--", "--version"},
     .out = "",
     .err = "--version: not renamed: Input filename not recognized\n",
     .status = 1,
     .after = {"--version: --version"}},
    {.name = "PathMissing",
     .files = {},
     .args = {"nowhere"},
     .out = "",
     .err = "nowhere: not renamed: No such file or directory\n",
     .status = 1,
     .after = {}},
    // two candidates that would take one name: -n foresees what the run meets
    {.name = "CollisionForeseenByDryRun",
     .files = {"abmf0010.16o", "abmf0011.16o"},
     .args = {"-n", "."},
     .out = "./abmf0010.16o -> ./ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     .err = "./abmf0011.16o: not renamed: ./ABMF00GLP_R_20160010000_01D_30S_MO.rnx exists\n",
     .status = 1,
     .after = {"abmf0010.16o: abmf0010.16o", "abmf0011.16o: abmf0011.16o"}},
    {.name = "Collision",
     .files = {"abmf0010.16o", "abmf0011.16o"},
     .args = {"."},
     .out = "./abmf0010.16o -> ./ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     .err = "./abmf0011.16o: not renamed: ./ABMF00GLP_R_20160010000_01D_30S_MO.rnx exists\n",
     .status = 1,
     .after = {"ABMF00GLP_R_20160010000_01D_30S_MO.rnx: abmf0010.16o",
	       "abmf0011.16o: abmf0011.16o"}},
    // -0: pairs of NUL-terminated paths, for paths that hold newlines
    {.name = "NulTerminatedPairs",
     .files = {"d/abmf0010.16o"},
     .args = {"-0", "d"},
     .out = std::string("d/abmf0010.16o\0d/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\0", 56),
     .err = "",
     .status = 0,
     .after = {"d/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: d/abmf0010.16o"}},
    // a PATH that is a link is followed, as find -H does; links below it are not
    {.name = "PathThatIsALinkIsFollowed",
     .files = {"real/abmf0010.16o", "arch -> real", "real/in -> ../other", "other/brux0010.16o"},
     .args = {"arch"},
     .out = "arch/abmf0010.16o -> arch/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     .err = "",
     .status = 0,
     .after = {"arch -> real", "other/brux0010.16o: other/brux0010.16o",
	       "real/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: real/abmf0010.16o",
	       "real/in -> ../other"}},
    // PATHs that overlap: a folder is walked once in a run, and one entry is
    // one candidate, handled where a PATH first reaches it; -n shows it once
    {.name = "OverlappingPathsWalkAFolderOnce",
     .files = {"t/s/abmf0010.16o"},
     .args = {"t/s", "t"},
     .out = "t/s/abmf0010.16o -> t/s/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     .err = "",
     .status = 0,
     .after = {"t/s/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: t/s/abmf0010.16o"}},
    {.name = "OverlappingPathsWalkAFolderOnceInADryRun",
     .files = {"t/s/abmf0010.16o"},
     .args = {"-n", "t/s", "t"},
     .out = "t/s/abmf0010.16o -> t/s/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     .err = "",
     .status = 0,
     .after = {"t/s/abmf0010.16o: t/s/abmf0010.16o"}},
    {.name = "OverlappingPathsShowAFileOnceInADryRun",
     .files = {"t/abmf0010.16o"},
     .args = {"-n", "t", "t/abmf0010.16o"},
     .out = "t/abmf0010.16o -> t/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     .err = "",
     .status = 0,
     .after = {"t/abmf0010.16o: t/abmf0010.16o"}},
    {.name = "OverlappingPathsRenameAFileOnce",
     .files = {"t/abmf0010.16o"},
     .args = {"t", "t/abmf0010.16o"},
     .out = "t/abmf0010.16o -> t/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     .err = "",
     .status = 0,
     .after = {"t/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: t/abmf0010.16o"}},
    // a name given out in a folder is taken however a later PATH reaches it
    {.name = "NameGivenOutIsTakenByALaterPath",
     .files = {"t/abmf0010.16o", "t/abmf0011.16o"},
     .args = {"-n", "t/abmf0010.16o", "./t/abmf0011.16o"},
     .out = "t/abmf0010.16o -> t/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     .err = "./t/abmf0011.16o: not renamed: ./t/ABMF00GLP_R_20160010000_01D_30S_MO.rnx exists\n",
     .status = 1,
     .after = {"t/abmf0010.16o: t/abmf0010.16o", "t/abmf0011.16o: t/abmf0011.16o"}},
    {.name = "NameGivenOutIsTakenInAFolderWalkedLater",
     .files = {"t/abmf0010.16o", "t/abmf0011.16o"},
     .args = {"-n", "t/abmf0011.16o", "t"},
     .out = "t/abmf0011.16o -> t/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     .err = "t/abmf0010.16o: not renamed: t/ABMF00GLP_R_20160010000_01D_30S_MO.rnx exists\n",
     .status = 1,
     .after = {"t/abmf0010.16o: t/abmf0010.16o", "t/abmf0011.16o: t/abmf0011.16o"}},
    // a folder named with a slash at its end is printed with one slash
    {.name = "FolderWithATrailingSlash",
     .files = {"t/abmf0010.16o"},
     .args = {"t/"},
     .out = "t/abmf0010.16o -> t/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     .err = "",
     .status = 0,
     .after = {"t/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: t/abmf0010.16o"}},
    // a link named is renamed itself, even one that leads nowhere or to itself
    {.name = "LinksNamedAreRenamedThemselves",
     .files = {"brux0010.16o -> nowhere", "zimm0010.16o -> zimm0010.16o"},
     .args = {"brux0010.16o", "zimm0010.16o"},
     .out = "brux0010.16o -> BRUX00BEL_R_20160010000_01D_30S_MO.rnx\n"
	    "zimm0010.16o -> ZIMM00CHE_R_20160010000_01D_30S_MO.rnx\n",
     .err = "",
     .status = 0,
     .after = {"BRUX00BEL_R_20160010000_01D_30S_MO.rnx -> nowhere",
	       "ZIMM00CHE_R_20160010000_01D_30S_MO.rnx -> zimm0010.16o"}},
    // options come first: "archive -n" must not rename the archive for real
    {.name = "OptionAfterAPathRefused",
     .files = {"abmf0010.16o"},
     .args = {"abmf0010.16o", "-n"},
     .out = "",
     .err =
	 std::string("orvane-rename: option '-n' after a path: options come first\n") + usageLine,
     .status = 2,
     .after = {"abmf0010.16o: abmf0010.16o"}},
    // a lone dash is no option but a path, first among the paths too
    {.name = "DashIsAPath",
     .files = {"-/abmf0010.16o"},
     .args = {"-"},
     .out = "-/abmf0010.16o -> -/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n",
     .err = "",
     .status = 0,
     .after = {"-/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: -/abmf0010.16o"}},
    // a list's name before the catalogue's, and before -s
    {.name = "ListBeforeCatalogueAndSuffix",
     .files = {"a/abmf0010.16o", "a/xxxx0010.16o", "l: ABMF01FRA XXXX00ITA"},
     .args = {"-s", "00GLP", "-c", "l", "a"},
     .out = "a/abmf0010.16o -> a/ABMF01FRA_R_20160010000_01D_30S_MO.rnx\n"
	    "a/xxxx0010.16o -> a/XXXX00ITA_R_20160010000_01D_30S_MO.rnx\n",
     .err = "",
     .status = 0,
     .after = {"a/ABMF01FRA_R_20160010000_01D_30S_MO.rnx: a/abmf0010.16o",
	       "a/XXXX00ITA_R_20160010000_01D_30S_MO.rnx: a/xxxx0010.16o",
	       "l: ABMF01FRA XXXX00ITA"}},
    // the lists are checked before anything is renamed
    {.name = "ListCheckedBeforeAnyRename",
     .files = {"a/abmf0010.16o", "l: ABMF00GLP", "m: ZIMM00CHE\nABMF01GLP"},
     .args = {"-c", "l", "-c", "m", "a"},
     .out = "",
     .err = "m:2: 'ABMF01GLP' conflicts with 'ABMF00GLP' of l:1\n",
     .status = 2,
     .after = {"a/abmf0010.16o: a/abmf0010.16o", "l: ABMF00GLP", "m: ZIMM00CHE\nABMF01GLP"}},
    // -2: long names back to short ones; what has none is refused, and of two
    // that give one, the second in byte order is left
    {.name = "LongNamesBackToShort",
     .files = {"r/ABMF00GLP_R_20160010000_01D_30S_MO.rnx",
	       "r/ABMF00GLP_R_20160010000_59M_30S_MO.rnx",
	       "r/ABMF01GLP_S_20160010000_01D_30S_MO.rnx",
	       "r/BRUX00BEL_R_20183101900_01H_30S_MO.crx.gz",
	       "r/ZIMM00CHE_R_20210320115_15M_01S_MO.rnx"},
     .args = {"-2", "r"},
     .out = "r/ABMF00GLP_R_20160010000_01D_30S_MO.rnx -> r/abmf0010.16o\n"
	    "r/BRUX00BEL_R_20183101900_01H_30S_MO.crx.gz -> r/brux310t.18d.gz\n"
	    "r/ZIMM00CHE_R_20210320115_15M_01S_MO.rnx -> r/zimm032b15.21o\n",
     .err = "r/ABMF00GLP_R_20160010000_59M_30S_MO.rnx: not renamed: period 59M has no short name\n"
	    "r/ABMF01GLP_S_20160010000_01D_30S_MO.rnx: not renamed: r/abmf0010.16o exists\n",
     .status = 1,
     .after = {"r/ABMF00GLP_R_20160010000_59M_30S_MO.rnx: r/ABMF00GLP_R_20160010000_59M_30S_MO.rnx",
	       "r/ABMF01GLP_S_20160010000_01D_30S_MO.rnx: r/ABMF01GLP_S_20160010000_01D_30S_MO.rnx",
	       "r/abmf0010.16o: r/ABMF00GLP_R_20160010000_01D_30S_MO.rnx",
	       "r/brux310t.18d.gz: r/BRUX00BEL_R_20183101900_01H_30S_MO.crx.gz",
	       "r/zimm032b15.21o: r/ZIMM00CHE_R_20210320115_15M_01S_MO.rnx"}},
    {.name = "LongToShortNotALongName",
     .files = {"notes.txt"},
     .args = {"-2", "notes.txt"},
     .out = "",
     .err = "notes.txt: not renamed: not a RINEX 3 long name\n",
     .status = 1,
     .after = {"notes.txt: notes.txt"}},
    {.name = "LongToShortTakesNoSuffix",
     .files = {},
     .args = {"-2", "-s", "00ITA", "x"},
     .out = "",
     .err = std::string("orvane-rename: option '-s' does not go with '-2'\n") + usageLine,
     .status = 2,
     .after = {}},
    {.name = "LongToShortReadsNoHeader",
     .files = {},
     .args = {"-2", "-H", "x"},
     .out = "",
     .err = std::string("orvane-rename: option '-H' does not go with '-2'\n") + usageLine,
     .status = 2,
     .after = {}},
    // the years 81 to 99 are 1981 to 1999, which orvane refuses; 80 is 2080
    {.name = "YearsOfTheNineteenHundredsAnd2080",
     .files = {"abmf0010.80o", "abmf0010.81o", "abmf0010.99d.gz"},
     .args = {"."},
     .out = "./abmf0010.80o -> ./ABMF00GLP_R_20800010000_01D_30S_MO.rnx\n"
	    "./abmf0010.81o -> ./ABMF00GLP_R_19810010000_01D_30S_MO.rnx\n"
	    "./abmf0010.99d.gz -> ./ABMF00GLP_R_19990010000_01D_30S_MO.crx.gz\n",
     .err = "",
     .status = 0,
     .after = {"ABMF00GLP_R_19810010000_01D_30S_MO.rnx: abmf0010.81o",
	       "ABMF00GLP_R_19990010000_01D_30S_MO.crx.gz: abmf0010.99d.gz",
	       "ABMF00GLP_R_20800010000_01D_30S_MO.rnx: abmf0010.80o"}},
    // -H reads no link, not even one named; the run ends with a count
    {.name = "HeadersReadNoLink",
     .files = {"brux0010.16o -> nowhere"},
     .args = {"-H", "brux0010.16o"},
     .out = "",
     .err = "brux0010.16o: not renamed: symbolic link, not read\n"
	    "orvane-rename: 1 file left: 1 symbolic link, not read\n",
     .status = 1,
     .after = {"brux0010.16o -> nowhere"}},
    {.name = "LongToShortTakesNoList",
     .files = {"l: ABMF00GLP"},
     .args = {"-2", "-c", "l", "x"},
     .out = "",
     .err = std::string("orvane-rename: option '-c' does not go with '-2'\n") + usageLine,
     .status = 2,
     .after = {"l: ABMF00GLP"}},
    {.name = "JobsOverTheLimit",
     .files = {},
     .args = {"-j", "257", "x"},
     .out = "",
     .err = std::string("orvane-rename: option '-j' takes 1 to 256, not '257'\n") + usageLine,
     .status = 2,
     .after = {}},
    {.name = "JobsNotANumber",
     .files = {},
     .args = {"-j", "8x", "x"},
     .out = "",
     .err = std::string("orvane-rename: option '-j' takes 1 to 256, not '8x'\n") + usageLine,
     .status = 2,
     .after = {}},
    // after "--" a path may begin with a dash, even after another path
    {.name = "PathsAfterDoubleDashMayBeginWithADash",
     .files = {"a/abmf0010.16o", "-b/brux0010.16o"},
     .args = {"--", "a", "-b"},
     .out = "a/abmf0010.16o -> a/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n"
	    "-b/brux0010.16o -> -b/BRUX00BEL_R_20160010000_01D_30S_MO.rnx\n",
     .err = "",
     .status = 0,
     .after = {"-b/BRUX00BEL_R_20160010000_01D_30S_MO.rnx: -b/brux0010.16o",
	       "a/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: a/abmf0010.16o"}},
    {.name = "Help",
     .files = {},
     .args = {"--help"},
     .out = std::string(usageLine) +
	    "\n"
	    "  -0          print each rename as old path, NUL, new path, NUL\n"
	    "  -2          rename RINEX 3 long names back to RINEX 2 short ones\n"
	    "  -a          name RINEX observation files of any name by their data\n"
	    "  -c list     take station names from a list, site log or folder; repeatable\n"
	    "  -H          read each file's header: check it, and name its sampling rate\n"
	    "  -j jobs     keep up to jobs folders in work at once, 1 to 256 (default 1)\n"
	    "  -k          check long names against their files' data, rename nothing\n"
	    "  -L listing  print the renames of the paths listed ('-': standard input), make none\n"
	    "  -n          change nothing: print what the run would do\n"
	    "  -R          the data come from a receiver (the default)\n"
	    "  -S          the data come from a stream\n"
	    "  -s suffix   monument, receiver, country (as 00ITA) for stations no list names\n"
	    "  -u record   rename back what the run of this -0 record renamed below its paths\n"
	    "  -h, --help  print this help and exit\n"
	    "  --version   print the version and exit\n"
	    "\n"
	    "See orvane-rename(1) for station lists, messages and exit statuses.\n",
     .err = "",
     .status = 0,
     .after = {}},
    {.name = "Version",
     .files = {},
     .args = {"--version"},
     .out = "orvane-rename version 16158.\n"
	    "Copyright (c) 2026 the orvane authors.\n"
	    "License MIT <https://opensource.org/licenses/MIT>.\n"
	    "This is free software: you are free to change and redistribute it.\n"
	    "There is NO WARRANTY, to the extent permitted by law.\n",
     .err = "",
     .status = 0,
     .after = {}},
    {.name = "UnknownLongOption",
     .files = {},
     .args = {"--bogus"},
     .out = "",
     .err = std::string("orvane-rename: unknown option '--bogus'\n") + usageLine,
     .status = 2,
     .after = {}},
    {.name = "UnknownOption",
     .files = {"abmf0010.16o"},
     .args = {"-x", "abmf0010.16o"},
     .out = "",
     .err = std::string("orvane-rename: unknown option '-x'\n") + usageLine,
     .status = 2,
     .after = {"abmf0010.16o: abmf0010.16o"}},
    {.name = "SuffixMissing",
     .files = {},
     .args = {"-s"},
     .out = "",
     .err = std::string("orvane-rename: option '-s' needs a suffix\n") + usageLine,
     .status = 2,
     .after = {}},
    {.name = "NoArguments",
     .files = {},
     .args = {},
     .out = "",
     .err = usageLine,
     .status = 2,
     .after = {}},
};

// Each run in a folder of its own.
class SingleRun : public InOwnFolder<::testing::TestWithParam<Case>>
{
};

TEST_P(SingleRun, AsTabled)
{
	const Case &c = GetParam();
	const std::string where = ::testing::PrintToString(c.args);
	for (const std::string &f : c.files)
		make(f);
	const Result r = renamer(c.args);
	EXPECT_EQ(r.out, c.out) << where;
	EXPECT_EQ(r.err, c.err) << where;
	EXPECT_EQ(r.status, c.status) << where;
	EXPECT_EQ(listing(), c.after) << where;
}

INSTANTIATE_TEST_SUITE_P(Rename, SingleRun, ::testing::ValuesIn(runs),
			 [](const ::testing::TestParamInfo<Case> &run) {
				 return std::string(run.param.name);
			 });

} // namespace
