// The scene: a lit, textured sphere turning about its upright axis in front of
// an unlit, textured square backdrop that revolves about the viewing axis,
// both placed by the live view.  Drawn into the current GL context.
#pragma once

// One spin unit turns the sphere and the backdrop by 0.08 degree.
constexpr float kDegreesPerSpinUnit = 0.08f;
constexpr float kSpinUnitsPerTurn = 4500.0f;
// Every this many world frames the spin accumulator is brought back into one
// turn, so that it never grows large enough to lose precision.
constexpr int kSpinReductionFrames = 500000;

extern float g_fSpinAngle;          // spin accumulator, in spin units
extern float g_fSpinStep;           // added to g_fSpinAngle at the end of the current frame
extern int g_nSpinFrames;           // world frames since the last reduction
extern bool g_bBuildBackdropList;   // the backdrop display list has still to be compiled
extern unsigned g_nBackdropList;    // the compiled backdrop display list

// Draws the world (module 1) and advances the spin; only clears while module 1
// is inactive.  True when no GL error is pending afterwards.
bool DrawWorldScene();
// Clears only; true when no GL error is pending afterwards.
bool DrawBlankScene();
// Clears only; always true.
bool DrawClearScene();
// Replays the backdrop, compiling its display list on first use.
void CallBackdropList();
