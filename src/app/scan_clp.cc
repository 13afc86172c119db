#include "app/scan_clp.h"

#include <cstdio>

#include "app/console.h"
#include "app/help_text.h"
#include "base/ansi_text.h"
#include "base/ini_file.h"
#include "results/scan_result.h"
#include "rules/host_file.h"
#include "rules/include_file_manager.h"
#include "scan/scan_thread.h"

namespace vx {

namespace {

constexpr int kColorNormal = 7;
constexpr int kColorLightRed = 12;
constexpr int kColorYellow = 14;
constexpr int kColorWhite = 15;
constexpr int kBaseProgressTotal = 29;
constexpr int kProgressDrawEvery = 10;
constexpr size_t kProgressNameWidth = 24;
constexpr int kProgressReservedColumns = 40;

const char* StateText(int state) {
  switch (state) {
    case 0: return " Unknown.";
    case 1: return " Status message...";
    case 2: return " Scan finished.";
    case 3: return " Fixing stuff...";
    case 4: return " Scanning spyware...";
    case 5: return " Scanning usage tracks...";
    default: return nullptr;
  }
}

std::string RightAligned(int64_t value, int width) {
  char buffer[32];
  std::snprintf(buffer, sizeof(buffer), "%*lld", width, static_cast<long long>(value));
  return buffer;
}

std::string BareExtension(const std::string& extension) {
  return !extension.empty() && extension[0] == '.' ? extension.substr(1) : extension;
}

}  // namespace

TScanCLPClass::TScanCLPClass(TConsole& console, const TIncludeFileManager& includes,
                             const TAppDirectories& dirs)
    : console_(console), includes_(includes), dirs_(dirs) {}

// Pads to the width less one, the "\r" counted, so the line overwrites an
// unfinished progress line without wrapping.
void TScanCLPClass::WritePadded(std::string text) {
  size_t wanted = console_.ScreenWidth() > 1 ? static_cast<size_t>(console_.ScreenWidth() - 1) : 0;
  if (text.size() < wanted) text.append(wanted - text.size(), ' ');
  console_.WriteLn(text);
}

void TScanCLPClass::OnFinding(TScanThread&, TMyScanResult& result) {
  const std::string bullet(1, kBulletChar);
  switch (result.MainType) {
    case mtStatus:
      console_.TextColor(kColorNormal);
      WritePadded("\r" + bullet + " " + result.Product);
      break;
    case mtQuarnel:
      console_.TextColor(kColorLightRed);
      WritePadded("\r+ found " + result.Product + ": " + result.Usage);
      break;
    case mtUsageTracking:
      console_.TextColor(kColorYellow);
      WritePadded("\r+ found " + result.Product + ": " + result.Usage);
      break;
    default:
      console_.WriteLn(std::to_string(static_cast<int>(result.MainType)) + " " + result.Product +
                       " " + result.Usage);
      break;
  }
}

void TScanCLPClass::OnProgress(TScanThread& sender, int flag, int32_t position, int32_t total) {
  console_.TextColor(kColorWhite);
  if (flag != 0 || position % kProgressDrawEvery != 0) return;
  std::string name = sender.Flow.CurrentProduct;
  name.resize(kProgressNameWidth, ' ');
  std::string bar = DrawProgressBar(position, total,
                                    console_.ScreenWidth() - kProgressReservedColumns);
  std::string counters = RightAligned(position, 6) + "/" + RightAligned(total, 6);
  if (console_.ScreenWidth() - kProgressReservedColumns >= 2) {
    console_.Write("\r" + bar);
    console_.Flush();
    console_.Write(counters);
    console_.Flush();
    console_.Write(" " + name);
    console_.Flush();
    return;
  }
  std::string line = counters + " " + name;
  size_t room = console_.ScreenWidth() > 1 ? static_cast<size_t>(console_.ScreenWidth() - 1) : 0;
  if (line.size() > room) line.resize(room);
  console_.Write("\r" + line);
  console_.Flush();
}

void TScanCLPClass::OnSectionTime(TScanThread&, const std::string& name, TDateTime duration) {
  console_.TextColor(kColorNormal);
  WritePadded("\r" + std::string(1, kBulletChar) + " " + (name.empty() ? "Unspecified" : name) +
              " took " + FormatDateTime("hh:nn:ss", duration));
}

void TScanCLPClass::OnStateChange(TScanThread&, int state) {
  console_.TextColor(kColorNormal);
  const char* text = StateText(state);
  if (!text) return;
  console_.WriteLn(std::string(1, kBulletChar) + text);
}

void TScanCLPClass::OnSummary(TScanThread& sender, bool spyware, bool tracks) {
  console_.TextColor(kColorWhite);
  console_.WriteLn(spyware && sender.Settings.HasOption(soDoSpyware) ? "- Spyware was found!"
                                                            : "+ No spyware found.");
  console_.WriteLn(tracks && sender.Settings.HasOption(soDoTracks) ? "- Usage tracks were found!"
                                                          : "+ No usage tracks found.");
}

void TScanCLPClass::OnStatus(TScanThread&, int, const std::string&) {}

void TScanCLPClass::OnProductFilter(TScanThread& sender, TMyScanResult& result, bool& accept) {
  accept = sender.Settings.ExcludedProducts.IndexOf(result.Product) < 0;
}

void TScanCLPClass::OnFilesets(TScanThread&, TDateTime&, int32_t& total,
                               TStringList& detection_files, TStringList& usage_files) {
  TMemIniFile ini = OpenSettings(dirs_.app_dir);
  TStringList chosen;
  ini.ReadSection("Filesets", &chosen);
  total = kBaseProgressTotal;
  detection_files.Clear();
  usage_files.Clear();
  for (int i = 0; i < includes_.Count(); ++i) {
    const TIncludeFileItem& item = includes_.Items(i);
    if (chosen.IndexOf(HostFileName(item.Filename())) < 0) continue;
    std::string extension = BareExtension(item.Extension());
    if (SameText(extension, "qri")) {
      detection_files.Add(item.Filename());
    } else if (SameText(extension, "uti")) {
      usage_files.Add(item.Filename());
    } else {
      continue;
    }
    total += item.Count();
  }
}

void WireScanEvents(TScanThread& thread, TScanCLPClass& reporter) {
  TScanCLPClass* r = &reporter;
  // The progress line is drawn at every tenth position only (OnProgress).
  thread.ProgressEvery = kProgressDrawEvery;
  thread.OnFinding = [r](TScanThread& s, TMyScanResult& res) { r->OnFinding(s, res); };
  thread.OnProgress = [r](TScanThread& s, int f, int32_t p, int32_t t) {
    r->OnProgress(s, f, p, t);
  };
  thread.OnSectionTime = [r](TScanThread& s, const std::string& n, TDateTime d) {
    r->OnSectionTime(s, n, d);
  };
  thread.OnStateChange = [r](TScanThread& s, int state) { r->OnStateChange(s, state); };
  thread.OnSummary = [r](TScanThread& s, bool sp, bool tr) { r->OnSummary(s, sp, tr); };
  thread.OnStatus = [r](TScanThread& s, int k, const std::string& t) { r->OnStatus(s, k, t); };
  thread.OnProductFilter = [r](TScanThread& s, TMyScanResult& res, bool& a) {
    r->OnProductFilter(s, res, a);
  };
  thread.OnFilesets = [r](TScanThread& s, TDateTime& e, int32_t& t, TStringList& d,
                          TStringList& u) { r->OnFilesets(s, e, t, d, u); };
}

}  // namespace vx
