#include "shell/frame_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "shell/render_frame.h"
#include "tests/shell/fake_scene.h"
#include "tests/support/fake_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/view/view_state.h"

namespace {

constexpr uint32_t kStartTick = 5000000;

// A host as the test describes it; its window is its own address.
class FakeHost : public FrameHost {
 public:
  bool saverWindow = true;
  bool fullScreen = true;
  bool saves = true;
  int pane = 0;
  bool ownPane = false;
  int framesDrawn = 0;
  int closed = 0;

  WindowHandle Window() override { return this; }
  WindowHandle SurfaceWindow() override { return ownPane ? &pane : Window(); }
  bool IsSaverWindow() override { return saverWindow; }
  bool IsFullScreen() override { return fullScreen; }
  bool SavesOnClose() override { return saves; }
  void FrameDrawn() override { ++framesDrawn; }
  void Closed() override { ++closed; }
};

class FrameLoop : public testing::Test {
 protected:
  FrameLoop() { Reset(); }

  void Reset() {
    platform = FakePlatform();
    registry = MemoryRegistry();
    scene = FakeScene();
    host = FakeHost();
    platform.settings = &registry;
    platform.surface = &scene;
    platform.now = kStartTick;
    InstallPlatform(platform);
    ResetSaverState();
  }

  // The host's own message loop: frame messages and closes to the frame loop,
  // until the queue is empty or `limit` messages have been handled.
  void Pump(int limit) {
    WindowMessage message;
    for (int i = 0; i < limit && platform.TakeWindowMessage(host.Window(), &message); ++i) {
      if (message.message == WM_RENDER_FRAME) HandleFrameMessage(host);
      if (message.message == kWmClose) HandleCloseRequest(host);
    }
  }
  void Queue(unsigned message, uintptr_t wParam = 0) { platform.Queue(host.Window(), message, wParam); }

