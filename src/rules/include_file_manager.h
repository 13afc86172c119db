// The registry of include files: every detection (".qri") and usage-track
// (".uti") file of the Includes directory with its header values and product
// names, filled once before the scan and only read afterwards.
#ifndef VX_RULES_INCLUDE_FILE_MANAGER_H_
#define VX_RULES_INCLUDE_FILE_MANAGER_H_

#include <memory>
#include <string>
#include <vector>

#include "base/object.h"
#include "base/string_list.h"

namespace vx {

class TIncludeFileItem : public TObject {
 public:
  const std::string& Author() const { return author_; }
  const std::string& ChecksumHeader() const { return checksum_header_; }
  const std::string& Copyright() const { return copyright_; }
  int Count() const { return count_; }
  const std::string& Date() const { return date_; }
  // "English=" + the info key, then Language=text per "info|Language" key.
  const TStringList& Descriptions() const { return descriptions_; }
  const std::string& DisplayName() const { return display_name_; }
  const std::string& Extension() const { return extension_; }
  // Full host path of the file.
  const std::string& Filename() const { return filename_; }
  // Every product header's text after ":: ", a "|" part included.
  const TStringList& Products() const { return products_; }
  const TStringList& ProductsShort() const { return products_short_; }

 private:
  friend class TIncludeFileList;
  std::string author_;
  std::string checksum_header_;
  std::string copyright_;
  int count_ = 0;
  std::string date_;
  TStringList descriptions_;
  std::string display_name_;
  std::string extension_;
  std::string filename_;
  TStringList products_;
  TStringList products_short_;
};

class TIncludeFileList : public TObject {
 public:
  // Registers every file of the host directory `directory` whose extension
  // equals `extension` (no dot, case ignored), in file-name order ignoring
  // case. A missing directory registers nothing. A file that cannot be read
  // still gets an item, with whatever was read before the failure.
  void AddIncludeFiles(const std::string& directory, const std::string& extension);

  int Count() const { return static_cast<int>(items_.size()); }
  const TIncludeFileItem& Items(int index) const { return *items_[index]; }

 private:
  std::vector<std::unique_ptr<TIncludeFileItem>> items_;
};

class TIncludeFileManager : public TObject {
 public:
  TIncludeFileList& FileList() { return file_list_; }
  const TIncludeFileList& FileList() const { return file_list_; }

  void AddIncludeFiles(const std::string& directory, const std::string& extension) {
    file_list_.AddIncludeFiles(directory, extension);
  }
  int Count() const { return file_list_.Count(); }
  const TIncludeFileItem& Items(int index) const { return file_list_.Items(index); }

 private:
  TIncludeFileList file_list_;
};

}  // namespace vx

#endif  // VX_RULES_INCLUDE_FILE_MANAGER_H_
