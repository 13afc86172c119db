// The transforms between the plain text of rule files and their stored
// forms: line scrambling and line encryption, the container, auxiliary list
// files and the compressed threat information file. Reading and writing sit
// side by side so that each form's two directions are checked against each
// other.
#ifndef VX_RULES_INCLUDE_CODEC_H_
#define VX_RULES_INCLUDE_CODEC_H_

#include <string>
#include <string_view>

#include "rules/sapphire.h"

namespace vx {

// The cipher keyed for include files or for auxiliary list files. Keying is
// done once per process and copied from then on.
TSapphire IncludeFileCipher();
TSapphire ListFileCipher();

// Text-form line decoding: a "##" line longer than two characters has
// (i mod 3) added to the character at every 1-based position i >= 3; a "#%"
// line longer than two characters becomes "#%" + the decrypted Base64 text
// (false when that text is not Base64); any other line is copied.
bool DecodeIncludeLine(std::string_view line, std::string* out);

// Inverses for the tool. `body` is everything after the two marker
// characters (the separator and the rule).
std::string ScrambleLine(std::string_view body);   // "##" + scrambled body
std::string EncryptLine(std::string_view body);    // "#%" + Base64 of the cipher text

// Container: false for anything damaged (short header, implausible length,
// bad or short zlib data); `text` is untouched then.
bool UnpackContainer(std::string_view file_bytes, std::string* text);
std::string PackContainer(std::string_view text);
bool IsContainer(std::string_view file_bytes);

// Auxiliary list files: the whole file is one cipher stream.
std::string DecryptListFile(std::string_view file_bytes);
std::string EncryptListFile(std::string_view text);

// Threat information file. Decompression keeps what came out before a
// damaged or short stream, up to the size ceiling of the formats.
bool IsCompressedInfo(std::string_view file_bytes);
// `complete` (optional) tells whether the stream ended properly.
std::string DecompressInfo(std::string_view file_bytes, bool* complete = nullptr);
std::string CompressInfo(std::string_view text);

}  // namespace vx

#endif  // VX_RULES_INCLUDE_CODEC_H_
