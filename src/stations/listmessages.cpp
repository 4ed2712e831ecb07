#include "stations/listmessages.h"

#include <cstdio>
#include <cstring>

#include "stations/listtext.h"

std::string at(const Where &where)
{
	if (where.line == 0)
		return std::string(where.file) + ": ";
	return std::string(where.file) + ":" + std::to_string(where.line) + ": ";
}

// Standard error is not buffered: one write makes the line.
void tell(const std::string &line)
{
	const std::string whole = line + '\n';
	(void)fwrite(whole.data(), 1, whole.size(), stderr);
}

void tellNotRead(std::string_view file, int error)
{
	tell(std::string(file) + ": not read: " + strerror(error));
}

std::string notRead(const FileText &read)
{
	return read.tooLarge() ? "not read: larger than 64 MiB"
			       : std::string("not read: ") + strerror(read.error());
}

void tellNotRead(std::string_view file, const FileText &read)
{
	tell(std::string(file) + ": " + notRead(read));
}
