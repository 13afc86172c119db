#include "extlib/host_callbacks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "match/path_variables.h"
#include "platform/machine.h"
#include "support/fixture_image.h"

namespace vx {
namespace {

void CollectText(void* context, const char* text) {
  static_cast<std::vector<std::string>*>(context)->push_back(text);
}

void CollectFile(void* context, const VxFileInfo* info) {
  static_cast<std::vector<std::string>*>(context)->push_back(
      std::string(info->name) + (info->is_directory ? "/" : "") + ":" + std::to_string(info->size));
}

struct TValue {
  uint32_t type = 0;
  std::string data;
};
void CollectValue(void* context, uint32_t type, const void* data, uint32_t size) {
  auto* value = static_cast<TValue*>(context);
  value->type = type;
  value->data.assign(static_cast<const char*>(data), size);
}

class HostCallbacksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image_.WriteFile("C:\\Program Files\\Tool\\tool.dll", "0123456789");
    image_.MakeDirectory("C:\\Program Files\\Tool\\Data");
    image_.AddReg(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tool]\n\"Path\"=\"C:\\\\Program Files\\\\Tool\"\n"
        "\"List\"=hex(7):61,00,62,63,00,00\n\"Size\"=dword:0000000a\n"  // REGEDIT4: ANSI bytes
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tool\\Sub]\n");
    image_.OpenAsCurrent();
    BuildPathVariableTables();
  }
  void TearDown() override { SetCurrentMachine(nullptr); }

  testing::TFixtureImage image_;
  const VxHostCallbacks* t_ = HostCallbackTable();
};

TEST_F(HostCallbacksTest, TheTableDescribesItself) {
  EXPECT_EQ(t_->struct_size, sizeof(VxHostCallbacks));
  EXPECT_EQ(t_->version, VX_HOST_CALLBACKS_VERSION);
}

TEST_F(HostCallbacksTest, FilesAreSeenThroughTheMachine) {
  VxFileInfo info{};
  ASSERT_EQ(t_->get_file_info(t_->context, "c:\\program files\\TOOL\\tool.DLL", &info), 1);
  EXPECT_EQ(info.size, 10u);
  EXPECT_EQ(info.is_directory, 0u);
  EXPECT_EQ(t_->get_file_info(t_->context, "C:\\nothing.txt", &info), 0);

  std::vector<std::string> entries;
  ASSERT_EQ(t_->list_directory(t_->context, "C:\\Program Files\\Tool", "*.*", CollectFile,
                               &entries), 1);
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{"Data/:0", "tool.dll:10"}));
  EXPECT_EQ(t_->list_directory(t_->context, "C:\\Missing", "*.*", CollectFile, &entries), 0);

  void* handle = nullptr;
  uint64_t size = 0;
  ASSERT_EQ(t_->open_file(t_->context, "C:\\Program Files\\Tool\\tool.dll", &handle, &size), 1);
  EXPECT_EQ(size, 10u);
  char buffer[8];
  uint32_t read = 0;
  ASSERT_EQ(t_->read_file(t_->context, handle, 6, buffer, sizeof(buffer), &read), 1);
  EXPECT_EQ(std::string(buffer, read), "6789");
  ASSERT_EQ(t_->read_file(t_->context, handle, 100, buffer, sizeof(buffer), &read), 1);
  EXPECT_EQ(read, 0u);
  t_->close_file(t_->context, handle);
  EXPECT_EQ(t_->open_file(t_->context, "C:\\nothing", &handle, &size), 0);
}

TEST_F(HostCallbacksTest, RegistryValuesArriveAsAnsiText) {
  TValue value;
  ASSERT_EQ(t_->read_registry_value(t_->context, VX_HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Tool",
                                    "Path", VX_REG_VIEW_32, CollectValue, &value), 1);
  EXPECT_EQ(value.type, 1u);
  EXPECT_EQ(value.data, "C:\\Program Files\\Tool");
  ASSERT_EQ(t_->read_registry_value(t_->context, VX_HKEY_LOCAL_MACHINE, "SOFTWARE\\Tool", "List",
                                    VX_REG_VIEW_32, CollectValue, &value), 1);
  EXPECT_EQ(value.type, 7u);
  EXPECT_EQ(value.data, std::string("a\0bc\0", 5));
  ASSERT_EQ(t_->read_registry_value(t_->context, VX_HKEY_LOCAL_MACHINE, "SOFTWARE\\Tool", "Size",
                                    VX_REG_VIEW_32, CollectValue, &value), 1);
  EXPECT_EQ(value.data, std::string("\x0a\0\0\0", 4));
  EXPECT_EQ(t_->read_registry_value(t_->context, VX_HKEY_LOCAL_MACHINE, "SOFTWARE\\Tool", "None",
                                    VX_REG_VIEW_32, CollectValue, &value), 0);

  std::vector<std::string> names;
  ASSERT_EQ(t_->list_registry_subkeys(t_->context, VX_HKEY_LOCAL_MACHINE, "SOFTWARE\\Tool",
                                      VX_REG_VIEW_32, CollectText, &names), 1);
  EXPECT_EQ(names, std::vector<std::string>{"Sub"});
  names.clear();
  ASSERT_EQ(t_->list_registry_values(t_->context, VX_HKEY_LOCAL_MACHINE, "SOFTWARE\\Tool",
                                     VX_REG_VIEW_32, CollectText, &names), 1);
  EXPECT_EQ(names.size(), 3u);
  EXPECT_EQ(t_->list_registry_values(t_->context, VX_HKEY_LOCAL_MACHINE, "SOFTWARE\\Nope",
                                     VX_REG_VIEW_32, CollectText, &names), 0);
}

TEST_F(HostCallbacksTest, PathVariablesAndEnvironmentUseTheScannersResolver) {
  std::vector<std::string> out;
  ASSERT_EQ(t_->solve_path(t_->context, "<$WINDIR>\\x", CollectText, &out), 1);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0], SolvePath("<$WINDIR>\\x"));
  EXPECT_NE(out[0], "<$WINDIR>\\x");
  out.clear();
  ASSERT_EQ(t_->solve_path_all(t_->context, "plain", CollectText, &out), 1);
  EXPECT_EQ(out, std::vector<std::string>{"plain"});
  out.clear();
  ASSERT_EQ(t_->expand_environment(t_->context, "%windir%\\%NOSUCH%", CollectText, &out), 1);
  EXPECT_EQ(out, std::vector<std::string>{"C:\\Windows\\%NOSUCH%"});
}

TEST_F(HostCallbacksTest, NullArgumentsAreAbsenceNotACrash) {
  VxFileInfo info{};
  EXPECT_EQ(t_->get_file_info(t_->context, nullptr, &info), 0);
  EXPECT_EQ(t_->list_directory(t_->context, "C:\\", "*.*", nullptr, nullptr), 0);
  EXPECT_EQ(t_->solve_path(t_->context, nullptr, CollectText, nullptr), 0);
  SetCurrentMachine(nullptr);
  EXPECT_EQ(t_->get_file_info(t_->context, "C:\\", &info), 0);
}

}  // namespace
}  // namespace vx
