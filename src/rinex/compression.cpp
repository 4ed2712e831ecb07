#include "rinex/compression.h"

#include <algorithm>
#include <array>

#include "rinex/stream.h"

namespace
{

constexpr std::array<CompressionRow, 4> rows{{
    {Compression::none, "", "", rinex::plainDecoder},
    {Compression::compress, ".Z", "\x1f\x9d", rinex::lzwDecoder},
    {Compression::gzip, ".gz", "\x1f\x8b", rinex::gzipDecoder},
    {Compression::bzip2, ".bz2", "BZh", rinex::bzip2Decoder},
}};

} // namespace

std::span<const CompressionRow> compressionRows()
{
	return rows;
}

const CompressionRow &compressionRow(Compression kind)
{
	return rows[static_cast<size_t>(kind)];
}

Compression compressionOf(std::string_view name)
{
	const auto *const row = std::find_if(rows.begin() + 1, rows.end(), [name](const auto &r) {
		return name.size() > r.suffix.size() && name.ends_with(r.suffix);
	});
	return row != rows.end() ? row->kind : Compression::none;
}
