#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <atomic>
#include <string>
#include <vector>
#include "components/Animate.h"
#include "support/ProcessCounts.h"
#include "tests/TestSupport.h"
#include "tests/components/ComponentsSupport.h"
#include "tests/components/TraySupport.h"

namespace {

const COLORREF kFrameColours[] = {kRed, kGreen, kBlue, kYellow};

// Frames of one solid colour each (red, green, blue, yellow), with the strip's bottom-left pixel
// magenta so that it is the transparent colour.
gdi::Bitmap SolidFrames(int frames, int fw, int fh) {
  int w = frames * fw;
  return MakeStrip(w, fh, [=](int x, int y) { return x == 0 && y == fh - 1 ? kMagenta : kFrameColours[(x / fw) % 4]; });
}

struct Image {
  Host host;
  TAnimatedImage* img;
  int changed = 0, started = 0, stopped = 0;
  explicit Image(bool checker = false) : host(checker) {
    img = new TAnimatedImage(host.form, host.panel);
    img->OnFrameChanged = [this](TObject*) { ++changed; };
    img->OnStart = [this](TObject*) { ++started; };
    img->OnStop = [this](TObject*) { ++stopped; };
  }
  void Tick() { img->Timer()->Tick(); }
};

// ---- the strip --------------------------------------------------------------------------------

TEST(AnimatedImageStrip, FrameCountAndSizeComeFromTheStripsProportions) {
  Image t;
  EXPECT_EQ(t.img->Width(), 105) << "the size before any picture";
  t.img->SetGlyph(SolidFrames(2, 32, 32));
  EXPECT_EQ(t.img->NumGlyphs(), 2);
  EXPECT_EQ(t.img->FrameWidth(), 32);
  EXPECT_EQ(t.img->FrameHeight(), 32);
  EXPECT_EQ(t.img->Width(), 32) << "automatic size";
  EXPECT_EQ(t.img->Height(), 32);
  EXPECT_EQ(t.img->TransparentColor(), kMagenta) << "the strip's bottom-left pixel";

  t.img->SetGlyph(MakeStrip(64, 30, [](int, int) { return kRed; }));
  EXPECT_EQ(t.img->NumGlyphs(), 1) << "64 x 30 is no whole multiple";
  EXPECT_EQ(t.img->FrameWidth(), 64);
  EXPECT_EQ(t.img->FrameHeight(), 30);
  EXPECT_EQ(t.img->Width(), 64);
  EXPECT_EQ(t.img->TransparentColor(), kRed);

  t.img->SetGlyph(MakeStrip(16, 48, [](int, int) { return kBlue; }));
  EXPECT_EQ(t.img->NumGlyphs(), 1) << "horizontal: taller than wide";
  t.img->SetOrientation(goVertical);
  EXPECT_EQ(t.img->NumGlyphs(), 3);
  EXPECT_EQ(t.img->FrameWidth(), 16);
  EXPECT_EQ(t.img->FrameHeight(), 16);

  t.img->SetGlyph(nullptr);
  EXPECT_EQ(t.img->NumGlyphs(), 1);
  EXPECT_EQ(t.img->FrameWidth(), 0);
  EXPECT_EQ(t.img->Width(), 16) << "an empty strip leaves the size alone";
}

TEST(AnimatedImageStrip, TransparentColourOfMonochromeAndFixedColourStrips) {
  Image t;
  BYTE bits[8] = {};
  HBITMAP mono = CreateBitmap(8, 4, 1, 1, bits);
  t.img->SetGlyph(mono);
  DeleteObject(mono);
  EXPECT_TRUE(t.img->Glyph().Monochrome());
  EXPECT_EQ(t.img->TransparentColor(), RGB(255, 255, 255));
  EXPECT_EQ(t.img->NumGlyphs(), 2);

  t.img->SetGlyph(SolidFrames(2, 8, 8));
  t.img->Glyph().SetFixedTransparentColor(kGreen);
  EXPECT_EQ(t.img->TransparentColor(), kGreen) << "a colour set on the bitmap wins";
}

TEST(AnimatedImageStrip, NumGlyphsFromTheDescriptionReplacesTheDerivedCount) {
  Image t;
  t.img->SetGlyph(MakeStrip(96, 20, [](int x, int) { return kFrameColours[x / 32]; }));
  EXPECT_EQ(t.img->NumGlyphs(), 1);
  t.img->SetNumGlyphs(3);
  EXPECT_EQ(t.img->FrameWidth(), 32);
  EXPECT_EQ(t.img->FrameHeight(), 20);
  EXPECT_EQ(t.changed, 1);
  t.img->SetNumGlyphs(0);
  EXPECT_EQ(t.img->NumGlyphs(), 1) << "a strip has at least one frame";
  EXPECT_EQ(t.img->FrameWidth(), 96);
}

// ---- frame rules ------------------------------------------------------------------------------

TEST(AnimatedImageFrames, GlyphNumOutsideTheFramesChangesNothing) {
  Image t;
  t.img->SetGlyph(SolidFrames(2, 32, 32));
  t.img->SetGlyphNum(1);
  EXPECT_EQ(t.img->GlyphNum(), 1);
  EXPECT_EQ(t.changed, 1);
  t.img->SetGlyphNum(2);
  t.img->SetGlyphNum(-1);
  t.img->SetGlyphNum(1);
  EXPECT_EQ(t.img->GlyphNum(), 1);
  EXPECT_EQ(t.changed, 1) << "ignored writes fire nothing";
}

TEST(AnimatedImageFrames, FirstActivationOnFrame1StepsTo0Then1) {
  Image t;
  t.img->SetGlyph(SolidFrames(2, 32, 32));
  t.img->SetGlyphNum(1);
  t.img->SetActive(true);
  EXPECT_TRUE(t.img->Active());
  EXPECT_TRUE(t.img->Timer()->Enabled());
  EXPECT_EQ(t.started, 1);
  EXPECT_EQ(t.img->GlyphNum(), 1) << "activation does not change the frame";
  t.Tick();
  EXPECT_EQ(t.img->GlyphNum(), 0);
  t.Tick();
  EXPECT_EQ(t.img->GlyphNum(), 1);
  t.img->SetActive(true);
  EXPECT_EQ(t.started, 1) << "activating again does nothing";

  t.img->SetActive(false);
  EXPECT_FALSE(t.img->Timer()->Enabled());
  EXPECT_EQ(t.stopped, 1);
  EXPECT_EQ(t.img->GlyphNum(), 1) << "without InactiveGlyph the frame stays";
  t.Tick();
  EXPECT_EQ(t.img->GlyphNum(), 1) << "an inactive image does not step";
}

TEST(AnimatedImageFrames, InactiveGlyphIsSkippedWhileActiveAndShownWhenStopped) {
  Image t;
  t.img->SetGlyph(SolidFrames(3, 16, 16));
  t.img->SetInactiveGlyph(1);
  EXPECT_EQ(t.img->GlyphNum(), 1);
  EXPECT_EQ(t.img->ShownFrame(), 1);
  t.img->SetActive(true);
  std::vector<int> seen;
  for (int i = 0; i < 5; ++i) {
    t.Tick();
    seen.push_back(t.img->ShownFrame());
  }
  EXPECT_EQ(seen, (std::vector<int>{2, 0, 2, 0, 2}));
  t.img->SetActive(false);
  EXPECT_EQ(t.img->ShownFrame(), 1);
  EXPECT_EQ(t.img->GlyphNum(), 1);
  t.img->SetGlyphNum(2);
  EXPECT_EQ(t.img->GlyphNum(), 1) << "while inactive the inactive frame wins";
}

TEST(AnimatedImageFrames, InactiveGlyphRules) {
  Image t;
  t.img->SetGlyph(SolidFrames(3, 16, 16));
  t.img->SetInactiveGlyph(3);
  EXPECT_EQ(t.img->InactiveGlyph(), -1) << "at or above NumGlyphs: ignored";
  t.img->SetInactiveGlyph(-7);
  EXPECT_EQ(t.img->InactiveGlyph(), -1);
  t.img->SetInactiveGlyph(2);
  EXPECT_EQ(t.img->GlyphNum(), 2);
  t.img->SetNumGlyphs(2);
  EXPECT_EQ(t.img->InactiveGlyph(), -1) << "a count that no longer holds it drops it";
  EXPECT_EQ(t.img->GlyphNum(), 0);

  Image loading;
  loading.img->BeginLoading();
  loading.img->SetInactiveGlyph(2);  // stored before the count that allows it, as a description may
  loading.img->SetActive(true);
  EXPECT_EQ(loading.started, 0) << "no start event while loading";
  loading.img->SetActive(false);
  loading.img->SetGlyph(SolidFrames(3, 16, 16));
  EXPECT_EQ(loading.img->Width(), 105) << "no automatic size while loading";
  loading.img->SetInactiveGlyph(2);
  loading.img->Loaded();
  EXPECT_EQ(loading.img->InactiveGlyph(), 2);
  EXPECT_EQ(loading.img->GlyphNum(), 2);
  EXPECT_EQ(loading.img->Width(), 16);
}

TEST(AnimatedImageFrames, InvisibleOrSingleFrameImagesDoNotStep) {
  Image t;
  t.img->SetGlyph(SolidFrames(2, 8, 8));
  t.img->SetActive(true);
  t.img->SetVisible(false);
  t.Tick();
  t.Tick();
  t.Tick();
  EXPECT_EQ(t.img->GlyphNum(), 0);
  EXPECT_EQ(t.changed, 0);
  t.img->SetVisible(true);
  t.Tick();
  EXPECT_EQ(t.img->GlyphNum(), 1);

  Image single;
  single.img->SetGlyph(MakeStrip(64, 30, [](int, int) { return kRed; }));
  single.img->SetActive(true);
  single.Tick();
  EXPECT_EQ(single.img->GlyphNum(), 0);
  EXPECT_EQ(single.changed, 0);
}

TEST(AnimatedImageFrames, IntervalIsTheTimers) {
  Image t;
  EXPECT_EQ(t.img->Interval(), 100u);
  EXPECT_FALSE(t.img->Timer()->Enabled());
  t.img->SetInterval(500);
  EXPECT_EQ(t.img->Timer()->Interval(), 500u);
  t.img->SetAsyncDrawing(true);
  EXPECT_TRUE(t.img->AsyncDrawing());
  EXPECT_TRUE(t.img->Timer()->Threaded());
}

TEST(AnimatedImageFrames, AHandlerMayDestroyTheImage) {
  Image t;
  t.img->SetGlyph(SolidFrames(2, 8, 8));
  t.img->SetActive(true);
  t.img->OnFrameChanged = [&t](TObject*) {
    delete t.img;
    t.img = nullptr;
  };
  TThreadTimer* timer = t.img->Timer();
  timer->Tick();  // steps, fires, and the image (with this timer) is gone
  EXPECT_EQ(t.img, nullptr);
}

// ---- painting ---------------------------------------------------------------------------------

// The image painted on its own into a DIB of its size.
COLORREF PaintedPixel(TAnimatedImage* img, gdi::Dib& dib, int x, int y) {
  img->PaintTo(dib.DC());
  return dib.Pixel(x, y);
}

TEST(AnimatedImagePaint, CenterPlacesAnUnstretchedFrame) {
  Image t;
  t.img->SetAutoSize(false);
  t.img->SetStretch(false);
  t.img->SetCenter(true);
  t.img->SetOpaque(true);
  t.img->SetColor(kBlue);
  t.img->SetGlyph(MakeStrip(64, 32, [](int x, int y) { return x == 0 && y == 31 ? kMagenta : (x < 32 ? kRed : kGreen); }));
  t.img->SetBounds(0, 0, 40, 40);
  {
    gdi::Dib dib(40, 40);
    t.img->PaintTo(dib.DC());
    EXPECT_EQ(dib.Pixel(3, 3), kBlue);
    EXPECT_EQ(dib.Pixel(4, 5), kRed) << "the frame starts at (4, 4)";
    EXPECT_EQ(dib.Pixel(5, 4), kRed);
    EXPECT_EQ(dib.Pixel(35, 35), kRed);
    EXPECT_EQ(dib.Pixel(36, 36), kBlue);
    EXPECT_EQ(dib.Pixel(4, 35), kBlue) << "the magenta corner is transparent";
  }
  t.img->SetBounds(0, 0, 31, 31);
  {
    gdi::Dib dib(31, 31);
    t.img->PaintTo(dib.DC());
    EXPECT_EQ(dib.Pixel(0, 1), kRed) << "a frame larger than the control starts at (0, 0)";
    EXPECT_EQ(dib.Pixel(30, 30), kRed);
  }
  t.img->SetGlyphNum(1);
  {
    gdi::Dib dib(31, 31);
    EXPECT_EQ(PaintedPixel(t.img, dib, 15, 15), kGreen) << "frame 1 comes from the strip's second half";
  }
}

// A 32 x 32 frame centred on a 31 x 31 control: each half of -1 truncates toward zero, so the
// frame's own left column and top row show at the control's edges and its right and bottom ones
// are cut off.
TEST(AnimatedImagePaint, ACentredFrameOnAnOddSmallerControlShowsItsTopLeftEdges) {
  Image t;
  t.img->SetAutoSize(false);
  t.img->SetStretch(false);
  t.img->SetCenter(true);
  t.img->SetOpaque(true);
  t.img->SetColor(kMagenta);
  t.img->SetGlyph(MakeStrip(64, 32, [](int x, int y) {
    if (x == 0 && y == 31) return kMagenta;  // the transparent key
    if (x % 32 == 0) return kGreen;          // left edge
    if (y == 0) return kBlue;                // top edge
    return kRed;
  }));
  t.img->SetBounds(0, 0, 31, 31);
  gdi::Dib dib(31, 31);
  t.img->PaintTo(dib.DC());
  EXPECT_EQ(dib.Pixel(0, 5), kGreen) << "the frame's left column at x 0";
  EXPECT_EQ(dib.Pixel(5, 0), kBlue) << "its top row at y 0";
  EXPECT_EQ(dib.Pixel(30, 30), kRed) << "its last column and row fall outside";
  EXPECT_EQ(dib.Pixel(30, 5), kRed);
}

TEST(AnimatedImagePaint, StretchFillsTheControl) {
  Image t;
  t.img->SetAutoSize(false);
  t.img->SetGlyph(SolidFrames(2, 8, 8));
  t.img->SetTransparentColor(TImageControl::clNone);
  t.img->SetBounds(0, 0, 30, 20);
  gdi::Dib dib(30, 20);
  t.img->PaintTo(dib.DC());
  EXPECT_EQ(dib.Pixel(29, 0), kRed);
  EXPECT_EQ(dib.Pixel(10, 10), kRed);
  EXPECT_EQ(dib.Pixel(0, 19), kMagenta) << "no transparent colour: magenta is drawn as it is";
}

TEST(AnimatedImagePaint, MagentaShowsTheParentAndTheControlsBeneath) {
  Image t(true);
  // A red square on magenta at (10, 10).
  t.img->SetGlyph(MakeStrip(32, 32, [](int x, int y) { return x >= 8 && x < 24 && y >= 8 && y < 24 ? kRed : kMagenta; }));
  t.img->SetBounds(10, 10, 32, 32);
  gdi::Dib dib(200, 120);
  SendMessageA(t.host.panel->Handle(), WM_PRINTCLIENT, (WPARAM)dib.DC(), PRF_CLIENT);
  EXPECT_EQ(dib.Pixel(12, 12), TCheckerPanel::At(12, 12));
  EXPECT_EQ(dib.Pixel(15, 16), TCheckerPanel::At(15, 16));
  EXPECT_EQ(dib.Pixel(41, 41), TCheckerPanel::At(41, 41));
  EXPECT_EQ(dib.Pixel(18, 18), kRed);
  EXPECT_EQ(dib.Pixel(33, 33), kRed);

  // A control created earlier that lies beneath shows through as well, also one larger than the
  // image, painted while the image's own paint is under way.
  Image under(true);
  under.img->SetVisible(false);
  auto* box = new TAnimatedImage(under.host.form, under.host.panel);
  box->SetGlyph(MakeStrip(150, 110, [](int, int) { return kBlue; }));
  box->SetTransparentColor(TImageControl::clNone);
  box->SetBounds(0, 0, 150, 110);
  auto* top = new TAnimatedImage(under.host.form, under.host.panel);
  top->SetGlyph(MakeStrip(32, 32, [](int x, int y) { return x >= 8 && x < 24 && y >= 8 && y < 24 ? kRed : kMagenta; }));
  top->SetBounds(10, 10, 32, 32);
  gdi::Dib dib2(200, 120);
  SendMessageA(under.host.panel->Handle(), WM_PRINTCLIENT, (WPARAM)dib2.DC(), PRF_CLIENT);
  EXPECT_EQ(dib2.Pixel(12, 12), kBlue) << "the earlier control beneath";
  EXPECT_EQ(dib2.Pixel(40, 40), kBlue);
  EXPECT_EQ(dib2.Pixel(170, 12), TCheckerPanel::At(170, 12)) << "beside it, the parent";
  EXPECT_EQ(dib2.Pixel(20, 20), kRed);

  // Opaque: the image's own colour instead of what lies beneath.
  top->SetOpaque(true);
  top->SetColor(kGreen);
  SendMessageA(under.host.panel->Handle(), WM_PRINTCLIENT, (WPARAM)dib2.DC(), PRF_CLIENT);
  EXPECT_EQ(dib2.Pixel(12, 12), kGreen);
  EXPECT_EQ(dib2.Pixel(40, 12), kGreen);
  EXPECT_EQ(dib2.Pixel(20, 20), kRed);
}

TEST(AnimatedImagePaint, PaintingAndSteppingLeaveNoGdiObjectBehind) {
  Image t(true);
  t.host.form->Show();
  t.img->SetGlyph(SolidFrames(2, 32, 32));
  t.img->SetActive(true);
  gdi::Dib dib(200, 120);
  SendMessageA(t.host.panel->Handle(), WM_PRINTCLIENT, (WPARAM)dib.DC(), PRF_CLIENT);  // the kept buffer made
  int live = gdi::LiveObjects();
  for (int i = 0; i < 200; ++i) {
    t.Tick();
    SendMessageA(t.host.panel->Handle(), WM_PRINTCLIENT, (WPARAM)dib.DC(), PRF_CLIENT);
    RedrawWindow(t.host.panel->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
  EXPECT_EQ(gdi::LiveObjects(), live);
  t.img->SetActive(false);
}

TEST(AnimatedImagePaint, ImagesGoWithoutLeavingGdiObjects) {
  int live = gdi::LiveObjects();
  {
    Image t;
    t.img->SetGlyph(SolidFrames(2, 32, 32));
    t.img->SetActive(true);
  }
  EXPECT_EQ(gdi::LiveObjects(), live);
}

// ---- the timer --------------------------------------------------------------------------------
// The image's timer is the framework's one ticker in its threaded form; its window form is
// tried beside it where the two share a path.

struct Ticks {
  std::atomic<int> count{0};
  std::atomic<DWORD> thread{0};
};

// The hidden window every timer of the process ticks through, or nullptr.
HWND TickWindow() { return FindWindowExA(HWND_MESSAGE, nullptr, "TTimerWindow", nullptr); }

TEST(ThreadTimer, TicksRunOnTheUserInterfaceThreadThroughOneWindow) {
  for (bool threaded : {true, false}) {
    SCOPED_TRACE(threaded ? "threaded" : "window timer");
    Ticks ticks;
    auto* other = new TTimer(nullptr, !threaded);
    HWND window = TickWindow();
    ASSERT_NE(window, nullptr);
    auto* timer = new TTimer(nullptr, threaded, false);
    EXPECT_EQ(TickWindow(), window) << "one window for every timer";
    timer->SetInterval(1);
    timer->OnTimer = [&](TObject* s) {
      EXPECT_EQ(s, timer);
      ticks.thread = GetCurrentThreadId();
      ++ticks.count;
    };
    timer->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks.count >= 3; }));
    EXPECT_EQ(ticks.thread, GetCurrentThreadId());
    delete other;
    delete timer;
    TTimer again(nullptr, threaded);
    EXPECT_EQ(TickWindow(), window) << "kept for the next timer";
  }
}

