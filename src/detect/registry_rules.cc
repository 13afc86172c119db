#include "detect/registry_rules.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "base/ansi_text.h"
#include "base/comma_text.h"
#include "base/error.h"
#include "match/compare.h"
#include "match/path_variables.h"
#include "match/regex_match.h"
#include "scan/finding_recorder.h"
#include "sysaccess/my_registry.h"
#include "sysaccess/user_hives.h"

namespace vx {

namespace {

constexpr std::string_view kKeyDelete = "KeyDelete";
constexpr std::string_view kValueDelete = "ValueDelete";
constexpr std::string_view kValueChange = "ValueChange";
constexpr std::string_view kDataFix = "DataFix";
constexpr std::string_view kDataRemove = "DataRemove";
constexpr std::string_view kRegExprTag = "<regexpr>";

bool HasWildcards(std::string_view name) {
  return name.find_first_of("*?") != std::string_view::npos;
}

// A name that asks for an enumeration: wildcards or a comparison-mode tag.
bool IsPattern(std::string_view name) { return HasWildcards(name) || name.starts_with('<'); }

// "a\b" + "c" -> "a\b\c\": each part with one trailing backslash, empty parts left out.
void AppendPart(std::string* path, std::string_view part) {
  if (part.empty()) return;
  path->append(part);
  if (path->back() != '\\') path->push_back('\\');
}

// A verify specification taken apart.
struct TVerifySpec {
  std::string subkey;     // with its backslashes; empty for the key itself
  std::string name;       // the value name (pattern)
  std::string data;       // the data pattern, with its type tag
  bool has_data = false;  // "Name=Data" rather than "Name"
  bool negated = false;
};

TVerifySpec SplitVerifySpec(std::string_view spec) {
  TVerifySpec out;
  std::string_view name;
  size_t eq = spec.find('=');
  if (eq != std::string_view::npos) {
    out.has_data = true;
    out.data = std::string(spec.substr(eq + 1));
    name = spec.substr(0, eq);
    if (!name.empty() && name.back() == '!') {
      out.negated = true;
      name.remove_suffix(1);
    }
  } else {
    name = spec;
    if (name.starts_with('!')) {
      out.negated = true;
      name.remove_prefix(1);
    }
  }
  size_t slash = name.rfind('\\');
  if (slash != std::string_view::npos) {
    out.subkey = std::string(name.substr(0, slash + 1));
    name.remove_prefix(slash + 1);
  }
  out.name = std::string(name);
  return out;
}

enum class TDataTag { dtText, dtDword, dtBinaryOrDword, dtExists };

TDataTag TakeDataTag(std::string* data) {
  struct TTag {
    std::string_view text;
    TDataTag tag;
  };
  static constexpr TTag kTags[] = {{"W=", TDataTag::dtDword},
                                   {"dword:", TDataTag::dtDword},
                                   {"B=", TDataTag::dtBinaryOrDword},
                                   {"exists:", TDataTag::dtExists}};
  for (const TTag& t : kTags) {
    if (data->starts_with(t.text)) {
      data->erase(0, t.text.size());
      return t.tag;
    }
  }
  return TDataTag::dtText;
}

// One registry rule line: what it searches and the finding parameter list
// that all its alternatives and passes share.
class TRegistrySearch {
 public:
  TRegistrySearch(TRuleContext& context, TRuleLine& line, uint32_t root)
      : context_(context), params_(line.FindingParams), root_(root) {
    product_ = context.Flow().CurrentProduct;
    description_ = line.Params[0];
  }

  void FindKeys(const std::string& path, const std::string& key_name,
                const std::string& verify) {
    verify_ = verify;
    params_.SetValue("Key", key_name);
    params_.SetValue("VerifyValue", verify);
    params_.SetValue("Action", kKeyDelete);
    ForEachPlace(path, [&](uint32_t root, const std::string& prefix, const std::string& p,
                           TRegView view) { SearchKeys(root, prefix, p, key_name, view); });
  }

