// The dates that order a station's site logs: that of a log's file name, and
// the one it was prepared on.
#ifndef ORVANE_STATIONS_LOGDATE_H
#define ORVANE_STATIONS_LOGDATE_H

#include <cstdint>
#include <string_view>

// CCYY-MM-DD, as a log writes the date it was prepared, as YYYYMMDD; 0 for
// anything else.
uint32_t preparedDate(std::string_view text);

// ssssmrccc_YYYYMMDD.log, ssss_YYYYMMDD.log before that, or another
// extension: the eight digits after the last '_', then the end or a dot, as
// YYYYMMDD; 0 for a name without them.
uint32_t dateOfName(std::string_view name);

#endif
