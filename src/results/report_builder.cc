// The three report formats (1 text, 2 HTML, 3 XML). Each has the findings
// and then the program's own files with their dates and versions.
//
// Everything a finding or the scanned machine says (products, descriptions,
// locations, rule ids) and the names of the program's files go into HTML and
// XML through TMarkupEscaper, so a hostile value name cannot break either
// document; the text report keeps their bytes as they are. The XML report
// declares Windows-1252, so its texts keep their bytes when that is the
// ANSI code page and become character references otherwise; the HTML report
// declares no encoding, so every character above 127 goes in as a reference.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/ansi_text.h"
#include "base/app_paths.h"
#include "base/codepage.h"
#include "base/date_time.h"
#include "base/escape_markup.h"
#include "base/windows_mask.h"
#include "results/file_version.h"
#include "results/scan_result.h"
#include "sysaccess/my_registry.h"

namespace vx {

namespace {

enum TReportFormat { rfText = 1, rfHtml = 2, rfXml = 3 };

constexpr int kXmlDeclaredCodePage = 1252;

// A line whose text holds CR LF becomes several lines, so the saved report has
// them as line ends; a CR LF at the very end adds no empty line.
void AddLine(TStringList* out, std::string_view line) {
  size_t start = 0;
  for (size_t at = line.find("\r\n"); at != std::string_view::npos; at = line.find("\r\n", start)) {
    out->Add(std::string(line.substr(start, at - start)));
    start = at + 2;
  }
  if (start == 0 || start < line.size()) out->Add(std::string(line.substr(start)));
}

std::string RowClass(int index) { return index % 2 == 1 ? "c2" : "c1"; }

std::string Description(const TMyScanResult& r) {
  std::string text = r.Usage;
  if (!r.Count.empty()) text += " " + r.Count;
  if (!r.RuleIDText.empty()) text = "[QRI $" + r.RuleIDText + "] " + text;
  return text;
}

std::string StatusText(const TMyScanResult& r, int format) {
  if (r.MainType != mtQuarnel && r.MainType != mtUsageTracking &&
      r.MainType != mtSystemInternals) {
    return "";
  }
  const char* prefix = format == rfText ? ", " : "";
  switch (r.Status) {
    case srsNone: return std::string(prefix) + "nothing done";
    case srsDone: return std::string(prefix) + "fixed";
    case srsError: return std::string(prefix) + "fixing failed";
    default: return "";
  }
}

std::string Location(const TMyScanResult& r) {
  switch (r.FixType) {
    case ftRegistryValue:
    case ftRegistryKey: {
      std::string text = RootKeyToName(r.RootKey) + r.Key + r.Value;
      if (r.Infos.Values("Action") == "DataRemove") {
        text += "=..." + r.Infos.Values("RemoveData") + "...";
      }
      return text;
    }
    case ftRegistryChange:
    case ftRegistryRemove: return RootKeyToName(r.RootKey) + r.Key + r.Value;
    case ftFile:
    case ftReplaceFile:
    case ftChangeFile:
    case ftBackupFile:
    case ftMoveFile: return r.Path + r.Filename;
    case ftDirectory: return r.Path;
    case ftHostRedirect: return r.Key + "=" + r.Value;
    case ftUninstaller: return r.Filename;
    default: return "";
  }
}

struct TProgramFile {
  std::string shown;  // prefix + name
  TDateTime modified = 0;
  std::string version;
};

// A host file name in the report's ANSI text: the host spells names in UTF-8.
std::string HostNameAsAnsi(const std::string& name) {
  return IsValidUtf8(name) ? Utf8ToAnsi(name) : name;
}

// Files of `dir` (a host folder) matching `mask`, and the file `also` when it
// is there, ordered by name without regard to case as a Windows volume lists
// them (the host's own listing order is arbitrary); names that differ only in
// case keep a fixed order.
void AddFiles(const std::filesystem::path& dir, const char* mask, const std::string& prefix,
              const std::string& also, std::vector<TProgramFile>* out) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  std::filesystem::directory_iterator it(dir, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code fec;
    if (!it->is_regular_file(fec)) continue;
    const std::string name = it->path().filename().string();
    if (MatchesWindowsMask(mask, name) || name == also) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
    const std::string an = a.filename().string(), bn = b.filename().string();
    const int c = AnsiCompareText(an, bn);
    return c != 0 ? c < 0 : an < bn;
  });
  for (const std::filesystem::path& path : files) {
    TProgramFile file;
    file.shown = prefix + HostNameAsAnsi(path.filename().string());
    std::error_code fec;
    auto written = std::filesystem::last_write_time(path, fec);
    if (!fec) {
      auto system = std::chrono::file_clock::to_sys(written);
      // Local time, as the report's own date and as Windows shows file dates.
      file.modified = UnixToLocalDateTime(
          std::chrono::floor<std::chrono::seconds>(system).time_since_epoch().count());
    }
    file.version = GetVersionString(path.string());
    out->push_back(std::move(file));
  }
}

