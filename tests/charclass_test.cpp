// White space and digits are told apart byte by byte, as isspace and isdigit
// do in the C locale; the bytes next to each class must not slip in or out.
#include <gtest/gtest.h>

#include "support/messages.h"
#include "support/run.h"

namespace
{

const char whiteSpace[] = {' ', '\t', '\n', '\v', '\f', '\r'};
const char notWhiteSpace[] = {'\b', '\x0e', '\x1f', '!', '\x7f', '\x85', '\xa0'};

std::string refusedName(const std::string &name)
{
	return message::fileName(name) + usage();
}

std::string refusedSuffix(const std::string &suffix)
{
	return message::suffix(suffix) + usage();
}

TEST(CharClass, WhiteSpaceIsRefusedInCodeAndSuffix)
{
	for (const char c : whiteSpace) {
		const std::string name = std::string("ab") + c + "f0010.16o";
		const std::string suffix = std::string("00") + c + "TA";
		EXPECT_EQ(run({name, "00ITA"}).out, refusedName(name)) << int(c);
		EXPECT_EQ(run({"abmf0010.16o", suffix}).out, refusedSuffix(suffix)) << int(c);
		EXPECT_EQ(run({std::string("-") + c, "abmf0010.16o", "00GLP"}).status, 0) << int(c);
	}
}

TEST(CharClass, OtherBytesAreTakenAsTyped)
{
	for (const char c : notWhiteSpace) {
		const Result r =
		    run({std::string("ab") + c + "f0010.16o", std::string("00") + c + "TA"});
		EXPECT_EQ(r.out,
			  std::string("AB") + c + "F00" + c + "TA_R_20160010000_01D_30S_MO.rnx \n")
		    << int(c);
		EXPECT_EQ(run({std::string("-") + c, "abmf0010.16o", "00GLP"}).status, 1) << int(c);
	}
}

TEST(CharClass, OnlyDecimalDigitsMakeADay)
{
	for (const char *day : {"/01", "0/1", "00:", ":00"}) {
		const std::string name = std::string("abmf") + day + "0.16o";
		EXPECT_EQ(run({name, "00ITA"}).out,
			  "\nInput Day-of-Year not recognized in the filename... '" + name +
			      "' (accepted; Day-Of-Year 000-366)\n" + usage())
		    << day;
	}
}

} // namespace
