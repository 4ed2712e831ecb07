// The texts of the header reader's test files: RINEX 2 and 3 observations,
// plain and Compact, made from a few settings; navigation files.
#ifndef ORVANE_TESTS_HEADERTEXT_H
#define ORVANE_TESTS_HEADERTEXT_H

#include <stdint.h>
#include <stdio.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// Times in ticks of 0.1 us, as the reader counts them.
using Tick = std::chrono::duration<int64_t, std::ratio<1, 10'000'000>>;
using Time = std::chrono::sys_time<Tick>;

// printf into a string.
template <class... T> std::string format(const char *f, T... values)
{
	char text[160];
	snprintf(text, sizeof text, f, values...);
	return text;
}

// A header line: its content in the first 60 columns, then its label.
std::string line(std::string content, const std::string &label);

// What an observation file holds.
struct Obs {
	int version = 2;
	bool compact = false;
	char system = 'M';         // column 41 of RINEX VERSION / TYPE
	std::string systems = "G"; // RINEX 3's SYS / # / OBS TYPES records
	std::string marker = "ABMF";
	std::optional<std::string> interval = std::nullopt; // the INTERVAL field, "" for no line; the step's by default
	bool firstObs = true;            // a TIME OF FIRST OBS line
	Time start = std::chrono::sys_days(std::chrono::year(2016) / 1 / 1);
	Tick step = std::chrono::seconds(30);
	int epochs = 12;
	int satellites = 8;
	int types = 4;
	bool events = false; // event and cycle-slip records among the epochs
	int comments = 0;    // COMMENT lines in the header
	int bulkAfter = -1;  // after this epoch, 1 MiB and more of event records,
	Tick bulkStep = std::chrono::seconds(1); // and epochs this far apart from then on
};

// The header alone, and the header with the epochs after it.
std::string header(const Obs &o);
std::string observations(const Obs &o);

// A navigation header of a RINEX VERSION / TYPE line, and one GPS record of
// 2016-01-01.
std::string navigation(const char *versionType);
// A navigation file of a version (2, 3 or 4) with a GPS record at each time,
// in that order, each of a first line and seven more.
std::string navigation(int version, const std::vector<Time> &times);

// The text with the first `from` after `after` made `to`.
std::string replaced(std::string text, const std::string &after, const std::string &from,
		     const std::string &to);

#endif
