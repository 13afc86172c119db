#include "probex_fixture.h"

namespace vx::test {
namespace {

constexpr const char* kFile = "C:\\Data\\sample.bin";

struct TCase {
  std::string params;
  bool holds;
};

using ProbexHashTest = ProbexTest;

TEST_F(ProbexHashTest, WholeFileDigests) {
  target_.WriteFile(kFile, "abc");
  const TCase cases[] = {
      {"md5=900150983cd24fb0d6963f7d28e17f72", true},
      {"md5=900150983CD24FB0D6963F7D28E17F72", true},
      {"md5=900150983cd24fb0d6963f7d28e17f73", false},
      {"md5=900150983cd24fb0d6963f7d28e17f7", false},
      {"md5=900150983cd24fb0d6963f7d28e17f722", false},
      {"md5=g00150983cd24fb0d6963f7d28e17f72", false},
      {"crc32=352441c2", true},
      {"crc32=0x352441C2", true},
      {"crc32=$352441c2", true},
      {"crc32=352441c3", false},
      {"crc32=0352441c2", false},
      {"crc32=", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.holds, Check(kFile, c.params)) << c.params;

  target_.WriteFile(kFile, "");
  EXPECT_TRUE(Check(kFile, "md5=d41d8cd98f00b204e9800998ecf8427e"));
  EXPECT_TRUE(Check(kFile, "crc32=0"));
}

TEST_F(ProbexHashTest, TailAndSizedDigests) {
  target_.WriteFile(kFile, "xyzabc");
  const std::string whole = Md5Hex("xyzabc");
  const TCase cases[] = {
      {"endmd5=3:900150983cd24fb0d6963f7d28e17f72", true},
      {"endmd5=6:" + whole, true},
      {"endmd5=7:" + whole, false},  // the file has no 7-byte tail
      {"endmd5=0:d41d8cd98f00b204e9800998ecf8427e", true},
      {"endmd5=900150983cd24fb0d6963f7d28e17f72", false},
      {"endmd5=:900150983cd24fb0d6963f7d28e17f72", false},
      {"sizemd5=6:" + whole, true},
      {"sizemd5=7:" + whole, false},
      {"sizemd5=6:" + Md5Hex("xyzabd"), false},
      {"sizemd5=" + whole, false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.holds, Check(kFile, c.params)) << c.params;
}

TEST_F(ProbexHashTest, LargeFilesAreReadInBoundedPieces) {
  std::string data(3 * 1024 * 1024 + 17, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 7919) >> 3);
  target_.WriteFile(kFile, data);
  EXPECT_TRUE(Check(kFile, "md5=" + Md5Hex(data)));
  EXPECT_TRUE(Check(kFile, "endmd5=100000:" + Md5Hex(data.substr(data.size() - 100000))));
  EXPECT_LE(target_.largest_read, 1024u * 1024u);
}

TEST_F(ProbexHashTest, AReadErrorIsNoMatch) {
  target_.WriteFile(kFile, "abc");
  target_.fail_reads = true;
  EXPECT_FALSE(Check(kFile, "md5=900150983cd24fb0d6963f7d28e17f72"));
  EXPECT_FALSE(Check(kFile, "crc32=352441c2"));
}

}  // namespace
}  // namespace vx::test
