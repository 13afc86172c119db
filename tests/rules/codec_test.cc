#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rules/base64.h"
#include "rules/include_codec.h"
#include "rules/include_format.h"
#include "rules/sapphire.h"
#include "rules/zlib_stream.h"

namespace vx {
namespace {

TEST(SapphireTest, DecryptUndoesEncryptAndTheKeyMatters) {
  std::string plain = "RegyKey:\"x\",HKLM,\"Software\\Foo\",Bar\r\n\x01\xff";
  TSapphire enc;
  enc.Initialize("key one");
  std::string data = plain;
  enc.EncryptInPlace(data);
  EXPECT_NE(data, plain);

  TSapphire dec;
  dec.Initialize("key one");
  std::string back = data;
  dec.DecryptInPlace(back);
  EXPECT_EQ(back, plain);

  TSapphire wrong;
  wrong.Initialize("key two");
  back = data;
  wrong.DecryptInPlace(back);
  EXPECT_NE(back, plain);
}

TEST(SapphireTest, Digest320IsFortyBytesAndFollowsEveryInputByte) {
  std::string a = Sapphire320Digest("00112233");
  EXPECT_EQ(a.size(), 40u);
  EXPECT_EQ(a, Sapphire320Digest("00112233"));
  EXPECT_NE(a, Sapphire320Digest("00112234"));
}

TEST(Base64Test, EncodesAndDecodesTheStandardAlphabet) {
  struct Case {
    std::string plain, text;
  };
  for (const Case& c : std::vector<Case>{{"", ""},
                                         {"f", "Zg=="},
                                         {"fo", "Zm8="},
                                         {"foo", "Zm9v"},
                                         {"foob", "Zm9vYg=="},
                                         {"\xfb\xff", "+/8="}}) {
    EXPECT_EQ(Base64Encode(c.plain), c.text);
    std::string out;
    ASSERT_TRUE(Base64Decode(c.text, &out)) << c.text;
    EXPECT_EQ(out, c.plain);
  }
  std::string out;
  EXPECT_TRUE(Base64Decode("Zm8", &out));  // padding may be left out
  EXPECT_EQ(out, "fo");
}

TEST(Base64Test, RejectsWhatNoEncoderWrites) {
  std::string out = "untouched";
  for (std::string bad : {"Z", "Zm9v Yg==", "Zm=v", "Zm9vY===", "Zg=", "Zm9*", "Zg==Zg=="}) {
    EXPECT_FALSE(Base64Decode(bad, &out)) << bad;
  }
  EXPECT_EQ(out, "untouched");
}

TEST(LineDecodingTest, ScrambledLinesAddPositionModThree) {
  std::string out;
  ASSERT_TRUE(DecodeIncludeLine("##abc", &out));
  EXPECT_EQ(out, "##ace");
  ASSERT_TRUE(DecodeIncludeLine("##", &out));
  EXPECT_EQ(out, "##");
  ASSERT_TRUE(DecodeIncludeLine("File:a,b", &out));
  EXPECT_EQ(out, "File:a,b");
  // Wraps modulo 256.
  ASSERT_TRUE(DecodeIncludeLine(std::string("##x\xff\xff"), &out));
  EXPECT_EQ(out, std::string("##x\x00\x01", 5));
  EXPECT_EQ(ScrambleLine("ace"), "##abc");
}

TEST(LineDecodingTest, EncryptedLinesDecryptEachOnTheirOwn) {
  std::string first = EncryptLine(" File:a,b");
  std::string second = EncryptLine(" File:a,b");
  EXPECT_EQ(first, second);  // every line starts from a freshly keyed cipher
  ASSERT_TRUE(first.starts_with("#%"));
  std::string out;
  ASSERT_TRUE(DecodeIncludeLine(first, &out));
  EXPECT_EQ(out, "#% File:a,b");
  EXPECT_FALSE(DecodeIncludeLine("#%not base64!", &out));
  // Two characters are never decoded, so "#%" alone is no error.
  ASSERT_TRUE(DecodeIncludeLine("#%", &out));
  EXPECT_EQ(out, "#%");
}

TEST(ContainerTest, RoundTripsTextExactly) {
  for (std::string text : {std::string(), std::string("// count: 1\r\n:: P\r\nFile:a,b\r\n"),
                           std::string(100000, 'x')}) {
    std::string packed = PackContainer(text);
    ASSERT_TRUE(packed.starts_with("QRI"));
    std::string back = "junk";
    ASSERT_TRUE(UnpackContainer(packed, &back));
    EXPECT_EQ(back, text);
  }
}

std::string WithLength(std::string packed, uint64_t length) {
  for (int i = 0; i < 8; ++i) packed[3 + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
  return packed;
}

TEST(ContainerTest, DamagedContainersAreRefusedWithoutAllocating) {
  const std::string text = "// count: 1\r\n:: Product\r\nFile:a,b\r\n";
  const std::string good = PackContainer(text);
  struct Case {
    const char* what;
    std::string bytes;
  };
  std::string bad_zlib = good;
  bad_zlib[12] = static_cast<char>(bad_zlib[12] ^ 0x55);
  const std::vector<Case> cases = {
      {"magic only", "QRI"},
      {"header shorter than 11 bytes", good.substr(0, 10)},
      {"header without body", good.substr(0, 11)},
      {"truncated body", good.substr(0, good.size() - 6)},
      {"bad zlib data", bad_zlib},
      {"longer than announced data", WithLength(good, text.size() + 1)},
      {"beyond the size ceiling", WithLength(good, include_format::kMaxTextSize + 1)},
      {"beyond zlib's best ratio", WithLength(good, (good.size() - 11) * 1033)},
      {"all-ones length", WithLength(good, ~0ull)},
      {"binary noise", "QRI" + std::string("\x13\x00\x00\x00\x00\x00\x00\x00\x8e\x91\x02\x77", 12)},
  };
  for (const Case& c : cases) {
    std::string out = "untouched";
    EXPECT_FALSE(UnpackContainer(c.bytes, &out)) << c.what;
    EXPECT_EQ(out, "untouched") << c.what;
  }
}

TEST(ContainerTest, ShorterAnnouncedLengthGivesExactlyThatMuch) {
  std::string out;
  ASSERT_TRUE(UnpackContainer(WithLength(PackContainer("abcdef"), 3), &out));
  EXPECT_EQ(out, "abc");
}

TEST(ListFileTest, WholeFileIsOneCipherStreamUnderItsOwnKey) {
  std::string text = "line one\r\nline two\r\n";
  std::string stored = EncryptListFile(text);
  EXPECT_NE(stored, text);
  EXPECT_EQ(DecryptListFile(stored), text);
  // The include-file key does not open a list file.
  TSapphire include_key = IncludeFileCipher();
  std::string wrong = stored;
  include_key.DecryptInPlace(wrong);
  EXPECT_NE(wrong, text);
}

TEST(InfoFileTest, CompressedFormRoundTripsAndDamageKeepsWhatCameOut) {
  std::string text = "[A]\r\nCompany=X\r\n";
  std::string stored = CompressInfo(text);
  ASSERT_TRUE(IsCompressedInfo(stored));
  bool complete = false;
  EXPECT_EQ(DecompressInfo(stored, &complete), text);
  EXPECT_TRUE(complete);
  EXPECT_FALSE(IsCompressedInfo("LCF1"));  // needs at least five bytes
  EXPECT_EQ(DecompressInfo("LCF1garbage", &complete), "");
  EXPECT_FALSE(complete);
}

TEST(ZlibTest, InflateStopsAtTheLimit) {
  std::string big(1 << 20, 'a');
  std::string out;
  EXPECT_EQ(ZlibInflate(ZlibCompress(big), 1000, &out), TInflateResult::irLimitReached);
  EXPECT_EQ(out.size(), 1000u);
  EXPECT_EQ(ZlibInflate("", 10, &out), TInflateResult::irTruncated);
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
}

}  // namespace
}  // namespace vx
