#include "view/live_view.h"

// What the scene shows until settings have applied a module (or when none is active).
float g_fDepth = 40.0f;
float g_fHorz = 0.0f;
float g_fVert = 0.0f;
float g_fXrot = -90.0f;
float g_fYrot = 0.0f;
float g_fZrot = 0.0f;
float g_fSpeed = 5.0f;
