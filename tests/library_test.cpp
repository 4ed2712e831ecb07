// The renamer's library driven in-process: a run over a folder of the test's
// own, its record captured in files, the no-replace rename called alone, and
// an undo in a folder that fstat fails on, as no file system here makes it.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/folder.h"
#include "name/names.h"
#include "rename/noreplace.h"
#include "rename/options.h"
#include "rename/renamer.h"
#include "rename/undo.h"
#include "report/record.h"
#include "stations/listednames.h"
#include "util/fd.h"
#include "walk/budget.h"
#include "walk/walk.h"

namespace
{

// The folder whose fstat fails as on NFS once the server has lost it, by its
// device and inode numbers; none while the device is 0.
dev_t staleDevice = 0;
ino_t staleInode = 0;

} // namespace

// Every fstat of the process comes here.
extern "C" int fstat(int fd, struct stat *st)
{
	const int r = fstatat(fd, "", st, AT_EMPTY_PATH);
	if (r == 0 && staleDevice != 0 && st->st_dev == staleDevice && st->st_ino == staleInode) {
		errno = ESTALE;
		return -1;
	}
	return r;
}

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

// A pair whose folder cannot be asked about once opened is left with why.
TEST_F(Library, UndoLeavesAPairInAFolderGoneStale)
{
	ASSERT_EQ(mkdir("a", 0755), 0);
	make("a/ABMF00GLP_R_20160010000_01D_30S_MO.rnx");
	struct stat st;
	ASSERT_EQ(stat("a", &st), 0);
	Record record({.out = out.get(), .err = err.get()});
	NoReplace noReplace(record);
	char a[] = "a";
	char *const paths[] = {a};
	staleDevice = st.st_dev;
	staleInode = st.st_ino;
	undoPairs({{"a/abmf0010.16o", "a/ABMF00GLP_R_20160010000_01D_30S_MO.rnx"}}, paths, false,
		  record, noReplace);
	staleDevice = 0;
	EXPECT_EQ(record.end(), 1);
	EXPECT_EQ(text(out), "");
	EXPECT_EQ(text(err), "a/ABMF00GLP_R_20160010000_01D_30S_MO.rnx: not renamed back: Stale file "
			     "handle\n");
	EXPECT_TRUE(std::filesystem::exists("a/ABMF00GLP_R_20160010000_01D_30S_MO.rnx"));
}

} // namespace
