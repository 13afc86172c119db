#include "rules/include_file.h"

#include <utility>

#include "base/ansi_text.h"
#include "base/error.h"
#include "rules/host_file.h"
#include "rules/include_codec.h"
#include "rules/include_format.h"
#include "rules/include_lines.h"

namespace vx {

namespace fmt = include_format;

bool ParseIncludeHeaderLine(const std::string& line, TStringList* pairs, int* count) {
  if (line.empty() || !line.starts_with(fmt::kHeaderPrefix)) return false;
  if (line.starts_with(fmt::kCountPrefix)) {
    // Read after "// count:" itself rather than after a fixed ten characters,
    // so that "// count:250" announces 250 and not 50. A negative count
    // would shrink the progress total and counts as no number.
    int32_t value = 0;
    bool valid = TryStrToInt(Trim(std::string_view(line).substr(fmt::kCountPrefix.size())), &value);
    *count = valid && value > 0 ? value : 0;
    return true;
  }
  if (line.starts_with(fmt::kKeyLinePrefix)) {
    size_t sep = line.find(fmt::kKeySeparator, fmt::kKeyLinePrefix.size());
    if (sep != std::string::npos) {
      std::string key = line.substr(fmt::kKeyLinePrefix.size(), sep - fmt::kKeyLinePrefix.size());
      pairs->Add(key + "=" + line.substr(sep + fmt::kKeySeparator.size()));
    }
  }
  return true;
}

void TIncludeFile::ReadLines(const std::string& file_name, TStringList* target) {
  file_name_ = file_name;
  products_.Clear();
  short_products_.Clear();
  products_valid_ = false;
  line_count_ = 0;
  TIncludeLines lines;
  if (!lines.Open(file_name)) return;
  target->Clear();
  std::string_view line;
  while (lines.Next(&line)) target->Add(std::string(line));
  line_count_ = target->Count();
}

int TIncludeFile::ReadHeader(const std::string& file_name, TStringList* pairs) {
  file_name_ = file_name;
  products_valid_ = false;
  pairs->Clear();
  all_lines_.Clear();
  all_lines_valid_ = true;
  raw_file_.clear();
  raw_bytes_.clear();
  raw_text_.clear();
  THostRead r = ReadHostFile(file_name, &raw_bytes_);
  if (r == THostRead::hrMissing) return 0;
  if (r == THostRead::hrFailed) throw EVxError("Cannot read " + file_name);
  raw_file_ = file_name;
  raw_container_ = IsContainer(raw_bytes_);
  if (raw_container_ && !UnpackContainer(raw_bytes_, &raw_text_)) raw_text_.clear();
  all_lines_valid_ = false;
  // Only the leading lines are read; a file of many rule lines is split into
  // lines again only when someone asks for all of them.
  TIncludeLines lines;
  lines.OpenRaw(raw_container_ ? std::string_view(raw_text_) : std::string_view(raw_bytes_));
  int count = 0;
  std::string_view line;
  while (lines.Next(&line)) {
    if (!ParseIncludeHeaderLine(std::string(line), pairs, &count)) break;
  }
  return count;
}

const TStringList& TIncludeFile::AllLines() const {
  if (!all_lines_valid_) {
    all_lines_.SetText(raw_container_ ? raw_text_ : raw_bytes_);
    all_lines_valid_ = true;
  }
  return all_lines_;
}

void TIncludeFile::CollectProducts() {
  products_.Clear();
  short_products_.Clear();
  TIncludeLines lines;
  if (raw_file_ == file_name_ && !raw_file_.empty()) {
    // The file ReadHeader read: its lines as ReadLines would give them.
    if (raw_container_) {
      lines.OpenRaw(raw_text_);
    } else {
      lines.OpenView(raw_bytes_, file_name_);
    }
  } else {
    lines.Open(file_name_);
  }
  std::string_view line;
  while (lines.Next(&line)) {
    if (!line.starts_with(fmt::kProductPrefix)) continue;
    std::string_view entry = line.substr(fmt::kProductPrefix.size());
    short_products_.Add(std::string(entry.substr(0, entry.find(fmt::kProductInfoSeparator))));
    products_.Add(std::string(entry));
  }
  products_valid_ = true;
}

TStringList TIncludeFile::GetProducts() {
  if (!products_valid_) CollectProducts();
  return products_.Clone();
}

TStringList TIncludeFile::GetProductsShort() {
  if (!products_valid_) CollectProducts();
  return short_products_.Clone();
}

bool TIncludeFile::LoadListFile(const std::string& file_name, TStringList* target) {
  std::string bytes;
  if (ReadHostFile(file_name, &bytes) != THostRead::hrOk) return false;
  target->SetText(DecryptListFile(bytes));
  return true;
}

}  // namespace vx
