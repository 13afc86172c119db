#include "rules/product_list.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unordered_map>
#include <vector>

#include "base/ansi_text.h"
#include "base/escape_html.h"
#include "rules/host_file.h"

namespace vx {

namespace {

constexpr const char* kLineEnd = "\r\n";

std::string NamePart(const std::string& entry) {
  size_t eq = entry.find('=');
  return eq == std::string::npos ? entry : entry.substr(0, eq);
}

std::string ValuePart(const std::string& entry) {
  size_t eq = entry.find('=');
  return eq == std::string::npos ? std::string() : entry.substr(eq + 1);
}

void Element(std::string& out, const char* name, const std::string& value) {
  out += "<";
  out += name;
  out += ">";
  out += EscapeHtml(value);
  out += "</";
  out += name;
  out += ">";
  out += kLineEnd;
}

void OpenEntry(std::string& out, const std::string& key) {
  out += "<threatentry key=\"" + EscapeHtml(key) + "\">" + kLineEnd;
}

}  // namespace

TStringList BuildProductFileList(const TIncludeFileManager& manager) {
  std::vector<std::string> entries;
  for (int i = 0; i < manager.Count(); ++i) {
    const TIncludeFileItem& item = manager.Items(i);
    for (int p = 0; p < item.Products().Count(); ++p) {
      entries.push_back(item.Products()[p] + "=" + item.Filename());
    }
  }
  std::stable_sort(entries.begin(), entries.end(), [](const std::string& a, const std::string& b) {
    return AnsiCompareText(a, b) < 0;
  });
  // Exact copies only: the same product written in another case in another
  // place is a separate entry.
  TStringList list;
  size_t run_start = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i > 0 && AnsiCompareText(entries[i - 1], entries[i]) != 0) run_start = i;
    bool duplicate = false;
    for (size_t j = run_start; j < i && !duplicate; ++j) duplicate = entries[j] == entries[i];
    if (!duplicate) list.Add(entries[i]);
  }
  return list;
}

std::string FormatProductList(const TProblemInfoList& info, TStringList product_files,
                              TDateTime now) {
  std::string out;
  out += "<?xml version=\"1.0\" encoding=\"windows-1252\"?>";
  out += kLineEnd;
  out += "<xml_quarnel_threatlist date=\"" + FormatDateTime("c", now) + "\" linuxdate=\"" +
         std::to_string(DateTimeToFileDate(now)) + "\">" + kLineEnd;

  // Name -> positions in list order, so each description claims the first
  // remaining entry of its product without a scan of the whole list.
  const int n = product_files.Count();
  std::vector<bool> claimed(static_cast<size_t>(n), false);
  std::unordered_map<std::string, std::vector<int>> by_name;
  for (int i = n - 1; i >= 0; --i) {
    by_name[AnsiUpperCase(NamePart(product_files[i]))].push_back(i);
  }
  for (int i = 0; i < info.Count(); ++i) {
    const TProblemInfoItem& item = info.Items(i);
    std::string source = item.IniFilename();
    auto it = by_name.find(AnsiUpperCase(item.Product()));
    if (it != by_name.end() && !it->second.empty()) {
      int index = it->second.back();
      it->second.pop_back();
      claimed[static_cast<size_t>(index)] = true;
      source = ValuePart(product_files[index]);
    }
    OpenEntry(out, item.Key());
    Element(out, "Product", item.Product());
    Element(out, "Company", item.Company());
    Element(out, "FromFile", HostFileName(source));
    Element(out, "Threat", item.Threat());
    Element(out, "CompanyURL", item.CompanyURL());
    Element(out, "CompanyProductURL", item.CompanyProductURL());
    Element(out, "CompanyPrivacyURL", item.CompanyPrivacyURL());
    Element(out, "Description", item.Description());
    Element(out, "Functionality", item.Functionality());
    Element(out, "Privacy", item.Privacy());
    out += "</threatentry>";
    out += kLineEnd;
  }
  for (int i = 0; i < n; ++i) {
    if (claimed[static_cast<size_t>(i)]) continue;
    OpenEntry(out, NamePart(product_files[i]));
    Element(out, "FromFile", HostFileName(ValuePart(product_files[i])));
    out += "</threatentry>";
    out += kLineEnd;
  }
  out += "</xml_quarnel_threatlist>";
  out += kLineEnd;
  return out;
}

bool WriteProductList(const std::string& file_name, const TProblemInfoList& info,
                      const TStringList& product_files, TDateTime now) {
  std::string bytes = FormatProductList(info, product_files.Clone(), now);
  std::ofstream out(file_name, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

bool CreateProductList(const std::string& app_dir, const TIncludeFileManager& manager,
                       const std::string& output_file,
                       const std::function<void(const std::string&)>& print_line,
                       std::optional<TDateTime> now) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path dir = fs::path(output_file).parent_path();
  bool ok = true;
  if (!dir.empty() && !fs::is_directory(dir, ec)) {
    print_line("o Trying to force outpath path...");
    fs::create_directories(dir, ec);
    ok = fs::is_directory(dir, ec);
  }
  print_line("o Reading product information...");
  print_line("o Creating XML product list at " + output_file + "...");
  if (ok) {
    TStringList product_files = BuildProductFileList(manager);
    TProblemInfoManager info;
    // A missing information file leaves every product bare rather than
    // ending the run without a list.
    info.LoadInformation((fs::path(app_dir) / "Includes" / "Targets.nfo").string(), "English");
    ok = WriteProductList(output_file, info.InfoList(), product_files, now ? *now : Now());
  }
  if (!ok) print_line("- Could not create product list. Is the path correct, do you have write access?");
  return ok;
}

}  // namespace vx
