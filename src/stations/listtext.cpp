#include "stations/listtext.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

void FileText::readTo(size_t n)
{
	n = std::min(n, listLimit + 1);
	while (size_ < n && !whole_ && error_ == 0) {
		if (size_ == room_)
			grow(n);
		const ssize_t got = ::read(fd_, bytes_.get() + size_, room_ - size_);
		if (got > 0)
			size_ += static_cast<size_t>(got);
		else if (got == 0)
			whole_ = true;
		else if (errno != EINTR)
			error_ = errno;
	}
}

// Into a buffer of the head's size; then of a regular file's size and a byte
// to find its end, else, as for a pipe or a file grown since, of the most
// that may be read: the pages never written are never held, and a text is
// copied at most twice.
void FileText::grow(size_t n)
{
	size_t room = listLimit + 1;
	struct stat st {
	};
	if (n <= headSize)
		room = headSize;
	else if (room_ <= headSize && fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) &&
		 st.st_size >= 0 && static_cast<uintmax_t>(st.st_size) < listLimit &&
		 static_cast<size_t>(st.st_size) >= room_)
		room = std::max(static_cast<size_t>(st.st_size) + 1, headSize);
	auto bytes = std::make_unique_for_overwrite<char[]>(room);
	std::copy_n(bytes_.get(), size_, bytes.get());
	bytes_ = std::move(bytes);
	room_ = room;
}

// One byte past the limit tells a pipe or a device that goes on.
void FileText::readAll()
{
	struct stat st {
	};
	if (fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) &&
	    static_cast<uintmax_t>(st.st_size) > listLimit)
		large_ = true;
	else
		readTo(listLimit + 1);
}

std::string_view headOf(std::string_view text, bool whole)
{
	if (whole && text.size() <= headSize)
		return text;
	const size_t eol = text.substr(0, headSize).rfind('\n');
	return eol == std::string_view::npos ? std::string_view() : text.substr(0, eol + 1);
}

std::string_view withoutByteOrderMark(std::string_view text)
{
	return text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
}

// A text that ends in a newline has no empty line after it.
bool Lines::next()
{
	if (rest_.empty())
		return false;
	const size_t eol = rest_.find('\n');
	line_ = rest_.substr(0, eol);
	rest_.remove_prefix(eol == std::string_view::npos ? rest_.size() : eol + 1);
	if (line_.ends_with('\r'))
		line_.remove_suffix(1);
	number_++;
	return true;
}

bool isBlank(char c)
{
	return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text)
{
	while (!text.empty() && isBlank(text.front()))
		text.remove_prefix(1);
	while (!text.empty() && isBlank(text.back()))
		text.remove_suffix(1);
	return text;
}
