// A RINEX 3 long name taken apart into its fields, for -a to pass over
// files already so named and -k to check each field against the data.
#ifndef ORVANE_LONGNAME_H
#define ORVANE_LONGNAME_H

#include <optional>
#include <string_view>

// SSSSMRCCC_S_YYYYDDDHHMM_PPP_FFF_TT.FMT and a compression suffix, or with
// no FFF as navigation data have it: views into the name.
struct LongNameFields {
	std::string_view station, source, start, period, frequency, content, format,
	    compression;
};

std::optional<LongNameFields> longNameFields(std::string_view name);

#endif
