// TStringList: an ordered list of strings, each optionally carrying an object.
//
// Unsorted lists keep insertion order. A sorted list keeps its strings in
// AnsiCompareText order and finds them by binary search; with duplicates set
// to dupIgnore an Add of a string already present (ignoring case) is dropped
// and returns the existing index.
//
// Name=Value access: the name is the text before the first "=", the value the
// text after it. Name lookups ignore case and find the first entry; an absent
// name reads as the empty text. Setting a value to the empty text removes the
// entry, as the framework's Values property does.
#ifndef VX_BASE_STRING_LIST_H_
#define VX_BASE_STRING_LIST_H_

#include <string>
#include <string_view>
#include <vector>

#include "base/object.h"

namespace vx {

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList : public TObject {
 public:
  explicit TStringList(bool owns_objects = false);
  ~TStringList() override;
  TStringList(TStringList&& other) noexcept;
  TStringList& operator=(TStringList&& other) noexcept;
  // Copies strings only; objects are shared but never owned by the copy.
  TStringList Clone() const;

  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  const std::string& operator[](int i) const { return items_[i].text; }
  const std::string& Strings(int i) const { return items_[i].text; }
  void SetString(int i, std::string s);
  TObject* Objects(int i) const { return items_[i].object; }
  void SetObject(int i, TObject* obj);

  // Returns the index of the new entry (or of the existing one for dupIgnore).
  // Throws std::runtime_error for a duplicate under dupError.
  int Add(std::string s);
  int AddObject(std::string s, TObject* obj);
  void AddStrings(const TStringList& other);
  void Insert(int index, std::string s);  // unsorted lists only
  void Delete(int index);
  void Clear();
  void Exchange(int a, int b);

  // Case-insensitive (AnsiSameText); binary search when sorted. -1 if absent.
  int IndexOf(std::string_view s) const;
  // Sorted lists: true when found; index is the match or the insert position.
  bool Find(std::string_view s, int* index) const;
  int IndexOfName(std::string_view name) const;
  int IndexOfObject(const TObject* obj) const;

  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates d) { duplicates_ = d; }
  bool OwnsObjects() const { return owns_objects_; }
  void SetOwnsObjects(bool owns) { owns_objects_ = owns; }
  // Stable sort by AnsiCompareText (or by a custom comparison).
  void Sort();

  std::string Names(int i) const;
  std::string ValueFromIndex(int i) const;
  std::string Values(std::string_view name) const;
  void SetValue(std::string_view name, std::string_view value);

  // Every entry followed by the line break (CR LF unless told otherwise).
  std::string Text(std::string_view line_break = "\r\n") const;
  // Splits at CR LF, LF or a lone CR; a final line break adds no empty entry.
  void SetText(std::string_view text);
  std::string CommaText() const;
  void SetCommaText(std::string_view text);

  std::vector<std::string> ToVector() const;
  void Assign(const std::vector<std::string>& strings);
  void Assign(std::vector<std::string>&& strings);
  // Room for `count` entries without growing again.
  void Reserve(int count) { items_.reserve(static_cast<size_t>(count)); }
  // Appends empty entries until the list holds `count` (unsorted lists).
  void PadTo(int count) {
    if (count > Count()) items_.resize(static_cast<size_t>(count));
  }

 private:
  struct Item {
    std::string text;
    TObject* object = nullptr;
  };
  void FreeObject(TObject* obj);
  int InsertSorted(std::string s, TObject* obj);

  std::vector<Item> items_;
  bool sorted_ = false;
  TDuplicates duplicates_ = dupAccept;
  bool owns_objects_ = false;
};

}  // namespace vx

#endif  // VX_BASE_STRING_LIST_H_