  FakePlatform platform;
  MemoryRegistry registry;
  FakeScene scene;
  FakeHost host;
  ScopedPlatform scoped{platform};
};

TEST_F(FrameLoop, StartLoadsSettingsMakesTheSurfaceProbesAndRunsFrameAfterFrame) {
  registry.PutSetting("mod1 depth", 15000);
  host.ownPane = true;
  EXPECT_TRUE(StartFrameLoop(host));

  EXPECT_EQ(g_fDepth, 150.0f);
  EXPECT_EQ(g_registryStore.keyClass, platform.className);
  EXPECT_EQ(scene.surfaceWindow, &host.pane);
  EXPECT_EQ(scene.calls, (std::vector<std::string>{"create 32", "probe"}));
  EXPECT_EQ(g_dwCycleStart, kStartTick);
  Pump(3);
  EXPECT_EQ(host.framesDrawn, 3);
  EXPECT_EQ(scene.framesPresented, 3);
  EXPECT_EQ(platform.PostedIds(), std::vector<unsigned>(4, WM_RENDER_FRAME));
}

// A saver window saves on its close; the settings dialog saves only on OK.
TEST_F(FrameLoop, ASurfaceThatCannotBeMadeClosesAtOnceAndSavesOnlyWhereTheHostSaves) {
  for (bool saves : {true, false}) {
    Reset();
    host.saves = saves;
    scene.surfaceWorks = false;
    EXPECT_FALSE(StartFrameLoop(host));
    EXPECT_EQ(platform.PostedIds(), std::vector<unsigned>{kWmClose});
    Pump(10);
    EXPECT_EQ(scene.calls, (std::vector<std::string>{"create 32", "destroy"}));
    EXPECT_EQ(host.closed, 1);
    EXPECT_EQ(registry.Setting("mod1 depth").has_value(), saves);
  }
}

TEST_F(FrameLoop, FramesStartAtLeastThirtyMillisecondsApart) {
  // The start tick of the previous frame, when the next is asked for, the sleeps.
  struct Case { const char* name; uint32_t lastFrame, now; std::vector<uint32_t> sleeps; } cases[] = {
      {"first frame, measured against tick 0", 0, kStartTick, {}},
      {"a 10 ms frame", kStartTick, kStartTick + 10, {20}},
      {"a 30 ms frame", kStartTick, kStartTick + 30, {}},
      {"across the clock's wrap", 0xFFFFFFF8u, 2u, {20}},
      {"a clock that went back 5 ms", kStartTick, kStartTick - 5, {25}},
  };
  for (const Case& c : cases) {
    platform.sleeps.clear();
    g_dwLastFrame = c.lastFrame;
    platform.now = c.now;
    RenderFrame(host.Window());
    EXPECT_EQ(platform.sleeps, c.sleeps) << c.name;
    EXPECT_EQ(g_dwLastFrame, platform.now) << c.name;
  }
}

TEST_F(FrameLoop, PendingInputIsHandledBeforeEachFrameAndAFailedSceneIsNotShown) {
  StartFrameLoop(host);
  platform.queue.clear();
  Queue(kWmKeyDown, kVkNext);
  Queue(kWmKeyUp, kVkNext);
  Queue(kWmPaint);
  scene.scenesSucceed = false;  // a GL error
  HandleFrameMessage(host);

  EXPECT_EQ(g_fDepth, 189.0f);  // Page Down, once: the key-up does nothing
  ASSERT_EQ(platform.dispatched.size(), 1u);  // keys are never dispatched
  EXPECT_EQ(platform.dispatched[0].message, kWmPaint);
  EXPECT_EQ(scene.Count("world"), 1);
  EXPECT_EQ(scene.framesPresented, 0);
  EXPECT_EQ(platform.queue.back().message, WM_RENDER_FRAME) << "the loop goes on";
}

// A close or a stop key met in the drain ends the loop: the close is posted
// once, nothing more is drawn, and the close handling runs once whatever
// arrives after it.
TEST_F(FrameLoop, AStopInTheDrainClosesOnceAndSavesOnce) {
  for (unsigned stop : {kWmClose, kWmKeyDown}) {
    SCOPED_TRACE(stop);
    Reset();
    StartFrameLoop(host);
    platform.queue.clear();
    platform.posted.clear();
    g_fDepth = 189.0f;
    Queue(stop, kVkEscape);
    Queue(kWmKeyDown, kVkNext);  // behind the stop: not taken
    HandleFrameMessage(host);
    HandleFrameMessage(host);

    EXPECT_EQ(platform.PostedIds(), std::vector<unsigned>{kWmClose});
    EXPECT_EQ(scene.Count("world"), 0);
    EXPECT_EQ(host.framesDrawn, 0);
    Pump(5);
    g_fDepth = 10.0f;
    HandleCloseRequest(host);
    EndFrameLoop();
    EXPECT_EQ(scene.Count("destroy"), 1);
    EXPECT_EQ(host.closed, 1);
    EXPECT_EQ(registry.Setting("mod1 depth"), 18900);
  }
}

TEST_F(FrameLoop, AWindowDestroyedWithoutACloseReleasesTheSurfaceAndSavesNothing) {
  StartFrameLoop(host);
  Pump(2);
  EndFrameLoop();
  HandleFrameMessage(host);
  HandleCloseRequest(host);
  EXPECT_EQ(scene.Count("world"), 2) << "no frame after the end";
  EXPECT_EQ(scene.Count("destroy"), 1);
  EXPECT_FALSE(registry.Setting("mod1 depth").has_value());
}

// Modal dialogs opened from the drain run nested loops that may hand over a
// frame message; it does nothing, and the outer frame goes on.
TEST_F(FrameLoop, AFrameMessageHandedOverInsideAFrameDoesNothing) {
  StartFrameLoop(host);
  platform.queue.clear();
  Queue(kWmKeyDown, kVkF1);  // the control menu's loop
  Queue(kWmPaint);           // a dispatched message
  platform.onDialog = [&](int) { HandleFrameMessage(host); };
  platform.onDispatch = [&](const WindowMessage&) { HandleFrameMessage(host); };
  HandleFrameMessage(host);
  EXPECT_EQ(platform.dialogs.size(), 1u);
  EXPECT_EQ(scene.Count("world"), 1);
  EXPECT_EQ(platform.PostedIds(), (std::vector<unsigned>{WM_RENDER_FRAME, WM_RENDER_FRAME}));
}

TEST_F(FrameLoop, AStopFromOutsideAFramePostsTheCloseItself) {
  StartFrameLoop(host);
  g_bInFrame = true;
  RequestStop(host);
  EXPECT_EQ(platform.PostedIds(), std::vector<unsigned>{WM_RENDER_FRAME}) << "the drain's end posts it";
  g_bInFrame = false;
  RequestStop(host);
  EXPECT_EQ(platform.PostedIds(), (std::vector<unsigned>{WM_RENDER_FRAME, kWmClose}));
}

// Below three frames a second a full-screen run advises and closes without
// drawing; elsewhere the loop falls back to the blank scene for good.
TEST_F(FrameLoop, ASlowMachineIsJudgedByItsProbedRate) {
  const struct { bool fullScreen; float rate; bool advised; int world, blank, module; } cases[] = {
      {true, 2.9f, true, 0, 0, 1},
      {true, 3.0f, false, 3, 0, 1},
      {false, 1.5f, false, 0, 3, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fullScreen << " at " << c.rate);
    Reset();
    host.fullScreen = c.fullScreen;
    scene.probedRateOk = false;
    scene.probedRate = c.rate;
    StartFrameLoop(host);
    Pump(c.advised ? 10 : 3);

    EXPECT_EQ(scene.Count("world"), c.world);
    EXPECT_EQ(scene.Count("blank"), c.blank);
    EXPECT_EQ(g_nCurrentModule, c.module);
    const std::vector<RecordedDialog> advice = {{IDD_ADVICE, host.Window()}};
    EXPECT_EQ(platform.dialogs, c.advised ? advice : std::vector<RecordedDialog>{});
    if (c.advised) {
      EXPECT_EQ(platform.PostedIds(), (std::vector<unsigned>{WM_RENDER_FRAME, kWmClose}));
    }
  }
}

}  // namespace