  void FindValues(const std::string& path, const std::string& value_name,
                  const std::string& verify) {
    verify_ = verify;
    params_.SetValue("Value", value_name);
    params_.SetValue("VerifyValue", verify);
    if (params_.IndexOfName("Action") < 0) params_.Add("Action=" + std::string(kValueDelete));
    ForEachPlace(path, [&](uint32_t root, const std::string& prefix, const std::string& p,
                           TRegView view) { SearchValues(root, prefix, p, value_name, view); });
  }

 private:
  // Every registry place the rule's path names: each user hive for
  // HKEY_CURRENT_USER, else each installation in the 32-bit view and, where
  // Windows keeps a second one, the 64-bit view.
  template <typename F>
  void ForEachPlace(const std::string& path, F search) {
    params_.SetValue("RootKey", RootKeyToName(root_));
    params_.SetValue("Path", path);
    if (root_ == kHkeyCurrentUser) {
      for (int i = 0; i < UserHiveNames().Count(); ++i) {
        std::string prefix = "\\" + UserHiveNames()[i];
        params_.SetValue("RootKey", RootKeyToName(kHkeyUsers));
        params_.SetValue("Path", prefix + path);
        search(kHkeyUsers, prefix, path, TRegView::rv32);
      }
      return;
    }
    bool second_view = SecondView(path);
    for (const TPEHive& installation : context_.Lists().Installations) {
      std::string p = "\\" + installation.Prefix + path.substr(1);
      params_.SetValue("Path", p);
      params_.SetValue("AccessBits", "32");
      search(root_, std::string(), p, TRegView::rv32);
      if (second_view) {
        params_.SetValue("AccessBits", "64");
        search(root_, std::string(), p, TRegView::rv64);
      }
    }
  }

  // The 64-bit view holds other keys than the 32-bit one for the classes and
  // for HKLM outside its SOFTWARE key; a path with "SOFTWARE\" deeper than its
  // ninth character is taken to lie in a shared part.
  bool SecondView(const std::string& path) const {
    if (!IsWow64()) return false;
    if (root_ == kHkeyClassesRoot) return true;
    if (root_ != kHkeyLocalMachine) return false;
    size_t at = AnsiUpperCase(path).find("SOFTWARE\\");
    return at == std::string::npos || at < 9;
  }

  void SearchKeys(uint32_t root, const std::string& prefix, const std::string& path,
                  const std::string& key_name, TRegView view) {
    TMyRegistry reg;
    reg.SetRootKey(root);
    reg.SetView(view);
    if (!reg.OpenKeyReadOnly(prefix + path)) return;
    if (reg.KeyExists(key_name)) VerifyAndReportKey(root, prefix, path, key_name, view);
    if (!IsPattern(key_name)) return;
    TStringList names;
    reg.GetKeyNames(&names);
    TStringList matches = MatchList(names, key_name, /*ignore_case=*/true);
    for (int i = 0; i < matches.Count(); ++i) {
      params_.SetValue("Key", matches[i]);
      VerifyAndReportKey(root, prefix, path, matches[i], view);
    }
  }

  void VerifyAndReportKey(uint32_t root, const std::string& prefix, const std::string& path,
                          const std::string& key_name, TRegView view) {
    if (!Verify(root, prefix, path, verify_, key_name, view)) return;
    Record(root, prefix + path, key_name, ftRegistryKey);
  }

  void SearchValues(uint32_t root, const std::string& prefix, const std::string& path,
                    const std::string& value_name, TRegView view) {
    TMyRegistry reg;
    reg.SetRootKey(root);
    reg.SetView(view);
    if (!reg.OpenKeyReadOnly(prefix + path)) return;
    if (reg.ValueExists(value_name)) CheckValue(root, prefix, path, value_name, view);
    if (!IsPattern(value_name) && value_name.find("<$") == std::string::npos) return;
    TStringList names;
    reg.GetValueNames(&names);
    TStringList matches = MatchList(names, value_name, /*ignore_case=*/true);
    for (int i = 0; i < matches.Count(); ++i) {
      params_.SetValue("Value", matches[i]);
      params_.SetValue("VerifyValueBak", verify_);
      CheckValue(root, prefix, path, matches[i], view);
    }
  }

