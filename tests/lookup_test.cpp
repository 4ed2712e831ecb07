// sta4to9char on its own, over the real table: the earliest row's long name
// itself, or NULL.
#include <gtest/gtest.h>

#include "name/orvane.h"

namespace
{

TEST(Lookup, ComparesTheFirstFourCharactersOnly)
{
	EXPECT_STREQ(sta4to9char("abmf"), "ABMF00GLP");
	EXPECT_STREQ(sta4to9char("abmfxyz"), "ABMF00GLP");
	EXPECT_EQ(sta4to9char("zarz"), staName[4147]); // the last row's long name itself
}

TEST(Lookup, ShortOrUnknownCodesAreNotFound)
{
	for (const char *code : {"", "a", "abm", "END", "xxxx", "ABMF"})
		EXPECT_EQ(sta4to9char(code), nullptr) << code;
}

} // namespace
