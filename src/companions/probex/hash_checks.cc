#include "companions/probex/hash_checks.h"

#include <openssl/evp.h>
#include <zlib.h>

#include <memory>
#include <vector>

#include "companions/common/target_access.h"
#include "companions/probex/value_parse.h"

namespace vx::companion {

namespace {

constexpr uint32_t kChunk = 64 * 1024;

// Feeds `length` bytes from `offset` to `consume`, one chunk at a time. False
// when the file ends early or a read fails.
template <typename Consume>
bool ReadRange(TTargetFile& file, uint64_t offset, uint64_t length, Consume consume) {
  std::vector<unsigned char> buffer(kChunk);
  while (length > 0) {
    const uint32_t want = length < kChunk ? static_cast<uint32_t>(length) : kChunk;
    uint32_t got = 0;
    if (!file.ReadAt(offset, buffer.data(), want, &got) || got == 0) return false;
    if (!consume(buffer.data(), got)) return false;
    offset += got;
    length -= got;
  }
  return true;
}

struct TMdContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

}  // namespace

bool Md5OfRange(const std::string& path, bool whole_file, uint64_t tail_count,
                std::string* digest) {
  TTargetFile file;
  if (path.empty() || !file.Open(path)) return false;
  const uint64_t size = file.Size();
  if (!whole_file && tail_count > size) return false;
  const uint64_t offset = whole_file ? 0 : size - tail_count;
  const uint64_t length = whole_file ? size : tail_count;

  std::unique_ptr<EVP_MD_CTX, TMdContextFree> md(EVP_MD_CTX_new());
  if (!md || EVP_DigestInit_ex(md.get(), EVP_md5(), nullptr) != 1) return false;
  const bool read = ReadRange(file, offset, length, [&](const unsigned char* data, uint32_t n) {
    return EVP_DigestUpdate(md.get(), data, n) == 1;
  });
  unsigned char raw[EVP_MAX_MD_SIZE];
  unsigned int raw_size = 0;
  if (!read || EVP_DigestFinal_ex(md.get(), raw, &raw_size) != 1) return false;
  std::string hex;
  for (unsigned int i = 0; i < raw_size; ++i) {
    hex += "0123456789abcdef"[raw[i] >> 4];
    hex += "0123456789abcdef"[raw[i] & 15];
  }
  *digest = std::move(hex);
  return true;
}

bool Crc32OfFile(const std::string& path, uint32_t* crc) {
  TTargetFile file;
  if (path.empty() || !file.Open(path)) return false;
  uLong value = crc32(0L, Z_NULL, 0);
  if (!ReadRange(file, 0, file.Size(), [&](const unsigned char* data, uint32_t n) {
        value = crc32(value, data, n);
        return true;
      })) {
    return false;
  }
  *crc = static_cast<uint32_t>(value);
  return true;
}

bool CheckMd5(TCheckContext& context, std::string_view value) {
  std::string wanted, actual;
  return ParseMd5Hex(value, &wanted) && context.target.RegularFile() != nullptr &&
         Md5OfRange(context.target.File(), true, 0, &actual) && actual == wanted;
}

bool CheckEndMd5(TCheckContext& context, std::string_view value) {
  uint64_t count = 0;
  std::string wanted, actual;
  return ParseCountAndMd5(value, &count, &wanted) && context.target.RegularFile() != nullptr &&
         Md5OfRange(context.target.File(), false, count, &actual) && actual == wanted;
}

bool CheckSizeMd5(TCheckContext& context, std::string_view value) {
  uint64_t size = 0;
  std::string wanted, actual;
  if (!ParseCountAndMd5(value, &size, &wanted)) return false;
  // The size decides most files without reading them.
  const VxFileInfo* info = context.target.RegularFile();
  if (info == nullptr || info->size != size) return false;
  return Md5OfRange(context.target.File(), true, 0, &actual) && actual == wanted;
}

bool CheckCrc32(TCheckContext& context, std::string_view value) {
  uint32_t wanted = 0, actual = 0;
  return ParseHex32(value, &wanted) && context.target.RegularFile() != nullptr &&
         Crc32OfFile(context.target.File(), &actual) && actual == wanted;
}

}  // namespace vx::companion
