// Include files in every form (plain text, scrambled and encrypted lines,
// the container) and the auxiliary list files, read as the scanner reads
// them: through TIncludeFile from a file.
//
// The input is read as it stands, as a list file, and then taken as the
// plain text of a rule file: encoded into each form by the rule-file
// writer, it decodes to itself, and the reader gets the same lines from
// every form. Each coded line the reader decoded encodes back to itself.
#include <string>

#include "base/error.h"
#include "base/string_list.h"
#include "rules/include_codec.h"
#include "rules/include_file.h"
#include "rules/rule_file_writer.h"
#include "support/fuzz_check.h"
#include "support/memory_file.h"

namespace {

vx::fuzz::TMemoryFile& File() {
  static vx::fuzz::TMemoryFile file("include-file");
  return file;
}

// The decoded lines of the file now in File(); false when the reader refused
// it (a "#%" line that is not Base64).
bool ReadLines(vx::TStringList* lines) {
  vx::TIncludeFile file;
  try {
    file.ReadLines(File().Path(), lines);
    return true;
  } catch (const vx::EVxError&) {
    return false;
  }
}

void ReadAsItStands(std::string_view bytes) {
  const std::string& path = File().Write(bytes);
  vx::TIncludeFile file;
  vx::TStringList pairs;
  VX_FUZZ_CHECK(file.ReadHeader(path, &pairs) >= 0);
  try {
    vx::TStringList products = file.GetProducts();
    vx::TStringList short_products = file.GetProductsShort();
    VX_FUZZ_CHECK(products.Count() == short_products.Count());
    for (int i = 0; i < products.Count(); ++i) {
      VX_FUZZ_CHECK(products[i].starts_with(short_products[i]));
      VX_FUZZ_CHECK(short_products[i].find('|') == std::string::npos);
    }
  } catch (const vx::EVxError&) {
  }

  vx::TStringList raw, lines;
  raw.SetText(bytes);
  if (ReadLines(&lines) && !vx::IsContainer(bytes)) {
    VX_FUZZ_CHECK(lines.Count() == raw.Count());
    for (int i = 0; i < raw.Count(); ++i) {
      const std::string& stored = raw[i];
      const std::string& decoded = lines[i];
      if (stored.size() < 3) {
        VX_FUZZ_CHECK(decoded == stored);
      } else if (stored.starts_with("##")) {
        VX_FUZZ_CHECK(vx::ScrambleLine(std::string_view(decoded).substr(2)) == stored);
      } else if (stored.starts_with("#%")) {
        std::string again;
        VX_FUZZ_CHECK(vx::DecodeIncludeLine(vx::EncryptLine(std::string_view(decoded).substr(2)), &again));
        VX_FUZZ_CHECK(again == decoded);
      } else {
        VX_FUZZ_CHECK(decoded == stored);
      }
    }
  }
  std::string text;
  if (vx::UnpackContainer(bytes, &text)) {
    std::string again;
    VX_FUZZ_CHECK(vx::UnpackContainer(vx::PackContainer(text), &again) && again == text);
  }

  vx::TStringList list;
  VX_FUZZ_CHECK(file.LoadListFile(path, &list));
  VX_FUZZ_CHECK(vx::EncryptListFile(vx::DecryptListFile(bytes)) == bytes);
}

// `plain` lines as the reader gives them from a coded form: a coded line
// keeps its marker and separator.
void CheckCodedLines(const vx::TStringList& plain, const vx::TStringList& read, std::string_view marker) {
  VX_FUZZ_CHECK(read.Count() == plain.Count());
  for (int i = 0; i < plain.Count(); ++i) {
    VX_FUZZ_CHECK(read[i] == plain[i] || read[i] == std::string(marker) + " " + plain[i]);
  }
}

void EncodeAndReadBack(std::string_view plain_text) {
  vx::TStringList plain;
  plain.SetText(plain_text);
  const struct {
    vx::TLineForm form;
    const char* marker;
  } forms[] = {{vx::TLineForm::lfScrambled, "##"}, {vx::TLineForm::lfEncrypted, "#%"}};
  for (const auto& f : forms) {
    std::string encoded;
    try {
      encoded = vx::EncodeRuleText(plain_text, f.form);
    } catch (const vx::EVxError&) {
      continue;  // a line the form cannot carry
    }
    VX_FUZZ_CHECK(vx::DecodeRuleText(encoded) == plain_text);
    File().Write(encoded);
    vx::TStringList read;
    VX_FUZZ_CHECK(ReadLines(&read));
    CheckCodedLines(plain, read, f.marker);
  }
  File().Write(vx::PackContainer(plain_text));
  vx::TStringList read;
  VX_FUZZ_CHECK(ReadLines(&read));
  VX_FUZZ_CHECK(read.ToVector() == plain.ToVector());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes = vx::fuzz::Bytes(data, size);
  ReadAsItStands(bytes);
  EncodeAndReadBack(bytes);
  return 0;
}
