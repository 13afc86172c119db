// zlib streams with a hard ceiling on what inflating may produce: lengths in
// rule files are never trusted to size a buffer.
#ifndef VX_RULES_ZLIB_STREAM_H_
#define VX_RULES_ZLIB_STREAM_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace vx {

// zlib format (header and Adler-32), best compression.
std::string ZlibCompress(std::string_view data);

enum class TInflateResult { irComplete, irTruncated, irDamaged, irLimitReached };

// Inflates `data` into `out`, stopping once `limit` bytes have come out (the
// stream is not read further then: irLimitReached). irComplete: the stream
// ended properly within the limit. irTruncated: the input ended before the
// stream did. irDamaged: zlib rejected the data. `out` holds what came out
// before the stop in every case.
TInflateResult ZlibInflate(std::string_view data, uint64_t limit, std::string* out);

uint32_t Crc32(std::string_view data);

}  // namespace vx

#endif  // VX_RULES_ZLIB_STREAM_H_
