// Makes the binary seeds that no project tool writes: shell links,
// executables with a version resource, and UTF-16LE text. Everything is laid
// out here field by field, so that each seed has its source.
//
//   fuzz_seed_maker shortcuts DIR      local, network and environment links
//   fuzz_seed_maker executables DIR    32- and 64-bit executables
//   fuzz_seed_maker utf16 IN OUT       UTF-8 text -> UTF-16LE with its mark
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/codepage.h"

namespace {

void Put16(std::string* b, uint32_t v) {
  b->push_back(static_cast<char>(v & 0xFF));
  b->push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string* b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
void Set16(std::string* b, size_t at, uint32_t v) {
  (*b)[at] = static_cast<char>(v & 0xFF);
  (*b)[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Set32(std::string* b, size_t at, uint32_t v) {
  Set16(b, at, v & 0xFFFF);
  Set16(b, at + 2, v >> 16);
}
std::string Wide(std::string_view utf8) { return vx::Utf8ToUtf16Le(utf8); }
std::string WideZ(std::string_view utf8) { return Wide(utf8) + std::string(2, '\0'); }
void Align4(std::string* b) {
  while (b->size() % 4) b->push_back('\0');
}

bool Write(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (out.fail()) std::fprintf(stderr, "fuzz_seed_maker: cannot write %s\n", path.c_str());
  return !out.fail();
}

// ---- Shell links

constexpr uint32_t kHasLinkInfo = 0x02, kHasName = 0x04, kHasRelativePath = 0x08, kHasWorkingDir = 0x10,
                   kHasArguments = 0x20, kHasIconLocation = 0x40, kIsUnicode = 0x80,
                   kHasExpString = 0x200;

std::string LinkHeader(uint32_t flags) {
  std::string b;
  Put32(&b, 0x4C);
  const unsigned char clsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
  b.append(reinterpret_cast<const char*>(clsid), 16);
  Put32(&b, flags);
  b.resize(0x4C, '\0');
  return b;
}

void CountedString(std::string* b, std::string_view text, bool unicode) {
  Put16(b, static_cast<uint32_t>(text.size()));
  *b += unicode ? Wide(text) : std::string(text);
}

// The link information block: a local path (with its Unicode copy when
// `unicode`) or a network share, and a common path suffix.
std::string LinkInfo(std::string_view local, std::string_view share, std::string_view suffix, bool unicode) {
  const uint32_t header = unicode ? 0x24 : 0x1C;
  std::string b(header, '\0');
  Set32(&b, 4, header);
  Set32(&b, 8, local.empty() ? 0x02 : 0x01);
  if (!local.empty()) {
    Set32(&b, 12, static_cast<uint32_t>(b.size()));  // volume id
    std::string volume;
    Put32(&volume, 0x14);
    Put32(&volume, 3);           // fixed drive
    Put32(&volume, 0x1234ABCD);  // serial
    Put32(&volume, 0x10);
    volume += "SYSTEM";
    volume.push_back('\0');
    b += volume;
    Set32(&b, 16, static_cast<uint32_t>(b.size()));
    b += std::string(local) + '\0';
  } else {
    Set32(&b, 20, static_cast<uint32_t>(b.size()));
    std::string network;
    Put32(&network, 0x14 + static_cast<uint32_t>(share.size()) + 1);
    Put32(&network, 0x02);  // valid device
    Put32(&network, 0x14);  // share name offset
    Put32(&network, 0);
    Put32(&network, 0x00020000);
    network += std::string(share) + '\0';
    b += network;
  }
  Set32(&b, 24, static_cast<uint32_t>(b.size()));
  b += std::string(suffix) + '\0';
  if (unicode) {
    Set32(&b, 28, static_cast<uint32_t>(b.size()));
    b += WideZ(local);
    Set32(&b, 32, static_cast<uint32_t>(b.size()));
    b += WideZ(suffix);
  }
  Set32(&b, 0, static_cast<uint32_t>(b.size()));
  return b;
}

std::string EnvironmentBlock(std::string_view target) {
  std::string b;
  Put32(&b, 8 + 260 + 520);
  Put32(&b, 0xA0000001);
  std::string ansi(target);
  ansi.resize(260, '\0');
  std::string wide = Wide(target);
  wide.resize(520, '\0');
  return b + ansi + wide;
}

bool Shortcuts(const std::string& dir) {
  bool ok = true;
  {
    std::string b = LinkHeader(kHasLinkInfo | kHasName | kHasWorkingDir | kHasArguments | kIsUnicode);
    b += LinkInfo("C:\\Program Files\\App\\app.exe", "", "", false);
    CountedString(&b, "My App", true);
    CountedString(&b, "C:\\Program Files\\App", true);
    CountedString(&b, "/quiet \"x y\"", true);
    Put32(&b, 0);
    ok = Write(dir + "/local.lnk", b) && ok;
  }
  {
    std::string b = LinkHeader(kHasLinkInfo | kHasName | kHasRelativePath | kHasIconLocation | kIsUnicode);
    b += LinkInfo("C:\\Programme\\Büro", "", "Start.exe", true);
    CountedString(&b, "Büro", true);
    CountedString(&b, "..\\Büro\\Start.exe", true);
    CountedString(&b, "%SystemRoot%\\system32\\shell32.dll", true);
    Put32(&b, 0);
    ok = Write(dir + "/unicode-local.lnk", b) && ok;
  }
  {
    std::string b = LinkHeader(kHasLinkInfo | kHasName | kHasArguments);
    b += LinkInfo("", "\\\\SERVER\\Share", "tools\\run.cmd", false);
    CountedString(&b, "Run from the share", false);
    CountedString(&b, "-x", false);
    Put32(&b, 0);
    ok = Write(dir + "/network-ansi.lnk", b) && ok;
  }
  {
    std::string b = LinkHeader(kHasArguments | kIsUnicode | kHasExpString);
    CountedString(&b, "-run", true);
    b += EnvironmentBlock("%windir%\\notepad.exe");
    Put32(&b, 0);
    ok = Write(dir + "/environment.lnk", b) && ok;
  }
  return ok;
}

// ---- Executables

// One node of a version resource: length, value length, type, key, value
// and children, each part aligned to four bytes.
std::string VersionNode(std::string_view key, const std::string& value, bool text, const std::vector<std::string>& children) {
  std::string b(6, '\0');
  b += WideZ(key);
  Align4(&b);
  b += value;
  Align4(&b);
  for (const std::string& child : children) {
    b += child;
    Align4(&b);
  }
  Set16(&b, 0, static_cast<uint32_t>(b.size()));
  Set16(&b, 2, static_cast<uint32_t>(text ? value.size() / 2 : value.size()));
  Set16(&b, 4, text ? 1 : 0);
  return b;
}

std::string VersionInfo(uint32_t ms, uint32_t ls) {
  std::string fixed;
  Put32(&fixed, 0xFEEF04BD);
  Put32(&fixed, 0x00010000);
  Put32(&fixed, ms);
  Put32(&fixed, ls);
  Put32(&fixed, ms);  // product version
  Put32(&fixed, ls);
  Put32(&fixed, 0x3F);
  Put32(&fixed, 0);
  Put32(&fixed, 0x00040004);  // NT, Windows 32
  Put32(&fixed, 1);           // application
  Put32(&fixed, 0);
  Put32(&fixed, 0);
  Put32(&fixed, 0);
  std::string version = std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." +
                        std::to_string(ls >> 16) + "." + std::to_string(ls & 0xFFFF);
  std::vector<std::string> strings = {
      VersionNode("CompanyName", WideZ("Example Software"), true, {}),
      VersionNode("FileDescription", WideZ("Seed tool"), true, {}),
      VersionNode("FileVersion", WideZ(version), true, {}),
      VersionNode("ProductName", WideZ("Seed"), true, {}),
  };
  std::string translation;
  Put16(&translation, 0x0409);
  Put16(&translation, 0x04B0);
  return VersionNode(
      "VS_VERSION_INFO", fixed, false,
      {VersionNode("StringFileInfo", "", true, {VersionNode("040904B0", "", true, strings)}),
       VersionNode("VarFileInfo", "", true, {VersionNode("Translation", translation, false, {})})});
}

// A minimal executable whose one section holds the resource tree
// version -> 1 -> 0x409 -> the version resource.
std::string Executable(bool pe64, uint32_t ms, uint32_t ls) {
  const uint32_t optional_size = pe64 ? 0xF0 : 0xE0;
  const uint32_t directories = pe64 ? 112 : 96;
  const size_t section_raw = 0x200;
  const uint32_t section_rva = 0x1000;
  std::string resources(0x58, '\0');
  Set16(&resources, 14, 1);
  Set32(&resources, 16, 16);  // RT_VERSION
  Set32(&resources, 20, 0x80000018);
  Set16(&resources, 0x18 + 14, 1);
  Set32(&resources, 0x18 + 16, 1);
  Set32(&resources, 0x18 + 20, 0x80000030);
  Set16(&resources, 0x30 + 14, 1);
  Set32(&resources, 0x30 + 16, 0x409);
  Set32(&resources, 0x30 + 20, 0x48);
  std::string info = VersionInfo(ms, ls);
  Set32(&resources, 0x48, section_rva + 0x58);
  Set32(&resources, 0x48 + 4, static_cast<uint32_t>(info.size()));
  resources += info;
  while (resources.size() % 0x200) resources.push_back('\0');

  std::string b(section_raw, '\0');
  Set16(&b, 0, 0x5A4D);  // "MZ"
  Set32(&b, 0x3C, 0x40);
  Set32(&b, 0x40, 0x00004550);  // "PE\0\0"
  Set16(&b, 0x44, pe64 ? 0x8664 : 0x14C);
  Set16(&b, 0x46, 1);
  Set16(&b, 0x54, optional_size);
  const size_t optional = 0x58;
  Set16(&b, optional, pe64 ? 0x20B : 0x10B);
  Set32(&b, optional + directories - 4, 16);  // number of data directories
  Set32(&b, optional + directories + 16, section_rva);
  Set32(&b, optional + directories + 20, static_cast<uint32_t>(resources.size()));
  const size_t section = optional + optional_size;
  b.replace(section, 5, ".rsrc");
  Set32(&b, section + 8, static_cast<uint32_t>(resources.size()));
  Set32(&b, section + 12, section_rva);
  Set32(&b, section + 16, static_cast<uint32_t>(resources.size()));
  Set32(&b, section + 20, static_cast<uint32_t>(section_raw));
  return b + resources;
}

bool Executables(const std::string& dir) {
  bool ok = Write(dir + "/pe32.exe", Executable(false, 0x00010006, 0x0000001B));
  return Write(dir + "/pe64.dll", Executable(true, 0x000A0000, 0x4A610001)) && ok;
}

bool Utf16(const std::string& in_path, const std::string& out_path) {
  std::ifstream in(in_path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) return false;
  return Write(out_path, std::string("\xFF\xFE", 2) + vx::Utf8ToUtf16Le(text));
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "shortcuts") return Shortcuts(args[1]) ? 0 : 1;
  if (args.size() == 2 && args[0] == "executables") return Executables(args[1]) ? 0 : 1;
  if (args.size() == 3 && args[0] == "utf16") return Utf16(args[1], args[2]) ? 0 : 1;
  std::fputs("usage: fuzz_seed_maker shortcuts DIR | executables DIR | utf16 IN OUT\n", stderr);
  return 2;
}
