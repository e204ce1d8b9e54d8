#include "shell/full_screen_claim_win32.h"

#include "shell/saver_window_win32.h"

namespace {

// "Local\": the session's namespace, so that each logged-on user has a saver.
constexpr char kFullScreenMutexName[] = "Local\\NivarelFullScreenSaver";
// A start that finds the mutex taken waits this long for the other saver's
// window; the holder creates it right after taking the mutex.
constexpr DWORD kOtherSaverWaitMs = 10000;
constexpr DWORD kOtherSaverPollMs = 50;

// Brings a running full-screen saver to the front; false when there is none.
bool ForegroundRunningSaver() {
  HWND running = FindWindowA(kSaverClassName, kFullScreenTitle);
  if (!running || !IsWindow(running)) return false;
  SetForegroundWindow(running);
  return true;
}

}  // namespace

FullScreenClaim::~FullScreenClaim() {
  if (owned_) ReleaseMutex(mutex_);
  if (mutex_) CloseHandle(mutex_);
}

bool FullScreenClaim::Take() {
  mutex_ = CreateMutexA(nullptr, FALSE, kFullScreenMutexName);
  const DWORD start = GetTickCount();
  for (;;) {
    // An abandoned mutex (its holder was killed) is ours all the same.
    if (mutex_ && !owned_) {
      const DWORD wait = WaitForSingleObject(mutex_, 0);
      owned_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
    if (ForegroundRunningSaver()) return false;
    // Without a mutex at all the window search alone decides.
    if (owned_ || !mutex_) return true;
    if (GetTickCount() - start >= kOtherSaverWaitMs) return false;
    Sleep(kOtherSaverPollMs);
  }
}
