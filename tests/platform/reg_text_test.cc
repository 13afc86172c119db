#include "platform/offline/reg_text.h"

#include <gtest/gtest.h>

#include "base/codepage.h"
#include "support/le_bytes.h"

namespace vx {
namespace {

using testing::Utf16;

TEST(RegTextTest, ReadsEveryValueFormOfRegedit4) {
  std::string text =
      "REGEDIT4\r\n"
      "\r\n"
      "; a comment\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\r\n"
      "@=\"default \\\"quoted\\\" C:\\\\dir\"\r\n"
      "\"Count\"=dword:0000002A\r\n"
      "\"Bin\"=hex:01,02,\\\r\n"
      "  03\r\n"
      "\"Expand\"=hex(2):25,41,25,00\r\n"
      "\"Multi\"=hex(7):61,00,62,00,00\r\n"
      "\"Gone\"=-\r\n"
      "\r\n"
      "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\r\n";
  std::vector<TRegOp> ops;
  std::vector<std::string> messages;
  ASSERT_TRUE(ParseRegText(text, "t.reg", 1252, &ops, &messages));
  EXPECT_TRUE(messages.empty()) << messages.front();
  ASSERT_EQ(ops.size(), 8u);
  EXPECT_EQ(ops[0].kind, TRegOpKind::roKey);
  EXPECT_EQ(ops[0].key, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor");
  EXPECT_EQ(ops[1].value_name, "");
  EXPECT_EQ(ops[1].value.type, kRegSz);
  EXPECT_EQ(ops[1].value.data, Utf16("default \"quoted\" C:\\dir") + std::string(2, '\0'));
  EXPECT_EQ(ops[2].value.type, kRegDword);
  EXPECT_EQ(ops[2].value.data, std::string("\x2A\0\0\0", 4));
  EXPECT_EQ(ops[3].value.type, kRegBinary);
  EXPECT_EQ(ops[3].value.data, "\x01\x02\x03");
  // REGEDIT4 keeps string data as 8-bit text; it is stored as UTF-16.
  EXPECT_EQ(ops[4].value.type, kRegExpandSz);
  EXPECT_EQ(ops[4].value.data, Utf16("%A%") + std::string(2, '\0'));
  EXPECT_EQ(ops[5].value.data, Utf16("a") + std::string(2, '\0') + Utf16("b") + std::string(4, '\0'));
  EXPECT_EQ(ops[6].kind, TRegOpKind::roDeleteValue);
  EXPECT_EQ(ops[6].value_name, "Gone");
  EXPECT_EQ(ops[7].kind, TRegOpKind::roDeleteKey);
  EXPECT_EQ(ops[7].key, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Old");
  EXPECT_EQ(ops[7].line, 13);
}

TEST(RegTextTest, ReadsVersion5InEveryEncoding) {
  std::string body =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Caf\xC3\xA9]\r\n"
      "\"Name\"=\"\xC3\xA9t\xC3\xA9\"\r\n"
      "\"Expand\"=hex(2):25,00,41,00,25,00,00,00\r\n";
  std::string utf16 = std::string("\xFF\xFE") + Utf8ToUtf16Le(body);
  std::string utf8_bom = "\xEF\xBB\xBF" + body;
  std::string ansi =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Caf\xE9]\r\n"
      "\"Name\"=\"\xE9t\xE9\"\r\n"
      "\"Expand\"=hex(2):25,00,41,00,25,00,00,00\r\n";
  for (const std::string& text : {utf16, utf8_bom, body, ansi}) {
    std::vector<TRegOp> ops;
    std::vector<std::string> messages;
    ASSERT_TRUE(ParseRegText(text, "t.reg", 1252, &ops, &messages));
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[0].key, "HKEY_CURRENT_USER\\Software\\Caf\xE9");  // ANSI names
    EXPECT_EQ(ops[1].value.data, std::string("\xE9\0t\0\xE9\0\0\0", 8));
    // Version 5 keeps hex string data as UTF-16 already.
    EXPECT_EQ(ops[2].value.data, Utf16("%A%") + std::string(2, '\0'));
  }
}

TEST(RegTextTest, ReportsEachBadLineAndKeepsTheRest) {
  std::string text =
      "REGEDIT4\n"
      "\"Orphan\"=\"x\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\n"
      "\"Good\"=dword:1\n"
      "\"Bad\"=dword:xyz\n"
      "\"Unterminated=\"x\"\n"
      "garbage here\n"
      "\"Hex\"=hex:zz\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\B\n"
      "\"AlsoGood\"=\"y\"\n";
  std::vector<TRegOp> ops;
  std::vector<std::string> messages;
  ASSERT_TRUE(ParseRegText(text, "bad.reg", 1252, &ops, &messages));
  ASSERT_EQ(messages.size(), 7u);
  EXPECT_EQ(messages[0], "bad.reg:2: value outside a key");
  EXPECT_EQ(messages[1], "bad.reg:5: bad dword data");
  EXPECT_EQ(messages[2].rfind("bad.reg:6: ", 0), 0u);
  EXPECT_EQ(messages[3], "bad.reg:7: unexpected text \"garbage here\"");
  EXPECT_EQ(messages[4], "bad.reg:8: bad hex data");
  EXPECT_EQ(messages[5], "bad.reg:9: key line without closing \"]\"");
  // A value after the broken key line has no key; the good lines stay.
  EXPECT_EQ(messages[6], "bad.reg:10: value outside a key");
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[1].value_name, "Good");
}