TEST(ThreadTimer, NoTicksWhileDisabledOrWithoutInterval) {
  Ticks ticks;
  TThreadTimer timer(nullptr);
  EXPECT_FALSE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 100u) << "the image's timer is made disabled, at 100 ms";
  timer.SetInterval(1);
  timer.OnTimer = [&](TObject*) { ++ticks.count; };
  PumpAWhile();
  EXPECT_EQ(ticks.count, 0);
  timer.Tick();
  EXPECT_EQ(ticks.count, 0) << "Tick fires only while enabled";
  const int threads = ProcessThreads();
  timer.SetEnabled(true);
  timer.SetInterval(0);
  EXPECT_LE(ProcessThreads(), threads) << "no thread sleeps for a timer of interval 0";
  PumpAWhile();
  EXPECT_EQ(ticks.count, 0);
  timer.SetInterval(1);
  ASSERT_TRUE(PumpUntil([&] { return ticks.count >= 1; }));
}

TEST(ThreadTimer, DisabledOrDestroyedFromItsOwnTick) {
  for (bool threaded : {true, false}) {
    SCOPED_TRACE(threaded ? "threaded" : "window timer");
    Ticks ticks;
    {
      TTimer timer(nullptr, threaded);
      timer.SetInterval(1);
      timer.OnTimer = [&](TObject*) {
        if (++ticks.count == 3) timer.SetEnabled(false);
      };
      ASSERT_TRUE(PumpUntil([&] { return ticks.count >= 3; }));
      PumpAWhile();
      EXPECT_EQ(ticks.count, 3);
      timer.SetEnabled(true);
      ASSERT_TRUE(PumpUntil([&] { return ticks.count >= 5; })) << "enabled again, it ticks again";
    }
    ticks.count = 0;
    auto* timer = new TTimer(nullptr, threaded);
    timer->SetInterval(1);
    timer->OnTimer = [&](TObject*) {
      ++ticks.count;
      delete timer;
      timer = nullptr;
    };
    ASSERT_TRUE(PumpUntil([&] { return timer == nullptr; }));
    PumpAWhile();
    EXPECT_EQ(ticks.count, 1);
  }
}

