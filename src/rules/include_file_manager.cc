#include "rules/include_file_manager.h"

#include <algorithm>
#include <filesystem>

#include "base/ansi_text.h"
#include "rules/include_file.h"

namespace vx {

namespace {

// The names of the matching files, in the order they register. Two names
// that differ only in case (possible on the host) keep a fixed order.
std::vector<std::string> MatchingFileNames(const std::string& directory,
                                           const std::string& extension) {
  std::vector<std::string> names;
  std::error_code ec;
  std::filesystem::directory_iterator it(directory, ec);
  if (ec) return names;
  const std::string suffix = "." + extension;
  for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    std::error_code type_ec;
    if (!it->is_regular_file(type_ec)) continue;
    std::string name = it->path().filename().string();
    if (AnsiEndsText(suffix, name)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    int c = AnsiCompareText(a, b);
    return c != 0 ? c < 0 : a < b;
  });
  return names;
}

}  // namespace

void TIncludeFileList::AddIncludeFiles(const std::string& directory,
                                       const std::string& extension) {
  std::vector<std::string> names = MatchingFileNames(directory, extension);
  TIncludeFile reader;
  for (const std::string& name : names) {
    items_.push_back(std::make_unique<TIncludeFileItem>());
    TIncludeFileItem& item = *items_.back();
    item.filename_ = (std::filesystem::path(directory) / name).string();
    item.extension_ = extension;
    item.display_name_ = name;
    try {
      TStringList pairs;
      item.count_ = reader.ReadHeader(item.filename_, &pairs);
      item.checksum_header_ = pairs.Values("checksum");
      item.copyright_ = pairs.Values("copyright");
      item.author_ = pairs.Values("author");
      item.date_ = pairs.Values("date");
      item.descriptions_.Add("English=" + pairs.Values("info"));
      for (int i = 0; i < pairs.Count(); ++i) {
        if (AnsiStartsText("info|", pairs[i])) item.descriptions_.Add(pairs[i].substr(5));
      }
      item.products_.AddStrings(reader.GetProducts());
      item.products_short_.AddStrings(reader.GetProductsShort());
    } catch (const std::exception&) {
      // The item stays with what was read; the next file registers as usual.
    }
  }
}

}  // namespace vx
