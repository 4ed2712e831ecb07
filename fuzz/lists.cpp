/*
 * libFuzzer harness for the station lists' reader. The input's first byte
 * picks how its second file is named; the rest is one file, or two where a
 * form feed pair "\f\f" parts them. The first is read as a list named alone,
 * a text list, a site log or GeodesyML by its content; then both as the logs
 * of a folder, the first dated by its file name and the second, as bit 0
 * says, by its name too or by what it says it was prepared on. Every name
 * looked up must be a station's nine characters, the code in lower case.
 */
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>

#include "stations/listednames.h"
#include "stations/lists.h"

static std::string folder;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
	char path[] = "/tmp/orvane-fuzz-lists-XXXXXX";
	if (mkdtemp(path) == nullptr) {
		perror("fuzz: folder");
		abort();
	}
	folder = path;
	if (mkdir((folder + "/logs").c_str(), 0700) != 0 ||
	    mkdir((folder + "/logs/sub").c_str(), 0700) != 0) {
		perror("fuzz: folder of logs");
		abort();
	}
	return 0;
}

static void put(const std::string &path, std::string_view text)
{
	const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
	if (fd < 0 || write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
		perror("fuzz: file");
		abort();
	}
	close(fd);
}

static bool isDigit(char c)
{
	return c >= '0' && c <= '9';
}

static bool isUpper(char c)
{
	return c >= 'A' && c <= 'Z';
}

static void lookUp(const ListedNames &names, std::string_view text)
{
	for (const std::string code : {std::string(text.substr(0, 4)), std::string("abmf")}) {
		const char *name = listedName(names, code.c_str()).name;
		if (name == nullptr)
			continue;
		const std::string_view n(name);
		if (n.size() != 9 || isUpper(n[0]) || isUpper(n[1]) || isUpper(n[2]) ||
		    isUpper(n[3]) || !isDigit(n[4]) || !isDigit(n[5]) || !isUpper(n[6]) ||
		    !isUpper(n[7]) || !isUpper(n[8])) {
			fprintf(stderr, "fuzz: listed name '%s' is no station name\n", name);
			abort();
		}
	}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	if (size < 1)
		return 0;
	const bool secondDated = data[0] & 1;
	const std::string_view body(reinterpret_cast<const char *>(data) + 1, size - 1);
	const size_t cut = body.find("\f\f");
	const std::string_view first = body.substr(0, cut);

	put(folder + "/alone", first);
	{
		ListedNames names;
		(void)readStationLists({folder + "/alone"}, names);
		lookUp(names, first);
	}

	put(folder + "/logs/abmf_20200101.log", first);
	const std::string second =
	    folder + (secondDated ? "/logs/sub/abmf00fra_20240101.log" : "/logs/sub/abmf.log");
	unlink((folder + "/logs/sub/abmf00fra_20240101.log").c_str());
	unlink((folder + "/logs/sub/abmf.log").c_str());
	if (cut != std::string_view::npos)
		put(second, body.substr(cut + 2));
	{
		ListedNames names;
		(void)readStationLists({folder + "/logs"}, names);
		lookUp(names, first);
	}
	return 0;
}