  void CheckValue(uint32_t root, const std::string& prefix, const std::string& path,
                  const std::string& value_name, TRegView view) {
    params_.SetValue("ActionValue", value_name);
    std::string action = params_.Values("Action");
    std::string spec = verify_;
    if (action == kDataRemove) {
      std::string remove = params_.Values("RemoveData");
      spec = params_.Values("Value") + "=" + (remove.starts_with('<') ? remove : "*" + remove + "*");
    } else if (action == kDataFix) {
      size_t eq = verify_.find('=');
      spec = params_.Values("Value") + "=" +
             (eq == std::string::npos ? std::string() : verify_.substr(eq + 1));
    }
    if (!Verify(root, prefix, path, spec, std::string(), view)) return;
    std::string item = params_.IndexOfName("Value") >= 0 ? params_.Values("Value") : value_name;
    TQuarnelFixType fix = ftRegistryValue;
    if (action == kValueChange) {
      fix = ftRegistryChange;
      item = params_.Values("VerifyValue");
    }
    Record(root, prefix + path, item, fix);
  }

  // Whether the key's values hold the condition `spec`. A key that does not
  // open, and any error while reading a value (a value of the wrong type),
  // make the condition fail whether it is negated or not.
  bool Verify(uint32_t root, const std::string& prefix, const std::string& path,
              const std::string& spec, const std::string& key_name, TRegView view) {
    if (spec.empty()) return true;
    TVerifySpec s = SplitVerifySpec(spec);
    if (params_.IndexOfName("VerifyValue") < 0) params_.Add("VerifyValue=" + s.name);
    if (params_.IndexOfName("VerifyData") < 0) params_.Add("VerifyData=" + s.data);

    std::string key;
    if (s.subkey.starts_with('\\')) {
      key = prefix;
      AppendPart(&key, s.subkey);
    } else {
      key = prefix + path;
      AppendPart(&key, key_name);
      AppendPart(&key, s.subkey);
    }
    TMyRegistry reg;
    reg.SetRootKey(root);
    reg.SetView(view);
    if (!reg.OpenKeyReadOnly(key)) return false;

    bool holds = false;
    try {
      holds = AnyValueHolds(reg, s);
    } catch (const std::exception&) {
      return false;
    }
    return s.negated ? !holds : holds;
  }

  bool AnyValueHolds(TMyRegistry& reg, TVerifySpec& s) {
    TDataTag tag = TakeDataTag(&s.data);
    TStringList names;
    if (IsPattern(s.name)) {
      TStringList all;
      reg.GetValueNames(&all);
      names = MatchList(all, s.name, /*ignore_case=*/true);
    } else {
      names.Add(s.name);
    }
    for (int i = 0; i < names.Count(); ++i) {
      const std::string& name = names[i];
      params_.SetValue("VerifyValue", name);
      if (!s.has_data || tag == TDataTag::dtExists) {
        if (reg.ValueExists(name)) return true;
        continue;
      }
      if (tag == TDataTag::dtDword || tag == TDataTag::dtBinaryOrDword) {
        // ReadInteger raises for a missing value and for any other type than
        // REG_DWORD; a REG_BINARY cannot be read as a number either.
        int32_t wanted = 0;
        if (TryStrToInt(s.data, &wanted) && reg.ReadInteger(name) == wanted) return true;
        continue;
      }
      std::string text = reg.ReadString(name);
      if (!TextMatches(text, s.data)) continue;
      AfterTextMatch(name, text, s.data);
      return true;
    }
    return false;
  }

