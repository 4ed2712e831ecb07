#include "util/readfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "util/fd.h"

Result<std::string> readWhole(int fd)
try {
	std::string text;
	std::size_t have = 0;
	struct stat st {
	};
	if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
		text.resize(static_cast<std::size_t>(st.st_size) + 1);
	for (;;) {
		if (text.size() - have < 1 << 16)
			text.resize(std::max<std::size_t>(2 * text.size(), 1 << 16));
		const ssize_t n = read(fd, text.data() + have, text.size() - have);
		if (n == 0)
			break;
		if (n < 0 && errno == EINTR)
			continue;
		if (n < 0)
			return Result<std::string>::fromErrno();
		have += static_cast<std::size_t>(n);
	}
	text.resize(have);
	if (text.capacity() > have + have / 4)
		text.shrink_to_fit();
	return text;
} catch (const std::bad_alloc &) {
	return Result<std::string>::failed(ENOMEM);
}

Result<std::string> readWhole(const char *path)
{
	if (std::strcmp(path, "-") == 0)
		return readWhole(STDIN_FILENO);
	const Fd fd(open(path, O_RDONLY | O_CLOEXEC));
	if (!fd)
		return Result<std::string>::fromErrno();
	return readWhole(fd.get());
}
