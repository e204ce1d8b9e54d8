// The GL surface and scene of the real program, as the frame loops reach them.
#pragma once

// Installs them as the scene services of the process.
void InstallWin32SceneServices();
