// Runs the real vexascan program from an installation folder of its own and
// captures what it writes.
#ifndef VX_TESTS_E2E_PROGRAM_RUN_H_
#define VX_TESTS_E2E_PROGRAM_RUN_H_


#include <filesystem>
#include <string>
#include <vector>

#include "support/run_command.h"
#include "support/temp_dir.h"

namespace vx::testing {

struct TProgramResult {
  int exit_code = -1;
  std::string output;
};

// A folder laid out like an installation: the program and both companion
// libraries as the build made them.
class TInstallation {
 public:
  TInstallation() {
    for (const char* file : {"vexascan", "probex.dll", "kitlib.dll"}) {
      std::filesystem::path from = std::filesystem::path(VX_BINARY_DIR) / file;
      std::error_code ec;
      std::filesystem::copy_file(from, dir_.Path(file),
                                 std::filesystem::copy_options::overwrite_existing, ec);
    }
  }
  const TTempDir& Dir() const { return dir_; }
  void Remove(const char* file) const { std::filesystem::remove(dir_.Path(file)); }
  bool Has(const char* file) const { return std::filesystem::exists(dir_.Path(file)); }

  // Runs the program with `args` in the folder `cwd`; stdout is a pipe, so
  // the output carries no colour sequences.
  TProgramResult Run(const std::vector<std::string>& args, const std::string& cwd,
                     int columns = 80) const {
    std::string command = "cd '" + cwd + "' && COLUMNS=" + std::to_string(columns) + " '" +
                          dir_.Path("vexascan") + "'";
    for (const std::string& arg : args) command += " '" + arg + "'";
    command += " </dev/null 2>/dev/null";
    TCommandResult run = RunCommand(command);
    TProgramResult result;
    result.output = std::move(run.out);
    result.exit_code = run.code;
    return result;
  }

 private:
  TTempDir dir_;
};

}  // namespace vx::testing

#endif  // VX_TESTS_E2E_PROGRAM_RUN_H_
