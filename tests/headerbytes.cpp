// The bytes of the header reader's test files: compressed by the commands
// that make such files in archives, then damaged as a case says.
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "headercases.h"
#include "support/run.h"

namespace
{

std::string readFile(const std::string &path)
{
	std::ifstream in(path, std::ios::binary);
	std::ostringstream s;
	s << in.rdbuf();
	return s.str();
}

std::string commandPath(const std::string &name)
{
	const char *path = getenv("PATH");
	std::istringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
	for (std::string dir; std::getline(dirs, dir, ':');)
		if (access((dir + "/" + name).c_str(), X_OK) == 0)
			return dir + "/" + name;
	return "";
}

} // namespace

MadeBytes compressed(const std::string &text, const std::string &suffix,
		     const std::vector<std::string> &options)
{
	if (suffix.empty())
		return {text, ""};
	const std::string command = suffix == ".Z" ? "compress" : suffix == ".gz" ? "gzip" : "bzip2";
	const std::string path = commandPath(command);
	if (path.empty())
		return {"", command + " is missing (Debian: " + (command == "compress" ? "ncompress" : command) + ")"};
	char name[] = "/tmp/orvane-header-XXXXXX";
	const int fd = mkstemp(name);
	if (fd < 0 || write(fd, text.data(), text.size()) != ssize_t(text.size()))
		throw std::runtime_error("cannot write a file to compress");
	close(fd);
	std::vector<std::string> argv{command, "-c"};
	argv.push_back(command == "gzip" ? "-n" : "-f");
	argv.insert(argv.end(), options.begin(), options.end());
	argv.push_back(name);
	const Result r = runArgv(path, argv);
	unlink(name);
	if (r.status != 0 && !(command == "compress" && r.status == 2))
		throw std::runtime_error(command + " failed: " + r.err);
	return {r.out, ""};
}

MadeBytes makeBytes(const HeaderCase &c)
{
	MadeBytes made;
	if (!c.file.empty()) {
		made.bytes = readFile(std::string(HEADER_DATA) + "/" + c.file);
	} else {
		std::string suffix;
		for (const char *s : {".Z", ".gz", ".bz2"})
			if (c.name.size() > strlen(s) && c.name.compare(c.name.size() - strlen(s), strlen(s), s) == 0)
				suffix = s;
		std::vector<size_t> at{0};
		if (suffix == ".gz" || suffix == ".bz2")
			at.insert(at.end(), c.parts.begin(), c.parts.end());
		at.push_back(c.text.size());
		for (size_t i = 0; i + 1 < at.size(); i++) {
			const MadeBytes part = compressed(c.text.substr(at[i], at[i + 1] - at[i]), suffix);
			if (!part.missing.empty())
				return part;
			made.bytes += part.bytes;
		}
		made.bytes += c.tail;
	}
	if (c.cut)
		made.bytes.resize(std::min(made.bytes.size(), size_t(*c.cut >= 0 ? *c.cut : long(made.bytes.size()) + *c.cut)));
	for (const auto &[at, value] : c.set)
		made.bytes.at(at >= 0 ? size_t(at) : made.bytes.size() - size_t(-at)) = char(value);
	return made;
}

std::string mixedText()
{
	std::mt19937 random(1);
	std::vector<std::string> words;
	for (int i = 0; i < 3000; i++) {
		std::string w;
		for (int n = 2 + int(random() % 7); n > 0; n--)
			w += char('a' + random() % 10);
		words.push_back(w);
	}
	std::string text;
	for (int i = 0; i < 400'000; i++)
		text += words[random() % words.size()] + (i % 12 == 11 ? '\n' : ' ');
	for (int i = 0; i < 300'000; i++)
		text += char(random());
	for (int i = 0; i < 200'000; i++)
		text += words[size_t(i) % words.size()] + ' ';
	return text;
}

std::optional<Kept> keptOf(const std::string &expected)
{
	const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
	if (!expected.empty() && !(expected.size() >= 3 && isDigit(expected[0]) && isDigit(expected[1]) &&
				   expected[2] >= 'A' && expected[2] <= 'Z'))
		return std::nullopt;
	Kept k;
	std::string rest = expected;
	size_t at = rest.find("; ");
	const std::string fields = rest.substr(0, at);
	k.frequency = fields.substr(0, 3);
	if (fields.size() > 4)
		k.content = fields.substr(4);
	while (at != std::string::npos) {
		const size_t next = rest.find("; ", at + 2);
		k.notes.push_back(rest.substr(at + 2, next == std::string::npos ? next : next - at - 2));
		at = next;
	}
	return k;
}