  static bool TextMatches(const std::string& text, const std::string& pattern) {
    if (pattern.empty()) return text.empty();
    if (pattern.find("<$") == std::string::npos) {
      return MatchValue(text, pattern, /*ignore_case=*/true, cmWildcard);
    }
    TStringList alternatives;
    SolvePathAll(pattern, &alternatives);
    for (int i = 0; i < alternatives.Count(); ++i) {
      if (MatchValue(text, alternatives[i], /*ignore_case=*/true, cmWildcard)) return true;
    }
    return false;
  }

  // What a text match leaves for the findings and for the lines after: the
  // text a regular expression removed, and the groups of the value search's
  // own expression for their "<$REGMATCH" references.
  void AfterTextMatch(const std::string& name, const std::string& text,
                      const std::string& pattern) {
    if (params_.Values("Action") == kDataRemove && pattern.starts_with(kRegExprTag) &&
        LastRegExprMatch().Count() > 0) {
      params_.SetValue("RemoveData", LastRegExprMatch()[0]);
    }
    std::string bak = params_.Values("VerifyValueBak");
    if (bak.find(kRegExprTag) == std::string::npos) return;
    TVerifySpec again = SplitVerifySpec(bak);
    MatchValue(name, again.name, /*ignore_case=*/true, cmWildcard);
    MatchValue(text, again.data, /*ignore_case=*/true, cmWildcard);
  }

  void Record(uint32_t root, const std::string& key_path, const std::string& item,
              TQuarnelFixType fix) {
    params_.SetValue("RootKey", RootKeyToName(root));
    params_.SetValue("Path", key_path);
    TRegView view = params_.Values("AccessBits") == "64" ? TRegView::rv64 : TRegView::rv32;
    // Without the library (or its check) the advanced file check passes.
    if (params_.IndexOfName("advfile") >= 0 && context_.Services().AdvancedCheckReady() &&
        !context_.Services().RunAdvancedCheck(std::string(), params_.Values("advfile"))) {
      return;
    }
    context_.Recorder().RecordRegistryFinding(
        product_, description_, /*checkable=*/true, params_, item, key_path, root, view, fix,
        static_cast<TQuarnelMainType>(context_.Flow().CurrentCategory), std::string());
  }

