#include "walk/budget.h"

#include <dirent.h>
#include <sys/resource.h>

#include <algorithm>

namespace
{

// Descriptors open when the run starts: those it was given, at least the
// three standard ones. Where /proc is missing, as in an empty root, three.
std::size_t openAtStart()
{
	DIR *fds = opendir("/proc/self/fd");
	if (fds == nullptr)
		return 3;
	std::size_t n = 0;
	while (readdir(fds) != nullptr)
		n++;
	(void)closedir(fds);
	return std::max<std::size_t>(n - std::min<std::size_t>(n, 3), 3); // ".", ".." and its own
}

} // namespace

// Besides those open at the start and two the walk opens for a moment (a
// folder reopened through "..", a named file's folder), the file the walk
// may be reading, and a reserve where there is room, the walk and the jobs
// share what is left; a job that reads files needs two.
Budget descriptorBudget(int jobs, bool readsFiles)
{
	// Where the limit cannot be read, the least any system gives.
	struct rlimit limit = {20, 20};
	if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
		limit.rlim_cur = limit.rlim_max;
		(void)setrlimit(RLIMIT_NOFILE, &limit);
		(void)getrlimit(RLIMIT_NOFILE, &limit);
	}
	const std::size_t perJob = readsFiles ? 2 : 1;
	const std::size_t reserve =
	    openAtStart() + (limit.rlim_cur >= 64 ? 16 : 2) + (readsFiles ? 1 : 0);
	const std::size_t spare =
	    limit.rlim_cur > reserve ? static_cast<std::size_t>(limit.rlim_cur) - reserve : 0;
	// Where the walk's two and a job's cannot all be had, the walk renames
	// every folder itself.
	std::size_t waiting = 0;
	if (jobs > 1 && spare >= 2 + perJob)
		waiting = std::max<std::size_t>(
		    std::min(2 * static_cast<std::size_t>(jobs), spare / (2 * perJob)), 1);
	return {std::max<std::size_t>(spare - waiting * perJob, 2), waiting};
}
