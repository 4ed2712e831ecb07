// The header reader over the table of files in headercases.cpp: each file
// written under its name, opened as the renamer opens it, and judged by one
// reader, as one thread of the renamer judges file after file. Then the
// decoders over whole streams, against the commands that made them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "rinex/decode.h"
#include "rinex/header.h"
#include "headercases.h"
#include "headertext.h"
#include "support/folder.h"
#include "support/run.h"

namespace
{

// Each case under each suffix, with its bytes; where a command that makes
// them is missing, the first such reason.
struct Made {
	std::vector<std::pair<HeaderCase, std::string>> files;
	std::string missing;
};

Made makeAll(const std::vector<HeaderCase> &cases, const std::vector<std::string> &suffixes)
{
	Made made;
	for (const std::string &suffix : suffixes)
		for (HeaderCase c : cases) {
			c.name += suffix;
			MadeBytes bytes = makeBytes(c);
			if (bytes.missing.empty())
				made.files.emplace_back(std::move(c), std::move(bytes.bytes));
			else if (made.missing.empty())
				made.missing = bytes.missing;
		}
	return made;
}

class Header : public InOwnFolder<>
{
      protected:
	HeaderReader reader;

	// The outcome as the table writes it: "15S GO; a note", or "kind: why".
	std::string judge(const std::string &name, const std::string &bytes)
	{
		std::ofstream(name, std::ios::binary) << bytes;
		const int fd = open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
		EXPECT_GE(fd, 0) << name;
		const Verdict v = reader.judge(fd, compressionOf(name), nameSays(name).value());
		close(fd);
		unlink(name.c_str());
		if (!v.kept())
			return v.kind + ": " + v.why;
		std::string outcome = v.frequency;
		if (!v.content.empty() && v.content != "MO")
			outcome += " " + v.content;
		for (const std::string &note : v.notes)
			outcome += "; " + note;
		return outcome;
	}

