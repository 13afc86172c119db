// A fixed scan result for the report tests: findings of every kind a report
// lays out (registry findings in both views, files, a folder, a host
// redirection, a browser finding, a usage track with a count, notices) and one
// finding whose texts hold what a hostile registry can (markup, quotes,
// ampersands, control characters, bytes above 127, a CR LF), and a program
// folder whose files have fixed times and versions.
#ifndef VX_TESTS_SUPPORT_REPORT_FINDINGS_H_
#define VX_TESTS_SUPPORT_REPORT_FINDINGS_H_

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "base/date_time.h"
#include "platform/registry_roots.h"
#include "results/scan_result.h"
#include "support/small_executable.h"
#include "support/temp_dir.h"

namespace vx::testing {

// The report's own time: 25.05.2008 14:30:05 local time.
inline TDateTime ReportTime() { return EncodeDateTime(2008, 5, 25, 14, 30, 5); }

// The zone for file dates: UTC while the object lives, so the program files'
// dates do not depend on the machine that runs the tests.
class TUtcZone {
 public:
  TUtcZone() {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TZ", "UTC0", 1);
    tzset();
  }
  ~TUtcZone() {
    if (had_) {
      setenv("TZ", old_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  TUtcZone(const TUtcZone&) = delete;
  TUtcZone& operator=(const TUtcZone&) = delete;

 private:
  bool had_ = false;
  std::string old_;
};

// Writes `content` to `relative` below `dir` and gives it the last-write time
// `unix_seconds`.
inline void WriteProgramFile(const TTempDir& dir, const std::string& relative,
                             const std::string& content, time_t unix_seconds) {
  dir.Write(relative, content);
  const struct timespec times[2] = {{unix_seconds, 0}, {unix_seconds, 0}};
  utimensat(AT_FDCWD, dir.Path(relative).c_str(), times, 0);
}

// The program folder: vexascan.exe with version 1.5.0.27, two libraries
// without versions, three include files (one of them with a UTF-8 name that
// holds an ampersand and markup), files the masks leave out, and a plug-in.
inline void WriteProgramFolder(const TTempDir& dir) {
  TSmallExecutableSpec spec;
  spec.file_version_ms = 0x00010005;
  spec.file_version_ls = 0x0000001B;
  // 2008-05-25 10:00 UTC
  WriteProgramFile(dir, "vexascan.exe", BuildSmallExecutable(spec).bytes, 1211709600);
  WriteProgramFile(dir, "probex.dll", "no version", 1211270400);  // 2008-05-20 08:00
  WriteProgramFile(dir, "kitlib.dll", "no version", 1211371200);  // 2008-05-21 12:00
  WriteProgramFile(dir, "vexascan.ini", "[Results]\n", 1211371200);
  WriteProgramFile(dir, "Includes/Tracks.uti", "rules", 1199145600);   // 2008-01-01 00:00
  WriteProgramFile(dir, "Includes/Spyware.qri", "rules", 1204329599);  // 2008-02-29 23:59:59
  WriteProgramFile(dir, "Includes/Caf\xC3\xA9 & <b>.qri", "rules", 1204329600);  // 2008-03-01
  WriteProgramFile(dir, "Includes/Browserpages.qrs", "list", 1204329600);
  WriteProgramFile(dir, "Plugins/extra.dll", "plug-in", 946684800);  // 2000-01-01 00:00
  WriteProgramFile(dir, "Plugins/readme.txt", "text", 946684800);
}

// The findings, in this order: a registry key (32-bit view), a registry value
// (64-bit view), a registry value whose data is removed, a registry change, a
// file, a folder, a host redirection, a browser finding, a usage track with a
// count, the hint notice, the closing notice, and the hostile finding.
inline void AddReportFindings(TMyScanResultsList* list) {
  auto add = [list](TQuarnelMainType main_type, TQuarnelFixType fix_type, const char* product,
                    const char* usage) {
    TMyScanResult* r = list->AddResult();
    r->MainType = main_type;
    r->FixType = fix_type;
    r->Product = product;
    r->Usage = usage;
    r->Checkable = main_type == mtQuarnel;
    return r;
  };
  TMyScanResult* r = add(mtQuarnel, ftRegistryKey, "Search Helper Bar", "Toolbar registration");
  r->RuleIDText = "123";
  r->RootKey = kHkeyLocalMachine;
  r->Key = "\\SOFTWARE\\SearchHelper\\";
  r->Infos.Assign({"AccessBits=32"});
  r->FullKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\SearchHelper\\";

  r = add(mtQuarnel, ftRegistryValue, "Search Helper Bar", "Starts with Windows");
  r->RuleIDText = "124";
  r->RootKey = kHkeyLocalMachine;
  r->Key = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\";
  r->Value = "SearchHelper";
  r->Infos.Assign({"AccessBits=64"});
  r->FullKey = "HKEY_LOCAL_MACHINE" + r->Key + r->Value + " [64bit]";

  r = add(mtQuarnel, ftRegistryValue, "Search Helper Bar", "Loads its library");
  r->RootKey = kHkeyLocalMachine;
  r->Key = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\";
  r->Value = "AppInit_DLLs";
  r->Infos.Assign({"Action=DataRemove", "RemoveData=shbar.dll", "AccessBits=32"});

  r = add(mtQuarnel, ftRegistryChange, "Home Page Hijacker", "Start page changed");
  r->RootKey = kHkeyCurrentUser;
  r->Key = "\\Software\\Microsoft\\Internet Explorer\\Main\\";
  r->Value = "Start Page";
  r->Status = srsDone;

  r = add(mtQuarnel, ftFile, "Search Helper Bar", " Toolbar library");
  r->Path = "C:\\Program Files\\SearchHelper\\";
  r->Filename = "shbar.dll";
  r->Status = srsDone;

  r = add(mtQuarnel, ftDirectory, "Search Helper Bar", "Program folder");
  r->Path = "C:\\Program Files\\SearchHelper\\";
  r->Status = srsError;

  r = add(mtQuarnel, ftHostRedirect, "Hosts Hijack", "Redirected host");
  r->Key = "search.example.com";
  r->Value = "203.0.113.7";
  r->Filename = "C:\\Windows\\System32\\drivers\\etc\\hosts";

  r = add(mtQuarnel, ftCacheCookie, "Ad Server Cookie", "Tracking cookie");
  r->Key = "Firefox";
  r->Path = "default";
  r->Value = "ads.example.net";
  r->Filename = "Firefox (default): ads.example.net";

  r = add(mtUsageTracking, ftTracksHistory, "Internet Explorer", "Visited pages");
  r->Count = " (12 entries)";
  r->Path = "C:\\Users\\Alice\\AppData\\Local\\Microsoft\\Windows\\History\\";

  add(mtStatus, ftStatus, "Hint of the Day",
      "Click the bar at the right of this to see more information!")
      ->Status = srsStatus;
  add(mtStatus, ftStatus, "Congratulations!", "No immediate threats were found.")->Status =
      srsDone;

  r = add(mtQuarnel, ftRegistryValue, "<script>alert(\"x\")</script> & Co's",
          "Says \"hi\" & <b>bye</b>\r\nsecond line");
  r->RuleIDText = "9<9>";
  r->RootKey = kHkeyCurrentUser;
  r->Key = "\\Software\\Caf\xE9 \x80\x81\x8D\x8F\x90\x9D\\";
  r->Value = std::string("Run\x01\x1B[2J\x7F\tend\0!", 15);
  r->Infos.Assign({"AccessBits=32"});
}

// The program folder, the export parameters the front end sets, a scan of
// 61.5 seconds and the UTC zone; the findings are the test's to add.
class TReportScene {
 public:
  TReportScene() {
    WriteProgramFolder(program);
    list.ExportParameters = {"Quarnel", "1.5", " CLE", "20080525", program.Dir()};
    list.Duration = EncodeTime(0, 1, 1, 500);
  }
  // The report of `format` as the front end saves it.
  std::string Saved(int format) const {
    TStringList lines;
    list.BuildReport(&lines, format, ReportTime());
    return lines.Text("\r\n");
  }

  TUtcZone zone;
  TTempDir program;
  TMyScanResultsList list;
};

}  // namespace vx::testing

#endif  // VX_TESTS_SUPPORT_REPORT_FINDINGS_H_
