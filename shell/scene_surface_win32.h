// The GL surface and scene of nivarel.scr as the frame loop reaches them.
#pragma once

#include "platform/platform_win32.h"

SceneSurface& Win32SceneSurface();
