#include "companions/kitlib/winsock_catalog.h"

#include <algorithm>

#include "companions/common/target_access.h"
#include "companions/common/text_match.h"

namespace vx::companion {

namespace {

constexpr const char* kParametersKey = "SYSTEM\\CurrentControlSet\\Services\\WinSock2\\Parameters";
constexpr const char* kProtocolCatalog = "Protocol_Catalog9";
constexpr const char* kNameSpaceCatalog = "NameSpace_Catalog5";
constexpr const char* kEntryLists[] = {"Catalog_Entries", "Catalog_Entries64"};

// A real catalogue holds a few dozen entries; a damaged hive may claim more.
constexpr size_t kMaxEntries = 4096;
// The stored path is a fixed MAX_PATH field.
constexpr size_t kPathField = 260;
// WSAPROTOCOL_INFOW puts its 256-character description after 116 bytes of
// numeric fields.
constexpr size_t kDescriptionOffset = kPathField + 116;
constexpr size_t kDescriptionChars = 256;

constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;

std::string FileNamePart(std::string_view path) {
  const size_t slash = path.find_last_of("\\/");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool TextMatches(std::string_view candidate, std::string_view wanted, bool exact) {
  if (candidate.empty()) return false;
  return exact ? SameTextIgnoringCase(candidate, wanted)
               : ContainsIgnoringCase(candidate, wanted);
}

bool PathMatches(const TWinsockProvider& provider, std::string_view wanted, bool exact) {
  for (const std::string* path : {&provider.library_path, &provider.expanded_path}) {
    if (TextMatches(*path, wanted, exact) || TextMatches(FileNamePart(*path), wanted, exact)) {
      return true;
    }
  }
  return false;
}

// Descriptions are UTF-16; characters outside ASCII become "?", which is
// enough to compare the names rules use.
std::string DecodeDescription(std::string_view data) {
  std::string text;
  for (size_t i = 0; i < kDescriptionChars; ++i) {
    const size_t at = kDescriptionOffset + 2 * i;
    if (at + 1 >= data.size()) break;
    const unsigned code = static_cast<unsigned char>(data[at]) |
                          (static_cast<unsigned>(static_cast<unsigned char>(data[at + 1])) << 8);
    if (code == 0) break;
    text += code < 0x80 ? static_cast<char>(code) : '?';
  }
  return text;
}

void ExpandPath(TWinsockProvider* provider) {
  if (!ExpandTargetEnvironment(provider->library_path, &provider->expanded_path)) {
    provider->expanded_path = provider->library_path;
  }
}

void ReadCatalog(const std::string& catalog, bool packed, std::vector<TWinsockProvider>* out) {
  for (const char* list : kEntryLists) {
    const std::string list_key = std::string(kParametersKey) + "\\" + catalog + "\\" + list;
    std::vector<std::string> entries;
    if (!ListTargetRegistrySubkeys(VX_HKEY_LOCAL_MACHINE, list_key, VX_REG_VIEW_64, &entries)) {
      continue;
    }
    if (entries.size() > kMaxEntries) entries.resize(kMaxEntries);
    for (const std::string& entry : entries) {
      const std::string key = list_key + "\\" + entry;
      TWinsockProvider provider;
      TTargetRegValue value;
      if (packed) {
        if (!ReadTargetRegistryValue(VX_HKEY_LOCAL_MACHINE, key, "PackedCatalogItem",
                                     VX_REG_VIEW_64, &value) ||
            !DecodePackedCatalogItem(value.data, &provider)) {
          continue;
        }
      } else {
        if (!ReadTargetRegistryValue(VX_HKEY_LOCAL_MACHINE, key, "LibraryPath", VX_REG_VIEW_64,
                                     &value) ||
            (value.type != kRegSz && value.type != kRegExpandSz) || value.data.empty()) {
          continue;
        }
        provider.library_path = value.data;
        TTargetRegValue name;
        if (ReadTargetRegistryValue(VX_HKEY_LOCAL_MACHINE, key, "DisplayString", VX_REG_VIEW_64,
                                    &name) &&
            (name.type == kRegSz || name.type == kRegExpandSz)) {
          provider.display_name = name.data;
        }
      }
      ExpandPath(&provider);
      out->push_back(std::move(provider));
    }
  }
}

}  // namespace

bool DecodePackedCatalogItem(std::string_view data, TWinsockProvider* provider) {
  const std::string_view field = data.substr(0, std::min(data.size(), kPathField));
  const size_t end = field.find('\0');
  const std::string_view path = field.substr(0, end);
  if (path.empty()) return false;
  provider->library_path.assign(path);
  provider->display_name = DecodeDescription(data);
  return true;
}

std::vector<TWinsockProvider> ReadWinsockProviders() {
  std::vector<TWinsockProvider> providers;
  ReadCatalog(kProtocolCatalog, true, &providers);
  ReadCatalog(kNameSpaceCatalog, false, &providers);
  return providers;
}

bool ProviderMatches(const TWinsockProvider& provider, std::string_view name,
                     std::string_view file, bool exact) {
  if (name.empty() && file.empty()) return false;
  if (!name.empty() && !TextMatches(provider.display_name, name, exact) &&
      !PathMatches(provider, name, exact)) {
    return false;
  }
  return file.empty() || PathMatches(provider, file, exact);
}

}  // namespace vx::companion
