// A file's bytes for the decoders, read(2) from its start in chunks.
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

} // namespace rinex

#endif
