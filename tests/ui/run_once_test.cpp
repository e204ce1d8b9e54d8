#include "ui/run_once.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/fake_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/view/view_state.h"

namespace {

const WindowHandle kDialog = reinterpret_cast<WindowHandle>(0x51);
const RecordedMessageBox kRemovalSaid = {
    kDialog, "This Screen saver will be removed\nthe next time you start Windows.",
    "Screen saver will be removed.", kMbOk};

class SaverRemoval : public testing::Test {
 protected:
  SaverRemoval() { ResetSaverState(); }

  void PutInstallDir(const std::string& folder) {
    registry.PutString(RegistryRoot::LocalMachine, kSettingsKeyPath, "install_dir", folder);
  }
  std::string RunOnce(const char* name) const {
    auto values = registry.Values(RegistryRoot::LocalMachine, kRunOnceKeyPath);
    return values.count(name) ? std::string(values[name].data.begin(), values[name].data.end()).c_str() : "<missing>";
  }

  FakePlatform platform;
  ScopedPlatform scopedPlatform{platform};
  MemoryRegistry registry;
  ScopedPlatform scopedRegistry{WithSettings(registry)};
};

// The first free name of "kill_saver", "kill_saver1", ...: an entry is never
// overwritten, an empty one is reused; the install folder is taken as it is.
TEST_F(SaverRemoval, PutsTheUninstallerUnderTheFirstFreeRunOnceNameAndSaysSo) {
  EXPECT_TRUE(ScheduleSaverRemoval(kDialog));
  EXPECT_EQ(RunOnce("kill_saver"), "\\uninstal.exe") << "no install folder";
  PutInstallDir("D:\\Saver\\");
  registry.PutString(RegistryRoot::LocalMachine, kRunOnceKeyPath, "kill_saver1", "C:\\another\\uninstal.exe");
  ScheduleSaverRemoval(kDialog);
  EXPECT_EQ(RunOnce("kill_saver1"), "C:\\another\\uninstal.exe");
  EXPECT_EQ(RunOnce("kill_saver2"), "D:\\Saver\\\\uninstal.exe");
  registry.PutString(RegistryRoot::LocalMachine, kRunOnceKeyPath, "kill_saver", "");
  ScheduleSaverRemoval(kDialog);
  EXPECT_EQ(RunOnce("kill_saver"), "D:\\Saver\\\\uninstal.exe");
  EXPECT_EQ(RunOnce("kill_saver3"), "<missing>");

  EXPECT_EQ(platform.messageBoxes, std::vector<RecordedMessageBox>(3, kRemovalSaid));
  EXPECT_EQ(g_registryStore.keyPath, kSettingsKeyPath) << "the settings key is selected again";
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST_F(SaverRemoval, AFailedWriteIsNotReportedAndAFolderTooLongForTheCommandIsRefused) {
  registry.failWrites = true;
  EXPECT_TRUE(ScheduleSaverRemoval(kDialog));
  EXPECT_EQ(platform.messageBoxes, std::vector<RecordedMessageBox>{kRemovalSaid});
  registry.failWrites = false;

  // 342 characters and the uninstaller's 13 fill the 356-byte buffer exactly.
  const std::string longest(342, 'x');
  EXPECT_EQ(UninstallCommand(longest.c_str()), longest + "\\uninstal.exe");
  EXPECT_EQ(UninstallCommand((longest + "y").c_str()), "");
  PutInstallDir(longest + "y");
  EXPECT_FALSE(ScheduleSaverRemoval(kDialog));
  EXPECT_EQ(RunOnce("kill_saver"), "<missing>");
  EXPECT_EQ(platform.messageBoxes.back().caption, "Screen saver will not be removed.");
  EXPECT_NE(platform.messageBoxes.back().text.find("too long"), std::string::npos);
}

}  // namespace
