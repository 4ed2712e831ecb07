// The station table itself, checked against the rules its rows follow, and
// catalogue mode through the binary.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "name/orvane.h"
#include "support/messages.h"
#include "support/run.h"

namespace
{

// The table's size is not visible here: count up to the terminator.
size_t countEntries()
{
	size_t i = 0;
	while (strcmp(staName[i], "END") != 0)
		i++;
	return i + 1;
}

const size_t entries = countEntries();
const size_t rows = entries / 2;

std::string shortName(size_t row)
{
	return staName[2 * row];
}
std::string longName(size_t row)
{
	return staName[2 * row + 1];
}

TEST(Catalogue, HoldsEveryRowThenTheTerminator)
{
	EXPECT_EQ(entries, 4149u);
	EXPECT_EQ(rows, 2074u);
	EXPECT_STREQ(staName[entries - 1], "END");
	std::set<std::string> codes;
	for (size_t r = 0; r < rows; r++)
		codes.insert(shortName(r));
	EXPECT_EQ(codes.size(), 1660u);
	EXPECT_EQ(codes.count("END"), 0u);
}

TEST(Catalogue, LongNameIsShortNameInCapitalsThen00AndCountry)
{
	for (size_t r = 0; r < rows; r++) {
		const std::string s = shortName(r), l = longName(r);
		ASSERT_EQ(s.size(), 4u) << "row " << r + 1;
		ASSERT_EQ(l.size(), 9u) << "row " << r + 1;
		for (int i = 0; i < 4; i++) {
			const char c = s[i];
			EXPECT_TRUE(islower(c) || isdigit(c) || c == '_') << s;
			EXPECT_EQ(l[i], toupper(c)) << s;
		}
		EXPECT_EQ(l.substr(4, 2), "00") << s;
		for (int i = 6; i < 9; i++)
			EXPECT_TRUE(isupper(l[i])) << l;
	}
}

// First row of each group (1-based), and one past the last row.
const size_t groupStart[] = {1, 502, 782, 792, 979, 1282, 1666, 2075};

TEST(Catalogue, GroupsAreSortedWithoutRepeats)
{
	for (int g = 0; g < 7; g++) {
		if (g == 2)
			continue; // the supplementary rows keep their own order
		for (size_t r = groupStart[g]; r + 1 < groupStart[g + 1]; r++)
			EXPECT_LT(shortName(r - 1), shortName(r))
			    << "group " << g + 1 << ", row " << r + 1;
	}
}

TEST(Catalogue, SupplementaryRowsInTheirOwnOrder)
{
	const char *const supplementary[] = {"aut0", "mao0", "myva", "nrmg", "owng",
					     "sin0", "wtz2", "jogj", "jog2", "pfrr"};
	for (size_t i = 0; i < 10; i++)
		EXPECT_EQ(shortName(groupStart[2] - 1 + i), supplementary[i]);
}

TEST(Catalogue, OnlyNineCodesHaveRowsThatDisagree)
{
	std::map<std::string, std::set<std::string>> names;
	for (size_t r = 0; r < rows; r++)
		names[shortName(r)].insert(longName(r));
	std::map<std::string, std::set<std::string>> disagreeing;
	for (const auto &n : names)
		if (n.second.size() > 1)
			disagreeing.insert(n);
	const std::map<std::string, std::set<std::string>> expected = {
	    {"bair", {"BAIR00AUS", "BAIR00BRA"}}, {"brmu", {"BRMU00GBR", "BRMU00BMU"}},
	    {"carg", {"CARG00ESP", "CARG00AUS"}}, {"dora", {"DORA00AUS", "DORA00COL"}},
	    {"guug", {"GUUG00GUM", "GUUG00USA"}}, {"hksl", {"HKSL00HKG", "HKSL00CHN"}},
	    {"hkws", {"HKWS00HKG", "HKWS00CHN"}}, {"tcms", {"TCMS00CHN", "TCMS00TWN"}},
	    {"tnml", {"TNML00CHN", "TNML00TWN"}},
	};
	EXPECT_EQ(disagreeing, expected);
}

struct Lookup {
	const char *code;
	const char *station;
};

// The earliest row decides; the rest are rows worth seeing through the binary.
const Lookup lookups[] = {
    {"abmf", "ABMF00GLP"}, {"zarz", "ZARZ00COL"}, {"00na", "00NA00AUS"}, {"rvo_", "RVO_00PNG"},
    {"brmu", "BRMU00GBR"}, {"guug", "GUUG00GUM"}, {"hksl", "HKSL00HKG"}, {"hkws", "HKWS00HKG"},
    {"tcms", "TCMS00CHN"}, {"tnml", "TNML00CHN"}, {"carg", "CARG00ESP"}, {"bair", "BAIR00AUS"},
    {"dora", "DORA00AUS"}, {"0194", "019400JPN"}, {"pfrr", "PFRR00USA"}, {"jog2", "JOG200IDN"},
    {"mnpk", "MNPK00AUS"}, {"mnde", "MNDE00AUS"}, {"ub01", "UB0100MNG"}, {"zwe2", "ZWE200RUS"},
};

TEST(CatalogueMode, EarliestRowGivesTheStation)
{
	for (const Lookup &l : lookups) {
		const Result r = run({std::string(l.code) + "0010.16o"});
		EXPECT_EQ(r.out, std::string(l.station) + "_R_20160010000_01D_30S_MO.rnx \n")
		    << l.code;
		EXPECT_EQ(r.err, "");
		EXPECT_EQ(r.status, 0);
	}
}

const std::pair<std::vector<std::string>, const char *> workedExamples[] = {
    {{"abmf0010.16o"}, "ABMF00GLP_R_20160010000_01D_30S_MO.rnx \n"},
    {{"abmf0010.16d"}, "ABMF00GLP_R_20160010000_01D_30S_MO.crx \n"},
    {{"abmf0010.16n"}, "ABMF00GLP_R_20160010000_01D_GN.rnx \n"},
    {{"abmf001a.16g"}, "ABMF00GLP_R_20160010000_01H_RN.rnx \n"},
    {{"-R", "abmf001c.16l"}, "ABMF00GLP_R_20160010200_01H_EN.rnx \n"},
    {{"-S", "abmf0010.16o"}, "ABMF00GLP_S_20160010000_01D_30S_MO.rnx \n"},
    {{"abmf001x00.16o"}, "ABMF00GLP_R_20160012300_15M_01S_MO.rnx \n"},
    {{"abmf001b15.16d"}, "ABMF00GLP_R_20160010115_15M_01S_MO.crx \n"},
    {{"abmf001a15.16n"}, "ABMF00GLP_R_20160010015_15M_GN.rnx \n"},
    {{"abmf0010.16o", "00ITA"}, "ABMF00ITA_R_20160010000_01D_30S_MO.rnx \n"},
};

TEST(CatalogueMode, WorkedExamples)
{
	for (const auto &w : workedExamples) {
		const Result r = run(w.first);
		EXPECT_EQ(r.out, w.second) << w.first[0];
		EXPECT_EQ(r.status, 0);
	}
}

TEST(CatalogueMode, CodesOutsideTheCatalogueAreNotFound)
{
	for (const char *code : {"xxxx", "ABMF", "Abmf", "abmF", "endx", "END_"}) {
		const Result r = run({std::string(code) + "0010.16o"});
		EXPECT_EQ(r.out, message::station(code) + usage()) << code;
		EXPECT_EQ(r.status, 1);
	}
}

} // namespace
