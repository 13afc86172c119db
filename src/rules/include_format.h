// The on-disk forms of include files, auxiliary list files and the threat
// information file. The reader (TIncludeFile, TProblemInfoManager) and the
// rule-file tool both take every magic, marker and key from here, so the two
// sides cannot drift apart.
//
// Keys: each 40-byte table below is written as 80 upper-case hexadecimal
// digits; the "Sapphire II-320" digest (the cipher's own hash mode, 40 bytes)
// of that text keys the cipher. Both tables use the same digest. The cipher
// runs as a plain stream (no extra chaining): a container body and a whole list
// file are one stream each, and every encrypted line is a stream of its own,
// started from a freshly keyed cipher.
#ifndef VX_RULES_INCLUDE_FORMAT_H_
#define VX_RULES_INCLUDE_FORMAT_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vx::include_format {

// Container form: "QRI", the text length as 8 bytes little-endian, then the
// enciphered zlib stream of the text.
inline constexpr std::string_view kContainerMagic = "QRI";
inline constexpr size_t kContainerLengthOffset = 3;
inline constexpr size_t kContainerHeaderSize = 11;

// The announced length is never trusted to size a buffer: anything above this
// ceiling, or above what the compressed bytes could give at zlib's best ratio,
// marks the file as damaged.
inline constexpr uint64_t kMaxTextSize = 256ull * 1024 * 1024;
inline constexpr uint64_t kMaxInflateRatio = 1032;

// Text form line markers; only lines longer than kMinCodedLineLength - 1
// characters are decoded.
inline constexpr std::string_view kScrambledMarker = "##";
inline constexpr std::string_view kEncryptedMarker = "#%";
inline constexpr size_t kMinCodedLineLength = 3;
// The interpreter drops marker and separator; the tool writes this separator.
inline constexpr size_t kCodedPrefixLength = 3;
inline constexpr char kSeparator = ' ';

// Header block and product headers.
inline constexpr std::string_view kHeaderPrefix = "//";
inline constexpr std::string_view kKeyLinePrefix = "// ";
inline constexpr std::string_view kKeySeparator = ": ";
inline constexpr std::string_view kCountPrefix = "// count:";
inline constexpr std::string_view kProductPrefix = ":: ";
inline constexpr char kProductInfoSeparator = '|';

// Threat information file: "LCF" + "1", then a zlib stream of the INI text.
inline constexpr std::string_view kInfoCompressIndicator = "LCF";
inline constexpr std::string_view kInfoCompressedMagic = "LCF1";
inline constexpr size_t kInfoMinCompressedSize = 5;

inline constexpr size_t kKeyTableSize = 40;
extern const uint8_t kIncludeFileKeyTable[kKeyTableSize];
extern const uint8_t kListFileKeyTable[kKeyTableSize];

}  // namespace vx::include_format

#endif  // VX_RULES_INCLUDE_FORMAT_H_
