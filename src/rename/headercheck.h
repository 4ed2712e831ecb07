// -H: a candidate judged by what its header says before it is renamed.
#ifndef ORVANE_HEADERCHECK_H
#define ORVANE_HEADERCHECK_H

#include <string>
#include <variant>

#include "report/notrenamed.h"
#include "walk/place.h"

class HeaderReader;

// The frequency the file's header gives ("" for navigation data), or why
// the file is left. The file is opened in its folder without following a
// link, and read only when it is a regular file.
std::variant<std::string, NotRenamed> readHeader(HeaderReader &reader, const Place &place,
						 const char *name);

#endif
