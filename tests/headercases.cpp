// The header reader's test files, as tables: generated files in every
// compression, the real files, and files cut short, damaged or empty.
#include "headercases.h"

#include <algorithm>
#include <optional>

#include "headertext.h"

using namespace std::chrono;
using namespace std::chrono_literals;

std::vector<HeaderCase> generatedCases()
{
	const auto o = [](Obs x) { return observations(x); };
	const Time day2 = sys_days(2016y / 1 / 2), hour1 = sys_days(2016y / 1 / 1) + 1h;
	// A header alone, its last line without a line end.
	const std::string nav = navigation("     2.11           N: GPS NAV DATA");
	const std::string headerOnly = nav.substr(0, nav.find("END OF HEADER") + 14);
	return {
	    {"abmf0010.16o", o({.step = 1s}), {}, "", {}, {}, "01S"},
	    {"abmf0010.16o", o({.step = 200ms}), {}, "", {}, {}, "05Z"},
	    {"abmf0010.16o", o({.step = 10ms}), {}, "", {}, {}, "01C"},
	    {"abmf0010.16o", o({.step = 15s}), {}, "", {}, {}, "15S"},
	    {"abmf0010.16o", o({}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.step = 1min}), {}, "", {}, {}, "01M"},
	    {"abmf0010.16o", o({.step = 5min}), {}, "", {}, {}, "05M"},
	    {"abmf0010.16o", o({.step = 1500ms}), {}, "", {}, {}, "00U; named with an unknown rate, 00U: the epochs 1.5 s apart"},
	    {"abmf0010.16o", o({.interval = ""}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.interval = "", .epochs = 1}), {}, "", {}, {}, "00U; named with an unknown rate, 00U: one epoch and no INTERVAL"},
	    {"abmf0010.16o", o({.interval = "15.000", .epochs = 1}), {}, "", {}, {}, "15S"},
	    // An INTERVAL finer than the blur of a millisecond is no step of 0;
	    // an unreadable one matters only where there are no two epochs.
	    {"abmf0010.16o", o({.interval = "0.0000050", .epochs = 1}), {}, "", {}, {},
	     "00U; named with an unknown rate, 00U: INTERVAL says 0.000005 s"},
	    {"abmf0010.16o", o({.interval = "x", .epochs = 2}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.epochs = 0}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.firstObs = false, .epochs = 0}), {}, "", {}, {},
	     "no epoch and no TIME OF FIRST OBS: no epoch and no TIME OF FIRST OBS"},
	    {"abmf0010.16o", o({.interval = "30.000", .step = 15s}), {}, "", {}, {}, "15S; INTERVAL says 30 s, the epochs 15 s"},
	    {"abmf0010.16o", o({.events = true}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.satellites = 14}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.satellites = 30, .types = 9}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.marker = "ZZZZ"}), {}, "", {}, {}, "header names another station: header names station 'ZZZZ'"},
	    {"abmf0010.16o", o({.marker = "abmf"}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.marker = ""}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.marker = "ABMF00GLP"}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.start = day2}), {}, "", {}, {},
	     "data start outside the name's period: data start 2016-01-02 00:00:00, the name says day 001"},
	    {"abmf0010.16o", o({.start = sys_days(2016y / 1 / 1) - 1s, .step = 1s}), {}, "", {}, {}, "01S"},
	    {"abmf0010.16o", o({.start = sys_days(2016y / 1 / 1) - 2s, .step = 1s}), {}, "", {}, {},
	     "data start outside the name's period: data start 2015-12-31 23:59:58, the name says day 001 of 2016"},
	    {"abmf001b.16o", o({.start = hour1}), {}, "", {}, {}, "30S"},
	    {"abmf001b.16o", o({.start = hour1 + 1h}), {}, "", {}, {},
	     "data start outside the name's period: data start 2016-01-01 02:00:00, the name says day 001, 01:00 to 02:00"},
	    {"abmf001b15.16o", o({.start = hour1 + 15min + 500ms, .step = 1s}), {}, "", {}, {}, "01S"},
	    {"abmf001b15.16o", o({.start = hour1 + 30min, .step = 1s}), {}, "", {}, {},
	     "data start outside the name's period: data start 2016-01-01 01:30:00, the name says day 001, 01:15 to 01:30"},
	    {"abmf001b15.16o", o({.start = hour1 + 14min + 59s + 500ms, .step = 1s}), {}, "", {}, {}, "01S"},
	    {"abmf001b15.16o", o({.start = hour1 + 14min + 58s + 500ms, .step = 1s}), {}, "", {}, {},
	     "data start outside the name's period: data start 2016-01-01 01:14:58.5, the name says day 001, 01:15 to 01:30"},
	    {"abmf001015.16o", o({.start = sys_days(2016y / 1 / 1) + 15min, .step = 1s}), {}, "", {}, {}, "01S"},
	    {"abmf001015.16o", o({.step = 1s}), {}, "", {}, {},
	     "data start outside the name's period: data start 2016-01-01 00:00:00, the name says day 001, 00:15 to 00:30"},
	    {"abmf0010.99o", o({.start = sys_days(1999y / 1 / 1)}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.version = 3}), {}, "", {}, {}, "30S GO"},
	    {"abmf0010.16o", o({.version = 3, .events = true}), {}, "", {}, {}, "30S GO"},
	    {"abmf0010.16o", o({.version = 3, .start = day2}), {}, "", {}, {},
	     "data start outside the name's period: data start 2016-01-02 00:00:00, the name says day 001"},
	    {"abmf0010.16d", o({.compact = true}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16d", o({.compact = true, .step = 15s, .satellites = 14, .events = true}), {}, "", {}, {}, "15S"},
	    {"abmf0010.16d", o({.version = 3, .compact = true}), {}, "", {}, {}, "30S GO"},
	    {"abmf0010.16d", o({.version = 3, .compact = true, .step = 5min, .events = true}), {}, "", {}, {}, "05M GO"},
	    // A Compact RINEX epoch line written afresh shorter than the one before,
	    // then changed with a blank past its end: the blank is a blank.
	    {"abmf0010.16d",
	     header({.compact = true}) + "&16  1  1  0  0  0.0000000  0  2G01G02\n\n3&1\n3&2\n" +
		 "&16  1  1  0  0 30.0000000  0  1G01\n\n3&1\n" + "              1 &" + std::string(19, ' ') + "\n\n3&1\n",
	     {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.compact = true}), {}, "", {}, {}, "header says another type: header says Compact RINEX"},
	    {"abmf0010.16d", o({}), {}, "", {}, {}, "header says another type: header says RINEX, not Compact RINEX"},
	    {"abmf0010.16o", o({.bulkAfter = 1}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.comments = 20000}), {}, "", {}, {}, "header longer than 1 MiB: header longer than 1 MiB"},
	    {"abmf0010.16n", navigation("     2.11           N: GPS NAV DATA"), {}, "", {}, {}, ""},
	    {"abmf0010.16g", navigation("     2.11           G: GLONASS NAV DATA"), {}, "", {}, {}, ""},
	    {"abmf0010.16h", navigation("     2.11           H: GEO NAV MSG DATA"), {}, "", {}, {}, ""},
	    {"abmf0010.16l", navigation("     3.04           N: GNSS NAV DATA    E: GALILEO"), {}, "", {}, {}, ""},
	    {"abmf0010.16p", navigation("     4.00           NAVIGATION DATA     M"), {}, "", {}, {}, ""},
	    {"abmf0010.16n", navigation("     3.04           N: GNSS NAV DATA    E: GALILEO"), {}, "", {}, {},
	     "header says another type: header says Galileo navigation data, the name GPS"},
	    {"abmf0010.16o", navigation("     3.04           N: GNSS NAV DATA    E: GALILEO"), {}, "", {}, {},
	     "header says another type: header says navigation data"},
	    {"abmf0010.16n", o({}), {}, "", {}, {}, "header says another type: header says observation data"},
	    {"abmf0010.16g", navigation("     3.02           G: GLONASS NAV DATA"), {}, "", {}, {},
	     "header says another version: header says version 3.02"},
	    {"abmf0010.16o", navigation("     4.01           OBSERVATION DATA    M"), {}, "", {}, {},
	     "header says another version: header says version 4.01"},
	    {"abmf0010.16o", navigation("     3.04           METEOROLOGICAL DATA"), {}, "", {}, {},
	     "header says another type: header says meteorological data"},
	    {"abmf0010.16o", "this is not RINEX\n", {}, "", {}, {}, "no RINEX header: no RINEX header"},
	    {"abmf0010.16n", headerOnly.substr(0, headerOnly.size() - 1), {}, "", {}, {}, ""},
	    // A version written as a whole number, as the IGS's merged broadcast files do.
	    {"abmf0010.16n", navigation("     2              N: GPS NAV DATA"), {}, "", {}, {}, ""},
	    {"abmf0010.16n", navigation("     2.x            N: GPS NAV DATA"), {}, "", {}, {},
	     "RINEX VERSION / TYPE unreadable: RINEX VERSION / TYPE unreadable: no version number in columns 1 to 9: '     2.x '"},
	    // Empty lines and blanks after the last epoch; a header with no epochs.
	    {"abmf0010.16o", o({}) + "\n", {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({}) + "   \n\n", {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.interval = "", .epochs = 0}) + "\n", {}, "", {}, {},
	     "00U; named with an unknown rate, 00U: no epoch and no INTERVAL"},
	    // The content: one system's, or MO.
	    {"abmf0010.16o", o({.system = 'G'}), {}, "", {}, {}, "30S GO"},
	    {"abmf0010.16o", o({.system = ' '}), {}, "", {}, {}, "30S GO"},
	    {"abmf0010.16o", o({.system = 'R'}), {}, "", {}, {}, "30S RO"},
	    {"abmf0010.16o", o({.system = 'E'}), {}, "", {}, {}, "30S EO"},
	    {"abmf0010.16o", o({.system = 'S'}), {}, "", {}, {}, "30S SO"},
	    {"abmf0010.16o", o({.system = 'J'}), {}, "", {}, {}, "30S JO"},
	    {"abmf0010.16d", o({.compact = true, .system = 'R'}), {}, "", {}, {}, "30S RO"},
	    {"abmf0010.16o", o({.version = 3, .systems = "R"}), {}, "", {}, {}, "30S RO"},
	    {"abmf0010.16o", o({.version = 3, .systems = "E"}), {}, "", {}, {}, "30S EO"},
	    {"abmf0010.16o", o({.version = 3, .systems = "J"}), {}, "", {}, {}, "30S JO"},
	    {"abmf0010.16o", o({.version = 3, .systems = "C"}), {}, "", {}, {}, "30S CO"},
	    {"abmf0010.16o", o({.version = 3, .systems = "I"}), {}, "", {}, {}, "30S IO"},
	    {"abmf0010.16o", o({.version = 3, .systems = "S"}), {}, "", {}, {}, "30S SO"},
	    {"abmf0010.16o", o({.version = 3, .systems = "GR"}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.version = 3, .system = 'E', .systems = "GRS"}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16d", o({.version = 3, .compact = true, .system = 'G', .systems = "E"}), {}, "", {}, {}, "30S EO"},
	    // Navigation records: by satellite, some from before the day; a year away.
	    {"abmf0010.10n", navigation(2, {sys_days(1999y / 9 / 2), sys_days(1999y / 9 / 2) + 12h, sys_days(1999y / 9 / 2) + 23h + 59min + 44s}),
	     {}, "", {}, {}, "records outside the name's period: records from 1999-09-02 00:00:00 to 1999-09-02 23:59:44, the name says day 001 of 2010"},
	    {"abmf0010.16n", navigation(2, {sys_days(2016y / 1 / 1) - 14h, sys_days(2016y / 1 / 1) - 12h, sys_days(2016y / 1 / 1) + 2h}), {}, "", {}, {}, ""},
	    {"abmf0010.16n", navigation(2, {sys_days(2016y / 1 / 1) - 14h, sys_days(2016y / 1 / 1) - 10h}), {}, "", {}, {}, ""},
	    {"abmf0010.16n", navigation(2, {sys_days(2016y / 1 / 1) - 36h}), {}, "", {}, {},
	     "records outside the name's period: records from 2015-12-30 12:00:00 to 2015-12-30 12:00:00, the name says day 001 of 2016"},
	    {"abmf0010.16n", navigation(3, {sys_days(2016y / 1 / 3) + 1s, sys_days(2010y / 1 / 1)}), {}, "", {}, {},
	     "records outside the name's period: records from 2010-01-01 00:00:00 to 2016-01-03 00:00:01, the name says day 001 of 2016"},
	    {"abmf0010.16n", navigation(3, {sys_days(2016y / 1 / 3) + 1s, sys_days(2016y / 1 / 2) + 23h}), {}, "", {}, {}, ""},
	    {"abmf0010.16n", navigation(4, {sys_days(2016y / 1 / 1) + 2h}), {}, "", {}, {}, ""},
	    {"abmf0010.16n", navigation(4, {sys_days(2016y / 3 / 1)}), {}, "", {}, {},
	     "records outside the name's period: records from 2016-03-01 00:00:00 to 2016-03-01 00:00:00, the name says day 001"},
	    {"abmf0010.16n",
	     replaced(navigation(4, {sys_days(2016y / 3 / 1)}), "END OF HEADER", "> EPH",
		      "> ION G01 LNAV\nG01 2016 01 01 00 00 00 1.000000000000D+00\n> EPH"),
	     {}, "", {}, {},
	     "records outside the name's period: records from 2016-03-01 00:00:00 to 2016-03-01 00:00:00, the name says day 001"},
	    {"abmf001c.16n", navigation(2, {sys_days(2016y / 1 / 2) + 1h}), {}, "", {}, {}, ""},
	    {"abmf001c.16n", navigation(2, {sys_days(2016y / 1 / 2) + 3h}), {}, "", {}, {},
	     "records outside the name's period: records from 2016-01-02 03:00:00 to 2016-01-02 03:00:00, the name says day 001, 02:00 to 03:00"},
	    // A record's line is read by its columns: a day of three digits is none,
	    // and the hour is two; RINEX 2 may name a satellite G01.
	    {"abmf0010.16n",
	     replaced(navigation(3, {sys_days(2016y / 3 / 1) + 13h, sys_days(2016y / 1 / 1)}), "END OF HEADER",
		      "G02 2016 01 01", "G02 2016 01101"),
	     {}, "", {}, {},
	     "records outside the name's period: records from 2016-03-01 13:00:00 to 2016-03-01 13:00:00, the name says day 001"},
	    {"abmf0010.16n", replaced(navigation(2, {sys_days(2016y / 3 / 1)}), "END OF HEADER", " 1 16", "G01 16"), {}, "", {}, {},
	     "records outside the name's period: records from 2016-03-01 00:00:00 to 2016-03-01 00:00:00, the name says day 001"},
	    // A receiver's clock: steps of 11.9999984 s and 1.0000001 s.
	    {"abmf0010.16o", o({.step = Tick(119'999'984)}), {}, "", {}, {}, "12S"},
	    {"abmf0010.16o", o({.step = Tick(10'000'001)}), {}, "", {}, {}, "01S"},
	    {"abmf0010.16o", o({.step = Tick(10'001'001)}), {}, "", {}, {},
	     "00U; INTERVAL says 1 s, the epochs 1.0001001 s; named with an unknown rate, 00U: the epochs 1.0001001 s apart"},
	    // An INTERVAL that the epochs contradict.
	    {"abmf0010.16o", o({.interval = "0.500", .step = 5min}), {}, "", {}, {}, "05M; INTERVAL says 0.5 s, the epochs 300 s"},
	    // QZSS navigation in RINEX 2.12.
	    {"abmf0010.16q", navigation("     2.12           N: GPS NAV DATA     J: QZSS"), {}, "", {}, {}, ""},
	    {"abmf0010.16n", navigation("     2.12           N: GPS NAV DATA     J: QZSS"), {}, "", {}, {},
	     "header says another type: header says QZSS navigation data, the name GPS"},
	    {"abmf0010.16o", o({.marker = "A 9080"}), {}, "", {}, {}, "header names another station: header names station 'A 9080'"},
	    // Two MARKER NAME lines: the first names the station.
	    {"abmf0010.16o", replaced(o({.marker = "ZZZZ"}), "MARKER NAME", "\n", std::string("\n").append(line("ABMF", "MARKER NAME"))), {}, "", {}, {},
	     "header names another station: header names station 'ZZZZ'"},
	    // RINEX 2's lines: 12 satellites fill the epoch line, with no line
	    // after it; 5 types fill a line of observations and 6 need two.
	    {"abmf0010.16o", o({.satellites = 12}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.types = 5}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.types = 6}), {}, "", {}, {}, "30S"},
	    // One type; and no types where the epochs list no satellites.
	    {"abmf0010.16o", o({.types = 1}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", header({.types = 0}) + " 16  1  1  0  0  0.0000000  0  0\n 16  1  1  0  0 30.0000000  0  0\n",
	     {}, "", {}, {}, "30S"},
	    // The smallest step of the first ten epochs, and of none after: 15 s
	    // from the 9th to the 10th, 1 s from the 10th to the 11th.
	    {"abmf0010.16o",
	     replaced(replaced(o({.interval = ""}), "END OF HEADER", " 16  1  1  0  4 30.0", " 16  1  1  0  4 15.0"),
		      "END OF HEADER", " 16  1  1  0  5  0.0", " 16  1  1  0  4 16.0"),
	     {}, "", {}, {}, "15S"},
	    // A repeated epoch is no step.
	    {"abmf0010.16o", replaced(o({}), "END OF HEADER", " 16  1  1  0  0 30.0", " 16  1  1  0  0  0.0"), {}, "", {}, {}, "30S"},
	    // Leap days, of every fourth year and of every 400th, in an epoch and
	    // in TIME OF FIRST OBS.
	    {"abmf0600.16o", o({.start = sys_days(2016y / 2 / 29)}), {}, "", {}, {}, "30S"},
	    {"abmf0600.00o", o({.start = sys_days(2000y / 2 / 29)}), {}, "", {}, {}, "30S"},
	    {"abmf0600.00o", o({.version = 3, .start = sys_days(2000y / 2 / 29), .epochs = 0}), {}, "", {}, {}, "30S GO"},
	    // A leap second, 23:59:60, as the 10th epoch of a second's steps.
	    {"abmf366x.16o",
	     replaced(o({.start = sys_days(2016y / 12 / 31) + 23h + 59min + 51s, .step = 1s}), "END OF HEADER",
		      " 17  1  1  0  0  0.0", " 16 12 31 23 59 60.0"),
	     {}, "", {}, {}, "01S"},
	};
}

