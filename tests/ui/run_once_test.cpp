#include "ui/run_once.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/fake_platform.h"
#include "tests/support/memory_registry.h"
#include "view/registry_store.h"

namespace {

constexpr char kSettingsPath[] = "Software\\Orrinvale\\Nivarel";
constexpr char kRemovalText[] = "This Screen saver will be removed\nthe next time you start Windows.";
constexpr char kRemovalCaption[] = "Screen saver will be removed.";

class SaverRemoval : public testing::Test {
 protected:
  SaverRemoval() { g_registryStore = RegistryStore{kSettingsPath, ""}; }

  void PutRunOnce(const char* name, const std::string& text) {
    registry.PutString(RegistryRoot::LocalMachine, kRunOnceKeyPath, name, text);
  }
  void PutInstallDir(const std::string& folder) {
    registry.PutString(RegistryRoot::LocalMachine, kSettingsPath, "install_dir", folder);
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
  ScopedPlatform scopedRegistry{WithSettings(registry)};
};

// The first free name of "kill_saver", "kill_saver1", ...: an entry is never
// overwritten, an empty one is reused.
TEST_F(SaverRemoval, PutsTheUninstallerUnderTheFirstFreeRunOnceNameAndSaysSo) {
  PutInstallDir("C:\\Program Files\\Orrinvale\\Nivarel");
  EXPECT_TRUE(ScheduleSaverRemoval(&dialog));
  EXPECT_EQ(RunOnce("kill_saver"), "C:\\Program Files\\Orrinvale\\Nivarel\\uninstal.exe");
  EXPECT_EQ(platform.messageBoxes,
            (std::vector<RecordedMessageBox>{{&dialog, kRemovalText, kRemovalCaption, kMbOk}}));
  // The settings operations find their own key selected again.
  EXPECT_EQ(g_registryStore.keyPath, kSettingsPath);
  EXPECT_EQ(registry.OpenHandles(), 0u);

  PutInstallDir("D:\\Saver\\");  // taken as it is: no separator added or removed
  PutRunOnce("kill_saver1", "C:\\another\\uninstal.exe");
  ScheduleSaverRemoval(&dialog);
  EXPECT_EQ(RunOnce("kill_saver"), "C:\\Program Files\\Orrinvale\\Nivarel\\uninstal.exe");
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
  ScopedPlatform scoped(WithSettings(failing));
  failing.failWrites = true;
  EXPECT_TRUE(ScheduleSaverRemoval(&dialog));
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
}

}  // namespace
