#include "platform/offline/volumes.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "support/fixture_image.h"

namespace vx {
namespace {

using testing::TFixtureImage;

std::vector<std::string> Names(const std::vector<TFileInfo>& infos) {
  std::vector<std::string> names;
  for (const auto& i : infos) names.push_back(i.name);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(TargetPathTest, NormalisesAndClampsDotDot) {
  TTargetPath p;
  ASSERT_TRUE(ParseTargetPath("c:\\Windows\\.\\System32\\..\\..\\..\\..\\Temp/x.txt", &p));
  EXPECT_EQ(p.drive, 'C');
  EXPECT_EQ(JoinTargetPath(p), "C:\\Temp\\x.txt");
  ASSERT_TRUE(ParseTargetPath("\\Windows", &p));
  EXPECT_EQ(JoinTargetPath(p), "C:\\Windows");
  EXPECT_FALSE(ParseTargetPath("\\\\server\\share\\x", &p));
}

TEST(VolumesTest, FindsNamesWithoutRegardToCase) {
  TFixtureImage image;
  image.WriteFile("C:\\Program Files\\Vendor\\App.EXE", "12345");
  auto machine = image.Open();
  TFileInfo info;
  ASSERT_TRUE(machine->GetFileInfo("C:\\PROGRAM FILES\\vendor\\app.exe", &info));
  EXPECT_EQ(info.name, "App.EXE");
  EXPECT_EQ(info.size, 5u);
  EXPECT_FALSE(info.is_directory);
  EXPECT_EQ(info.attributes & kFileAttributeDirectory, 0u);
  EXPECT_GT(info.last_write_time, 116444736000000000ull);  // after 1970
  EXPECT_TRUE(machine->DirectoryExists("c:\\program files\\VENDOR\\"));
  EXPECT_FALSE(machine->FileExists("C:\\Program Files\\Vendor\\Other.exe"));
  std::string data;
  ASSERT_TRUE(machine->ReadFileBytes("C:\\program files\\vendor\\APP.exe", &data));
  EXPECT_EQ(data, "12345");
  ASSERT_TRUE(machine->ReadFileBytes("C:\\program files\\vendor\\APP.exe", &data, 2));
  EXPECT_EQ(data, "12");
  auto reader = machine->OpenFile("C:\\Program Files\\Vendor\\App.exe");
  ASSERT_TRUE(reader);
  EXPECT_EQ(reader->Size(), 5u);
  ASSERT_TRUE(reader->ReadAt(3, 10, &data));
  EXPECT_EQ(data, "45");
  ASSERT_TRUE(reader->ReadAt(9, 10, &data));
  EXPECT_EQ(data, "");
}

// A read tells "nothing there" (an answer for the rules) from "there but
// unreadable" (a failure to report). As root no file mode keeps a file from
// being read, so the unreadable entries are a folder and a socket.
TEST(VolumesTest, ReadsTellMissingFromUnreadable) {
  TFixtureImage image;
  image.WriteFile("C:\\Data\\present.txt", "abc");
  image.MakeDirectory("C:\\Data\\folder.txt");
  int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string socket_path = image.HostPath("C:\\Data\\socket");
  ASSERT_LT(socket_path.size(), sizeof address.sun_path);
  socket_path.copy(address.sun_path, socket_path.size());
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  // A FIFO would hold a blocking open forever; the .reg texts are read while the
  // machine opens, as its SAM.reg would be.
  ASSERT_EQ(mkfifo(image.HostPath("C:\\Data\\fifo").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo(image.HostPath("C:\\Windows\\System32\\config\\SAM.reg").c_str(), 0600), 0);
  auto machine = image.Open();
  const struct {
    const char* path;
    TReadStatus status;
  } cases[] = {
      {"C:\\Data\\present.txt", TReadStatus::rsOk},
      {"C:\\Data\\absent.txt", TReadStatus::rsMissing},
      {"C:\\Nowhere\\absent.txt", TReadStatus::rsMissing},
      {"C:\\Data\\present.txt\\below", TReadStatus::rsMissing},
      {"D:\\no volume.txt", TReadStatus::rsMissing},
      {"C:\\Data\\folder.txt", TReadStatus::rsUnreadable},
      {"C:\\Data\\socket", TReadStatus::rsUnreadable},
      {"C:\\Data\\fifo", TReadStatus::rsUnreadable},
  };
  for (const auto& c : cases) {
    std::string data;
    EXPECT_EQ(machine->ReadFile(c.path, &data), c.status) << c.path;
    EXPECT_EQ(machine->ReadFileBytes(c.path, &data), c.status == TReadStatus::rsOk) << c.path;
    TReadStatus opened = TReadStatus::rsOk;
    EXPECT_EQ(machine->OpenFile(c.path, &opened) != nullptr, c.status == TReadStatus::rsOk) << c.path;
    EXPECT_EQ(opened, c.status) << c.path;
  }
  close(listener);
}

TEST(VolumesTest, ListsWithMasksAndSeesLaterChanges) {
  TFixtureImage image;
  image.WriteFile("C:\\Data\\a.txt", "");
  image.WriteFile("C:\\Data\\B.TXT", "");
  image.WriteFile("C:\\Data\\readme", "");
  image.MakeDirectory("C:\\Data\\sub.dir");
  auto machine = image.Open();
  std::vector<TFileInfo> out;
  ASSERT_TRUE(machine->ListDirectory("C:\\data", "*.*", &out));
  EXPECT_EQ(Names(out), (std::vector<std::string>{"B.TXT", "a.txt", "readme", "sub.dir"}));
  out.clear();
  ASSERT_TRUE(machine->ListDirectory("C:\\data", "*.txt", &out));
  EXPECT_EQ(Names(out), (std::vector<std::string>{"B.TXT", "a.txt"}));
  out.clear();
  ASSERT_TRUE(machine->ListDirectory("C:\\Data\\", "sub.*", &out));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_TRUE(out[0].is_directory);
  EXPECT_NE(out[0].attributes & kFileAttributeDirectory, 0u);
  EXPECT_FALSE(machine->ListDirectory("C:\\Nothing", "*", &out));
  // A file made after the first listing is found: listings follow the folder.
  image.WriteFile("C:\\Data\\Late.txt", "x");
  EXPECT_TRUE(machine->FileExists("C:\\data\\late.TXT"));
}

TEST(VolumesTest, NothingResolvesOutsideTheImage) {
  TFixtureImage image;
  image.WriteFile("C:\\inside.txt", "in");
  std::string outside = image.ScratchDir() + "/secret.txt";
  {
    FILE* f = std::fopen(outside.c_str(), "w");
    std::fputs("secret", f);
    std::fclose(f);
  }
  image.MakeDirectory("C:\\Links");
  ASSERT_EQ(symlink(outside.c_str(), image.HostPath("C:\\Links\\out.txt").c_str()), 0);
  ASSERT_EQ(symlink(image.ScratchDir().c_str(), image.HostPath("C:\\Links\\outdir").c_str()), 0);
  ASSERT_EQ(symlink(image.HostPath("C:\\inside.txt").c_str(), image.HostPath("C:\\Links\\in.txt").c_str()), 0);
  ASSERT_EQ(symlink("/etc/passwd", image.HostPath("C:\\Links\\abs").c_str()), 0);
  TOfflineOptions options;
  options.writable = true;
  auto machine = image.Open(options);
  std::string data;
  EXPECT_FALSE(machine->ReadFileBytes("C:\\Links\\out.txt", &data));
  EXPECT_FALSE(machine->ReadFileBytes("C:\\Links\\outdir\\secret.txt", &data));
  EXPECT_FALSE(machine->ReadFileBytes("C:\\Links\\abs", &data));
  EXPECT_FALSE(machine->ReadFileBytes("C:\\..\\..\\scratch\\secret.txt", &data));
  EXPECT_FALSE(machine->WriteFile("C:\\Links\\outdir\\new.txt", "x"));
  EXPECT_FALSE(machine->WriteFile("C:\\Links\\out.txt", "overwritten"));
  ASSERT_TRUE(machine->ReadFileBytes("C:\\Links\\in.txt", &data));  // a link inside is followed
  EXPECT_EQ(data, "in");
  std::vector<TFileInfo> out;
  ASSERT_TRUE(machine->ListDirectory("C:\\Links", "*", &out));
  EXPECT_EQ(Names(out), (std::vector<std::string>{"in.txt"}));
  // `..` stops at the root: this names C:\inside.txt.
  ASSERT_TRUE(machine->ReadFileBytes("C:\\..\\..\\inside.txt", &data));
  EXPECT_EQ(data, "in");
  FILE* f = std::fopen(outside.c_str(), "r");
  char buffer[16] = {};
  ASSERT_TRUE(std::fgets(buffer, sizeof buffer, f));
  std::fclose(f);
  EXPECT_STREQ(buffer, "secret");
}

TEST(VolumesTest, WritesOnlyWhenAskedFor) {
  TFixtureImage image;
  image.WriteFile("C:\\Temp\\old.txt", "old");
  {
    auto machine = image.Open();
    EXPECT_FALSE(machine->WriteFile("C:\\Temp\\new.txt", "x"));
    EXPECT_FALSE(machine->CreateDirectory("C:\\Temp\\Sub"));
    EXPECT_FALSE(machine->MoveFile("C:\\Temp\\old.txt", "C:\\Temp\\moved.txt"));
    EXPECT_FALSE(machine->DeleteFile("C:\\Temp\\old.txt"));
    EXPECT_TRUE(machine->FileExists("C:\\Temp\\old.txt"));
    EXPECT_FALSE(machine->FileExists("C:\\Temp\\new.txt"));
  }
  TOfflineOptions options;
  options.writable = true;
  auto machine = image.Open(options);
  EXPECT_TRUE(machine->WriteFile("C:\\TEMP\\New.txt", "x"));
  EXPECT_TRUE(machine->FileExists("C:\\Temp\\new.txt"));
  EXPECT_TRUE(machine->CreateDirectory("C:\\temp\\Sub"));
  EXPECT_TRUE(machine->MoveFile("C:\\Temp\\OLD.txt", "C:\\Temp\\Sub\\moved.txt"));
  EXPECT_TRUE(machine->FileExists("C:\\Temp\\sub\\MOVED.txt"));
  EXPECT_FALSE(machine->FileExists("C:\\Temp\\old.txt"));
  EXPECT_TRUE(machine->DeleteFile("C:\\Temp\\Sub\\moved.txt"));
  EXPECT_FALSE(machine->FileExists("C:\\Temp\\Sub\\moved.txt"));
  EXPECT_FALSE(machine->WriteFile("C:\\NoSuchDir\\x.txt", "x"));  // parents are not made
  EXPECT_TRUE(std::filesystem::exists(image.HostPath("C:\\Temp\\New.txt")));
}

TEST(VolumesTest, FurtherDrivesAreVolumesOfTheirOwn) {
  TFixtureImage image;
  image.WriteFile("D:\\Backup\\file.bin", "abc");
  auto machine = image.Open();
  EXPECT_EQ(machine->LogicalDrives(), (std::vector<char>{'C', 'D'}));
  EXPECT_EQ(machine->DriveType('D'), kDriveFixed);
  EXPECT_EQ(machine->DriveType('E'), kDriveNoRootDir);
  EXPECT_TRUE(machine->FileExists("d:\\backup\\FILE.BIN"));
  EXPECT_FALSE(machine->FileExists("C:\\Backup\\file.bin"));
  TVolumeInfo info;
  EXPECT_TRUE(machine->VolumeInformation('D', &info));
  EXPECT_EQ(info.file_system, "NTFS");
}

}  // namespace
}  // namespace vx
