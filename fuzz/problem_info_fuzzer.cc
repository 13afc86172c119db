// The threat information file, plain or compressed ("LCF1" and a zlib
// stream), read through TProblemInfoList from a file.
//
// An input that is not compressed is also read in its compressed form: both
// give the same items. No text keeps an encoded line break.
#include <string>

#include "rules/include_codec.h"
#include "rules/problem_info.h"
#include "support/fuzz_check.h"
#include "support/memory_file.h"

namespace {

vx::fuzz::TMemoryFile& File() {
  static vx::fuzz::TMemoryFile file("targets-nfo");
  return file;
}

void Load(std::string_view bytes, vx::TProblemInfoList* list) {
  VX_FUZZ_CHECK(list->LoadInformation(File().Write(bytes), "English"));
  for (int i = 0; i < list->Count(); ++i) {
    const vx::TProblemInfoItem& item = list->Items(i);
    VX_FUZZ_CHECK(item.Loaded());
    for (const std::string* text : {&item.Description(), &item.Functionality(), &item.Privacy()}) {
      VX_FUZZ_CHECK(text->find("%0D%0A") == std::string::npos);
    }
    VX_FUZZ_CHECK(!item.Product().empty() || item.Key().empty());
  }
}

bool SameItems(const vx::TProblemInfoList& a, const vx::TProblemInfoList& b) {
  if (a.Count() != b.Count()) return false;
  for (int i = 0; i < a.Count(); ++i) {
    const vx::TProblemInfoItem& x = a.Items(i);
    const vx::TProblemInfoItem& y = b.Items(i);
    if (x.Key() != y.Key() || x.Product() != y.Product() || x.Company() != y.Company() ||
        x.CompanyURL() != y.CompanyURL() || x.CompanyProductURL() != y.CompanyProductURL() ||
        x.CompanyPrivacyURL() != y.CompanyPrivacyURL() || x.Description() != y.Description() ||
        x.Functionality() != y.Functionality() || x.Privacy() != y.Privacy() || x.Threat() != y.Threat()) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes = vx::fuzz::Bytes(data, size);
  vx::TProblemInfoList list;
  Load(bytes, &list);
  if (!vx::IsCompressedInfo(bytes)) {
    vx::TProblemInfoList compressed;
    Load(vx::CompressInfo(bytes), &compressed);
    VX_FUZZ_CHECK(SameItems(list, compressed));
  }
  return 0;
}
