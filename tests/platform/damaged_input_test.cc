// Damaged hives and registry text as users meet them: each gives one clear
// message that names the file, and nothing crashes, hangs or runs away.
#include <gtest/gtest.h>

#include "support/le_bytes.h"
#include "support/run_command.h"
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>

#include "platform/offline/hive_file.h"
#include "platform/offline/hive_format.h"
#include "platform/offline/offline_machine.h"
#include "platform/offline/reg_text.h"
#include "base/codepage.h"
#include "support/fixture_image.h"
#include "support/temp_dir.h"

namespace vx {
namespace {

namespace fs = std::filesystem;
using testing::Get32;
using testing::Put32;
using testing::ReadBytes;
using testing::RunBuiltTool;
using testing::TFixtureImage;
using testing::WriteBytes;

using TRun = testing::TCommandResult;

void FixChecksum(std::string* b) {
  uint32_t sum = 0;
  ASSERT_TRUE(regf::BaseBlockChecksum(*b, &sum));
  Put32(b, regf::kChecksum, sum);
}

// A SYSTEM hive with two control sets of services, made by the hive tool.
std::string GoodSystemHive(const std::string& dir) {
  std::string text = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\Select]\r\n\"Current\"=dword:00000001\r\n\r\n";
  for (const char* set : {"ControlSet001", "ControlSet002"}) {
    for (int i = 0; i < 60; ++i) {
      text += std::string("[HKEY_LOCAL_MACHINE\\SYSTEM\\") + set + "\\Services\\Svc" + std::to_string(i) +
              "]\r\n\"ImagePath\"=hex(2):25,00,53,00,00,00\r\n\"Start\"=dword:00000002\r\n"
              "\"Description\"=\"A service with a description long enough to need a cell of its own\"\r\n\r\n";
    }
    text += std::string("[HKEY_LOCAL_MACHINE\\SYSTEM\\") + set + "\\Control\\Nls\\CodePage]\r\n\"ACP\"=\"1252\"\r\n\r\n";
  }
  WriteBytes(dir + "/system.reg", text);
  std::string hive = dir + "/SYSTEM";
  TRun build = RunBuiltTool("hivetool", "build --compact '" + hive + "' '" + dir + "/system.reg'");
  EXPECT_EQ(build.code, 0) << build.out;
  return ReadBytes(hive);
}

TEST(DamagedInputTest, EachDamagedHiveGivesOneMessageNamingTheFile) {
  TFixtureImage image;
  const std::string good = GoodSystemHive(image.ScratchDir());
  ASSERT_GT(good.size(), 0x3000u);
  const size_t root = regf::kFirstBin + Get32(good, regf::kRootCell);
  ASSERT_EQ(good.compare(root + regf::kCellType, 2, regf::kKeyType), 0);
  const size_t list = regf::kFirstBin + Get32(good, root + regf::kKeySubkeyList);

  struct TCase {
    const char* name;
    std::function<void(std::string*)> damage;
    const char* message;  // expected in the message; "" = the hive still opens
  };
  const TCase cases[] = {
      {"empty", [](std::string* b) { b->clear(); }, "not a registry hive (no \"regf\" signature)"},
      {"text", [](std::string* b) { *b = "hello, world"; }, "not a registry hive"},
      {"cut in the header", [](std::string* b) { b->resize(100); }, "truncated registry hive: 100 bytes"},
      {"cut after the header", [](std::string* b) { b->resize(regf::kFirstBin + 0x10); }, "truncated registry hive"},
      {"cut by one byte", [](std::string* b) { b->pop_back(); }, "truncated registry hive: the header gives"},
      {"header checksum", [](std::string* b) { (*b)[0x30] ^= 0x55; }, "the header checksum is wrong"},
      {"no first bin", [](std::string* b) { (*b)[regf::kFirstBin] = 'x'; }, "no \"hbin\" block after the header"},
      {"root far away", [](std::string* b) { Put32(b, regf::kRootCell, 0x7FFFFFF0); FixChecksum(b); },
       "the root key lies outside the file"},
      {"absurd bins size", [](std::string* b) { Put32(b, regf::kHiveBinsSize, 0xFFFFF000); FixChecksum(b); },
       "truncated registry hive: the header gives 4294967296 bytes"},
      {"absurd bin size", [](std::string* b) { Put32(b, regf::kFirstBin + regf::kBinSize, 0x7FFFF000); },
       "a bin or cell is malformed"},
      {"huge cell", [&](std::string* b) { Put32(b, root, 0x80000008u); }, "a bin or cell is malformed"},
      {"unknown version", [](std::string* b) { Put32(b, regf::kMajorVersion, 2); FixChecksum(b); },
       "unsupported registry hive version 2.3"},
      // These open; what they break shows when the keys are read.
      {"not closed cleanly", [](std::string* b) { Put32(b, regf::kPrimarySequence, 7); FixChecksum(b); }, "!not closed cleanly"},
      {"absurd subkey count", [&](std::string* b) { Put32(b, root + regf::kKeySubkeyCount, 0xFFFFFFFF); }, ""},
      {"absurd value count", [&](std::string* b) { Put32(b, root + regf::kKeyValueCount, 0xFFFFFFFF); }, ""},
      {"subkey list far away", [&](std::string* b) { Put32(b, root + regf::kKeySubkeyList, 0x7FFFFFF0); }, ""},
      {"subkeys loop to the root",
       [&](std::string* b) {
         const size_t count = Get32(*b, list + regf::kCellType) >> 16;  // the two letters, then the count
         for (size_t k = 0; k < count; ++k) {
           Put32(b, list + regf::kListEntries + regf::kLeafEntryBytes * k, static_cast<uint32_t>(root - regf::kFirstBin));
         }
       },
       ""},
  };
  ASSERT_TRUE(good.compare(list + regf::kCellType, 2, regf::kHashLeafType) == 0 ||
              good.compare(list + regf::kCellType, 2, regf::kFastLeafType) == 0);

  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = good;
    c.damage(&bytes);
    std::string file = image.HostPath("C:\\Windows\\System32\\config\\SYSTEM");
    WriteBytes(file, bytes);

    // The reader: refuses with the reason, or opens and reads whatever is left.
    std::string error;
    auto hive = THive::Open(file, &error);
    // "!..." marks damage found in a hive that still opens.
    const bool opens = *c.message == '\0' || *c.message == '!';
    const std::string message = *c.message == '!' ? c.message + 1 : c.message;
    if (!opens) {
      EXPECT_FALSE(hive);
      EXPECT_NE(error.find(message), std::string::npos) << error;
    } else {
      ASSERT_TRUE(hive) << error;
      EXPECT_NE(hive->Damage().find(message), std::string::npos) << hive->Damage();
    }

    // The hive tool: one message per kind of damage, each naming the file; never a crash.
    auto start = std::chrono::steady_clock::now();
    TRun dump = RunBuiltTool("hivetool", "dump '" + file + "' /dev/null");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_TRUE(dump.code == 0 || dump.code == 1) << dump.code << " " << dump.out;
    size_t lines = 0;
    for (size_t at = 0; (at = dump.out.find('\n', at)) != std::string::npos; ++at) ++lines;
    EXPECT_LE(lines, 2u) << dump.out;
    if (dump.code == 1) {
      EXPECT_EQ(dump.out.rfind(file + ": ", 0), 0u) << dump.out;
    }
    if (!message.empty()) {
      EXPECT_NE(dump.out.find(message), std::string::npos) << dump.out;
    }
    if (std::string(c.name) == "not closed cleanly") {
      EXPECT_EQ(dump.code, 0) << "every key is there";
      EXPECT_EQ(dump.out.rfind(file + ": ", 0), 0u) << dump.out;
    }

    // The machine: one message naming the file; the scan goes on without the hive.
    auto machine = image.OpenOffline();
    ASSERT_TRUE(machine);
    size_t naming = 0;
    for (const std::string& m : image.Messages()) naming += m.find(file) != std::string::npos;
    EXPECT_EQ(naming, message.empty() ? 0u : 1u);
    auto key = machine->OpenKey(kHkeyLocalMachine, "SYSTEM", TRegView::rv64);
    ASSERT_TRUE(key);
    // Walking what is left ends: names of a loop are found again and again, so
    // the walk keeps to a depth as the rules do.
    std::function<void(TRegKey&, int)> walk = [&](TRegKey& k, int depth) {
      if (depth > 12) return;
      for (const std::string& n : k.SubKeyNames()) {
        auto sub = k.OpenSubKey(n);
        if (!sub) continue;
        TRegValue v;
        for (const std::string& vn : sub->ValueNames()) sub->QueryValue(vn, &v);
        if (depth < 4) walk(*sub, depth + 1);
      }
    };
    walk(*key, 0);
  }
}

