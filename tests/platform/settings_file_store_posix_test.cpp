#include "platform/settings_file_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/fake_platform.h"
#include "view/registry_store.h"

namespace {


class SettingsFileStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/nivarel-store.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    path_ = folder_ + "/nivarel/settings.ini";
  }
  void TearDown() override { std::system(("rm -rf " + folder_).c_str()); }

  void Put(const std::string& text) {
    mkdir((folder_ + "/nivarel").c_str(), 0700);
    std::ofstream(path_) << text;
  }
  static std::string Read(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
  }

  std::string folder_, path_;
};

TEST_F(SettingsFileStoreTest, RoundTripReplacesTheFileWholeAndCreatesItOnFirstSave) {
  SettingsFileStore store(path_);
  ScopedPlatform installed(WithSettings(store));
  EXPECT_EQ(ReadUserDword("mod1 depth", -9999), -9999);
  ASSERT_TRUE(WriteUserDword("mod1 depth", 19200));
  // A second name to the old file: a write in place would change what it sees.
  ASSERT_EQ(link(path_.c_str(), (folder_ + "/old").c_str()), 0);
  ASSERT_TRUE(WriteUserDword("mod1 depth", 18600));
  ASSERT_TRUE(WriteUserDword("mod1 xrot", -250));
  EXPECT_EQ(ReadUserDword("mod1 depth", 0), 18600);
  EXPECT_EQ(ReadUserDword("mod1 xrot", 0), -250);
  EXPECT_NE(Read(path_).find("mod1 depth=18600\n"), std::string::npos);
  EXPECT_NE(Read(folder_ + "/old").find("mod1 depth=19200\n"), std::string::npos);
  EXPECT_EQ(std::system(("test $(ls -A " + folder_ + "/nivarel | wc -l) = 1").c_str()), 0)
      << "a temporary file was left behind";
}

TEST_F(SettingsFileStoreTest, ABatchReplacesTheFileOnceWithAllItsValues) {
  SettingsFileStore store(path_);
  ScopedPlatform installed(WithSettings(store));
  {
    SettingsBatch batch;
    ASSERT_TRUE(WriteUserDword("mod1 depth", 18600));
    ASSERT_TRUE(WriteUserDword("mod1 xrot", -250));
    EXPECT_FALSE(std::ifstream(path_).is_open()) << "written before the batch ended";
  }
  EXPECT_EQ(Read(path_),
            "# Nivarel settings: view values in hundredths\nmod1 depth=18600\nmod1 xrot=-250\n");
}

TEST_F(SettingsFileStoreTest, DamagedContentGivesDefaultsWithOneWarning) {
  const char* damaged[] = {"mod1 depth=abc\n", "mod1 depth\n", "=5\n", "mod1 depth=2147483648\n",
                           "mod1 depth=12 34\n"};
  for (const char* line : damaged) {
    Put(std::string("mod1 xrot=300\n") + line);
    SettingsFileStore store(path_);
    ScopedPlatform installed(WithSettings(store));
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadUserDword("mod1 depth", -9999), -9999) << line;
    EXPECT_EQ(ReadUserDword("mod1 xrot", 0), 300) << line;
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 1) << line << warnings;
  }
}

TEST_F(SettingsFileStoreTest, UnusablePlacesAndRootsFailWithoutHarm) {
  mkdir((folder_ + "/dir.ini").c_str(), 0700);
  Put("");
  const std::string paths[] = {folder_ + "/dir.ini", path_ + "/below-a-file/settings.ini"};
  for (const std::string& path : paths) {
    SettingsFileStore store(path);
    ScopedPlatform installed(WithSettings(store));
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadUserDword("cycle time", 15), 15) << path;
    EXPECT_FALSE(WriteUserDword("cycle time", 20)) << path;
    { SettingsBatch batch; WriteUserDword("cycle time", 20); }
    EXPECT_NE(testing::internal::GetCapturedStderr().find("could not save"), std::string::npos) << path;
  }
  SettingsFileStore readOnly(path_, true);
  EXPECT_EQ(readOnly.OpenOrCreateKey(RegistryRoot::CurrentUser, "k", "", KeyAccess::Write), nullptr);
  EXPECT_EQ(readOnly.OpenOrCreateKey(RegistryRoot::LocalMachine, "k", "", KeyAccess::Read), nullptr);
}

}  // namespace
