#include "support/key_tree.h"

#include <vector>

#include "platform/offline/reg_text.h"

namespace vx::fuzz {

namespace {

void WriteKey(const TMemKey& key, const std::string& path, int code_page, std::string* out) {
  *out += "\r\n" + RegTextKeyLine(path);
  for (const TMemValue& v : key.Values()) {
    if (!v.deleted) *out += RegTextValueLine(v.name, v.value, TRegTextFormat::rfVersion5, code_page);
  }
  for (const TMemKey* child : key.Children()) WriteKey(*child, path + "\\" + child->Name(), code_page, out);
}

std::vector<const TMemValue*> LiveValues(const TMemKey& key) {
  std::vector<const TMemValue*> out;
  for (const TMemValue& v : key.Values()) {
    if (!v.deleted) out.push_back(&v);
  }
  return out;
}

std::string Compare(const TMemKey& a, const TMemKey& b, const std::string& path) {
  std::vector<const TMemValue*> va = LiveValues(a), vb = LiveValues(b);
  if (va.size() != vb.size()) {
    return path + ": " + std::to_string(va.size()) + " values against " + std::to_string(vb.size());
  }
  for (size_t i = 0; i < va.size(); ++i) {
    if (va[i]->name != vb[i]->name) return path + ": value \"" + va[i]->name + "\" against \"" + vb[i]->name + "\"";
    if (va[i]->value.type != vb[i]->value.type || va[i]->value.data != vb[i]->value.data) {
      return path + ": the data of \"" + va[i]->name + "\" differs";
    }
  }
  std::vector<const TMemKey*> ca = a.Children(), cb = b.Children();
  if (ca.size() != cb.size()) {
    return path + ": " + std::to_string(ca.size()) + " subkeys against " + std::to_string(cb.size());
  }
  for (size_t i = 0; i < ca.size(); ++i) {
    if (ca[i]->Name() != cb[i]->Name()) return path + ": subkey " + ca[i]->Name() + " against " + cb[i]->Name();
    std::string difference = Compare(*ca[i], *cb[i], path + "\\" + ca[i]->Name());
    if (!difference.empty()) return difference;
  }
  return std::string();
}

bool NoLineBreak(const std::string& name) { return name.find_first_of("\r\n") == std::string::npos; }

// The reader's limits on names (in characters; bytes are never fewer).
constexpr size_t kMaxKeyName = 255;
constexpr size_t kMaxValueName = 16383;

}  // namespace

std::string WriteKeyTree(const TMemKey& root, const std::string& prefix, int code_page) {
  std::string text = RegTextHeader(TRegTextFormat::rfVersion5);
  WriteKey(root, prefix, code_page, &text);
  return EncodeRegText(text, TRegTextFormat::rfVersion5, code_page);
}

std::string CompareKeyTrees(const TMemKey& a, const TMemKey& b) { return Compare(a, b, "(root)"); }

bool WritableNames(const TMemKey& root) {
  for (const TMemValue& v : root.Values()) {
    if (!NoLineBreak(v.name) || v.name.size() > kMaxValueName) return false;
  }
  for (const TMemKey* child : root.Children()) {
    const std::string& name = child->Name();
    if (name.empty() || name.size() > kMaxKeyName || name.find('\\') != std::string::npos || !NoLineBreak(name)) {
      return false;
    }
    if (!WritableNames(*child)) return false;
  }
  return true;
}

}  // namespace vx::fuzz
