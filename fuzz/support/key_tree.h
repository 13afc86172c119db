// Key trees for the registry harnesses: written out as registry text and
// compared, so that what a reader built can be checked against what the
// same tree reads back as.
#ifndef VX_FUZZ_SUPPORT_KEY_TREE_H_
#define VX_FUZZ_SUPPORT_KEY_TREE_H_

#include <string>

#include "platform/offline/mem_key.h"

namespace vx::fuzz {

// The live keys and values below `root` as version 5.00 text (encoded as
// regedit writes it), `prefix` naming the root. Names and strings are in
// `code_page` (kRegNamesUtf8: UTF-8).
std::string WriteKeyTree(const TMemKey& root, const std::string& prefix, int code_page);

// Empty when both trees hold the same live keys (same names, same order) and
// the same values; else the first difference.
std::string CompareKeyTrees(const TMemKey& a, const TMemKey& b);

// Whether every name in the tree can be written as registry text and read
// back: no key name holds a backslash or is empty, no name holds a line
// break or is longer than the reader accepts.
bool WritableNames(const TMemKey& root);

}  // namespace vx::fuzz

#endif  // VX_FUZZ_SUPPORT_KEY_TREE_H_
