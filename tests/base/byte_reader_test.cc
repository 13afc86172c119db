#include "base/byte_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace vx {
namespace {

using namespace std::string_view_literals;

// Eight bytes whose little-endian words are easy to recognise.
constexpr std::string_view kEight = "\x01\x02\x03\x04\x05\x06\x07\x08"sv;

TEST(ByteReaderTest, RandomAccessReadsOnlyInsideTheBytes) {
  struct TCase {
    const char* name;
    std::string_view bytes;
    uint64_t offset;
    int width;  // 1, 2, 4 or 8
    bool ok;
    uint64_t value;
  };
  const TCase cases[] = {
      {"empty input", ""sv, 0, 1, false, 0},
      {"empty input, u64", ""sv, 0, 8, false, 0},
      {"first byte", kEight, 0, 1, true, 0x01},
      {"last byte", kEight, 7, 1, true, 0x08},
      {"one past the end", kEight, 8, 1, false, 0},
      {"u16 little-endian", kEight, 1, 2, true, 0x0302},
      {"u32 exactly at the end", kEight, 4, 4, true, 0x08070605},
      {"u32 one byte over", kEight, 5, 4, false, 0},
      {"u64 whole input", kEight, 0, 8, true, 0x0807060504030201ull},
      {"u64 one byte short", kEight.substr(1), 0, 8, false, 0},
      {"offset near the top", kEight, UINT64_MAX, 1, false, 0},
      {"offset + size wraps to 0", kEight, UINT64_MAX - 3, 4, false, 0},
      {"offset + size wraps inside", kEight, UINT64_MAX - 1, 8, false, 0},
      {"offset of 2^32", kEight, 1ull << 32, 2, false, 0},
      {"high bytes are unsigned", "\xFF\xFE\xFD\xFC"sv, 0, 4, true, 0xFCFDFEFF},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TByteReader r(c.bytes);
    constexpr uint8_t kUntouched = 0xAD;  // what a failed read leaves in its output
    uint64_t got = 0;
    bool ok = false;
    switch (c.width) {
      case 1: { uint8_t v = kUntouched; ok = r.U8At(c.offset, &v); got = v; break; }
      case 2: { uint16_t v = kUntouched; ok = r.U16At(c.offset, &v); got = v; break; }
      case 4: { uint32_t v = kUntouched; ok = r.U32At(c.offset, &v); got = v; break; }
      case 8: { uint64_t v = kUntouched; ok = r.U64At(c.offset, &v); got = v; break; }
    }
    EXPECT_EQ(ok, c.ok);
    EXPECT_EQ(got, c.ok ? c.value : kUntouched);
    EXPECT_EQ(r.Has(c.offset, static_cast<uint64_t>(c.width)), c.ok);
  }
}

TEST(ByteReaderTest, RangesAndSubReaders) {
  TByteReader r(kEight);
  std::string_view view;
  EXPECT_TRUE(r.BytesAt(8, 0, &view));  // an empty range at the end is inside
  EXPECT_TRUE(view.empty());
  EXPECT_FALSE(r.BytesAt(9, 0, &view));
  EXPECT_FALSE(r.BytesAt(2, UINT64_MAX, &view));
  EXPECT_FALSE(r.BytesAt(UINT64_MAX, 2, &view));
  ASSERT_TRUE(r.BytesAt(6, 2, &view));
  EXPECT_EQ(view, "\x07\x08"sv);
  EXPECT_TRUE(r.MatchAt(2, "\x03\x04"sv));
  EXPECT_FALSE(r.MatchAt(7, "\x08\x09"sv));  // runs past the end

  // A sub-reader counts from its own start and cannot see past its range.
  TByteReader sub;
  ASSERT_TRUE(r.SubAt(2, 4, &sub));
  EXPECT_EQ(sub.Size(), 4u);
  uint32_t v = 0;
  ASSERT_TRUE(sub.U32At(0, &v));
  EXPECT_EQ(v, 0x06050403u);
  uint8_t byte = 0;
  EXPECT_FALSE(sub.U8At(4, &byte));  // the parent's byte 6
  TByteReader inner;
  EXPECT_TRUE(sub.SubAt(4, 0, &inner));
  EXPECT_FALSE(sub.SubAt(3, 2, &inner));
  EXPECT_FALSE(r.SubAt(UINT64_MAX - 1, 4, &inner));
  EXPECT_TRUE(TByteReader().SubAt(0, 0, &inner));
}

TEST(ByteReaderTest, ZeroTerminatedStringsStopAtTheEnd) {
  TByteReader r("ab\0cd"sv);
  EXPECT_EQ(r.String8At(0), "ab");
  EXPECT_EQ(r.String8At(2), "");
  EXPECT_EQ(r.String8At(3), "cd");  // no terminator: up to the end
  EXPECT_EQ(r.String8At(5), "");
  EXPECT_EQ(r.String8At(UINT64_MAX), "");

  // UTF-16: only a whole zero unit ends the text, and only whole units count.
  TByteReader w("a\0b\0\0\0c\0"sv);
  EXPECT_EQ(w.String16At(0), "a\0b\0"sv);
  EXPECT_EQ(w.String16At(6), "c\0"sv);
  EXPECT_EQ(w.String16At(1), "\0b"sv);  // units count from the offset: bytes 3..4 are one
  EXPECT_EQ(TByteReader("a\0b"sv).String16At(0), "a\0"sv);  // an odd last byte is dropped
  EXPECT_EQ(w.String16At(8), "");
  EXPECT_EQ(w.String16At(UINT64_MAX), "");
}

TEST(ByteReaderTest, TheCursorMovesOnlyOnSuccess) {
  TByteReader r(kEight);
  EXPECT_EQ(r.Remaining(), 8u);
  uint16_t a = 0;
  uint32_t b = 0;
  ASSERT_TRUE(r.ReadU16(&a));
  EXPECT_EQ(a, 0x0201);
  ASSERT_TRUE(r.ReadU32(&b));
  EXPECT_EQ(b, 0x06050403u);
  EXPECT_EQ(r.Position(), 6u);
  EXPECT_FALSE(r.ReadU32(&b));  // two bytes left
  EXPECT_EQ(r.Position(), 6u);
  EXPECT_EQ(b, 0x06050403u);
  EXPECT_FALSE(r.Skip(3));
  EXPECT_FALSE(r.Skip(UINT64_MAX));
  EXPECT_EQ(r.Position(), 6u);
  std::string_view rest;
  ASSERT_TRUE(r.ReadBytes(2, &rest));
  EXPECT_EQ(rest, "\x07\x08"sv);
  EXPECT_TRUE(r.AtEnd());
  EXPECT_TRUE(r.ReadBytes(0, &rest));  // reading nothing at the end is fine
  uint8_t c = 0;
  EXPECT_FALSE(r.ReadU8(&c));

  EXPECT_FALSE(r.Seek(9));
  EXPECT_TRUE(r.Seek(1));
  EXPECT_TRUE(r.Align(4));
  EXPECT_EQ(r.Position(), 4u);
  EXPECT_TRUE(r.Align(4));  // already aligned
  EXPECT_EQ(r.Position(), 4u);
  EXPECT_FALSE(r.Align(0));
  ASSERT_TRUE(r.Seek(7));
  EXPECT_FALSE(r.Align(16));  // the next multiple lies past the end
  EXPECT_EQ(r.Position(), 7u);

  ASSERT_TRUE(r.Seek(2));
  TByteReader sub;
  ASSERT_TRUE(r.ReadSub(4, &sub));
  EXPECT_EQ(r.Position(), 6u);
  EXPECT_EQ(sub.Position(), 0u);
  uint64_t big = 0;
  EXPECT_FALSE(sub.ReadU64(&big));
  EXPECT_FALSE(r.ReadSub(3, &sub));
  EXPECT_EQ(sub.Size(), 4u);  // unchanged by the failed read
}

}  // namespace
}  // namespace vx
