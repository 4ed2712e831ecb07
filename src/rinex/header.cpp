/*
 * A RINEX file judged against its short name: what it is (the RINEX VERSION
 * / TYPE line, after the two CRINEX lines of Compact RINEX), whose it is
 * (MARKER NAME), which systems it holds (column 41 of RINEX VERSION / TYPE,
 * or RINEX 3's SYS / # / OBS TYPES records), when its data start (the first
 * observation epoch, else TIME OF FIRST OBS) and how often it samples (the
 * smallest step between the first 10 observation epochs, else INTERVAL). A
 * navigation file's records must come near the name's period.
 */
#include <algorithm>
#include <array>
#include <utility>

#include "rinex/content.h"
#include "rinex/epochs.h"
#include "rinex/header.h"
#include "rinex/headerlines.h"
#include "rinex/headersays.h"
#include "rinex/lines.h"
#include "rinex/navigation.h"
#include "util/text.h"

using namespace rinex;

struct HeaderReader::State {
	Decoder decoder;
	Lines lines;
};

HeaderReader::HeaderReader() : state_(std::make_unique<State>()) {}
HeaderReader::~HeaderReader() = default;

namespace
{

constexpr Ticks hour = 3600 * perSecond, day = 24 * hour;

Verdict left(std::string kind, std::string why)
{
	Verdict v;
	v.kind = std::move(kind);
	v.why = std::move(why);
	return v;
}

Verdict left(Failure f)
{
	return left(std::move(f.kind), std::move(f.why));
}

class Judging
{
      public:
	Judging(HeaderReader::State &s, Compression compression, const NameSays &name)
	    : lines_(s.lines), compression_(compression), name_(name)
	{
	}
	Verdict run();

      private:
	std::optional<Verdict> readType();
	std::optional<Verdict> checkType() const;
	std::optional<Verdict> checkVersion() const;
	std::optional<Verdict> readRest();
	std::optional<Verdict> checkStation() const;
	Verdict judgeRecords();
	Verdict judgeTimes(const Epochs &epochs) const;
	std::vector<std::string> notes(const Epochs &epochs, Ticks interval,
				       const std::string &frequency) const;
	std::pair<Ticks, Ticks> named() const;
	std::string period(Ticks start) const;
	bool observation() const { return name_.type == 'o' || name_.type == 'd'; }

