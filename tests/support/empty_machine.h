// A machine with nothing on it: enough for the parts of a scan that only talk
// to the user, and a base for doubles that offer one thing.
#ifndef VX_TESTS_SUPPORT_EMPTY_MACHINE_H_
#define VX_TESTS_SUPPORT_EMPTY_MACHINE_H_

#include <string>
#include <vector>

#include "platform/machine.h"

namespace vx::testing {

class TEmptyMachine : public TMachine {
 public:
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
};

}  // namespace vx::testing

#endif  // VX_TESTS_SUPPORT_EMPTY_MACHINE_H_
