// Builds real hive files: an empty hive written here (base block, one bin,
// the root key and its security cell), then filled through hivex's write
// functions and committed by hivex.
#ifndef VX_PLATFORM_OFFLINE_HIVE_WRITER_H_
#define VX_PLATFORM_OFFLINE_HIVE_WRITER_H_

#include <string>

#include "platform/offline/mem_key.h"

namespace vx {

// The bytes of a valid hive that holds only its root key.
std::string EmptyHiveBytes(std::string_view root_name = "ROOT");

// Writes the tree below `root` (its values and subkeys, not its own name)
// as a hive file at `host_path`. False and *error set on failure.
// Names in the tree are ANSI text in the process's code page, or UTF-8 with
// `utf8_names` (a tree parsed with kRegNamesUtf8), which keeps characters
// that no code page holds.
bool WriteHiveFile(const std::string& host_path, const TMemKey& root, std::string* error,
                   bool utf8_names = false);

// Writes the same tree in one pass without hivex: every cell is laid out
// once, so keys with tens of thousands of subkeys cost no more than others
// (hivex copies a key's subkey list on every insertion and never reuses the
// old cells). The result is checked by opening it with hivex.
bool WriteCompactHiveFile(const std::string& host_path, const TMemKey& root, std::string* error,
                          bool utf8_names = false);
std::string CompactHiveBytes(const TMemKey& root, bool utf8_names = false);

}  // namespace vx

#endif  // VX_PLATFORM_OFFLINE_HIVE_WRITER_H_
