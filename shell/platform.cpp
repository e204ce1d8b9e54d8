#include "shell/platform.h"

#include <cstdio>
#include <cstdlib>

namespace {
PlatformServices* g_pPlatform = nullptr;
}  // namespace

PlatformServices& Platform() {
  if (!g_pPlatform) {
    // A program that forgot to install its platform would otherwise fail far
    // from the cause.
    std::fputs("nivarel: no platform services installed\n", stderr);
    std::abort();
  }
  return *g_pPlatform;
}

void InstallPlatform(PlatformServices* services) { g_pPlatform = services; }

PlatformServices* CurrentPlatformOrNull() { return g_pPlatform; }
