// Digests of the checked file, read through the host in bounded pieces.
#ifndef VX_COMPANIONS_PROBEX_HASH_CHECKS_H_
#define VX_COMPANIONS_PROBEX_HASH_CHECKS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "companions/probex/check_target.h"

namespace vx::companion {

// MD5 (32 lower-case hex digits) of the whole file or of its last
// `tail_count` bytes; false when the file cannot be opened or read, or holds
// fewer bytes than asked for.
bool Md5OfRange(const std::string& path, bool whole_file, uint64_t tail_count,
                std::string* digest);
bool Crc32OfFile(const std::string& path, uint32_t* crc);

bool CheckMd5(TCheckContext& context, std::string_view value);
bool CheckEndMd5(TCheckContext& context, std::string_view value);
bool CheckSizeMd5(TCheckContext& context, std::string_view value);
bool CheckCrc32(TCheckContext& context, std::string_view value);

}  // namespace vx::companion

#endif  // VX_COMPANIONS_PROBEX_HASH_CHECKS_H_
