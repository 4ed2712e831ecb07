// -H, -a and -k: a file judged by what it holds before it is renamed.
#ifndef ORVANE_HEADERCHECK_H
#define ORVANE_HEADERCHECK_H

#include <variant>

#include "report/notrenamed.h"
#include "rinex/header.h"
#include "walk/place.h"

// The verdict on a file kept: the frequency and content its header gives
// (none for navigation data) and its notes; or why the file is left. The
// file is opened in its folder without following a link, and read only when
// it is a regular file.
std::variant<Verdict, NotRenamed> readHeader(HeaderReader &reader, const Place &place,
					     const char *name);

// What a file of any name holds, read whole, opened as readHeader opens a
// file; or why it is left. With anyName (-a), a link or a file of no
// regular kind is passed over uncounted, as the walk passes over others.
using ReadContent = std::variant<rinex::Content, rinex::PassedOver, NotRenamed>;
ReadContent readContent(HeaderReader &reader, const Place &place, const char *name,
			bool anyName);

#endif
