// A folder of site logs, as networks keep them.
#ifndef ORVANE_STATIONS_LOGFOLDER_H
#define ORVANE_STATIONS_LOGFOLDER_H

#include <string_view>

#include "util/fd.h"

class ListedNames;

// The site logs below the folder open on dir, named path; their names go to
// names. false after a message.
bool readLogFolder(Fd dir, std::string_view path, ListedNames &names);

#endif
