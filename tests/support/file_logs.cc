// Every test program writes its logs the way the program does: into "Logs"
// below the current directory, when that folder exists.
#include <gtest/gtest.h>

#include "app/check_log.h"

namespace vx::testing {
namespace {

class TFileLogsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { SetLogSink(&FileLogs()); }
  void TearDown() override { SetLogSink(nullptr); }
};

[[maybe_unused]] ::testing::Environment* const kFileLogs =
    ::testing::AddGlobalTestEnvironment(new TFileLogsEnvironment);

}  // namespace
}  // namespace vx::testing
