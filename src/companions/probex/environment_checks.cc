#include "companions/probex/environment_checks.h"

#include <string>

#include "companions/common/text_match.h"

namespace vx::companion {

namespace {

// "NAME=VALUE" splits at its first "="; a bare "NAME" has no value part.
void SplitAssignment(std::string_view text, std::string_view* name, std::string_view* value,
                     bool* has_value) {
  const size_t eq = text.find('=');
  *has_value = eq != std::string_view::npos;
  *name = text.substr(0, eq);
  *value = *has_value ? text.substr(eq + 1) : std::string_view();
}

}  // namespace

bool CheckSetEnv(TCheckContext& context, std::string_view value) {
  std::string_view name, text;
  bool has_value = false;
  SplitAssignment(value, &name, &text, &has_value);
  return context.environment->Set(name, text);
}

bool CheckChkEnv(TCheckContext& context, std::string_view value) {
  std::string_view name, wanted;
  bool has_value = false;
  SplitAssignment(value, &name, &wanted, &has_value);
  if (name.empty()) return false;
  std::string actual;
  const bool found = context.environment->Find(name, &actual);
  if (!has_value) return found && !actual.empty();
  // An unset name reads as the empty text, as it does in "<$ENV(...)>".
  return SameTextIgnoringCase(actual, wanted);
}

bool CheckIsEnv(TCheckContext& context, std::string_view value) {
  std::string actual;
  return !value.empty() && context.environment->Find(value, &actual);
}

bool CheckClearEnv(TCheckContext& context, std::string_view /*value*/) {
  context.environment->Clear();
  return true;
}

bool CheckDelEnv(TCheckContext& context, std::string_view value) {
  if (value.empty()) return false;
  context.environment->Delete(value);
  return true;
}

}  // namespace vx::companion
