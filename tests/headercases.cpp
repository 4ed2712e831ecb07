// The header reader's test files: RINEX 2 and 3 observations, plain and
// Compact, made from a few settings; navigation headers; the real files.
#include "headercases.h"

#include <stdint.h>
#include <stdio.h>

#include <algorithm>
#include <chrono>
#include <optional>

namespace
{

using namespace std::chrono;
using namespace std::chrono_literals;
using Tick = duration<int64_t, std::ratio<1, 10'000'000>>;
using Time = sys_time<Tick>;

// A header line: its content in the first 60 columns, then its label.
std::string line(std::string content, const std::string &label)
{
	content.resize(60, ' ');
	return content + label + "\n";
}

struct Fields {
	int year, month, day, hour, minute;
	long long second, fraction;
};

Fields fields(Time t)
{
	const auto day = floor<days>(t);
	const year_month_day date{day};
	const hh_mm_ss<Tick> clock{t - day};
	return {int(date.year()), int(unsigned(date.month())), int(unsigned(date.day())),
		int(clock.hours().count()), int(clock.minutes().count()),
		(long long)clock.seconds().count(), (long long)clock.subseconds().count()};
}

template <class... T> std::string format(const char *f, T... values)
{
	char text[160];
	snprintf(text, sizeof text, f, values...);
	return text;
}

// What an observation file holds.
struct Obs {
	int version = 2;
	bool compact = false;
	std::string marker = "ABMF";
	std::string interval = "30.000"; // the INTERVAL field, "" for no line
	bool firstObs = true;            // a TIME OF FIRST OBS line
	Time start = sys_days(2016y / 1 / 1);
	Tick step = 30s;
	int epochs = 12;
	int satellites = 8;
	int types = 4;
	bool events = false; // event and cycle-slip records among the epochs
	int comments = 0;    // COMMENT lines in the header
	int bulkAfter = -1;  // after this epoch, 1 MiB and more of event records,
	Tick bulkStep = 1s;  // and epochs this far apart from then on
};

std::string header(const Obs &o)
{
	std::string h;
	if (o.compact)
		h += line(o.version == 2 ? "1.0                 COMPACT RINEX FORMAT"
					 : "3.0                 COMPACT RINEX FORMAT",
			  "CRINEX VERS   / TYPE") +
		     line("orvane tests                            01-Jan-16 00:00", "CRINEX PROG / DATE");
	h += line(o.version == 2 ? "     2.11           OBSERVATION DATA    M (MIXED)"
				 : "     3.04           OBSERVATION DATA    M",
		  "RINEX VERSION / TYPE");
	h += line("orvane tests", "PGM / RUN BY / DATE");
	for (int i = 0; i < o.comments; i++)
		h += line("a comment to make the header long", "COMMENT");
	h += line(o.marker, "MARKER NAME");
	if (o.version == 2)
		h += line(format("%6d    L1    L2    C1    P2    P1    S1    S2    C2    L5", o.types)
			      .substr(0, size_t(6 + 6 * std::min(o.types, 9))),
			  "# / TYPES OF OBSERV");
	else
		h += line(format("G%5d C1C L1C D1C S1C C2W L2W D2W S2W C5Q", o.types)
			      .substr(0, size_t(6 + 4 * std::min(o.types, 9))),
			  "SYS / # / OBS TYPES");
	if (!o.interval.empty())
		h += line(format("%10s", o.interval.c_str()), "INTERVAL");
	if (o.firstObs) {
		const Fields f = fields(o.start);
		h += line(format("%6d%6d%6d%6d%6d%5lld.%07lld     GPS", f.year, f.month, f.day,
				 f.hour, f.minute, f.second, f.fraction),
			  "TIME OF FIRST OBS");
	}
	return h + line("", "END OF HEADER");
}

std::string satellites(int n)
{
	std::string s;
	for (int i = 1; i <= n; i++)
		s += format("G%02d", i);
	return s;
}

// An epoch line up to its count, or an event's with its time left blank.
std::string epochLine(const Obs &o, std::optional<Time> t, int flag, int count)
{
	if (!t)
		return (o.version == 2 ? std::string(28, ' ') : ">" + std::string(30, ' ')) +
		       format("%d%3d", flag, count);
	const Fields f = fields(*t);
	if (o.version == 2)
		return format(" %02d %2d %2d %2d %2d%3lld.%07lld  %d%3d", f.year % 100, f.month, f.day,
			      f.hour, f.minute, f.second, f.fraction, flag, count);
	return format("> %04d %02d %02d %02d %02d%3lld.%07lld  %d%3d", f.year, f.month, f.day,
		      f.hour, f.minute, f.second, f.fraction, flag, count);
}

// Compact RINEX: the changes from the line before, a blank where a
// character stays and '&' where one became blank.
std::string changes(const std::string &was, const std::string &is)
{
	std::string d;
	for (size_t i = 0; i < std::max(was.size(), is.size()); i++) {
		const char a = i < was.size() ? was[i] : ' ', b = i < is.size() ? is[i] : ' ';
		d += a == b ? ' ' : b == ' ' ? '&' : b;
	}
	return d.substr(0, d.find_last_not_of(' ') + 1);
}

class Writer
{
      public:
	explicit Writer(const Obs &o) : o_(o), types_(o.types) {}

