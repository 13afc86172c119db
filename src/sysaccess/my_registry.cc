#include "sysaccess/my_registry.h"

#include <cstring>

#include "base/codepage.h"
#include "base/error.h"
#include "platform/registry_roots.h"

namespace vx {

namespace {

bool IsStringType(uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}


std::string AnsiDataToUtf16(std::string_view ansi) {
  std::string out;
  size_t start = 0;
  for (size_t i = 0; i <= ansi.size(); ++i) {
    if (i == ansi.size() || ansi[i] == '\0') {
      out += AnsiToUtf16Le(ansi.substr(start, i - start));
      if (i < ansi.size()) out.append(2, '\0');
      start = i + 1;
    }
  }
  return out;
}

std::string Quoted(std::string_view name) { return "'" + std::string(name) + "'"; }

}  // namespace

TMyRegDataType RegTypeToDataType(uint32_t windows_type) {
  switch (windows_type) {
    case kRegNone: return rtNone;
    case kRegSz: return rtString;
    case kRegExpandSz: return rtExpandString;
    case kRegBinary: return rtBinary;
    case kRegDword: return rtDWord;
    case kRegDwordBigEndian: return rtDWordBigEndian;
    case kRegLink: return rtLink;
    case kRegMultiSz: return rtMultiString;
    case kRegResourceList: return rtResourceList;
    case kRegFullResourceDescriptor: return rtFullResourceDescriptor;
    case kRegResourceRequirementsList: return rtResourceRequirementsList;
    case kRegQword: return rtQWord;
    default: return rtUnknown;
  }
}

uint32_t DataTypeToRegType(TMyRegDataType type) {
  switch (type) {
    case rtUnknown:
    case rtNone: return kRegNone;
    case rtString: return kRegSz;
    case rtExpandString: return kRegExpandSz;
    case rtBinary: return kRegBinary;
    case rtDWord:
    case rtDWordLittleEndian:
    case rtInteger: return kRegDword;
    case rtDWordBigEndian: return kRegDwordBigEndian;
    case rtLink: return kRegLink;
    case rtMultiString: return kRegMultiSz;
    case rtResourceList: return kRegResourceList;
    case rtFullResourceDescriptor: return kRegFullResourceDescriptor;
    case rtResourceRequirementsList: return kRegResourceRequirementsList;
    case rtQWord:
    case rtQWordLittleEndian: return kRegQword;
  }
  return kRegNone;
}

TMyRegistry::TMyRegistry() : root_key_(kHkeyCurrentUser), access_(kKeyAllAccess) {}

TMyRegistry::~TMyRegistry() = default;

void TMyRegistry::SetRootKey(uint32_t root) {
  CloseKey();
  root_key_ = root;
}

void TMyRegistry::SetBits(int bits) {
  if (bits != 32 && bits != 64) throw EVxError("Windows Registry only supported with 32 or 64 bits!");
  SetView(bits == 64 ? TRegView::rv64 : TRegView::rv32);
}

void TMyRegistry::SetView(TRegView view) {
  if (view == TRegView::rv32) {
    access_ &= ~kKeyWow64_64Key;
  } else {
    access_ &= ~kKeyWow64_32Key;
    access_ |= kKeyWow64_64Key;
  }
  view_ = view;
}

uint32_t TMyRegistry::AddViewBits(uint32_t mask) const {
  return view_ == TRegView::rv64 ? (mask | kKeyWow64_64Key) : mask;
}

std::string TMyRegistry::AbsolutePath(std::string_view path) const {
  if (!path.empty() && path[0] == '\\') return std::string(path.substr(1));
  if (current_ && !current_path_.empty()) {
    return path.empty() ? current_path_ : current_path_ + "\\" + std::string(path);
  }
  return std::string(path);
}

bool TMyRegistry::MakeCurrent(std::unique_ptr<TRegKey> key, std::string path) {
  if (!key) return false;
  current_ = std::move(key);
  current_path_ = std::move(path);
  return true;
}

bool TMyRegistry::OpenKeyReadOnly(std::string_view path) {
  std::string full = AbsolutePath(path);
  // The falling rights (KEY_READ, KEY_READ without notify, KEY_QUERY_VALUE)
  // all open the same key on a machine that keeps no access lists, so one
  // attempt stands for the three.
  auto key = CurrentMachine().OpenKey(root_key_, full, view_);
  return MakeCurrent(std::move(key), std::move(full));
}

bool TMyRegistry::OpenKey(std::string_view path, bool can_create) {
  SetView(view_);  // the view flag on the full-rights mask
  std::string full = AbsolutePath(path);
  auto key = can_create ? CurrentMachine().CreateKey(root_key_, full, view_)
                        : CurrentMachine().OpenKey(root_key_, full, view_);
  return MakeCurrent(std::move(key), std::move(full));
}

void TMyRegistry::CloseKey() {
  current_.reset();
  current_path_.clear();
}

bool TMyRegistry::KeyExists(std::string_view path) {
  return CurrentMachine().OpenKey(root_key_, AbsolutePath(path), view_) != nullptr;
}

bool TMyRegistry::ReadAnsiData(std::string_view name, TRegValue* value) {
  if (!current_ || !current_->QueryValue(name, value)) return false;
  if (IsStringType(value->type)) value->data = Utf16LeDataToAnsi(value->data);
  return true;
}

bool TMyRegistry::GetDataInfo(std::string_view value_name, TMyRegDataInfo* info) {
  *info = TMyRegDataInfo{};
  TRegValue value;
  if (!ReadAnsiData(value_name, &value)) return false;
  info->reg_data = RegTypeToDataType(value.type);
  info->raw_type = static_cast<int32_t>(value.type);
  info->data_size = static_cast<int32_t>(value.data.size());
  return true;
}

TMyRegDataType TMyRegistry::GetDataType(std::string_view value_name) {
  TMyRegDataInfo info;
  return GetDataInfo(value_name, &info) ? info.reg_data : rtUnknown;
}

int32_t TMyRegistry::GetDataSize(std::string_view value_name) {
  TMyRegDataInfo info;
  return GetDataInfo(value_name, &info) ? info.data_size : -1;
}

size_t TMyRegistry::GetData(std::string_view value_name, void* buffer, size_t size,
                            TMyRegDataType* type) {
  TRegValue value;
  if (!ReadAnsiData(value_name, &value) || value.data.size() > size) {
    throw EVxError("Failed to get data for " + Quoted(value_name));
  }
  if (!value.data.empty()) std::memcpy(buffer, value.data.data(), value.data.size());
  if (type) *type = RegTypeToDataType(value.type);
  return value.data.size();
}

void TMyRegistry::WriteValue(std::string_view name, uint32_t type, std::string data) {
  if (IsStringType(type)) data = AnsiDataToUtf16(data);
  TRegValue value;
  value.type = type;
  value.data = std::move(data);
  if (!current_ || !current_->SetValue(name, value)) {
    throw EVxError("Failed to set data for " + Quoted(name));
  }
}

void TMyRegistry::PutData(std::string_view value_name, const void* buffer, size_t size,
                          TMyRegDataType type) {
  WriteValue(value_name, DataTypeToRegType(type),
             std::string(static_cast<const char*>(buffer), size));
}

std::string TMyRegistry::ReadString(std::string_view name) {
  TRegValue value;
  if (!ReadAnsiData(name, &value) || value.data.empty()) return std::string();
  if (value.type != kRegSz && value.type != kRegExpandSz) {
    throw EVxError("Invalid data type for " + Quoted(name));
  }
  size_t zero = value.data.find('\0');
  if (zero != std::string::npos) value.data.resize(zero);
  return value.data;
}

int32_t TMyRegistry::ReadInteger(std::string_view name) {
  uint32_t v = 0;
  TMyRegDataType type = rtUnknown;
  GetData(name, &v, sizeof v, &type);
  if (type != rtDWord) throw EVxError("Invalid data type for " + Quoted(name));
  // The hive keeps little-endian bytes; this host reads them as they are.
  return static_cast<int32_t>(v);
}

bool TMyRegistry::ReadBool(std::string_view name) { return ReadInteger(name) != 0; }

bool TMyRegistry::ValueExists(std::string_view name) {
  return current_ && current_->ValueExists(name);
}

void TMyRegistry::GetValueNames(TStringList* list) {
  list->Clear();
  if (!current_) return;
  for (std::string& name : current_->ValueNames()) list->Add(std::move(name));
}

size_t TMyRegistry::ReadBinaryData(std::string_view name, void* buffer, size_t size) {
  TMyRegDataInfo info;
  if (!GetDataInfo(name, &info)) return 0;
  if (size < static_cast<size_t>(info.data_size)) {
    throw EVxError("Invalid data type for " + Quoted(name));
  }
  TMyRegDataType type = rtUnknown;
  GetData(name, buffer, static_cast<size_t>(info.data_size), &type);
  return static_cast<size_t>(info.data_size);
}

std::string TMyRegistry::ReadMultiString(std::string_view name) {
  TRegValue value;
  if (!ReadAnsiData(name, &value) || value.data.empty()) return std::string();
  std::string text;
  const std::string& data = value.data;
  for (size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '\0' && i + 1 < data.size()) {
      text += "\r\n";
    } else {
      text.push_back(data[i]);
    }
  }
  size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  if (value.type != kRegMultiSz) throw EVxError("Invalid data type for " + Quoted(name));
  return text;
}

