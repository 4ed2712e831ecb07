// What the readers of station lists share: the text of a list's file and its
// lines, the names the lists give, and the one line each message takes.
#ifndef ORVANE_LISTREAD_H
#define ORVANE_LISTREAD_H

#include <sys/types.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "util/fd.h"
#include "util/text.h"

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

// Writes the line and a newline on standard error at once.
void tell(const std::string &line);

// "not read: REASON", and the message "FILE: not read: REASON".
std::string notRead(const FileText &read);
void tellNotRead(std::string_view file, int error);
void tellNotRead(std::string_view file, const FileText &read);


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

// Four letters or digits in either case, monument, receiver and an ISO 3166
// country code, as in ABMF00GLP.
bool isStationName(std::string_view text);

// A line of a list, as messages name it.
struct Where {
	std::string_view file; // a path kept for the run
	size_t line = 0;
};

// "FILE:LINE: ", where a message starts; "FILE: " for line 0.
std::string at(const Where &where);

// A station name as a list gives it, and where, for the messages of later
// lists.
struct Listed {
	std::array<char, 10> name{};  // the first four characters in lower case
	std::array<char, 10> found{}; // as written
	Where where;
};

// The name of nine characters at the start of text, which isStationName
// accepted.
Listed listedAs(std::string_view text, const Where &where);

// Short names are in lower case, so the key is too: ABMF00GLP and abmf00GLP
// are one name, and the code ABMF finds neither.
uint32_t keyOf(const Listed &n);
bool sameName(const Listed &a, const Listed &b);

// "FILE:LINE: 'NAME' conflicts with 'NAME' of FILE:LINE".
void tellConflict(const Listed &later, const Listed &earlier);

// The names of every list read, each station's first, and what was read.
class ListedNames
{
      public:
	const Listed *find(uint32_t key) const;

	// The name listed before for the station, where it is another.
	const Listed *clash(const Listed &n) const;

	// A station keeps its first name; the same name again changes nothing.
	// false after a message, when the name is another.
	bool add(const Listed &n);

	// The path as names read from it keep it, for the run.
	std::string_view keep(std::string_view path);

	// Whether the file or folder open on fd was read before, by this path
	// or another; remembered for the next time.
	bool readBefore(int fd);

      private:
	std::unordered_map<uint32_t, Listed> names_;
	std::deque<std::string> paths_;
	std::set<std::pair<dev_t, ino_t>> read_;
};

// A list's text and the path it was read by, kept for the run.
struct ListText {
	std::string_view file;
	std::string_view text;
};

// A text list, whose names go to names: false after a message when it names
// no station or a name conflicts.
bool readTextList(const ListText &list, ListedNames &names);

// What a site log gives: its station's name, or why it gives none.
struct LogName {
	enum Outcome {
		named,
		versionOne, // a version 1 log without a nine-character title
		disagree,   // its title and its Four Character ID disagree
		refused,
		needMore, // cannot tell from the text read so far
		notALog,
	} outcome = notALog;
	Listed listed;       // named
	uint32_t prepared{}; // YYYYMMDD of its Date Prepared, or 0
	Where where;         // of the message
	std::string message; // why it gives no name, after "FILE:LINE: "
};

// The name the site log that read is open on gives, read no further than it
// must be, and the date it was prepared too when wanted; notALog when it is
// none, by its content, whatever its name.
LogName readSiteLog(FileText &read, std::string_view file, bool wantDate);

// CCYY-MM-DD, as a log writes the date it was prepared, as YYYYMMDD; 0 for
// anything else.
uint32_t preparedDate(std::string_view text);

// The site logs below the folder open on dir, named path; their names go to
// names. false after a message.
bool readLogFolder(Fd dir, std::string_view path, ListedNames &names);

#endif
