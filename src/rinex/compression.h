// The compressions a candidate's name may end in, a row each: the suffix
// that says it, the bytes each of its streams begins with, and its decoder.
// A compression more is a row more, and its decoder.
#ifndef ORVANE_COMPRESSION_H
#define ORVANE_COMPRESSION_H

#include <memory>
#include <span>
#include <string_view>

enum class Compression { none, compress, gzip, bzip2 };

namespace rinex
{
class Stream;
}

struct CompressionRow {
	Compression kind;
	std::string_view suffix; // ".gz"; empty for none
	std::string_view magic;  // empty for none
	std::unique_ptr<rinex::Stream> (*decoder)(const CompressionRow &row);
};

// Every row, in the order of Compression.
std::span<const CompressionRow> compressionRows();
const CompressionRow &compressionRow(Compression kind);

// The compression whose suffix ends the name, after something; none where
// no suffix does.
Compression compressionOf(std::string_view name);

#endif