TEST(DamagedInputTest, RandomDamageNeverBringsTheToolDown) {
  TFixtureImage image;
  const std::string good = GoodSystemHive(image.ScratchDir());
  std::mt19937 rng(20261210);
  const std::string file = image.ScratchDir() + "/damaged";
  for (int round = 0; round < 40; ++round) {
    std::string bytes = good;
    if (round % 4 == 0) {
      bytes.resize(rng() % bytes.size());
    } else {
      for (int k = 0; k < 1 + round % 6; ++k) {
        size_t at = (round % 4 == 1 ? 0 : regf::kFirstBin) + rng() % (bytes.size() - regf::kFirstBin);
        bytes[at] = static_cast<char>(rng());
      }
      if (round % 4 == 1) FixChecksum(&bytes);  // so that the damage in the header is read
    }
    WriteBytes(file, bytes);
    TRun dump = RunBuiltTool("hivetool", "dump '" + file + "' /dev/null");
    EXPECT_TRUE(dump.code == 0 || dump.code == 1) << "round " << round << ": " << dump.code << " " << dump.out;
    if (dump.code == 1) {
      EXPECT_EQ(dump.out.rfind(file + ": ", 0), 0u) << dump.out;
    }
  }
}

TEST(DamagedInputTest, RegistryTextProblemsNameFileAndLine) {
  TFixtureImage image;
  const std::string dir = image.ScratchDir();
  WriteBytes(dir + "/bad.reg",
           "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"x\"=dword:zz\r\n\"y\"=\"open\r\n"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\" + std::string(300, 'k') + "]\r\n"
           "\"" + std::string(20000, 'v') + "\"=\"long\"\r\n");
  TRun run = RunBuiltTool("hivetool", "build '" + dir + "/out.hive' '" + dir + "/bad.reg'");
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, dir + "/bad.reg:4: bad dword data\n" + dir + "/bad.reg:5: bad string data\n" + dir +
                         "/bad.reg:6: key name longer than 255 characters\n" + dir + "/bad.reg:7: value outside a key\n");

  // A value beyond what hivex writes: no half-built hive is left, the compact writer takes it.
  std::string big = "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"blob\"=hex:00";
  for (int i = 0; i < (2 << 20); ++i) big += ",41";
  WriteBytes(dir + "/big.reg", big + "\r\n");
  run = RunBuiltTool("hivetool", "build '" + dir + "/SOFTWARE' '" + dir + "/big.reg'");
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, dir + "/SOFTWARE: cannot store the values of \"A\": a value is larger than hivex writes (1 MB) "
                     "(try --compact)\n");
  EXPECT_FALSE(fs::exists(dir + "/SOFTWARE"));
  run = RunBuiltTool("hivetool", "build --compact '" + dir + "/SOFTWARE' '" + dir + "/big.reg'");
  EXPECT_EQ(run.code, 0) << run.out;
  std::string error;
  auto hive = THive::Open(dir + "/SOFTWARE", &error);
  ASSERT_TRUE(hive) << error;
  TRegValue blob;
  ASSERT_TRUE(hive->QueryValue(hive->FindChild(hive->Root(), "A"), "blob", &blob));
  EXPECT_EQ(blob.data.size(), (2u << 20) + 1);

  // Exported as UTF-16 by a tool that left out the byte-order mark.
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ä]\r\n\"x\"=\"ÿ\"\r\n";
  WriteBytes(dir + "/nobom.reg", Utf8ToUtf16Le(text));
  std::vector<TRegOp> ops;
  std::vector<std::string> messages;
  ASSERT_TRUE(ParseRegText(ReadBytes(dir + "/nobom.reg"), "nobom.reg", 1252, &ops, &messages));
  EXPECT_TRUE(messages.empty());
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].key, "HKEY_LOCAL_MACHINE\\SOFTWARE\\\xC4");
  EXPECT_EQ(ops[1].value.data, std::string("\xFF\0\0\0", 4));
}

