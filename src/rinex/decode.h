// A file's text through its compression, a chunk at a time, for the header
// reader: each compression's decoder is made when first needed, and kept
// with its state and buffers from file to file.
#ifndef ORVANE_DECODE_H
#define ORVANE_DECODE_H

#include <stddef.h>

#include <memory>
#include <optional>
#include <vector>

#include "rinex/compression.h"
#include "rinex/input.h"
#include "rinex/stream.h"

namespace rinex
{

class Decoder
{
      public:
	Decoder();
	~Decoder();
	Decoder(const Decoder &) = delete;
	Decoder &operator=(const Decoder &) = delete;

	// A file to read from its start; before any read.
	void start(int fd, Compression compression);
	// Up to size bytes of text at out; 0 at its end, or when it cannot go
	// on: failure() says why, or is empty where the text simply ended.
	size_t read(char *out, size_t size)
	{
		const size_t made = stream_->read(out, size);
		if (made > 0)
			input_.gaveText();
		return made;
	}
	const std::optional<Failure> &failure() const { return stream_->failure(); }

      private:
	Input input_;
	std::vector<std::unique_ptr<Stream>> streams_; // a row's, once made
	Stream *stream_ = nullptr;
};

} // namespace rinex

#endif
