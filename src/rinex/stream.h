// One compression's decoder: the text of a file's streams, a chunk at a
// time, each given out only as far as it is asked for. A decoder keeps its
// state and buffers from file to file.
#ifndef ORVANE_STREAM_H
#define ORVANE_STREAM_H

#include <stddef.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "rinex/compression.h"
#include "rinex/input.h"

namespace rinex
{

// What ended the text early, such as a read that failed or damage in the
// stream: why, as a message gives it, and its kind in the words of the
// run's closing count, the same words without the particulars.
struct Failure {
	std::string kind;
	std::string why;
};

class Stream
{
      public:
	explicit Stream(const CompressionRow &row) : row_(row) {}
	virtual ~Stream() = default;
	Stream(const Stream &) = delete;
	Stream &operator=(const Stream &) = delete;

	// A file, read through in from its start.
	void start(Input &in);
	// Up to size bytes of text at out; 0 at its end, or when it cannot go
	// on: failure() says why, or is empty where the text simply ended.
	size_t read(char *out, size_t size)
	{
		return failure_ || ended_ || size == 0 ? 0 : decode(out, size);
	}
	const std::optional<Failure> &failure() const { return failure_; }

      protected:
	virtual void restart() {}
	virtual size_t decode(char *out, size_t size) = 0;

	Input &input() { return *in_; }
	std::string_view suffix() const { return row_.suffix; }
	std::string_view magic() const { return row_.magic; }
	bool failed() const { return failure_.has_value(); }
	void end() { ended_ = true; }
	// Whether another stream starts here: false at the file's end (which
	// ends the text, or where the file had nothing at all fails it).
	bool anotherStream();
	// More of a stream that has begun, or false after saying why there is none.
	bool more();
	// Whether the input stopped before the file's end, after saying why.
	bool halted();
	// Whether the bytes waiting, as many as the magic has, are not it.
	bool magicDiffers();
	size_t fail(std::string kind, std::string why);
	size_t fail(const std::string &why) { return fail(why, why); }
	size_t damaged(std::string_view what);
	size_t cutShort();
	size_t readFailed(int error);

      private:
	const CompressionRow &row_;
	Input *in_ = nullptr;
	std::optional<Failure> failure_;
	bool ended_ = false;
};

// The decoders of the compression table's rows.
std::unique_ptr<Stream> plainDecoder(const CompressionRow &row);
std::unique_ptr<Stream> lzwDecoder(const CompressionRow &row);
std::unique_ptr<Stream> gzipDecoder(const CompressionRow &row);
std::unique_ptr<Stream> bzip2Decoder(const CompressionRow &row);

} // namespace rinex

#endif
