// Process entry of nivarel.scr: the Win32 services and the WGL scene surface
// put in force, then the mode that the command line asks for.
#include <windows.h>

#include "platform/platform_win32.h"
#include "shell/dialog_table_win32.h"
#include "shell/saver_start_win32.h"
#include "shell/scene_surface_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  PlatformServices services = Win32PlatformServices(DialogProcedureFor);
  services.surface = &Win32SceneSurface();
  InstallPlatform(services);
  StartSaver();
}