void TMyRegistry::WriteMultiString(std::string_view name, std::string_view text) {
  std::string data;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      data.push_back('\0');
      ++i;
    } else {
      data.push_back(text[i]);
    }
  }
  data.push_back('\0');
  WriteValue(name, kRegMultiSz, std::move(data));
}

void TMyRegistry::WriteString(std::string_view name, std::string_view text) {
  WriteValue(name, kRegSz, std::string(text) + '\0');
}

void TMyRegistry::WriteExpandString(std::string_view name, std::string_view text) {
  WriteValue(name, kRegExpandSz, std::string(text) + '\0');
}

void TMyRegistry::WriteInteger(std::string_view name, int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  std::string data;
  for (int k = 0; k < 4; ++k) data.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
  WriteValue(name, kRegDword, std::move(data));
}

void TMyRegistry::WriteBool(std::string_view name, bool value) { WriteInteger(name, value ? 1 : 0); }

bool TMyRegistry::DeleteValue(std::string_view name) {
  return current_ && current_->DeleteValue(name);
}

bool TMyRegistry::DeleteKey(std::string_view path) {
  return CurrentMachine().DeleteKey(root_key_, AbsolutePath(path), view_);
}

void TMyRegistry::GetKeyNames(TStringList* list) {
  list->Clear();
  if (!current_) return;
  for (std::string& name : current_->SubKeyNames()) list->Add(std::move(name));
}