// The running program's name when it sits in `dir`: the host's executables
// carry no ".exe", and the program is the first of its own files.
std::string RunningProgramIn(const std::filesystem::path& dir) {
  const std::string exe_dir = ExecutableDirectory();
  std::error_code ec;
  if (exe_dir.empty() || !std::filesystem::equivalent(exe_dir, dir, ec)) return "";
  return ExecutableFileName();
}

std::vector<std::vector<TProgramFile>> ProgramFiles(const std::string& program_path) {
  std::filesystem::path base(program_path);
  std::vector<std::vector<TProgramFile>> groups(4);
  AddFiles(base, "*.exe", "", RunningProgramIn(base), &groups[0]);
  AddFiles(base, "*.dll", "", "", &groups[1]);
  AddFiles(base / "Includes", "*.??i", "Includes\\", "", &groups[2]);
  AddFiles(base / "Plugins", "*.dll", "Plugins\\", "", &groups[3]);
  return groups;
}

std::string ProductNameForText(std::string name) {
  for (size_t at = name.find("&&"); at != std::string::npos; at = name.find("&&", at + 1)) {
    name.replace(at, 2, "&");
  }
  return name;
}

// `markup` escapes names in HTML and XML; the text report passes none.
void AddFileSection(const TMyScanResultsList& list, int format, const TMarkupEscaper* markup,
                    TStringList* out) {
  const TMyExportParameters& p = list.ExportParameters;
  if (format == rfText) {
    out->Add("");
    out->Add("--- " + ProductNameForText(p.ProductName) + " version: " + p.ProductVersion + " " +
             p.Edition + " (build: " + p.BuildDate + ") ---");
    out->Add("");
  }
  for (const std::vector<TProgramFile>& group : ProgramFiles(p.ProgramPath)) {
    for (size_t i = 0; i < group.size(); ++i) {
      const TProgramFile& f = group[i];
      const std::string date = FormatDateTime("yyyy-mm-dd", f.modified);
      if (format == rfText) {
        AddLine(out, date + " " + f.shown + (f.version.empty() ? "" : " (" + f.version + ")"));
      } else if (format == rfHtml) {
        const std::string c = RowClass(static_cast<int>(i));
        out->Add("<tr>");
        AddLine(out,
                "  <td class=\"" + c + "\" align=\"left\">" + markup->Escape(f.shown) + "</td>");
        out->Add("  <td class=\"" + c + "\" align=\"right\">" + date + "</td>");
        out->Add("  <td class=\"" + c + "\" align=\"left\">" + f.version + "</td>");
        out->Add("</tr>");
      } else {
        out->Add("<update_file>");
        AddLine(out, "  <location>" + markup->Escape(f.shown) + "</location>");
        out->Add("  <age linuxdate=\"" + std::to_string(DateTimeToFileDate(f.modified)) + "\">" +
                 date + "</age>");
        if (!f.version.empty()) out->Add("  <version>" + f.version + "</version>");
        out->Add("</update_file>");
      }
    }
  }
  out->Add("");
}

const char* const kHtmlHead[] = {
    "<!doctype html public \"-//W3C//DTD HTML 4.01 Transitional//EN\">",
    "<html><head>",
    "<title>Search results from Quarnel</title>",
    "<meta name=\"author\" content=\"Orvane Limited\">",
    "<meta name=\"generator\" content=\"Quarnel\">",
    "<style type=\"text/css\">",
    "th",
    "{ background-color:#2090CC;",
    "  color:#F4F4F4;",
    "}",
    "table",
    "{ background-color:#E0F4FF;",
    "  color:#000000;",
    "  border:thin solid;",
    "  border-color: #2090CC;",
    "}",
    "td.c1",
    "{ background-color:#E0F4FF;",
    "  color:#000000;",
    "}",
    "td.c2",
    "{ background-color:#F0FFFF;",
    "  color:#000000;",
    "}",
    "h1",
    "{ text-align: center;",
    "}",
    "h2",
    "{ text-align: center;",
    "}",
    "-->",
    "</style>",
    "</head>",
    // One line of the page, written in two pieces.
    ("<body text=\"#000000\" bgcolor=\"#F0FFFF\" link=\"#FF0000\" alink=\"#FF0000\" "
     "vlink=\"#FF0000\">"),
    "<h1>Search results from Quarnel</h1>",
};

