// Opening a web address through the real shell: the browser command
// registered for http addresses is started (cmd.exe here, which exits at
// once), and the process handle the shell hands back is not kept.
#include "ui/browser_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/support/fake_platform.h"
#include "tests/support/memory_registry.h"

namespace {

// The process's open handles, found by asking after every handle value in
// the low range (Wine's GetProcessHandleCount always answers 0).
int OpenHandleCount() {
  int count = 0;
  DWORD flags = 0;
  for (uintptr_t value = 4; value < 0x4000; value += 4) {
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

TEST(OpenInBrowser, StartsTheRegisteredBrowserAndKeepsNoHandle) {
  MemoryRegistry registry;
  ScopedPlatform scopedRegistry{WithSettings(registry)};
  registry.PutString(RegistryRoot::ClassesRoot, "HTTP\\shell\\open\\command", "",
                     "\"C:\\windows\\system32\\cmd.exe\" /c rem \"%1\"");
  const char* const text = "-new http://nivarel.example.com/";

  // The shell keeps what it sets up on its first use; the second start shows
  // whether anything is left open per start.
  ASSERT_TRUE(OpenInBrowser(text));
  const int before = OpenHandleCount();
  EXPECT_TRUE(OpenInBrowser(text));
  EXPECT_EQ(OpenHandleCount(), before);
  // Without an address nothing is started.
  EXPECT_FALSE(OpenInBrowser("-new mailto:nivarel@orrinvale.example"));
}

}  // namespace
