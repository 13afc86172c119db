#include "platform/machine.h"

#include <stdexcept>

namespace vx {

namespace {
// Set once at start-up before any thread exists; only read afterwards.
std::shared_ptr<TMachine>& MachineSlot() {
  static std::shared_ptr<TMachine> slot;
  return slot;
}
}  // namespace

bool TMachine::FileExists(std::string_view path) {
  TFileInfo info;
  return GetFileInfo(path, &info) && !info.is_directory;
}

bool TMachine::DirectoryExists(std::string_view path) {
  TFileInfo info;
  return GetFileInfo(path, &info) && info.is_directory;
}

bool TMachine::GetFileVersion(std::string_view path, TFileVersionInfo* info) {
  std::unique_ptr<TFileReader> reader = OpenFile(path);
  if (!reader || reader->Size() > kMaxVersionFileBytes) return false;
  std::string bytes;
  if (!reader->ReadAt(0, static_cast<size_t>(reader->Size()), &bytes)) return false;
  return ParseVersionResource(bytes, info);
}

bool TMachine::ReadFileBytes(std::string_view path, std::string* data, uint64_t max_bytes) {
  return ReadFile(path, data, max_bytes) == TReadStatus::rsOk;
}

TMachine& CurrentMachine() {
  if (!MachineSlot()) throw std::logic_error("no machine to scan has been set");
  return *MachineSlot();
}

bool HasCurrentMachine() { return MachineSlot() != nullptr; }

void SetCurrentMachine(std::shared_ptr<TMachine> machine) { MachineSlot() = std::move(machine); }

}  // namespace vx
