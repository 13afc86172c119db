#include "rules/zlib_stream.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <stdexcept>

namespace vx {

std::string ZlibCompress(std::string_view data) {
  z_stream zs{};
  if (deflateInit(&zs, Z_BEST_COMPRESSION) != Z_OK) throw std::runtime_error("deflateInit failed");
  std::string out;
  char buffer[65536];
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  size_t remaining = data.size();
  int ret;
  do {
    uInt chunk = static_cast<uInt>(std::min<size_t>(remaining, UINT_MAX / 2));
    zs.avail_in = chunk;
    remaining -= chunk;
    int flush = remaining == 0 ? Z_FINISH : Z_NO_FLUSH;
    do {
      zs.next_out = reinterpret_cast<Bytef*>(buffer);
      zs.avail_out = sizeof(buffer);
      ret = deflate(&zs, flush);
      out.append(buffer, sizeof(buffer) - zs.avail_out);
    } while (zs.avail_out == 0);
  } while (remaining > 0);
  deflateEnd(&zs);
  if (ret != Z_STREAM_END) throw std::runtime_error("deflate failed");
  return out;
}

TInflateResult ZlibInflate(std::string_view data, uint64_t limit, std::string* out) {
  out->clear();
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) return TInflateResult::irDamaged;
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  size_t remaining = data.size();
  char buffer[65536];
  TInflateResult result = TInflateResult::irTruncated;
  for (;;) {
    if (zs.avail_in == 0 && remaining > 0) {
      uInt chunk = static_cast<uInt>(std::min<size_t>(remaining, UINT_MAX / 2));
      zs.avail_in = chunk;
      remaining -= chunk;
    }
    uint64_t room = limit - out->size();
    zs.next_out = reinterpret_cast<Bytef*>(buffer);
    zs.avail_out = static_cast<uInt>(std::min<uint64_t>(room, sizeof(buffer)));
    if (zs.avail_out == 0) {
      result = TInflateResult::irLimitReached;
      break;
    }
    uInt before_in = zs.avail_in;
    int ret = inflate(&zs, Z_NO_FLUSH);
    size_t produced = static_cast<size_t>(zs.next_out - reinterpret_cast<Bytef*>(buffer));
    out->append(buffer, produced);
    if (ret == Z_STREAM_END) {
      result = TInflateResult::irComplete;
      break;
    }
    if (ret == Z_NEED_DICT || ret == Z_DATA_ERROR || ret == Z_MEM_ERROR || ret == Z_STREAM_ERROR) {
      result = TInflateResult::irDamaged;
      break;
    }
    // No progress and no input left: the stream was cut short.
    if (produced == 0 && zs.avail_in == before_in && remaining == 0 && zs.avail_in == 0) {
      result = TInflateResult::irTruncated;
      break;
    }
    if (ret == Z_BUF_ERROR && remaining == 0 && zs.avail_in == 0) {
      result = TInflateResult::irTruncated;
      break;
    }
  }
  inflateEnd(&zs);
  return result;
}

uint32_t Crc32(std::string_view data) {
  uLong crc = crc32(0L, Z_NULL, 0);
  const Bytef* p = reinterpret_cast<const Bytef*>(data.data());
  size_t left = data.size();
  while (left > 0) {
    uInt chunk = static_cast<uInt>(std::min<size_t>(left, UINT_MAX / 2));
    crc = crc32(crc, p, chunk);
    p += chunk;
    left -= chunk;
  }
  return static_cast<uint32_t>(crc);
}

}  // namespace vx
