#include "ui/run_once.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/support/fake_platform.h"
#include "tests/support/memory_registry.h"
#include "ui/advice_dialog.h"
#include "view/registry_store.h"

namespace {

constexpr char kSettingsPath[] = "Software\\Orrinvale\\Nivarel";
constexpr char kRemovalText[] = "This Screen saver will be removed\nthe next time you start Windows.";
constexpr char kRemovalCaption[] = "Screen saver will be removed.";

TEST(FirstFreeRunOnceName, TakesTheFirstNameOfTheSequenceThatIsFree) {
  struct Case { std::set<std::string> taken; const char* expected; } cases[] = {
      {{}, "kill_saver"},
      {{"kill_saver"}, "kill_saver1"},
      {{"kill_saver", "kill_saver1"}, "kill_saver2"},
      {{"kill_saver1", "kill_saver2"}, "kill_saver"},
      {{"kill_saver", "kill_saver2"}, "kill_saver1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FirstFreeRunOnceName([&](const char* name) { return c.taken.count(name) > 0; }),
              c.expected);
  }
}

TEST(FrameRateText, ShowsTheRateWithOneDecimal) {
  struct Case { float rate; const char* text; } cases[] = {
      {2.54f, "The current frame rate is:\n2.5 frames per second."},
      {33.0f, "The current frame rate is:\n33.0 frames per second."},
      {1000.0f / 201.0f, "The current frame rate is:\n5.0 frames per second."},
      {0.04f, "The current frame rate is:\n0.0 frames per second."},
  };
  for (const Case& c : cases) {
    char text[kFrameRateTextSize];
    FormatFrameRateText(text, sizeof text, c.rate);
    EXPECT_STREQ(text, c.text);
  }
}

class SaverRemoval : public testing::Test {
 protected:
  SaverRemoval() { g_registryStore = RegistryStore{kSettingsPath, ""}; }

  void PutRunOnce(const char* name, const std::string& text) {
    registry.PutRaw(RegistryRoot::LocalMachine, kRunOnceKeyPath, name, RegistryValueKind::String,
                    std::vector<uint8_t>(text.begin(), text.end()));
  }
  void PutInstallDir(const std::string& folder) {
    std::vector<uint8_t> data(folder.begin(), folder.end());
    data.push_back(0);
    registry.PutRaw(RegistryRoot::LocalMachine, kSettingsPath, "install_dir",
                    RegistryValueKind::String, data);
  }
  std::string RunOnce(const char* name) const {
    auto values = registry.Values(RegistryRoot::LocalMachine, kRunOnceKeyPath);
    auto found = values.find(name);
    if (found == values.end()) return "<missing>";
    std::string text(found->second.data.begin(), found->second.data.end());
    return text.c_str();  // with or without a stored terminator
  }

  int dialog = 0;
  FakePlatform platform;
  ScopedPlatform scopedPlatform{platform};
  MemoryRegistry registry;
  ScopedRegistryBackend scopedRegistry{registry};
};

TEST_F(SaverRemoval, PutsTheUninstallerOnTheRunOnceListAndSaysSo) {
  PutInstallDir("C:\\Program Files\\Orrinvale\\Nivarel");
  EXPECT_TRUE(ScheduleSaverRemoval(&dialog));

  EXPECT_EQ(RunOnce("kill_saver"), "C:\\Program Files\\Orrinvale\\Nivarel\\uninstal.exe");
  EXPECT_EQ(platform.messageBoxes,
            (std::vector<RecordedMessageBox>{{&dialog, kRemovalText, kRemovalCaption, kMbOk}}));
  // The settings operations find their own key selected again.
  EXPECT_EQ(g_registryStore.keyPath, kSettingsPath);
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST_F(SaverRemoval, NeverOverwritesAnEntryButReusesAnEmptyOne) {
  PutInstallDir("D:\\Saver\\");  // taken as it is: no separator added or removed
  PutRunOnce("kill_saver", "C:\\other\\uninstal.exe");
  PutRunOnce("kill_saver1", "C:\\another\\uninstal.exe");
  ScheduleSaverRemoval(&dialog);
  EXPECT_EQ(RunOnce("kill_saver"), "C:\\other\\uninstal.exe");
  EXPECT_EQ(RunOnce("kill_saver1"), "C:\\another\\uninstal.exe");
  EXPECT_EQ(RunOnce("kill_saver2"), "D:\\Saver\\\\uninstal.exe");

  PutRunOnce("kill_saver", "");
  ScheduleSaverRemoval(&dialog);
  EXPECT_EQ(RunOnce("kill_saver"), "D:\\Saver\\\\uninstal.exe");
  EXPECT_EQ(RunOnce("kill_saver3"), "<missing>");
}

TEST_F(SaverRemoval, AMissingInstallFolderGivesTheBareNameAndAFailedWriteIsNotReported) {
  ScheduleSaverRemoval(&dialog);
  EXPECT_EQ(RunOnce("kill_saver"), "\\uninstal.exe");

  MemoryRegistry failing;
  ScopedRegistryBackend scoped(failing);
  failing.failWrites = true;
  EXPECT_TRUE(ScheduleSaverRemoval(&dialog));
  EXPECT_TRUE(failing.Values(RegistryRoot::LocalMachine, kRunOnceKeyPath).empty());
  const RecordedMessageBox said = {&dialog, kRemovalText, kRemovalCaption, kMbOk};
  EXPECT_EQ(platform.messageBoxes, (std::vector<RecordedMessageBox>{said, said}));
}

TEST_F(SaverRemoval, AnInstallFolderTooLongForTheCommandIsRefused) {
  // 342 characters and the uninstaller's 13 fill the 356-byte buffer exactly.
  const std::string longest(342, 'x');
  EXPECT_EQ(UninstallCommand(longest.c_str()), longest + "\\uninstal.exe");
  EXPECT_EQ(UninstallCommand((longest + "y").c_str()), "");

  PutInstallDir(longest + "y");
  EXPECT_FALSE(ScheduleSaverRemoval(&dialog));
  EXPECT_TRUE(registry.Values(RegistryRoot::LocalMachine, kRunOnceKeyPath).empty());
  ASSERT_EQ(platform.messageBoxes.size(), 1u);
  EXPECT_EQ(platform.messageBoxes[0].caption, "Screen saver will not be removed.");
  EXPECT_NE(platform.messageBoxes[0].text.find("too long"), std::string::npos);
  EXPECT_EQ(g_registryStore.keyPath, kSettingsPath);

  // A folder name too long even for the read buffer reads as missing.
  PutInstallDir(std::string(400, 'z'));
  platform.messageBoxes.clear();
  EXPECT_TRUE(ScheduleSaverRemoval(&dialog));
  EXPECT_EQ(RunOnce("kill_saver"), "\\uninstal.exe");
}

}  // namespace
