// TOfflineRegistry: the registry of an image as the running system would
// show it. Each hive is a mount (a hive file read with hivex, or nothing,
// plus an in-memory overlay that holds .reg text and changes); the roots
// are views over the mounts:
//   HKLM  SYSTEM, SOFTWARE, SAM, SECURITY, HARDWARE and loaded hives;
//         SYSTEM\CurrentControlSet is the set SYSTEM\Select\Current names
//   HKU   .DEFAULT, <SID> per profile, <SID>_Classes
//   HKCU  HKU\<chosen SID>; its Software\Classes is <SID>_Classes when that exists
//   HKCR  the user's classes over HKLM\SOFTWARE\Classes (the user's keys win)
//   HKCC  HKLM\SYSTEM\CurrentControlSet\Hardware Profiles\Current
// On a 64-bit image the 32-bit view redirects HKLM\SOFTWARE to its
// Wow6432Node (the keys the system shares stay shared) and the class keys
// (CLSID, Interface, ...) of HKCR and the user's classes to theirs.
#ifndef VX_PLATFORM_OFFLINE_OFFLINE_REGISTRY_H_
#define VX_PLATFORM_OFFLINE_OFFLINE_REGISTRY_H_

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/machine.h"
#include "platform/offline/hive_file.h"
#include "platform/offline/mem_key.h"
#include "platform/offline/reg_text.h"

namespace vx {

struct TRegMount {
  uint32_t root = 0;  // kHkeyLocalMachine or kHkeyUsers
  std::string name;   // "SOFTWARE", ".DEFAULT", "S-1-5-21-..."
  std::shared_ptr<THive> hive;  // nullptr: no hive file
  TMemKey overlay{""};
  std::vector<std::string> sources;  // files it was read from, for descriptions
  bool unloaded = false;
};

class TOfflineRegistry {
 public:
  explicit TOfflineRegistry(bool writable) : writable_(writable) {}

  // Adds (or returns the existing) mount; `hive` may be nullptr.
  std::shared_ptr<TRegMount> Mount(uint32_t root, std::string_view name,
                                   std::shared_ptr<THive> hive);
  std::shared_ptr<TRegMount> FindMount(uint32_t root, std::string_view name);
  std::vector<std::shared_ptr<TRegMount>> Mounts();
  // The HKU mount HKEY_CURRENT_USER stands for.
  void SetCurrentUser(std::string_view sid) { current_user_ = std::string(sid); }
  void SetWin64(bool win64) { win64_ = win64; }
  bool Win64() const { return win64_; }
  void SetCodePage(int code_page);
  // "ControlSet001" or empty when the image names none.
  std::string CurrentControlSetName();

  // The TMachine operations. `force` writes even to a read-only image (for
  // loading .reg text).
  std::unique_ptr<TRegKey> Open(uint32_t root, std::string_view path, TRegView view);
  std::unique_ptr<TRegKey> Create(uint32_t root, std::string_view path, TRegView view, bool force);
  bool Delete(uint32_t root, std::string_view path, TRegView view, bool force);
  bool SetValue(uint32_t root, std::string_view path, TRegView view, std::string_view name,
                const TRegValue& value, bool force);
  bool LoadHive(uint32_t root, std::string_view name, const std::string& host_file,
                std::string* error);
  bool UnloadHive(uint32_t root, std::string_view name);

  // Applies parsed .reg text in the 64-bit view. HKEY_CURRENT_USER means
  // HKU\<hkcu_sid>. Unknown roots become messages naming label and line.
  void Apply(const std::vector<TRegOp>& ops, std::string_view hkcu_sid, std::string_view label,
             std::vector<std::string>* messages);

  // Implementation details shared with the key objects.
  struct TLayer {
    std::shared_ptr<TRegMount> mount;
    std::vector<std::string> components;  // below the mount's root
    THiveNode node = 0;
    TMemKey* mem = nullptr;
    bool exists = false;
  };
  enum class TVirtualRoot { vrNone, vrMachine, vrUsers };
  struct TResolved {
    TVirtualRoot virtual_root = TVirtualRoot::vrNone;
    std::vector<TLayer> layers;  // highest priority first
    size_t create_index = 0;     // the layer a new key is made in
    std::vector<std::string> extra_names;  // subkeys a running system would list too
  };
  std::recursive_mutex& Mutex() { return mutex_; }
  bool Writable() const { return writable_; }
  void Refresh(TLayer* layer);
  TMemKey* Materialize(TLayer* layer);
  std::vector<std::string> MountNames(uint32_t root);
  uint64_t Generation() const { return generation_; }
  void Touch() { ++generation_; }

 private:
  struct TCandidate {
    std::shared_ptr<TRegMount> mount;
    std::vector<std::string> components;
  };
  TResolved Resolve(uint32_t root, const std::vector<std::string>& components, TRegView view);
  void MachineCandidates(const std::shared_ptr<TRegMount>& mount, std::vector<std::string> rest,
                         TRegView view, std::vector<TCandidate>* out, std::vector<std::string>* extra);
  void UserCandidates(const std::shared_ptr<TRegMount>& mount, std::vector<std::string> rest,
                      TRegView view, std::vector<TCandidate>* out);
  void ClassesCandidates(const std::shared_ptr<TRegMount>& mount, std::vector<std::string> rest,
                         TRegView view, std::vector<TCandidate>* out);
  std::shared_ptr<TRegMount> UserMount();
  TLayer Walk(TCandidate candidate);
  static std::string MountKey(uint32_t root, std::string_view name);

  bool writable_;
  bool win64_ = false;
  std::string current_user_;
  std::recursive_mutex mutex_;
  std::vector<std::shared_ptr<TRegMount>> mounts_;
  // MountKey -> mount: .reg text can name thousands of hives, and every
  // statement looks its hive up.
  std::unordered_map<std::string, std::shared_ptr<TRegMount>> mount_index_;
  uint64_t generation_ = 1;
  uint64_t ccs_generation_ = 0;
  std::string ccs_name_;
};

// Splits a registry path at backslashes, dropping empty parts.
std::vector<std::string> SplitKeyPath(std::string_view path);

}  // namespace vx

#endif  // VX_PLATFORM_OFFLINE_OFFLINE_REGISTRY_H_
