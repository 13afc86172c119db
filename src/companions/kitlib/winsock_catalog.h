// The target's Winsock catalogue: the transport providers (layered service
// providers among them) and name-space providers that Windows loads into
// every program that uses sockets. Read only: this library never changes it.
#ifndef VX_COMPANIONS_KITLIB_WINSOCK_CATALOG_H_
#define VX_COMPANIONS_KITLIB_WINSOCK_CATALOG_H_

#include <string>
#include <string_view>
#include <vector>

namespace vx::companion {

struct TWinsockProvider {
  std::string library_path;  // as stored, e.g. "%SystemRoot%\system32\mswsock.dll"
  std::string expanded_path; // with the target's %VAR% references filled in
  std::string display_name;  // protocol or name-space description; may be empty
};

// Every provider of both catalogues (and their 64-bit twins). A missing
// catalogue gives none; damaged entries are skipped.
std::vector<TWinsockProvider> ReadWinsockProviders();

// Decodes one PackedCatalogItem: the provider's DLL path as ANSI text at the
// start, then the protocol information with its UTF-16 description. Returns
// false when no path can be read.
bool DecodePackedCatalogItem(std::string_view data, TWinsockProvider* provider);

// Whether `provider` is what a Winsock rule names. `name` must equal (exact)
// or occur in (not exact) the description, the path, or the path's file
// name; a non-empty `file` must in the same way match the path or its file
// name. Case is ignored. Both empty never match.
bool ProviderMatches(const TWinsockProvider& provider, std::string_view name,
                     std::string_view file, bool exact);

}  // namespace vx::companion

#endif  // VX_COMPANIONS_KITLIB_WINSOCK_CATALOG_H_
