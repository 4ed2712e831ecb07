// A file left as it was, as the record reports it.
#ifndef ORVANE_NOTRENAMED_H
#define ORVANE_NOTRENAMED_H

#include <string>
#include <string_view>

// The words that follow "not renamed: ", and the kind the file is counted
// as at the end of a run of -H; the words themselves where no kind is given.
struct NotRenamed {
	std::string reason;
	std::string kind = {};
};

#endif