std::vector<HeaderCase> realCases()
{
	const std::string p433 = "P43300USA_R_20190012056_17M_15S_MO.crx",
			  ceda = "CEDA00USA_R_20182100000_23H_15S_MO.rnx.gz";
	const auto real = [](std::string name, std::string file, std::string expected) {
		return HeaderCase{std::move(name), "", {}, std::move(file), {}, {}, std::move(expected)};
	};
	return {
	    real("ac660270.18o.Z", "ac660270.18o.Z", "15S"),
	    real("york0440.15d", "york0440.15d", "30S GO"),
	    real("1460173g.18o", "14601736.18o", "header names another station: header names station 'st'"),
	    real("mrkr0640.10o", "demo.10o", "30S"),
	    real("mrkr0640.10o", "rinex2onesat.10o", "30S"),
	    real("ab422100.18n", "ab422100.18n", ""),
	    real("ab422100.18g", "ab422100.18n", "header says another type: header says GPS navigation data, the name GLONASS"),
	    real("ab422100.18o", "ab422100.18n", "header says another type: header says navigation data"),
	    real("p1462100.18g", "p1462100.18g", ""),
	    real("07590920.05o", "07590920.05o", "30S GO"),
	    real("07590920.05n", "07590920.05n", ""),
	    real("p433001u.19d", p433, "15S"),
	    real("p433001u45.19d", p433, "15S"),
	    real("p433001u30.19d", p433,
		 "data start outside the name's period: data start 2019-01-01 20:56:45, the name says day 001, 20:30 to 20:45"),
	    real("p4330010.19o", p433, "header says another type: header says Compact RINEX"),
	    real("ceda2100.18o.gz", ceda, "15S"),
	    real("ceda2110.18o.gz", ceda,
		 "data start outside the name's period: data start 2018-07-29 00:00:15, the name says day 211"),
	};
}

