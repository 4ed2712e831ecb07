// The text of a list's file, read from its start as far as its reader asks,
// and its lines.
#ifndef ORVANE_STATIONS_LISTTEXT_H
#define ORVANE_STATIONS_LISTTEXT_H

#include <cstddef>
#include <memory>
#include <string_view>

// A list is names, not data: no more than this is read of one, so that a
// device or an endless pipe named by mistake cannot take the machine's memory.
constexpr size_t listLimit = size_t{64} << 20;

// A file read from its start, as far as its reader asks and at most a byte
// past listLimit.
class FileText
{
      public:
	explicit FileText(int fd) : fd_(fd) {}

	// Reads on until the text has n bytes, or the file ends or fails.
	void readTo(size_t n);
	// Reads the file to its end; a regular file known to be larger than
	// listLimit is not read at all.
	void readAll();

	std::string_view text() const { return {bytes_.get(), size_}; }
	bool whole() const { return whole_; }
	bool tooLarge() const { return size_ > listLimit || large_; }
	int error() const { return error_; }
	bool failed() const { return tooLarge() || error_ != 0; }

      private:
	void grow(size_t n);

	int fd_;
	std::unique_ptr<char[]> bytes_;
	size_t room_ = 0, size_ = 0;
	bool whole_ = false, large_ = false;
	int error_ = 0;
};

// A site log is told by its first 4 KiB: the lines that end within them, or
// all of a text that ends there.
constexpr size_t headSize = 4096;
std::string_view headOf(std::string_view text, bool whole);

// The text less a UTF-8 byte order mark, which lists saved on Windows may
// start with.
std::string_view withoutByteOrderMark(std::string_view text);

// The lines of a text, numbered from 1, each without its newline and a
// carriage return before that.
class Lines
{
      public:
	explicit Lines(std::string_view text) : rest_(text) {}

	// Moves to the next line; false after the last.
	bool next();
	std::string_view line() const { return line_; }
	size_t number() const { return number_; }

      private:
	std::string_view rest_, line_;
	size_t number_ = 0;
};

bool isBlank(char c);
std::string_view trimBlanks(std::string_view text);

#endif
