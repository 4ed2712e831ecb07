/*
 * libFuzzer harness for the header reader and its decoders. The input's
 * first byte picks the compression and the name's type letter, its second
 * the name's period; the rest is the file, put in a memory file and read
 * through its descriptor as the renamer reads a candidate. One reader
 * judges every input, as one thread of the renamer does file after file.
 * Every verdict is checked for its form: a frequency field of three
 * characters and a content for an observation file, none for a navigation
 * file, or a reason and a kind for a file left, each of one line. The same
 * bytes are read whole, as -a reads any file, and what they say checked for
 * the fields of a long name. Then the decoder alone gives out the
 * whole text, in chunks of odd sizes, never more than asked.
 */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>
#include <variant>

#include "rinex/decode.h"
#include "rinex/header.h"

static int file = -1;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
	file = memfd_create("orvane-header", 0);
	if (file < 0) {
		perror("fuzz: memory file");
		abort();
	}
	return 0;
}

static void check(bool ok, const char *what)
{
	if (!ok) {
		fprintf(stderr, "fuzz: %s\n", what);
		abort();
	}
}

static bool isFrequency(const std::string &f)
{
	static const std::string letters = "DHMSZCU";
	return f.size() == 3 && f[0] >= '0' && f[0] <= '9' && f[1] >= '0' && f[1] <= '9' &&
	       letters.find(f[2]) != std::string::npos;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	static HeaderReader reader;
	static rinex::Decoder decoder;
	if (size < 2)
		return 0;
	static constexpr Compression compressions[] = {Compression::none, Compression::compress,
						       Compression::gzip, Compression::bzip2};
	static constexpr char types[] = "odnghlfpq";
	const Compression compression = compressions[data[0] & 3];
	NameSays name;
	name.station = "abmf";
	name.type = types[(data[0] >> 2) % 9];
	name.year = 2016;
	name.day = 1 + data[1] % 4;
	if (data[1] & 0x10)
		name.hour = (data[1] >> 5) % 24;
	if ((data[1] & 0x30) == 0x30)
		name.minute = 15 * ((data[1] >> 6) & 3);

	check(ftruncate(file, 0) == 0 && pwrite(file, data + 2, size - 2, 0) == ssize_t(size - 2),
	      "memory file");
	check(lseek(file, 0, SEEK_SET) == 0, "seek");
	const Verdict v = reader.judge(file, compression, name);
	if (!v.kept()) {
		check(!v.why.empty() && v.frequency.empty(), "a file left without a reason");
		check(v.why.find('\n') == std::string::npos, "a reason of two lines");
		check(v.kind.find('\n') == std::string::npos, "a kind of two lines");
	} else if (name.type == 'o' || name.type == 'd') {
		check(isFrequency(v.frequency), "an observation file without a frequency field");
		check(v.content.size() == 2 && v.content[1] == 'O', "an observation file without a content");
		check(v.why.empty(), "a file kept with a reason");
		for (const std::string &note : v.notes)
			check(!note.empty() && note.find('\n') == std::string::npos, "a note of two lines");
	} else {
		check(v.frequency.empty() && v.why.empty() && v.notes.empty(),
		      "a navigation file with a frequency");
	}

	// The same bytes read whole, as -a and -k read any file.
	check(lseek(file, 0, SEEK_SET) == 0, "seek");
	const rinex::ContentRead read = reader.content(file);
	if (const auto *f = std::get_if<rinex::Failure>(&read)) {
		check(!f->why.empty() && f->why.find('\n') == std::string::npos,
		      "a file read whole left without a reason of one line");
	} else if (const auto *c = std::get_if<rinex::Content>(&read)) {
		check(isFrequency(c->frequency) && c->content.size() == 2 && c->first <= c->last,
		      "a file read whole without the fields of a name");
		check(c->note.find('\n') == std::string::npos, "a note of two lines");
		check(c->unknownRate.empty() == (c->frequency != "00U"), "00U without why");
	}

	check(lseek(file, 0, SEEK_SET) == 0, "seek");
	decoder.start(file, compression);
	static char chunk[4099];
	size_t total = 0;
	for (size_t ask = 1 + data[1] % 7;; ask = ask * 3 % sizeof chunk + 1) {
		const size_t n = decoder.read(chunk, ask);
		check(n <= ask, "more text than asked for");
		total += n;
		if (n == 0 || total > (size_t(8) << 20))
			break;
	}
	check(!decoder.failure() || !decoder.failure()->why.empty(), "a failure without a reason");
	return 0;
}
