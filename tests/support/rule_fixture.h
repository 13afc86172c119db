// A test fixture for the rule families: a fixture image, opened as the
// current machine with its path variables and user hives, and rule lines
// run through the real interpreter and dispatch table. Each finding reads
// "FullKey|fix type|Value" (Value is the item of a registry finding).
#ifndef VX_TESTS_SUPPORT_RULE_FIXTURE_H_
#define VX_TESTS_SUPPORT_RULE_FIXTURE_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "match/path_variables.h"
#include "platform/machine.h"
#include "scan/rule_interpreter.h"
#include "support/fixture_image.h"
#include "support/include_log.h"
#include "support/test_scan.h"

namespace vx::testing {

using TFindings = std::vector<std::string>;

class TRuleFixture : public ::testing::Test {
 protected:
  void TearDown() override {
    interpreter_.reset();
    scan_.reset();
    FreePathVariableTables();
    SetCurrentMachine(nullptr);
  }

  // Opens the image; `extra` adds options (writable, drives, another user).
  void Open(TOfflineOptions extra = {}) {
    machine_ = image_->Open(std::move(extra));
    SetCurrentMachine(machine_);
    BuildPathVariableTables();
    scan_ = std::make_unique<TTestScan>();
    interpreter_ = std::make_unique<TRuleInterpreter>(scan_->context);
  }

  // Runs `lines` under a product header; the findings they recorded.
  TFindings Run(const std::string& lines, uint8_t category = mtQuarnel) {
    int before = scan_->results.Count();
    interpreter_->RunIncludeText(":: Spy\r\n" + lines, "/rules/test.qri", category);
    return FindingsSince(before);
  }

  TFindings FindingsSince(int before) const {
    TFindings found;
    for (int i = before; i < scan_->results.Count(); ++i) {
      const TMyScanResult* r = scan_->results.GetResult(i);
      if (r->MainType == mtStatus) continue;
      found.push_back(r->FullKey + "|" + std::to_string(r->FixType) + "|" + r->Value);
    }
    return found;
  }

  // The last finding recorded, or an empty one.
  const TMyScanResult& Last() const {
    static const TMyScanResult none(nullptr);
    return scan_->results.Count() == 0 ? none
                                       : *scan_->results.GetResult(scan_->results.Count() - 1);
  }

  TScopedIncludeLog log_;
  std::unique_ptr<TFixtureImage> image_ = std::make_unique<TFixtureImage>();
  std::shared_ptr<TMachine> machine_;
  std::unique_ptr<TTestScan> scan_;
  std::unique_ptr<TRuleInterpreter> interpreter_;
};

}  // namespace vx::testing

#endif  // VX_TESTS_SUPPORT_RULE_FIXTURE_H_
