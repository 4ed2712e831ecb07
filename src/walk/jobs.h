// Parallel runs (-j): a fixed pool of workers fed by the walk. Each job is
// one folder's candidates, renamed in byte order by one worker, so that the
// collisions of a folder resolve as in a run of one; a bounded number of
// folders wait, each holding a descriptor of its own. On a network file
// system every rename waits on the server, and many folders in work at once
// keep it busy.
#ifndef ORVANE_JOBS_H
#define ORVANE_JOBS_H

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "walk/budget.h"
#include "util/fd.h"
#include "walk/listing.h"
#include "rename/renamer.h"
#include "walk/place.h"

// The candidates of one folder, with a descriptor and a path of the job's
// own, for the walk may close its own and goes on to other folders; the
// place's own descriptor and prefix are the walk's.
struct Job {
	Fd fd;
	std::string prefix;
	Place place;
	std::shared_ptr<const Listing> listing;
};

class Jobs
{
      public:
	Jobs(const Run &run, int workers, const Budget &budget);
	~Jobs() { finish(); }
	Jobs(const Jobs &) = delete;
	Jobs &operator=(const Jobs &) = delete;

	// Queues the folder's candidates, once a place is free; without a
	// descriptor to spare, the caller's renamer renames them here and now
	// instead.
	void add(Renamer &caller, const Place &place, std::shared_ptr<const Listing> listing);
	// Every job queued so far is done, or dropped after a stop.
	void wait();
	// Every job is done and every worker gone.
	void finish();

      private:
	void work();
	void renameHere(Renamer &renamer, const Place &place, const Listing &listing);

	const Run &run_;
	std::mutex lock_;
	std::condition_variable queued_, freed_;
	std::deque<Job> queue_;
	std::size_t inWork_ = 0;
	const std::size_t maxInWork_;
	bool closing_ = false;
	std::vector<std::thread> workers_;
};

#endif
