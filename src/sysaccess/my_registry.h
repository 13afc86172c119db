// TMyRegistry: the one accessor through which the scanner reads the registry
// of the machine it examines (CurrentMachine()), in the 32-bit or the 64-bit
// view. The scanner behaves as a 32-bit process, so the 32-bit view is the
// default, and on a 64-bit system it is the redirected one.
//
// Key paths: a path that starts with a backslash is taken from the root key
// (the backslash is dropped); any other path is relative to the current key
// when one is open, else taken from the root key.
//
// Texts are the program's ANSI text: string values (UTF-16 in the hive) are
// converted to the ANSI code page, as the "A" functions of the system do.
//
// Absence is no error for lookups: a missing key gives false, a missing
// string value the empty text. A value of the wrong type and a failed raw
// read raise EVxError with the framework's messages ("Invalid data type for
// 'X'", "Failed to get data for 'X'").
#ifndef VX_SYSACCESS_MY_REGISTRY_H_
#define VX_SYSACCESS_MY_REGISTRY_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/object.h"
#include "base/string_list.h"
#include "platform/machine.h"

namespace vx {

// Access rights and view flags as Windows numbers them.
constexpr uint32_t kKeyQueryValue = 0x0001;
constexpr uint32_t kKeyRead = 0x20019;
constexpr uint32_t kKeyReadNoNotify = 0x20009;
constexpr uint32_t kKeyAllAccess = 0xF003F;
constexpr uint32_t kKeyWow64_64Key = 0x0100;
constexpr uint32_t kKeyWow64_32Key = 0x0200;

enum TMyRegDataType : uint8_t {
  rtUnknown = 0,
  rtNone = 1,
  rtString = 2,
  rtExpandString = 3,
  rtBinary = 4,
  rtDWord = 5,
  rtDWordLittleEndian = 6,  // writing only
  rtDWordBigEndian = 7,
  rtLink = 8,
  rtMultiString = 9,
  rtResourceList = 10,
  rtFullResourceDescriptor = 11,
  rtResourceRequirementsList = 12,
  rtQWord = 13,
  rtQWordLittleEndian = 14,  // writing only
  rtInteger = 15,            // writing only
};

// Windows type number -> enumeration (anything unlisted is rtUnknown).
TMyRegDataType RegTypeToDataType(uint32_t windows_type);
// Enumeration -> Windows type number (rtUnknown and rtNone give REG_NONE).
uint32_t DataTypeToRegType(TMyRegDataType type);

struct TMyRegDataInfo {
  TMyRegDataType reg_data = rtUnknown;
  int32_t raw_type = 0;
  int32_t data_size = 0;  // bytes as the ANSI functions report them
};

class TMyRegistry : public TObject {
 public:
  TMyRegistry();
  ~TMyRegistry() override;

  // Closes the current key and changes the root.
  void SetRootKey(uint32_t root);
  uint32_t RootKey() const { return root_key_; }

  // The view as the rule files write it: 32 or 64; anything else raises
  // "Windows Registry only supported with 32 or 64 bits!".
  virtual void SetBits(int bits);
  int Bits() const { return RegViewBits(view_); }
  // The view every later open, lookup and write uses; it also sets the view
  // flag of the access mask.
  void SetView(TRegView view);
  TRegView View() const { return view_; }
  // The mask with KEY_WOW64_64KEY added in the 64-bit view.
  uint32_t AddViewBits(uint32_t mask) const;
  bool Is64() const { return view_ == TRegView::rv64; }
  uint32_t Access() const { return access_; }
  void SetAccess(uint32_t access) { access_ = access; }

  // Opens the key for reading and makes it current; false (and nothing
  // changed) when it does not exist.
  bool OpenKeyReadOnly(std::string_view path);
  // Opens (or creates, when allowed) the key with full rights and makes it
  // current; false when it is missing and may not or cannot be created.
  bool OpenKey(std::string_view path, bool can_create);
  void CloseKey();
  // Whether the key exists; the current key does not change.
  bool KeyExists(std::string_view path);
  bool HasCurrentKey() const { return current_ != nullptr; }
  TRegKey* CurrentKey() const { return current_.get(); }
  const std::string& CurrentPath() const { return current_path_; }

