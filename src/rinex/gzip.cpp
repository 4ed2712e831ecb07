// gzip through zlib: members one after another, each checked for its magic
// before zlib reads its header. zlib's state is reset, not made again, for
// each member and file.
#include <zlib.h>

#include "rinex/stream.h"

namespace
{

class Gzip final : public rinex::Stream
{
      public:
	using Stream::Stream;
	~Gzip() override
	{
		if (ready_)
			inflateEnd(&z_);
	}
	Gzip(const Gzip &) = delete;
	Gzip &operator=(const Gzip &) = delete;

      private:
	void restart() override { memberEnded_ = true; } // a member begins with the first byte
	size_t decode(char *out, size_t size) override;
	bool startMember();

	z_stream z_{};
	bool ready_ = false;
	bool memberEnded_ = false;
};

// A member begins here, or the file ends; false where no member follows.
bool Gzip::startMember()
{
	if (!anotherStream())
		return false;
	if (magicDiffers()) {
		damaged("bad magic");
		return false;
	}
	if (ready_) {
		inflateReset(&z_);
	} else if (inflateInit2(&z_, 16 + MAX_WBITS) == Z_OK) {
		ready_ = true;
	} else {
		fail("out of memory");
		return false;
	}
	memberEnded_ = false;
	return true;
}

size_t Gzip::decode(char *out, size_t size)
{
	rinex::Input &in = input();
	z_.next_out = reinterpret_cast<Bytef *>(out);
	z_.avail_out = unsigned(size);
	while (z_.avail_out == size && !failed()) {
		if (memberEnded_ && !startMember())
			break;
		if (!more())
			break;
		z_.next_in = const_cast<Bytef *>(in.data());
		z_.avail_in = unsigned(in.size());
		const int status = ::inflate(&z_, Z_NO_FLUSH);
		in.consume(in.size() - z_.avail_in);
		if (status == Z_STREAM_END)
			memberEnded_ = true;
		else if (status == Z_DATA_ERROR)
			damaged(z_.msg != nullptr ? z_.msg : "data error");
		else if (status == Z_NEED_DICT)
			damaged("needs a dictionary");
		else if (status == Z_MEM_ERROR)
			fail("out of memory");
	}
	return size - z_.avail_out;
}

} // namespace

std::unique_ptr<rinex::Stream> rinex::gzipDecoder(const CompressionRow &row)
{
	return std::make_unique<Gzip>(row);
}
