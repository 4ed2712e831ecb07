// The header reader over the table of files in headercases.cpp: each file
// written under its name, opened as the renamer opens it, and judged by one
// reader, as one thread of the renamer judges file after file. Then the
// decoders over whole streams, against the commands that made them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "decode.h"
#include "folder.h"
#include "header.h"
#include "headercases.h"

namespace
{

class Header : public InOwnFolder<>
{
      protected:
	HeaderReader reader;
	std::vector<std::string> skipped;

	// The outcome as the table writes it: the frequency field, or "kind: why".
	std::string judge(const std::string &name, const std::string &bytes)
	{
		std::ofstream(name, std::ios::binary) << bytes;
		const int fd = open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
		EXPECT_GE(fd, 0) << name;
		std::string station = name.substr(0, 4);
		NameSays says;
		says.station = station;
		says.day = std::stoi(name.substr(4, 3));
		const char session = name[7];
		if (session != '0')
			says.hour = session - 'a';
		size_t dot = 8;
		if (name[8] != '.') {
			says.minute = std::stoi(name.substr(8, 2));
			dot = 10;
		}
		const int yy = std::stoi(name.substr(dot + 1, 2));
		says.year = yy > 80 ? 1900 + yy : 2000 + yy;
		says.type = name[dot + 3];
		const std::string suffix = name.substr(dot + 4);
		const Compression compression = suffix == ".Z"	  ? Compression::compress
						: suffix == ".gz" ? Compression::gzip
						: suffix == ".bz2" ? Compression::bzip2
								   : Compression::none;
		const Verdict v = reader.judge(fd, compression, says);
		close(fd);
		unlink(name.c_str());
		return v.left ? std::string(describe(*v.left)) + ": " + v.why : v.frequency;
	}

	void judgeAll(const std::vector<HeaderCase> &cases, const std::vector<std::string> &suffixes)
	{
		for (const std::string &suffix : suffixes)
			for (HeaderCase c : cases) {
				c.name += suffix;
				const MadeBytes made = makeBytes(c);
				if (!made.missing.empty()) {
					skipped.push_back(made.missing);
					continue;
				}
				EXPECT_EQ(judge(c.name, made.bytes), c.expected)
				    << c.name << (c.file.empty() ? "" : " from " + c.file);
			}
		if (!skipped.empty())
			GTEST_SKIP() << skipped.front();
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
		const MadeBytes first = compressed(text.substr(0, 1'000'000), way.suffix, way.options);
		if (!first.missing.empty())
			GTEST_SKIP() << first.missing;
		const bool members = way.compression != Compression::compress;
		const MadeBytes all = members ? compressed(text.substr(1'000'000), way.suffix, way.options)
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
		EXPECT_TRUE(out == text) << way.suffix << (way.options.empty() ? "" : " " + way.options[1])
					 << ": " << out.size() << " bytes of " << text.size();
	}
}

} // namespace
