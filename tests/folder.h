// A test that runs in a folder of its own under /tmp, made the current one,
// and removed with all it holds at the end.
#ifndef ORVANE_TESTS_FOLDER_H
#define ORVANE_TESTS_FOLDER_H

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

template <class Base = ::testing::Test> class InOwnFolder : public Base
{
      protected:
	void SetUp() override
	{
		char tmpl[] = "/tmp/orvane-test-XXXXXX";
		ASSERT_NE(mkdtemp(tmpl), nullptr);
		top = tmpl;
		ASSERT_EQ(chdir(tmpl), 0);
	}
	void TearDown() override
	{
		EXPECT_EQ(chdir("/"), 0);
		std::filesystem::remove_all(top);
	}
	std::filesystem::path top;
};

#endif