TEST(ThreadTimer, HasAThreadOnlyWhileItRunsThreaded) {
  int idle = ProcessThreads();
  Ticks ticks;
  TThreadTimer timer(nullptr);
  EXPECT_EQ(ProcessThreads(), idle) << "a timer that does not run keeps no thread";
  timer.SetInterval(1);
  timer.OnTimer = [&](TObject*) { ++ticks.count; };
  timer.SetEnabled(true);
  EXPECT_EQ(ProcessThreads(), idle + 1);
  ASSERT_TRUE(PumpUntil([&] { return ticks.count >= 1; }));
  timer.SetInterval(2);
  EXPECT_EQ(ProcessThreads(), idle + 1) << "a new interval keeps the thread";
  timer.SetEnabled(false);
  EXPECT_EQ(ProcessThreads(), idle) << "stopped, its thread is gone";
  TTimer windowTimer(nullptr);
  windowTimer.SetInterval(1);
  windowTimer.OnTimer = [&](TObject*) { ++ticks.count; };
  EXPECT_EQ(ProcessThreads(), idle) << "the window timer needs no thread";
  ASSERT_TRUE(PumpUntil([&] { return ticks.count >= 2; }));
}

TEST(ThreadTimer, DestroyedWhileItsThreadWaitsForTheUserInterface) {
  Application->ProcessMessages();
  Ticks ticks;
  auto* timer = new TThreadTimer(nullptr);
  timer->OnTimer = [&](TObject*) { ++ticks.count; };
  timer->SetInterval(1);
  timer->SetEnabled(true);
  // Handle nothing until the thread has handed over a tick and waits for it.
  for (int i = 0; i < 100000 && !(HIWORD(GetQueueStatus(QS_POSTMESSAGE)) & QS_POSTMESSAGE); ++i) Sleep(1);
  ASSERT_TRUE(HIWORD(GetQueueStatus(QS_POSTMESSAGE)) & QS_POSTMESSAGE);
  delete timer;  // returns: the thread's wait ends with the stop
  PumpAWhile();
  EXPECT_EQ(ticks.count, 0) << "the tick handed over to a destroyed timer is dropped";
}

