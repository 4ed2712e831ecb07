/*
 * Observation epochs, found by counting lines as the formats lay them out:
 * RINEX 2 lists the satellites on the epoch line, 12 a line, then gives
 * each ceil(types / 5) lines; RINEX 3 gives each satellite one line after
 * an epoch line that begins with '>'. Compact RINEX gives every epoch line,
 * with all its satellites, a clock line and one line per satellite, each
 * epoch line written as the changes to the one before. Event records
 * (flags 2 to 5) are skipped whole, and their lines counted from their own
 * epoch line. Where the satellites can be counted, they must be as many as
 * the epoch line announces.
 */
#include "rinex/epochs.h"

#include <algorithm>
#include <string>

namespace rinex
{

namespace
{

// How many satellites a list of three columns each names, up to most of
// them (0: any number); it ends at a blank one.
int satellitesOn(std::string_view list, int most)
{
	int n = 0;
	for (size_t at = 0; at < list.size() && (most == 0 || n < most); at += 3, n++)
		if (trimmed(list.substr(at, 3)).empty())
			break;
	return n;
}

// The satellites of a list from column `from`, where the line goes so far.
std::string_view listFrom(std::string_view line, size_t from)
{
	return from < line.size() ? line.substr(from) : std::string_view{};
}

// A RINEX 3 observation line begins with its satellite, such as G01.
bool isSatelliteLine(std::string_view line)
{
	return line.size() >= 3 && line[0] >= 'A' && line[0] <= 'Z' &&
	       (line[1] == ' ' || (line[1] >= '0' && line[1] <= '9')) && line[2] >= '0' &&
	       line[2] <= '9';
}

Failure unreadable(size_t at, const std::string &what)
{
	return {"epoch unreadable", "epoch at line " + std::to_string(at) + ": " + what};
}

Failure miscounted(size_t at, int announced, int given)
{
	return unreadable(at, std::to_string(announced) +
				  (announced == 1 ? " satellite" : " satellites") + " announced, " +
				  std::to_string(given) + " given");
}

} // namespace

// Where the text stopped where an epoch must begin: a line that the limit
// cut is no epoch; the decoder's failure; else the epochs read are all.
std::optional<Failure> Epochs::ended() const
{
	if (lines_.cut())
		return unreadable(lines_.number() + 1, "line cut at the limit of 1 MiB");
	if (lines_.end() == Lines::End::failure || lines_.end() == Lines::End::tooLong)
		return lines_.stopped({}, {});
	return std::nullopt;
}

std::optional<Failure> Epochs::read()
{
	while ((whole_ || count_ < needed) && !atLimit_) {
		const auto line = lines_.next();
		if (!line)
			return ended();
		// Empty lines, or lines of blanks, after the last epoch are no epochs.
		if (trimmed(*line).empty()) {
			if (!blankAt_)
				blankEmpty_ = line->empty();
			blankAt_ = blankAt_.value_or(lines_.number());
		} else if (blankAt_) {
			return unreadable(*blankAt_, blankEmpty_ ? "empty line" : "line of blanks");
		} else if (auto f = epoch(*line)) {
			return f;
		}
	}
	return std::nullopt;
}

// An epoch line, and the lines of its record.
std::optional<Failure> Epochs::epoch(std::string_view line)
{
	const bool compact = h_.isCompact();
	const size_t flagAt = h_.two() ? 28 : 31;
	const size_t at = lines_.number();
	// An event record is written whole in Compact RINEX too.
	const bool event = line.size() > flagAt && line[flagAt] >= '2' && line[flagAt] <= '5';
	const std::string_view full = compact && !event ? rebuild(line) : line;
	const Record r = epochRecord(full, h_.two(), compact);
	if (r.wrong != nullptr)
		return !compact && !h_.two() && lastCount_ >= 0 && isSatelliteLine(line)
			   ? moreGiven()
			   : unreadable(at, std::string(r.wrong) + ": " +
						quotedLine(line, lines_.length()));
	if (r.flag <= 1) {
		const Ticks t = *r.time;
		if (count_ < needed)
			epochs_[size_t(count_)] = t;
		earliest_ = count_ == 0 ? t : std::min(earliest_, t);
		latest_ = count_ == 0 ? t : std::max(latest_, t);
		count_++;
	}
	if (!whole_ && count_ == needed)
		return std::nullopt;
	return skipRecord(r, full, at);
}

// The lines after an epoch line: an event's records, or the satellites'
// observations, and in Compact RINEX the clock line before them.
std::optional<Failure> Epochs::skipRecord(const Record &r, std::string_view line, size_t at)
{
	const bool compact = h_.isCompact();
	const bool two = h_.two();
	if (r.flag >= 2 && r.flag <= 5) {
		fresh_ = true;
		lastCount_ = -1;
		return skip(r.count, two && !compact && r.flag == 4, false, at);
	}
	lastAt_ = at;
	lastCount_ = r.count;
	if (auto f = listed(r, line, at))
		return f;
	if (compact)
		return skip(r.count + 1, false, false, at);
	if (two) {
		if (r.count > 0 && types_ <= 0)
			return Failure{"no # / TYPES OF OBSERV in the header",
				       "no # / TYPES OF OBSERV in the header"};
		return skip(r.count * ((types_ + 4) / 5), false, false, at);
	}
	return skip(r.count, false, true, at);
}

// The satellites an epoch line lists against its count: all of them on a
// Compact RINEX line (as far as it is kept), 12 a line in RINEX 2, on lines
// of their own in RINEX 3.
std::optional<Failure> Epochs::listed(const Record &r, std::string_view line, size_t at)
{
	const bool two = h_.two();
	int given = 0;
	if (h_.isCompact()) {
		if (line.size() >= Lines::kept)
			return std::nullopt;
		given = satellitesOn(listFrom(line, two ? 32 : 41), 0);
	} else if (two) {
		given = satellitesOn(listFrom(line, 32), 12);
		for (int i = 0; i < (r.count - 1) / 12; i++) {
			const auto more = lines_.next();
			if (!more && lines_.end() == Lines::End::limit) {
				atLimit_ = true;
				return std::nullopt;
			}
			if (!more)
				return lines_.stopped("epoch cut short", "epoch at line " +
									     std::to_string(at) +
									     " cut short");
			given += satellitesOn(listFrom(*more, 32), 12);
		}
	} else {
		return std::nullopt;
	}
	if (given != r.count)
		return miscounted(at, r.count, given);
	return std::nullopt;
}

// RINEX 3 satellite lines where the next epoch line should be: the record
// before gave more satellites than it announced.
std::optional<Failure> Epochs::moreGiven()
{
	int extra = 1;
	for (auto line = lines_.next(); line && isSatelliteLine(*line); line = lines_.next())
		extra++;
	return miscounted(lastAt_, lastCount_, lastCount_ + extra);
}

// Passes over the n lines of a record; at the limit of text, the epochs
// read so far are all there are. A RINEX 3 satellite's line is no epoch's.
std::optional<Failure> Epochs::skip(int n, bool headerRecords, bool satellites, size_t at)
{
	for (int i = 0; i < n; i++) {
		const auto line = lines_.next();
		if (!line && lines_.end() == Lines::End::limit) {
			atLimit_ = true;
			return std::nullopt;
		}
		if (!line)
			return lines_.stopped("epoch cut short",
					      "epoch at line " + std::to_string(at) + " cut short");
		if (satellites && line->starts_with('>'))
			return miscounted(at, n, i);
		if (headerRecords && labelOf(*line) == "# / TYPES OF OBSERV")
			if (const auto types = integerField(*line, {0, 6}))
				types_ = *types;
	}
	return std::nullopt;
}

// A Compact RINEX epoch line in full: afresh where it begins with the mark
// ('&' or '>'), else the one before with this one's changes: a blank keeps
// a character, '&' blanks it.
std::string_view Epochs::rebuild(std::string_view line)
{
	const size_t n = std::min(line.size(), previous_.size());
	const char mark = h_.two() ? '&' : '>';
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

std::optional<Ticks> Epochs::step() const
{
	std::optional<Ticks> step;
	for (size_t i = 1; i < size_t(std::min(count_, needed)); i++) {
		const Ticks d = snapped(epochs_[i] - epochs_[i - 1]);
		if (d > 0 && (!step || d < *step))
			step = d;
	}
	return step;
}

} // namespace rinex
