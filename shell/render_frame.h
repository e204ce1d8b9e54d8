// One frame of the scene, and the pieces of a frame loop that the saver
// window and the settings dialog's preview share: the private frame message
// and the drain of the window's pending input between frames.
#pragma once
#include <cstdint>

#include "shell/platform.h"

// Frames start at least this far apart (at most about 33 per second).
constexpr uint32_t kFramePeriodMs = 30;
// Below this measured rate a machine judged too slow gets no frames in
// full-screen (the advice dialog instead) and the blank scene elsewhere.
constexpr float kLowestDrawableRate = 3.0f;

// The start-up probe judged the machine too slow and measured below
// kLowestDrawableRate.
bool FrameRateTooLowToDraw();

// Draws at most one frame: module cycling in the saver window, pacing, the
// scene that the current module selects, and presenting it when it drew
// cleanly.
void RenderFrame(WindowHandle window);

// Takes the window's pending messages until none is left or a stop is asked
// for: key messages go to the keyboard control instead of being dispatched,
// WM_CLOSE becomes a stop request, everything else is dispatched.
void DrainFrameMessages(WindowHandle window);

// Posts the next frame message to the window.
void PostRenderFrame(WindowHandle window);
