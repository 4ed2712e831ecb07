// A whole run of orvane-rename over its PATHs.
#ifndef ORVANE_RUN_H
#define ORVANE_RUN_H

#include <span>

#include "rename/options.h"

// Reads the station lists, then renames below every PATH; the exit status.
// A signal that stopped the run ends the process as it would have.
int renameTrees(const Options &options, std::span<char *const> paths);

#endif
