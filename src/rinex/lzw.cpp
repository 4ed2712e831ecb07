/*
 * The Unix compress (.Z) format: two magic bytes, a byte of flags (the
 * largest code width, 9 to 16, and block mode), then LZW codes packed from
 * the lowest bit up, 9 bits wide at first and one wider each time the table
 * outgrows the width. Without block mode the table begins at 256, as in the
 * classic decoder. Codes go in groups of eight, so a group of width w
 * takes w bytes; where the width changes, or block mode's clear code (256)
 * empties the table, the rest of the group is padding. No end marker, no
 * checksum: the stream ends where the file does.
 */
#include <stdint.h>

#include <algorithm>
#include <vector>

#include "rinex/stream.h"

namespace
{
constexpr unsigned clearCode = 256;
constexpr unsigned maxEntries = 1U << 16;

// The largest code of a width before the next is wider; at the widest, one
// past the table, which never grows that far.
unsigned limitOf(unsigned width, unsigned widest)
{
	return width == widest ? 1U << widest : (1U << width) - 1;
}

class Lzw final : public rinex::Stream
{
      public:
	using Stream::Stream;

      private:
	enum class State { going, ended, cutShort, damaged };
	void restart() override;
	size_t decode(char *out, size_t size) override;
	// Up to size bytes at out; fewer only where state_ is no longer going.
	size_t codes(unsigned char *out, size_t size);
	bool readHeader();
	bool take(unsigned &code);
	void endGroup();
	bool decodeOne(unsigned code, unsigned char *out, size_t &made);
	void damage(std::string why);

