// shortenName on its own, and as the inverse of convertName over the names
// the two share.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "name/orvane.h"

namespace
{

// The short name, the reason as printed, or "" for no layout.
std::string shorten(const char *name, Shortening *verdict)
{
	ShortName sn;
	*verdict = shortenName(name, &sn);
	if (*verdict != shortRefused)
		return *verdict == shortOk ? sn.name : "";
	EXPECT_TRUE(sn.part >= name && sn.part + sn.partLength <= name + strlen(name)) << name;
	char why[80];
	snprintf(why, sizeof why, sn.why, sn.partLength, sn.part);
	return why;
}

// Each refusal also fails the checks after its own where it can, so that the
// order is held too.
const char *const cases[][2] = {
    {"ABMF00GLP_R_20160010000_01D_30S_MO.rnx", "abmf0010.16o"},
    {"BRUX00BEL_R_20183101900_01H_30S_MO.crx", "brux310t.18d"},
    {"ZIMM00CHE_R_20210320115_15M_01S_MO.rnx", "zimm032b15.21o"},
    {"ZIMM00CHE_S_20212662345_15M_01S_GO.crx", "zimm266x45.21d"},
    {"Amc200USA_U_19810010000_01H_30S_IO.rnx", "amc2001a.81o"},
    {"ABMF00GLP_R_20803660000_01D_GN.rnx", "abmf3660.80n"},
    {"ABMF00GLP_R_20160011000_01H_RN.rnx", "abmf001k.16g"},
    {"ABMF00GLP_R_20160010000_15M_SN.rnx", "abmf001a00.16h"},
    {"ABMF00GLP_R_20160010000_01D_EN.rnx", "abmf0010.16l"},
    {"ABMF00GLP_R_20160010000_01D_CN.rnx", "abmf0010.16f"},
    {"ABMF00GLP_R_20160010000_01D_JN.rnx", "abmf0010.16q"},
    {"ABMF00GLP_R_20160010000_01D_01H_MN.rnx", "abmf0010.16p"},
    {"ABMF00GLP_R_20160010000_01D_01M_MM.rnx", "abmf0010.16m"},
    {"ABMF00GLP_R_19803672400_59M_30S_IN.crx", "year 1980 has no short name"},
    {"ABMF00GLP_R_20810010000_01D_30S_MO.rnx", "year 2081 has no short name"},
    {"ABMF00GLP_R_20163672400_59M_30S_IN.crx", "day 367 has no short name"},
    {"ABMF00GLP_R_20160000000_01D_30S_MO.rnx", "day 000 has no short name"},
    {"ABMF00GLP_R_20160012400_59M_30S_IN.crx", "hour 24 has no short name"},
    {"ABMF00GLP_R_20160010000_59M_30S_IN.crx", "period 59M has no short name"},
    {"ABMF00GLP_R_20160010600_01D_30S_IN.crx", "period 01D from 0600 has no short name"},
    {"ABMF00GLP_R_20160010130_01H_30S_IN.crx", "period 01H from 0130 has no short name"},
    {"ABMF00GLP_R_20160010010_15M_01S_IN.crx", "period 15M from 0010 has no short name"},
    {"ABMF00GLP_R_20160010053_15M_01S_MO.rnx", "period 15M from 0053 has no short name"},
    {"ABMF00GLP_R_20160010000_01D_30S_IN.crx", "content type IN has no short name"},
    {"ABMF00GLP_R_20160010000_01D_GN.crx", "content type GN in crx has no short name"},
    {"ABMF00glp_R_20160010000_01D_30S_MO.rnx", ""},
    {"ABMF00GLP_20160010000_01D_30S_MO.rnx", ""},
    {"ABMF00GLP_X_20160010000_01D_30S_MO.rnx", ""},
    {"ABMF00GLP_R_20160010000_01D_30S_MO.crxx", ""},
    {"ABMF00GLP_R_20160010000_01D_30S_MO.cnx", ""},
    {"ABMF00GLP_R_20160010000_01D_30S_MO.rnx.gz", ""},
    {"ABMF0GLP_R_20160010000_01D_30S_MO.rnx", ""},
    {"ABMF00GLP-R-20160010000-01D-30S-MO.rnx", ""},
    {"ABMF00GLP_", ""},
};

TEST(Shorten, ShortNameOrReason)
{
	for (const auto &c : cases) {
		Shortening verdict;
		EXPECT_EQ(shorten(c[0], &verdict), c[1]) << c[0];
		EXPECT_EQ(verdict, c[1][0] == '\0'                ? shortNoLayout
				   : strchr(c[1], ' ') != nullptr ? shortRefused
								  : shortOk)
		    << c[0];
	}
}

// Catalogue codes with no suffix, or made-up codes with one, and every
// session kind, day, year and type the two share. Each draw is a statement of
// its own, so that a seed makes the same names whatever the compiler.
TEST(Shorten, UndoesConvertName)
{
	const char *seed = getenv("ORVANE_SEED") != nullptr ? getenv("ORVANE_SEED") : "16158";
	printf("seed %s (ORVANE_SEED)\n", seed);
	std::mt19937 rng(strtoul(seed, nullptr, 10));
	auto below = [&rng](size_t n) {
		return std::uniform_int_distribution<size_t>(0, n - 1)(rng);
	};
	auto draw = [&below](const char *set) { return std::string(1, set[below(strlen(set))]); };
	const char alnum[] = "abcdefghijklmnopqrstuvwxyz0123456789";

	for (int i = 0; i < 5000; i++) {
		std::string name, suffix;
		const char *code = staName[2 * below(staRows)];
		if (below(2) == 0 && strspn(code, alnum) == 4 && code[4] == '\0') {
			name = code;
		} else {
			for (int k = 0; k < 4; k++)
				name += draw(alnum);
			suffix = std::to_string(100 + below(100)).substr(1);
			for (int k = 0; k < 3; k++)
				suffix += draw("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
		}
		name += std::to_string(1001 + below(366)).substr(1);
		const size_t session = below(3);
		name += session == 0 ? "0" : draw("abcdefghijklmnopqrstuvwx");
		if (session == 2)
			name += std::string("00153045", 2 * below(4), 2);
		// 81 to 99, 1981 to 1999, are the renamer's alone
		const size_t year = below(100);
		name += ".";
		name += std::to_string(100 + year).substr(1);
		name += draw("odnghlfpq");

		LongName ln;
		const auto convert = year > 80 ? convertNameFrom1981 : convertName;
		ASSERT_EQ(convert(name.c_str(), suffix.empty() ? nullptr : suffix.c_str(), nullptr,
				  sta4to9char, &ln),
			  convOk)
		    << name;
		char longName[64], written[longNameSize];
		const char *source = below(2) ? "R" : "S";
		writeLongName(written, &ln, source);
		// the renamer's writer and orvane's printf give one name
		if (year <= 80) {
			snprintf(longName, sizeof longName, LONG_NAME, ln.station, ln.suffix,
				 source, ln.year, ln.day, ln.hour, ln.minute, ln.interval,
				 ln.cadence, ln.type, ln.extension);
			ASSERT_STREQ(written, longName);
		}
		Shortening verdict;
		ASSERT_EQ(shorten(written, &verdict), name) << written;
	}
}

} // namespace
