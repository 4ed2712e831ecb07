/*
 * RINEX's fixed fields, header lines and epoch lines, and the arithmetic of
 * its times, all in whole ticks of 0.1 us: no floating point, so that 0.2 s
 * is 2,000,000 ticks and never a hair off.
 */
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <utility>

#include "rinex/fields.h"

#include "util/text.h"

namespace rinex
{

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

namespace
{

struct Civil {
	int64_t year, month, day;
	Ticks within; // the day
};

Civil civilOf(Ticks t)
{
	const int64_t perDay = 86400 * perSecond;
	int64_t days = t >= 0 ? t / perDay : (t - perDay + 1) / perDay;
	const Ticks within = t - days * perDay;
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
	return {year, month, day, within};
}

} // namespace

std::string timeText(Ticks t)
{
	const auto [year, month, day, within] = civilOf(t);
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

std::string startField(Ticks t)
{
	const Civil c = civilOf(t);
	const int64_t minutes = c.within / (60 * perSecond);
	const int64_t day =
	    daysFromCivil(int(c.year), int(c.month), int(c.day)) - daysFromCivil(int(c.year), 1, 1) + 1;
	std::array<char, 16> text{};
	const int n = snprintf(text.data(), text.size(), "%04lld%03lld%02lld%02lld",
			       (long long)c.year, (long long)day, (long long)(minutes / 60),
			       (long long)(minutes % 60));
	return {text.data(), size_t(std::max(n, 0))};
}

std::string secondsText(Ticks t)
{
	std::string s = std::to_string(t / perSecond);
	if (const Ticks fraction = t % perSecond; fraction != 0) {
		std::string digits = std::to_string(perSecond + fraction).substr(1);
		s += "." + digits.erase(digits.find_last_not_of('0') + 1);
	}
	return s + " s";
}

Ticks snapped(Ticks step)
{
	constexpr Ticks millisecond = perSecond / 1000;
	constexpr Ticks blur = perSecond / 100'000;
	const Ticks nearest = (step + millisecond / 2) / millisecond * millisecond;
	return nearest > 0 && step >= nearest - blur && step <= nearest + blur ? nearest : step;
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


// A system as the messages name it.
std::string systemName(char system)
{
	switch (system) {
	case 'G':
		return "GPS";
	case 'R':
		return "GLONASS";
	case 'S':
		return "SBAS";
	case 'E':
		return "Galileo";
	case 'C':
		return "BeiDou";
	case 'J':
		return "QZSS";
	case 'I':
		return "NavIC";
	case 'M':
		return "mixed";
	}
	return "system " + quoted(std::string_view(&system, 1));
}

std::string navigationName(char system)
{
	return systemName(system) + " navigation data";
}

char systemOf(char type)
{
	static constexpr std::string_view types = "nghlfqp";
	static constexpr std::string_view systems = "GRSECJM";
	const size_t at = types.find(type);
	return at == std::string_view::npos ? '?' : systems[at];
}

// A version field, F9.2, such as "     2.11": its text and its whole
// number; written as a whole number ("     2") too.
std::optional<int> versionOf(std::string_view field, std::string &text)
{
	text = trimmed(field);
	const size_t dot = text.find('.');
	const std::string_view whole = std::string_view(text).substr(0, dot);
	const std::string_view decimals =
	    dot == std::string::npos ? "0" : std::string_view(text).substr(dot + 1);
	if (whole.size() > 2 || !digitsValue(decimals))
		return std::nullopt;
	return digitsValue(whole);
}

// An epoch line, RINEX 2's or RINEX 3's; the time is read for flags 0, 1
// and 6 only, event records' times being of no use (and often blank).
Record epochRecord(std::string_view line, bool two, bool compact)
{
	static constexpr std::array<Field, 6> time2{
	    {{1, 3}, {3, 6}, {6, 9}, {9, 12}, {12, 15}, {15, 26}}};
	static constexpr std::array<Field, 6> time3{
	    {{1, 6}, {6, 9}, {9, 12}, {12, 15}, {15, 18}, {18, 29}}};
	const size_t flagAt = two ? 28 : 31;
	Record r;
	if (two ? !compact && !line.empty() && line[0] != ' ' : !line.starts_with('>'))
		r.wrong = "no epoch line";
	else if (line.size() <= flagAt || line[flagAt] < '0' || line[flagAt] > '6')
		r.wrong = two ? "no epoch flag in column 29" : "no epoch flag in column 32";
	if (r.wrong != nullptr)
		return r;
	r.flag = line[flagAt] - '0';
	r.count = integerField(line, {flagAt + 1, flagAt + 4}).value_or(-1);
	if (r.count < 0) {
		r.wrong = two ? "no count in columns 30 to 32" : "no count in columns 33 to 35";
		return r;
	}
	if (r.flag >= 2 && r.flag <= 5)
		return r;
	r.time = timeFields(line, two ? time2 : time3);
	if (!r.time)
		r.wrong = "no date and time";
	return r;
}

} // namespace rinex
