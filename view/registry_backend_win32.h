// The registry seam on the real Win32 registry.
#pragma once
#include "view/registry_backend.h"

// The process-wide Win32 back end.
RegistryBackend& Win32RegistryBackend();

// Installs it as the registry of the process.
void InstallWin32RegistryBackend();