// A key nested far deeper than the system allows is refused, so that no walk
// over the tree recurses a hundred thousand levels.
TEST(RegTextTest, RefusesKeysNestedTooDeep) {
  auto path = [](int levels) {
    std::string p = "HKEY_LOCAL_MACHINE\\SOFTWARE";
    for (int i = 2; i < levels; ++i) p += "\\k";
    return p;
  };
  std::string text = "REGEDIT4\n[" + path(1024) + "]\n[" + path(1025) + "]\n[" + path(200000) + "]\n";
  std::vector<TRegOp> ops;
  std::vector<std::string> messages;
  ASSERT_TRUE(ParseRegText(text, "deep.reg", 1252, &ops, &messages));
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].key, path(1024));
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], "deep.reg:3: key path deeper than 1024 levels");
}

TEST(RegTextTest, RefusesTextWithoutHeader) {
  std::vector<TRegOp> ops;
  std::vector<std::string> messages;
  EXPECT_FALSE(ParseRegText("[HKEY_LOCAL_MACHINE\\X]\n", "x.reg", 1252, &ops, &messages));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("x.reg:1: not a registry export", 0), 0u);
  messages.clear();
  EXPECT_FALSE(ParseRegText(std::string("\0\x01\x02", 3), "bin.reg", 1252, &ops, &messages));
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_TRUE(ops.empty());
}

TEST(RegTextTest, WriterOutputReadsBackTheSame) {
  std::vector<std::pair<std::string, TRegValue>> values = {
      {"", {kRegSz, Utf16("C:\\Path \"x\"") + std::string(2, '\0')}},
      {"Num", {kRegDword, std::string("\x01\x02\x03\x04", 4)}},
      {"Long", {kRegBinary, std::string(100, '\xAB')}},
      {"Multi", {kRegMultiSz, Utf16("a") + std::string(2, '\0') + Utf16("b") + std::string(4, '\0')}},
      {"Q", {kRegQword, std::string(8, '\x07')}},
      {"Odd", {kRegSz, Utf16("no terminator")}},
      {"Lines", {kRegSz, Utf16("one\r\ntwo\rthree\nfour") + std::string(2, '\0')}},
  };
  for (TRegTextFormat format : {TRegTextFormat::rfRegedit4, TRegTextFormat::rfVersion5}) {
    std::string text = RegTextHeader(format) + RegTextKeyLine("HKEY_LOCAL_MACHINE\\SOFTWARE\\T");
    for (const auto& [name, value] : values) text += RegTextValueLine(name, value, format, 1252);
    std::vector<TRegOp> ops;
    std::vector<std::string> messages;
    ASSERT_TRUE(ParseRegText(EncodeRegText(text, format, 1252), "w.reg", 1252, &ops, &messages));
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(ops.size(), values.size() + 1);
    for (size_t i = 0; i < values.size(); ++i) {
      EXPECT_EQ(ops[i + 1].value_name, values[i].first);
      EXPECT_EQ(ops[i + 1].value.type, values[i].second.type) << values[i].first;
      EXPECT_EQ(ops[i + 1].value.data, values[i].second.data) << values[i].first;
    }
  }
}

}  // namespace
}  // namespace vx