	void judgeAll(const std::vector<HeaderCase> &cases,
		      const std::vector<std::string> &suffixes)
	{
		const Made made = makeAll(cases, suffixes);
		for (const auto &[c, bytes] : made.files)
			EXPECT_EQ(judge(c.name, bytes), c.expected)
			    << c.name << (c.file.empty() ? "" : " from " + c.file);
		if (!made.missing.empty())
			GTEST_SKIP() << made.missing;
	}
};

TEST_F(Header, GeneratedFilesInEveryCompression)
{
	judgeAll(generatedCases(), {"", ".Z", ".gz", ".bz2"});
}

TEST_F(Header, RealFiles)
{
	judgeAll(realCases(), {""});
}

TEST_F(Header, CutShortDamagedAndEmpty)
{
	judgeAll(damagedCases(), {""});
}

// The resident memory of this process, in KiB.
long residentKiB()
{
	long pages = 0, resident = 0;
	std::ifstream("/proc/self/statm") >> pages >> resident;
	return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// A reader keeps libbz2's blocks for the next file: every block a stream
// took comes back to it, also from a stream cut short before its first
// block, which took only libbz2's state. Such files and whole ones in turn
// leave the reader's memory as the first two left it; a block lost to the
// pool would add 3.6 MB, all touched, with each whole file.
TEST_F(Header, Bzip2BlocksServeFileAfterFile)
{
	const MadeBytes whole = compressed(observations({.epochs = 2000}), ".bz2");
	if (!whole.missing.empty())
		GTEST_SKIP() << whole.missing;
	const auto both = [&] {
		EXPECT_EQ(judge("abmf0010.16o.bz2", "BZh"), ".bz2 stream cut short: .bz2 stream cut short");
		EXPECT_EQ(judge("abmf0010.16o.bz2", whole.bytes), "30S");
	};
	both();
	const long before = residentKiB();
	for (int i = 0; i < 20; i++)
		both();
	EXPECT_LT(residentKiB() - before, 8192) << "KiB more after 20 more files of each kind";
}

// The same rows through the renamer: orvane-rename -n -H over a folder that
// holds each file in a folder of its own prints, for a file kept, its name
// with the header's data-frequency field and content in place of the
// conversion's, and its notes; for one left, its reason; then the count of
// files left by kind, and of those named 00U. Beside the tree lies a
// candidate that the run must not reach.
class HeaderRuns : public InOwnFolder<>
{
      protected:
	void runAll(const std::vector<HeaderCase> &cases, const std::vector<std::string> &suffixes)
	{
		const Made files = makeAll(cases, suffixes);
		std::vector<HeaderCase> made;
		for (auto [c, bytes] : files.files) {
			char folder[16];
			snprintf(folder, sizeof folder, "t/c%04zu/", made.size());
			std::filesystem::create_directories(folder);
			std::ofstream(folder + c.name, std::ios::binary) << bytes;
			c.name = folder + c.name;
			made.push_back(c);
		}
		std::ofstream("abmf0010.16o") << "beside the tree";

		// The names without -H, for the frequency field to go in.
		std::map<std::string, std::string> plain;
		for (const std::string &line : lines(renamer({"-n", "-s", "00TST", "t"}).out))
			plain[line.substr(0, line.find(" -> "))] =
			    line.substr(line.find(" -> ") + 4);
		std::string out, err;
		std::map<std::string, size_t> kinds;
		size_t unknownRate = 0;
		for (const HeaderCase &c : made) {
			if (const std::optional<Kept> kept = keptOf(c.expected)) {
				out += c.name + " -> " + withHeader(plain[c.name], *kept) + "\n";
				for (const std::string &note : kept->notes)
					err += c.name + ": note: " + note + "\n";
				unknownRate += kept->frequency == "00U";
			} else {
				const size_t colon = c.expected.find(": ");
				err += c.name + ": not renamed: " + c.expected.substr(colon + 2) +
				       "\n";
				kinds[c.expected.substr(0, colon)]++;
			}
		}
		err += countLine(kinds, unknownRate);
		const Result r = renamer({"-n", "-H", "-s", "00TST", "t"});
		EXPECT_EQ(r.out, out);
		EXPECT_EQ(r.err, err);
		EXPECT_EQ(r.status, kinds.empty() ? 0 : 1);
		// four readers, one to a thread, in any order of the folders
		const Result four = renamer({"-n", "-H", "-s", "00TST", "-j", "4", "t"});
		EXPECT_EQ(sorted(four.out), sorted(out));
		EXPECT_EQ(sorted(four.err), sorted(err));
		EXPECT_EQ(four.status, r.status);
		std::ifstream beside("abmf0010.16o");
		EXPECT_EQ(std::string(std::istreambuf_iterator<char>(beside), {}),
			  "beside the tree");
		if (!files.missing.empty())
			GTEST_SKIP() << files.missing;
	}

	static Result renamer(const std::vector<std::string> &args)
	{
		std::vector<std::string> argv{"orvane-rename"};
		argv.insert(argv.end(), args.begin(), args.end());
		return runArgv(orvaneRenamePath, argv);
	}

	static std::vector<std::string> lines(const std::string &text)
	{
		std::vector<std::string> found;
		std::istringstream in(text);
		for (std::string line; std::getline(in, line);)
			found.push_back(line);
		return found;
	}

	static std::vector<std::string> sorted(const std::string &text)
	{
		std::vector<std::string> found = lines(text);
		std::sort(found.begin(), found.end());
		return found;
	}

	// SSSSMRCCC_S_YYYYDDDHHMM_PPP_FFF_TT.ext: the fifth field, FFF, and the
	// sixth, TT, where an observation file has them; a navigation file's
	// name stays as it is.
	static std::string withHeader(std::string name, const Kept &kept)
	{
		size_t at = 0;
		for (int field = 0; field < 4 && at != std::string::npos; field++)
			at = name.find('_', at + 1);
		if (!kept.frequency.empty() && at != std::string::npos &&
		    name.find('_', at + 1) != std::string::npos) {
			name.replace(at + 1, 3, kept.frequency);
			name.replace(at + 5, 2, kept.content);
		}
		return name;
	}

	// orvane-rename: 3 files left: 2 header names another station, 1 .gz
	// stream damaged; 2 named with an unknown rate, 00U
	static std::string countLine(const std::map<std::string, size_t> &kinds, size_t unknownRate)
	{
		std::vector<std::pair<std::string, size_t>> sorted(kinds.begin(), kinds.end());
		std::stable_sort(sorted.begin(), sorted.end(),
				 [](const auto &a, const auto &b) { return a.second > b.second; });
		size_t files = 0;
		std::string counts;
		for (const auto &[kind, n] : sorted) {
			files += n;
			counts += (counts.empty() ? "" : ", ") + std::to_string(n) + " " + kind;
		}
		std::string line;
		if (files > 0)
			line = std::to_string(files) + (files == 1 ? " file" : " files") + " left: " + counts;
		if (unknownRate > 0)
			line += (line.empty() ? "" : "; ") + std::to_string(unknownRate) +
				" named with an unknown rate, 00U";
		return line.empty() ? "" : "orvane-rename: " + line + "\n";
	}
};

TEST_F(HeaderRuns, GeneratedFilesInEveryCompression)
{
	runAll(generatedCases(), {"", ".Z", ".gz", ".bz2"});
}

TEST_F(HeaderRuns, RealFiles)
{
	runAll(realCases(), {""});
}

TEST_F(HeaderRuns, CutShortDamagedAndEmpty)
{
	runAll(damagedCases(), {""});
}

// Notes, and files named 00U, leave the status alone: the files of the
// generated rows with notes, and nothing left.
TEST_F(HeaderRuns, NotesLeaveTheStatusAlone)
{
	std::vector<HeaderCase> noted;
	for (const HeaderCase &c : generatedCases())
		if (const std::optional<Kept> kept = keptOf(c.expected); kept && !kept->notes.empty())
			noted.push_back(c);
	ASSERT_GE(noted.size(), 3U);
	runAll(noted, {""});
}

// Only a regular file is read: a pipe named is left unread, and the open
// does not wait for a writer to come.
TEST_F(HeaderRuns, OnlyARegularFileIsRead)
{
	ASSERT_EQ(mkfifo("abmf0010.16o", 0644), 0);
	const Result r = renamer({"-n", "-H", "abmf0010.16o"});
	EXPECT_EQ(r.out, "");
	EXPECT_EQ(r.err, "abmf0010.16o: not renamed: not a regular file, not read\n"
			 "orvane-rename: 1 file left: 1 not a regular file, not read\n");
	EXPECT_EQ(r.status, 1);
}

// The whole of a text through each decoder: .Z of every code width from 10
// bits (ncompress makes no readable 9-bit stream), with the table filled and
// cleared; .gz and .bz2 of two members or streams each.
TEST(Decoders, WholeStreamsAsTheCommandsMadeThem)
{
	const std::string text = mixedText();
	struct Way {
		std::string suffix;
		std::vector<std::string> options;
		Compression compression;
	};
	std::vector<Way> ways;
	for (int bits = 10; bits <= 16; bits++)
		ways.push_back({".Z", {"-b", std::to_string(bits)}, Compression::compress});
	ways.push_back({".gz", {}, Compression::gzip});
	ways.push_back({".bz2", {}, Compression::bzip2});

	rinex::Decoder decoder;
	std::vector<char> chunk(5000);
	for (const Way &way : ways) {
		const MadeBytes first =
		    compressed(text.substr(0, 1'000'000), way.suffix, way.options);
		if (!first.missing.empty())
			GTEST_SKIP() << first.missing;
		const bool members = way.compression != Compression::compress;
		const MadeBytes all =
		    members ? compressed(text.substr(1'000'000), way.suffix, way.options)
			    : compressed(text, way.suffix, way.options);
		const std::string bytes = members ? first.bytes + all.bytes : all.bytes;
		char name[] = "/tmp/orvane-decoded-XXXXXX";
		const int fd = mkstemp(name);
		ASSERT_EQ(write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
		ASSERT_EQ(lseek(fd, 0, SEEK_SET), 0);
		unlink(name);
		decoder.start(fd, way.compression);
		std::string out;
		for (size_t n; (n = decoder.read(chunk.data(), chunk.size())) > 0;)
			out.append(chunk.data(), n);
		close(fd);
		EXPECT_FALSE(decoder.failure()) << way.suffix << ": " << decoder.failure()->why;
		EXPECT_TRUE(out == text)
		    << way.suffix << (way.options.empty() ? "" : " " + way.options[1]) << ": "
		    << out.size() << " bytes of " << text.size();
	}
}

} // namespace
