// Registration speed: one include file of 100,000 rule lines in each stored
// form, registered the way the front end does it (header read plus product
// read), and the product list over a large threat information file.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <unistd.h>

#include "base/date_time.h"
#include "rules/include_codec.h"
#include "rules/include_file_manager.h"
#include "rules/product_list.h"
#include "rules/rule_file_writer.h"

namespace {

namespace fs = std::filesystem;

std::string MakeRules(int rule_lines, int rules_per_product) {
  std::string text = "// count: " + std::to_string(rule_lines) + "\r\n// author: bench\r\n\r\n";
  for (int i = 0; i < rule_lines; ++i) {
    if (i % rules_per_product == 0) {
      text += ":: Product " + std::to_string(i / rules_per_product) + " | adware\r\n";
    }
    text += "RegyKey:\"Product key " + std::to_string(i) +
            "\",HKLM,\"Software\\Vendor\\Product\",\"Key" + std::to_string(i) + "\"\r\n";
  }
  return text;
}

void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

double Seconds(const std::function<void()>& fn, int repeats) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < repeats; ++i) fn();
  std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
  return d.count() / repeats;
}

}  // namespace

int main() {
  const fs::path root = fs::temp_directory_path() / ("vx_registration_bench_" + std::to_string(getpid()));
  fs::remove_all(root);
  const int kLines = 100000;
  const std::string plain = MakeRules(kLines, 20);
  std::printf("rule file: %d rule lines, %d products, %.1f MB plain\n", kLines, kLines / 20,
              plain.size() / 1e6);

  struct Form {
    const char* name;
    std::string bytes;
  };
  const Form forms[] = {
      {"plain", plain},
      {"scrambled", vx::EncodeRuleText(plain, vx::TLineForm::lfScrambled)},
      {"encrypted", vx::EncodeRuleText(plain, vx::TLineForm::lfEncrypted)},
      {"container", vx::PackContainer(plain)},
  };
  for (const Form& form : forms) {
    fs::path dir = root / form.name;
    fs::create_directories(dir);
    Write(dir / "rules.qri", form.bytes);
    int products = 0;
    double s = Seconds(
        [&] {
          vx::TIncludeFileManager manager;
          manager.AddIncludeFiles(dir.string(), "qri");
          products = manager.Items(0).Products().Count();
        },
        3);
    std::printf("register %-10s %8.1f ms  (%d products)\n", form.name, s * 1000, products);
  }

  // Product list over 5,000 described products and the container above.
  std::string info;
  for (int i = 0; i < 5000; ++i) {
    info += "[Product " + std::to_string(i) + "]\r\nCompany=Vendor & Co\r\nDescription=Line one%0D%0ALine two\r\n";
  }
  fs::path app = root / "app";
  fs::create_directories(app / "Includes");
  Write(app / "Includes" / "rules.qri", forms[3].bytes);
  Write(app / "Includes" / "Targets.nfo", vx::CompressInfo(info));
  vx::TIncludeFileManager manager;
  manager.AddIncludeFiles((app / "Includes").string(), "qri");
  double s = Seconds(
      [&] {
        vx::CreateProductList(app.string(), manager, (app / "productlist.xml").string(),
                              [](const std::string&) {}, vx::EncodeDate(2026, 1, 1));
      },
      1);
  std::printf("product list (5,000 described, 5,000 targeted) %8.1f ms\n", s * 1000);
  fs::remove_all(root);
  return 0;
}
