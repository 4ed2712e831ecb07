// The one line each message about a list takes on standard error, and where
// in a list it points.
#ifndef ORVANE_STATIONS_LISTMESSAGES_H
#define ORVANE_STATIONS_LISTMESSAGES_H

#include <cstddef>
#include <string>
#include <string_view>

class FileText;

// A line of a list, as messages name it.
struct Where {
	std::string_view file; // a path kept for the run
	size_t line = 0;
};

// "FILE:LINE: ", where a message starts; "FILE: " for line 0.
std::string at(const Where &where);

// Writes the line and a newline on standard error at once.
void tell(const std::string &line);

// "not read: REASON", and the message "FILE: not read: REASON".
std::string notRead(const FileText &read);
void tellNotRead(std::string_view file, int error);
void tellNotRead(std::string_view file, const FileText &read);

#endif
