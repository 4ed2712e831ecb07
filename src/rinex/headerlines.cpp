/*
 * A file's text line by line for the header reader; RINEX's fixed fields,
 * header lines and epoch lines; and the arithmetic of its times, all in
 * whole ticks of 0.1 us: no floating point, so that 0.2 s is 2,000,000
 * ticks and never a hair off.
 */
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <utility>

#include "rinex/headerlines.h"

namespace rinex
{

void Lines::start(Decoder &decoder)
{
	decoder_ = &decoder;
	at_ = size_ = total_ = number_ = 0;
	end_ = End::none;
	cut_ = false;
}

// More text into the chunk; 0 where it stops, with end_ saying how.
size_t Lines::refill()
{
	at_ = size_ = 0;
	if (end_ != End::none)
		return 0;
	if (total_ == limit) {
		end_ = End::limit;
		return 0;
	}
	size_ = decoder_->read(chunk_.data(), std::min(chunk_.size(), limit - total_));
	total_ += size_;
	if (size_ == 0)
		end_ = decoder_->failure() ? End::failure : End::text;
	return size_;
}

static std::string_view withoutReturn(std::string_view line)
{
	if (!line.empty() && line.back() == '\r')
		line.remove_suffix(1);
	return line;
}

std::optional<std::string_view> Lines::next()
{
	if (at_ == size_ && refill() == 0)
		return std::nullopt;
	const char *begin = chunk_.data() + at_;
	const auto *newline = static_cast<const char *>(memchr(begin, '\n', size_ - at_));
	if (newline != nullptr) {
		at_ = size_t(newline - chunk_.data()) + 1;
		number_++;
		return withoutReturn(std::string_view(begin, size_t(newline - begin)));
	}
	// The line goes on into the next chunks: its first bytes are kept.
	size_t carried = std::min(kept, size_ - at_);
	std::copy_n(begin, carried, carry_.begin());
	while (refill() > 0) {
		newline = static_cast<const char *>(memchr(chunk_.data(), '\n', size_));
		const size_t part = newline != nullptr ? size_t(newline - chunk_.data()) : size_;
		const size_t more = std::min(kept - carried, part);
		std::copy_n(chunk_.data(), more, carry_.begin() + long(carried));
		carried += more;
		if (newline != nullptr) {
			at_ = part + 1;
			number_++;
			return withoutReturn(std::string_view(carry_.data(), carried));
		}
	}
	// The last line, without a line end, counts where the text ends there.
	if (end_ != End::text) {
		cut_ = end_ == End::limit;
		return std::nullopt;
	}
	number_++;
	return withoutReturn(std::string_view(carry_.data(), carried));
}

std::optional<int> integerField(std::string_view line, Field f)
{
	if (f.to > line.size())
		return std::nullopt;
	size_t i = f.from;
	while (i < f.to && line[i] == ' ')
		i++;
	if (i == f.to)
		return std::nullopt;
	int value = 0;
	for (; i < f.to; i++) {
		if (line[i] < '0' || line[i] > '9' || value > 99'999'999)
			return std::nullopt;
		value = value * 10 + (line[i] - '0');
	}
	return value;
}

std::optional<Ticks> secondsField(std::string_view line, Field f)
{
	const size_t to = std::min(f.to, line.size());
	size_t i = f.from;
	while (i < to && line[i] == ' ')
		i++;
	Ticks whole = 0;
	Ticks fraction = 0;
	int digits = 0;
	int decimals = -1;
	for (; i < to && line[i] != ' '; i++) {
		const char c = line[i];
		if (c == '.' && decimals < 0) {
			decimals = 0;
		} else if (c >= '0' && c <= '9') {
			digits++;
			if (decimals < 0) {
				if (whole > 99'999'999)
					return std::nullopt;
				whole = whole * 10 + (c - '0');
			} else if (decimals < 7) {
				fraction = fraction * 10 + (c - '0');
				decimals++;
			} else if (c != '0') {
				return std::nullopt; // finer than a tick
			}
		} else {
			return std::nullopt;
		}
	}
	while (i < to && line[i] == ' ')
		i++;
	if (digits == 0 || i != to)
		return std::nullopt;
	for (int d = std::max(decimals, 0); d < 7; d++)
		fraction *= 10;
	return whole * perSecond + fraction;
}

static bool isLeap(int year)
{
	return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

static int daysIn(int year, int month)
{
	static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
	return month == 2 && isLeap(year) ? 29 : days[month - 1];
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
static int64_t daysFromCivil(int year, int month, int day)
{
	const int64_t y = year - (month <= 2 ? 1 : 0);
	const int64_t era = (y >= 0 ? y : y - 399) / 400;
	const int64_t yoe = y - era * 400;
	const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
	const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
	return era * 146097 + doe - 719468;
}

std::optional<Ticks> timeFields(std::string_view line, const std::array<Field, 6> &fields)
{
	std::array<int, 5> n{};
	for (size_t i = 0; i < n.size(); i++) {
		const auto value = integerField(line, fields[i]);
		if (!value)
			return std::nullopt;
		n[i] = *value;
	}
	const auto seconds = secondsField(line, fields[5]);
	int year = n[0];
	if (fields[0].to - fields[0].from <= 3)
		year += year < 80 ? 2000 : 1900;
	const int month = n[1];
	const int day = n[2];
	if (!seconds || year < 1900 || year > 2200 || month < 1 || month > 12 || day < 1 ||
	    day > daysIn(year, month) || n[3] > 23 || n[4] > 59 || *seconds >= 61 * perSecond)
		return std::nullopt;
	return ((daysFromCivil(year, month, day) * 24 + n[3]) * 60 + n[4]) * 60 * perSecond +
	       *seconds;
}

Ticks dayStart(int year, int day)
{
	return (daysFromCivil(year, 1, 1) + day - 1) * 86400 * perSecond;
}

std::string timeText(Ticks t)
{
	const int64_t perDay = 86400 * perSecond;
	int64_t days = t >= 0 ? t / perDay : (t - perDay + 1) / perDay;
	Ticks within = t - days * perDay;
	// The civil date of a day count, the inverse of daysFromCivil.
	days += 719468;
	const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
	const int64_t doe = days - era * 146097;
	const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
	const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
	const int64_t mp = (5 * doy + 2) / 153;
	const int64_t day = doy - (153 * mp + 2) / 5 + 1;
	const int64_t month = mp < 10 ? mp + 3 : mp - 9;
	const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
	const int64_t seconds = within / perSecond;
	const int64_t fraction = within % perSecond;

	std::array<char, 48> text{};
	const int n = snprintf(
	    text.data(), text.size(), "%04lld-%02lld-%02lld %02lld:%02lld:%02lld.%07lld",
	    (long long)year, (long long)month, (long long)day, (long long)(seconds / 3600),
	    (long long)(seconds / 60 % 60), (long long)(seconds % 60), (long long)fraction);
	std::string s(text.data(), size_t(std::max(n, 0)));
	s.erase(s.find_last_not_of('0') + 1);
	if (s.back() == '.')
		s.pop_back();
	return s;
}

std::string frequencyField(std::optional<Ticks> step)
{
	// The units that the field's letters name, the largest first.
	static constexpr std::array<std::pair<Ticks, char>, 4> units{{{86400 * perSecond, 'D'},
								      {3600 * perSecond, 'H'},
								      {60 * perSecond, 'M'},
								      {perSecond, 'S'}}};
	const auto field = [](Ticks n, char letter) {
		return std::string{char('0' + n / 10), char('0' + n % 10), letter};
	};
	if (!step || *step <= 0)
		return "00U";
	const auto *const whole = std::find_if(units.begin(), units.end(), [&](const auto &u) {
		return *step % u.first == 0 && *step / u.first >= 1 && *step / u.first <= 99;
	});
	if (whole != units.end())
		return field(*step / whole->first, whole->second);
	if (*step < perSecond && perSecond % *step == 0) {
		const Ticks hertz = perSecond / *step;
		if (hertz <= 99)
			return field(hertz, 'Z');
		if (hertz % 100 == 0 && hertz / 100 <= 99)
			return field(hertz / 100, 'C');
	}
	return "00U";
}

std::string_view labelOf(std::string_view line)
{
	constexpr size_t labelAt = 60;
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
	return "navigation data of system " + escaped(std::string_view(&system, 1));
}

char systemOf(char type)
{
	static constexpr std::string_view types = "nghlfqp";
	static constexpr std::string_view systems = "GRSECJM";
	const size_t at = types.find(type);
	return at == std::string_view::npos ? '?' : systems[at];
}

// A version field such as "     2.11": its text and its whole number.
std::optional<int> versionOf(std::string_view field, std::string &text)
{
	text = trimmed(field);
	const size_t dot = text.find('.');
	if (dot == 0 || dot == std::string_view::npos || dot > 2 || dot + 1 == text.size() ||
	    text.find('.', dot + 1) != std::string::npos)
		return std::nullopt;
	if (!std::all_of(text.begin(), text.end(),
			 [](char c) { return c == '.' || (c >= '0' && c <= '9'); }))
		return std::nullopt;
	return integerField(text, {0, dot});
}

// An epoch line, RINEX 2's or RINEX 3's; the time is read for flags 0, 1
// and 6 only, event records' times being of no use (and often blank).
std::optional<Record> epochRecord(std::string_view line, bool two, bool compact)
{
	static constexpr std::array<Field, 6> time2{
	    {{1, 3}, {3, 6}, {6, 9}, {9, 12}, {12, 15}, {15, 26}}};
	static constexpr std::array<Field, 6> time3{
	    {{1, 6}, {6, 9}, {9, 12}, {12, 15}, {15, 18}, {18, 29}}};
	const size_t flagAt = two ? 28 : 31;
	if (line.size() < flagAt + 4 || line[flagAt] < '0' || line[flagAt] > '6')
		return std::nullopt;
	if (two ? !compact && line[0] != ' ' : line[0] != '>')
		return std::nullopt;
	Record r{line[flagAt] - '0', integerField(line, {flagAt + 1, flagAt + 4}).value_or(-1), {}};
	if (r.count < 0)
		return std::nullopt;
	if (r.flag >= 2 && r.flag <= 5)
		return r;
	r.time = timeFields(line, two ? time2 : time3);
	return r.time ? std::optional(r) : std::nullopt;
}

} // namespace rinex
