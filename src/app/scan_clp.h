// TScanCLPClass: the console reporter. Its eight handlers are wired to the
// events of the scan thread and run on the main thread, one at a time, while
// the scan thread waits; they write the progress, finding, section and
// summary lines and choose the include files of the scan.
//
// A console narrower than 41 columns has no room for the progress bar: the
// bar is left out and the progress line is cut to the width less one, so it
// never wraps and the next line's carriage return still overwrites it.
// Output that is no terminal (a pipe, a file) gets the same bytes, carriage
// returns included, so a saved transcript replays exactly as it was shown.
#ifndef VX_APP_SCAN_CLP_H_
#define VX_APP_SCAN_CLP_H_

#include <cstdint>
#include <string>

#include "app/settings.h"
#include "base/date_time.h"
#include "base/object.h"
#include "base/string_list.h"

namespace vx {

class TConsole;
class TIncludeFileManager;
class TMyScanResult;
class TScanThread;

class TScanCLPClass : public TObject {
 public:
  // `dirs` is the entry sequence's: the settings file is read from the
  // application directory it holds when a handler runs.
  TScanCLPClass(TConsole& console, const TIncludeFileManager& includes,
                const TAppDirectories& dirs);

  void OnFinding(TScanThread& sender, TMyScanResult& result);
  void OnProgress(TScanThread& sender, int flag, int32_t position, int32_t total);
  void OnSectionTime(TScanThread& sender, const std::string& name, TDateTime duration);
  void OnStateChange(TScanThread& sender, int state);
  void OnSummary(TScanThread& sender, bool spyware, bool tracks);
  void OnStatus(TScanThread& sender, int kind, const std::string& text);
  void OnProductFilter(TScanThread& sender, TMyScanResult& result, bool& accept);
  void OnFilesets(TScanThread& sender, TDateTime& estimate, int32_t& total,
                  TStringList& detection_files, TStringList& usage_files);

 private:
  void WritePadded(std::string text);

  TConsole& console_;
  const TIncludeFileManager& includes_;
  const TAppDirectories& dirs_;
};

// Binds the eight events of `thread` to `reporter`.
void WireScanEvents(TScanThread& thread, TScanCLPClass& reporter);

}  // namespace vx

#endif  // VX_APP_SCAN_CLP_H_
