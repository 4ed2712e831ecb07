// bzip2 through libbz2: streams one after another, each checked for its
// magic before libbz2 reads it.
#include <bzlib.h>
#include <stdlib.h>

#include <algorithm>
#include <array>

#include "rinex/stream.h"

namespace
{

// libbz2 allocates a stream's blocks afresh for every stream: its state, and
// a block whose size the stream's level sets, 400 kB a level. The pool keeps
// them, so that a block of megabytes is neither mapped nor faulted in again
// for each file, and holds no more blocks than are in use at once. A level's
// block is made as large as level 9's, so that one serves every level and
// none is freed for a larger: the pages a lower level leaves untouched are
// never faulted in.
class BlockPool
{
      public:
	static constexpr size_t levelBlock = 400'000, largest = 9 * levelBlock;

	BlockPool() = default;
	BlockPool(const BlockPool &) = delete;
	BlockPool &operator=(const BlockPool &) = delete;
	~BlockPool()
	{
		for (Block &b : blocks_)
			free(b.memory);
	}

	// The smallest free block that is large enough; else a free block made
	// larger, or where every block is in use, memory of its own.
	void *take(size_t size)
	{
		if (size >= levelBlock)
			size = std::max(size, largest);
		Block *fit = nullptr;
		Block *spare = nullptr;
		for (Block &b : blocks_) {
			if (b.used)
				continue;
			if (b.memory != nullptr && b.size >= size &&
			    (fit == nullptr || b.size < fit->size))
				fit = &b;
			if (spare == nullptr || (spare->memory == nullptr && b.memory != nullptr))
				spare = &b;
		}
		if (fit != nullptr) {
			fit->used = true;
			return fit->memory;
		}
		if (spare == nullptr)
			return malloc(size);
		free(spare->memory);
		spare->memory = malloc(size);
		spare->size = spare->memory != nullptr ? size : 0;
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

class Bzip2 final : public rinex::Stream
{
      public:
	using Stream::Stream;
	~Bzip2() override { endStream(); }
	Bzip2(const Bzip2 &) = delete;
	Bzip2 &operator=(const Bzip2 &) = delete;

      private:
	void restart() override { endStream(); }
	size_t decode(char *out, size_t size) override;
	void endStream()
	{
		if (active_)
			BZ2_bzDecompressEnd(&stream_);
		active_ = false;
	}
	bool beginStream()
	{
		stream_ = bz_stream{};
		stream_.bzalloc = take;
		stream_.bzfree = give;
		stream_.opaque = &pool_;
		active_ = BZ2_bzDecompressInit(&stream_, 0, 0) == BZ_OK;
		return active_;
	}
	static void *take(void *pool, int n, int m)
	{
		return static_cast<BlockPool *>(pool)->take(size_t(n) * size_t(m));
	}
	static void give(void *pool, void *memory) { static_cast<BlockPool *>(pool)->give(memory); }

	bz_stream stream_{};
	BlockPool pool_;
	bool active_ = false;
};

size_t Bzip2::decode(char *out, size_t size)
{
	rinex::Input &in = input();
	size_t made = 0;
	while (made == 0 && !failed()) {
		if (!active_) {
			if (!anotherStream())
				break;
			if (magicDiffers()) {
				damaged("bad magic");
				break;
			}
			if (!beginStream()) {
				fail("out of memory");
				break;
			}
		}
		if (!more())
			break;
		stream_.next_in = reinterpret_cast<char *>(const_cast<unsigned char *>(in.data()));
		stream_.avail_in = unsigned(in.size());
		stream_.next_out = out;
		stream_.avail_out = unsigned(size);
		const int status = BZ2_bzDecompress(&stream_);
		in.consume(in.size() - stream_.avail_in);
		made = size - stream_.avail_out;
		if (status == BZ_STREAM_END)
			endStream();
		else if (status == BZ_DATA_ERROR_MAGIC)
			damaged("bad magic");
		else if (status == BZ_DATA_ERROR)
			damaged("data corrupt");
		else if (status == BZ_MEM_ERROR)
			fail("out of memory");
		else if (status != BZ_OK)
			fail(std::string(suffix()) + " stream damaged");
	}
	return made;
}

} // namespace

std::unique_ptr<rinex::Stream> rinex::bzip2Decoder(const CompressionRow &row)
{
	return std::make_unique<Bzip2>(row);
}
