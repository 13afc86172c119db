#include "companions/probex/attribute_checks.h"

#include <optional>
#include <string>

#include "companions/common/target_access.h"
#include "companions/common/text_match.h"
#include "companions/probex/value_parse.h"

namespace vx::companion {

namespace {

enum class TOrder : uint8_t { orEqual, orGreater, orLess };

bool Compare(int64_t actual, int64_t wanted, TOrder order) {
  switch (order) {
    case TOrder::orEqual: return actual == wanted;
    case TOrder::orGreater: return actual > wanted;
    case TOrder::orLess: return actual < wanted;
  }
  return false;
}

bool CheckSize(TCheckContext& context, std::string_view value, TOrder order) {
  uint64_t wanted = 0;
  if (!ParseDecimal(value, &wanted) || wanted > INT64_MAX) return false;
  const VxFileInfo* info = context.target.RegularFile();
  if (info == nullptr || info->size > INT64_MAX) return false;
  return Compare(static_cast<int64_t>(info->size), static_cast<int64_t>(wanted), order);
}

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

bool CheckAge(TCheckContext& context, std::string_view value, TOrder order) {
  uint64_t wanted = 0;
  if (!ParseDecimal(value, &wanted) || wanted > INT32_MAX) return false;
  const VxFileInfo* info = context.target.Info();
  if (info == nullptr || info->last_write_time == 0) return false;
  const int64_t age_days =
      FloorDiv(context.now_unix - FileTimeToUnix(info->last_write_time), 86400);
  return Compare(age_days, static_cast<int64_t>(wanted), order);
}

bool IsAbsolute(std::string_view path) {
  const auto first = static_cast<unsigned char>(path.empty() ? 0 : path[0]);
  const bool drive = path.size() >= 2 && path[1] == ':' &&
                     ((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z'));
  return drive || path.substr(0, 2) == "\\\\";
}

// The place exists[file] names: the checked file itself, an absolute path,
// or a path relative to the checked file's folder.
std::optional<std::string> ExistsPath(TCheckContext& context, std::string_view value) {
  if (value.empty()) {
    if (context.target.File().empty()) return std::nullopt;
    return context.target.File();
  }
  if (IsAbsolute(value)) return std::string(value);
  const std::string folder = context.target.Folder();
  if (folder.empty()) return std::nullopt;
  return folder + "\\" + std::string(value);
}

bool SomethingExists(const std::string& path) {
  const size_t slash = path.rfind('\\');
  const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
  if (last.find_first_of("*?") != std::string::npos) {
    if (slash == std::string::npos) return false;
    return TargetDirectoryHasMatch(path.substr(0, slash), last);
  }
  VxFileInfo info{};
  return TargetFileInfo(path, &info);
}

}  // namespace

bool CheckFileName(TCheckContext& context, std::string_view value) {
  return WildcardMatch(context.target.FileName(), value);
}

bool CheckFilePath(TCheckContext& context, std::string_view value) {
  return WildcardMatch(context.target.Folder(), value);
}

bool CheckFullPath(TCheckContext& context, std::string_view value) {
  return WildcardMatch(context.target.File(), value);
}

bool CheckSizeEqual(TCheckContext& context, std::string_view value) {
  return CheckSize(context, value, TOrder::orEqual);
}

bool CheckSizeGreater(TCheckContext& context, std::string_view value) {
  return CheckSize(context, value, TOrder::orGreater);
}

bool CheckSizeLess(TCheckContext& context, std::string_view value) {
  return CheckSize(context, value, TOrder::orLess);
}

bool CheckAgeEqual(TCheckContext& context, std::string_view value) {
  return CheckAge(context, value, TOrder::orEqual);
}

bool CheckAgeGreater(TCheckContext& context, std::string_view value) {
  return CheckAge(context, value, TOrder::orGreater);
}

bool CheckAgeLess(TCheckContext& context, std::string_view value) {
  return CheckAge(context, value, TOrder::orLess);
}

bool CheckTimestamp(TCheckContext& context, std::string_view value) {
  TTimestamp wanted;
  if (!ParseTimestamp(value, &wanted)) return false;
  const VxFileInfo* info = context.target.Info();
  if (info == nullptr || info->last_write_time == 0) return false;
  const int64_t actual = FileTimeToUnix(info->last_write_time);
  return FloorDiv(actual, wanted.precision) * wanted.precision == wanted.unix_seconds;
}

bool CheckExists(TCheckContext& context, std::string_view value) {
  const std::optional<std::string> path = ExistsPath(context, value);
  return path.has_value() && SomethingExists(*path);
}

bool CheckNotExists(TCheckContext& context, std::string_view value) {
  const std::optional<std::string> path = ExistsPath(context, value);
  return path.has_value() && !SomethingExists(*path);
}

bool CheckAttributes(TCheckContext& context, std::string_view value) {
  uint32_t required = 0;
  uint32_t forbidden = 0;
  bool negate = false;
  for (char c : value) {
    if (c == '-') {
      if (negate) return false;
      negate = true;
      continue;
    }
    uint32_t bit = 0;
    switch (FoldCase(c)) {
      case 'r': bit = 0x1; break;
      case 'h': bit = 0x2; break;
      case 's': bit = 0x4; break;
      case 'd': bit = 0x10; break;
      case 'a': bit = 0x20; break;
      case 't': bit = 0x100; break;
      case 'c': bit = 0x800; break;
      default: return false;
    }
    (negate ? forbidden : required) |= bit;
    negate = false;
  }
  if (negate || (required == 0 && forbidden == 0)) return false;
  const VxFileInfo* info = context.target.Info();
  if (info == nullptr) return false;
  uint32_t attributes = info->attributes;
  if (info->is_directory != 0) attributes |= 0x10;
  return (attributes & required) == required && (attributes & forbidden) == 0;
}

}  // namespace vx::companion
