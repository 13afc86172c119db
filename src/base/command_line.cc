#include "base/command_line.h"

#include "base/ansi_text.h"

namespace vx {

namespace {
TCommandLine& Slot() {
  static TCommandLine command_line;
  return command_line;
}

// "/name=value" or "-name=value"; false for anything else.
bool SplitOption(std::string_view arg, std::string_view name, std::string* value) {
  if (arg.size() < name.size() + 2 || (arg[0] != '/' && arg[0] != '-')) return false;
  if (arg[name.size() + 1] != '=' || !SameText(arg.substr(1, name.size()), name)) return false;
  *value = std::string(arg.substr(name.size() + 2));
  return true;
}
}  // namespace

TCommandLine TCommandLine::FromMain(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return TCommandLine(std::move(args));
}

bool TCommandLine::HasSwitch(std::string_view name) const {
  // "allhives" is honoured only with a slash: a minus there is ignored.
  const bool slash_only = SameText(name, "allhives");
  for (const std::string& arg : args_) {
    if (arg.size() != name.size() + 1) continue;
    if (arg[0] != '/' && (slash_only || arg[0] != '-')) continue;
    if (SameText(std::string_view(arg).substr(1), name)) return true;
  }
  return false;
}

bool TCommandLine::OptionValue(std::string_view name, std::string* value) const {
  for (const std::string& arg : args_) {
    if (SplitOption(arg, name, value)) return true;
  }
  return false;
}

std::vector<std::string> TCommandLine::OptionValues(std::string_view name) const {
  std::vector<std::string> values;
  std::string v;
  for (const std::string& arg : args_) {
    if (SplitOption(arg, name, &v)) values.push_back(v);
  }
  return values;
}

const TCommandLine& ProcessCommandLine() { return Slot(); }

void SetProcessCommandLine(TCommandLine command_line) { Slot() = std::move(command_line); }

}  // namespace vx
