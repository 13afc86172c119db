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
bool WriteHiveFile(const std::string& host_path, const TMemKey& root, std::string* error);

}  // namespace vx

#endif  // VX_PLATFORM_OFFLINE_HIVE_WRITER_H_
