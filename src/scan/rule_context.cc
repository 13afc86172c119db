#include "scan/rule_context.h"

#include <stdexcept>

#include "base/log_sink.h"
#include "extlib/kit_library.h"
#include "rules/host_file.h"

namespace vx {

std::string TRuleFlow::SourceName() const {
  std::string name = HostFileName(CurrentIncludeFile);
  size_t dot = name.find('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

TStringList& TScanLists::DeferredLines(std::string_view type) {
  auto it = deferred_.find(type);
  if (it == deferred_.end()) it = deferred_.emplace(std::string(type), TStringList()).first;
  return it->second;
}

void TCheckLog::Write(std::string_view text, bool overwrite) const {
  WriteCheckLog(FileName, text, overwrite, Enabled);
}

TMachine& TRuleContext::Machine() const {
  if (!machine_) throw std::logic_error("the scan has no machine to examine");
  return *machine_;
}

std::string TRuleContext::SolvePath(std::string_view text) const { return KitSolveEnv(text); }

TStringList TRuleContext::SolvePathAll(std::string_view text) const {
  // The library joins the alternatives with CR LF; an empty alternative is
  // one too.
  std::string joined = KitSolveEnvMulti(text);
  TStringList all;
  size_t start = 0;
  for (;;) {
    size_t end = joined.find("\r\n", start);
    all.Add(joined.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return all;
}

}  // namespace vx
