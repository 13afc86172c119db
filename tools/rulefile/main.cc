// rulefile: makes and checks the stored forms of rule files.
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "rules/include_codec.h"
#include "rules/rule_file_writer.h"
#include "rules/rule_lint.h"

namespace {

constexpr const char* kUsage =
    "usage: rulefile COMMAND ARGS\n"
    "\n"
    "Rule files (.qri, .uti):\n"
    "  scramble IN OUT      plain rule file -> text form with scrambled lines (\"##\")\n"
    "  encrypt IN OUT       plain rule file -> text form with encrypted lines (\"#%\")\n"
    "  pack IN OUT          plain rule file -> compressed and encrypted container (\"QRI\")\n"
    "  decode IN OUT        any of the above, or a compressed Targets.nfo -> plain text\n"
    "  lint FILE...         check rule files in any form; prints FILE:LINE: message\n"
    "                       for every problem and exits with 1 when there is one\n"
    "\n"
    "Auxiliary list files (.qrs):\n"
    "  encrypt-list IN OUT  plain list -> encrypted list file\n"
    "  decrypt-list IN OUT  encrypted list file -> plain list\n"
    "\n"
    "Threat information (Targets.nfo):\n"
    "  compress-info IN OUT plain INI text -> compressed form (\"LCF1\")\n"
    "\n"
    "In scrambled and encrypted files the header block, empty lines, comments\n"
    "(\"/\") and product headers (\"::\") stay plain; every other line L is stored\n"
    "as the marker, a blank and L, coded. OUT may be \"-\" for standard output.\n"
    "Exit codes: 0 done, 1 failed or lint problems, 2 usage error.\n";

bool ReadFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  if (path == "-") {
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::cout.flush();
    return static_cast<bool>(std::cout);
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

int Lint(const std::vector<std::string>& files) {
  int status = 0;
  for (const std::string& file : files) {
    std::string bytes;
    if (!ReadFile(file, &bytes)) {
      std::cerr << file << ": cannot read the file\n";
      status = 1;
      continue;
    }
    for (const vx::TLintProblem& p : vx::LintRuleFile(bytes)) {
      std::cout << file << ":" << p.line << ": " << p.message << "\n";
      status = 1;
    }
  }
  return status;
}

int Transform(const std::string& command, const std::string& in_path,
              const std::string& out_path) {
  std::string input;
  if (!ReadFile(in_path, &input)) {
    std::cerr << "rulefile: cannot read " << in_path << "\n";
    return 1;
  }
  std::string output;
  try {
    if (command == "scramble") {
      output = vx::EncodeRuleText(input, vx::TLineForm::lfScrambled);
    } else if (command == "encrypt") {
      output = vx::EncodeRuleText(input, vx::TLineForm::lfEncrypted);
    } else if (command == "pack") {
      output = vx::PackContainer(input);
    } else if (command == "decode") {
      output = vx::DecodeAnyRuleFile(input);
    } else if (command == "encrypt-list") {
      output = vx::EncryptListFile(input);
    } else if (command == "decrypt-list") {
      output = vx::DecryptListFile(input);
    } else if (command == "compress-info") {
      output = vx::CompressInfo(input);
    }
  } catch (const std::exception& e) {
    std::cerr << "rulefile: " << in_path << ": " << e.what() << "\n";
    return 1;
  }
  if (!WriteFile(out_path, output)) {
    std::cerr << "rulefile: cannot write " << out_path << "\n";
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
    std::fputs(kUsage, args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  const std::string& command = args[0];
  if (command == "lint") {
    if (args.size() < 2) {
      std::fputs(kUsage, stderr);
      return 2;
    }
    return Lint({args.begin() + 1, args.end()});
  }
  static const char* const kTransforms[] = {"scramble",     "encrypt",      "pack",
                                            "decode",       "encrypt-list", "decrypt-list",
                                            "compress-info"};
  bool known = false;
  for (const char* t : kTransforms) known = known || command == t;
  if (!known) {
    std::cerr << "rulefile: unknown command '" << command << "'\n\n" << kUsage;
    return 2;
  }
  if (args.size() != 3) {
    std::cerr << "rulefile: " << command << " needs IN and OUT\n\n" << kUsage;
    return 2;
  }
  return Transform(command, args[1], args[2]);
}
