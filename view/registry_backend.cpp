#include "view/registry_backend.h"

namespace {
RegistryBackend* g_pRegistryBackend = nullptr;
}  // namespace

RegistryBackend* CurrentRegistryBackend() { return g_pRegistryBackend; }

void InstallRegistryBackend(RegistryBackend* backend) { g_pRegistryBackend = backend; }
