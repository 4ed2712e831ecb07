// Site logs, known by their content: in text form, as the IGS keeps them, or
// GeodesyML; SOPAC's XML ones are known to name no station.
#ifndef ORVANE_STATIONS_SITELOG_H
#define ORVANE_STATIONS_SITELOG_H

#include <cstdint>
#include <string>
#include <string_view>

#include "stations/listed.h"

class FileText;

// What a site log gives: its station's name, or why it gives none.
struct LogName {
	enum Outcome {
		named,
		versionOne, // a version 1 log without a nine-character title
		unnamed,    // GeodesyML without the elements of a name
		sopac,      // SOPAC's igsSiteLog XML, which has no country code
		disagree,   // its title or id and its Four Character ID disagree
		refused,
		needMore, // cannot tell from the text read so far
		notALog,
	} outcome = notALog;
	Listed listed;       // named
	uint32_t prepared{}; // YYYYMMDD of its Date Prepared, or 0
	Where where;         // of the message
	std::string message; // why it gives no name, after "FILE:LINE: "
};

// The name the site log that read is open on gives, read no further than it
// must be, and the date it was prepared too when wanted; notALog when it is
// none, by its content, whatever its name.
LogName readSiteLog(FileText &read, std::string_view file, bool wantDate);

#endif
