#include "match/command_line_file.h"

#include <vector>

#include "base/ansi_text.h"
#include "base/comma_text.h"
#include "platform/machine.h"

namespace vx {

namespace {

bool Exists(std::string_view path) { return !path.empty() && CurrentMachine().FileExists(path); }

}  // namespace

std::string ExpandEnvironment(std::string_view text) {
  // The system call wrote into a buffer of 260 characters; a longer result
  // is kept whole rather than lost.
  return CurrentMachine().ExpandEnvironmentStrings(text);
}

std::string CommandLineFileName(std::string_view text) {
  if (text.empty()) return {};
  if (text.front() == '"') {
    text.remove_prefix(1);
    size_t close = text.find('"');
    if (close != std::string_view::npos) text = text.substr(0, close);
    return std::string(text);
  }
  size_t exe = UpperCase(text).find("EXE ");
  if (exe != std::string::npos) return std::string(text.substr(0, exe + 3));
  return std::string(text);
}

std::string ResolveExecutable(std::string_view text) {
  std::string candidate(text);
  if (Exists(candidate)) return candidate;

  std::string upper = UpperCase(candidate);
  if (upper.starts_with("RUNDLL32")) {
    size_t space = candidate.find(' ');
    if (space != std::string::npos) {
      candidate.erase(0, space + 1);
      size_t comma = candidate.find(',');
      if (comma != std::string::npos) candidate.erase(comma);
      if (Exists(candidate)) return candidate;
    }
  }

  candidate = CommandLineFileName(candidate);
  if (Exists(candidate)) return candidate;

  size_t exe = UpperCase(candidate).find(".EXE");
  if (exe != std::string::npos) {
    std::string cut = candidate.substr(0, exe + 4);
    if (Exists(cut)) return cut;
  }

  if (candidate.find('.') == std::string::npos) {
    candidate += ".exe";
    if (Exists(candidate)) return candidate;
  }

  if (candidate.find('%') != std::string::npos) {
    candidate = ExpandEnvironment(candidate);
    if (Exists(candidate)) return candidate;
  }

  TMachine& machine = CurrentMachine();
  std::vector<std::string> directories;
  std::string path;
  if (machine.GetEnvironmentVariable("PATH", &path))
    for (std::string& entry : SplitStrict(path, ';'))
      if (!entry.empty()) directories.push_back(std::move(entry));
  std::string windows = machine.WindowsDirectory();
  directories.push_back(windows);
  directories.push_back(machine.SystemDirectory());
  // The 16-bit system folder below the Windows directory.
  directories.push_back(IncludeTrailingBackslash(windows) + "system");
  for (const std::string& directory : directories) {
    if (directory.empty()) continue;
    std::string base = IncludeTrailingBackslash(directory) + candidate;
    if (Exists(base)) return base;
    if (Exists(base + ".exe")) return base + ".exe";
  }
  return {};
}

std::string ExtractExecutablePart(std::string_view text) {
  if (!text.empty() && text.front() == '"') {
    text.remove_prefix(1);
    size_t close = text.find('"');
    if (close != std::string_view::npos) text = text.substr(0, close);
    return std::string(text);
  }
  size_t space = text.find(' ');
  size_t dot = text.find('.');
  if (space != std::string_view::npos && (dot == std::string_view::npos || dot < space))
    return std::string(text.substr(0, space));
  size_t exe = LowerCase(text).find(".exe");
  if (exe != std::string::npos && text.size() - (exe + 4) > 2) return std::string(text.substr(0, exe + 4));
  return std::string(text);
}

}  // namespace vx
