// A fake of the GL surface and the scene for the frame-loop tests: every call
// is logged by name, and the probe reports the rate the test injects.
#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "shell/frame_rate_probe.h"

class FakeScene : public SceneSurface {
 public:
  bool surfaceWorks = true;
  bool probedRateOk = true;
  float probedRate = 33.0f;
  bool scenesSucceed = true;  // blank and world; the clear scene always succeeds
  std::vector<std::string> calls;
  WindowHandle surfaceWindow = nullptr;
  int framesPresented = 0;

  bool CreateSurface(WindowHandle window, int colourBits) override {
    calls.push_back("create " + std::to_string(colourBits));
    surfaceWindow = window;
    return surfaceWorks;
  }
  void DestroySurface() override { calls.push_back("destroy"); }
  void PresentFrame() override { ++framesPresented; }
  void ProbeFrameRate() override {
    calls.push_back("probe");
    g_bRateOk = probedRateOk;
    g_fFrameRate = probedRate;
  }
  bool DrawBlankScene() override { return Draw("blank", scenesSucceed); }
  bool DrawWorldScene() override { return Draw("world", scenesSucceed); }
  bool DrawClearScene() override { return Draw("clear", true); }

  int Count(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
  }

 private:
  bool Draw(const char* scene, bool result) {
    calls.push_back(scene);
    return result;
  }
};
