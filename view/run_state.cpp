#include "view/run_state.h"

bool g_bSaverWindow = false;
bool g_bFullScreen = false;
bool g_bStop = false;
bool g_bClosed = false;
bool g_bInFrame = false;
uint32_t g_dwCycleStart = 0;
uint32_t g_dwLastFrame = 0;
WindowHandle g_hSaverWindow = nullptr;
