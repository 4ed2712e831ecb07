// The epochs of an observation file after its header, read as far as its
// name is to be judged: the first ten, or as many as the text holds; or
// all of them, to the file's end.
#ifndef ORVANE_EPOCHS_H
#define ORVANE_EPOCHS_H

#include <stddef.h>

#include <array>
#include <optional>
#include <string_view>

#include "rinex/fields.h"
#include "rinex/headersays.h"
#include "rinex/lines.h"

namespace rinex
{

class Epochs
{
      public:
	static constexpr int needed = 10;

	Epochs(Lines &lines, const HeaderSays &h, bool whole = false)
	    : lines_(lines), h_(h), types_(h.types), whole_(whole)
	{
	}
	// Reads the epochs; or why one where it must be cannot be read.
	std::optional<Failure> read();
	int count() const { return count_; }
	Ticks first() const { return epochs_[0]; }
	// The earliest and the latest epoch read.
	Ticks earliest() const { return earliest_; }
	Ticks latest() const { return latest_; }
	// The smallest step between the epochs read, each snapped to the
	// millisecond it blurs; none with fewer than two, or none apart.
	std::optional<Ticks> step() const;

      private:
	std::optional<Failure> ended() const;
	std::optional<Failure> epoch(std::string_view line);
	std::optional<Failure> skipRecord(const Record &r, std::string_view line, size_t at);
	std::optional<Failure> skip(int n, bool headerRecords, bool satellites, size_t at);
	std::optional<Failure> listed(const Record &r, std::string_view line, size_t at);
	std::optional<Failure> moreGiven();
	std::string_view rebuild(std::string_view line);

	Lines &lines_;
	const HeaderSays &h_;
	int types_; // RINEX 2's types of observation, as event records change them
	bool whole_;
	std::array<Ticks, needed> epochs_{};
	int count_ = 0;
	Ticks earliest_ = 0, latest_ = 0;
	bool atLimit_ = false;
	std::optional<size_t> blankAt_; // the first of blank lines so far
	bool blankEmpty_ = false;       // and whether it is empty
	// Of the last observation record: its epoch line and satellites.
	size_t lastAt_ = 0;
	int lastCount_ = -1;
	// The last epoch line of Compact RINEX, in full.
	std::array<char, Lines::kept> previous_{};
	size_t previousSize_ = 0;
	bool fresh_ = true; // the next compact epoch line is to start afresh
};

} // namespace rinex

#endif
