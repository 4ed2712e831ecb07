/*
 * A file of any name read whole as orvane-rename -a and -k read it: its
 * compression told by its first bytes, then a RINEX or Compact RINEX
 * observation header on its first lines, or it is passed over; then every
 * epoch to the file's end, so that damage anywhere leaves the file. Its
 * name comes from its epochs alone; where the header's INTERVAL, TIME OF
 * FIRST OBS or TIME OF LAST OBS say otherwise, a note says so.
 */
#include "rinex/content.h"

#include <errno.h>
#include <string.h>
#include <unistd.h>

#include <array>

#include "rinex/epochs.h"
#include "rinex/headerlines.h"
#include "rinex/headersays.h"
#include "rinex/lines.h"

namespace rinex
{

Compression compressionByMagic(std::string_view start)
{
	for (const CompressionRow &row : compressionRows())
		if (!row.magic.empty() && start.starts_with(row.magic))
			return row.kind;
	return Compression::none;
}

namespace
{

class Reading
{
      public:
	Reading(Lines &lines, Compression compression) : lines_(lines), compression_(compression)
	{
	}
	ContentRead run();

      private:
	std::optional<ContentRead> readType();
	std::string note(const Epochs &epochs) const;

	Lines &lines_;
	Compression compression_;
	HeaderSays h_;
};

ContentRead Reading::run()
{
	if (auto read = readType())
		return *read;
	if (auto f = readRecords(lines_, h_))
		return *f;
	Epochs epochs(lines_, h_, true);
	if (auto f = epochs.read())
		return *f;
	if (epochs.count() == 0)
		return Failure{"no epoch", "no epoch"};
	Content c;
	c.marker = h_.marker;
	c.first = epochs.earliest();
	c.last = epochs.latest();
	c.frequency = frequencyField(epochs.step());
	c.content = contentField(h_);
	c.compact = h_.isCompact();
	c.compression = compression_;
	c.note = note(epochs);
	return c;
}

// The first lines: CRINEX VERS / TYPE and CRINEX PROG / DATE of Compact
// RINEX, which holds only observations, then RINEX VERSION / TYPE of
// observation data. A text that begins otherwise is no such file; one that
// cannot be read is left.
std::optional<ContentRead> Reading::readType()
{
	auto line = lines_.next();
	if (!line && lines_.end() == Lines::End::failure)
		return lines_.stopped({}, {});
	if (!line)
		return PassedOver{};
	if (labelOf(*line) == "CRINEX VERS   / TYPE") {
		h_.compact = trimmed(line->substr(0, 20));
		line = lines_.next();
		if (line && labelOf(*line) != "CRINEX PROG / DATE")
			return Failure{"no CRINEX PROG / DATE in the header",
				       "no CRINEX PROG / DATE in the header"};
		if (line)
			line = lines_.next();
		if (!line)
			return lines_.stopped("header cut short", "header cut short");
		if (labelOf(*line) != "RINEX VERSION / TYPE")
			return Failure{"no RINEX VERSION / TYPE after the CRINEX lines",
				       "no RINEX VERSION / TYPE after the CRINEX lines"};
	} else if (labelOf(*line) != "RINEX VERSION / TYPE") {
		return PassedOver{};
	}
	if (auto f = readVersionType(*line, h_))
		return *f;
	if (h_.type != 'O')
		return PassedOver{};
	if (h_.major < 2 || h_.major > 4)
		return Failure{"header says another version", "header says version " + h_.version};
	if (!compactFits(h_))
		return Failure{"header says another version", "header says Compact RINEX " +
								  h_.compact + " of version " +
								  h_.version};
	return std::nullopt;
}

// One line for whatever the header's times say against the epochs.
std::string Reading::note(const Epochs &epochs) const
{
	std::string says;
	const auto add = [&says](const std::string &what) {
		says.append(says.empty() ? "" : "; ").append(what);
	};
	const std::optional<Ticks> step = epochs.step();
	const Ticks interval = h_.interval && *h_.interval > 0 ? snapped(*h_.interval) : 0;
	if (step && interval > 0 && interval != *step)
		add("INTERVAL says " + secondsText(interval) + ", the epochs " + secondsText(*step));
	if (h_.firstObs && *h_.firstObs != epochs.earliest())
		add("TIME OF FIRST OBS says " + timeText(*h_.firstObs) + ", the first epoch " +
		    timeText(epochs.earliest()));
	if (h_.lastObs && *h_.lastObs != epochs.latest())
		add("TIME OF LAST OBS says " + timeText(*h_.lastObs) + ", the last epoch " +
		    timeText(epochs.latest()));
	return says;
}

} // namespace

ContentRead readContent(Decoder &decoder, Lines &lines, int fd)
{
	std::array<char, 4> start{};
	ssize_t n = 0;
	do
		n = pread(fd, start.data(), start.size(), 0);
	while (n < 0 && errno == EINTR);
	if (n < 0)
		return Failure{"read error", std::string("read error: ") + strerror(errno)};
	const Compression compression =
	    compressionByMagic({start.data(), size_t(n)});
	decoder.start(fd, compression);
	lines.start(decoder, true);
	return Reading(lines, compression).run();
}

} // namespace rinex
