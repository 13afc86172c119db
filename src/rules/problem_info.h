// Threat information: the description of every targeted product from the
// INI file "Targets.nfo" (plain, or "LCF1" followed by a zlib stream).
#ifndef VX_RULES_PROBLEM_INFO_H_
#define VX_RULES_PROBLEM_INFO_H_

#include <memory>
#include <string>
#include <vector>

#include "base/object.h"

namespace vx {

class TProblemInfoItem : public TObject {
 public:
  const std::string& Company() const { return company_; }
  const std::string& CompanyURL() const { return company_url_; }
  const std::string& CompanyProductURL() const { return company_product_url_; }
  const std::string& CompanyPrivacyURL() const { return company_privacy_url_; }
  // Description, Functionality and Privacy hold real CR LF line breaks where
  // the file has "%0D%0A".
  const std::string& Description() const { return description_; }
  const std::string& Functionality() const { return functionality_; }
  const std::string& IniFilename() const { return ini_filename_; }
  const std::string& Key() const { return key_; }
  const std::string& Language() const { return language_; }
  bool Loaded() const { return loaded_; }
  const std::string& Privacy() const { return privacy_; }
  // The Product key; the section name when that is missing, empty or "-".
  const std::string& Product() const { return product_; }
  const std::string& Threat() const { return threat_; }
  const std::string& DisplayName() const { return key_; }

 private:
  friend class TProblemInfoList;
  std::string company_, company_url_, company_product_url_, company_privacy_url_;
  std::string description_, functionality_, ini_filename_, key_, language_;
  bool loaded_ = false;
  std::string privacy_, product_, threat_;
};

class TProblemInfoList : public TObject {
 public:
  const std::string& CompressIndicator() const { return compress_indicator_; }

  // One item per section, in file order. False (and no items) when the file
  // is missing or cannot be read; a damaged compressed file gives the
  // sections of whatever text came out of it.
  bool LoadInformation(const std::string& file_name, const std::string& language);

  int Count() const { return static_cast<int>(items_.size()); }
  const TProblemInfoItem& Items(int index) const { return *items_[index]; }

 private:
  std::string compress_indicator_ = "LCF";
  std::vector<std::unique_ptr<TProblemInfoItem>> items_;
};

class TProblemInfoManager : public TObject {
 public:
  TProblemInfoList& InfoList() { return list_; }
  const TProblemInfoList& InfoList() const { return list_; }
  bool LoadInformation(const std::string& file_name, const std::string& language) {
    return list_.LoadInformation(file_name, language);
  }

 private:
  TProblemInfoList list_;
};

}  // namespace vx

#endif  // VX_RULES_PROBLEM_INFO_H_
