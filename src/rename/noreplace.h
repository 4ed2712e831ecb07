// Renaming within one folder without ever replacing a file.
#ifndef ORVANE_NOREPLACE_H
#define ORVANE_NOREPLACE_H

#include <sys/types.h>

#include <array>
#include <atomic>
#include <mutex>
#include <string_view>

#include "util/result.h"
#include "walk/place.h"

class Record;

// How a rename ended that did not fail: the file has its new name; or the
// old name changed hands during the rename, which the record says of the
// name linked, and the file is left.
enum class Moved { renamed, leftAsSaid };

class NoReplace
{
      public:
	// What it says of names other than the file's goes to the record.
	explicit NoReplace(Record &record) : record_(record) {}

	// Renames old to `to` in the place's folder, or fails with the error
	// that left the file as it was.
	Result<Moved> move(const Place &place, const char *old, const char *to);

      private:
	Result<Moved> linkAndRemove(const Place &place, const char *old, const char *to);
	int undoLink(const Place &place, const char *old, const char *to, const struct stat &file,
		     int err);
	void secondName(const Place &place, const char *name, const char *of,
			std::string_view reason);
	Result<Done> asideName(const Place &place, std::array<char, 64> &tmp);

	// The file systems that refused the flag once, asked no more; read by
	// every rename, so without a lock.
	class Refusing
	{
	      public:
		bool has(dev_t dev) const;
		void add(dev_t dev);

	      private:
		std::array<dev_t, 16> devices_{};
		std::atomic<int> count_{0};
		std::mutex lock_;
	};

	Record &record_;
	Refusing refusing_;
	std::atomic<unsigned> serial_{0}; // of the names set aside
};

#endif
