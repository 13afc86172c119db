// Every reader of stored forms takes random bytes behind each magic without
// crashing or growing without bound.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "base/error.h"
#include "base/string_list.h"
#include "rules/include_codec.h"
#include "rules/include_file.h"
#include "rules/problem_info.h"
#include "rules/rule_file_writer.h"
#include "rules/rule_lint.h"
#include "support/temp_dir.h"

namespace vx {
namespace {

TEST(NoiseTest, RandomBytesBehindEveryMagic) {
  testing::TTempDir dir;
  std::mt19937 rng(12345);
  const std::string prefixes[] = {"", "QRI", "LCF1", "#%", "##", "// count: 1\n"};
  for (int round = 0; round < 300; ++round) {
    const std::string& prefix = prefixes[round % 6];
    std::string bytes = prefix;
    size_t length = rng() % 200;
    for (size_t i = 0; i < length; ++i) bytes += static_cast<char>(rng() & 0xFF);

    std::string text;
    UnpackContainer(bytes, &text);
    DecompressInfo(bytes);
    LintRuleFile(bytes);
    try {
      DecodeAnyRuleFile(bytes);
    } catch (const EVxError&) {
    }

    testing::WriteBytes(dir / "noise.qri", bytes);
    TIncludeFile reader;
    TStringList pairs, lines;
    reader.ReadHeader(dir / "noise.qri", &pairs);
    try {
      reader.ReadLines(dir / "noise.qri", &lines);
    } catch (const EVxError&) {
    }
    reader.LoadListFile(dir / "noise.qri", &lines);
    TProblemInfoManager info;
    info.LoadInformation(dir / "noise.qri", "English");
  }
}

}  // namespace
}  // namespace vx
