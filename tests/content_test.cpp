// orvane-rename -a and -k: files of any name named by their data, and long
// names checked against them, each file read whole.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "headercases.h"
#include "headertext.h"
#include "support/messages.h"
#include "support/run.h"
#include "support/tree.h"

using namespace std::chrono;
using namespace std::chrono_literals;

namespace
{

// A file to plant: its path, and how its bytes are made (or what is missing
// to make them) when the test runs, not when the tests are listed.
struct Planted {
	std::string path;
	std::function<MadeBytes()> make;
};

std::string realFile(const std::string &name)
{
	std::ifstream in(std::string(HEADER_DATA) + "/" + name, std::ios::binary);
	return {std::istreambuf_iterator<char>(in), {}};
}

Planted file(std::string path, std::string text, std::string suffix = "")
{
	return {std::move(path), [text = std::move(text), suffix = std::move(suffix)] {
			return compressed(text, suffix);
		}};
}

// RINEX 3 observations of ABMF, 30 s apart from 2016-01-01 00:00.
Obs abmf(int epochs = 12)
{
	Obs o;
	o.version = 3;
	o.epochs = epochs;
	return o;
}

// Every path below the current folder, in byte order, links marked.
Lines paths()
{
	Lines found;
	for (const auto &e : std::filesystem::recursive_directory_iterator("."))
		found.push_back(e.path().string().substr(2) + (e.is_symlink() ? " ->" : ""));
	std::ranges::sort(found);
	return found;
}

struct Case {
	const char *name;
	std::vector<Planted> files;
	std::vector<std::string> args;
	std::string out;
	std::string err;
	int status;
	Lines after;
};

const std::string abmf12 = observations(abmf());
const std::string daily = "ABMF00GLP_R_20160010000_01D_30S_GO.rnx";

std::vector<Case> cases()
{
	Obs midnight = abmf(40);
	midnight.start = sys_days(2016y / 1 / 1) + 23h + 50min;
	Obs nine = abmf();
	nine.marker = "ABCD01XYZ TOWER";
	Obs unnamed = abmf();
	unnamed.marker = "ab";
	Obs oneEpoch = abmf(1);
	oneEpoch.interval = "";
	Obs header = abmf(0);
	const std::string cut = abmf12.substr(0, abmf12.rfind('\n', abmf12.size() - 2) + 1);
	std::string longLine = abmf12;
	longLine.insert(abmf12.find("G01", abmf12.find("END OF HEADER")) + 3, 70000, ' ');
	Obs hourly = abmf(120);
	const std::string hourlyText = observations(hourly);
	const std::string mixed = observations([] {
		Obs o = abmf();
		o.systems = "GRE";
		return o;
	}());
	const auto cutGzip = [] {
		MadeBytes made = compressed(abmf12, ".gz");
		made.bytes.resize(made.bytes.size() - 6);
		return made;
	};
	return {
	    // the project's real files under names receivers give, in each
	    // compression and in none
	    {.name = "RealFilesUnderReceiverNames",
	     .files = {file("a/log_0001.obs", realFile("07590920.05o")),
		       file("a/raw.Z", realFile("ac660270.18o.Z")),
		       file("a/rinex.obs.gz", realFile("demo.10o"), ".gz"),
		       file("a/york.bz2", realFile("york0440.15d"), ".bz2"),
		       file("a/p433.crx", realFile("P43300USA_R_20190012056_17M_15S_MO.crx"))},
	     .args = {"-a", "-s", "00TST", "a"},
	     .out = "a/log_0001.obs -> a/075900TST_R_20050920000_01H_30S_GO.rnx\n"
		    "a/p433.crx -> a/P43300TST_R_20190010000_01D_15S_MO.crx\n"
		    "a/raw.Z -> a/AC6600TST_R_20180270000_01D_15S_MO.rnx.Z\n"
		    "a/rinex.obs.gz -> a/MRKR00TST_R_20100640000_15M_30S_MO.rnx.gz\n"
		    "a/york.bz2 -> a/YORK00TST_R_20150440000_01D_30S_GO.crx.bz2\n",
	     .err = "a/rinex.obs.gz: note: TIME OF LAST OBS says 2010-03-05 23:59:30, the last "
		    "epoch 2010-03-05 00:00:30\n",
	     .status = 0,
	     .after = {"a", "a/075900TST_R_20050920000_01H_30S_GO.rnx",
		       "a/AC6600TST_R_20180270000_01D_15S_MO.rnx.Z",
		       "a/MRKR00TST_R_20100640000_15M_30S_MO.rnx.gz",
		       "a/P43300TST_R_20190010000_01D_15S_MO.crx",
		       "a/YORK00TST_R_20150440000_01D_30S_GO.crx.bz2"}},
	    // the period is the smallest aligned one that holds every epoch:
	    // a quarter, an hour, a day, else 00U from the first epoch's minute
	    {.name = "PeriodsOfTheEpochs",
	     .files = {file("quarter", abmf12), file("hour", hourlyText),
		       file("midnight", observations(midnight))},
	     .args = {"-a", "."},
	     .out = "./hour -> ./ABMF00GLP_R_20160010000_01H_30S_GO.rnx\n"
		    "./midnight -> ./ABMF00GLP_R_20160012350_00U_30S_GO.rnx\n"
		    "./quarter -> ./ABMF00GLP_R_20160010000_15M_30S_GO.rnx\n",
	     .err = "",
	     .status = 0,
	     .after = {"ABMF00GLP_R_20160010000_01H_30S_GO.rnx",
		       "ABMF00GLP_R_20160010000_15M_30S_GO.rnx",
		       "ABMF00GLP_R_20160012350_00U_30S_GO.rnx"}},
	    // a marker of a whole station name is taken as it is; one that names
	    // no station leaves the file; one epoch gives no rate
	    {.name = "MarkersAndRates",
	     .files = {file("nine.obs", observations(nine)), file("unnamed.obs", observations(unnamed)),
		       file("one.obs", observations(oneEpoch)), file("mixed.rnx.txt", mixed)},
	     .args = {"-a", "."},
	     .out = "./mixed.rnx.txt -> ./ABMF00GLP_R_20160010000_15M_30S_MO.rnx\n"
		    "./nine.obs -> ./ABCD01XYZ_R_20160010000_15M_30S_GO.rnx\n"
		    "./one.obs -> ./ABMF00GLP_R_20160010000_15M_00U_GO.rnx\n",
	     .err = "./one.obs: note: named with an unknown rate, 00U: one epoch\n"
		    "./unnamed.obs: not renamed: MARKER NAME 'ab' names no station\n"
		    "orvane-rename: 1 file left: 1 marker names no station; 1 named with an "
		    "unknown rate, 00U\n",
	     .status = 1,
	     .after = {"ABCD01XYZ_R_20160010000_15M_30S_GO.rnx",
		       "ABMF00GLP_R_20160010000_15M_00U_GO.rnx",
		       "ABMF00GLP_R_20160010000_15M_30S_MO.rnx", "unnamed.obs"}},
	    // the header's own times name nothing, but a note says where they
	    // disagree with the epochs; with jobs as without
	    {.name = "HeaderTimesNoted",
	     .files = {file("d/f.obs", replaced(observations([] {
				    Obs o = abmf();
				    o.interval = "1.000";
				    return o;
			    }()),
			    "INTERVAL", "     0     0    0.", "     0    25    0."))},
	     .args = {"-a", "-j", "2", "d"},
	     .out = "d/f.obs -> d/ABMF00GLP_R_20160010000_15M_30S_GO.rnx\n",
	     .err = "d/f.obs: note: INTERVAL says 1 s, the epochs 30 s; TIME OF FIRST OBS says "
		    "2016-01-01 00:25:00, the first epoch 2016-01-01 00:00:00\n",
	     .status = 0,
	     .after = {"d", "d/ABMF00GLP_R_20160010000_15M_30S_GO.rnx"}},
	    // what is no RINEX observation data is passed over and counted; a
	    // link is not even looked at; long names are left to -k
	    {.name = "OtherFilesPassedOver",
	     .files = {file("notes.txt", "RINEX VERSION / TYPE\n"), file("empty", ""),
		       file("brdc.nav", realFile("07590920.05n")), file("other.gz", "text\n", ".gz"),
		       file(daily, "not even RINEX\n")},
	     .args = {"-a", "."},
	     .out = "",
	     .err = "orvane-rename: 4 files passed over: not RINEX observation data\n",
	     .status = 0,
	     .after = {daily, "brdc.nav", "empty", "notes.txt", "other.gz"}},
	    // damage anywhere leaves the file, however good its start
	    {.name = "DamageAtTheEnd",
	     .files = {file("cut.obs", cut), {"cut.gz", cutGzip}, file("long.obs", longLine),
		       file("header.obs", observations(header))},
	     .args = {"-a", "."},
	     .out = "",
	     .err = "./cut.gz: not renamed: .gz stream cut short\n"
		    "./cut.obs: not renamed: epoch at line 107 cut short\n"
		    "./header.obs: not renamed: no epoch\n"
		    "./long.obs: not renamed: line 9 longer than 64 KiB\n"
		    "orvane-rename: 4 files left: 1 .gz stream cut short, 1 epoch cut short, 1 "
		    "line longer than 64 KiB, 1 no epoch\n",
	     .status = 1,
	     .after = {"cut.gz", "cut.obs", "header.obs", "long.obs"}},
	    // observations of a version never made, or not yet, are left
	    {.name = "VersionsNotRead",
	     .files = {file("v1.obs", replaced(abmf12, "", "3.04", "1.00")),
		       file("v5.obs", replaced(abmf12, "", "3.04", "5.00"))},
	     .args = {"-a", "."},
	     .out = "",
	     .err = "./v1.obs: not renamed: header says version 1.00\n"
		    "./v5.obs: not renamed: header says version 5.00\n"
		    "orvane-rename: 2 files left: 2 header says another version\n",
	     .status = 1,
	     .after = {"v1.obs", "v5.obs"}},
	    // -k: a right name passes; a wrong one is one line naming each field
	    // that disagrees, and the name the data give
	    {.name = "LongNamesChecked",
	     .files = {file(daily, abmf12),
		       file("ABMF00GLP_R_20160010000_01D_15S_GO.rnx", abmf12),
		       file("BRUX00BEL_R_20160010000_01D_30S_GO.rnx", abmf12),
		       file("ABMF00GLP_R_20160020000_01D_30S_MO.crx.gz", abmf12, ".gz"),
		       file("ABMF00GLP_S_20160010000_01H_30S_GO.rnx.bz2", abmf12)},
	     .args = {"-k", "."},
	     .out = "./ABMF00GLP_R_20160010000_01D_15S_GO.rnx: name says 15S, the data 30S; "
		    "the data name it ABMF00GLP_R_20160010000_01D_30S_GO.rnx\n"
		    "./ABMF00GLP_R_20160020000_01D_30S_MO.crx.gz: name says 20160020000_01D, MO "
		    "and crx, the data 20160010000_15M, GO and rnx; the data name it "
		    "ABMF00GLP_R_20160010000_15M_30S_GO.rnx.gz\n"
		    "./ABMF00GLP_S_20160010000_01H_30S_GO.rnx.bz2: name says .bz2, the data "
		    "uncompressed; the data name it ABMF00GLP_S_20160010000_01H_30S_GO.rnx\n"
		    "./BRUX00BEL_R_20160010000_01D_30S_GO.rnx: name says BRUX, the data ABMF; "
		    "the data name it ABMF00GLP_R_20160010000_01D_30S_GO.rnx\n",
	     .err = "orvane-rename: 5 files checked: 4 disagree\n",
	     .status = 1,
	     .after = {"ABMF00GLP_R_20160010000_01D_15S_GO.rnx", daily,
		       "ABMF00GLP_R_20160020000_01D_30S_MO.crx.gz",
		       "ABMF00GLP_S_20160010000_01H_30S_GO.rnx.bz2",
		       "BRUX00BEL_R_20160010000_01D_30S_GO.rnx"}},
	    {.name = "CheckedWithNulPairs",
	     .files = {file(daily, abmf12), file("x/ABMF00GLP_R_20160010000_01D_30S_GO.crx.gz",
						  realFile("york0440.15d"), ".gz")},
	     .args = {"-k", "-0", "-s", "00GBR", "."},
	     .out = std::string("./x/ABMF00GLP_R_20160010000_01D_30S_GO.crx.gz") + '\0' +
		    "./x/YORK00GBR_R_20150440000_01D_30S_GO.crx.gz" + '\0',
	     .err = "orvane-rename: 2 files checked: 1 disagree\n",
	     .status = 1,
	     .after = {daily, "x", "x/ABMF00GLP_R_20160010000_01D_30S_GO.crx.gz"}},
	    // files named on the command line that are no candidates are said so
	    {.name = "NamedFilesOfTheOtherKind",
	     .files = {file("x.obs", abmf12), file(daily, abmf12)},
	     .args = {"-k", "x.obs"},
	     .out = "",
	     .err = "x.obs: not renamed: not a RINEX 3 long name\n"
		    "orvane-rename: 0 files checked: none disagree; 1 file left: 1 not a RINEX 3 "
		    "long name\n",
	     .status = 1,
	     .after = {daily, "x.obs"}},
	    {.name = "NamedLongNameByContent",
	     .files = {file(daily, abmf12)},
	     .args = {"-a", daily},
	     .out = "",
	     .err = daily + ": not renamed: a RINEX 3 long name already\n"
		    "orvane-rename: 1 file left: 1 a RINEX 3 long name already\n",
	     .status = 1,
	     .after = {daily}},
	    {.name = "ContentNotWithShortening",
	     .files = {},
	     .args = {"-a", "-2", "."},
	     .out = "",
	     .err = "orvane-rename: option '-a' does not go with '-2'\n" + std::string(renamerUsage),
	     .status = 2,
	     .after = {}},
	    {.name = "CheckRenamesNothing",
	     .files = {},
	     .args = {"-k", "-n", "."},
	     .out = "",
	     .err = "orvane-rename: option '-n' does not go with '-k'\n" + std::string(renamerUsage),
	     .status = 2,
	     .after = {}},
	};
}

class Content : public Rename, public ::testing::WithParamInterface<Case>
{
};

TEST_P(Content, AsTabled)
{
	const Case &c = GetParam();
	for (const Planted &p : c.files) {
		const MadeBytes made = p.make();
		if (!made.missing.empty())
			GTEST_SKIP() << made.missing;
		std::filesystem::create_directories(std::filesystem::path(p.path).parent_path().empty()
							? "."
							: std::filesystem::path(p.path).parent_path());
		std::ofstream(p.path, std::ios::binary) << made.bytes;
	}
	const Result r = renamer(c.args);
	EXPECT_EQ(r.out, c.out);
	EXPECT_EQ(r.err, c.err);
	EXPECT_EQ(r.status, c.status);
	EXPECT_EQ(paths(), c.after);
}

INSTANTIATE_TEST_SUITE_P(ByContent, Content, ::testing::ValuesIn(cases()),
			 [](const ::testing::TestParamInfo<Case> &c) { return std::string(c.param.name); });

// -n foresees what the run does, line for line.
TEST_F(Rename, ContentForeseenAsDone)
{
	std::ofstream("a.obs") << abmf12;
	std::ofstream("b.obs") << abmf12;
	std::ofstream("c.txt") << "text\n";
	const Result foreseen = renamer({"-a", "-n", "."});
	const Result done = renamer({"-a", "."});
	EXPECT_EQ(foreseen.out, done.out);
	EXPECT_EQ(foreseen.err, done.err);
	EXPECT_EQ(foreseen.status, done.status);
	EXPECT_EQ(done.out, "./a.obs -> ./ABMF00GLP_R_20160010000_15M_30S_GO.rnx\n");
	EXPECT_EQ(done.err, "./b.obs: not renamed: ./ABMF00GLP_R_20160010000_15M_30S_GO.rnx "
			    "exists\norvane-rename: 1 file left: 1 new name exists; 1 file passed "
			    "over: not RINEX observation data\n");
}

} // namespace
