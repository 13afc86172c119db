#include "base/string_list.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

class Counted : public TObject {
 public:
  explicit Counted(int* alive) : alive_(alive) { ++*alive_; }
  ~Counted() override { --*alive_; }

 private:
  int* alive_;
};

TEST(StringListTest, SortedListFindsIgnoringCaseAndDropsDuplicates) {
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupIgnore);
  for (const char* s : {"delta", "Alpha", "charlie", "ALPHA", "bravo"}) list.Add(s);
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list[0], "Alpha");
  EXPECT_EQ(list[3], "delta");
  EXPECT_EQ(list.IndexOf("CHARLIE"), 2);
  EXPECT_EQ(list.IndexOf("echo"), -1);
  int index = -1;
  EXPECT_FALSE(list.Find("beta", &index));
  EXPECT_EQ(index, 1);  // insert position
}

TEST(StringListTest, DupErrorRaises) {
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupError);
  list.Add("a");
  EXPECT_THROW(list.Add("A"), std::runtime_error);
}

TEST(StringListTest, NameValueAccess) {
  TStringList list;
  list.Add("Key=one");
  list.Add("other=x=y");
  list.Add("key=second");
  list.Add("novalue");
  EXPECT_EQ(list.Values("KEY"), "one");  // the first entry wins
  EXPECT_EQ(list.Values("other"), "x=y");
  EXPECT_EQ(list.Values("missing"), "");
  EXPECT_EQ(list.Names(3), "");
  list.SetValue("other", "z");
  EXPECT_EQ(list[1], "other=z");
  list.SetValue("new", "v");
  EXPECT_EQ(list[4], "new=v");
  list.SetValue("key", "");  // the empty text removes the first entry
  EXPECT_EQ(list.Values("key"), "second");
}

TEST(StringListTest, TextAcceptsEveryLineEnd) {
  TStringList list;
  list.SetText("a\r\nb\nc\rd\r\n");
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list[3], "d");
  EXPECT_EQ(list.Text(), "a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(list.Text("\n"), "a\nb\nc\nd\n");
  list.SetText("\n\nx");
  EXPECT_EQ(list.Count(), 3);
}

TEST(StringListTest, OwnedObjectsAreFreedOnDeleteClearAndDuplicates) {
  int alive = 0;
  {
    TStringList list(true);
    list.SetSorted(true);
    list.SetDuplicates(dupIgnore);
    list.AddObject("a", new Counted(&alive));
    list.AddObject("b", new Counted(&alive));
    list.AddObject("A", new Counted(&alive));  // ignored duplicate: its object is freed
    EXPECT_EQ(alive, 2);
    list.Delete(0);
    EXPECT_EQ(alive, 1);
  }
  EXPECT_EQ(alive, 0);
  TStringList borrowed(false);
  Counted kept(&alive);
  borrowed.AddObject("k", &kept);
  borrowed.Clear();
  EXPECT_EQ(alive, 1);
}

}  // namespace
}  // namespace vx