	// An epoch of observations (flag 0 or 6) of n satellites.
	void epoch(Time t, int flag, int n)
	{
		const std::string sats = satellites(n);
		if (o_.compact) {
			std::string full = epochLine(o_, t, flag, n);
			if (o_.version == 3)
				full += "      ";
			full += sats;
			if (o_.version == 2)
				full[0] = '&';
			text_ += (previous_.empty() ? full : changes(previous_, full)) + "\n\n";
			previous_ = full;
			for (int i = 0; i < n; i++)
				text_ += "3&" + trimmed(value()) + " 3&" + trimmed(value()) + "\n";
			return;
		}
		text_ += epochLine(o_, t, flag, n);
		if (o_.version == 2) {
			for (int i = 0; i < n; i += 12)
				text_ += (i > 0 ? std::string(32, ' ') : "") + sats.substr(size_t(3 * i), 36) + "\n";
			for (int i = 0; i < n; i++)
				for (int k = 0; k < types_; k += 5) {
					for (int j = k; j < std::min(k + 5, types_); j++)
						text_ += value();
					text_ += "\n";
				}
		} else {
			text_ += "\n";
			for (int i = 0; i < n; i++) {
				text_ += format("G%02d", i + 1);
				for (int j = 0; j < types_; j++)
					text_ += value();
				text_ += "\n";
			}
		}
	}

	// An event record (flags 2 to 5) and its lines, written whole; after it
	// a compact file starts afresh.
	void event(std::optional<Time> t, int flag, const std::vector<std::string> &lines)
	{
		text_ += epochLine(o_, t, flag, int(lines.size())) + "\n";
		for (const std::string &l : lines)
			text_ += l;
		previous_.clear();
	}
	void setTypes(int n) { types_ = n; }
	const std::string &text() const { return text_; }

      private:
	// An observation as RINEX writes it, F14.3 and a flag; a different one
	// each time, so that the text compresses as real data do.
	std::string value()
	{
		random_ = random_ * 6364136223846793005u + 1442695040888963407u;
		return format("%14.3f 8", 2e7 + double(random_ >> 40) / 1000);
	}
	static std::string trimmed(const std::string &v) { return v.substr(v.find_first_not_of(' ')); }

