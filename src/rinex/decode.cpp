/*
 * The text of a file through its compression: plain, gzip (zlib), bzip2
 * (libbz2) or Unix compress (lzw.cpp). Each decoder gives out only as much as
 * it is asked for, so a file is read only as far as its text is needed, and
 * keeps its state for the next file: zlib's is reset, libbz2's blocks come
 * back from a small pool of its own. Damage after the text given out is
 * reported at the next call, so that it never leaves a file whose needed
 * part was whole. A stream's checksum is checked only where its end is read.
 */
#include <bzlib.h>
#include <errno.h>
#include <stdlib.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <system_error>

#include "rinex/decode.h"

namespace rinex
{

void Input::start(int fd)
{
	fd_ = fd;
	at_ = end_ = 0;
	total_ = 0;
	error_ = 0;
	ended_ = false;
}

bool Input::fill()
{
	if (at_ < end_)
		return true;
	if (ended_ || error_ != 0)
		return false;
	ssize_t n = 0;
	do
		n = ::read(fd_, buffer_.data(), buffer_.size());
	while (n < 0 && errno == EINTR);
	if (n <= 0) {
		if (n < 0)
			error_ = errno;
		else
			ended_ = true;
		return false;
	}
	at_ = 0;
	end_ = size_t(n);
	total_ += uint64_t(n);
	return true;
}

struct Decoder::Zlib {
	z_stream stream{};
	bool ready = false;
	bool memberEnded = false;
};

// libbz2 allocates a stream's blocks afresh for every stream; the pool keeps
// them, so that a block of megabytes is neither mapped nor faulted in again
// for each file.
class BlockPool
{
      public:
	BlockPool() = default;
	BlockPool(const BlockPool &) = delete;
	BlockPool &operator=(const BlockPool &) = delete;
	~BlockPool()
	{
		for (Block &b : blocks_)
			free(b.memory);
	}

	void *take(size_t size)
	{
		Block *spare = nullptr;
		for (Block &b : blocks_) {
			if (!b.used && b.memory != nullptr && b.size == size) {
				b.used = true;
				return b.memory;
			}
			if (!b.used && (spare == nullptr || spare->memory != nullptr))
				spare = &b;
		}
		if (spare == nullptr)
			return malloc(size);
		free(spare->memory);
		spare->memory = malloc(size);
		spare->size = size;
		spare->used = spare->memory != nullptr;
		return spare->memory;
	}

	void give(void *memory)
	{
		auto *const b =
		    std::find_if(blocks_.begin(), blocks_.end(),
				 [memory](const Block &b) { return b.memory == memory; });
		if (b != blocks_.end())
			b->used = false;
		else
			free(memory);
	}

      private:
	struct Block {
		void *memory = nullptr;
		size_t size = 0;
		bool used = false;
	};
	std::array<Block, 6> blocks_;
};

class Decoder::Bzip2
{
      public:
	Bzip2() = default;
	Bzip2(const Bzip2 &) = delete;
	Bzip2 &operator=(const Bzip2 &) = delete;
	~Bzip2() { end(); }

	bz_stream &stream() { return stream_; }
	bool active() const { return active_; }
	void end()
	{
		if (active_)
			BZ2_bzDecompressEnd(&stream_);
		active_ = false;
	}
	bool begin()
	{
		stream_ = bz_stream{};
		stream_.bzalloc = take;
		stream_.bzfree = give;
		stream_.opaque = &pool_;
		active_ = BZ2_bzDecompressInit(&stream_, 0, 0) == BZ_OK;
		return active_;
	}

      private:
	static void *take(void *pool, int n, int m)
	{
		return static_cast<BlockPool *>(pool)->take(size_t(n) * size_t(m));
	}
	static void give(void *pool, void *memory) { static_cast<BlockPool *>(pool)->give(memory); }

