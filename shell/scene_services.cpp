#include "shell/scene_services.h"

#include <cstdio>
#include <cstdlib>

namespace {
SceneServices* g_pSceneServices = nullptr;
}  // namespace

SceneServices& Scene() {
  if (!g_pSceneServices) {
    // A program that forgot to install its scene would otherwise fail far
    // from the cause.
    std::fputs("nivarel: no scene services installed\n", stderr);
    std::abort();
  }
  return *g_pSceneServices;
}

void InstallSceneServices(SceneServices* services) { g_pSceneServices = services; }

SceneServices* CurrentSceneServicesOrNull() { return g_pSceneServices; }
