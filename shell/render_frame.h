// One frame of the scene, as every host's frame loop draws it.
#pragma once
#include <cstdint>

#include "platform/platform.h"

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
