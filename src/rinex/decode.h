// A file's text through its compression, a chunk at a time, for the header
// reader. Every decoder keeps its state and buffers from file to file.
#ifndef ORVANE_DECODE_H
#define ORVANE_DECODE_H

#include <stddef.h>
#include <stdint.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "rinex/header.h"

namespace rinex
{

// What ended the text early: a read that failed, or damage in the stream.
struct Failure {
	Left kind;
	std::string why;
};

// A file's bytes, read(2) from its start in chunks.
class Input
{
      public:
	Input() : buffer_(16384) {}
	void start(int fd);
	// At least one byte waiting, reading more if none is; false at the
	// file's end or after a failed read (error() then says which).
	bool fill();
	const unsigned char *data() const { return buffer_.data() + at_; }
	size_t size() const { return end_ - at_; }
	bool empty() const { return at_ == end_; }
	void consume(size_t n) { at_ += n; }
	int fd() const { return fd_; }
	int error() const { return error_; }
	// Whether the file had no byte at all.
	bool hadNone() const { return total_ == 0 && ended_; }

      private:
	std::vector<unsigned char> buffer_;
	size_t at_ = 0, end_ = 0;
	uint64_t total_ = 0;
	int fd_ = -1;
	int error_ = 0;
	bool ended_ = false;
};

// Unix compress: LZW codes of 9 to 16 bits.
class Lzw
{
      public:
	enum class State { going, ended, cutShort, damaged };
	void start();
	// Up to size bytes at out; fewer only where state() is no longer going.
	size_t read(Input &in, unsigned char *out, size_t size);
	State state() const { return state_; }
	// What is damaged, for State::damaged.
	const std::string &why() const { return why_; }

      private:
	bool readHeader(Input &in);
	bool take(Input &in, unsigned &code);
	void endGroup();
	bool decode(unsigned code, unsigned char *out, size_t &made);
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
	bool started_ = false, block_ = true;
	State state_ = State::going;
	std::string why_;
};

// The text of one file after another, through any of the compressions.
class Decoder
{
      public:
	Decoder();
	~Decoder();
	Decoder(const Decoder &) = delete;
	Decoder &operator=(const Decoder &) = delete;

	void start(int fd, Compression compression);
	// Up to size bytes of text at out; 0 at its end, or when it cannot go
	// on: failure() says why, or is empty where the text simply ended.
	size_t read(char *out, size_t size);
	const std::optional<Failure> &failure() const { return failure_; }

      private:
	size_t readPlain(char *out, size_t size);
	size_t inflate(char *out, size_t size);
	size_t bunzip(char *out, size_t size);
	size_t uncompress(char *out, size_t size);
	bool anotherStream();
	bool more(const char *stream);
	bool startMember();
	size_t fail(Left kind, std::string why);
	size_t readFailed();

	struct Zlib;
	class Bzip2;
	Compression compression_ = Compression::none;
	Input input_;
	std::unique_ptr<Zlib> zlib_;
	std::unique_ptr<Bzip2> bzip2_;
	Lzw lzw_;
	std::optional<Failure> failure_;
	bool ended_ = false, begun_ = false;
};

} // namespace rinex

#endif
