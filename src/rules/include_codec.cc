#include "rules/include_codec.h"

#include <cstdint>
#include <utility>

#include "rules/base64.h"
#include "rules/include_format.h"
#include "rules/zlib_stream.h"

namespace vx {

namespace fmt = include_format;

namespace {

std::string KeyText(const uint8_t (&table)[fmt::kKeyTableSize]) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(fmt::kKeyTableSize * 2);
  for (uint8_t b : table) {
    text += kHex[b >> 4];
    text += kHex[b & 15];
  }
  return text;
}

TSapphire KeyedCipher(const uint8_t (&table)[fmt::kKeyTableSize]) {
  TSapphire cipher;
  cipher.Initialize(Sapphire320Digest(KeyText(table)));
  return cipher;
}

}  // namespace

TSapphire IncludeFileCipher() {
  static const TSapphire keyed = KeyedCipher(fmt::kIncludeFileKeyTable);
  return keyed;
}

TSapphire ListFileCipher() {
  static const TSapphire keyed = KeyedCipher(fmt::kListFileKeyTable);
  return keyed;
}

bool DecodeIncludeLine(std::string_view line, std::string* out) {
  if (line.size() < fmt::kMinCodedLineLength) {
    out->assign(line);
    return true;
  }
  if (line.starts_with(fmt::kScrambledMarker)) {
    out->assign(line);
    for (size_t j = 2; j < out->size(); ++j) {
      (*out)[j] = static_cast<char>(static_cast<uint8_t>((*out)[j]) + (j + 1) % 3);
    }
    return true;
  }
  if (line.starts_with(fmt::kEncryptedMarker)) {
    std::string bytes;
    if (!Base64Decode(line.substr(fmt::kEncryptedMarker.size()), &bytes)) return false;
    TSapphire cipher = IncludeFileCipher();
    cipher.DecryptInPlace(bytes);
    out->assign(fmt::kEncryptedMarker);
    out->append(bytes);
    return true;
  }
  out->assign(line);
  return true;
}

std::string ScrambleLine(std::string_view body) {
  std::string out(fmt::kScrambledMarker);
  out.append(body);
  for (size_t j = 2; j < out.size(); ++j) {
    out[j] = static_cast<char>(static_cast<uint8_t>(out[j]) - (j + 1) % 3);
  }
  return out;
}

std::string EncryptLine(std::string_view body) {
  std::string bytes(body);
  TSapphire cipher = IncludeFileCipher();
  cipher.EncryptInPlace(bytes);
  return std::string(fmt::kEncryptedMarker) + Base64Encode(bytes);
}

bool IsContainer(std::string_view file_bytes) {
  return file_bytes.starts_with(fmt::kContainerMagic);
}

bool UnpackContainer(std::string_view file_bytes, std::string* text) {
  if (!IsContainer(file_bytes) || file_bytes.size() < fmt::kContainerHeaderSize) return false;
  uint64_t length = 0;
  for (int i = 7; i >= 0; --i) {
    length = (length << 8) | static_cast<uint8_t>(file_bytes[fmt::kContainerLengthOffset + i]);
  }
  std::string body(file_bytes.substr(fmt::kContainerHeaderSize));
  if (length > fmt::kMaxTextSize || length > body.size() * fmt::kMaxInflateRatio) return false;
  TSapphire cipher = IncludeFileCipher();
  cipher.DecryptInPlace(body);
  std::string inflated;
  TInflateResult r = ZlibInflate(body, length, &inflated);
  // Exactly the announced length counts, even when the stream stops right
  // after it; fewer bytes or rejected data mean a damaged file.
  if (r == TInflateResult::irDamaged || inflated.size() != length) return false;
  *text = std::move(inflated);
  return true;
}

std::string PackContainer(std::string_view text) {
  std::string body = ZlibCompress(text);
  TSapphire cipher = IncludeFileCipher();
  cipher.EncryptInPlace(body);
  std::string out(fmt::kContainerMagic);
  uint64_t length = text.size();
  for (int i = 0; i < 8; ++i) out += static_cast<char>((length >> (8 * i)) & 0xFF);
  out += body;
  return out;
}

std::string DecryptListFile(std::string_view file_bytes) {
  std::string text(file_bytes);
  TSapphire cipher = ListFileCipher();
  cipher.DecryptInPlace(text);
  return text;
}

std::string EncryptListFile(std::string_view text) {
  std::string bytes(text);
  TSapphire cipher = ListFileCipher();
  cipher.EncryptInPlace(bytes);
  return bytes;
}

bool IsCompressedInfo(std::string_view file_bytes) {
  return file_bytes.size() >= fmt::kInfoMinCompressedSize &&
         file_bytes.starts_with(fmt::kInfoCompressedMagic);
}

std::string DecompressInfo(std::string_view file_bytes, bool* complete) {
  std::string text;
  if (complete) *complete = false;
  if (!IsCompressedInfo(file_bytes)) return text;
  TInflateResult r =
      ZlibInflate(file_bytes.substr(fmt::kInfoCompressedMagic.size()), fmt::kMaxTextSize, &text);
  if (complete) *complete = r == TInflateResult::irComplete;
  return text;
}

std::string CompressInfo(std::string_view text) {
  return std::string(fmt::kInfoCompressedMagic) + ZlibCompress(text);
}

}  // namespace vx
