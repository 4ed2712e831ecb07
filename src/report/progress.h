// The progress line at the foot of a terminal: the candidates renamed (when
// the run only plans, to rename) and left, the candidates found, the folders
// walked, and the rate. Redrawn at most ten times a second, cut to the
// terminal's width so that it never wraps; logs and scripts see nothing of
// it. The caller serialises.
#ifndef ORVANE_PROGRESS_H
#define ORVANE_PROGRESS_H

#include <chrono>
#include <cstddef>

class Progress
{
      public:
	Progress(bool shown, bool plan);
	void folder(std::size_t candidates)
	{
		folders_++;
		candidates_ += candidates;
	}
	void renamed() { renamed_++; }
	void left() { left_++; }
	bool due() const;
	void draw();
	void erase();

      private:
	using Clock = std::chrono::steady_clock;
	bool enabled_;
	bool plan_;
	bool drawn_ = false;
	Clock::time_point began_, last_;
	std::size_t folders_ = 0, candidates_ = 0, renamed_ = 0, left_ = 0;
};

#endif
