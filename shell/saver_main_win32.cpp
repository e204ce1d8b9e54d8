// Process entry of nivarel.scr.
#include <windows.h>

#include "shell/platform_win32.h"
#include "shell/saver_start_win32.h"
#include "shell/scene_services_win32.h"
#include "view/registry_backend_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  g_hInstance = instance;
  InstallWin32Platform();
  InstallWin32RegistryBackend();
  InstallWin32SceneServices();
  StartSaver();
}
