// openat with O_NOFOLLOW is Linux's.
#include "rename/headercheck.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "rinex/compression.h"
#include "rinex/namesays.h"
#include "util/fd.h"

namespace
{

struct Opened {
	Fd fd;
	struct stat st;
};

// Why a file was not opened; whether it is a link or of no regular kind.
struct NotOpened {
	NotRenamed why;
	bool irregular = false;
};

// A regular file, opened in its folder; never through a link.
std::variant<Opened, NotOpened> openRegular(const Place &place, const char *name)
{
	Opened o{Fd(openat(place.fd, name,
			   O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)),
		 {}};
	if (!o.fd && errno == ELOOP)
		return NotOpened{{"symbolic link, not read"}, true};
	if (!o.fd || fstat(o.fd.get(), &o.st) != 0)
		return NotOpened{{std::strerror(errno)}};
	if (!S_ISREG(o.st.st_mode))
		return NotOpened{{"not a regular file, not read"}, true};
	return o;
}

// What was read is the file's, not whatever holds its name now.
bool stillThere(const Place &place, const char *name, const struct stat &st)
{
	struct stat now;
	return fstatat(place.fd, name, &now, AT_SYMLINK_NOFOLLOW) == 0 &&
	       now.st_dev == st.st_dev && now.st_ino == st.st_ino;
}

} // namespace

std::variant<Verdict, NotRenamed> readHeader(HeaderReader &reader, const Place &place,
					     const char *name)
{
	auto opened = openRegular(place, name);
	if (auto *left = std::get_if<NotOpened>(&opened))
		return std::move(left->why);
	const Opened &o = std::get<Opened>(opened);
	Verdict v = reader.judge(o.fd.get(), compressionOf(name), nameSays(name).value());
	if (!v.kept())
		return NotRenamed{std::move(v.why), std::move(v.kind)};
	if (!stillThere(place, name, o.st))
		return NotRenamed{"changed while read"};
	return v;
}

ReadContent readContent(HeaderReader &reader, const Place &place, const char *name,
			bool anyName)
{
	auto opened = openRegular(place, name);
	if (auto *left = std::get_if<NotOpened>(&opened)) {
		if (anyName && left->irregular)
			return rinex::PassedOver{false};
		return std::move(left->why);
	}
	const Opened &o = std::get<Opened>(opened);
	rinex::ContentRead read = reader.content(o.fd.get());
	if (auto *f = std::get_if<rinex::Failure>(&read))
		return NotRenamed{std::move(f->why), std::move(f->kind)};
	if (std::holds_alternative<rinex::Content>(read) && !stillThere(place, name, o.st))
		return NotRenamed{"changed while read"};
	if (auto *passed = std::get_if<rinex::PassedOver>(&read))
		return *passed;
	return std::move(std::get<rinex::Content>(read));
}
