// The record waits in a buffer of whole lines: a line at a time to a
// terminal of its own, else 64 KiB at a time, and under a progress line as
// often as that is drawn. Where standard error is the same file, the record
// before a message is written before it. When standard output fails, the
// record goes on on standard error from the first line not written whole,
// and nothing else follows it there.
#include "report/record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "report/stop.h"

namespace
{

constexpr std::size_t outLimit = 1 << 16;

void writeAll(int fd, std::string_view text)
{
	while (!text.empty()) {
		const ssize_t n = write(fd, text.data(), text.size());
		if (n > 0)
			text.remove_prefix(static_cast<size_t>(n));
		else if (n == 0 || errno != EINTR)
			return;
	}
}

} // namespace

// Where the two streams go, which decides how the record is written.
struct Record::Streams {
	bool progress;     // standard error is a terminal
	bool sameTerminal; // and standard output is that terminal too
	bool lineByLine;   // standard output is a terminal of its own
	bool sameFile;     // both are one file

	static Streams of(const RecordForm &form)
	{
		struct stat out;
		struct stat err;
		const bool known = fstat(form.out, &out) == 0 && fstat(form.err, &err) == 0;
		Streams s{};
		s.progress = isatty(form.err) != 0;
		s.sameTerminal =
		    s.progress && isatty(form.out) && known && out.st_rdev == err.st_rdev;
		s.lineByLine = isatty(form.out) && !s.sameTerminal;
		s.sameFile = !s.sameTerminal && known && out.st_dev == err.st_dev &&
			     out.st_ino == err.st_ino;
		return s;
	}
};

bool Record::outputWritable(int out)
{
	const int mode = fcntl(out, F_GETFL);
	if (mode >= 0 && (mode & O_ACCMODE) != O_RDONLY)
		return true;
	(void)std::fprintf(stderr, "%s: write error: %s; nothing renamed\n", program,
			   std::strerror(mode < 0 ? errno : EBADF));
	return false;
}

Record::Record(RecordForm form) : Record(form, Streams::of(form)) {}

Record::Record(RecordForm form, const Streams &s)
    : form_(form), progress_(s.progress, form.plan), sameTerminal_(s.sameTerminal),
      lineByLine_(s.lineByLine), sameFile_(s.sameFile)
{
	out_.reserve(outLimit);
}

void Record::rename(std::string_view prefix, std::string_view old, std::string_view to)
{
	const std::lock_guard<std::mutex> hold(lock_);
	pair(prefix, old, " -> ", to);
	progress_.renamed();
	showProgress();
}

// A line of the record on standard output: with -0, the two paths each
// ending in NUL. A line of -k gives the data's name alone.
void Record::pair(std::string_view prefix, std::string_view old, std::string_view between,
		  std::string_view to, bool toPath)
{
	if (!out_.empty() &&
	    out_.size() + 2 * prefix.size() + old.size() + between.size() + to.size() + 2 >
		outLimit)
		flush();
	out_.append(prefix).append(old);
	out_.append(form_.nul ? std::string_view("\0", 1) : between);
	out_.append(toPath || form_.nul ? prefix : std::string_view{}).append(to);
	out_.push_back(form_.nul ? '\0' : '\n');
	if (lineByLine_ || writeError_ != 0)
		flush();
}

void Record::disagrees(std::string_view prefix, std::string_view name, std::string_view says,
		       std::string_view dataName)
{
	const std::lock_guard<std::mutex> hold(lock_);
	status_ = 1;
	disagree_++;
	pair(prefix, name, std::string(": ").append(says).append("; the data name it "),
	     dataName, false);
	showProgress();
}

void Record::checked()
{
	const std::lock_guard<std::mutex> hold(lock_);
	checked_++;
}

void Record::passedOver()
{
	const std::lock_guard<std::mutex> hold(lock_);
	passedOver_++;
}

void Record::left(std::string_view prefix, std::string_view name, const NotRenamed &why)
{
	message(prefix, name, "not renamed", why.reason, why.kind.empty() ? why.reason : why.kind);
}

void Record::exists(std::string_view prefix, std::string_view name, std::string_view to)
{
	const std::string taken = std::string(prefix).append(to).append(" exists");
	message(prefix, name, "not renamed", taken, "new name exists");
}

void Record::report(std::string_view prefix, std::string_view name, std::string_view what,
		    std::string_view reason)
{
	message(prefix, name, what, reason);
}

void Record::note(std::string_view prefix, std::string_view name, std::string_view note)
{
	message(prefix, name, "note", note, {}, false);
}

void Record::unknownRate()
{
	const std::lock_guard<std::mutex> hold(lock_);
	unknownRate_++;
}

