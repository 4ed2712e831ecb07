/*
 * A RINEX file judged against its short name: what it is (the RINEX VERSION
 * / TYPE line, after the two CRINEX lines of Compact RINEX), whose it is
 * (MARKER NAME), when its data start (the first observation epoch, else TIME
 * OF FIRST OBS) and how often it samples (the smallest step between the
 * first 10 observation epochs, else INTERVAL).
 *
 * Epochs are found by counting lines, as the formats lay them out: RINEX 2
 * gives each satellite ceil(types / 5) lines and continues an epoch line
 * after 12 satellites; RINEX 3 gives each satellite one line after an epoch
 * line that begins with '>'. Compact RINEX gives every epoch line, a clock
 * line and one line per satellite, each epoch line written as the changes
 * to the one before. Event records (flags 2 to 5) are skipped whole, and
 * their lines counted from their own epoch line.
 */
#include <algorithm>

#include "rinex/header.h"
#include "rinex/headerlines.h"

using namespace rinex;

struct HeaderReader::State {
	Decoder decoder;
	Lines lines;
};

HeaderReader::HeaderReader() : state_(std::make_unique<State>()) {}
HeaderReader::~HeaderReader() = default;

namespace
{

constexpr int epochsNeeded = 10;

Verdict left(Left kind, std::string why)
{
	return Verdict{kind, std::move(why), {}};
}

struct Header {
	std::string version;
	int major = 0;
	char type = ' ';
	char system = ' ';
	std::string compact; // the CRINEX version, empty for plain RINEX
	std::array<char, 4> marker{' ', ' ', ' ', ' '};
	bool markerSeen = false;
	std::optional<Ticks> interval;
	std::optional<Ticks> firstObs;
	bool intervalUnreadable = false;
	bool firstObsUnreadable = false;
	int types = 0; // RINEX 2's # / TYPES OF OBSERV
};

class Judging
{
      public:
	Judging(HeaderReader::State &s, Compression compression, const NameSays &name)
	    : decoder_(s.decoder), lines_(s.lines), compression_(compression), name_(name)
	{
	}
	Verdict run();

      private:
	std::optional<Verdict> readType();
	std::optional<Verdict> checkType() const;
	std::optional<Verdict> checkVersion() const;
	std::optional<Verdict> readRest();
	std::optional<Verdict> checkStation() const;
	std::optional<Verdict> readEpochs();
	std::optional<Verdict> skipRecord(const Record &r, size_t at);
	std::optional<Verdict> skip(int n, bool headerRecords, size_t epochLine);
	std::string_view rebuild(std::string_view line);
	std::optional<Ticks> step() const;
	Verdict judgeTimes() const;
	std::string period(Ticks start) const;
	Verdict stopped(std::string why, Left kind = Left::cutShort) const;
	void readTypes(std::string_view line);

