#include "report/progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <iterator>
#include <string>

Progress::Progress(bool shown, bool plan)
    : enabled_(shown), plan_(plan), began_(Clock::now()), last_(began_)
{
}

bool Progress::due() const
{
	return enabled_ && Clock::now() - last_ >= std::chrono::milliseconds(100);
}

void Progress::draw()
{
	const Clock::time_point now = Clock::now();
	const double seconds = std::chrono::duration<double>(now - began_).count();
	char rate[32];
	(void)std::snprintf(rate, sizeof rate, "%.0f/s",
			    seconds > 0 ? static_cast<double>(renamed_ + left_) / seconds : 0.0);
	// Most telling first: a narrow terminal loses whole fields from the end,
	// the rate before any count, rather than a count cut to fewer digits.
	const std::string fields[] = {
	    std::to_string(renamed_) + (plan_ ? " to rename" : " renamed"),
	    std::to_string(left_) + " left",
	    std::to_string(candidates_) + " candidates",
	    std::to_string(folders_) + " folders",
	    rate,
	};
	std::size_t room = std::string::npos; // one column fewer than the width
	struct winsize size;
	if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1)
		room = size.ws_col - 1U;
	std::string line = "\r" + fields[0];
	for (std::size_t i = 1; i < std::size(fields); i++) {
		if (line.size() - 1 + 2 + fields[i].size() > room)
			break;
		line.append(", ").append(fields[i]);
	}
	if (line.size() - 1 > room)
		line.resize(room + 1);
	line.append("\033[K"); // and the rest of the line erased
	(void)!write(STDERR_FILENO, line.data(), line.size());
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
