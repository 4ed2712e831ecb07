// A test that runs in a folder of its own under /tmp, made the current one,
// and removed with all it holds at the end. Beside it lies a candidate that
// no test names: a walk that escapes the test's folder renames it, and the
// test fails.
#ifndef ORVANE_TESTS_SUPPORT_FOLDER_H
#define ORVANE_TESTS_SUPPORT_FOLDER_H

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

template <class Base = ::testing::Test> class InOwnFolder : public Base
{
      protected:
	void SetUp() override
	{
		char tmpl[] = "/tmp/orvane-test-XXXXXX";
		ASSERT_NE(mkdtemp(tmpl), nullptr);
		outer = tmpl;
		std::ofstream(outer / sentinel) << sentinel;
		top = outer / "t";
		std::filesystem::create_directory(top);
		ASSERT_EQ(chdir(top.c_str()), 0);
	}
	void TearDown() override
	{
		EXPECT_EQ(chdir("/"), 0);
		std::string names;
		for (const auto &e : std::filesystem::directory_iterator(outer))
			names += e.path().filename().string() + " ";
		std::ifstream kept(outer / sentinel);
		EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), sentinel)
		    << "the candidate beside the test's folder was touched: " << names;
		std::filesystem::remove_all(outer);
	}
	static constexpr const char *sentinel = "abmf0010.16o";
	std::filesystem::path outer; // holds the sentinel and top
	std::filesystem::path top;   // the test's own folder
};

#endif
