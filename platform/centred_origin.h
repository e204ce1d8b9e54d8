// Where a dialog starts along one axis of the screen when it centres itself
// on the desktop (CentreOnDesktop applies it to x and to y).
#pragma once
#include <cstdint>

// The origin that centres a window spanning windowNear..windowFar on a desktop
// spanning 0..desktopExtent: (desktopExtent + windowNear - windowFar) / 2,
// rounded toward zero.  A window larger than the work area of its monitor
// (workNear..workFar) starts no earlier than the work area, so that its title
// and the beginnings of its texts stay on screen.
int32_t CentredOrigin(int32_t desktopExtent, int32_t windowNear, int32_t windowFar,
                      int32_t workNear, int32_t workFar);
