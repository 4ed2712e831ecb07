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

#include "header.h"
#include "headerlines.h"

struct HeaderReader::State {
	Decoder decoder;
	Lines lines;
};

HeaderReader::HeaderReader() : state_(std::make_unique<State>()) {}
HeaderReader::~HeaderReader() = default;

std::string_view describe(Left kind)
{
	switch (kind) {
	case Left::notRinex:
		return "not RINEX";
	case Left::badHeader:
		return "bad header";
	case Left::anotherType:
		return "another type";
	case Left::anotherVersion:
		return "another version";
	case Left::anotherStation:
		return "another station";
	case Left::anotherStart:
		return "start outside the name's period";
	case Left::noStart:
		return "no start";
	case Left::badRecords:
		return "bad records";
	case Left::cutShort:
		return "cut short";
	case Left::damaged:
		return "stream damaged";
	case Left::unreadable:
		return "unreadable";
	}
	return "";
}

namespace
{

constexpr size_t labelAt = 60;
constexpr int epochsNeeded = 10;

std::string_view labelOf(std::string_view line)
{
	if (line.size() <= labelAt)
		return {};
	std::string_view label = line.substr(labelAt);
	const size_t last = label.find_last_not_of(' ');
	return last == std::string_view::npos ? std::string_view{} : label.substr(0, last + 1);
}

std::string_view trimmed(std::string_view text)
{
	const size_t first = text.find_first_not_of(' ');
	if (first == std::string_view::npos)
		return {};
	return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Text of the file for a message: printable ASCII as it is, else \xNN.
std::string shown(std::string_view text)
{
	std::string s;
	for (const char c : text) {
		if (c >= ' ' && c <= '~' && c != '\\') {
			s += c;
		} else {
			static constexpr char hex[] = "0123456789abcdef";
			s += {'\\', 'x', hex[(unsigned char)c >> 4], hex[(unsigned char)c & 15]};
		}
	}
	return s;
}

Verdict left(Left kind, std::string why)
{
	return Verdict{kind, std::move(why), {}};
}

// What the header says, as the message names it to a reader of the name.
std::string navigationName(char system)
{
	switch (system) {
	case 'G':
		return "GPS navigation data";
	case 'R':
		return "GLONASS navigation data";
	case 'S':
		return "SBAS navigation data";
	case 'E':
		return "Galileo navigation data";
	case 'C':
		return "BeiDou navigation data";
	case 'J':
		return "QZSS navigation data";
	case 'I':
		return "NavIC navigation data";
	case 'M':
		return "mixed navigation data";
	}
	return "navigation data of system " + shown(std::string_view(&system, 1));
}

char systemOf(char type)
{
	static constexpr std::string_view types = "nghlfqp", systems = "GRSECJM";
	const size_t at = types.find(type);
	return at == std::string_view::npos ? '?' : systems[at];
}

struct Header {
	std::string version;
	int major = 0;
	char type = ' ', system = ' ';
	std::string compact; // the CRINEX version, empty for plain RINEX
	std::array<char, 4> marker{' ', ' ', ' ', ' '};
	bool markerSeen = false;
	std::optional<Ticks> interval, firstObs;
	bool intervalUnreadable = false, firstObsUnreadable = false;
	int types = 0; // RINEX 2's # / TYPES OF OBSERV
};

// A version field such as "     2.11": its text and its whole number.
std::optional<int> versionOf(std::string_view field, std::string &text)
{
	text = trimmed(field);
	const size_t dot = text.find('.');
	if (dot == 0 || dot == std::string_view::npos || dot > 2 || dot + 1 == text.size())
		return std::nullopt;
	if (!std::all_of(text.begin(), text.end(), [](char c) { return c == '.' || (c >= '0' && c <= '9'); }) ||
	    text.find('.', dot + 1) != std::string::npos)
		return std::nullopt;
	return integerField(text, 0, dot);
}

struct Record {
	int flag = 0;
	int count = 0;
	std::optional<Ticks> time;
};

// An epoch line of RINEX 2; time is read for flags 0, 1 and 6 only.
std::optional<Record> epoch2(std::string_view line, bool compact)
{
	if (line.size() < 32 || (!compact && line[0] != ' ') || line[28] < '0' || line[28] > '6')
		return std::nullopt;
	Record r{line[28] - '0', integerField(line, 29, 32).value_or(-1), {}};
	if (r.count < 0)
		return std::nullopt;
	if (r.flag >= 2 && r.flag <= 5)
		return r;
	const auto year = integerField(line, 1, 3), month = integerField(line, 3, 6),
		   day = integerField(line, 6, 9), hour = integerField(line, 9, 12),
		   minute = integerField(line, 12, 15);
	const auto seconds = secondsField(line, 15, 26);
	if (!year || !month || !day || !hour || !minute || !seconds)
		return std::nullopt;
	r.time = calendarTime(*year < 80 ? 2000 + *year : 1900 + *year, *month, *day, *hour,
			      *minute, *seconds);
	return r.time ? std::optional(r) : std::nullopt;
}

// An epoch line of RINEX 3, which begins with '>'.
std::optional<Record> epoch3(std::string_view line)
{
	if (line.size() < 35 || line[0] != '>' || line[31] < '0' || line[31] > '6')
		return std::nullopt;
	Record r{line[31] - '0', integerField(line, 32, 35).value_or(-1), {}};
	if (r.count < 0)
		return std::nullopt;
	if (r.flag >= 2 && r.flag <= 5)
		return r;
	const auto year = integerField(line, 1, 6), month = integerField(line, 6, 9),
		   day = integerField(line, 9, 12), hour = integerField(line, 12, 15),
		   minute = integerField(line, 15, 18);
	const auto seconds = secondsField(line, 18, 29);
	if (!year || !month || !day || !hour || !minute || !seconds)
		return std::nullopt;
	r.time = calendarTime(*year, *month, *day, *hour, *minute, *seconds);
	return r.time ? std::optional(r) : std::nullopt;
}

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
	std::optional<Verdict> readRest();
	std::optional<Verdict> checkStation() const;
	std::optional<Verdict> readEpochs();
	std::optional<Verdict> skip(int n, bool headerRecords, size_t epochLine);
	std::string_view rebuild(std::string_view line);
	Verdict judgeTimes() const;
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

std::optional<Verdict> Judging::readType()
{
	const bool observation = name_.type == 'o' || name_.type == 'd';
	auto line = lines_.next();
	if (!line && lines_.end() == Lines::End::text)
		return left(Left::notRinex, compression_ == Compression::none ? "file is empty"
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
		if (!line)
			return stopped("header cut short");
		if (labelOf(*line) != "CRINEX PROG / DATE")
			return left(Left::badHeader, "no CRINEX PROG / DATE in the header");
		line = lines_.next();
		if (!line)
			return stopped("header cut short");
	}
	if (labelOf(*line) != "RINEX VERSION / TYPE")
		return h_.compact.empty()
			   ? left(Left::notRinex, "no RINEX header")
			   : left(Left::badHeader, "no RINEX VERSION / TYPE after the CRINEX lines");
	const auto major = versionOf(line->substr(0, 9), h_.version);
	if (!major)
		return left(Left::badHeader, "RINEX VERSION / TYPE unreadable");
	h_.major = *major;
	h_.type = line->size() > 20 ? (*line)[20] : ' ';
	h_.system = line->size() > 40 ? (*line)[40] : ' ';

	const bool navigation = h_.type == 'N' || h_.type == 'G' || h_.type == 'H';
	const char system = h_.type == 'G'   ? 'R'
			    : h_.type == 'H' ? 'S'
			    : h_.major >= 3  ? h_.system
					     : 'G';
	const auto another = [](std::string what) {
		return left(Left::anotherType, "header says " + std::move(what));
	};
	if (observation && h_.type != 'O')
		return another(navigation	  ? "navigation data"
			       : h_.type == 'M' ? "meteorological data"
						: "type " + shown(std::string_view(&h_.type, 1)));
	if (!observation && (!navigation || system != systemOf(name_.type)))
		return another(navigation	  ? navigationName(system)
			       : h_.type == 'O' ? "observation data"
			       : h_.type == 'M' ? "meteorological data"
						: "type " + shown(std::string_view(&h_.type, 1)));
	if (name_.type == 'd' && h_.compact.empty())
		return another("RINEX, not Compact RINEX");

	const bool known = observation ? h_.major == 2 || h_.major == 3
			   : h_.type == 'N' ? h_.major >= 2 && h_.major <= 4
					    : h_.major == 2;
	if (!known)
		return left(Left::anotherVersion, "header says version " + shown(h_.version));
	if (!h_.compact.empty() && !(h_.compact == "1.0" && h_.major == 2) &&
	    !(h_.compact == "3.0" && h_.major == 3))
		return left(Left::anotherVersion, "header says Compact RINEX " + shown(h_.compact) +
							  " of version " + shown(h_.version));
	return std::nullopt;
}

void Judging::readTypes(std::string_view line)
{
	if (const auto n = integerField(line, 0, 6))
		h_.types = *n;
}

std::optional<Verdict> Judging::readRest()
{
	for (;;) {
		const auto line = lines_.next();
		if (!line)
			return stopped("header cut short");
		const std::string_view label = labelOf(*line);
		if (label == "END OF HEADER")
			return std::nullopt;
		if (label == "MARKER NAME" && !h_.markerSeen) {
			h_.markerSeen = true;
			std::copy_n(line->begin(), std::min<size_t>(4, line->size()), h_.marker.begin());
		} else if (label == "INTERVAL") {
			h_.interval = secondsField(*line, 0, 10);
			h_.intervalUnreadable = !h_.interval;
		} else if (label == "TIME OF FIRST OBS") {
			const auto year = integerField(*line, 0, 6), month = integerField(*line, 6, 12),
				   day = integerField(*line, 12, 18), hour = integerField(*line, 18, 24),
				   minute = integerField(*line, 24, 30);
			const auto seconds = secondsField(*line, 30, 43);
			if (year && month && day && hour && minute && seconds)
				h_.firstObs =
				    calendarTime(*year, *month, *day, *hour, *minute, *seconds);
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
					shown(marker.substr(0, marker.find_last_not_of(' ') + 1)));
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
	const bool compact = !h_.compact.empty(), two = h_.major == 2;
	while (count_ < epochsNeeded && !atLimit_) {
		const auto line = lines_.next();
		if (!line)
			return lines_.end() == Lines::End::failure ? std::optional(stopped(""))
								   : std::nullopt;
		const size_t at = lines_.number();
		const size_t flagAt = two ? 28 : 31;
		const bool event = line->size() > flagAt && (*line)[flagAt] >= '2' && (*line)[flagAt] <= '5';
		std::string_view epoch = *line;
		if (compact && !event)
			epoch = rebuild(*line);
		const auto r = two ? epoch2(epoch, compact) : epoch3(epoch);
		if (!r)
			return left(Left::badRecords, "epoch unreadable at line " + std::to_string(at));
		if (r->flag >= 2 && r->flag <= 5) {
			fresh_ = true;
			if (auto v = skip(r->count, two && !compact && r->flag == 4, at))
				return v;
			continue;
		}
		if (r->flag <= 1)
			epochs_[size_t(count_++)] = *r->time;
		if (count_ == epochsNeeded)
			break;
		int more = r->count;
		if (compact) {
			more += 1; // the clock line
		} else if (two) {
			if (r->count > 0 && h_.types <= 0)
				return left(Left::badHeader, "no # / TYPES OF OBSERV in the header");
			more = (r->count - 1) / 12 + r->count * ((h_.types + 4) / 5);
		}
		if (auto v = skip(more, false, at))
			return v;
	}
	return std::nullopt;
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

Verdict Judging::judgeTimes() const
{
	const std::optional<Ticks> start = count_ > 0 ? std::optional(epochs_[0]) : h_.firstObs;
	if (!start)
		return h_.firstObsUnreadable
			   ? left(Left::badHeader, "TIME OF FIRST OBS unreadable")
			   : left(Left::noStart, "no epoch and no TIME OF FIRST OBS");
	std::optional<Ticks> step;
	for (int i = 1; i < count_; i++) {
		const Ticks d = epochs_[size_t(i)] - epochs_[size_t(i - 1)];
		if (d > 0 && (!step || d < *step))
			step = d;
	}
	if (count_ < 2) {
		if (h_.intervalUnreadable)
			return left(Left::badHeader, "INTERVAL unreadable");
		if (h_.interval && *h_.interval > 0)
			step = h_.interval;
	}

	const Ticks hour = 3600 * perSecond, minute = 60 * perSecond;
	Ticks from = dayStart(name_.year, name_.day), length = 24 * hour;
	if (name_.hour) {
		from += *name_.hour * hour + name_.minute.value_or(0) * minute;
		length = name_.minute ? 15 * minute : hour;
	}
	if (*start < from - step.value_or(0) || *start >= from + length) {
		char says[64];
		int n = snprintf(says, sizeof says, "day %03d", name_.day);
		if (timeText(*start).compare(0, 4, std::to_string(name_.year)) != 0)
			n += snprintf(says + n, sizeof says - size_t(n), " of %d", name_.year);
		if (name_.hour) {
			const int begin = *name_.hour * 60 + name_.minute.value_or(0);
			const int end = begin + (name_.minute ? 15 : 60);
			snprintf(says + n, sizeof says - size_t(n), ", %02d:%02d to %02d:%02d",
				 begin / 60, begin % 60, end / 60, end % 60);
		}
		return left(Left::anotherStart,
			    "data start " + timeText(*start) + ", the name says " + says);
	}
	return Verdict{std::nullopt, {}, frequencyField(step)};
}

} // namespace

Verdict HeaderReader::judge(int fd, Compression compression, const NameSays &name)
{
	state_->decoder.start(fd, compression);
	state_->lines.start(state_->decoder);
	return Judging(*state_, compression, name).run();
}