	std::vector<uint16_t> prefix_;
	std::vector<unsigned char> suffix_, stack_;
	size_t pending_ = 0; // bytes of stack_ still to give out, from its top
	uint64_t bits_ = 0;  // input bits not yet taken, the oldest lowest
	unsigned count_ = 0; // how many bits_ holds
	unsigned width_ = 9, maxWidth_ = 16;
	unsigned next_ = 0, first_ = 0;
	unsigned limit_ = 0;   // the largest code before the width grows
	unsigned inGroup_ = 0; // codes read of the current group of eight
	unsigned skip_ = 0;    // bits still to pass over to the group's end
	int old_ = -1;
	unsigned char firstByte_ = 0;
	bool begun_ = false, started_ = false, block_ = true;
	State state_ = State::going;
	std::string why_;
};

void Lzw::restart()
{
	if (prefix_.empty()) {
		prefix_.resize(maxEntries);
		suffix_.resize(maxEntries);
		stack_.resize(maxEntries + 1);
	}
	begun_ = false;
	pending_ = 0;
	bits_ = 0;
	count_ = 0;
	inGroup_ = 0;
	skip_ = 0;
	old_ = -1;
	started_ = false;
	state_ = State::going;
	why_.clear();
}

void Lzw::damage(std::string why)
{
	state_ = State::damaged;
	why_ = std::move(why);
}

bool Lzw::readHeader()
{
	rinex::Input &in = input();
	unsigned char header[3];
	for (unsigned char &byte : header) {
		if (in.empty() && !in.fill()) {
			state_ = State::cutShort;
			return false;
		}
		byte = *in.data();
		in.consume(1);
	}
	if (std::string_view(reinterpret_cast<char *>(header), 2) != magic()) {
		damage("bad magic");
		return false;
	}
	maxWidth_ = header[2] & 0x1fU;
	if (maxWidth_ < 9 || maxWidth_ > 16) {
		damage("codes of " + std::to_string(maxWidth_) + " bits");
		return false;
	}
	block_ = (header[2] & 0x80U) != 0;
	first_ = block_ ? clearCode + 1 : clearCode;
	next_ = first_;
	width_ = 9;
	limit_ = limitOf(width_, maxWidth_);
	started_ = true;
	return true;
}

// The next code, after any padding still to pass over; false where the
// input ends first (the bits left over are the last byte's padding).
bool Lzw::take(unsigned &code)
{
	rinex::Input &in = input();
	for (;;) {
		if (skip_ > 0 && count_ > 0) {
			const unsigned n = std::min(skip_, count_);
			bits_ = n < 64 ? bits_ >> n : 0;
			count_ -= n;
			skip_ -= n;
			continue;
		}
		if (skip_ == 0 && count_ >= width_)
			break;
		if (in.empty() && !in.fill())
			return false;
		const size_t n = std::min<size_t>(in.size(), (64 - count_) / 8);
		for (size_t i = 0; i < n; i++)
			bits_ |= uint64_t(in.data()[i]) << (count_ + 8 * i);
		count_ += unsigned(8 * n);
		in.consume(n);
	}
	code = unsigned(bits_ & ((1U << width_) - 1));
	bits_ >>= width_;
	count_ -= width_;
	inGroup_ = (inGroup_ + 1) % 8;
	return true;
}

// Where the width grows or the table is cleared, the rest of the group of
// eight codes is padding.
void Lzw::endGroup()
{
	skip_ = inGroup_ > 0 ? (8 - inGroup_) * width_ : 0;
	inGroup_ = 0;
}

// Decodes one code: its first byte goes out at once, the rest of its string
// onto the stack; false on damage.
bool Lzw::decodeOne(unsigned code, unsigned char *out, size_t &made)
{
	if (old_ < 0) {
		if (code > 0xff) {
			damage("bad code");
			return false;
		}
		old_ = int(code);
		firstByte_ = (unsigned char)code;
		out[made++] = firstByte_;
		return true;
	}
	if (code > next_ || (code == next_ && next_ >= (1U << maxWidth_))) {
		damage("bad code");
		return false;
	}
	size_t depth = 0;
	unsigned c = code;
	if (code == next_) { // the string of the code before and its first byte
		stack_[depth++] = firstByte_;
		c = unsigned(old_);
	}
	while (c > 0xff) {
		stack_[depth++] = suffix_[c];
		c = prefix_[c];
	}
	firstByte_ = (unsigned char)c;
	stack_[depth++] = firstByte_;
	if (next_ < (1U << maxWidth_)) {
		prefix_[next_] = uint16_t(old_);
		suffix_[next_] = firstByte_;
		next_++;
	}
	old_ = int(code);
	pending_ = depth;
	return true;
}

size_t Lzw::codes(unsigned char *out, size_t size)
{
	size_t made = 0;
	if (!started_ && state_ == State::going && !readHeader())
		return 0;
	while (made < size) {
		if (pending_ > 0) {
			const size_t n = std::min(pending_, size - made);
			for (size_t i = 0; i < n; i++)
				out[made++] = stack_[--pending_];
			continue;
		}
		if (state_ != State::going)
			break;
		if (next_ > limit_) {
			endGroup();
			width_++;
			limit_ = limitOf(width_, maxWidth_);
		}
		unsigned code = 0;
		if (!take(code)) {
			state_ = State::ended;
		} else if (block_ && code == clearCode) {
			endGroup();
			width_ = 9;
			limit_ = limitOf(width_, maxWidth_);
			next_ = first_;
			old_ = -1;
		} else if (!decodeOne(code, out, made)) {
			break;
		}
	}
	return made;
}

size_t Lzw::decode(char *out, size_t size)
{
	if (!begun_) {
		if (!anotherStream())
			return 0;
		begun_ = true;
	}
	const size_t made = codes(reinterpret_cast<unsigned char *>(out), size);
	if (halted())
		return made;
	if (state_ == State::damaged)
		damaged(why_);
	else if (state_ == State::cutShort)
		cutShort();
	else if (state_ == State::ended && made == 0)
		end();
	return made;
}

} // namespace

std::unique_ptr<rinex::Stream> rinex::lzwDecoder(const CompressionRow &row)
{
	return std::make_unique<Lzw>(row);
}
