// At most one full-screen saver per session, even when two are started at the
// same moment: the search for a running saver and the creation of the window
// happen under a named mutex of the session, held for the whole run.
#pragma once
#include <windows.h>

class FullScreenClaim {
 public:
  FullScreenClaim() = default;
  ~FullScreenClaim();
  FullScreenClaim(const FullScreenClaim&) = delete;
  FullScreenClaim& operator=(const FullScreenClaim&) = delete;

  // True when this start is to run the full-screen saver.  False when another
  // one runs (or is starting): that one is brought to the front instead.
  bool Take();

 private:
  HANDLE mutex_ = nullptr;
  bool owned_ = false;
};
