#include "match/path_variables.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "base/ansi_text.h"
#include "base/log_sink.h"
#include "match/path_variable_table.h"

namespace vx {

namespace {

struct TDescriptionPair {
  const char* key;
  const char* text;
};

// FILE_UNINSTALLER has two rows; the second never finds its name left.
constexpr std::array<TDescriptionPair, 75> kDescriptions = {{
    {"REG_CLASSID", "Class ID"},
    {"REG_INTERFACE", "Interface"},
    {"REG_TYPELIB", "Type library"},
    {"REG_ROOTCLASS", "Root class"},
    {"REG_BHO", "Browser helper object"},
    {"REG_DPF", "Code storage database"},
    {"REG_IEEXTENSION", "IE extension"},
    {"REG_IEMENUEXT", "IE menu extension"},
    {"REG_IETOOLBAR", "IE toolbar"},
    {"REG_EXPLORERBAR", "Explorer toolbar"},
    {"REG_SETTINGS", "Settings"},
    {"REG_GLOBALSETTINGS", "Global settings"},
    {"REG_USERSETTINGS", "User settings"},
    {"REG_ACTIVEXSETTINGS", "ActiveX settings"},
    {"REG_IESEARCHHOOK", "Search hook"},
    {"REG_RASPROFILE", "RAS profile"},
    {"REG_APPID", "Application ID"},
    {"REG_FILEEXTENSION", "File extension"},
    {"REG_AUTORUN", "Autorun settings"},
    {"REG_UNINSTALL", "Uninstall settings"},
    {"REG_MODULEUSAGE", "Module usage"},
    {"REG_SHAREDDLL", "Shared DLL"},
    {"REG_IESEARCHURL", "IE Search URL"},
    {"REG_IESEARCHBAR", "IE Search bar"},
    {"REG_IESEARCHPAGE", "IE Search page"},
    {"REG_IESTARTPAGE", "IE start page"},
    {"REG_IEDEFAULTPAGE", "IE default page"},
    {"REG_TCPHIJACK", "TCP/IP hijack"},
    {"REG_PROTOCOLFILTER", "Protocol filter"},
    {"REG_SERVICE", "System Service"},
    {"FILE_LIBRARY", "Library"},
    {"FILE_DATA", "Data"},
    {"FILE_EXE", "Executable"},
    {"FILE_AD", "Advertisement"},
    {"FILE_INSTSTUB", "Installer stub"},
    {"FILE_INSTALLER", "Installer"},
    {"FILE_UNINSTALLER", "Uninstaller"},
    {"FILE_WEBPAGE", "Web page"},
    {"FILE_TEXT", "Text file"},
    {"FILE_SYSTEM", "System file"},
    {"FILE_SOUND", "Sound file"},
    {"FILE_DPF", "Downloaded program file"},
    {"FILE_HELP", "Help file"},
    {"FILE_DIALEREXE", "Dialer executable"},
    {"FILE_BADBOOKMARK", "Bad Favorite"},
    {"FILE_TEMP", "Temporary file"},
    {"FILE_LINK", "Link"},
    {"FILE_PICTURE", "Picture"},
    {"FILE_LOG", "Log file"},
    {"FILE_PROG", "Program file"},
    {"FILE_AUTOSTART", "Autostart file"},
    {"FILE_UNINSTALLER", "Uninstaller"},
    {"FILE_DESKTOPLINK", "Desktop link"},
    {"FILE_GROUPENTRY", "Program group entry"},
    {"FILE_STARTMENUITEM", "Start menu item"},
    {"FILE_QUICKLAUNCH", "Quicklaunch icon"},
    {"FILE_CONFIGURATION", "Configuration file"},
    {"FILE_SERVICE", "Service executable"},
    {"FILE_ADS", "Alternate data stream"},
    {"DIR_PROG", "Program directory"},
    {"DIR_DOWNLOAD", "Download directory"},
    {"DIR_PROGGROUP", "Program group"},
    {"DIR_TEMP", "Temporary folder"},
    {"DIR_PERSONAL", "Personal files folder"},
    {"DIR_APPDATA", "Application data folder"},
    {"DIR_COMMON_APPDATA", "Common application data folder"},
    {"DIR_COMMON_DOCS", "Common documents folder"},
    {"DIR_COMMON_FILES", "Common files folder"},
    {"BROWSER_TRACKINGCOOKIE", "Tracking cookie"},
    {"BROWSER_COOKIE", "Cookie"},
    {"BROWSER_CACHE", "Cache entry"},
    {"BROWSER_BOOKMARK", "Bookmark"},
    {"BROWSER_BOOKMARKGROUP", "Bookmark group"},
    {"BROWSER_PAGE", "Page"},
    {"API_WINSOCK", "Winsock"},
}};

constexpr std::string_view kRegExprPrefix = "<regexpr>";

// Expansion steps SolvePathAll takes at most; only a value that names a
// variable itself (a hostile registry) can need more than the alternatives.
constexpr int kMaxPathExpansionSteps = 4 * kMaxPathAlternatives;

bool MayHoldVariable(std::string_view text) { return text.find("<$") != std::string_view::npos; }

std::string Excerpt(std::string_view s) {
  return s.size() <= 200 ? std::string(s) : std::string(s.substr(0, 200)) + "...";
}

// The length `text` has once every `name` in it (any case) is replaced by a
// text of `value_length` characters; counted before replacing, so a value
// that multiplies the text is never built.
size_t ReplacedLength(std::string_view text, std::string_view name, size_t value_length) {
  size_t length = text.size();
  for (size_t at = AnsiPosText(name, text, 0); at != std::string_view::npos;
       at = AnsiPosText(name, text, at + name.size())) {
    length = length - name.size() + value_length;
  }
  return length;
}

}  // namespace

void FreePathVariableTables() { PathVariableTable().Clear(); }

std::string EscapeRegExpr(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  // One pass gives what the four replacements in turn give: the backslashes
  // the later ones add are never doubled again.
  for (char c : text) {
    if (c == '\\' || c == '(' || c == ')' || c == '.') out += '\\';
    out += c;
  }
  return out;
}

std::string SolvePath(std::string_view input) {
  std::string text(input);
  if (!MayHoldVariable(text)) return text;
  const TPathVariableTable& table = PathVariableTable();
  const auto& entries = table.Entries();
  std::string kept;  // a name left in place because its value grows the text too far
  auto replace = [&text, &kept](const TPathVariableTable::TEntry& entry) {
    bool regex = text.starts_with(kRegExprPrefix) || text.find("=<regexpr>") != std::string::npos;
    std::string escaped;
    const std::string& value = regex ? (escaped = EscapeRegExpr(entry.value)) : entry.value;
    if (ReplacedLength(text, entry.name, value.size()) > kMaxPathTextLength) {
      if (kept.empty()) kept = entry.name;
      return;
    }
    text = StringReplaceAll(text, entry.name, value, /*ignore_case=*/true);
  };
  auto solved = [&] {
    if (!kept.empty())
      WriteIncludeError("Path variables in \"" + Excerpt(input) + "\" would grow it past " +
                        std::to_string(kMaxPathTextLength) +
                        " characters (a value names a variable again); " + kept + " was left as it is");
    return text;
  };
  // From the last entry back: a name with several entries is resolved by its
  // last one, and the earlier ones find no name left.
  if (!table.NamesAreTokens()) {
    for (size_t i = entries.size(); i-- > 0;) {
      if (text.find(entries[i].name) != std::string::npos) replace(entries[i]);
    }
    return solved();
  }
  // The same walk, visiting only the entries whose name the text holds: the
  // next one is the highest entry below the last one visited that is named
  // by a "<$...>" token of the text as it stands now.
  size_t below = entries.size();
  for (;;) {
    int next = -1;
    for (size_t at = text.find("<$"); at != std::string::npos; at = text.find("<$", at + 2)) {
      size_t end = text.find('>', at + 2);
      if (end == std::string::npos) break;
      const std::vector<int>* named =
          table.EntriesNamed(std::string_view(text).substr(at, end - at + 1));
      if (named == nullptr) continue;
      for (int i : *named) {
        if (static_cast<size_t>(i) < below && i > next) next = i;
      }
    }
    if (next < 0) return solved();
    below = static_cast<size_t>(next);
    replace(entries[below]);
  }
}

void SolvePathAll(std::string_view text, TStringList* list) {
  const auto& sets = PathVariableTable().ValueSets();
  struct TWork {
    std::string text;
    int set = -2;  // the variable to expand next: -2 not yet known, -1 none
    size_t at = 0;
  };
  auto first_variable = [&](TWork& w) {
    if (w.set != -2) return;
    w.set = -1;
    if (!MayHoldVariable(w.text)) return;
    // The first name of the value-set list that occurs, not the leftmost.
    for (size_t s = 0; s < sets.size(); ++s) {
      size_t at = w.text.find(sets[s].name);
      if (at != std::string::npos) {
        w.set = static_cast<int>(s);
        w.at = at;
        return;
      }
    }
  };

  std::vector<TWork> work;
  work.push_back({std::string(text)});
  int steps = 0;
  size_t dropped = 0;
  bool too_long = false;  // a step would pass the length or byte limit
  size_t made_bytes = 0;  // the texts made so far, intermediate ones included
  bool gave_up = false;
  for (;;) {
    int pick = -1;
    for (int i = static_cast<int>(work.size()) - 1; i >= 0; --i) {
      first_variable(work[i]);
      if (work[i].set >= 0) {
        pick = i;
        break;
      }
    }
    if (pick < 0) break;
    if (++steps > kMaxPathExpansionSteps) {
      gave_up = true;
      break;
    }
    const auto& set = sets[work[pick].set];
    const bool regex = work[pick].text.starts_with(kRegExprPrefix);
    const size_t room = static_cast<size_t>(kMaxPathAlternatives) - (work.size() - 1);
    const size_t taken = std::min(set.values.size(), room);
    // A step that would grow a text or all of them too far is not taken:
    // what is expanded so far stays, the rest is left as it is.
    size_t step_bytes = 0;
    for (size_t v = 0; v < taken && !too_long; ++v) {
      size_t value_length = regex ? EscapeRegExpr(set.values[v]).size() : set.values[v].size();
      size_t length = work[pick].text.size() - set.name.size() + value_length;
      step_bytes += length;
      too_long = length > kMaxPathTextLength || step_bytes > kMaxPathExpansionBytes - made_bytes;
    }
    if (too_long) break;
    made_bytes += step_bytes;
    dropped += set.values.size() - taken;
    TWork entry = std::move(work[pick]);
    work.erase(work.begin() + pick);
    for (size_t v = 0; v < taken; ++v) {
      std::string escaped = regex ? EscapeRegExpr(set.values[v]) : std::string();
      const std::string& value = regex ? escaped : set.values[v];
      std::string expanded;
      expanded.reserve(entry.text.size() - set.name.size() + value.size());
      expanded.append(entry.text, 0, entry.at);
      expanded.append(value);
      expanded.append(entry.text, entry.at + set.name.size());
      work.push_back({std::move(expanded)});
    }
  }
  if (dropped > 0)
    WriteIncludeError("Path variables in \"" + Excerpt(text) + "\" give more than " +
                      std::to_string(kMaxPathAlternatives) + " alternatives; " +
                      std::to_string(dropped) + " were dropped");
  if (too_long)
    WriteIncludeError("Path variables in \"" + Excerpt(text) + "\" do not resolve: the texts would grow past " +
                      std::to_string(kMaxPathTextLength) + " characters or " +
                      std::to_string(kMaxPathExpansionBytes) +
                      " bytes in all (a value names a variable again); left as they are");
  if (gave_up)
    WriteIncludeError("Path variables in \"" + Excerpt(text) +
                      "\" do not resolve (a value names a variable again); left as they are");
  for (TWork& w : work) list->Add(std::move(w.text));
}

void ListPathVariables(TStringList* list) {
  for (const TPathSolveConfig& row : kPathSolveConfig) {
    std::string name = std::string("<$") + row.Name + ">";
    list->Add(name + "=" + SolvePath(name));
  }
}

std::string SolveDescription(std::string_view input) {
  std::string text(input);
  if (!MayHoldVariable(text)) return text;
  for (const TDescriptionPair& pair : kDescriptions) {
    std::string name = std::string("<$") + pair.key + ">";
    if (text.find(name) != std::string::npos)
      text = StringReplaceAll(text, name, pair.text, /*ignore_case=*/true);
  }
  return text;
}

}  // namespace vx
