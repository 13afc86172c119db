// TKitLibrary: the tools library kitlib.dll. It resolves path variables and
// offers a few system services. Loaded once while the program starts, before
// any thread exists; the wrappers below fall back to the scanner's own code
// when the library or one of its exports is missing, without a message.
#ifndef VX_EXTLIB_KIT_LIBRARY_H_
#define VX_EXTLIB_KIT_LIBRARY_H_

#include <string>
#include <string_view>

#include "base/object.h"
#include "companions/companion_abi.h"
#include "extlib/dynamic_library.h"

namespace vx {

class TKitLibrary : public TObject {
 public:
  // Loads the library at `path`, hands it the host callback table, looks up
  // every export and calls PreparePathSolvePE once.
  explicit TKitLibrary(const std::string& path);

  bool Loaded() const { return library_.Loaded(); }
  const std::string& Path() const { return path_; }

  // The exports, null when missing.
  VxRandomNameFn RandomName = nullptr;
  VxRandomUniqueNameFn RandomUniqueName = nullptr;
  VxMyDeleteFileFn MyDeleteFile = nullptr;
  VxShredFileFn ShredFile = nullptr;
  VxRASInstalledFn RASInstalled = nullptr;
  VxWinSockCorruptedFn WinSockCorrupted = nullptr;
  VxFixWinSockFn FixWinSock = nullptr;
  VxSolveEnvFn SolveEnv = nullptr;
  VxSolveEnvMultiFn SolveEnvMulti = nullptr;
  VxCompareFilenamesFn CompareFilenames = nullptr;
  VxGetFlagNumberFn GetFlagNumber = nullptr;
  VxCheckWinsockAndCleanFn CheckWinsockAndClean = nullptr;
  VxPreparePathSolvePEFn PreparePathSolvePE = nullptr;
  VxSetDebugModeFn SetDebugMode = nullptr;

 private:
  TDynamicLibrary library_;
  std::string path_;
};

// Replaces the process-wide instance; one that failed to load is discarded.
void LoadKitLibrary(const std::string& path);
void UnloadKitLibrary();
TKitLibrary* KitLibrary();

// Every path variable resolved; fallback: SolvePath.
std::string KitSolveEnv(std::string_view text);
// Every alternative, CR LF between them; fallback: SolvePathAll.
std::string KitSolveEnvMulti(std::string_view text);
// Whether `pattern` matches a part of `file_name`; fallback: a
// case-sensitive substring test.
bool KitCompareFilenames(std::string_view file_name, std::string_view pattern);
// Fallback: false.
bool KitCheckWinsockAndClean(std::string_view provider, std::string_view file_name, bool exact,
                             bool clean);
// Calls RASInstalled when the library has it; the answer is not used.
void KitRASInstalled();

}  // namespace vx

#endif  // VX_EXTLIB_KIT_LIBRARY_H_
