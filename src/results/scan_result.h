// The findings of one scan: TMyScanResult items in a TMyScanResultsList.
//
// The finding recorder of the scan thread creates and fills the items; the
// front end fills the export parameters before the scan and reads the list
// only after the scan thread has ended, so the list needs no lock.
#ifndef VX_RESULTS_SCAN_RESULT_H_
#define VX_RESULTS_SCAN_RESULT_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "base/object.h"
#include "base/string_list.h"

namespace vx {

enum TQuarnelMainType : uint8_t {
  mtUnknown = 0,
  mtStatus = 1,
  mtFinished = 2,
  mtFixing = 3,
  mtQuarnel = 4,
  mtUsageTracking = 5,
  mtSystemInternals = 6,
  mtReadRecoveryInfo = 7,
};

enum TQuarnelFixType : uint8_t {
  ftUnknown = 0,
  ftStatus = 1,
  ftRegistryValue = 2,
  ftRegistryKey = 3,
  ftRegistryChange = 4,
  ftRegistryRemove = 5,
  ftFile = 6,
  ftDirectory = 7,
  ftReplaceFile = 8,
  ftChangeFile = 9,
  ftBackupFile = 10,
  ftMoveFile = 11,
  ftRASEntry = 12,
  ftHostRedirect = 13,
  ftWinsock = 14,
  ftUninstaller = 15,
  ftCacheCookie = 16,
  ftCacheCache = 17,
  ftCacheHistory = 18,
  ftCacheBookmark = 19,
  ftTracksCookies = 20,
  ftTracksCache = 21,
  ftTracksHistory = 22,
  ftIniChange = 23,
  ftIniDelete = 24,
  ftIniRemove = 25,
};

enum TMyScanResultStatus : uint8_t {
  srsNone = 0,    // nothing done
  srsDone = 1,    // fixed
  srsError = 2,   // fixing failed
  srsStatus = 3,  // a status entry, neither fixed nor failed
};

// The display text of a fix type ("Registry value", "File", ...); empty for
// the types that have none.
std::string FixTypeText(TQuarnelFixType fix_type);

class TMyScanResultsList;

class TMyScanResult : public TObject {
 public:
  explicit TMyScanResult(TMyScanResultsList* owner) : owner_(owner) {}

  bool Checkable = false;
  bool Checked = false;
  std::string Count;
  std::string Filename;
  TQuarnelFixType FixType = ftUnknown;
  std::string FullKey;
  TStringList Infos;
  std::string InfoText;
  std::string Key;
  TQuarnelMainType MainType = mtUnknown;
  std::string Param;
  std::string Path;
  std::string Product;
  uint32_t RootKey = 0;
  uint8_t ShortFixType = 0;
  std::string TagString;
  std::string Usage;
  std::string Value;
  std::string RuleIDText;
  std::string Fileset;
  TMyScanResultStatus Status = srsNone;
  int32_t Tag = 0;  // copied by Assign, read by nothing

  TMyScanResultsList* Collection() const { return owner_; }
  int Index() const;

  // Copies every field, Infos by content.
  void Assign(const TMyScanResult& source);
  // FullKey, or the class name when FullKey is empty.
  std::string GetDisplayName() const;
  // Registry fixes under HKLM, file fixes below the Windows folder (in any of
  // its spellings) and the system-wide fix types need administrative rights.
  bool NeedsAdminRightsToFix() const;

 private:
  TMyScanResultsList* owner_;
};

struct TMyExportParameters {
  std::string ProductName;
  std::string ProductVersion;
  std::string Edition;
  std::string BuildDate;
  std::string ProgramPath;
};

class TMyScanResultsList : public TObject {
 public:
  TMyScanResultsList() = default;

  TMyScanResult* AddResult();
  TMyScanResult* GetResult(int index) const { return items_[index].get(); }
  int Count() const { return static_cast<int>(items_.size()); }
  void Delete(int index);
  // Removes `item` if it belongs to the list; the pointer is invalid afterwards.
  void Remove(const TMyScanResult* item);
  void Clear() { items_.clear(); }
  int IndexOf(const TMyScanResult* item) const;

  // Fills `target` (cleared first) with the report of `format`: 1 text,
  // 2 HTML, 3 XML, one line per item. Raises when the report cannot be built.
  void BuildReport(TStringList* target, int format) const;
  // The same with the report's own date and time given: `now` is local time.
  void BuildReport(TStringList* target, int format, TDateTime now) const;

  TMyExportParameters ExportParameters;
  TStringList IncludeFiles;  // stays empty in this program
  TDateTime Duration = 0;

 private:
  std::vector<std::unique_ptr<TMyScanResult>> items_;
};

}  // namespace vx

#endif  // VX_RESULTS_SCAN_RESULT_H_
