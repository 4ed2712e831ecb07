#include "rinex/lines.h"

#include <string.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "util/text.h"

namespace rinex
{

void Lines::start(Decoder &decoder, bool whole)
{
	decoder_ = &decoder;
	limit_ = whole ? SIZE_MAX : limit;
	at_ = size_ = total_ = number_ = length_ = 0;
	end_ = End::none;
	cut_ = false;
}

// More text into the chunk; 0 where it stops, with end_ saying how.
size_t Lines::refill()
{
	at_ = size_ = 0;
	if (end_ != End::none)
		return 0;
	if (total_ == limit_) {
		end_ = End::limit;
		return 0;
	}
	size_ = decoder_->read(chunk_.data(), std::min(chunk_.size(), limit_ - total_));
	total_ += size_;
	if (size_ == 0)
		end_ = decoder_->failure() ? End::failure : End::text;
	return size_;
}

std::optional<std::string_view> Lines::next()
{
	if (at_ == size_ && refill() == 0)
		return std::nullopt;
	const char *begin = chunk_.data() + at_;
	const auto *newline = static_cast<const char *>(memchr(begin, '\n', size_ - at_));
	std::optional<std::string_view> line;
	bool carriageReturn = false;
	if (newline != nullptr) {
		at_ = size_t(newline - chunk_.data()) + 1;
		line = std::string_view(begin, size_t(newline - begin));
		length_ = line->size();
		carriageReturn = line->ends_with('\r');
	} else {
		line = carriedOn(begin, carriageReturn);
		if (!line)
			return std::nullopt;
	}
	number_++;
	if (carriageReturn) {
		length_--;
		if (line->size() > length_)
			line->remove_suffix(1);
	}
	return line;
}

// A line that goes on into the next chunks: its first bytes are kept, its
// end found; none where the text stops before it (or, read whole, where it
// goes on past the longest).
std::optional<std::string_view> Lines::carriedOn(const char *begin, bool &carriageReturn)
{
	size_t carried = std::min(kept, size_ - at_);
	std::copy_n(begin, carried, carry_.begin());
	length_ = size_ - at_;
	carriageReturn = chunk_[size_ - 1] == '\r';
	bool ended = false;
	while (!ended && refill() > 0) {
		const auto *newline = static_cast<const char *>(memchr(chunk_.data(), '\n', size_));
		const size_t part = newline != nullptr ? size_t(newline - chunk_.data()) : size_;
		const size_t more = std::min(kept - carried, part);
		std::copy_n(chunk_.data(), more, carry_.begin() + long(carried));
		carried += more;
		length_ += part;
		if (limit_ == SIZE_MAX && length_ > longest) {
			end_ = End::tooLong;
			return std::nullopt;
		}
		if (part > 0)
			carriageReturn = chunk_[part - 1] == '\r';
		if (newline != nullptr) {
			at_ = part + 1;
			ended = true;
		}
	}
	// The last line, without a line end, counts where the text ends there.
	if (!ended && end_ != End::text) {
		cut_ = end_ == End::limit;
		return std::nullopt;
	}
	return std::string_view(carry_.data(), carried);
}

Failure Lines::stopped(std::string kind, std::string why) const
{
	if (end_ == End::failure)
		return *decoder_->failure();
	if (end_ == End::limit)
		return {"header longer than 1 MiB", "header longer than 1 MiB"};
	if (end_ == End::tooLong)
		return {"line longer than 64 KiB",
			"line " + std::to_string(number_ + 1) + " longer than 64 KiB"};
	return {std::move(kind), std::move(why)};
}

std::string quotedLine(std::string_view line, size_t length)
{
	std::string q = quoted(line, 60);
	// Only the line's first bytes were kept: say how long it is.
	if (length > line.size() && line.size() > 60)
		q.replace(q.rfind(" of ") + 4, std::string::npos, std::to_string(length) + " bytes)");
	return q;
}

} // namespace rinex
