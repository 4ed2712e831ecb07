#include "walk/jobs.h"

#include <fcntl.h>

#include <exception>
#include <new>

#include "report/record.h"

Jobs::Jobs(const Run &run, int workers, const Budget &budget)
    : run_(run), maxInWork_(budget.jobs)
{
	try {
		for (int i = 0; i < workers; i++)
			workers_.emplace_back(&Jobs::work, this);
	} catch (const std::system_error &) {
		if (workers_.empty())
			throw;
	}
}

void Jobs::add(Renamer &caller, const Place &place, std::shared_ptr<const Listing> listing)
{
	Fd fd(maxInWork_ > 0 ? fcntl(place.fd, F_DUPFD_CLOEXEC, 0) : -1);
	if (!fd) {
		renameHere(caller, place, *listing);
		return;
	}
	Job job{std::move(fd), std::string(place.prefix), place, std::move(listing)};

	std::unique_lock<std::mutex> hold(lock_);
	freed_.wait(hold, [this] { return inWork_ < maxInWork_; });
	queue_.push_back(std::move(job));
	inWork_++;
	queued_.notify_one();
}

void Jobs::wait()
{
	std::unique_lock<std::mutex> hold(lock_);
	freed_.wait(hold, [this] { return inWork_ == 0; });
}

void Jobs::finish()
{
	{
		const std::lock_guard<std::mutex> hold(lock_);
		closing_ = true;
	}
	queued_.notify_all();
	for (std::thread &t : workers_)
		if (t.joinable())
			t.join();
}

// No exception leaves a worker: what escapes a job stops the run. Each
// worker has a renamer of its own.
void Jobs::work()
{
	Renamer renamer(run_);
	for (;;) {
		std::unique_lock<std::mutex> hold(lock_);
		queued_.wait(hold, [this] { return !queue_.empty() || closing_; });
		if (queue_.empty())
			return;
		Job job = std::move(queue_.front());
		queue_.pop_front();
		hold.unlock();

		Place here = job.place;
		here.fd = job.fd.get();
		here.prefix = job.prefix;
		renameHere(renamer, here, *job.listing);
		job = Job{};

		hold.lock();
		inWork_--;
		freed_.notify_all();
	}
}

void Jobs::renameHere(Renamer &renamer, const Place &place, const Listing &listing)
{
	try {
		renamer.folder(place, listing);
	} catch (const std::bad_alloc &) {
		run_.record.fault("out of memory");
	} catch (const std::exception &e) {
		run_.record.fault(e.what());
	}
}