void BuildText(const TMyScanResultsList& list, TStringList* out) {
  for (int i = 0; i < list.Count(); ++i) {
    const TMyScanResult& r = *list.GetResult(i);
    AddLine(out, r.Product + ": " + Description(r) + " (" + FixTypeText(r.FixType) +
                     StatusText(r, rfText) + ")");
    AddLine(out, "  " + Location(r));
    out->Add("");
  }
  AddFileSection(list, rfText, nullptr, out);
}

void BuildHtml(const TMyScanResultsList& list, TStringList* out, TDateTime now) {
  const TMarkupEscaper markup(0, 0);
  for (const char* line : kHtmlHead) out->Add(line);
  out->Add("<h2>" + FormatDateTime("c", now) + "</h2>" +
           "<table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"2\">");
  out->Add("<tr>");
  out->Add("  <th>Product / Description</th>");
  out->Add("  <th align=\"right\">Type / Action</th>");
  out->Add("</tr>");
  for (int i = 0; i < list.Count(); ++i) {
    const TMyScanResult& r = *list.GetResult(i);
    const std::string c = RowClass(i);
    out->Add("<tr>");
    AddLine(out, "  <td class=\"" + c + "\" align=\"left\"><b>" + markup.Escape(r.Product) +
                     ":</b> " + markup.Escape(Description(r)) + "</td>");
    out->Add("  <td class=\"" + c + "\" align=\"right\"><i>" + FixTypeText(r.FixType) +
             "</i></td>");
    out->Add("</tr>");
    out->Add("<tr>");
    AddLine(out,
            "  <td class=\"" + c + "\" align=\"left\">" + markup.Escape(Location(r)) + "</td>");
    out->Add("  <td class=\"" + c + "\" align=\"right\">" + StatusText(r, rfHtml) + "</td>");
    out->Add("</tr>");
  }
  out->Add("</table><hr />");
  out->Add("<table border=\"0\" cellspacing=\"0\" cellpadding=\"2\">");
  out->Add("<tr>");
  out->Add("  <th>File</th>");
  out->Add("  <th>Date</th>");
  out->Add("  <th>Version</th>");
  out->Add("</tr>");
  AddFileSection(list, rfHtml, &markup, out);
  out->Add("</table><hr />");
  out->Add("</body>");
  out->Add("</html>");
}

void BuildXml(const TMyScanResultsList& list, TStringList* out, TDateTime now) {
  const TMarkupEscaper markup(0, kXmlDeclaredCodePage);
  out->Add("<?xml version=\"1.0\" encoding=\"windows-1252\"?><xml_quarnel_results date=\"" +
           FormatDateTime("c", now) + "\" linuxdate=\"" +
           std::to_string(DateTimeToFileDate(now)) + "\" duration=\"" +
           FormatDateTime("hh:nn:ss.zzz", list.Duration) + "\">");
  for (int i = 0; i < list.Count(); ++i) {
    const TMyScanResult& r = *list.GetResult(i);
    out->Add("<result class=\"" + std::to_string(static_cast<int>(r.MainType)) + "\" index=\"" +
             std::to_string(i) + "\">");
    AddLine(out, "  <product>" + markup.Escape(r.Product) + "</product>");
    AddLine(out, "  <description>" + markup.Escape(Description(r)) + "</description>");
    out->Add("  <fixtype int=\"" + std::to_string(static_cast<int>(r.FixType)) + "\">" +
             FixTypeText(r.FixType) + "</fixtype>");
    AddLine(out, "  <location>" + markup.Escape(Location(r)) + "</location>");
    std::string attributes = std::string(" done=\"") + (r.Status == srsDone ? "TRUE" : "FALSE") +
                             "\" error=\"" + (r.Status == srsError ? "TRUE" : "FALSE") + "\"";
    if (r.Status == srsStatus) attributes += " status=\"TRUE\"";
    out->Add("  <status " + attributes + ">" + StatusText(r, rfXml) + "</status>");
    if (!r.RuleIDText.empty()) {
      AddLine(out, "  <ruleid>" + markup.Escape(r.RuleIDText) + "</ruleid>");
    }
    out->Add("</result>");
  }
  AddFileSection(list, rfXml, &markup, out);
  out->Add("</xml_quarnel_results>");
}

}  // namespace

void TMyScanResultsList::BuildReport(TStringList* target, int format) const {
  BuildReport(target, format, Now());
}

void TMyScanResultsList::BuildReport(TStringList* target, int format, TDateTime now) const {
  if (target == nullptr) throw std::invalid_argument("no list to build the report into");
  target->Clear();
  switch (format) {
    case rfText: BuildText(*this, target); break;
    case rfHtml: BuildHtml(*this, target, now); break;
    case rfXml: BuildXml(*this, target, now); break;
    default: throw std::invalid_argument("unknown report format " + std::to_string(format));
  }
}

}  // namespace vx
