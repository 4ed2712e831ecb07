// The command line as users meet it: every run compared on standard output,
// standard error and exit status.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/messages.h"
#include "support/run.h"

namespace
{

using Args = std::vector<std::string>;
using namespace message;

struct Conversion {
	Args args;
	const char *line; // without the trailing " \n" every line carries
};

// Suffix mode needs no catalogue: 00GLP gives the name abmf has there.
const Conversion conversions[] = {
    {{"abmf0010.16o", "00GLP"}, "ABMF00GLP_R_20160010000_01D_30S_MO.rnx"},
    {{"abmf0010.16d", "00GLP"}, "ABMF00GLP_R_20160010000_01D_30S_MO.crx"},
    {{"abmf0010.16n", "00GLP"}, "ABMF00GLP_R_20160010000_01D_GN.rnx"},
    {{"abmf001a.16g", "00GLP"}, "ABMF00GLP_R_20160010000_01H_RN.rnx"},
    {{"-R", "abmf001c.16l", "00GLP"}, "ABMF00GLP_R_20160010200_01H_EN.rnx"},
    {{"-S", "abmf0010.16o", "00GLP"}, "ABMF00GLP_S_20160010000_01D_30S_MO.rnx"},
    {{"abmf001x00.16o", "00GLP"}, "ABMF00GLP_R_20160012300_15M_01S_MO.rnx"},
    {{"abmf001b15.16d", "00GLP"}, "ABMF00GLP_R_20160010115_15M_01S_MO.crx"},
    {{"abmf001a15.16n", "00GLP"}, "ABMF00GLP_R_20160010015_15M_GN.rnx"},
    {{"xxxx0010.16o", "00ITA"}, "XXXX00ITA_R_20160010000_01D_30S_MO.rnx"},
    {{"xxxx0010.16o", "00ita"}, "XXXX00ita_R_20160010000_01D_30S_MO.rnx"},
    {{"ABMF0010.16o", "00ITA"}, "ABMF00ITA_R_20160010000_01D_30S_MO.rnx"},
    // navigation types
    {{"abmf0010.16h", "00GLP"}, "ABMF00GLP_R_20160010000_01D_SN.rnx"},
    {{"abmf0010.16l", "00GLP"}, "ABMF00GLP_R_20160010000_01D_EN.rnx"},
    {{"abmf0010.16f", "00GLP"}, "ABMF00GLP_R_20160010000_01D_CN.rnx"},
    {{"abmf0010.16p", "00GLP"}, "ABMF00GLP_R_20160010000_01D_MN.rnx"},
    {{"abmf0010.16q", "00GLP"}, "ABMF00GLP_R_20160010000_01D_JN.rnx"},
    // boundaries
    {{"abmf0000.16o", "00GLP"}, "ABMF00GLP_R_20160000000_01D_30S_MO.rnx"},
    {{"abmf3660.16o", "00GLP"}, "ABMF00GLP_R_20163660000_01D_30S_MO.rnx"},
    {{"abmf0010.80o", "00GLP"}, "ABMF00GLP_R_20800010000_01D_30S_MO.rnx"},
    {{"abmf0010.00o", "00GLP"}, "ABMF00GLP_R_20000010000_01D_30S_MO.rnx"},
    {{"abmf0011.16o", "00GLP"}, "ABMF00GLP_R_20160010000_01D_30S_MO.rnx"},
    {{"abmf001w.16o", "00GLP"}, "ABMF00GLP_R_20160012200_01H_30S_MO.rnx"},
    {{"abmf001000.16o", "00GLP"}, "ABMF00GLP_R_20160010000_15M_01S_MO.rnx"},
    {{"abmf001a30.16o", "00GLP"}, "ABMF00GLP_R_20160010030_15M_01S_MO.rnx"},
    {{"abmf001a45.16o", "00GLP"}, "ABMF00GLP_R_20160010045_15M_01S_MO.rnx"},
    // the separator is never examined
    {{"abmf0010x16o", "00GLP"}, "ABMF00GLP_R_20160010000_01D_30S_MO.rnx"},
    {{"abmf001a15x16o", "00GLP"}, "ABMF00GLP_R_20160010015_15M_01S_MO.rnx"},
    // the option: only its second character counts, a blank keeps R
    {{"- ", "abmf0010.16o", "00GLP"}, "ABMF00GLP_R_20160010000_01D_30S_MO.rnx"},
    {{"xS", "abmf0010.16o", "00GLP"}, "ABMF00GLP_S_20160010000_01D_30S_MO.rnx"},
    // the code goes into capitals byte by byte; other bytes stay
    {{"rvo_0010.16o", "00PNG"}, "RVO_00PNG_R_20160010000_01D_30S_MO.rnx"},
    {{"\xe9q\xffz0010.16o", "00FRA"}, "\xe9Q\xffZ00FRA_R_20160010000_01D_30S_MO.rnx"},
    {{"%s%n0010.16o", "%n%s%"}, "%S%N%n%s%_R_20160010000_01D_30S_MO.rnx"},
};

TEST(Conversion, PrintsOneLongNameLine)
{
	for (const Conversion &c : conversions) {
		const Result r = run(c.args);
		const std::string where = ::testing::PrintToString(c.args);
		EXPECT_EQ(r.out, std::string(c.line) + " \n") << where;
		EXPECT_EQ(r.err, "") << where;
		EXPECT_EQ(r.status, 0) << where;
	}
}

struct Failure {
	Args args;
	std::string message; // printed before the usage text
};

const Failure failures[] = {
    {{}, ""},
    // the option
    {{"-X"}, dataSource("-X")},
    {{"-s", "abmf0010.16o"}, dataSource("-s")},
    {{"-X", "bad"}, dataSource("-X")},
    {{"-S"}, ""},
    {{"-R"}, ""},
    // the name's length
    {{""}, fileName("")},
    {{"abmf0010.16"}, fileName("abmf0010.16")},
    {{"abmf0010.16oo"}, fileName("abmf0010.16oo")},
    {{"abmf001a15.16oo"}, fileName("abmf001a15.16oo")},
    {{"-S", "abmf.16o"}, fileName("abmf.16o")},
    {{"abmf0010.16o.gz"}, fileName("abmf0010.16o.gz")},
    // white space in the station code
    {{"ab f0010.16o"}, fileName("ab f0010.16o")},
    {{"ab f0010.16o", "00ITA"}, fileName("ab f0010.16o")},
    {{" bmf0010.16o"}, fileName(" bmf0010.16o")},
    {{"abm\t0010.16o", "00ITA"}, fileName("abm\t0010.16o")},
    {{"a\nmf0010.16o"}, fileName("a\nmf0010.16o")},
    {{"abmf\r\v\f0.16o"}, day("abmf\r\v\f0.16o")},
    // day of year: three digits, 000 to 366
    {{"abmf3670.16o"}, day("abmf3670.16o")},
    {{"abmf9990.16o"}, day("abmf9990.16o")},
    {{"abmf-010.16o"}, day("abmf-010.16o")},
    {{"abmf1xx0.16o"}, day("abmf1xx0.16o")},
    {{"abmf 120.16o"}, day("abmf 120.16o")},
    {{"abmf+010.16o"}, day("abmf+010.16o")},
    // hour designator: the one character at position 7
    {{"abmf001y.16o"}, hour("y")},
    {{"abmf001A.16o"}, hour("A")},
    {{"abmf0012.16o"}, hour("2")},
    {{"abmf001 .16o"}, hour(" ")},
    {{"abmf001%.16o"}, hour("%")},
    // minute: two digits, 00, 15, 30 or 45
    {{"abmf001a10.16o"}, minute("abmf001a10.16o")},
    {{"abmf001a60.16o"}, minute("abmf001a60.16o")},
    {{"abmf001axx.16o"}, minute("abmf001axx.16o")},
    {{"abmf001a 5.16o"}, minute("abmf001a 5.16o")},
    {{"abmf001a1 .16o"}, minute("abmf001a1 .16o")},
    // year: two digits, 00 to 80
    {{"abmf0010.81o"}, year("abmf0010.81o")},
    {{"abmf0010.99o"}, year("abmf0010.99o")},
    {{"abmf0010.xxo"}, year("abmf0010.xxo")},
    {{"abmf0010. 6o"}, year("abmf0010. 6o")},
    {{"abmf0010.-1o"}, year("abmf0010.-1o")},
    {{"abmf001a15.8 o"}, year("abmf001a15.8 o")},
    // file type: the one character at the end
    {{"ABMF0010.16O"}, type("O")},
    {{"abmf0010.16x"}, type("x")},
    {{"abmf0010.16 "}, type(" ")},
    {{"abmf001a15.16r"}, type("r")},
    // catalogue mode: an unknown code, taken as typed
    {{"xxxx0010.16o"}, station("xxxx")},
    {{"%n%n0010.16o"}, station("%n%n")},
    // suffix mode: exactly five characters, no white space
    {{"abmf0010.16o", "00IT"}, suffix("00IT")},
    {{"abmf0010.16o", "00ITAL"}, suffix("00ITAL")},
    {{"abmf0010.16o", ""}, suffix("")},
    {{"abmf0010.16o", "-S"}, suffix("-S")},
    {{"abmf0010.16o", "00 TA"}, suffix("00 TA")},
    {{"abmf0010.16o", "00IT\n"}, suffix("00IT\n")},
    // surplus arguments are refused, not silently accepted
    {{"abmf0010.16o", "00ITA", "extra"}, surplus("extra")},
    {{"-S", "xxxx0010.16o", "00IT", "x", "y"}, surplus("x")},
    {{"abmf0010.16o", "", ""}, surplus("")},
};

TEST(Failure, PrintsOneMessageThenUsage)
{
	for (const Failure &f : failures) {
		const Result r = run(f.args);
		const std::string where = ::testing::PrintToString(f.args);
		EXPECT_EQ(r.out, f.message + usage()) << where;
		EXPECT_EQ(r.err, "") << where;
		EXPECT_EQ(r.status, 1) << where;
	}
}

// With several faults, the first check in the run's order decides.
const Failure firstFaultWins[] = {
    {{"-X", "abmf"}, dataSource("-X")},
    {{"abmf", "00ITA", "x"}, fileName("abmf")},
    {{"ab f367y.99x"}, fileName("ab f367y.99x")},
    {{"abmf367y.99x"}, day("abmf367y.99x")},
    {{"abmf001y.99x"}, hour("y")},
    {{"abmf001a10.99x"}, minute("abmf001a10.99x")},
    {{"abmf0010.99x"}, year("abmf0010.99x")},
    {{"xxxx0010.16x"}, type("x")},
    {{"xxxx0010.16x", "00ITAL"}, type("x")},
    {{"abmf0010.81o", "a", "b"}, year("abmf0010.81o")},
    {{"xxxx0010.16o", "00IT", "x"}, surplus("x")},
};

TEST(Failure, FirstFaultInOrderWins)
{
	for (const Failure &f : firstFaultWins) {
		const Result r = run(f.args);
		EXPECT_EQ(r.out, f.message + usage()) << ::testing::PrintToString(f.args);
		EXPECT_EQ(r.status, 1);
	}
}

TEST(Usage, NamesTheProgramAsInvoked)
{
	mkdir("x", 0755);
	unlink("x/orvane");
	ASSERT_EQ(symlink(orvanePath, "x/orvane"), 0);
	const Result r = runArgv("./x/orvane", {"./x/orvane"});
	EXPECT_EQ(r.out, usage("./x/orvane"));
	EXPECT_EQ(r.err, "");
	EXPECT_EQ(r.status, 1);

	const Result bad = runArgv("./x/orvane", {"./x/orvane", "abmf0010.16o", "00IT"});
	EXPECT_EQ(bad.out, suffix("00IT") + usage("./x/orvane"));
}

TEST(Usage, EmptyArgumentVectorStillNamesTheProgram)
{
	const Result r = runArgv(orvanePath, {});
	EXPECT_EQ(r.out, usage("orvane"));
	EXPECT_EQ(r.err, "");
	EXPECT_EQ(r.status, 1);
}

} // namespace

namespace
{

// Asked for, help and version are successes; only the whole first argument counts.
TEST(Usage, HelpAndVersionOnRequest)
{
	const struct {
		Args args;
		std::string out;
		int status;
	} cases[] = {
	    {{"--help"}, usage(), 0},
	    {{"--help", "abmf0010.16o"}, usage(), 0},
	    {{"--version"}, "orvane version 16158.\n", 0},
	    {{"--version", "x", "y"}, "orvane version 16158.\n", 0},
	    {{"-h"}, dataSource("-h") + usage(), 1},
	    {{"abmf0010.16o", "--help"}, suffix("--help") + usage(), 1},
	    {{"--hel"}, fileName("--hel") + usage(), 1},
	    {{"-S", "--version"}, fileName("--version") + usage(), 1},
	};
	for (const auto &c : cases) {
		const Result r = run(c.args);
		EXPECT_EQ(r.out, c.out) << c.args[0];
		EXPECT_EQ(r.err, "");
		EXPECT_EQ(r.status, c.status);
	}
	EXPECT_EQ(runArgv(orvanePath, {"./x/orvane", "--version"}).out,
		  "./x/orvane version 16158.\n");
}

} // namespace
