/*
 * The text of a file through its compression, by the decoder of its row of
 * the compression table. Each decoder gives out only as much as it is asked
 * for, so a file is read only as far as its text is needed. Damage after the
 * text given out is reported at the next call, so that it never leaves a
 * file whose needed part was whole. A stream's checksum is checked only
 * where its end is read.
 */
#include "rinex/decode.h"

namespace rinex
{

Decoder::Decoder() : streams_(compressionRows().size()) {}
Decoder::~Decoder() = default;

void Decoder::start(int fd, Compression compression)
{
	const CompressionRow &row = compressionRow(compression);
	std::unique_ptr<Stream> &stream = streams_[static_cast<size_t>(row.kind)];
	if (!stream)
		stream = row.decoder(row);
	stream_ = stream.get();
	input_.start(fd);
	stream_->start(input_);
}

} // namespace rinex
