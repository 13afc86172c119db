#ifndef VX_TESTS_COMPANIONS_PROBEX_FIXTURE_H_
#define VX_TESTS_COMPANIONS_PROBEX_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>

#include "companion_test_host.h"

namespace vx::test {

// Connects probex to a fresh target and starts every test with an empty
// environment (the library keeps it for as long as it is loaded).
class ProbexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table_ = target_.Callbacks();
    ASSERT_EQ(1, Probex().Connect(&table_));
    ASSERT_TRUE(Check("", "clearenv=1"));
  }
  void TearDown() override {
    EXPECT_EQ(0, target_.open_handles);
    Probex().Disconnect();
  }

  bool Check(const std::string& file, const std::string& params) {
    return Probex().Get<VxAdvancedCheckFn>("AdvancedCheck")(file.c_str(), params.c_str()) != 0;
  }

  std::string EnvironmentText() {
    const int32_t size = Probex().Get<VxGetEnvironmentSizeFn>("GetEnvironmentSize")();
    std::string buffer(static_cast<size_t>(size) + 1, '\x7f');
    int32_t length = size;
    EXPECT_NE(0, Probex().Get<VxGetEnvironmentTextFn>("GetEnvironmentText")(buffer.data(),
                                                                           &length));
    EXPECT_EQ(size, length);
    EXPECT_EQ('\0', buffer[static_cast<size_t>(size)]);
    buffer.resize(static_cast<size_t>(length));
    return buffer;
  }

  TTestTarget target_;
  VxHostCallbacks table_{};
};

}  // namespace vx::test

#endif  // VX_TESTS_COMPANIONS_PROBEX_FIXTURE_H_
