// Trees of files for orvane-rename to walk, made in the current folder.
// Every file holds its first name, so a listing shows what went where.
#ifndef ORVANE_TESTS_SUPPORT_TREE_H
#define ORVANE_TESTS_SUPPORT_TREE_H

#include <cstddef>
#include <string>
#include <vector>

#include "folder.h"

using Lines = std::vector<std::string>;

// Each test runs in a folder of its own, a candidate planted beside it.
class Rename : public InOwnFolder<>
{
};

// A file holding its own path, or as listing() shows them, a file
// "name: content" or a link "name -> target".
void make(const std::string &path);

// "path: content" of every file below the current folder; "path -> target"
// of every link.
Lines listing();

// The lines of a text, in their order.
Lines linesOf(const std::string &text);

// Lines in byte order, for runs whose order is not fixed (-j).
Lines sorted(const std::string &text);

std::string joined(const Lines &lines);

// Short names of catalogue stations, count of them (up to 10,980), in byte
// order.
Lines shortNames(size_t count);

// The paths below folder that end so.
size_t countNames(const std::string &folder, const std::string &ending);

// Nested folders, each compression suffix, hourly and 15-minute names, names
// refused by orvane, a name that is no short name, a collision, a folder name
// with a newline, and links out of the tree that must not be followed.
extern const Lines tree;
// What a run over it prints and leaves: renames, folders and names in byte
// order whatever the file system's order; the files left; the listing after.
extern const Lines treeRenames;
extern const Lines treeLeft;
extern const Lines treeAfter;

void makeTree();

#endif