void Record::message(std::string_view prefix, std::string_view name, std::string_view what,
		     std::string_view reason, std::string_view leftAs, bool fault)
{
	const std::lock_guard<std::mutex> hold(lock_);
	if (fault)
		status_ = 1;
	if (!leftAs.empty()) {
		progress_.left();
		if (const auto k = left_.find(leftAs); k != left_.end())
			k->second++;
		else
			left_.emplace(leftAs, 1);
	}
	if (writeError_ != 0)
		return;
	std::string line;
	line.append(prefix).append(name).append(": ").append(what).append(": ");
	line.append(reason).push_back('\n');
	startMessage();
	writeAll(form_.err, line);
	showProgress();
}

void Record::fault(std::string_view what)
{
	stop();
	const std::lock_guard<std::mutex> hold(lock_);
	status_ = 1;
	if (writeError_ != 0)
		return;
	startMessage();
	writeAll(form_.err, std::string(program).append(": ").append(what).append("; stopped\n"));
}

void Record::folder(std::size_t candidates)
{
	const std::lock_guard<std::mutex> hold(lock_);
	progress_.folder(candidates);
	showProgress();
}

int Record::end()
{
	const std::lock_guard<std::mutex> hold(lock_);
	flush();
	progress_.erase();
	struct stat st;
	if (writeError_ == 0 && fstat(form_.out, &st) == 0 && S_ISREG(st.st_mode))
		(void)fsync(form_.out);
	if ((form_.check || (form_.countLeft && (!left_.empty() || unknownRate_ > 0 ||
						      passedOver_ > 0))) &&
	    writeError_ == 0)
		writeAll(form_.err, countLeft());
	return writeError_ != 0 ? 1 : status_;
}

// Writes the buffer, which ends at a line's end.
void Record::flush()
{
	if (sameTerminal_)
		progress_.erase();
	std::string_view rest = out_;
	while (!rest.empty() && writeError_ == 0) {
		const ssize_t n = write(form_.out, rest.data(), rest.size());
		if (n > 0) {
			rest.remove_prefix(static_cast<size_t>(n));
		} else if (n == 0 || errno != EINTR) {
			writeError_ = n == 0 ? EIO : errno;
			stop();
			progress_.erase();
			writeAll(form_.err, std::string(program) + ": write error: " +
						    std::strerror(writeError_) +
						    "; the record goes on below\n");
			rest = std::string_view(out_).substr(lineStart(out_.size() - rest.size()));
		}
	}
	writeAll(form_.err, rest);
	out_.clear();
}

// Where the line that the byte at `at` belongs to begins: after a newline,
// or with -0 after a pair's second NUL.
std::size_t Record::lineStart(std::size_t at) const
{
	std::size_t begin = 0;
	int nuls = 0;
	for (std::size_t i = 0; i < at; i++)
		if (out_[i] == (form_.nul ? '\0' : '\n') && (!form_.nul || ++nuls % 2 == 0))
			begin = i + 1;
	return begin;
}

// orvane-rename: 3 files left: 2 header names another station, 1 .gz stream
// damaged; the most first; then 412 files passed over: not RINEX
// observation data; then 4 named with an unknown rate, 00U. With -k the
// files checked first: 200 files checked: 3 disagree.
std::string Record::countLeft() const
{
	const auto files = [](std::size_t n) {
		return std::to_string(n) + (n == 1 ? " file" : " files");
	};
	std::vector<std::pair<std::string_view, std::size_t>> kinds(left_.begin(), left_.end());
	std::stable_sort(kinds.begin(), kinds.end(),
			 [](const auto &a, const auto &b) { return a.second > b.second; });
	std::size_t leftFiles = 0;
	std::string counts;
	for (const auto &[kind, n] : kinds) {
		leftFiles += n;
		counts.append(counts.empty() ? "" : ", ").append(std::to_string(n)).append(" ");
		counts.append(kind);
	}
	std::string parts;
	const auto part = [&parts](const std::string &text) {
		parts.append(parts.empty() ? "" : "; ").append(text);
	};
	if (form_.check)
		part(files(checked_) + " checked: " +
		     (disagree_ > 0 ? std::to_string(disagree_) : std::string("none")) + " disagree");
	if (leftFiles > 0)
		part(files(leftFiles) + " left: " + counts);
	if (passedOver_ > 0)
		part(files(passedOver_) + " passed over: not RINEX observation data");
	if (unknownRate_ > 0)
		part(std::to_string(unknownRate_) + " named with an unknown rate, 00U");
	return std::string(program) + ": " + parts + "\n";
}

// A line on standard error comes after the record before it, above the
// progress line.
void Record::startMessage()
{
	progress_.erase();
	if (sameTerminal_ || sameFile_)
		flush();
}

void Record::showProgress()
{
	if (!progress_.due())
		return;
	if (sameTerminal_)
		flush();
	progress_.draw();
}
