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
      {"\"c:\\browsers\\web.exe\"", "c:\\browsers\\web.exe", kAddress},
      {"web.exe --new-window \"%1\" --flag", "web.exe", "--new-window " + kAddress},
      {"dummy", "iexplore.exe", "-new " + kAddress},  // no program at all
  };
  for (const auto& c : cases) {
    BrowserLaunch launch = ChooseBrowserLaunch(kAddress, c.registered);
    EXPECT_EQ(launch.program + "|" + launch.parameters, c.program + ("|" + c.parameters)) << c.registered;
  }
}

// The whole plan over an in-memory registry: the address from the command
// text, lower-cased, the registered command from the class root, and the
// settings key selected again afterwards.  A command too long for its
// 256-byte buffer reads as not registered rather than cut.
TEST(BrowserLaunchPlan, UsesTheRegisteredCommandUnlessItIsMissingOrTooLong) {
  FakePlatform platform;
  ScopedPlatform scopedPlatform{platform};
  MemoryRegistry registry;
  ScopedPlatform scopedRegistry{WithSettings(registry)};
  const std::string program = "c:\\" + std::string(242, 'w') + ".exe";
  const struct { std::string registered; std::string program; } cases[] = {
      {"", "iexplore.exe"},
      {program + " " + std::string(255 - program.size() - 1, 'p'), program},
      {program + " " + std::string(256 - program.size() - 1, 'p'), "iexplore.exe"},
  };
  for (const auto& c : cases) {
    if (!c.registered.empty()) {
      registry.PutString(RegistryRoot::ClassesRoot, "HTTP\\shell\\open\\command", "", c.registered);
    }
    SelectRegistryKey(nullptr, "Somewhere\\Else");
    BrowserLaunch launch;
    ASSERT_TRUE(PlanBrowserLaunch("-new HTTPS://Nivarel.Example.COM/Index", &launch));
    EXPECT_EQ(launch.program, c.program) << c.registered.size();
    EXPECT_NE(launch.parameters.find("https://nivarel.example.com/index"), std::string::npos);
    EXPECT_EQ(g_registryStore.keyPath, kSettingsKeyPath);
    EXPECT_EQ(registry.OpenHandles(), 0u);
  }
}

}  // namespace
