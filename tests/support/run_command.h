// Runs a shell command the way a user would and keeps its exit code and
// standard output (add "2>&1" to the command to keep standard error too).
#ifndef VX_TESTS_SUPPORT_RUN_COMMAND_H_
#define VX_TESTS_SUPPORT_RUN_COMMAND_H_

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace vx::testing {

struct TCommandResult {
  int code = -1;  // the exit code; -1 when the command could not run or was killed
  std::string out;
};

inline TCommandResult RunCommand(const std::string& command) {
  TCommandResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
  int status = pclose(pipe);
  result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// Runs a program of the build folder (hivetool, rulefile) with `args`, with
// standard error kept in the output. Test programs know the build folder as
// VX_BINARY_DIR.
inline TCommandResult RunBuiltTool(std::string_view tool, std::string_view args) {
  return RunCommand(std::string(VX_BINARY_DIR) + "/" + std::string(tool) + " " + std::string(args) + " 2>&1");
}

}  // namespace vx::testing

#endif  // VX_TESTS_SUPPORT_RUN_COMMAND_H_
