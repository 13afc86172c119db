#include "extlib/kit_library.h"

#include <memory>

#include "base/string_list.h"
#include "extlib/host_callbacks.h"
#include "match/path_variables.h"

namespace vx {

namespace {

std::unique_ptr<TKitLibrary>& Instance() {
  static std::unique_ptr<TKitLibrary> instance;
  return instance;
}

std::string Copy(const char* text) { return text ? std::string(text) : std::string(); }

}  // namespace

TKitLibrary::TKitLibrary(const std::string& path) : path_(path) {
  if (!LoadWithHostCallbacks(path, &library_)) return;
  RandomName = library_.Export<VxRandomNameFn>("RandomName");
  RandomUniqueName = library_.Export<VxRandomUniqueNameFn>("RandomUniqueName");
  MyDeleteFile = library_.Export<VxMyDeleteFileFn>("MyDeleteFile");
  ShredFile = library_.Export<VxShredFileFn>("ShredFile");
  RASInstalled = library_.Export<VxRASInstalledFn>("RASInstalled");
  WinSockCorrupted = library_.Export<VxWinSockCorruptedFn>("WinSockCorrupted");
  FixWinSock = library_.Export<VxFixWinSockFn>("FixWinSock");
  SolveEnv = library_.Export<VxSolveEnvFn>("SolveEnv");
  SolveEnvMulti = library_.Export<VxSolveEnvMultiFn>("SolveEnvMulti");
  CompareFilenames = library_.Export<VxCompareFilenamesFn>("CompareFilenames");
  GetFlagNumber = library_.Export<VxGetFlagNumberFn>("GetFlagNumber");
  CheckWinsockAndClean = library_.Export<VxCheckWinsockAndCleanFn>("CheckWinsockAndClean");
  PreparePathSolvePE = library_.Export<VxPreparePathSolvePEFn>("PreparePathSolvePE");
  SetDebugMode = library_.Export<VxSetDebugModeFn>("SetDebugMode");
  if (PreparePathSolvePE) PreparePathSolvePE();
}

void LoadKitLibrary(const std::string& path) {
  Instance().reset();
  auto library = std::make_unique<TKitLibrary>(path);
  if (library->Loaded()) Instance() = std::move(library);
}

void UnloadKitLibrary() { Instance().reset(); }

TKitLibrary* KitLibrary() { return Instance().get(); }

std::string KitSolveEnv(std::string_view text) {
  TKitLibrary* kit = KitLibrary();
  if (kit && kit->SolveEnv) return Copy(kit->SolveEnv(std::string(text).c_str()));
  return SolvePath(text);
}

std::string KitSolveEnvMulti(std::string_view text) {
  TKitLibrary* kit = KitLibrary();
  if (kit && kit->SolveEnvMulti) return Copy(kit->SolveEnvMulti(std::string(text).c_str()));
  TStringList all;
  SolvePathAll(text, &all);
  std::string joined;
  for (int i = 0; i < all.Count(); ++i) {
    if (i > 0) joined += "\r\n";
    joined += all[i];
  }
  return joined;
}

bool KitCompareFilenames(std::string_view file_name, std::string_view pattern) {
  TKitLibrary* kit = KitLibrary();
  if (kit && kit->CompareFilenames) {
    return kit->CompareFilenames(std::string(file_name).c_str(), std::string(pattern).c_str()) != 0;
  }
  return file_name.find(pattern) != std::string_view::npos;
}

bool KitCheckWinsockAndClean(std::string_view provider, std::string_view file_name, bool exact,
                             bool clean) {
  TKitLibrary* kit = KitLibrary();
  if (!kit || !kit->CheckWinsockAndClean) return false;
  return kit->CheckWinsockAndClean(std::string(provider).c_str(), std::string(file_name).c_str(),
                                   exact ? 1 : 0, clean ? 1 : 0) != 0;
}

void KitRASInstalled() {
  TKitLibrary* kit = KitLibrary();
  if (kit && kit->RASInstalled) kit->RASInstalled();
}

}  // namespace vx
