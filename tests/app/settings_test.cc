#include "app/settings.h"

#include <gtest/gtest.h>

#include <string>

#include "app/console.h"
#include "app/scan_clp.h"
#include "support/temp_dir.h"
#include "rules/include_file_manager.h"
#include "scan/scan_thread.h"

namespace vx {
namespace {

using testing::TTempDir;

std::string Identity(std::string_view text) { return std::string(text); }

struct RedirectResult {
  TAppDirectories dirs;
  std::string output;
};

RedirectResult Redirect(const TTempDir& app, const std::string& ini) {
  app.Write("vexascan.ini", ini);
  RedirectResult result;
  result.dirs.app_dir = app.Dir();
  result.dirs.data_dir = app.Dir();
  TConsole console(&result.output, 80);
  ApplyPathRedirections(&result.dirs, console, Identity);
  return result;
}

TEST(SettingsTest, PathRedirections) {
  TTempDir app, other, data;
  // No keys: nothing printed, both directories unchanged.
  RedirectResult none = Redirect(app, "[Main]\nDoSpyware=1\n");
  EXPECT_EQ(none.output, "");
  EXPECT_EQ(none.dirs.data_dir, app.Dir());

  // Present but empty names no folder.
  RedirectResult empty = Redirect(app, "[Main]\nAppPathRedirect=\n");
  EXPECT_EQ(empty.output, "o invalid app path redirection from vexascan.ini...\no base dir: " +
                              app.Dir() + "\n");
  EXPECT_EQ(empty.dirs.app_dir, app.Dir());

  // A valid app redirection without a data redirection moves both.
  std::string other_dir = other.Dir();
  other_dir.pop_back();  // the trailing separator is added
  RedirectResult moved = Redirect(app, "[Main]\nAppPathRedirect=" + other_dir + "\n");
  EXPECT_EQ(moved.output, "o using app path redirection from vexascan.ini...\no base dir: " +
                              other.Dir() + "\n");
  EXPECT_EQ(moved.dirs.app_dir, other.Dir());
  EXPECT_EQ(moved.dirs.data_dir, other.Dir());

  // A valid app and an invalid data redirection: data keeps the program's folder.
  RedirectResult half = Redirect(
      app, "[Main]\nAppPathRedirect=" + other.Dir() + "\nDataPathRedirect=/no/such/dir\n");
  EXPECT_EQ(half.dirs.app_dir, other.Dir());
  EXPECT_EQ(half.dirs.data_dir, app.Dir());
  EXPECT_NE(half.output.find("o invalid data path redirection from vexascan.ini...\no data dir: " +
                             app.Dir() + "\n"),
            std::string::npos);

  RedirectResult both = Redirect(app, "[Main]\nDataPathRedirect=" + data.Dir() + "\n");
  EXPECT_EQ(both.dirs.app_dir, app.Dir());
  EXPECT_EQ(both.dirs.data_dir, data.Dir());
}

TEST(SettingsTest, RedirectionValuesGoThroughThePathResolver) {
  TTempDir app, other;
  app.Write("vexascan.ini", "[Main]\nAppPathRedirect=<$OTHER>\n");
  TAppDirectories dirs{app.Dir(), app.Dir()};
  std::string out;
  TConsole console(&out, 80);
  ApplyPathRedirections(&dirs, console, [&](std::string_view text) {
    return text == "<$OTHER>" ? other.Dir() : std::string(text);
  });
  EXPECT_EQ(dirs.app_dir, other.Dir());
}

TEST(SettingsTest, OptionsDefaultsAndValues) {
  TTempDir app;
  EXPECT_EQ(ReadScanOptions(app.Dir()), soIgnoreQriError | soDownloadDirRecursive | soDoSpyware);
  app.Write("vexascan.ini",
            "[main]\ndospyware=yes\nDoTracks=2\nLogUse=1\nLogOverwrite=0\nIgnoreQriError=0\n"
            "LogDetails=x\n");
  EXPECT_EQ(ReadScanOptions(app.Dir()), soLogUse | soDownloadDirRecursive | soDoSpyware | soDoTracks);
}

TEST(SettingsTest, DownloadDirsSkipEmptyAndMissingEntries) {
  TTempDir app;
  app.Write("vexascan.ini",
            "[DownloadDirs]\nCount=3\nDir0=C:\\Downloads\nDir2=D:\\More\nDir3=C:\\Beyond\n"
            "Dir01=C:\\NotIndexOne\n");
  TStringList dirs;
  ReadDownloadDirs(app.Dir(), &dirs);
  EXPECT_EQ(dirs.ToVector(), (std::vector<std::string>{"C:\\Downloads", "D:\\More"}));

  for (const char* count : {"abc", "-4", "2147483647"}) {
    app.Write("vexascan.ini", std::string("[DownloadDirs]\nCount=") + count + "\nDir0=C:\\A\n");
    TStringList some;
    ReadDownloadDirs(app.Dir(), &some);
    EXPECT_EQ(some.Count(), std::string(count) == "2147483647" ? 1 : 0) << count;
  }
}

TEST(SettingsTest, ResultsLocationsDefaultOrResolved) {
  TTempDir app;
  app.Write("vexascan.ini", "[Results]\nXMLLocation=<$X>/r.xml\n");
  auto solve = [](std::string_view t) { return "solved:" + std::string(t); };
  EXPECT_EQ(ReadResultsLocation(app.Dir(), "TextLocation", "def.txt", solve), "def.txt");
  EXPECT_EQ(ReadResultsLocation(app.Dir(), "XMLLocation", "def.xml", solve), "solved:<$X>/r.xml");
}

TEST(SettingsTest, FilesetsChooseTheIncludeFilesInRegistrationOrder) {
  TTempDir app;
  app.Write("Includes/b.qri", "// count: 100\n\n:: B\n");
  app.Write("Includes/a.qri", "// count: 250\n");
  app.Write("Includes/c.qri", "// count: 7\n");
  app.Write("Includes/t.uti", "// count: 5\n");
  app.Write("vexascan.ini", "[Filesets]\nB.QRI=1\na.qri=0\nt.uti=\n");
  TIncludeFileManager includes;
  includes.AddIncludeFiles(app.Dir() + "Includes", "qri");
  includes.AddIncludeFiles(app.Dir() + "Includes", "uti");
  TAppDirectories dirs{app.Dir(), app.Dir()};
  std::string out;
  TConsole console(&out, 80);
  TScanCLPClass reporter(console, includes, dirs);
  TScanThread thread;
  TStringList detection, usage;
  detection.Add("stale");
  TDateTime estimate = 0;
  int32_t total = 0;
  reporter.OnFilesets(thread, estimate, total, detection, usage);
  EXPECT_EQ(detection.ToVector(),
            (std::vector<std::string>{app.Dir() + "Includes/a.qri", app.Dir() + "Includes/b.qri"}));
  EXPECT_EQ(usage.ToVector(), std::vector<std::string>{app.Dir() + "Includes/t.uti"});
  EXPECT_EQ(total, 29 + 250 + 100 + 5);

  app.Write("vexascan.ini", "[Main]\n");
  reporter.OnFilesets(thread, estimate, total, detection, usage);
  EXPECT_EQ(detection.Count(), 0);
  EXPECT_EQ(total, 29);
}

}  // namespace
}  // namespace vx
