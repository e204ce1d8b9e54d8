#include "ui/browser_command.h"

#include <gtest/gtest.h>

#include "tests/support/fake_platform.h"
#include "tests/support/memory_registry.h"
#include "view/registry_store.h"

namespace {

const std::string kAddress = "http://nivarel.example.com/";

TEST(BrowserLaunch, PicksProgramAndParametersFromTheRegisteredCommand) {
  const struct { const char* registered; const char* program; std::string parameters; } cases[] = {
      {"\"C:\\Browsers\\Web.exe\" -url \"%1\"", "c:\\browsers\\web.exe", " -url " + kAddress},
      {"c:\\browsers\\web.exe %1", "c:\\browsers\\web.exe", "%1 " + kAddress},  // unquoted: kept
      {"\"C:\\Program Files\\IExplore.EXE\" -nohome", "iexplore.exe", "-new " + kAddress},
      {"c:\\browsers\\web.exe", "c:\\browsers\\web.exe", kAddress},
      {"\"c:\\browsers\\web.exe\"", "c:\\browsers\\web.exe", kAddress},
      {"web.exe --new-window \"%1\" --flag", "web.exe", "--new-window " + kAddress},
      {"dummy", "iexplore.exe", "-new " + kAddress},  // no program at all
  };
  for (const auto& c : cases) {
    BrowserLaunch launch = ChooseBrowserLaunch(kAddress, c.registered);
    EXPECT_EQ(launch.program, c.program) << c.registered;
    EXPECT_EQ(launch.parameters, c.parameters) << c.registered;
  }
}

// The whole plan over an in-memory registry: the address from the command
// text, the registered command from the class root, and the settings key
// selected again afterwards.
class BrowserLaunchPlan : public testing::Test {
 protected:
  void Register(const std::string& command) {
    registry_.PutString(RegistryRoot::ClassesRoot, "HTTP\\shell\\open\\command", "", command);
  }

  FakePlatform platform_;
  ScopedPlatform scopedPlatform_{platform_};
  MemoryRegistry registry_;
  ScopedPlatform scopedRegistry_{WithSettings(registry_)};
};

TEST_F(BrowserLaunchPlan, UsesRegisteredCommandWithLowerCasedAddress) {
  Register("\"C:\\Browsers\\Web.exe\" -url \"%1\"");
  SelectRegistryKey(nullptr, "Somewhere\\Else");
  BrowserLaunch launch;

  ASSERT_TRUE(PlanBrowserLaunch("-new HTTPS://Nivarel.Example.COM/Index", &launch));

  EXPECT_EQ(launch.program, "c:\\browsers\\web.exe");
  EXPECT_EQ(launch.parameters, " -url https://nivarel.example.com/index");
  EXPECT_EQ(g_registryStore.keyPath, kSettingsKeyPath);
  EXPECT_EQ(registry_.OpenHandles(), 0u);
}

TEST_F(BrowserLaunchPlan, FallsBackToDefaultProgramWhenCommandIsMissingOrTooLong) {
  BrowserLaunch launch;
  ASSERT_TRUE(PlanBrowserLaunch("-new http://a.example/", &launch));
  EXPECT_EQ(launch.program, "iexplore.exe");
  EXPECT_EQ(launch.parameters, "-new http://a.example/");

  // 255 characters and the terminator fit; one more does not, and the
  // command reads as not registered rather than cut.
  const std::string program = "c:\\" + std::string(242, 'w') + ".exe";
  Register(program + " " + std::string(255 - program.size() - 1, 'p'));
  ASSERT_TRUE(PlanBrowserLaunch("-new http://a.example/", &launch));
  EXPECT_EQ(launch.program, program);
  Register(program + " " + std::string(256 - program.size() - 1, 'p'));
  ASSERT_TRUE(PlanBrowserLaunch("-new http://a.example/", &launch));
  EXPECT_EQ(launch.program, "iexplore.exe");
}

}  // namespace
