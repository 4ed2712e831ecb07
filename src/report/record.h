// The run's record: each rename made on standard output, each file or folder
// left on standard error, one whole line each, however many threads write.
// Paths are printed as a prefix (a folder's path and its slash, or nothing)
// and a name.
#ifndef ORVANE_RECORD_H
#define ORVANE_RECORD_H

#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "report/notrenamed.h"
#include "report/progress.h"

// The name every message of the renamer begins with.
inline constexpr char program[] = "orvane-rename";

// How the record is written: -0, whether the files left are counted by kind
// at the end (-H), whether its renames are made or only foreseen (-n, -L),
// and where the renames and the messages go.
struct RecordForm {
	bool nul = false;
	bool countLeft = false;
	bool plan = false; // the progress line counts files "to rename"
	bool check = false; // -k: the end counts the files checked
	int out = 1; // standard output
	int err = 2; // standard error
};

class Record
{
      public:
	// An output that cannot take the record: nothing is to be renamed.
	// Says so on standard error; false then.
	static bool outputWritable(int out = 1);

	explicit Record(RecordForm form);
	Record(const Record &) = delete;
	Record &operator=(const Record &) = delete;

	// OLD -> NEW, or with -0 OLD NUL NEW NUL.
	void rename(std::string_view prefix, std::string_view old, std::string_view to);

	// PREFIX NAME: not renamed: REASON.
	void left(std::string_view prefix, std::string_view name, const NotRenamed &why);
	// PREFIX NAME: not renamed: PREFIX TO exists.
	void exists(std::string_view prefix, std::string_view name, std::string_view to);
	// PREFIX NAME: WHAT: REASON, for a folder not walked or a name left over.
	void report(std::string_view prefix, std::string_view name, std::string_view what,
		    std::string_view reason);
	// orvane-rename: WHAT; stopped, and the run stops.
	void fault(std::string_view what);
	// PREFIX NAME: note: NOTE, beside a rename; it leaves the status alone.
	void note(std::string_view prefix, std::string_view name, std::string_view note);
	// A file named with an unknown rate, 00U, for the line that ends a run
	// of -H.
	void unknownRate();

	// A file that holds no RINEX observation data (-a, -k), for the line
	// that ends the run.
	void passedOver();
	// -k: a file checked, and one whose name its data contradict: PREFIX
	// NAME: SAYS; the data name it DATANAME, or with -0 PREFIX NAME NUL
	// PREFIX DATANAME NUL; the status is then 1.
	void checked();
	void disagrees(std::string_view prefix, std::string_view name, std::string_view says,
		       std::string_view dataName);

	// A folder taken into the walk, and how many candidates it holds.
	void folder(std::size_t candidates);

	// Writes the record out, and with -H the count of the files left by
	// kind and of those named 00U; the run's status.
	int end();

      private:
	struct Streams;
	Record(RecordForm form, const Streams &streams);
	void message(std::string_view prefix, std::string_view name, std::string_view what,
		     std::string_view reason, std::string_view leftAs = {}, bool fault = true);
	void flush();
	void pair(std::string_view prefix, std::string_view old, std::string_view between,
		  std::string_view to, bool toPath = true);
	std::size_t lineStart(std::size_t at) const;
	std::string countLeft() const;
	void startMessage();
	void showProgress();

	const RecordForm form_;
	std::mutex lock_;
	std::string out_;
	Progress progress_;
	const bool sameTerminal_, lineByLine_, sameFile_;
	int writeError_ = 0; // then the record goes on on standard error
	int status_ = 0;     // 1 once anything was left
	std::map<std::string, std::size_t, std::less<>> left_; // files left, by kind
	std::size_t unknownRate_ = 0;                          // files named 00U
	std::size_t passedOver_ = 0, checked_ = 0, disagree_ = 0;
};

#endif
