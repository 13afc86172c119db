// A machine with nothing on it that records the notices it is asked to show:
// enough for the parts of a scan that only talk to the user.
#ifndef VX_TESTS_SCAN_NOTICE_MACHINE_H_
#define VX_TESTS_SCAN_NOTICE_MACHINE_H_

#include <string>
#include <thread>
#include <vector>

#include "platform/machine.h"

namespace vx::testing {

class TNoticeMachine : public TMachine {
 public:
  struct Notice {
    std::string text;
    std::string caption;
    std::thread::id thread;
  };
  std::vector<Notice> warnings;
  std::vector<Notice> event_log;

  // The scan thread's own warning boxes (not the library loader's).
  std::vector<Notice> ScanWarnings() const {
    std::vector<Notice> boxes;
    for (const Notice& n : warnings) {
      if (n.caption == "Quarnel") boxes.push_back(n);
    }
    return boxes;
  }

  std::unique_ptr<TRegKey> OpenKey(uint32_t, std::string_view, TRegView) override { return nullptr; }
  std::unique_ptr<TRegKey> CreateKey(uint32_t, std::string_view, TRegView) override { return nullptr; }
  bool DeleteKey(uint32_t, std::string_view, TRegView) override { return false; }
  bool LoadHive(uint32_t, std::string_view, std::string_view) override { return false; }
  bool UnloadHive(uint32_t, std::string_view) override { return false; }
  bool ListDirectory(std::string_view, std::string_view, std::vector<TFileInfo>*) override { return false; }
  bool GetFileInfo(std::string_view, TFileInfo*) override { return false; }
  TReadStatus ReadFile(std::string_view, std::string*, uint64_t) override { return TReadStatus::rsMissing; }
  std::unique_ptr<TFileReader> OpenFile(std::string_view, TReadStatus* status) override {
    if (status) *status = TReadStatus::rsMissing;
    return nullptr;
  }
  bool ListStreams(std::string_view, std::vector<TStreamInfo>*) override { return false; }
  bool WriteFile(std::string_view, std::string_view) override { return false; }
  bool CreateDirectory(std::string_view) override { return false; }
  bool MoveFile(std::string_view, std::string_view) override { return false; }
  bool DeleteFile(std::string_view) override { return false; }
  std::string SpecialFolder(int) override { return ""; }
  bool ReadShortcut(std::string_view, TShortcutInfo*) override { return false; }
  std::string WindowsDirectory() override { return "C:\\Windows"; }
  std::string SystemDirectory() override { return "C:\\Windows\\system32"; }
  bool GetEnvironmentVariable(std::string_view, std::string*) override { return false; }
  std::string ExpandEnvironmentStrings(std::string_view text) override { return std::string(text); }
  std::vector<char> LogicalDrives() override { return {'C'}; }
  uint32_t DriveType(char) override { return kDriveFixed; }
  bool VolumeInformation(char, TVolumeInfo*) override { return false; }
  bool IsWow64() override { return false; }
  std::string UserName() override { return "Alice"; }
  std::string UserSid() override { return ""; }
  void WarningBox(std::string_view text, std::string_view caption) override {
    warnings.push_back({std::string(text), std::string(caption), std::this_thread::get_id()});
  }
  void EventLogError(std::string_view source, std::string_view text) override {
    event_log.push_back({std::string(text), std::string(source), std::this_thread::get_id()});
  }
};

}  // namespace vx::testing

#endif  // VX_TESTS_SCAN_NOTICE_MACHINE_H_
