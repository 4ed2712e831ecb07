// A line that cannot be written is no success: with standard output on a full
// device every run ends with status 1, and a conversion, the usage text or the
// version asked for say why in one line on standard error.
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/run.h"

namespace
{

const char full[] = "/dev/full";
const char reason[] = "orvane: write error: No space left on device\n";

struct Case {
	std::vector<std::string> args;
	const char *err;
};

const Case cases[] = {
    {{"abmf0010.16o"}, reason},
    {{"-S", "xxxx001a15.16d", "00ITA"}, reason},
    {{"--version"}, reason},
    {{"--help"}, reason},
    // a failure is status 1 anyway; its lost usage text adds no second reason
    {{}, ""},
    {{"abmf0010.16x"}, ""},
    {{"xxxx0010.16o"}, ""},
};

TEST(WriteError, FullDeviceIsFailure)
{
	if (access(full, W_OK) != 0)
		GTEST_SKIP() << full << " is missing";
	for (const Case &c : cases) {
		const Result r = runWithStdout(full, c.args);
		const std::string where = ::testing::PrintToString(c.args);
		EXPECT_EQ(r.status, 1) << where;
		EXPECT_EQ(r.err, c.err) << where;
	}
}

// The same runs succeed or fail as usual when the output has room.
TEST(WriteError, NullDeviceIsNoFailure)
{
	for (const Case &c : cases) {
		const Result r = runWithStdout("/dev/null", c.args);
		EXPECT_EQ(r.status, c.err[0] != '\0' ? 0 : 1) << ::testing::PrintToString(c.args);
		EXPECT_EQ(r.err, "");
	}
}

} // namespace