	Lines &lines_;
	Compression compression_;
	const NameSays &name_;
	HeaderSays h_;
};

Verdict Judging::run()
{
	if (auto v = readType())
		return *v;
	if (auto v = readRest())
		return *v;
	if (!observation())
		return judgeRecords();
	if (auto v = checkStation())
		return *v;
	Epochs epochs(lines_, h_);
	if (auto f = epochs.read())
		return left(*f);
	return judgeTimes(epochs);
}

// The first lines: CRINEX VERS / TYPE and CRINEX PROG / DATE in Compact
// RINEX, then RINEX VERSION / TYPE.
std::optional<Verdict> Judging::readType()
{
	auto line = lines_.next();
	if (!line && lines_.end() == Lines::End::text) {
		const std::string why =
		    compression_ == Compression::none ? "file is empty" : "stream holds no text";
		return left(why, why);
	}
	if (!line && lines_.end() == Lines::End::limit)
		return left("no RINEX header", "no RINEX header");
	if (!line)
		return left(lines_.stopped({}, {}));
	if (labelOf(*line) == "CRINEX VERS   / TYPE") {
		if (name_.type != 'd')
			return left("header says another type", "header says Compact RINEX");
		h_.compact = trimmed(line->substr(0, 20));
		line = lines_.next();
		if (line && labelOf(*line) != "CRINEX PROG / DATE")
			return left("no CRINEX PROG / DATE in the header",
				    "no CRINEX PROG / DATE in the header");
		if (line)
			line = lines_.next();
		if (!line)
			return left(lines_.stopped("header cut short", "header cut short"));
	}
	if (labelOf(*line) != "RINEX VERSION / TYPE") {
		const std::string why = h_.compact.empty()
					    ? "no RINEX header"
					    : "no RINEX VERSION / TYPE after the CRINEX lines";
		return left(why, why);
	}
	if (auto f = readVersionType(*line, h_))
		return left(*f);
	return checkType();
}

// Whether the header says the data the name says, in a version they come
// in. RINEX 2 writes QZSS navigation as N, with J in column 41 (2.12).
std::optional<Verdict> Judging::checkType() const
{
	const bool navigation = h_.type == 'N' || h_.type == 'G' || h_.type == 'H';
	const char system = h_.type == 'G'                      ? 'R'
			    : h_.type == 'H'                    ? 'S'
			    : h_.major >= 3 || h_.system == 'J' ? h_.system
								: 'G';
	std::string what = h_.type == 'O'   ? "observation data"
			   : h_.type == 'M' ? "meteorological data"
					    : "type " + quoted(std::string_view(&h_.type, 1));
	if (navigation)
		what = observation() ? "navigation data" : navigationName(system);
	if (observation() ? h_.type != 'O' : !navigation)
		return left("header says another type", "header says " + what);
	if (!observation() && system != systemOf(name_.type))
		return left("header says another type", "header says " + what + ", the name " +
							    systemName(systemOf(name_.type)));
	if (name_.type == 'd' && h_.compact.empty())
		return left("header says another type", "header says RINEX, not Compact RINEX");
	return checkVersion();
}

std::optional<Verdict> Judging::checkVersion() const
{
	const bool known = observation()    ? h_.major == 2 || h_.major == 3
			   : h_.type == 'N' ? h_.major >= 2 && h_.major <= 4
					    : h_.major == 2;
	if (!known)
		return left("header says another version",
			    "header says version " + escaped(h_.version));
	if (!compactFits(h_))
		return left("header says another version",
			    "header says Compact RINEX " + escaped(h_.compact) + " of version " +
				escaped(h_.version));
	return std::nullopt;
}

std::optional<Verdict> Judging::readRest()
{
	if (auto f = readRecords(lines_, h_))
		return left(*f);
	return std::nullopt;
}

// The first four characters of MARKER NAME, in either case, are the name's
// station code; a blank one is no contradiction.
std::optional<Verdict> Judging::checkStation() const
{
	std::array<char, 4> marker{' ', ' ', ' ', ' '};
	std::copy_n(h_.marker.begin(), std::min<size_t>(4, h_.marker.size()), marker.begin());
	if (trimmed({marker.data(), marker.size()}).empty())
		return std::nullopt;
	const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
	for (size_t i = 0; i < marker.size(); i++)
		if (lower(marker[i]) != lower(i < name_.station.size() ? name_.station[i] : ' '))
			return left("header names another station",
				    "header names station " + quoted(h_.marker, 60));
	return std::nullopt;
}

// A navigation file's records come by satellite, and a day's merged file
// holds some from hours before it: it is left only where no record read
// falls within the name's period widened by a day on each side.
Verdict Judging::judgeRecords()
{
	const auto [from, length] = named();
	const RecordDates dates = recordDates(lines_, h_, from - day, from + length + day);
	if (dates.failure)
		return left(*dates.failure);
	if (dates.earliest)
		return left("records outside the name's period",
			    "records from " + timeText(*dates.earliest) + " to " +
				timeText(*dates.latest) + ", the name says " +
				period(*dates.earliest));
	return Verdict{};
}

// The name's period: where it starts, and how long it is.
std::pair<Ticks, Ticks> Judging::named() const
{
	Ticks from = dayStart(name_.year, name_.day);
	if (!name_.hour)
		return {from, day};
	from += *name_.hour * hour + Ticks(name_.minute.value_or(0)) * 60 * perSecond;
	return {from, name_.minute ? hour / 4 : hour};
}

// The name's period in words: "day 027", "day 027, 04:00 to 05:00", with
// the year where the data start in another.
std::string Judging::period(Ticks start) const
{
	std::string says = "day " +
			   std::string(name_.day < 100 ? name_.day < 10 ? "00" : "0" : "") +
			   std::to_string(name_.day);
	if (timeText(start).compare(0, 4, std::to_string(name_.year)) != 0)
		says += " of " + std::to_string(name_.year);
	if (name_.hour) {
		const int begin = *name_.hour * 60 + name_.minute.value_or(0);
		const int end = begin + (name_.minute ? 15 : 60);
		const auto clock = [](int minutes) {
			return std::string{char('0' + minutes / 600), char('0' + minutes / 60 % 10),
					   ':', char('0' + minutes % 60 / 10),
					   char('0' + minutes % 10)};
		};
		says += ", " + clock(begin) + " to " + clock(end);
	}
	return says;
}

Verdict Judging::judgeTimes(const Epochs &epochs) const
{
	const int count = epochs.count();
	const std::optional<Ticks> start = count > 0 ? std::optional(epochs.first()) : h_.firstObs;
	if (!start && !h_.firstObsWrong.empty())
		return left("TIME OF FIRST OBS unreadable",
			    "TIME OF FIRST OBS unreadable: " + h_.firstObsWrong);
	if (!start)
		return left("no epoch and no TIME OF FIRST OBS",
			    "no epoch and no TIME OF FIRST OBS");
	if (count < 2 && !h_.intervalWrong.empty())
		return left("INTERVAL unreadable", "INTERVAL unreadable: " + h_.intervalWrong);
	const Ticks interval = h_.interval && *h_.interval > 0 ? snapped(*h_.interval) : 0;
	const std::optional<Ticks> step = epochs.step();
	std::optional<Ticks> sampling = step;
	if (count < 2)
		sampling = interval > 0 ? std::optional(interval) : std::nullopt;

	const auto [from, length] = named();
	if (*start < from - sampling.value_or(0) || *start >= from + length)
		return left("data start outside the name's period",
			    "data start " + timeText(*start) + ", the name says " + period(*start));
	Verdict v;
	v.frequency = frequencyField(sampling);
	v.content = contentField(h_);
	v.notes = notes(epochs, interval, v.frequency);
	return v;
}

// Where INTERVAL (interval, 0 for none) is not the epochs' step, and why a
// file is named with an unknown rate.
std::vector<std::string> Judging::notes(const Epochs &epochs, Ticks interval,
					const std::string &frequency) const
{
	std::vector<std::string> notes;
	const int count = epochs.count();
	const std::optional<Ticks> step = epochs.step();
	if (count >= 2 && step && interval > 0 && interval != *step)
		notes.push_back("INTERVAL says " + secondsText(interval) + ", the epochs " +
				secondsText(*step));
	if (frequency != "00U")
		return notes;
	std::string why;
	if (count >= 2)
		why = step ? "the epochs " + secondsText(*step) + " apart"
			   : "the epochs all at one time";
	else if (h_.interval)
		why = "INTERVAL says " + secondsText(interval);
	else
		why = count == 1 ? "one epoch and no INTERVAL" : "no epoch and no INTERVAL";
	notes.push_back("named with an unknown rate, 00U: " + why);
	return notes;
}

} // namespace

rinex::ContentRead HeaderReader::content(int fd)
{
	return readContent(state_->decoder, state_->lines, fd);
}

Verdict HeaderReader::judge(int fd, Compression compression, const NameSays &name)
{
	state_->decoder.start(fd, compression);
	state_->lines.start(state_->decoder);
	return Judging(*state_, compression, name).run();
}
