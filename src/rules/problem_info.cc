#include "rules/problem_info.h"

#include "base/ansi_text.h"
#include "base/ini_file.h"
#include "base/string_list.h"
#include "rules/host_file.h"
#include "rules/include_codec.h"

namespace vx {

namespace {

// Every "%0D%0A" becomes CR LF.
std::string DecodeLineBreaks(const std::string& text) {
  return StringReplaceAll(text, "%0D%0A", "\r\n");
}

}  // namespace

bool TProblemInfoList::LoadInformation(const std::string& file_name,
                                       const std::string& language) {
  items_.clear();
  std::string bytes;
  if (ReadHostFile(file_name, &bytes) != THostRead::hrOk) return false;
  if (bytes.size() >= 5 && bytes.compare(0, compress_indicator_.size(), compress_indicator_) == 0 &&
      bytes[compress_indicator_.size()] == '1') {
    bytes = DecompressInfo(bytes);
  }
  TMemIniFile ini = TMemIniFile::FromText(bytes);
  TStringList sections;
  ini.ReadSections(&sections);
  for (int i = 0; i < sections.Count(); ++i) {
    const std::string& section = sections[i];
    auto item = std::make_unique<TProblemInfoItem>();
    item->ini_filename_ = file_name;
    item->key_ = section;
    item->language_ = language;
    // One section lookup per item: the INI file finds sections by a linear
    // search, and a large information file has thousands of them.
    TStringList values;
    ini.ReadSectionValues(section, &values);
    auto read = [&values](const char* key, const char* def) {
      int index = values.IndexOfName(key);
      return index < 0 ? std::string(def) : values.ValueFromIndex(index);
    };
    item->company_ = read("Company", "-");
    item->company_url_ = read("CompanyURL", "-");
    item->company_product_url_ = read("CompanyProductURL", "-");
    item->company_privacy_url_ = read("CompanyPrivacyURL", "-");
    item->description_ = DecodeLineBreaks(read("Description", "-"));
    item->functionality_ = DecodeLineBreaks(read("Functionality", "-"));
    item->privacy_ = DecodeLineBreaks(read("Privacy", "-"));
    item->threat_ = read("Threat", "-");
    item->product_ = read("Product", "");
    if (item->product_.empty() || item->product_ == "-") item->product_ = section;
    item->loaded_ = true;
    items_.push_back(std::move(item));
  }
  return true;
}

}  // namespace vx