bool TMyRegistry::HasSubKeys() { return current_ && !current_->SubKeyNames().empty(); }

bool RegReadString(uint32_t root, std::string_view path, std::string_view value_name, TRegView view,
                   std::string* out) {
  TMyRegistry reg;
  reg.SetRootKey(root);
  reg.SetView(view);
  if (!reg.OpenKeyReadOnly(path)) return false;
  switch (reg.GetDataType(value_name)) {
    case rtString:
    case rtExpandString:
      *out = reg.ReadString(value_name);
      return true;
    case rtMultiString:
      *out = reg.ReadMultiString(value_name);
      return true;
    default:
      return false;
  }
}

bool RegReadInteger(uint32_t root, std::string_view path, std::string_view value_name,
                    int32_t* out) {
  TMyRegistry reg;
  reg.SetRootKey(root);
  reg.SetView(TRegView::rv32);
  if (!reg.OpenKeyReadOnly(path) || reg.GetDataType(value_name) != rtDWord) return false;
  *out = reg.ReadInteger(value_name);
  return true;
}

bool RegReadBool(uint32_t root, std::string_view path, std::string_view value_name, bool* out) {
  int32_t v = 0;
  if (!RegReadInteger(root, path, value_name, &v)) return false;
  *out = v != 0;
  return true;
}

bool RegGetSubKeyNames(uint32_t root, std::string_view path, TStringList* list, TRegView view) {
  try {
    TMyRegistry reg;
    reg.SetRootKey(root);
    reg.SetView(view);
    if (!reg.OpenKey(path, false)) return false;
    if (list) reg.GetKeyNames(list);
    return true;
  } catch (...) {
    if (list) list->Clear();
    return false;
  }
}

bool RegKeyExists(uint32_t root, std::string_view path, TRegView view) {
  try {
    TMyRegistry reg;
    reg.SetRootKey(root);
    reg.SetView(view);
    return reg.KeyExists(path);
  } catch (...) {
    return false;
  }
}

std::string RootKeyToName(uint32_t root) {
  const TRegRoot* row = RegRootOfHandle(root);
  return row ? std::string(row->long_name) : std::to_string(root);
}

uint32_t NameToRootKey(std::string_view name) {
  const TRegRoot* row = RegRootOfName(name);
  return row ? row->handle : 0;
}

TRegistryPath SplitRegistryPath(std::string_view full_path) {
  TRegistryPath result;
  size_t first = full_path.find('\\');
  if (first == std::string_view::npos) {
    result.key.assign(1, '\\');
    return result;
  }
  result.root = NameToRootKey(full_path.substr(0, first));
  std::string_view rest = full_path.substr(first + 1);
  if (rest.empty()) {
    result.key.assign(1, '\\');
    return result;
  }
  size_t last = rest.rfind('\\');
  if (last == std::string_view::npos) {
    result.key = std::string(rest) + "\\";
    return result;
  }
  result.key = std::string(rest.substr(0, last + 1));
  result.value_name = std::string(rest.substr(last + 1));
  if (result.value_name == "@") result.value_name.clear();
  return result;
}

std::string SetTrailingBackslash(std::string_view text, int mode) {
  std::string out(text);
  if (mode == 0) {
    if (!out.empty() && out.back() == '\\') out.pop_back();
  } else if (mode == 1) {
    if (out.empty() || out.back() != '\\') out.push_back('\\');
  }
  return out;
}

bool IsWow64() { return HasCurrentMachine() && CurrentMachine().IsWow64(); }

bool IsMiniNT() {
  // Asked of the current machine each time: one key lookup is cheap, and a
  // value kept across machines (tests open many) could answer for the wrong one.
  if (!HasCurrentMachine()) return false;
  return RegKeyExists(kHkeyLocalMachine, "\\system\\currentcontrolset\\control\\minint", TRegView::rv32);
}

}  // namespace vx