  TRuleContext& context_;
  TStringList& params_;
  uint32_t root_;
  std::string product_;
  std::string description_;
  std::string verify_;
};

// A path as the searches take it: from the root, with one trailing backslash.
std::string KeyPath(std::string path) {
  if (!path.starts_with('\\')) path.insert(0, "\\");
  return SetTrailingBackslash(path, 1);
}

// What every registry rule does first: the parameters shared by its
// findings, and the root key (0 for a line that names none or is too short).
uint32_t PrepareLine(TRuleContext& context, TRuleLine& line, int min_params) {
  if (line.GivenParams < min_params) return 0;
  line.FindingParams.Add("Description=" + line.Params[0]);
  if (line.GivenParams >= 6) {
    line.FindingParams.Add("advfile=" + context.SolvePath(line.Params[5]));
  }
  return NameToRootKey(line.Params[1]);
}

// The registry rules see the captured groups of the line before them; what
// their findings capture is what the lines after them see.
template <typename F>
void WithSavedMatches(TRuleContext& context, F run) {
  context.Flow().SavedMatches.Clear();
  try {
    run();
  } catch (...) {
    LastRegExprMatch().Assign(context.Flow().SavedMatches.ToVector());
    throw;
  }
  LastRegExprMatch().Assign(context.Flow().SavedMatches.ToVector());
}

std::string FirstCommaItem(std::string_view text) {
  std::vector<std::string> items = SplitCommaText(text);
  return items.empty() ? std::string() : items[0];
}

void HandleRegyKey(TRuleContext& context, TRuleLine& line) {
  WithSavedMatches(context, [&] {
    uint32_t root = PrepareLine(context, line, 4);
    if (root == 0) return;
    TRegistrySearch search(context, line, root);
    std::string path = KeyPath(context.SolvePath(line.Params[2]));
    std::string key = context.SolvePath(line.Params[3]);
    TStringList verify = context.SolvePathAll(FirstCommaItem(line.Params[4]));
    for (int i = 0; i < verify.Count(); ++i) search.FindKeys(path, key, verify[i]);
  });
}

void HandleRegyValue(TRuleContext& context, TRuleLine& line) {
  WithSavedMatches(context, [&] {
    uint32_t root = PrepareLine(context, line, 4);
    if (root == 0) return;
    TRegistrySearch search(context, line, root);
    std::string path = KeyPath(context.SolvePath(line.Params[2]));
    std::string verify = context.SolvePath(line.Params[4]);
    TStringList names = context.SolvePathAll(line.Params[3]);
    for (int i = 0; i < names.Count(); ++i) search.FindValues(path, names[i], verify);
  });
}

// "Name=Data" reports the value when its data differs from Data; "Name!=Data"
// when it matches; a bare name whenever the value exists.
void HandleRegyChange(TRuleContext& context, TRuleLine& line) {
  WithSavedMatches(context, [&] {
    uint32_t root = PrepareLine(context, line, 4);
    if (root == 0) return;
    const std::string& written = line.Params[3];
    std::string name = written;
    std::string verify;
    size_t eq = written.find('=');
    if (eq != std::string::npos) {
      name = written.substr(0, eq);
      bool negated = !name.empty() && name.back() == '!';
      if (negated) name.pop_back();
      verify = name + (negated ? "=" : "!=") + written.substr(eq + 1);
    }
    line.FindingParams.SetValue("Value", written);
    line.FindingParams.SetValue("Action", kValueChange);
    TRegistrySearch search(context, line, root);
    search.FindValues(KeyPath(context.SolvePath(line.Params[2])), name, verify);
  });
}

void HandleRegyFix(TRuleContext& context, TRuleLine& line) {
  WithSavedMatches(context, [&] {
    uint32_t root = PrepareLine(context, line, 4);
    if (root == 0) return;
    line.FindingParams.SetValue("Action", kDataFix);
    const std::string& written = line.Params[3];
    std::string verify = context.SolvePath(written);
    TStringList names = context.SolvePathAll(written.substr(0, written.find('=')));
    TRegistrySearch search(context, line, root);
    std::string path = KeyPath(context.SolvePath(line.Params[2]));
    for (int i = 0; i < names.Count(); ++i) search.FindValues(path, names[i], verify);
  });
}

void HandleRegyRemove(TRuleContext& context, TRuleLine& line) {
  WithSavedMatches(context, [&] {
    uint32_t root = PrepareLine(context, line, 5);
    if (root == 0) return;
    std::string name = context.SolvePath(line.Params[3]);
    std::string path = KeyPath(context.SolvePath(line.Params[2]));
    line.FindingParams.SetValue("Value", name);
    line.FindingParams.SetValue("Action", kDataRemove);
    TRegistrySearch search(context, line, root);
    TStringList data = context.SolvePathAll(line.Params[4]);
    for (int i = 0; i < data.Count(); ++i) {
      const std::string& remove = data[i];
      line.FindingParams.SetValue("RemoveData", remove);
      search.FindValues(path, name,
                        name + "=" + (remove.starts_with('<') ? remove : "*" + remove + "*"));
    }
  });
}

constexpr std::array kRows = std::to_array<TRuleHandlerRow>({
    {"RegyChange", HandleRegyChange},
    {"RegyFix", HandleRegyFix},
    {"RegyKey", HandleRegyKey},
    {"RegyRemove", HandleRegyRemove},
    {"RegyValue", HandleRegyValue},
});

}  // namespace

TRuleHandlerRows RegistryRuleRows() { return kRows; }

}  // namespace vx
