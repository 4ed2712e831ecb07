/*
 * headerjudge: the header reader alone over the files of each FOLDER, as
 * headerloop goes over them: each opened in the same way and judged against
 * its short name (daily, hourly and 15-minute names; .gz, .bz2, .Z or
 * none). It prints how many files were judged, kept and left, and the first
 * reason a file was left. It measures what -H adds to a file before the
 * renamer itself does.
 *
 * usage: headerjudge FOLDER...
 */
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>

#include "header.h"

// What a short name says, for names ssssdddh[mm].yyt[.Z|.gz|.bz2].
static bool nameSays(std::string_view name, NameSays &says, Compression &compression)
{
	const size_t dot = name.size() > 8 && name[8] == '.' ? 8 : 10;
	if (name.size() < dot + 4 || name[dot] != '.')
		return false;
	says = NameSays{};
	says.station = name.substr(0, 4);
	says.day = std::stoi(std::string(name.substr(4, 3)));
	if (name[7] != '0')
		says.hour = name[7] - 'a';
	if (dot == 10)
		says.minute = std::stoi(std::string(name.substr(8, 2)));
	const int yy = std::stoi(std::string(name.substr(dot + 1, 2)));
	says.year = yy > 80 ? 1900 + yy : 2000 + yy;
	says.type = name[dot + 3];
	const std::string_view suffix = name.substr(dot + 4);
	compression = suffix == ".gz"	 ? Compression::gzip
		      : suffix == ".bz2" ? Compression::bzip2
		      : suffix == ".Z"	 ? Compression::compress
					 : Compression::none;
	return true;
}

int main(int argc, char **argv)
{
	HeaderReader reader;
	size_t files = 0, kept = 0;
	std::string firstLeft;

	if (argc < 2) {
		fprintf(stderr, "usage: headerjudge FOLDER...\n");
		return 2;
	}
	for (int i = 1; i < argc; i++) {
		const int dirFd = open(argv[i], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
		DIR *dir = dirFd >= 0 ? fdopendir(dirFd) : nullptr;
		if (dir == nullptr) {
			fprintf(stderr, "headerjudge: %s: %s\n", argv[i], strerror(errno));
			return 1;
		}
		for (const dirent *e; (e = readdir(dir)) != nullptr;) {
			NameSays says;
			Compression compression = Compression::none;
			if (e->d_type != DT_REG || !nameSays(e->d_name, says, compression))
				continue;
			const int fd = openat(dirFd, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
			struct stat st;
			if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
				fprintf(stderr, "headerjudge: %s/%s: not opened as a regular file\n", argv[i],
					e->d_name);
				return 1;
			}
			const Verdict v = reader.judge(fd, compression, says);
			close(fd);
			files++;
			if (!v.left)
				kept++;
			else if (firstLeft.empty())
				firstLeft = std::string(e->d_name) + ": not renamed: " + v.why;
		}
		closedir(dir);
	}
	printf("%zu files, %zu kept, %zu left%s%s\n", files, kept, files - kept,
	       firstLeft.empty() ? "" : ", first ", firstLeft.c_str());
	return 0;
}
