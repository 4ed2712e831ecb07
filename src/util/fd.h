// A file descriptor that closes itself.
#ifndef ORVANE_FD_H
#define ORVANE_FD_H

#include <unistd.h>

#include <utility>

class Fd
{
      public:
	Fd() = default;
	explicit Fd(int fd) : fd_(fd) {}
	Fd(Fd &&other) noexcept : fd_(other.release()) {}
	Fd &operator=(Fd &&other) noexcept
	{
		reset(other.release());
		return *this;
	}
	Fd(const Fd &) = delete;
	Fd &operator=(const Fd &) = delete;
	~Fd() { reset(); }

	int get() const { return fd_; }
	explicit operator bool() const { return fd_ >= 0; }
	int release() { return std::exchange(fd_, -1); }
	void reset(int fd = -1)
	{
		if (fd_ >= 0)
			(void)::close(fd_);
		fd_ = fd;
	}

      private:
	int fd_ = -1;
};

#endif
