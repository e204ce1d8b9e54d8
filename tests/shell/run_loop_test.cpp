#include "shell/run_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "shell/run_state.h"
#include "tests/shell/fake_scene.h"
#include "tests/support/fake_platform.h"
#include "tests/support/memory_registry.h"
#include "tests/view/view_state.h"
#include "view/virtual_keys.h"

namespace {

constexpr unsigned kWmMouseMove = 0x0200;
constexpr int kDesktopWidth = 1280;
constexpr uint32_t kStartTick = 5000000;
WindowHandle const kWindow = reinterpret_cast<WindowHandle>(0x100);

class RunLoop : public testing::Test {
 protected:
  RunLoop() { Reset(); }

  void Reset() {
    platform = FakePlatform();
    scene.calls.clear();
    ResetSaverState();
    g_hSaverWindow = kWindow;
    platform.now = kStartTick;
    platform.desktopWidth = kDesktopWidth;
    platform.clientWidths[kWindow] = kDesktopWidth;
  }

  // Runs the window's own message loop as the system would: frame messages
  // to the frame handling, closes to the close handling, until the queue is
  // empty or `limit` messages have been handled.
  void PumpMessages(int limit) {
    WindowMessage message;
    for (int i = 0; i < limit && platform.TakeWindowMessage(kWindow, &message); ++i) {
      if (message.message == WM_RENDER_FRAME) HandleRenderFrame(kWindow);
      if (message.message == kWmClose) HandleSaverClose();
    }
  }

