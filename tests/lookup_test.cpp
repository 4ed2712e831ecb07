// sta4to9char on its own, over the real table. A code that is not found ends
// the process with status 1.
#include <gtest/gtest.h>

#include <cstdlib>

#include "orvane.h"

const char *progName = "lookup_test";
const char version[] = "test";

void HelpPrint(void)
{
	exit(1);
}

namespace
{

TEST(Lookup, ComparesTheFirstFourCharactersOnly)
{
	EXPECT_STREQ(sta4to9char("abmf"), "ABMF00GLP");
	EXPECT_STREQ(sta4to9char("abmfxyz"), "ABMF00GLP");
	EXPECT_EQ(sta4to9char("zarz"), staName[4147]); // the last row's long name itself
}

TEST(Lookup, ShortOrUnknownCodesEndTheRun)
{
	for (const char *code : {"", "a", "abm", "END", "xxxx", "ABMF"})
		EXPECT_EXIT(sta4to9char(code), ::testing::ExitedWithCode(1), "") << code;
}

} // namespace
