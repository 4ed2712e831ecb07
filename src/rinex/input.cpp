#include "rinex/input.h"

#include <errno.h>
#include <unistd.h>

#include "report/stop.h"

namespace rinex
{

void Input::start(int fd)
{
	fd_ = fd;
	at_ = end_ = 0;
	total_ = sinceText_ = 0;
	error_ = 0;
	halt_ = Halt::none;
	ended_ = false;
}

bool Input::fill()
{
	if (at_ < end_)
		return true;
	if (ended_ || halt_ != Halt::none)
		return false;
	if (sinceText_ >= withoutText)
		halt_ = Halt::noText;
	else if (stopping())
		halt_ = Halt::stopped;
	if (halt_ != Halt::none)
		return false;
	ssize_t n = 0;
	do
		n = ::read(fd_, buffer_.data(), buffer_.size());
	while (n < 0 && errno == EINTR);
	if (n <= 0) {
		if (n < 0) {
			error_ = errno;
			halt_ = Halt::error;
		} else {
			ended_ = true;
		}
		return false;
	}
	at_ = 0;
	end_ = size_t(n);
	total_ += uint64_t(n);
	sinceText_ += uint64_t(n);
	return true;
}

} // namespace rinex