TEST(ThreadTimer, AnExceptionInATickGoesToTheErrorBoxAndTheTimerGoesOn) {
  for (bool threaded : {true, false}) {
    SCOPED_TRACE(threaded ? "threaded" : "window timer");
    ShownErrors().clear();
    Ticks ticks;
    TTimer timer(nullptr, threaded);
    timer.SetInterval(1);
    timer.OnTimer = [&](TObject*) {
      if (++ticks.count == 1) throw Exception("Tick failed");
    };
    ASSERT_TRUE(PumpUntil([&] { return ticks.count >= 2; }));
    ASSERT_EQ(ShownErrors().size(), 1u);
    EXPECT_EQ(ShownErrors()[0], "Tick failed");
  }
}

TEST(ThreadTimer, TicksDoNotPileUpWhileTheUserInterfaceIsBusy) {
  Application->ProcessMessages();
  Ticks ticks;
  auto* timer = new TThreadTimer(nullptr);
  timer->OnTimer = [&](TObject*) { ++ticks.count; };
  timer->SetInterval(1);
  timer->SetEnabled(true);
  HWND own = TickWindow();
  ASSERT_NE(own, nullptr);
  Sleep(100);  // busy: some hundred intervals go by without a message handled
  int queued = 0;
  MSG msg;
  while (PeekMessageA(&msg, own, 0, 0, PM_REMOVE)) ++queued;
  EXPECT_EQ(queued, 1) << "the thread waits for its tick to be run before it hands over the next";
  delete timer;  // the thread still waits for the tick taken away above: the stop ends that
  EXPECT_EQ(ticks.count, 0);
}

}  // namespace
