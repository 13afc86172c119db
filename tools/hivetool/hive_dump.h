// Dumps a hive file as registry export text, key by key in hive order.
#ifndef VX_TOOLS_HIVETOOL_HIVE_DUMP_H_
#define VX_TOOLS_HIVETOOL_HIVE_DUMP_H_

#include <string>
#include <vector>

#include "platform/offline/hive_file.h"
#include "platform/offline/reg_text.h"

namespace vx {

// `prefix` is the full name the hive's root stands for
// ("HKEY_LOCAL_MACHINE\SOFTWARE"). Keys deeper than a fixed limit and keys
// met twice (a damaged hive can loop) are left out with a message.
// *incomplete tells whether keys or values were left out (a note that the
// hive was not closed cleanly leaves nothing out).
std::string DumpHive(THive& hive, const std::string& prefix, TRegTextFormat format, int code_page,
                     std::vector<std::string>* messages, bool* incomplete = nullptr);

}  // namespace vx

#endif  // VX_TOOLS_HIVETOOL_HIVE_DUMP_H_
