// What the frame loops need of the GL surface and the scene: making and
// releasing the surface on a window, the start-up frame-rate probe and the
// three scene functions.
//
// The Win32 layer installs the real ones at process start
// (shell/scene_services_win32.cpp); native tests install fakes, so that the
// run loop's order of calls, its pacing and its close path are testable
// without a GL context.
#pragma once

#include "shell/platform.h"

class SceneServices {
 public:
  virtual ~SceneServices() = default;

  // Makes the GL surface on the window (its failure has been shown to the
  // user when this returns false) and releases it again; releasing is safe
  // when nothing or only part of the surface exists.
  virtual bool CreateSurface(WindowHandle window, int colourBits) = 0;
  virtual void DestroySurface() = 0;

  // Sets g_bRateOk and g_fFrameRate.
  virtual void ProbeFrameRate() = 0;

  // Each draws one frame into the current context; true when it may be shown.
  virtual bool DrawBlankScene() = 0;
  virtual bool DrawWorldScene() = 0;
  virtual bool DrawClearScene() = 0;
};

// The services in force; installed once at start-up (or by a test fixture).
SceneServices& Scene();
void InstallSceneServices(SceneServices* services);
SceneServices* CurrentSceneServicesOrNull();
