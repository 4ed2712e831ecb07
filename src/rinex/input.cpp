#include "rinex/input.h"

#include <errno.h>
#include <unistd.h>

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

} // namespace rinex