TEST(DamagedInputTest, AHundredMegabyteLineStaysBounded) {
  TFixtureImage image;
  const std::string dir = image.ScratchDir();
  const size_t n = 100u << 20;
  for (const std::string& line :
       {std::string(n, 'j'), "[HKEY_LOCAL_MACHINE\\SOFTWARE\\" + std::string(n, 'k') + "]"}) {
    std::string text = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n" + line +
                       "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\B]\r\n\"after\"=dword:00000001\r\n";
    std::vector<TRegOp> ops;
    std::vector<std::string> messages;
    ASSERT_TRUE(ParseRegText(text, "big.reg", 1252, &ops, &messages));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_LT(messages[0].size(), 200u) << "the message quotes a bounded part of the line";
    EXPECT_EQ(messages[0].rfind("big.reg:4: ", 0), 0u) << messages[0].substr(0, 200);
    ASSERT_FALSE(ops.empty());
    EXPECT_EQ(ops.back().value_name, "after");  // the lines behind it are still read
  }
}

// Registry text from an image may name tens of thousands of values in one
// key or thousands of hives; laying it over the registry takes time in
// proportion, not its square.
TEST(DamagedInputTest, LargeRegistryTextIsLaidOverInLinearTime) {
  TFixtureImage image;
  std::string text = "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Many]\r\n";
  for (int i = 0; i < 50000; ++i) text += "\"v" + std::to_string(i) + "\"=dword:00000001\r\n";
  for (int i = 0; i < 20000; ++i) text += "[HKEY_LOCAL_MACHINE\\Hive" + std::to_string(i) + "\\x]\r\n";
  image.WriteFile("C:\\Windows\\System32\\config\\SOFTWARE.reg", text);
  auto start = std::chrono::steady_clock::now();
  auto m = image.OpenOffline();
  auto many = m->OpenKey(kHkeyLocalMachine, "SOFTWARE\\Many", TRegView::rv64);
  ASSERT_TRUE(many);
  EXPECT_EQ(many->ValueNames().size(), 50000u);
  EXPECT_TRUE(many->ValueExists("V49999"));
  EXPECT_TRUE(m->OpenKey(kHkeyLocalMachine, "hive19999\\X", TRegView::rv64));
  // Seconds even under the sanitizers; many minutes when each value or hive
  // was looked for among all the others.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

}  // namespace
}  // namespace vx
