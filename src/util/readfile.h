// A file's whole content, read from where its descriptor stands.
#ifndef ORVANE_UTIL_READFILE_H
#define ORVANE_UTIL_READFILE_H

#include <string>

#include "util/result.h"

Result<std::string> readWhole(int fd);

// The file at path, or standard input for "-".
Result<std::string> readWhole(const char *path);

#endif