	const Obs &o_;
	int types_;
	uint64_t random_ = 1;
	std::string previous_, text_;
};

std::string observations(const Obs &o)
{
	Writer w(o);
	Time t = o.start;
	for (int i = 0; i < o.epochs; i++) {
		if (o.events && i == 1)
			w.event(t - o.step + 1s, 5, {});
		if (o.events && i == 2)
			w.event(std::nullopt, 2, {line("start moving", "COMMENT")});
		if (o.events && i == 3) {
			const int more = std::min(o.types + 4, 9);
			w.event(std::nullopt, 4,
				{o.version == 2 ? line(format("%6d    L1    L2    C1    P2    P1    S1    S2    C2    L5", more)
							   .substr(0, size_t(6 + 6 * more)),
						       "# / TYPES OF OBSERV")
						: line("G    8 C1C L1C D1C S1C C2W L2W D2W S2W", "SYS / # / OBS TYPES"),
				 line("new observation types", "COMMENT")});
			w.setTypes(more);
		}
		if (o.events && i == 4)
			w.event(t, 3, {line("ZZZZ", "MARKER NAME"), line("a new site", "COMMENT")});
		if (i == o.bulkAfter + 1 && o.bulkAfter >= 0) {
			const std::vector<std::string> lines(999, line("filler", "COMMENT"));
			for (int k = 0; k < 20; k++)
				w.event(std::nullopt, 4, lines);
		}
		w.epoch(t, 0, o.satellites);
		if (o.events && i == 4 && !o.compact)
			w.epoch(t + 1s, 6, 2);
		t += o.bulkAfter >= 0 && i >= o.bulkAfter ? o.bulkStep : o.step;
	}
	return header(o) + w.text();
}

std::string navigation(const char *versionType)
{
	return line(versionType, "RINEX VERSION / TYPE") + line("orvane tests", "PGM / RUN BY / DATE") +
	       line("", "END OF HEADER") +
	       " 1 16  1  1  0  0  0.0 1.881956122816D-04-6.821210263297D-13 0.000000000000D+00\n";
}

} // namespace

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
	    {"abmf0010.16o", o({.step = 1500ms}), {}, "", {}, {}, "00U"},
	    {"abmf0010.16o", o({.interval = ""}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.interval = "", .epochs = 1}), {}, "", {}, {}, "00U"},
	    {"abmf0010.16o", o({.interval = "15.000", .epochs = 1}), {}, "", {}, {}, "15S"},
	    {"abmf0010.16o", o({.epochs = 0}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.firstObs = false, .epochs = 0}), {}, "", {}, {},
	     "no start: no epoch and no TIME OF FIRST OBS"},
	    {"abmf0010.16o", o({.interval = "30.000", .step = 15s}), {}, "", {}, {}, "15S"},
	    {"abmf0010.16o", o({.events = true}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.satellites = 14}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.satellites = 30, .types = 9}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.marker = "ZZZZ"}), {}, "", {}, {}, "another station: header names station ZZZZ"},
	    {"abmf0010.16o", o({.marker = "abmf"}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.marker = ""}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.marker = "ABMF00GLP"}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.start = day2}), {}, "", {}, {},
	     "start outside the name's period: data start 2016-01-02 00:00:00, the name says day 001"},
	    {"abmf0010.16o", o({.start = sys_days(2016y / 1 / 1) - 1s, .step = 1s}), {}, "", {}, {}, "01S"},
	    {"abmf0010.16o", o({.start = sys_days(2016y / 1 / 1) - 2s, .step = 1s}), {}, "", {}, {},
	     "start outside the name's period: data start 2015-12-31 23:59:58, the name says day 001 of 2016"},
	    {"abmf001b.16o", o({.start = hour1}), {}, "", {}, {}, "30S"},
	    {"abmf001b.16o", o({.start = hour1 + 1h}), {}, "", {}, {},
	     "start outside the name's period: data start 2016-01-01 02:00:00, the name says day 001, 01:00 to 02:00"},
	    {"abmf001b15.16o", o({.start = hour1 + 15min + 500ms, .step = 1s}), {}, "", {}, {}, "01S"},
	    {"abmf001b15.16o", o({.start = hour1 + 30min, .step = 1s}), {}, "", {}, {},
	     "start outside the name's period: data start 2016-01-01 01:30:00, the name says day 001, 01:15 to 01:30"},
	    {"abmf001b15.16o", o({.start = hour1 + 14min + 59s + 500ms, .step = 1s}), {}, "", {}, {}, "01S"},
	    {"abmf001b15.16o", o({.start = hour1 + 14min + 58s + 500ms, .step = 1s}), {}, "", {}, {},
	     "start outside the name's period: data start 2016-01-01 01:14:58.5, the name says day 001, 01:15 to 01:30"},
	    {"abmf001015.16o", o({.start = sys_days(2016y / 1 / 1) + 15min, .step = 1s}), {}, "", {}, {}, "01S"},
	    {"abmf001015.16o", o({.step = 1s}), {}, "", {}, {},
	     "start outside the name's period: data start 2016-01-01 00:00:00, the name says day 001, 00:15 to 00:30"},
	    {"abmf0010.99o", o({.start = sys_days(1999y / 1 / 1)}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.version = 3}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.version = 3, .events = true}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.version = 3, .start = day2}), {}, "", {}, {},
	     "start outside the name's period: data start 2016-01-02 00:00:00, the name says day 001"},
	    {"abmf0010.16d", o({.compact = true}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16d", o({.compact = true, .step = 15s, .satellites = 14, .events = true}), {}, "", {}, {}, "15S"},
	    {"abmf0010.16d", o({.version = 3, .compact = true}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16d", o({.version = 3, .compact = true, .step = 5min, .events = true}), {}, "", {}, {}, "05M"},
	    {"abmf0010.16o", o({.compact = true}), {}, "", {}, {}, "another type: header says Compact RINEX"},
	    {"abmf0010.16d", o({}), {}, "", {}, {}, "another type: header says RINEX, not Compact RINEX"},
	    {"abmf0010.16o", o({.bulkAfter = 1}), {}, "", {}, {}, "30S"},
	    {"abmf0010.16o", o({.comments = 20000}), {}, "", {}, {}, "bad header: header longer than 1 MiB"},
	    {"abmf0010.16n", navigation("     2.11           N: GPS NAV DATA"), {}, "", {}, {}, ""},
	    {"abmf0010.16g", navigation("     2.11           G: GLONASS NAV DATA"), {}, "", {}, {}, ""},
	    {"abmf0010.16h", navigation("     2.11           H: GEO NAV MSG DATA"), {}, "", {}, {}, ""},
	    {"abmf0010.16l", navigation("     3.04           N: GNSS NAV DATA    E: GALILEO"), {}, "", {}, {}, ""},
	    {"abmf0010.16p", navigation("     4.00           NAVIGATION DATA     M"), {}, "", {}, {}, ""},
	    {"abmf0010.16n", navigation("     3.04           N: GNSS NAV DATA    E: GALILEO"), {}, "", {}, {},
	     "another type: header says Galileo navigation data"},
	    {"abmf0010.16o", navigation("     3.04           N: GNSS NAV DATA    E: GALILEO"), {}, "", {}, {},
	     "another type: header says navigation data"},
	    {"abmf0010.16n", o({}), {}, "", {}, {}, "another type: header says observation data"},
	    {"abmf0010.16g", navigation("     3.02           G: GLONASS NAV DATA"), {}, "", {}, {},
	     "another version: header says version 3.02"},
	    {"abmf0010.16o", navigation("     4.01           OBSERVATION DATA    M"), {}, "", {}, {},
	     "another version: header says version 4.01"},
	    {"abmf0010.16o", navigation("     3.04           METEOROLOGICAL DATA"), {}, "", {}, {},
	     "another type: header says meteorological data"},
	    {"abmf0010.16o", "this is not RINEX\n", {}, "", {}, {}, "not RINEX: no RINEX header"},
	    {"abmf0010.16n", headerOnly.substr(0, headerOnly.size() - 1), {}, "", {}, {}, ""},
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
	    real("york0440.15d", "york0440.15d", "30S"),
	    real("1460173g.18o", "14601736.18o", "another station: header names station st"),
	    real("mrkr0640.10o", "demo.10o", "30S"),
	    real("mrkr0640.10o", "rinex2onesat.10o", "30S"),
	    real("ab422100.18n", "ab422100.18n", ""),
	    real("ab422100.18g", "ab422100.18n", "another type: header says GPS navigation data"),
	    real("ab422100.18o", "ab422100.18n", "another type: header says navigation data"),
	    real("p1462100.18g", "p1462100.18g", ""),
	    real("07590920.05o", "07590920.05o", "30S"),
	    real("07590920.05n", "07590920.05n", ""),
	    real("p433001u.19d", p433, "15S"),
	    real("p433001u45.19d", p433, "15S"),
	    real("p433001u30.19d", p433,
		 "start outside the name's period: data start 2019-01-01 20:56:45, the name says day 001, 20:30 to 20:45"),
	    real("p4330010.19o", p433, "another type: header says Compact RINEX"),
	    real("ceda2100.18o.gz", ceda, "15S"),
	    real("ceda2110.18o.gz", ceda,
		 "start outside the name's period: data start 2018-07-29 00:00:15, the name says day 211"),
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
	return {
	    {"abmf0010.16o.Z", "", {}, "", none, {}, noText, clears},
	    {"abmf0010.16o.gz", brief, {}, "", none, {}, noText, members},
	    {"abmf0010.16o.gz", "", {}, "", none, {}, noText, endlessName},
	    {"abmf0010.16o.bz2", brief, {}, "", none, {}, noText, streams},
	    c("abmf0010.16o", header({}) + endless, {}, none, {}, "bad records: epoch unreadable at line 8"),
	    c("abmf0010.16o.gz", header({}) + zeros, {}, none, {}, "bad records: epoch unreadable at line 8"),
	    c("abmf0010.16o", observations({.epochs = 1}) + endless, {}, none, {}, "bad records: epoch unreadable at line 17"),
	    c("abmf0010.16o", brief, {}, 300, {}, "cut short: header cut short"),
	    c("abmf0010.16o", brief, {}, long(brief.size()) - 100, {}, "cut short: epoch at line 26 cut short"),
	    c("abmf0010.16o", full, {}, tail, {}, "30S"),
	    c("abmf0010.16o", "", {}, none, {}, "not RINEX: file is empty"),
	    c("abmf0010.16o.Z", brief, {}, 100, {}, "cut short: header cut short"),
	    c("abmf0010.16o.Z", brief, {}, none, {{1, 0x9c}}, "stream damaged: .Z stream damaged: bad magic"),
	    c("abmf0010.16o.Z", brief, {}, none, {{2, 0x91}}, "stream damaged: .Z stream damaged: codes of 17 bits"),
	    c("abmf0010.16o.Z", brief, {}, none, {{3, 0xff}, {4, 0xff}}, "stream damaged: .Z stream damaged: bad code"),
	    c("abmf0010.16o.Z", "", {}, 2, {}, "cut short: .Z stream cut short"),
	    c("abmf0010.16o.Z", full, {}, tail, {}, "30S"),
	    c("abmf0010.16o.gz", brief, {}, 100, {}, "cut short: .gz stream cut short"),
	    c("abmf0010.16o.gz", brief, {}, none, {{0, 0x00}}, "stream damaged: .gz stream damaged: bad magic"),
	    c("abmf0010.16o.gz", brief, {}, none, {{2, 7}}, "stream damaged: .gz stream damaged: unknown compression method"),
	    c("abmf0010.16o.gz", brief, {}, none, {{10, 0x07}}, "stream damaged: .gz stream damaged: invalid block type"),
	    c("abmf0010.16o.gz", brief, {}, none, {{-8, 0x00}, {-7, 0x00}}, "stream damaged: .gz stream damaged: incorrect data check"),
	    c("abmf0010.16o.gz", full, {}, none, {{-8, 0x00}, {-7, 0x00}}, "30S"),
	    c("abmf0010.16o.gz", full, {}, tail, {}, "30S"),
	    c("abmf0010.16o.gz", full, {3000}, none, {}, "30S"),
	    c("abmf0010.16o.gz", full, {1000}, none, {{-1, 0x00}, {-2, 0x00}}, "30S"),
	    c("abmf0010.16n.gz", records, {}, -200, {}, ""),
	    c("abmf0010.16n.bz2", records, {}, none, {{10, 0x00}, {11, 0x00}}, ""),
	    c("abmf0010.16o.bz2", brief, {}, none, {{10, 0x00}, {11, 0x00}}, "stream damaged: .bz2 stream damaged: data corrupt"),
	    c("abmf0010.16o.gz", "", {}, none, {}, "not RINEX: stream holds no text"),
	    c("abmf0010.16o.gz", "", {}, 0, {}, "not RINEX: file is empty"),
	    c("abmf0010.16o.bz2", brief, {}, 100, {}, "cut short: .bz2 stream cut short"),
	    c("abmf0010.16o.bz2", brief, {}, none, {{0, 'X'}}, "stream damaged: .bz2 stream damaged: bad magic"),
	    c("abmf0010.16o.bz2", brief, {}, none, {{4, 0x00}}, "stream damaged: .bz2 stream damaged: data corrupt"),
	    c("abmf0010.16o.bz2", full, {10000}, tail, {}, "30S"),
	};
}
