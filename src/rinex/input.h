// A file's bytes for the decoders, read(2) from its start in chunks. A
// file whose input gives no text for long, as a stream of nothing but empty
// members or clear codes does, is read no further; nor is one while the
// run stops.
#ifndef ORVANE_INPUT_H
#define ORVANE_INPUT_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

namespace rinex
{

class Input
{
      public:
	// The most input read in a row that yields no text.
	static constexpr uint64_t withoutText = uint64_t(16) << 20;
	// Why the input stopped before the file's end.
	enum class Halt { none, error, noText, stopped };

	Input() : buffer_(16384) {}
	void start(int fd);
	// At least one byte waiting, reading more if none is; false at the
	// file's end, or where halt() says why it stopped before.
	bool fill();
	// The decoder gave out text: the count of input without any restarts.
	void gaveText() { sinceText_ = 0; }
	Halt halt() const { return halt_; }
	const unsigned char *data() const { return buffer_.data() + at_; }
	size_t size() const { return end_ - at_; }
	bool empty() const { return at_ == end_; }
	void consume(size_t n) { at_ += n; }
	int fd() const { return fd_; }
	// The failed read's errno, for Halt::error.
	int error() const { return error_; }
	// Whether the file had no byte at all.
	bool hadNone() const { return total_ == 0 && ended_; }

      private:
	std::vector<unsigned char> buffer_;
	size_t at_ = 0, end_ = 0;
	uint64_t total_ = 0, sinceText_ = 0;
	int fd_ = -1;
	int error_ = 0;
	Halt halt_ = Halt::none;
	bool ended_ = false;
};

} // namespace rinex

#endif