  FakePlatform platform;
  ScopedPlatform scopedPlatform{platform};
  FakeScene scene;
  ScopedScene scopedScene{scene};
  MemoryRegistry registry;
  ScopedRegistryBackend scopedRegistry{registry};
};

TEST_F(RunLoop, StartLoadsSettingsMakesTheSurfaceProbesAndPostsTheFirstFrame) {
  registry.PutSetting("mod1 depth", 15000);
  BeginSaverRun(kWindow);

  EXPECT_EQ(g_fDepth, 150.0f);
  EXPECT_EQ(scene.calls, (std::vector<std::string>{"create 32", "probe"}));
  EXPECT_EQ(platform.PostedIds(), (std::vector<unsigned>{WM_RENDER_FRAME}));

  // Each frame raises the saver window and posts the next to it.
  PumpMessages(1);
  EXPECT_EQ(platform.raised, (std::vector<WindowHandle>{kWindow}));
  EXPECT_EQ(platform.PostedIds(), (std::vector<unsigned>{WM_RENDER_FRAME, WM_RENDER_FRAME}));
  EXPECT_EQ(platform.posted[1].window, kWindow);
}

TEST_F(RunLoop, ASurfaceThatCannotBeMadeClosesTheWindowAndStillSavesOnce) {
  scene.surfaceWorks = false;
  BeginSaverRun(kWindow);
  EXPECT_EQ(scene.calls, (std::vector<std::string>{"create 32"}));
  EXPECT_EQ(platform.PostedIds(), (std::vector<unsigned>{kWmClose}));

  PumpMessages(10);
  EXPECT_EQ(scene.Count("destroy"), 1);
  EXPECT_EQ(registry.Setting("mod1 depth"), 19200);
}

TEST_F(RunLoop, FramesStartAtLeastThirtyMillisecondsApart) {
  // The start tick of the previous frame, when the next is asked for, the sleeps.
  struct Case { const char* name; uint32_t lastFrame, now; std::vector<uint32_t> sleeps; } cases[] = {
      {"first frame, measured against tick 0", 0, kStartTick, {}},
      {"a 10 ms frame", kStartTick, kStartTick + 10, {20}},
      {"a 29 ms frame", kStartTick, kStartTick + 29, {1}},
      {"a 30 ms frame", kStartTick, kStartTick + 30, {}},
      {"no time at all", kStartTick, kStartTick, {30}},
      {"across the clock's wrap", 0xFFFFFFF8u, 2u, {20}},
      {"a clock that went back 5 ms", kStartTick, kStartTick - 5, {25}},
  };
  for (const Case& c : cases) {
    platform.sleeps.clear();
    g_dwLastFrame = c.lastFrame;
    platform.now = c.now;
    RenderFrame(kWindow);
    EXPECT_EQ(platform.sleeps, c.sleeps) << c.name;
    EXPECT_EQ(g_dwLastFrame, platform.now) << c.name;
  }
}

// Which scene each module draws is seen in the slow-machine cases below.
TEST_F(RunLoop, AFrameWhoseSceneFailsIsNotShownAndTheLoopGoesOn) {
  BeginSaverRun(kWindow);
  scene.scenesSucceed = false;  // a GL error
  PumpMessages(2);
  EXPECT_EQ(scene.Count("world"), 2);
  EXPECT_EQ(platform.framesPresented, 0);
}

TEST_F(RunLoop, ThePendingInputOfTheWindowIsHandledBeforeEachFrame) {
  BeginSaverRun(kWindow);
  platform.queue.clear();
  platform.Queue(kWindow, kWmKeyDown, kVkNext);
  platform.Queue(kWindow, kWmKeyUp, kVkNext);
  platform.Queue(kWindow, kWmMouseMove);
  platform.Queue(kWindow, kWmPaint);
  HandleRenderFrame(kWindow);

  EXPECT_EQ(g_fDepth, 189.0f);  // Page Down, once: the key-up does nothing
  ASSERT_EQ(platform.dispatched.size(), 2u);  // keys are never dispatched
  EXPECT_EQ(platform.dispatched[0].message, kWmMouseMove);
  EXPECT_EQ(platform.dispatched[1].message, kWmPaint);
  EXPECT_EQ(platform.queue.back().message, WM_RENDER_FRAME);
  EXPECT_EQ(scene.Count("world"), 1);
}

TEST_F(RunLoop, APendingCloseIsTakenByTheDrainAndPostedExactlyOnce) {
  BeginSaverRun(kWindow);
  platform.queue.clear();
  platform.posted.clear();
  platform.Queue(kWindow, kWmClose);
  platform.Queue(kWindow, kWmPaint);  // behind the close: the drain stops at the stop request
  HandleRenderFrame(kWindow);

  EXPECT_TRUE(g_bStop);
  EXPECT_TRUE(platform.dispatched.empty());
  EXPECT_EQ(platform.PostedIds(), (std::vector<unsigned>{kWmClose}));
  EXPECT_EQ(scene.Count("world"), 0);
  EXPECT_TRUE(platform.raised.empty());

  // Nothing more is drawn or posted once stopping, however often asked.
  HandleRenderFrame(kWindow);
  EXPECT_EQ(platform.PostedIds(), (std::vector<unsigned>{kWmClose}));
  EXPECT_EQ(scene.Count("world"), 0);
}

TEST_F(RunLoop, TwoClosesReleaseTheSurfaceAndSaveOnce) {
  BeginSaverRun(kWindow);
  g_fDepth = 189.0f;
  HandleSaverClose();
  EXPECT_TRUE(g_bStop);
  EXPECT_EQ(registry.Setting("mod1 depth"), 18900);

  g_fDepth = 10.0f;
  HandleSaverClose();
  EndSaverRun();  // the window then goes: nothing is released a second time
  EXPECT_EQ(scene.Count("destroy"), 1);
  EXPECT_EQ(registry.Setting("mod1 depth"), 18900);
}

TEST_F(RunLoop, AWindowDestroyedWithoutACloseReleasesTheSurfaceAndSavesNothing) {
  platform.clientWidths[kWindow] = 152;  // the preview, whose parent went away
  BeginSaverRun(kWindow);
  PumpMessages(2);
  EndSaverRun();
  EXPECT_EQ(scene.Count("destroy"), 1);
  EXPECT_FALSE(registry.Setting("mod1 depth").has_value());
  HandleRenderFrame(kWindow);
  EXPECT_EQ(scene.Count("world"), 2) << "no frame after the end";

  // Nor does a late close save or release anything.
  HandleSaverClose();
  EXPECT_FALSE(registry.Setting("mod1 depth").has_value());
  EXPECT_EQ(scene.Count("destroy"), 1);
}

TEST_F(RunLoop, AFrameMessageDispatchedFromInsideTheDrainDoesNothing) {
  BeginSaverRun(kWindow);
  platform.queue.clear();
  platform.Queue(kWindow, kWmPaint);
  int nested = 0;
  platform.onDispatch = [&](const WindowMessage&) {
    ++nested;
    HandleRenderFrame(kWindow);
  };
  HandleRenderFrame(kWindow);
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(scene.Count("world"), 1);
  EXPECT_EQ(platform.raised.size(), 1u);
}

// Below three frames a second the full-screen saver advises and closes without
// drawing, and the preview falls back to the blank scene for good.  Only a
// window as wide as the desktop is the full-screen saver.
TEST_F(RunLoop, ASlowMachineIsJudgedByItsProbedRate) {
  const struct { int width; float rate; bool advised; int world, blank, module; } cases[] = {
      {kDesktopWidth, 2.9f, true, 0, 0, 1},
      {kDesktopWidth, 3.0f, false, 3, 0, 1},
      {kDesktopWidth - 1, 1.5f, false, 0, 3, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " wide at " << c.rate);
    Reset();
    platform.clientWidths[kWindow] = c.width;
    scene.probedRateOk = false;
    scene.probedRate = c.rate;
    BeginSaverRun(kWindow);
    PumpMessages(c.advised ? 10 : 3);

    EXPECT_EQ(scene.Count("world"), c.world);
    EXPECT_EQ(scene.Count("blank"), c.blank);
    EXPECT_EQ(platform.framesPresented, c.world + c.blank);
    EXPECT_EQ(g_nCurrentModule, c.module);
    if (!c.advised) {
      EXPECT_TRUE(platform.dialogs.empty());
      continue;
    }
    EXPECT_EQ(platform.dialogs, (std::vector<RecordedDialog>{{IDD_ADVICE, kWindow}}));
    EXPECT_EQ(platform.PostedIds(), (std::vector<unsigned>{WM_RENDER_FRAME, kWmClose}));
    EXPECT_EQ(scene.Count("destroy"), 1);
  }
}

}  // namespace
