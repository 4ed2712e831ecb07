// A file's text line by line for the header reader, out of chunks of
// decoded text: at most 1 MiB of it, or read whole, each line then at most
// 64 KiB. Each line is kept as far as its first bytes, which is all the
// reader looks at; its end is found, not kept.
#ifndef ORVANE_LINES_H
#define ORVANE_LINES_H

#include <stddef.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rinex/decode.h"

namespace rinex
{

class Lines
{
      public:
	static constexpr size_t limit = size_t(1) << 20;
	static constexpr size_t kept = 512;
	static constexpr size_t longest = size_t(64) << 10; // of a line, read whole
	enum class End { none, text, limit, failure, tooLong };

	Lines() : chunk_(16384) {}
	// A file's text: as far as the limit, or whole.
	void start(Decoder &decoder, bool whole = false);
	// The next line without its line end; none where the text stops (end()
	// then says how). A line is valid until the next call.
	std::optional<std::string_view> next();
	End end() const { return end_; }
	// The number of the last line given, from 1.
	size_t number() const { return number_; }
	// The whole length of the last line given, of which it holds the first
	// `kept` bytes.
	size_t length() const { return length_; }
	// Whether the limit came within a line, which is then not given.
	bool cut() const { return cut_; }
	// Why the text stopped before what was needed: the decoder's failure,
	// a header longer than the limit or a line too long; else kind and why
	// as given.
	Failure stopped(std::string kind, std::string why) const;

      private:
	size_t refill();
	std::optional<std::string_view> carriedOn(const char *begin, bool &carriageReturn);

	Decoder *decoder_ = nullptr;
	std::vector<char> chunk_;
	size_t limit_ = limit;
	size_t at_ = 0, size_ = 0, total_ = 0, number_ = 0, length_ = 0;
	std::array<char, kept> carry_{};
	End end_ = End::none;
	bool cut_ = false;
};

// A line as a message quotes it: its first 60 bytes, escaped, and how long
// it is where it is longer.
std::string quotedLine(std::string_view line, size_t length);

} // namespace rinex

#endif
