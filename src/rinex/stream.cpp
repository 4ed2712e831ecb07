#include "rinex/stream.h"

#include <errno.h>
#include <string.h>
#include <unistd.h>

#include <system_error>

namespace rinex
{

void Stream::start(Input &in)
{
	in_ = &in;
	failure_.reset();
	ended_ = false;
	restart();
}

bool Stream::anotherStream()
{
	if (in_->fill())
		return true;
	if (halted())
		return false;
	if (in_->hadNone())
		fail("file is empty");
	else
		ended_ = true;
	return false;
}

bool Stream::more()
{
	if (in_->fill())
		return true;
	if (!halted())
		cutShort();
	return false;
}

bool Stream::halted()
{
	switch (in_->halt()) {
	case Input::Halt::none:
		return false;
	case Input::Halt::error:
		readFailed(in_->error());
		break;
	case Input::Halt::noText:
		fail("input gave no text",
		     std::to_string(Input::withoutText >> 20) + " MiB of input gave no text");
		break;
	case Input::Halt::stopped:
		fail("stopped while read");
		break;
	}
	return true;
}

bool Stream::magicDiffers()
{
	return in_->size() >= row_.magic.size() &&
	       memcmp(in_->data(), row_.magic.data(), row_.magic.size()) != 0;
}

size_t Stream::fail(std::string kind, std::string why)
{
	failure_ = Failure{std::move(kind), std::move(why)};
	return 0;
}

size_t Stream::damaged(std::string_view what)
{
	const std::string kind = std::string(row_.suffix) + " stream damaged";
	return fail(kind, kind + ": " + std::string(what));
}

size_t Stream::cutShort()
{
	return fail(std::string(row_.suffix) + " stream cut short");
}

size_t Stream::readFailed(int error)
{
	return fail("read error",
		    "read error: " + std::error_code(error, std::generic_category()).message());
}

} // namespace rinex

namespace
{

// A file of plain text, read(2) straight into the caller's buffer.
class Plain final : public rinex::Stream
{
      public:
	using Stream::Stream;

      private:
	size_t decode(char *out, size_t size) override
	{
		ssize_t n = 0;
		do
			n = ::read(input().fd(), out, size);
		while (n < 0 && errno == EINTR);
		if (n < 0)
			return readFailed(errno);
		if (n == 0)
			end();
		return size_t(n);
	}
};

} // namespace

std::unique_ptr<rinex::Stream> rinex::plainDecoder(const CompressionRow &row)
{
	return std::make_unique<Plain>(row);
}
