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

// A host as the test describes it; its window is its own address and its
// surface goes on a pane of it.
class FakeHost : public FrameHost {
 public:
  bool fullScreen = true;
  bool saves = true;
  int pane = 0;
  int framesDrawn = 0;
  int closed = 0;

  WindowHandle Window() override { return this; }
  WindowHandle SurfaceWindow() override { return &pane; }
  bool IsSaverWindow() override { return true; }
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

  // Starts, then empties the queue so that the test queues what the drain meets.
  void Start() {
    StartFrameLoop(host);
    platform.queue.clear();
    platform.posted.clear();
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

// Modal dialogs opened from the drain run nested loops that may hand over a
// frame message; it does nothing, and the outer frame goes on.
TEST_F(FrameLoop, PendingInputIsHandledBeforeEachFrameAndANestedFrameMessageDoesNothing) {
  Start();
  Queue(kWmKeyDown, kVkNext);
  Queue(kWmKeyUp, kVkNext);
  Queue(kWmKeyDown, kVkF1);  // the control menu's loop
  Queue(kWmPaint);           // a dispatched message
  platform.onDialog = [&](int) { HandleFrameMessage(host); };
  platform.onDispatch = [&](const WindowMessage&) { HandleFrameMessage(host); };
  scene.scenesSucceed = false;  // a GL error
  HandleFrameMessage(host);

  EXPECT_EQ(g_fDepth, 189.0f);  // Page Down, once: the key-up does nothing
  EXPECT_EQ(platform.dialogs.size(), 1u);
  ASSERT_EQ(platform.dispatched.size(), 1u);  // keys are never dispatched
  EXPECT_EQ(platform.dispatched[0].message, kWmPaint);
  EXPECT_EQ(scene.Count("world"), 1);
  EXPECT_EQ(scene.framesPresented, 0) << "a failed scene is not shown";
  EXPECT_EQ(platform.PostedIds(), std::vector<unsigned>{WM_RENDER_FRAME}) << "the loop goes on";
}

// A close or a stop key met in the drain ends the loop: the close is posted
// once, nothing more is drawn, and the close handling runs once whatever
// arrives after it; it saves the view of the stop where the host saves (the
// saver window on its close, the settings dialog only on OK).
TEST_F(FrameLoop, AStopInTheDrainClosesOnceAndSavesOnceWhereTheHostSaves) {
  for (auto [stop, saves] : {std::pair{kWmClose, true}, {kWmKeyDown, true}, {kWmKeyDown, false}}) {
    SCOPED_TRACE(testing::Message() << stop << " saves " << saves);
    Reset();
    host.saves = saves;
    Start();
    g_fDepth = 189.0f;
    Queue(stop, kVkEscape);
    Queue(kWmKeyDown, kVkNext);  // behind the stop: not taken
    HandleFrameMessage(host);
    HandleFrameMessage(host);

    EXPECT_EQ(platform.PostedIds(), std::vector<unsigned>{kWmClose});
    EXPECT_EQ(host.framesDrawn, 0);
    Pump(5);
    g_fDepth = 10.0f;
    HandleCloseRequest(host);
    EndFrameLoop();
    EXPECT_EQ(scene.Count("world"), 0);
    EXPECT_EQ(scene.Count("destroy"), 1);
    EXPECT_EQ(host.closed, 1);
    EXPECT_EQ(registry.Setting("mod1 depth"), saves ? std::optional<uint32_t>(18900) : std::nullopt);
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

TEST_F(FrameLoop, AStopFromOutsideAFramePostsTheCloseItself) {
  Start();
  g_bInFrame = true;
  RequestStop(host);
  EXPECT_TRUE(platform.posted.empty()) << "the drain's end posts it";
  g_bInFrame = false;
  RequestStop(host);
  EXPECT_EQ(platform.PostedIds(), std::vector<unsigned>{kWmClose});
}

// A surface that cannot be made closes the run at once.  Below three frames a
// second a full-screen run advises and closes without drawing; elsewhere the
// loop falls back to the blank scene for good.
TEST_F(FrameLoop, ARunWithoutASurfaceOrTooSlowForItClosesOrDrawsBlank) {
  const struct { bool surfaceWorks, fullScreen; float rate; int world, blank; bool advised, closes; } cases[] = {
      {false, true, 33.0f, 0, 0, false, true}, {true, true, 2.9f, 0, 0, true, true},
      {true, true, 3.0f, 3, 0, false, false},  {true, false, 1.5f, 0, 3, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.surfaceWorks << c.fullScreen << " at " << c.rate);
    Reset();
    scene.surfaceWorks = c.surfaceWorks;
    host.fullScreen = c.fullScreen;
    scene.probedRateOk = false;
    scene.probedRate = c.rate;
    EXPECT_EQ(StartFrameLoop(host), c.surfaceWorks);
    Pump(3);

    EXPECT_EQ(scene.Count("world"), c.world);
    EXPECT_EQ(scene.Count("blank"), c.blank);
    const std::vector<RecordedDialog> advice = {{IDD_ADVICE, host.Window()}};
    EXPECT_EQ(platform.dialogs, c.advised ? advice : std::vector<RecordedDialog>());
    EXPECT_EQ(scene.Count("destroy"), c.closes);
    EXPECT_EQ(host.closed, c.closes);
    ASSERT_FALSE(platform.posted.empty());
    EXPECT_EQ(platform.PostedIds().back(), c.closes ? kWmClose : WM_RENDER_FRAME);
  }
}

}  // namespace