	Decoder &decoder_;
	Lines &lines_;
	Compression compression_;
	const NameSays &name_;
	Header h_;
	std::array<Ticks, epochsNeeded> epochs_{};
	int count_ = 0;
	bool atLimit_ = false;
	std::array<char, Lines::kept> previous_{}; // the last epoch line of Compact RINEX
	size_t previousSize_ = 0;
	bool fresh_ = true; // the next compact epoch line is to start afresh
};

// Where the text stopped before what was needed: the decoder's failure,
// else why (the text ended), or a header too long for the limit.
Verdict Judging::stopped(std::string why, Left kind) const
{
	if (lines_.end() == Lines::End::failure)
		return left(decoder_.failure()->kind, decoder_.failure()->why);
	if (lines_.end() == Lines::End::limit)
		return left(Left::badHeader, "header longer than 1 MiB");
	return left(kind, std::move(why));
}

Verdict Judging::run()
{
	if (auto v = readType())
		return *v;
	if (auto v = readRest())
		return *v;
	if (name_.type != 'o' && name_.type != 'd')
		return Verdict{};
	if (auto v = checkStation())
		return *v;
	if (auto v = readEpochs())
		return *v;
	return judgeTimes();
}

// The first lines: CRINEX VERS / TYPE and CRINEX PROG / DATE in Compact
// RINEX, then RINEX VERSION / TYPE.
std::optional<Verdict> Judging::readType()
{
	auto line = lines_.next();
	if (!line && lines_.end() == Lines::End::text)
		return left(Left::notRinex, compression_ == Compression::none
						? "file is empty"
						: "stream holds no text");
	if (!line && lines_.end() == Lines::End::limit)
		return left(Left::notRinex, "no RINEX header");
	if (!line)
		return stopped("");
	if (labelOf(*line) == "CRINEX VERS   / TYPE") {
		if (name_.type != 'd')
			return left(Left::anotherType, "header says Compact RINEX");
		h_.compact = trimmed(line->substr(0, 20));
		line = lines_.next();
		if (line && labelOf(*line) != "CRINEX PROG / DATE")
			return left(Left::badHeader, "no CRINEX PROG / DATE in the header");
		if (line)
			line = lines_.next();
		if (!line)
			return stopped("header cut short");
	}
	if (labelOf(*line) != "RINEX VERSION / TYPE")
		return h_.compact.empty() ? left(Left::notRinex, "no RINEX header")
					  : left(Left::badHeader,
						 "no RINEX VERSION / TYPE after the CRINEX lines");
	const auto major = versionOf(line->substr(0, 9), h_.version);
	if (!major)
		return left(Left::badHeader, "RINEX VERSION / TYPE unreadable");
	h_.major = *major;
	h_.type = line->size() > 20 ? (*line)[20] : ' ';
	h_.system = line->size() > 40 ? (*line)[40] : ' ';
	return checkType();
}

// Whether the header says the data the name says, in a version they come in.
std::optional<Verdict> Judging::checkType() const
{
	const bool observation = name_.type == 'o' || name_.type == 'd';
	const bool navigation = h_.type == 'N' || h_.type == 'G' || h_.type == 'H';
	const char system = h_.type == 'G'   ? 'R'
			    : h_.type == 'H' ? 'S'
			    : h_.major >= 3  ? h_.system
					     : 'G';
	std::string what = h_.type == 'O'   ? "observation data"
			   : h_.type == 'M' ? "meteorological data"
					    : "type " + escaped(std::string_view(&h_.type, 1));
	if (navigation)
		what = observation ? "navigation data" : navigationName(system);
	if (observation ? h_.type != 'O' : !navigation || system != systemOf(name_.type))
		return left(Left::anotherType, "header says " + what);
	if (name_.type == 'd' && h_.compact.empty())
		return left(Left::anotherType, "header says RINEX, not Compact RINEX");
	return checkVersion();
}

std::optional<Verdict> Judging::checkVersion() const
{
	const bool observation = name_.type == 'o' || name_.type == 'd';
	const bool known = observation      ? h_.major == 2 || h_.major == 3
			   : h_.type == 'N' ? h_.major >= 2 && h_.major <= 4
					    : h_.major == 2;
	if (!known)
		return left(Left::anotherVersion, "header says version " + escaped(h_.version));
	if (!h_.compact.empty() && !(h_.compact == "1.0" && h_.major == 2) &&
	    !(h_.compact == "3.0" && h_.major == 3))
		return left(Left::anotherVersion, "header says Compact RINEX " + escaped(h_.compact) +
						      " of version " + escaped(h_.version));
	return std::nullopt;
}

void Judging::readTypes(std::string_view line)
{
	if (const auto n = integerField(line, {0, 6}))
		h_.types = *n;
}

std::optional<Verdict> Judging::readRest()
{
	static constexpr std::array<Field, 6> firstObs{
	    {{0, 6}, {6, 12}, {12, 18}, {18, 24}, {24, 30}, {30, 43}}};
	for (;;) {
		const auto line = lines_.next();
		if (!line)
			return stopped("header cut short");
		const std::string_view label = labelOf(*line);
		if (label == "END OF HEADER")
			return std::nullopt;
		if (label == "MARKER NAME" && !h_.markerSeen) {
			h_.markerSeen = true;
			std::copy_n(line->begin(), std::min<size_t>(4, line->size()),
				    h_.marker.begin());
		} else if (label == "INTERVAL") {
			h_.interval = secondsField(*line, {0, 10});
			h_.intervalUnreadable = !h_.interval;
		} else if (label == "TIME OF FIRST OBS") {
			h_.firstObs = timeFields(*line, firstObs);
			h_.firstObsUnreadable = !h_.firstObs;
		} else if (label == "# / TYPES OF OBSERV") {
			readTypes(*line);
		}
	}
}

std::optional<Verdict> Judging::checkStation() const
{
	const std::string_view marker(h_.marker.data(), h_.marker.size());
	if (trimmed(marker).empty())
		return std::nullopt;
	const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
	for (size_t i = 0; i < marker.size(); i++)
		if (lower(marker[i]) != lower(i < name_.station.size() ? name_.station[i] : ' '))
			return left(Left::anotherStation,
				    "header names station " +
					escaped(marker.substr(0, marker.find_last_not_of(' ') + 1)));
	return std::nullopt;
}

// A Compact RINEX epoch line in full: afresh where it begins with the mark
// ('&' or '>'), else the one before with this one's changes: a blank keeps
// a character, '&' blanks it.
std::string_view Judging::rebuild(std::string_view line)
{
	const size_t n = std::min(line.size(), previous_.size());
	const char mark = h_.major == 2 ? '&' : '>';
	if (!line.empty() && line[0] == mark) {
		std::copy_n(line.begin(), n, previous_.begin());
		previousSize_ = n;
		fresh_ = false;
		return {previous_.data(), n};
	}
	if (fresh_)
		return {};
	for (size_t i = 0; i < n; i++) {
		if (i >= previousSize_)
			previous_[i] = ' ';
		if (line[i] == '&')
			previous_[i] = ' ';
		else if (line[i] != ' ')
			previous_[i] = line[i];
	}
	previousSize_ = std::max(previousSize_, n);
	return {previous_.data(), previousSize_};
}

std::optional<Verdict> Judging::readEpochs()
{
	const bool compact = !h_.compact.empty();
	const bool two = h_.major == 2;
	const size_t flagAt = two ? 28 : 31;
	while (count_ < epochsNeeded && !atLimit_) {
		const auto line = lines_.next();
		if (!line && lines_.cut())
			return left(Left::badRecords,
				    "epoch unreadable at line " + std::to_string(lines_.number() + 1));
		if (!line)
			return lines_.end() == Lines::End::failure ? std::optional(stopped(""))
								   : std::nullopt;
		// An event record is written whole in Compact RINEX too.
		const bool event =
		    line->size() > flagAt && (*line)[flagAt] >= '2' && (*line)[flagAt] <= '5';
		const size_t at = lines_.number();
		const auto r =
		    epochRecord(compact && !event ? rebuild(*line) : *line, two, compact);
		if (!r)
			return left(Left::badRecords,
				    "epoch unreadable at line " + std::to_string(at));
		if (r->flag <= 1)
			epochs_[size_t(count_++)] = *r->time;
		if (count_ == epochsNeeded)
			break;
		if (auto v = skipRecord(*r, at))
			return v;
	}
	return std::nullopt;
}

// The lines after an epoch line: an event's records, or the satellites'
// observations, and in Compact RINEX the clock line before them.
std::optional<Verdict> Judging::skipRecord(const Record &r, size_t at)
{
	const bool compact = !h_.compact.empty();
	const bool two = h_.major == 2;
	if (r.flag >= 2 && r.flag <= 5) {
		fresh_ = true;
		return skip(r.count, two && !compact && r.flag == 4, at);
	}
	int lines = r.count;
	if (compact) {
		lines += 1;
	} else if (two) {
		if (r.count > 0 && h_.types <= 0)
			return left(Left::badHeader, "no # / TYPES OF OBSERV in the header");
		lines = (r.count - 1) / 12 + r.count * ((h_.types + 4) / 5);
	}
	return skip(lines, false, at);
}

// Passes over the n lines of a record; at the limit of text, the epochs
// read so far are all there are.
std::optional<Verdict> Judging::skip(int n, bool headerRecords, size_t epochLine)
{
	for (int i = 0; i < n; i++) {
		const auto line = lines_.next();
		if (!line && lines_.end() == Lines::End::limit) {
			atLimit_ = true;
			return std::nullopt;
		}
		if (!line)
			return stopped("epoch at line " + std::to_string(epochLine) + " cut short");
		if (headerRecords && labelOf(*line) == "# / TYPES OF OBSERV")
			readTypes(*line);
	}
	return std::nullopt;
}

// The smallest step between the epochs read; with fewer than two, INTERVAL.
std::optional<Ticks> Judging::step() const
{
	if (count_ < 2)
		return h_.interval && *h_.interval > 0 ? h_.interval : std::nullopt;
	std::optional<Ticks> step;
	for (size_t i = 1; i < size_t(count_); i++) {
		const Ticks d = epochs_[i] - epochs_[i - 1];
		if (d > 0 && (!step || d < *step))
			step = d;
	}
	return step;
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

Verdict Judging::judgeTimes() const
{
	const std::optional<Ticks> start = count_ > 0 ? std::optional(epochs_[0]) : h_.firstObs;
	if (!start)
		return h_.firstObsUnreadable
			   ? left(Left::badHeader, "TIME OF FIRST OBS unreadable")
			   : left(Left::noStart, "no epoch and no TIME OF FIRST OBS");
	if (count_ < 2 && h_.intervalUnreadable)
		return left(Left::badHeader, "INTERVAL unreadable");
	const std::optional<Ticks> sampling = step();

	const Ticks hour = 3600 * perSecond;
	Ticks from = dayStart(name_.year, name_.day);
	Ticks length = 24 * hour;
	if (name_.hour) {
		from += *name_.hour * hour + Ticks(name_.minute.value_or(0)) * 60 * perSecond;
		length = name_.minute ? hour / 4 : hour;
	}
	if (*start < from - sampling.value_or(0) || *start >= from + length)
		return left(Left::anotherStart,
			    "data start " + timeText(*start) + ", the name says " + period(*start));
	return Verdict{std::nullopt, {}, frequencyField(sampling)};
}

} // namespace

Verdict HeaderReader::judge(int fd, Compression compression, const NameSays &name)
{
	state_->decoder.start(fd, compression);
	state_->lines.start(state_->decoder);
	return Judging(*state_, compression, name).run();
}
