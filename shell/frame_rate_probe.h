// The start-up judgement of whether the machine draws the world smoothly
// enough: one timed draw, and four more when the first was neither clearly
// fast nor clearly too slow.
#pragma once

extern bool g_bRateOk;       // the frame rate is adequate (initially true)
extern float g_fFrameRate;   // frames per second as measured; 33.0 when one draw took 50 ms or less

// Times draws of the world scene (never presented) on the platform clock and
// sets g_bRateOk and g_fFrameRate.  Needs the surface's GL context current.
void ProbeFrameRate();

// The same, timing `drawScene` instead of the world scene.
void ProbeFrameRate(bool (*drawScene)());
