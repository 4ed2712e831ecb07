// The texts of the header reader's test files.
#include "headertext.h"

#include <algorithm>

using namespace std::chrono;
using namespace std::chrono_literals;

namespace
{

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

} // namespace

std::string line(std::string content, const std::string &label)
{
	content.resize(60, ' ');
	return content + label + "\n";
}

std::string header(const Obs &o)
{
	std::string h;
	if (o.compact)
		h += line(o.version == 2 ? "1.0                 COMPACT RINEX FORMAT"
					 : "3.0                 COMPACT RINEX FORMAT",
			  "CRINEX VERS   / TYPE") +
		     line("orvane tests                            01-Jan-16 00:00", "CRINEX PROG / DATE");
	h += line(format(o.version == 2 ? "     2.11           OBSERVATION DATA    %s"
					: "     3.04           OBSERVATION DATA    %s",
			 o.system == 'M' && o.version == 2 ? "M (MIXED)" : std::string(1, o.system).c_str()),
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
		for (const char system : o.systems)
			h += line(format("%c%5d C1C L1C D1C S1C C2W L2W D2W S2W C5Q", system, o.types)
				      .substr(0, size_t(6 + 4 * std::min(o.types, 9))),
				  "SYS / # / OBS TYPES");
	const std::string interval = o.interval.value_or(format("%.3f", double(o.step.count()) / 1e7));
	if (!interval.empty())
		h += line(format("%10s", interval.c_str()), "INTERVAL");
	if (o.firstObs) {
		const Fields f = fields(o.start);
		h += line(format("%6d%6d%6d%6d%6d%5lld.%07lld     GPS", f.year, f.month, f.day,
				 f.hour, f.minute, f.second, f.fraction),
			  "TIME OF FIRST OBS");
	}
	return h + line("", "END OF HEADER");
}

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

std::string navigation(int version, const std::vector<Time> &times)
{
	std::string text = line(version == 2   ? "     2.11           N: GPS NAV DATA"
				: version == 3 ? "     3.04           N: GNSS NAV DATA    G: GPS"
					       : "     4.00           NAVIGATION DATA     G",
				"RINEX VERSION / TYPE") +
			   line("orvane tests", "PGM / RUN BY / DATE") + line("", "END OF HEADER");
	int satellite = 1;
	for (const Time t : times) {
		const Fields f = fields(t);
		if (version == 4)
			text += "> EPH G" + format("%02d", satellite) + " LNAV\n";
		text += version == 2 ? format("%2d %02d %2d %2d %2d %2d%3lld.%lld", satellite, f.year % 100, f.month, f.day,
					      f.hour, f.minute, f.second, f.fraction / 1'000'000)
				     : format("G%02d %04d %02d %02d %02d %02d %02lld", satellite, f.year, f.month, f.day,
					      f.hour, f.minute, f.second);
		text += " 1.881956122816D-04-6.821210263297D-13 0.000000000000D+00\n";
		for (int i = 0; i < 7; i++)
			text += std::string(version == 2 ? 3 : 4, ' ') +
				" 1.000000000000D+00 2.000000000000D+00 3.000000000000D+00 4.000000000000D+00\n";
		satellite = satellite % 32 + 1;
	}
	return text;
}

std::string replaced(std::string text, const std::string &after, const std::string &from, const std::string &to)
{
	const size_t at = text.find(from, text.find(after));
	return text.replace(at, from.size(), to);
}

