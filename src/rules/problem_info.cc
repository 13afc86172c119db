#include "rules/problem_info.h"

#include "base/ansi_text.h"
#include "base/ini_file.h"
#include "base/string_list.h"
#include "rules/host_file.h"
#include "rules/include_codec.h"

namespace vx {

std::string DecodeLineBreaks(const std::string& text) {
  return StringReplaceAll(text, "%0D%0A", "\r\n");
}

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
    item->company_ = ini.ReadString(section, "Company", "-");
    item->company_url_ = ini.ReadString(section, "CompanyURL", "-");
    item->company_product_url_ = ini.ReadString(section, "CompanyProductURL", "-");
    item->company_privacy_url_ = ini.ReadString(section, "CompanyPrivacyURL", "-");
    item->description_ = DecodeLineBreaks(ini.ReadString(section, "Description", "-"));
    item->functionality_ = DecodeLineBreaks(ini.ReadString(section, "Functionality", "-"));
    item->privacy_ = DecodeLineBreaks(ini.ReadString(section, "Privacy", "-"));
    item->threat_ = ini.ReadString(section, "Threat", "-");
    item->product_ = ini.ReadString(section, "Product", "");
    if (item->product_.empty() || item->product_ == "-") item->product_ = section;
    item->loaded_ = true;
    items_.push_back(std::move(item));
  }
  return true;
}

}  // namespace vx
