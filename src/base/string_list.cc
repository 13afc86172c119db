#include "base/string_list.h"

#include <algorithm>
#include <stdexcept>

#include "base/ansi_text.h"
#include "base/comma_text.h"

namespace vx {

TStringList::TStringList(bool owns_objects) : owns_objects_(owns_objects) {}

TStringList::~TStringList() { Clear(); }

TStringList::TStringList(TStringList&& other) noexcept
    : items_(std::move(other.items_)),
      sorted_(other.sorted_),
      duplicates_(other.duplicates_),
      owns_objects_(other.owns_objects_) {
  other.items_.clear();
}

TStringList& TStringList::operator=(TStringList&& other) noexcept {
  if (this != &other) {
    Clear();
    items_ = std::move(other.items_);
    other.items_.clear();
    sorted_ = other.sorted_;
    duplicates_ = other.duplicates_;
    owns_objects_ = other.owns_objects_;
  }
  return *this;
}

TStringList TStringList::Clone() const {
  TStringList copy(false);
  copy.items_ = items_;
  copy.sorted_ = sorted_;
  copy.duplicates_ = duplicates_;
  return copy;
}

void TStringList::FreeObject(TObject* obj) {
  if (owns_objects_) delete obj;
}

void TStringList::SetString(int i, std::string s) {
  if (sorted_) throw std::logic_error("cannot change a string of a sorted list");
  items_.at(i).text = std::move(s);
}

void TStringList::SetObject(int i, TObject* obj) {
  Item& item = items_.at(i);
  if (item.object != obj) FreeObject(item.object);
  item.object = obj;
}

int TStringList::InsertSorted(std::string s, TObject* obj) {
  int index;
  if (Find(s, &index)) {
    if (duplicates_ == dupIgnore) {
      FreeObject(obj);
      return index;
    }
    if (duplicates_ == dupError) {
      FreeObject(obj);
      throw std::runtime_error("String list does not allow duplicates");
    }
    // Equal strings keep their order of arrival.
    while (index < Count() && AnsiCompareText(items_[index].text, s) == 0) ++index;
  }
  items_.insert(items_.begin() + index, Item{std::move(s), obj});
  return index;
}

int TStringList::Add(std::string s) { return AddObject(std::move(s), nullptr); }

int TStringList::AddObject(std::string s, TObject* obj) {
  if (sorted_) return InsertSorted(std::move(s), obj);
  items_.push_back(Item{std::move(s), obj});
  return Count() - 1;
}

void TStringList::AddStrings(const TStringList& other) {
  for (const Item& item : other.items_) Add(item.text);
}

void TStringList::Insert(int index, std::string s) {
  if (sorted_) throw std::logic_error("cannot insert into a sorted list");
  if (index < 0 || index > Count()) throw std::out_of_range("string list index out of bounds");
  items_.insert(items_.begin() + index, Item{std::move(s), nullptr});
}

void TStringList::Delete(int index) {
  if (index < 0 || index >= Count()) throw std::out_of_range("string list index out of bounds");
  TObject* obj = items_[index].object;
  items_.erase(items_.begin() + index);
  FreeObject(obj);
}

void TStringList::Clear() {
  std::vector<Item> old;
  old.swap(items_);
  if (owns_objects_) {
    for (Item& item : old) delete item.object;
  }
}

void TStringList::Exchange(int a, int b) { std::swap(items_.at(a), items_.at(b)); }

bool TStringList::Find(std::string_view s, int* index) const {
  int lo = 0, hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    int mid = lo + (hi - lo) / 2;
    int c = AnsiCompareText(items_[mid].text, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) found = true;  // keep going left: the first equal entry
    }
  }
  *index = lo;
  return found;
}

int TStringList::IndexOf(std::string_view s) const {
  if (sorted_) {
    int index;
    return Find(s, &index) ? index : -1;
  }
  for (int i = 0; i < Count(); ++i) {
    if (AnsiSameText(items_[i].text, s)) return i;
  }
  return -1;
}

int TStringList::IndexOfName(std::string_view name) const {
  for (int i = 0; i < Count(); ++i) {
    const std::string& t = items_[i].text;
    size_t eq = t.find('=');
    if (eq != std::string::npos && AnsiSameText(std::string_view(t).substr(0, eq), name)) return i;
  }
  return -1;
}

int TStringList::IndexOfObject(const TObject* obj) const {
  for (int i = 0; i < Count(); ++i) {
    if (items_[i].object == obj) return i;
  }
  return -1;
}

void TStringList::SetSorted(bool sorted) {
  if (sorted && !sorted_) Sort();
  sorted_ = sorted;
}

void TStringList::Sort() {
  std::stable_sort(items_.begin(), items_.end(), [](const Item& a, const Item& b) {
    return AnsiCompareText(a.text, b.text) < 0;
  });
}

std::string TStringList::Names(int i) const {
  const std::string& t = items_.at(i).text;
  size_t eq = t.find('=');
  return eq == std::string::npos ? std::string() : t.substr(0, eq);
}

std::string TStringList::ValueFromIndex(int i) const {
  const std::string& t = items_.at(i).text;
  size_t eq = t.find('=');
  return eq == std::string::npos ? std::string() : t.substr(eq + 1);
}

std::string TStringList::Values(std::string_view name) const {
  int i = IndexOfName(name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStringList::SetValue(std::string_view name, std::string_view value) {
  int i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  std::string entry = std::string(name) + "=" + std::string(value);
  if (i < 0) {
    Add(std::move(entry));
  } else if (sorted_) {
    Delete(i);
    Add(std::move(entry));
  } else {
    items_[i].text = std::move(entry);
  }
}

std::string TStringList::Text(std::string_view line_break) const {
  std::string out;
  for (const Item& item : items_) {
    out += item.text;
    out += line_break;
  }
  return out;
}

void TStringList::SetText(std::string_view text) {
  Clear();
  size_t p = 0;
  while (p < text.size()) {
    size_t e = text.find_first_of("\r\n", p);
    if (e == std::string_view::npos) {
      Add(std::string(text.substr(p)));
      break;
    }
    Add(std::string(text.substr(p, e - p)));
    p = e + 1;
    if (text[e] == '\r' && p < text.size() && text[p] == '\n') ++p;
  }
}

std::string TStringList::CommaText() const { return JoinCommaText(ToVector()); }

void TStringList::SetCommaText(std::string_view text) { Assign(SplitCommaText(text)); }

std::vector<std::string> TStringList::ToVector() const {
  std::vector<std::string> out;
  out.reserve(items_.size());
  for (const Item& item : items_) out.push_back(item.text);
  return out;
}

void TStringList::Assign(const std::vector<std::string>& strings) {
  Clear();
  Reserve(static_cast<int>(strings.size()));
  for (const std::string& s : strings) Add(s);
}

void TStringList::Assign(std::vector<std::string>&& strings) {
  Clear();
  Reserve(static_cast<int>(strings.size()));
  for (std::string& s : strings) Add(std::move(s));
}

}  // namespace vx
