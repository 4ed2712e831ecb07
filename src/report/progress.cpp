#include "report/progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

Progress::Progress(bool shown) : enabled_(shown), began_(Clock::now()), last_(began_) {}

bool Progress::due() const
{
	return enabled_ && Clock::now() - last_ >= std::chrono::milliseconds(100);
}

void Progress::draw()
{
	const Clock::time_point now = Clock::now();
	const double seconds = std::chrono::duration<double>(now - began_).count();
	char line[256];
	int n = std::snprintf(line, sizeof line,
			      "\r%zu folders, %zu candidates, %zu renamed, %zu left, %.0f/s",
			      folders_, candidates_, renamed_, left_,
			      seconds > 0 ? static_cast<double>(renamed_ + left_) / seconds : 0.0);
	n = n < static_cast<int>(sizeof line) - 4 ? n : static_cast<int>(sizeof line) - 4;
	struct winsize size;
	if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 && n > size.ws_col)
		n = size.ws_col; // the "\r", then one column fewer than the width
	line[n] = '\033';        // and the rest of the line erased
	line[n + 1] = '[';
	line[n + 2] = 'K';
	(void)!write(STDERR_FILENO, line, static_cast<size_t>(n) + 3);
	drawn_ = true;
	last_ = now;
}

// Before anything else is written to the terminal.
void Progress::erase()
{
	if (drawn_)
		(void)!write(STDERR_FILENO, "\r\033[K", 4);
	drawn_ = false;
}
