// Switch recognition: an argument is a switch when it starts with "/" or "-"
// and the rest equals the switch name without regard to case. "allhives" is
// recognised only with "/". Arguments that are no known switch are ignored.
#ifndef VX_BASE_COMMAND_LINE_H_
#define VX_BASE_COMMAND_LINE_H_

#include <string>
#include <string_view>
#include <vector>

namespace vx {

class TCommandLine {
 public:
  TCommandLine() = default;
  explicit TCommandLine(std::vector<std::string> args) : args_(std::move(args)) {}
  static TCommandLine FromMain(int argc, char** argv);  // without argv[0]

  bool HasSwitch(std::string_view name) const;
  // The value of a "/name=value" option (also "-name=value"; name without
  // regard to case); false when absent. The first one wins.
  bool OptionValue(std::string_view name, std::string* value) const;
  // Every value of a repeatable "/name=value" option, in order.
  std::vector<std::string> OptionValues(std::string_view name) const;
  const std::vector<std::string>& Args() const { return args_; }

 private:
  std::vector<std::string> args_;
};

// The process's command line, set once by main() (the scan thread reads the
// "silent" and "taskbarhide" switches from it).
const TCommandLine& ProcessCommandLine();
void SetProcessCommandLine(TCommandLine command_line);

}  // namespace vx

#endif  // VX_BASE_COMMAND_LINE_H_
