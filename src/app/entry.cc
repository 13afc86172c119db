#include "app/entry.h"

#include <sys/resource.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "app/check_log.h"
#include "app/console.h"
#include "app/console_notifier.h"
#include "app/help_text.h"
#include "app/path_help.h"
#include "app/product_selection.h"
#include "app/scan_clp.h"
#include "app/settings.h"
#include "app/target_options.h"
#include "base/ansi_text.h"
#include "base/codepage.h"
#include "base/app_paths.h"
#include "base/comma_text.h"
#include "base/string_list.h"
#include "extlib/kit_library.h"
#include "match/path_variables.h"
#include "platform/offline/offline_machine.h"
#include "rules/include_file.h"
#include "rules/include_file_manager.h"
#include "rules/product_list.h"
#include "scan/scan_steps.h"
#include "sysaccess/my_registry.h"
#include "sysaccess/user_hives.h"

namespace vx {

namespace {

constexpr int kColorNormal = 7;
constexpr int kExitNormal = 0;
constexpr int kExitUnknownProduct = 1;
constexpr int kExitCannotRun = 2;

std::string Bullet(std::string_view text) { return std::string(1, kBulletChar) + std::string(text); }

bool HostFileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

// A location that starts with a drive letter names a place on the image;
// anything else is a host path.
bool IsTargetPath(const std::string& path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

std::shared_ptr<TMachine> OpenTarget(const TCommandLine& command_line, TConsole& console,
                                     int* exit_code) {
  TOfflineOptions options;
  std::string error;
  if (!ParseTargetOptions(command_line, &options, &error)) {
    console.WriteLn(error);
    *exit_code = kExitCannotRun;
    return nullptr;
  }
  if (options.image_root.empty()) {
    console.WriteLn(kNoImageMessage);
    *exit_code = kExitCannotRun;
    return nullptr;
  }
  std::vector<std::pair<std::string, std::string>> folders = {{"/image", options.image_root}};
  for (const auto& [letter, dir] : options.drives) {
    folders.emplace_back("/drive=" + std::string(1, letter) + ":", dir);
  }
  for (const auto& [option, dir] : folders) {
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) {
      console.WriteLn("! " + option + " names no folder: " + dir + ", exiting!");
      *exit_code = kExitCannotRun;
      return nullptr;
    }
  }
  std::vector<std::string> messages;
  std::unique_ptr<TOfflineMachine> machine = TOfflineMachine::Open(options, &messages);
  for (const std::string& message : messages) console.WriteLn(Bullet(" " + message));
  if (!machine) {
    console.WriteLn("! Could not open the Windows image " + options.image_root + ", exiting!");
    *exit_code = kExitCannotRun;
    return nullptr;
  }
  console.TextColor(kColorNormal);
  console.WriteLn(Bullet(" image: " + options.image_root));
  for (const auto& [letter, dir] : options.drives) {
    console.WriteLn(Bullet(" drive " + std::string(1, letter) + ": " + dir));
  }
  // Values read from the hives are converted with the process's code page;
  // it must be the image's, or the data of a non-Latin installation reads
  // as Windows-1252.
  SetAnsiCodePage(machine->CodePage());
  std::string user = machine->ChosenUserName();
  std::string sid = machine->ChosenUserSid();
  console.WriteLn(Bullet(" user: " + (user.empty() ? std::string("(none)") : user) +
                         (sid.empty() ? "" : " (" + sid + ")")));
  return std::shared_ptr<TMachine>(std::move(machine));
}

// Creates the report's folder with its missing parents when it is missing;
// false when that failed.
bool ForceHostFolder(const std::string& file, TConsole& console) {
  std::filesystem::path path(file);
  std::error_code ec;
  if (!path.has_parent_path() || std::filesystem::is_directory(path.parent_path(), ec)) {
    return true;
  }
  console.WriteLn(Bullet(" Trying to force outpath path..."));
  std::filesystem::create_directories(path.parent_path(), ec);
  return !ec;
}

bool ForceTargetFolder(const std::string& file, TConsole& console) {
  TMachine& machine = CurrentMachine();
  std::string dir = ExtractFileDir(file);
  if (dir.size() <= 2 || machine.DirectoryExists(dir)) return true;
  console.WriteLn(Bullet(" Trying to force outpath path..."));
  std::string partial;
  for (const std::string& part : SplitStrict(dir, '\\')) {
    partial += partial.empty() ? part : "\\" + part;
    if (partial.size() > 2 && !machine.DirectoryExists(partial) &&
        !machine.CreateDirectory(partial)) {
      return false;
    }
  }
  return true;
}

bool WriteHostFile(const std::string& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

void WriteReports(const TCommandLine& command_line, const TScanThread& thread,
                  const std::string& app_dir, TConsole& console) {
  struct Kind {
    const char* switch_name;
    const char* word;
    const char* extension;
    const char* key;
    int format;
  };
  static constexpr Kind kKinds[] = {
      {"createtxtreport", "text", "txt", "TextLocation", 1},
      {"createhtmlreport", "html", "html", "HTMLLocation", 2},
      {"createxmlreport", "xml", "xml", "XMLLocation", 3},
  };
  for (const Kind& kind : kKinds) {
    if (!command_line.HasSwitch(kind.switch_name)) continue;
    std::string file = ReadResultsLocation(
        app_dir, kind.key, app_dir + "vexascan.results." + kind.extension,
        [](std::string_view text) { return SolvePath(text); });
    console.WriteLn(Bullet(std::string(" Creating ") + kind.word + " report at " + file + "..."));
    try {
      bool ready = IsTargetPath(file) ? ForceTargetFolder(file, console)
                                      : ForceHostFolder(file, console);
      TStringList lines;
      thread.Results.BuildReport(&lines, kind.format);
      std::string bytes = lines.Text("\r\n");
      bool written = ready && (IsTargetPath(file) ? CurrentMachine().WriteFile(file, bytes)
                                                  : WriteHostFile(file, bytes));
      if (!written) throw std::runtime_error("not written");
    } catch (...) {
      console.WriteLn("- Could not create report. Is the path correct, do you have write access?");
    }
  }
}

std::string ElapsedText(const TScanThread& thread) {
  // A scan that ended by an error never set EndTime; the time until now is
  // the honest figure then.
  if (thread.StartTime == 0) return FormatDateTime("hh:nn:ss", 0);
  TDateTime end = thread.EndTime != 0 ? thread.EndTime : Now();
  return FormatDateTime("hh:nn:ss", end - thread.StartTime);
}

// Everything the scan thread needs before it starts. False when the product
// selection names an unknown product.
bool ConfigureScanThread(const TCommandLine& command_line, const TIncludeFileManager& includes,
                         const TAppDirectories& dirs, const std::string& program_dir,
                         TConsole& console, TScanThread* thread) {
  thread->Settings.ReportOnly = true;
  TMyExportParameters& export_parameters = thread->Results.ExportParameters;
  export_parameters.ProductName = "Quarnel";
  export_parameters.ProgramPath = dirs.app_dir;
  export_parameters.ProductVersion = "1.5";
  export_parameters.Edition = " CLE";
  export_parameters.BuildDate = "20080525";
  if (!SelectProducts(command_line, includes, dirs.app_dir, console, &thread->Settings.ExcludedProducts)) {
    return false;
  }
  ReadDownloadDirs(dirs.app_dir, &thread->Settings.DownloadDirs);
  thread->Settings.Options = ReadScanOptions(dirs.app_dir);
  thread->Settings.AppPath = dirs.app_dir;
  thread->Settings.DataPath = dirs.data_dir;
  thread->Settings.LibraryDir = program_dir;
  try {
    TIncludeFile().LoadListFile(dirs.app_dir + "Includes/Browserpages.qrs",
                                &thread->Settings.BrowserPages);
  } catch (...) {
    thread->Settings.BrowserPages.Clear();  // a damaged list only leaves the rules without it
  }
  thread->SetIdlePriority(command_line.HasSwitch("prio-idle"));
  return true;
}

}  // namespace

int RunVexascan(const TCommandLine& command_line, TConsole& console,
                const TRunEnvironment& environment) {
  SetLogSink(&FileLogs());
  WriteProgramBanner(console);
  if (command_line.HasSwitch("help")) {
    WriteHelp(console);
    return kExitNormal;
  }

  // The program's own folder: where the companion libraries are loaded from
  // and the first application directory.
  const std::string program_dir = IncludeTrailingSeparator(
      environment.app_dir.empty() ? ExecutableDirectory() : environment.app_dir);
  std::shared_ptr<TMachine> machine = environment.machine;
  if (!machine) {
    int exit_code = kExitNormal;
    machine = OpenTarget(command_line, console, &exit_code);
    if (!machine) return exit_code;
  }
  SetCurrentMachine(machine);
  BuildPathVariableTables();
  BuildUserHiveNames();
  LoadKitLibrary(program_dir + "kitlib.dll");

  if (command_line.HasSwitch("pathhelp")) {
    WritePathHelp(console, kSettingsFileName);
    return kExitNormal;
  }
  if (command_line.HasSwitch("prio-idle")) setpriority(PRIO_PROCESS, 0, 19);

  if (IsMiniNT() || command_line.HasSwitch("allhives")) {
    console.TextColor(kColorNormal);
    console.WriteLn(Bullet(" No inactive Windows installation found beside the image."));
  }

  TAppDirectories dirs;
  dirs.app_dir = program_dir;
  dirs.data_dir = dirs.app_dir;

  for (const char* library : {"probex.dll", "kitlib.dll"}) {
    if (!HostFileExists(dirs.app_dir + library)) {
      console.WriteLn(std::string("! ") + library + " missing, exiting!");
      return kExitCannotRun;
    }
  }

  TIncludeFileManager includes;
  auto reporter = std::make_unique<TScanCLPClass>(console, includes, dirs);
  const TPathSolver solve = [](std::string_view text) { return SolvePath(text); };
  ApplyPathRedirections(&dirs, console, solve);

  includes.AddIncludeFiles(dirs.app_dir + "Includes", "qri");
  includes.AddIncludeFiles(dirs.app_dir + "Includes", "uti");

  if (command_line.HasSwitch("createproductlist")) {
    std::string list_file =
        ReadResultsLocation(dirs.app_dir, "ListLocation", dirs.app_dir + "productlist.xml", solve);
    CreateProductList(dirs.app_dir, includes, list_file,
                      [&console](const std::string& line) { console.WriteLn(line); });
    return kExitNormal;
  }

  auto thread = std::make_unique<TScanThread>();
  if (!ConfigureScanThread(command_line, includes, dirs, program_dir, console, thread.get())) {
    return kExitUnknownProduct;
  }
  thread->Steps = environment.steps ? *environment.steps : DefaultScanSteps();
  TConsoleNotifier console_notifier;
  thread->Notifier = environment.notifier ? environment.notifier : &console_notifier;
  WireScanEvents(*thread, *reporter);

  thread->Start();
  thread->WaitFor();

  console.TextColor(kColorNormal);
  console.WriteLn(Bullet(" the scan took " + ElapsedText(*thread)));
  console.TextColor(kColorNormal);
  console.WriteLn(Bullet(" Fixing is not allowed in the special version."));

  WriteReports(command_line, *thread, dirs.app_dir, console);

  thread.reset();
  reporter.reset();
  console.Flush();
  return kExitNormal;
}

}  // namespace vx
