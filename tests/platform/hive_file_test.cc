// Hive files: what the two writers make reads back the same through hivex,
// big subkey lists are searched, and damaged files never bring the reader down.
#include "platform/offline/hive_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "platform/offline/hive_format.h"
#include "platform/offline/hive_writer.h"
#include "platform/offline/mem_key.h"
#include "support/fixture_image.h"
#include "support/le_bytes.h"

namespace vx {
namespace {

using testing::TFixtureImage;

void SampleTree(TMemKey* root) {
  TMemKey* app = root->AddChild("Vendor")->AddChild("App");
  app->SetValue("", TRegValue{kRegSz, testing::Utf16("default") + std::string(2, '\0')});
  app->SetValue("Small", TRegValue{kRegDword, std::string("\x2A\0\0\0", 4)});
  app->SetValue("Empty", TRegValue{kRegBinary, ""});
  app->SetValue("Big", TRegValue{kRegBinary, std::string(20000, '\x5A')});
  app->SetValue("Caf\xE9", TRegValue{kRegQword, std::string(8, '\x01')});
  root->AddChild("Caf\xE9 \xC4")->AddChild("Deep")->AddChild("Deeper");
  TMemKey* many = root->AddChild("Many");
  for (int i = 0; i < 400; ++i) many->AddChild("Key" + std::to_string(i));
}

// Every key path with its values, as text, in a stable order.
// A damaged hive can loop, so no key is walked twice.
void Walk(THive& hive, THiveNode node, const std::string& path, std::vector<std::string>* out,
          std::set<THiveNode>* seen) {
  if (!seen->insert(node).second) return;
  std::string line = path + ":";
  for (const std::string& name : hive.ValueNames(node)) {
    TRegValue v;
    if (!hive.QueryValue(node, name, &v)) {
      line += " [" + name + "] unreadable";
      continue;
    }
    line += " [" + name + "]=" + std::to_string(v.type) + "/" + std::to_string(v.data.size()) + "/" +
            std::to_string(std::hash<std::string>()(v.data));
  }
  out->push_back(line);
  for (THiveNode child : hive.Children(node)) {
    Walk(hive, child, path + "\\" + hive.NodeName(child), out, seen);
  }
}

std::vector<std::string> Dump(const std::string& file) {
  std::string error;
  auto hive = THive::Open(file, &error);
  EXPECT_TRUE(hive) << error;
  std::vector<std::string> out;
  std::set<THiveNode> seen;
  if (hive) Walk(*hive, hive->Root(), "", &out, &seen);
  std::sort(out.begin(), out.end());
  return out;
}

TEST(HiveFileTest, BothWritersMakeTheSameHive) {
  TFixtureImage image;
  TMemKey root("");
  SampleTree(&root);
  std::string through_hivex = image.ScratchDir() + "/a.hive";
  std::string compact = image.ScratchDir() + "/b.hive";
  std::string error;
  ASSERT_TRUE(WriteHiveFile(through_hivex, root, &error)) << error;
  ASSERT_TRUE(WriteCompactHiveFile(compact, root, &error)) << error;
  std::vector<std::string> a = Dump(through_hivex);
  EXPECT_EQ(a.size(), 400u + 7u);
  EXPECT_EQ(a, Dump(compact));
  EXPECT_NE(std::find(a.begin(), a.end(), "\\Caf\xE9 \xC4\\Deep\\Deeper:"), a.end());
}

TEST(HiveFileTest, FindsChildrenWithoutRegardToCase) {
  TFixtureImage image;
  TMemKey root("");
  TMemKey* clsid = root.AddChild("CLSID");
  for (int i = 0; i < 20000; ++i) clsid->AddChild("{" + std::to_string(i * 7919) + "}");
  clsid->AddChild("\xC9t\xE9");
  std::string file = image.ScratchDir() + "/big.hive";
  std::string error;
  ASSERT_TRUE(WriteCompactHiveFile(file, root, &error)) << error;
  auto hive = THive::Open(file, &error);
  ASSERT_TRUE(hive);
  THiveNode node = hive->FindChild(hive->Root(), "clsid");
  ASSERT_NE(node, 0u);
  EXPECT_EQ(hive->ChildNames(node).size(), 20001u);
  EXPECT_NE(hive->FindChild(node, "{7919}"), 0u);
  EXPECT_NE(hive->FindChild(node, "{158372081}"), 0u);  // 19999 * 7919
  EXPECT_EQ(hive->FindChild(node, "{1}"), 0u);
  EXPECT_NE(hive->FindChild(node, "\xE9T\xC9"), 0u);  // accented letters fold too
  EXPECT_EQ(hive->NodeName(hive->FindChild(node, "\xE9t\xE9")), "\xC9t\xE9");
}

// hivex refuses keys with more than 70,000 subkeys; they are read all the same.
TEST(HiveFileTest, KeysBeyondHivexsSubkeyLimitStillList) {
  TFixtureImage image;
  TMemKey root("");
  TMemKey* components = root.AddChild("Components");
  for (int i = 0; i < 70100; ++i) components->AddChild("C" + std::to_string(i));
  std::string file = image.ScratchDir() + "/many.hive";
  std::string error;
  ASSERT_TRUE(WriteCompactHiveFile(file, root, &error)) << error;
  auto hive = THive::Open(file, &error);
  ASSERT_TRUE(hive);
  THiveNode node = hive->FindChild(hive->Root(), "components");
  ASSERT_NE(node, 0u);
  EXPECT_EQ(hive->ChildNames(node).size(), 70100u);
  EXPECT_NE(hive->FindChild(node, "c70099"), 0u);
  EXPECT_EQ(hive->NodeName(hive->FindChild(node, "C12345")), "C12345");
}

TEST(HiveFileTest, DamagedHivesNeverBringTheReaderDown) {
  TFixtureImage image;
  TMemKey root("");
  SampleTree(&root);
  std::string file = image.ScratchDir() + "/good.hive";
  std::string error;
  ASSERT_TRUE(WriteCompactHiveFile(file, root, &error)) << error;
  std::string good;
  {
    std::ifstream in(file, std::ios::binary);
    good.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::mt19937 rng(7);
  std::string bad_file = image.ScratchDir() + "/bad.hive";
  int opened = 0;
  for (int round = 0; round < 300; ++round) {
    std::string bytes = good;
    if (round % 10 == 0) {
      bytes.resize(rng() % bytes.size());  // truncated
    } else {
      // Damage inside the bins, past the base block, where the checksum does not look.
      for (int k = 0; k < 1 + round % 8; ++k) {
        size_t at = 4096 + rng() % (bytes.size() - 4096);
        bytes[at] = static_cast<char>(rng());
      }
    }
    {
      std::ofstream out(bad_file, std::ios::binary | std::ios::trunc);
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    auto hive = THive::Open(bad_file, &error);
    if (!hive) continue;
    ++opened;
    std::vector<std::string> out;
    std::set<THiveNode> seen;
    Walk(*hive, hive->Root(), "", &out, &seen);  // must end, whatever it finds
    hive->FindChild(hive->Root(), "Many");
    hive->FindChild(hive->FindChild(hive->Root(), "Vendor"), "App");
  }
  EXPECT_GT(opened, 0);  // damage in the bins is found only when it is read

  // A key that claims more subkeys than hivex takes has its list read here:
  // that reading must hold against damage too.
  auto hive = THive::Open(file, &error);
  ASSERT_TRUE(hive);
  THiveNode many = hive->FindChild(hive->Root(), "Many");
  ASSERT_NE(many, 0u);
  hive.reset();
  std::string claims = good;
  for (int k = 0; k < 4; ++k) claims[many + regf::kKeySubkeyCount + k] = "\xA0\x86\x01\x00"[k];  // 100,000 subkeys
  {
    std::ofstream out(bad_file, std::ios::binary | std::ios::trunc);
    out.write(claims.data(), static_cast<std::streamsize>(claims.size()));
  }
  hive = THive::Open(bad_file, &error);
  ASSERT_TRUE(hive);
  EXPECT_EQ(hive->ChildNames(many).size(), 400u);  // what the list really holds
  for (int round = 0; round < 200; ++round) {
    std::string bytes = claims;
    for (int k = 0; k < 1 + round % 16; ++k) {
      size_t at = 4096 + rng() % (bytes.size() - 4096);
      bytes[at] = static_cast<char>(rng());
    }
    {
      std::ofstream out(bad_file, std::ios::binary | std::ios::trunc);
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    auto damaged = THive::Open(bad_file, &error);
    if (!damaged) continue;
    damaged->ChildNames(many);
    damaged->FindChild(many, "Key7");
    damaged->Children(many);
  }
}

TEST(HiveFileTest, RefusesFilesThatAreNoHive) {
  TFixtureImage image;
  std::string error;
  EXPECT_FALSE(THive::Open(image.ScratchDir() + "/missing", &error));
  EXPECT_EQ(error, "cannot read the file");
  std::string file = image.ScratchDir() + "/text";
  std::ofstream(file) << "hello";
  EXPECT_FALSE(THive::Open(file, &error));
  EXPECT_EQ(error.rfind("not a registry hive", 0), 0u);
  std::string empty = EmptyHiveBytes();
  empty[regf::kChecksum] ^= 1;  // a wrong checksum
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(empty.data(), static_cast<std::streamsize>(empty.size()));
  EXPECT_FALSE(THive::Open(file, &error));
}

}  // namespace
}  // namespace vx