  // Type and size of a value of the current key; false and an all-zero
  // record when the value (or the current key) is missing.
  bool GetDataInfo(std::string_view value_name, TMyRegDataInfo* info);
  TMyRegDataType GetDataType(std::string_view value_name);
  // Data size in bytes, -1 when the value is missing.
  int32_t GetDataSize(std::string_view value_name);
  // Copies at most `size` bytes of the value into `buffer` and sets `type`
  // from the value; raises "Failed to get data for 'X'" when the value
  // cannot be read or the buffer is too small.
  size_t GetData(std::string_view value_name, void* buffer, size_t size, TMyRegDataType* type);
  // Writes `size` bytes with the Windows type of `type`; raises "Failed to set
  // data for 'X'" when refused.
  void PutData(std::string_view value_name, const void* buffer, size_t size, TMyRegDataType type);

  // REG_SZ and REG_EXPAND_SZ (not expanded), cut at the first zero; a
  // missing value gives the empty text; another type raises.
  std::string ReadString(std::string_view name);
  // REG_DWORD only; a missing value or another type raises.
  int32_t ReadInteger(std::string_view name);
  bool ReadBool(std::string_view name);
  bool ValueExists(std::string_view name);
  void GetValueNames(TStringList* list);
  // 0 when the value is missing; raises when `size` is smaller than the data.
  size_t ReadBinaryData(std::string_view name, void* buffer, size_t size);
  // Each string followed by CR LF; the empty text for a missing or empty
  // value; raises for a value that is no REG_MULTI_SZ.
  std::string ReadMultiString(std::string_view name);
  void WriteMultiString(std::string_view name, std::string_view text);
  void WriteString(std::string_view name, std::string_view text);
  void WriteExpandString(std::string_view name, std::string_view text);
  void WriteInteger(std::string_view name, int32_t value);
  void WriteBool(std::string_view name, bool value);
  bool DeleteValue(std::string_view name);
  // Deletes a key (relative like OpenKey); false when refused or missing.
  bool DeleteKey(std::string_view path);

  // Clears the list, then adds the subkey names in enumeration order.
  void GetKeyNames(TStringList* list);
  bool HasSubKeys();

 private:
  // The path from the root that `path` names (see "Key paths" above).
  std::string AbsolutePath(std::string_view path) const;
  // Makes an opened key current under its path from the root; false (and
  // nothing changed) when there is no key.
  bool MakeCurrent(std::unique_ptr<TRegKey> key, std::string path);
  bool ReadAnsiData(std::string_view name, TRegValue* value);
  void WriteValue(std::string_view name, uint32_t type, std::string data);

  std::unique_ptr<TRegKey> current_;
  uint32_t root_key_;
  std::string current_path_;
  uint32_t access_;
  TRegView view_ = TRegView::rv32;
};

// One-call helpers; each uses its own accessor and never leaves a key open.
// A missing key, missing value or another type gives false and leaves `out`
// unchanged. An empty value name reads the default value.
bool RegReadString(uint32_t root, std::string_view path, std::string_view value_name, TRegView view,
                   std::string* out);
bool RegReadInteger(uint32_t root, std::string_view path, std::string_view value_name,
                    int32_t* out);
bool RegReadBool(uint32_t root, std::string_view path, std::string_view value_name, bool* out);
// Any failure clears the list and gives false.
bool RegGetSubKeyNames(uint32_t root, std::string_view path, TStringList* list, TRegView view);
// In the 32-bit view unless told otherwise, like a fresh accessor.
bool RegKeyExists(uint32_t root, std::string_view path, TRegView view = TRegView::rv32);

// Long names ("HKEY_LOCAL_MACHINE"); another handle gives its decimal number.
std::string RootKeyToName(uint32_t root);
// Long or short name ("HKLM", "HKUS"), exact case; anything else gives 0.
uint32_t NameToRootKey(std::string_view name);

struct TRegistryPath {
  uint32_t root = 0;
  std::string key;         // ends with a backslash
  std::string value_name;  // empty = default value ("@")
};
TRegistryPath SplitRegistryPath(std::string_view full_path);

// mode 0 removes one trailing backslash, mode 1 adds one when missing.
std::string SetTrailingBackslash(std::string_view text, int mode);

// Whether the scanner sees the machine as a 32-bit process on 64-bit Windows.
bool IsWow64();
// Whether HKLM\system\currentcontrolset\control\minint exists on the
// current machine.
bool IsMiniNT();

}  // namespace vx

#endif  // VX_SYSACCESS_MY_REGISTRY_H_