std::vector<HeaderCase> damagedCases()
{
	const std::string brief = observations({.epochs = 3}), full = observations({.epochs = 400});
	// A navigation header and records after it, which the reader needs not.
	std::string records = navigation("     2.11           N: GPS NAV DATA");
	for (int i = 0; i < 100; i++)
		records += format("    %18.12fD+00%19.12fD+00%19.12fD+00%19.12fD+00\n", i * 0.37, i * 1.1, i * 2.3, i * 3.9);
	const std::optional<long> none, tail = -20000;
	const auto c = [](std::string name, const std::string &text, std::vector<size_t> parts, std::optional<long> cut,
			  std::vector<std::pair<long, unsigned char>> set, std::string expected) {
		return HeaderCase{std::move(name), text, std::move(parts), "", cut, std::move(set), std::move(expected)};
	};
	// More input than the reader takes in a row that gives no text: .Z
	// clear codes, each with its group's padding; empty gzip members and
	// bzip2 streams; a gzip member whose file name does not end.
	const auto repeated = [](std::string_view unit) {
		std::string s;
		while (s.size() < (size_t(16) << 20) + 65536)
			s += unit;
		return s;
	};
	const std::string clears = repeated({"\x00\x01\0\0\0\0\0\0\0", 9}),
			  members = repeated({"\x1f\x8b\x08\0\0\0\0\0\0\x03\x03\0\0\0\0\0\0\0\0\0", 20}),
			  streams = repeated({"BZh9\x17\x72\x45\x38\x50\x90\0\0\0\0", 14}),
			  endlessName = std::string("\x1f\x8b\x08\x08\0\0\0\0\0\x03", 10) + repeated("a");
	const std::string noText = "input gave no text: 16 MiB of input gave no text";
	// A line that the limit of 1 MiB cuts, where an epoch must begin.
	const std::string endless(2 << 20, 'x'), zeros(2 << 20, '\0');
	// Epochs whose satellites are more or fewer than announced; a bad date or
	// seconds, an empty line, a long line where an epoch must be.
	const std::string brief3 = observations({.version = 3, .epochs = 3}), briefCompact = observations({.compact = true, .epochs = 3}),
			  second = " 16  1  1  0  0 30";
	return {
	    c("abmf0010.16o", replaced(brief3, "END OF HEADER", "  0  8", "  0  7"), {}, none, {},
	      "epoch unreadable: epoch at line 8: 7 satellites announced, 8 given"),
	    c("abmf0010.16o", replaced(brief3, "END OF HEADER", "  0  8", "  0  9"), {}, none, {},
	      "epoch unreadable: epoch at line 8: 9 satellites announced, 8 given"),
	    c("abmf0010.16o", replaced(observations({.version = 3, .epochs = 3, .satellites = 9}), "END OF HEADER", "  0  9", "  0  8"),
	      {}, none, {}, "epoch unreadable: epoch at line 8: 8 satellites announced, 9 given"),
	    c("abmf0010.16o", replaced(brief, "END OF HEADER", "  0  8G", "  0  9G"), {}, none, {},
	      "epoch unreadable: epoch at line 8: 9 satellites announced, 8 given"),
	    c("abmf0010.16o", replaced(observations({.epochs = 3, .satellites = 14}), "END OF HEADER", " 14G", " 13G"), {}, none, {},
	      "epoch unreadable: epoch at line 8: 13 satellites announced, 14 given"),
	    c("abmf0010.16d", replaced(briefCompact, "END OF HEADER", "  0  8G", "  0  1G"), {}, none, {},
	      "epoch unreadable: epoch at line 10: 1 satellite announced, 8 given"),
	    c("abmf0010.16o", replaced(brief, "END OF HEADER", second, " 16 13  1  0  0 30"), {}, none, {},
	      "epoch unreadable: epoch at line 17: no date and time: ' 16 13  1  0  0 30.0000000  0  8G01G02G03G04G05G06G07G08'"),
	    c("abmf0010.16o", replaced(brief, "END OF HEADER", second, " 16 12 32  0  0 30"), {}, none, {},
	      "epoch unreadable: epoch at line 17: no date and time: ' 16 12 32  0  0 30.0000000  0  8G01G02G03G04G05G06G07G08'"),
	    c("abmf0010.16o", replaced(brief, "END OF HEADER", second, " 16  1  1 23 59 61"), {}, none, {},
	      "epoch unreadable: epoch at line 17: no date and time: ' 16  1  1 23 59 61.0000000  0  8G01G02G03G04G05G06G07G08'"),
	    c("abmf0010.16o", replaced(brief, "END OF HEADER", second + ".0000000", " 16  1  1  0  0           "), {}, none, {},
	      "epoch unreadable: epoch at line 17: no date and time: ' 16  1  1  0  0             0  8G01G02G03G04G05G06G07G08'"),
	    c("abmf0010.16o", replaced(brief, "END OF HEADER", second + ".0000000", second + "..000000"), {}, none, {},
	      "epoch unreadable: epoch at line 17: no date and time: ' 16  1  1  0  0 30..000000  0  8G01G02G03G04G05G06G07G08'"),
	    // TIME OF FIRST OBS, where there is no epoch, read by its columns.
	    c("abmf0010.16o", replaced(observations({.epochs = 0}), "MARKER NAME", "  2016", "X 2016"), {}, none, {},
	      "TIME OF FIRST OBS unreadable: TIME OF FIRST OBS unreadable: no date and time in columns 1 to 43: "
	      "'X 2016     1     1     0     0    0.0000000'"),
	    c("abmf0010.16o", replaced(observations({.epochs = 0}), "MARKER NAME", "  2016     1 ", "  2016     11"), {}, none, {},
	      "TIME OF FIRST OBS unreadable: TIME OF FIRST OBS unreadable: no date and time in columns 1 to 43: "
	      "'  2016     11    1     0     0    0.0000000'"),
	    c("abmf0010.16o", replaced(brief, "END OF HEADER", second, "\n" + second), {}, none, {},
	      "epoch unreadable: epoch at line 17: empty line"),
	    c("abmf0010.16o", replaced(brief, "END OF HEADER", second, "  \n" + second), {}, none, {},
	      "epoch unreadable: epoch at line 17: line of blanks"),
	    c("abmf0010.16o", replaced(brief, "END OF HEADER", second, std::string(40000, 'x') + "\n" + second), {}, none, {},
	      "epoch unreadable: epoch at line 17: no epoch line: '" + std::string(60, 'x') + "' (first 60 of 40000 bytes)"),
	    c("abmf0010.16o", replaced(brief3, "END OF HEADER", "> 2016 01 01 00 00 30", "  2016 01 01 00 00 30"), {}, none, {},
	      "epoch unreadable: epoch at line 17: no epoch line: '  2016 01 01 00 00 30.0000000  0  8'"),
	    {"abmf0010.16o.Z", "", {}, "", none, {}, noText, clears},
	    {"abmf0010.16o.gz", brief, {}, "", none, {}, noText, members},
	    {"abmf0010.16o.gz", "", {}, "", none, {}, noText, endlessName},
	    {"abmf0010.16o.bz2", brief, {}, "", none, {}, noText, streams},
	    c("abmf0010.16o", header({}) + endless, {}, none, {}, "epoch unreadable: epoch at line 8: line cut at the limit of 1 MiB"),
	    c("abmf0010.16o.gz", header({}) + zeros, {}, none, {}, "epoch unreadable: epoch at line 8: line cut at the limit of 1 MiB"),
	    c("abmf0010.16o", observations({.epochs = 1}) + endless, {}, none, {}, "epoch unreadable: epoch at line 17: line cut at the limit of 1 MiB"),
	    c("abmf0010.16o", brief, {}, 300, {}, "header cut short: header cut short"),
	    c("abmf0010.16o", brief, {}, long(brief.size()) - 100, {}, "epoch cut short: epoch at line 26 cut short"),
	    c("abmf0010.16o", full, {}, tail, {}, "30S"),
	    c("abmf0010.16o", "", {}, none, {}, "file is empty: file is empty"),
	    c("abmf0010.16o.Z", brief, {}, 100, {}, "header cut short: header cut short"),
	    c("abmf0010.16o.Z", brief, {}, none, {{1, 0x9c}}, ".Z stream damaged: .Z stream damaged: bad magic"),
	    c("abmf0010.16o.Z", brief, {}, none, {{2, 0x91}}, ".Z stream damaged: .Z stream damaged: codes of 17 bits"),
	    c("abmf0010.16o.Z", brief, {}, none, {{3, 0xff}, {4, 0xff}}, ".Z stream damaged: .Z stream damaged: bad code"),
	    c("abmf0010.16o.Z", "", {}, 2, {}, ".Z stream cut short: .Z stream cut short"),
	    c("abmf0010.16o.Z", full, {}, tail, {}, "30S"),
	    c("abmf0010.16o.gz", brief, {}, 100, {}, ".gz stream cut short: .gz stream cut short"),
	    c("abmf0010.16o.gz", brief, {}, none, {{0, 0x00}}, ".gz stream damaged: .gz stream damaged: bad magic"),
	    c("abmf0010.16o.gz", brief, {}, none, {{2, 7}}, ".gz stream damaged: .gz stream damaged: unknown compression method"),
	    c("abmf0010.16o.gz", brief, {}, none, {{10, 0x07}}, ".gz stream damaged: .gz stream damaged: invalid block type"),
	    c("abmf0010.16o.gz", brief, {}, none, {{-8, 0x00}, {-7, 0x00}}, ".gz stream damaged: .gz stream damaged: incorrect data check"),
	    c("abmf0010.16o.gz", full, {}, none, {{-8, 0x00}, {-7, 0x00}}, "30S"),
	    c("abmf0010.16o.gz", full, {}, tail, {}, "30S"),
	    c("abmf0010.16o.gz", full, {3000}, none, {}, "30S"),
	    c("abmf0010.16o.gz", full, {1000}, none, {{-1, 0x00}, {-2, 0x00}}, "30S"),
	    c("abmf0010.16n.gz", records, {}, -200, {}, ""),
	    c("abmf0010.16n.bz2", records, {}, none, {{10, 0x00}, {11, 0x00}}, ""),
	    c("abmf0010.16o.bz2", brief, {}, none, {{10, 0x00}, {11, 0x00}}, ".bz2 stream damaged: .bz2 stream damaged: data corrupt"),
	    c("abmf0010.16o.gz", "", {}, none, {}, "stream holds no text: stream holds no text"),
	    c("abmf0010.16o.gz", "", {}, 0, {}, "file is empty: file is empty"),
	    c("abmf0010.16o.bz2", brief, {}, 100, {}, ".bz2 stream cut short: .bz2 stream cut short"),
	    c("abmf0010.16o.bz2", brief, {}, none, {{0, 'X'}}, ".bz2 stream damaged: .bz2 stream damaged: bad magic"),
	    c("abmf0010.16o.bz2", brief, {}, none, {{4, 0x00}}, ".bz2 stream damaged: .bz2 stream damaged: data corrupt"),
	    c("abmf0010.16o.bz2", full, {10000}, tail, {}, "30S"),
	};
}
