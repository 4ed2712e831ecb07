// The renamer's library driven in-process: a run over a folder of the test's
// own, its record captured in files, and the no-replace rename called alone.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>

#include "support/folder.h"
#include "name/names.h"
#include "rename/noreplace.h"
#include "rename/options.h"
#include "rename/renamer.h"
#include "report/record.h"
#include "stations/listednames.h"
#include "util/fd.h"
#include "walk/budget.h"
#include "walk/walk.h"

namespace
{

class Library : public InOwnFolder<>
{
      protected:
	void SetUp() override
	{
		InOwnFolder::SetUp();
		out = Fd(open(".", O_TMPFILE | O_RDWR, 0600));
		err = Fd(open(".", O_TMPFILE | O_RDWR, 0600));
		ASSERT_TRUE(out && err);
	}
	static std::string text(const Fd &fd)
	{
		std::string s(static_cast<std::size_t>(lseek(fd.get(), 0, SEEK_END)), '\0');
		EXPECT_EQ(pread(fd.get(), s.data(), s.size(), 0), static_cast<ssize_t>(s.size()));
		return s;
	}
	static void make(const char *name) { std::ofstream(name) << name; }
	static std::string content(const char *name)
	{
		std::ifstream in(name);
		return {std::istreambuf_iterator<char>(in), {}};
	}
	Fd out, err;
};

TEST_F(Library, WalkRecordsInItsOwnFiles)
{
	ASSERT_EQ(mkdir("a", 0755), 0);
	make("a/abmf0010.16o");
	make("a/abmf0020.16o");
	make("a/ABMF00GLP_R_20160020000_01D_30S_MO.rnx");
	const Options options;
	const ListedNames lists;
	const Naming naming{.lists = &lists};
	Record record({.out = out.get(), .err = err.get()});
	NoReplace noReplace(record);
	const ::Run run{options, naming, record, noReplace};
	{
		Walk walk(run, descriptorBudget(1, false), nullptr);
		walk.path("a");
	}
	EXPECT_EQ(record.end(), 1);
	EXPECT_EQ(text(out), "a/abmf0010.16o -> a/ABMF00GLP_R_20160010000_01D_30S_MO.rnx\n");
	EXPECT_EQ(text(err), "a/abmf0020.16o: not renamed: a/ABMF00GLP_R_20160020000_01D_30S_MO.rnx "
			     "exists\n");
	EXPECT_EQ(content("a/ABMF00GLP_R_20160020000_01D_30S_MO.rnx"),
		  "a/ABMF00GLP_R_20160020000_01D_30S_MO.rnx");
}

TEST_F(Library, NoReplaceLeavesBothNames)
{
	make("old");
	make("new");
	Record record({.out = out.get(), .err = err.get()});
	NoReplace noReplace(record);
	const Fd here(open(".", O_RDONLY | O_DIRECTORY));
	struct stat st;
	ASSERT_EQ(fstat(here.get(), &st), 0);
	const Place place{here.get(), st.st_dev, "", nullptr, nullptr, {}};
	EXPECT_EQ(noReplace.move(place, "old", "new").error(), EEXIST);
	EXPECT_EQ(content("old"), "old");
	EXPECT_EQ(content("new"), "new");
	const Result<Moved> moved = noReplace.move(place, "old", "other");
	ASSERT_TRUE(moved);
	EXPECT_EQ(*moved, Moved::renamed);
	EXPECT_EQ(content("other"), "old");
	EXPECT_EQ(record.end(), 0);
	EXPECT_EQ(text(err), "");
}

} // namespace
