#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>

namespace {

PlatformServices g_platform;

template <typename Service>
Service& Require(Service* service, const char* name) {
  if (!service) {
    std::fprintf(stderr, "nivarel: no %s service installed\n", name);
    std::abort();
  }
  return *service;
}

}  // namespace

void InstallPlatform(const PlatformServices& services) { g_platform = services; }

const PlatformServices& InstalledPlatform() { return g_platform; }

Clock& PlatformClock() { return Require(g_platform.clock, "clock"); }
WindowQueue& PlatformWindows() { return Require(g_platform.windows, "window queue"); }
Notices& PlatformNotices() { return Require(g_platform.notices, "notices"); }
Resources& PlatformResources() { return Require(g_platform.resources, "resources"); }
SettingsStore& PlatformSettings() { return Require(g_platform.settings, "settings store"); }
SceneSurface& PlatformSurface() { return Require(g_platform.surface, "scene surface"); }