	bz_stream stream_{};
	BlockPool pool_;
	bool active_ = false;
};

Decoder::Decoder() = default;

Decoder::~Decoder()
{
	if (zlib_ && zlib_->ready)
		inflateEnd(&zlib_->stream);
}

void Decoder::start(int fd, Compression compression)
{
	compression_ = compression;
	input_.start(fd);
	failure_.reset();
	ended_ = false;
	begun_ = false;
	if (compression == Compression::gzip) {
		if (!zlib_)
			zlib_ = std::make_unique<Zlib>();
		zlib_->memberEnded = true; // a member begins with the first byte
	} else if (compression == Compression::bzip2) {
		if (!bzip2_)
			bzip2_ = std::make_unique<Bzip2>();
		bzip2_->end();
	} else if (compression == Compression::compress) {
		lzw_.start();
	}
}

size_t Decoder::read(char *out, size_t size)
{
	if (failure_ || ended_ || size == 0)
		return 0;
	switch (compression_) {
	case Compression::gzip:
		return inflate(out, size);
	case Compression::bzip2:
		return bunzip(out, size);
	case Compression::compress:
		return uncompress(out, size);
	case Compression::none:
		break;
	}
	return readPlain(out, size);
}

size_t Decoder::fail(Left kind, std::string why)
{
	failure_ = Failure{kind, std::move(why)};
	return 0;
}

size_t Decoder::readFailed()
{
	return fail(Left::unreadable,
		    "read error: " +
			std::error_code(input_.error(), std::generic_category()).message());
}

size_t Decoder::readPlain(char *out, size_t size)
{
	ssize_t n = 0;
	do
		n = ::read(input_.fd(), out, size);
	while (n < 0 && errno == EINTR);
	if (n < 0)
		return fail(Left::unreadable,
			    "read error: " +
				std::error_code(errno, std::generic_category()).message());
	ended_ = n == 0;
	return size_t(n);
}

// Whether the next stream or member starts here: false at the file's end
// (ended_ then set, or failure_ where the file had nothing at all).
bool Decoder::anotherStream()
{
	if (input_.fill())
		return true;
	if (input_.error() != 0)
		readFailed();
	else if (input_.hadNone())
		fail(Left::notRinex, "file is empty");
	else
		ended_ = true;
	return false;
}

// More of a stream that has begun, or false after saying why there is none.
bool Decoder::more(const char *stream)
{
	if (input_.fill())
		return true;
	if (input_.error() != 0)
		readFailed();
	else
		fail(Left::cutShort, std::string(stream) + " stream cut short");
	return false;
}

// A gzip member begins here, or the file ends; false where no member follows.
bool Decoder::startMember()
{
	if (!anotherStream())
		return false;
	if (input_.size() >= 2 && (input_.data()[0] != 0x1f || input_.data()[1] != 0x8b)) {
		fail(Left::damaged, ".gz stream damaged: bad magic");
		return false;
	}
	z_stream &z = zlib_->stream;
	if (zlib_->ready) {
		inflateReset(&z);
	} else if (inflateInit2(&z, 16 + MAX_WBITS) == Z_OK) {
		zlib_->ready = true;
	} else {
		fail(Left::unreadable, "out of memory");
		return false;
	}
	zlib_->memberEnded = false;
	return true;
}

size_t Decoder::inflate(char *out, size_t size)
{
	z_stream &z = zlib_->stream;
	z.next_out = reinterpret_cast<Bytef *>(out);
	z.avail_out = unsigned(size);
	while (z.avail_out == size && !failure_) {
		if (zlib_->memberEnded && !startMember())
			break;
		if (!more(".gz"))
			break;
		z.next_in = const_cast<Bytef *>(input_.data());
		z.avail_in = unsigned(input_.size());
		const int status = ::inflate(&z, Z_NO_FLUSH);
		input_.consume(input_.size() - z.avail_in);
		if (status == Z_STREAM_END)
			zlib_->memberEnded = true;
		else if (status == Z_DATA_ERROR)
			fail(Left::damaged, std::string(".gz stream damaged: ") +
						(z.msg != nullptr ? z.msg : "data error"));
		else if (status == Z_NEED_DICT)
			fail(Left::damaged, ".gz stream damaged: needs a dictionary");
		else if (status == Z_MEM_ERROR)
			fail(Left::unreadable, "out of memory");
	}
	return size - z.avail_out;
}

size_t Decoder::bunzip(char *out, size_t size)
{
	bz_stream &b = bzip2_->stream();
	size_t made = 0;
	while (made == 0 && !failure_) {
		if (!bzip2_->active()) {
			if (!anotherStream())
				break;
			if (!bzip2_->begin()) {
				fail(Left::unreadable, "out of memory");
				break;
			}
		}
		if (!more(".bz2"))
			break;
		b.next_in = reinterpret_cast<char *>(const_cast<unsigned char *>(input_.data()));
		b.avail_in = unsigned(input_.size());
		b.next_out = out;
		b.avail_out = unsigned(size);
		const int status = BZ2_bzDecompress(&b);
		input_.consume(input_.size() - b.avail_in);
		made = size - b.avail_out;
		if (status == BZ_STREAM_END)
			bzip2_->end();
		else if (status == BZ_DATA_ERROR_MAGIC)
			fail(Left::damaged, ".bz2 stream damaged: bad magic");
		else if (status == BZ_DATA_ERROR)
			fail(Left::damaged, ".bz2 stream damaged: data corrupt");
		else if (status == BZ_MEM_ERROR)
			fail(Left::unreadable, "out of memory");
		else if (status != BZ_OK)
			fail(Left::damaged, ".bz2 stream damaged");
	}
	return made;
}

size_t Decoder::uncompress(char *out, size_t size)
{
	if (!begun_) {
		if (!anotherStream())
			return 0;
		begun_ = true;
	}
	const size_t made = lzw_.read(input_, reinterpret_cast<unsigned char *>(out), size);
	if (input_.error() != 0)
		readFailed();
	else if (lzw_.state() == Lzw::State::damaged)
		fail(Left::damaged, ".Z stream damaged: " + lzw_.why());
	else if (lzw_.state() == Lzw::State::cutShort)
		fail(Left::cutShort, ".Z stream cut short");
	else if (lzw_.state() == Lzw::State::ended && made == 0)
		ended_ = true;
	return made;
}

} // namespace rinex
