#include "tree.h"

#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

void make(const std::string &path)
{
	const size_t arrow = path.find(" -> "), colon = path.find(": ");
	const std::string name = path.substr(0, std::min(arrow, colon));
	const fs::path folder = fs::path(name).parent_path();
	if (!folder.empty())
		fs::create_directories(folder);
	if (arrow != std::string::npos)
		fs::create_symlink(path.substr(arrow + 4), name);
	else
		std::ofstream(name) << (colon != std::string::npos ? path.substr(colon + 2) : path);
}

Lines listing()
{
	Lines files;
	for (const auto &e : fs::recursive_directory_iterator(".")) {
		const std::string path = e.path().lexically_relative(".").string();
		if (e.is_symlink()) {
			files.push_back(path + " -> " + fs::read_symlink(e.path()).string());
		} else if (e.is_regular_file()) {
			std::ostringstream content;
			content << std::ifstream(e.path()).rdbuf();
			files.push_back(path + ": " + content.str());
		}
	}
	std::sort(files.begin(), files.end());
	return files;
}

Lines linesOf(const std::string &text)
{
	Lines lines;
	std::istringstream in(text);
	for (std::string line; std::getline(in, line);)
		lines.push_back(line);
	return lines;
}

Lines sorted(const std::string &text)
{
	Lines lines;
	std::istringstream in(text);
	for (std::string line; std::getline(in, line);)
		lines.push_back(line);
	std::sort(lines.begin(), lines.end());
	return lines;
}

std::string joined(const Lines &lines)
{
	std::string text;
	for (const std::string &line : lines)
		text += line + "\n";
	return text;
}

Lines shortNames(size_t count)
{
	static const char *const stations[] = {"abmf", "algo", "brux", "gope", "wtzr", "zimm"};
	Lines names;
	for (const char *s : stations)
		for (int day = 1; day <= 366; day++)
			for (int year = 16; year <= 20 && names.size() < count; year++) {
				char name[32];
				snprintf(name, sizeof name, "%s%03d0.%02do", s, day, year);
				names.push_back(name);
			}
	return names;
}

size_t countNames(const std::string &folder, const std::string &ending)
{
	size_t n = 0;
	for (const auto &e : fs::recursive_directory_iterator(folder))
		n += e.path().string().size() >= ending.size() &&
		     e.path().string().compare(e.path().string().size() - ending.size(),
					       ending.size(), ending) == 0;
	return n;
}

const Lines tree = {
    "tree/2016/001/abmf0010.16d.Z",
    "tree/2016/001/brux001a.16n.gz",
    "tree/2016/001/zimm001a15.21o.bz2",
    "tree/2016/001/algo3650.23o",
    "tree/2016/001/xxxx0010.16o",
    "tree/2016/001/ABMF0020.16O",
    "tree/2016/001/README",
    "tree/2016/001/abmf0010.16o.txt",
    "tree/2016/001/bjfs0010.16o -> ../../../outside/bjfs0010.16o",
    "tree/2020/gope0010.20o",
    "tree/2020/GOPE00CZE_R_20200010000_01D_30S_MO.rnx",
    "tree/link -> ../outside",
    "tree/new\nline/wtzr0010.16o",
    "outside/bjfs0010.16o",
};

// Folders and names in byte order, whatever the file system's order.
const Lines treeRenames = {
    "tree/2016/001/abmf0010.16d.Z -> tree/2016/001/ABMF00GLP_R_20160010000_01D_30S_MO.crx.Z",
    "tree/2016/001/algo3650.23o -> tree/2016/001/ALGO00CAN_R_20233650000_01D_30S_MO.rnx",
    "tree/2016/001/brux001a.16n.gz -> tree/2016/001/BRUX00BEL_R_20160010000_01H_GN.rnx.gz",
    "tree/2016/001/zimm001a15.21o.bz2 -> tree/2016/001/ZIMM00CHE_R_20210010015_15M_01S_MO.rnx.bz2",
    "tree/new\nline/wtzr0010.16o -> tree/new\nline/WTZR00DEU_R_20160010000_01D_30S_MO.rnx",
};

const Lines treeLeft = {
    "tree/2016/001/ABMF0020.16O: not renamed: File extension not supported",
    "tree/2016/001/xxxx0010.16o: not renamed: Station Name not found",
    "tree/2020/gope0010.20o: not renamed: tree/2020/GOPE00CZE_R_20200010000_01D_30S_MO.rnx exists",
};

const Lines treeAfter = {
    "outside/bjfs0010.16o: outside/bjfs0010.16o",
    "tree/2016/001/ABMF0020.16O: tree/2016/001/ABMF0020.16O",
    "tree/2016/001/ABMF00GLP_R_20160010000_01D_30S_MO.crx.Z: tree/2016/001/abmf0010.16d.Z",
    "tree/2016/001/ALGO00CAN_R_20233650000_01D_30S_MO.rnx: tree/2016/001/algo3650.23o",
    "tree/2016/001/BRUX00BEL_R_20160010000_01H_GN.rnx.gz: tree/2016/001/brux001a.16n.gz",
    "tree/2016/001/README: tree/2016/001/README",
    "tree/2016/001/ZIMM00CHE_R_20210010015_15M_01S_MO.rnx.bz2: tree/2016/001/zimm001a15.21o.bz2",
    "tree/2016/001/abmf0010.16o.txt: tree/2016/001/abmf0010.16o.txt",
    "tree/2016/001/bjfs0010.16o -> ../../../outside/bjfs0010.16o",
    "tree/2016/001/xxxx0010.16o: tree/2016/001/xxxx0010.16o",
    "tree/2020/GOPE00CZE_R_20200010000_01D_30S_MO.rnx: tree/2020/GOPE00CZE_R_20200010000_01D_30S_MO.rnx",
    "tree/2020/gope0010.20o: tree/2020/gope0010.20o",
    "tree/link -> ../outside",
    "tree/new\nline/WTZR00DEU_R_20160010000_01D_30S_MO.rnx: tree/new\nline/wtzr0010.16o",
};

void makeTree()
{
	for (const std::string &f : tree)
		make(f);
}
