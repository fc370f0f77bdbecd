#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <memory>
#include <set>
#include <tuple>
#include <vector>
#include "app/Commands.h"
#include "app/URam.h"
#include "framework/Application.h"
#include "tests/app/AppWindow.h"
#include "tests/TestRegistry.h"
#include "tests/components/TraySupport.h"
#include "tests/TestSupport.h"

namespace {

const uint64_t MB = 1048576;

// Memory whose available figure drops by 1 KB at every sample.
struct TDrainingMemory : TFakeMemory {
  TMemoryStatus Status() override {
    TMemoryStatus s = TFakeMemory::Status();
    Avail -= 1024;
    return s;
  }
};

// The main window on fake memory, with the beep counted. Its own window timer is pushed out of
// reach so that only the ticks a test drives happen.
template <class Memory = TFakeMemory>
struct Monitor : TAppWindow<Memory> {
  using TAppWindow<Memory>::f;
  std::vector<int> beeps;  // blocks committed when each beep sounded

  explicit Monitor(uint64_t total = 16 * MB, uint64_t avail = 8 * MB) : TAppWindow<Memory>("Monitor", total, avail) {
    this->OnBeep = [this] { beeps.push_back(this->mem.Committed()); };
    this->f->Timer->SetInterval(0x7FFFFFFF);
  }
  void Tick(int n = 1) {
    for (int i = 0; i < n; ++i) f->TimerTimer(f->Timer);
  }
  void Threshold(int mb) { f->soglia->SetValue(mb); }
  void Action(int i) { f->rgAllarme->SetItemIndex(i); }
  void BeepOn(bool on) { f->Beep1->SetChecked(on); }
};

// ---- start-up ---------------------------------------------------------------------------------

TEST(MonitorChart, PrimedWith201PointsOfMemoryInUse) {
  Monitor<> m(512 * MB, 256 * MB);
  TFastLineSeries* s = m.f->Series20;
  EXPECT_DOUBLE_EQ(m.f->Chart1->LeftAxis().Maximum(), 512.0 * 1024) << "total KB";
  EXPECT_DOUBLE_EQ(m.f->Chart1->LeftAxis().Minimum(), 0);
  EXPECT_FALSE(m.f->Chart1->LeftAxis().Automatic());
  EXPECT_TRUE(m.f->Chart1->BottomAxis().Automatic());
  ASSERT_EQ(s->Count(), 201);
  EXPECT_EQ(s->XValue(0), 1);
  EXPECT_EQ(s->LastXValue(), 201);
  EXPECT_DOUBLE_EQ(s->YValue(100), 256.0 * 1024) << "used KB";
}

TEST(MonitorChart, EveryPrimingPointIsANewSample) {
  Monitor<TDrainingMemory> m(512 * MB, 256 * MB);
  TFastLineSeries* s = m.f->Series20;
  std::set<double> ys;
  for (int i = 0; i < s->Count(); ++i) ys.insert(s->YValue(i));
  EXPECT_EQ(ys.size(), 201u);
  EXPECT_LT(s->YValue(0), s->YValue(200)) << "less available, more in use";
}

TEST(MonitorChart, AfterTenTicksTheFirstXIs11AndTheLast211) {
  Monitor<> m(512 * MB, 256 * MB);
  m.mem.Avail = 200 * MB;
  m.Tick(10);
  TFastLineSeries* s = m.f->Series20;
  EXPECT_EQ(s->Count(), 201);
  EXPECT_EQ(s->XValue(0), 11);
  EXPECT_EQ(s->LastXValue(), 211);
  EXPECT_DOUBLE_EQ(s->YValue(200), 312.0 * 1024);
  EXPECT_DOUBLE_EQ(s->YValue(190), 256.0 * 1024) << "the last primed point";
}

TEST(MonitorChart, TheWindowShowsTheLimeLineOnBlack) {
  Monitor<> m(512 * MB, 256 * MB);
  gdi::Dib dib(328, 116);
  SendMessageA(m.f->Chart1->Handle(), WM_PRINTCLIENT, (WPARAM)dib.DC(), PRF_CLIENT);
  EXPECT_EQ(dib.Pixel(2, 2), RGB(0, 0, 0));
  POINT p = m.f->Chart1->SeriesPoint(100, 256.0 * 1024);
  EXPECT_EQ(dib.Pixel(p.x, p.y), RGB(0, 255, 0));
  RECT r = m.f->Chart1->ChartRect();
  EXPECT_NEAR(p.y, (r.top + r.bottom) / 2 - m.f->Chart1->Width3D() / 2, 1) << "half the memory in use: half height";
}

// ---- the available-memory line ----------------------------------------------------------------

TEST(MonitorLine, TheTickRewritesTheAvailableLineOnly) {
  Monitor<> m(512 * MB, 256 * MB);
  std::string total = m.f->Label1->Caption();
  m.mem.Avail = 100 * MB;
  m.Tick();
  EXPECT_EQ(m.f->Label2->Caption(), MemoryLine("", 100 * MB));
  EXPECT_EQ(m.f->Label1->Caption(), total);
}

TEST(MonitorLine, OneSampleServesTheLineTheChartAndTheAlarm) {
  Monitor<TDrainingMemory> m(512 * MB, 256 * MB);
  m.Threshold(10);
  int before = m.mem.StatusCalls;
  uint64_t avail = m.mem.Avail;  // what the tick's sample will read
  m.Tick();
  EXPECT_EQ(m.mem.StatusCalls - before, 1) << "the system is asked once per tick";
  EXPECT_EQ(m.f->Label2->Caption(), MemoryLine("", avail));
  EXPECT_DOUBLE_EQ(m.f->Series20->YValue(200), double(512 * MB - avail) / 1024) << "the same sample as the line";
}

TEST(MonitorLine, UnderOneMegabyteAndUnderOneKilobyte) {
  Monitor<> m;
  m.mem.Avail = MB - 1;
  m.Tick();
  std::string line = m.f->Label2->Caption();
  EXPECT_EQ(line.substr(line.size() - 8), "Kb ( Mb)");
  EXPECT_EQ(line, MemoryLine("", MB - 1));
  m.mem.Avail = 1023;
  m.Tick();
  EXPECT_EQ(m.f->Label2->Caption(), "  Kb ( Mb)") << "both figures empty";
}

// ---- the alarm --------------------------------------------------------------------------------

TEST(MonitorAlarm, FreeMemoryEqualToTheThresholdIsNoAlarm) {
  Monitor<> m(512 * MB, 50 * MB);
  m.Threshold(50);
  m.BeepOn(true);
  m.Tick();
  EXPECT_FALSE(m.f->ani->Active());
  EXPECT_TRUE(m.beeps.empty());
  m.mem.Avail = 50 * MB - 10486;  // 49.99 MB
  m.Tick();
  EXPECT_TRUE(m.f->ani->Active());
  EXPECT_EQ(m.beeps.size(), 1u);
}

TEST(MonitorAlarm, AThresholdOf0NeverAlarms) {
  Monitor<> m(512 * MB, 0);
  m.Threshold(0);
  m.BeepOn(true);
  m.Action(1);
  m.Tick(3);
  EXPECT_FALSE(m.f->ani->Active());
  EXPECT_TRUE(m.beeps.empty());
  EXPECT_EQ(m.mem.Committed(), 0);
  m.f->soglia->SetText("fifty");
  m.Tick();
  EXPECT_FALSE(m.f->ani->Active()) << "a threshold that is no number reads as 0";
}

TEST(MonitorAlarm, Action0NeverRunsTheEngine) {
  Monitor<> m(16 * MB, 8 * MB);
  m.Action(0);
  m.Tick(5);
  EXPECT_TRUE(m.f->ani->Active());
  EXPECT_EQ(m.mem.Committed(), 0);
}

// A run that leaves free memory below the threshold is not repeated every second: one run per
// episode, while the alarm goes on blinking. The episode ends as the beep's does.
TEST(MonitorAlarm, Action1RunsOnceOnTheFirstAlarmTickOfEachEpisode) {
  Monitor<> m(16 * MB, 8 * MB);
  m.Action(1);
  m.Tick();
  EXPECT_EQ(m.mem.Committed(), 16) << "one whole run";
  EXPECT_EQ(m.mem.Held(), 0u);
  EXPECT_TRUE(m.f->Timer->Enabled()) << "idle again after the run";
  m.Tick(5);
  EXPECT_EQ(m.mem.Committed(), 16) << "still below the threshold: no second run";
  EXPECT_TRUE(m.f->ani->Active()) << "the alarm goes on";
  m.Threshold(8);
  m.Tick();
  EXPECT_EQ(m.mem.Committed(), 16) << "free memory equal to the threshold ends the episode, no run";
  m.Threshold(50);
  m.Tick(3);
  EXPECT_EQ(m.mem.Committed(), 32) << "a new episode, one new run";
}

TEST(MonitorAlarm, OneBeepPerEpisodeAfterTheAutomaticRun) {
  Monitor<> m(16 * MB, 8 * MB);
  m.Action(1);
  m.BeepOn(true);
  m.Tick(3);
  EXPECT_EQ(m.beeps, std::vector<int>{16}) << "once, when the first run had ended";
  m.mem.Avail = 60 * MB;
  m.Tick();  // the episode ends
  m.mem.Avail = 8 * MB;
  m.Tick(2);
  EXPECT_EQ(m.beeps, (std::vector<int>{16, 32}));
}

TEST(MonitorAlarm, BeepSwitchedOnMidEpisodeBeepsAtTheNextAlarmTick) {
  Monitor<> m(16 * MB, 8 * MB);
  m.BeepOn(false);
  m.Tick(2);
  EXPECT_TRUE(m.beeps.empty());
  m.f->Beep1Click(m.f->Beep1);
  EXPECT_TRUE(m.beeps.empty()) << "the menu command itself does not beep";
  m.Tick();
  EXPECT_EQ(m.beeps.size(), 1u);
  m.Tick(3);
  EXPECT_EQ(m.beeps.size(), 1u);
}

TEST(MonitorAlarm, TheAlarmImageFollowsTheAlarmAndRestsOnFrame1) {
  Monitor<> m(16 * MB, 8 * MB);
  TAnimatedImage* ani = m.f->ani;
  EXPECT_FALSE(ani->Active());
  EXPECT_EQ(ani->GlyphNum(), 1);
  m.Tick();
  EXPECT_TRUE(ani->Active());
  EXPECT_TRUE(ani->Timer()->Enabled());
  ani->Timer()->Tick();  // the blinking
  EXPECT_EQ(ani->GlyphNum(), 0);
  m.mem.Avail = 60 * MB;
  m.Tick();
  EXPECT_FALSE(ani->Active());
  EXPECT_FALSE(ani->Timer()->Enabled());
  EXPECT_EQ(ani->GlyphNum(), 1) << "blank again";
}

TEST(MonitorTray, TheTooltipCarriesTheCaptionAndTheAvailableLine) {
  Monitor<> m(16 * MB, 600 * 1024);
  m.Tick();
  std::string hint = m.f->Caption() + " - " + m.f->Label2->Caption();
  EXPECT_EQ(m.f->TI->Hint(), hint);
  EXPECT_NE(hint.find(" Kb ( Mb)"), std::string::npos) << "under 1 MB free";
  ASSERT_FALSE(m.shell.Calls.empty());
  EXPECT_EQ(std::string(m.shell.Last().Data.szTip), hint.substr(0, 63)) << "the shell gets at most 63 characters";
  m.mem.Avail = 300 * MB;
  m.Tick();
  EXPECT_EQ(std::string(m.shell.Last().Data.szTip), (m.f->Caption() + " - " + m.f->Label2->Caption()).substr(0, 63));
}

TEST(MonitorTray, TheTrayIconBlinksWhileTheAlarmHolds) {
  Monitor<> m(16 * MB, 8 * MB);
  EXPECT_FALSE(m.f->TI->Animated());
  m.Tick();
  EXPECT_TRUE(m.f->TI->Animated());
  m.Tick();
  EXPECT_TRUE(m.f->TI->Animated()) << "still on while the alarm holds";
  m.mem.Avail = 60 * MB;
  m.Tick();
  EXPECT_FALSE(m.f->TI->Animated()) << "off with the alarm";
}

TEST(MonitorTray, ThePercentageInUseRoundsToTheNearest) {
  for (auto [total, avail, percent] : {std::tuple<uint64_t, uint64_t, int>{1000, 6, 99}, {1000, 5, 100}, {1000, 995, 1},
                                       {1000, 996, 0}, {1000, 2000, 0}, {0, 0, 0}, {UINT64_MAX, UINT64_MAX / 4, 75}})
    EXPECT_EQ(InUsePercent(total, avail), percent) << total << " " << avail;
}

// With the option on, the tray icon is the figure of the tick's sample, a new icon only when the
// figure changes; off, the ordinary icon at once.
TEST(MonitorTray, TheMemoryIconIsNewOnlyWhenTheFigureChanges) {
  Monitor<> m(16 * MB, 8 * MB);
  m.Threshold(0);
  m.Tick();
  const int live = gdi::LiveObjects();
  SendMessageA(m.f->Handle(), WM_COMMAND, cmMemoryIcon, 0);
  HICON shown = m.f->TI->Face();
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(m.shell.Last().Data.hIcon, shown) << "at once, not at the next tick";
  for (auto [avail, fresh] : {std::pair{8 * MB, false}, {8 * MB - 1024, false}, {4 * MB, true}, {4 * MB, false}}) {
    m.shell.Clear();
    m.mem.Avail = avail;
    m.Tick();
    bool sent = false;
    for (const auto& c : m.shell.Calls) sent = sent || c.Data.uFlags != NIF_TIP;
    EXPECT_EQ(sent, fresh) << avail;
    EXPECT_EQ(m.f->TI->Face() != shown, fresh) << avail;
    shown = m.f->TI->Face();
  }
  // 75 % in use, drawn at the shell's size: the same pixels as that figure's own icon.
  const int n = GetSystemMetrics(SM_CXSMICON);
  TFigureIcon expected;
  expected.SetFigure(75, n, GetSystemMetrics(SM_CYSMICON));
  {
    gdi::Dib a(n, n), b(n, n);
    DrawIconEx(a.DC(), 0, 0, shown, n, n, 0, nullptr, DI_NORMAL);
    DrawIconEx(b.DC(), 0, 0, expected.Handle(), n, n, 0, nullptr, DI_NORMAL);
    GdiFlush();
    EXPECT_TRUE(std::equal(a.Bits(), a.Bits() + n * n, b.Bits()));
  }
  SendMessageA(m.f->Handle(), WM_COMMAND, cmMemoryIcon, 0);
  EXPECT_EQ(m.shell.Last().Data.hIcon, m.f->TI->Icon()->Handle());
  EXPECT_EQ(gdi::LiveObjects(), live + 3) << "the one made here";
}

// ---- the alarm image --------------------------------------------------------------------------

TEST(MonitorImage, TheAlarmImageAndItsStrip) {
  Monitor<> m;
  TAnimatedImage* ani = m.f->ani;
  EXPECT_EQ(ani->Parent(), m.f->Panel2);
  EXPECT_EQ(ani->Left(), 286);
  EXPECT_EQ(ani->Top(), 12);
  EXPECT_EQ(ani->Width(), 32);
  EXPECT_EQ(ani->Height(), 32);
  EXPECT_EQ(ani->Interval(), 500u);
  EXPECT_EQ(ani->NumGlyphs(), 2);
  EXPECT_EQ(ani->FrameWidth(), 32);
  EXPECT_FALSE(ani->Loading());
  const TStripBitmap& strip = ani->Glyph();
  EXPECT_EQ(strip.Width(), 64);
  EXPECT_EQ(strip.Height(), 32);
  EXPECT_EQ(strip.BitsPerPixel(), 8) << "256 colours";
  EXPECT_EQ(ani->TransparentColor(), RGB(255, 0, 255));

  gdi::MemDC dc;
  gdi::Select s(dc, strip.Handle());
  std::set<COLORREF> frame0;
  bool frame1Magenta = true;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      frame0.insert(GetPixel(dc, x, y));
      frame1Magenta = frame1Magenta && GetPixel(dc, 32 + x, y) == RGB(255, 0, 255);
    }
  EXPECT_TRUE(frame1Magenta) << "frame 1 shows nothing";
  EXPECT_TRUE(frame0.count(RGB(0, 0, 0))) << "the black '!'";
  EXPECT_TRUE(frame0.count(RGB(255, 0, 255)));
  bool yellow = false, grey = false;
  for (COLORREF c : frame0) {
    yellow = yellow || (GetRValue(c) > 200 && GetGValue(c) > 180 && GetBValue(c) < 64);
    grey = grey || (GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c) && GetRValue(c) > 64 && GetRValue(c) < 192);
  }
  EXPECT_TRUE(yellow);
  EXPECT_TRUE(grey) << "the shadow";
}

TEST(MonitorImage, OnFrame1TheAlarmImageShowsThePanel) {
  Monitor<> m;
  gdi::Dib dib(330, 107);
  SendMessageA(m.f->Panel2->Handle(), WM_PRINTCLIENT, (WPARAM)dib.DC(), PRF_CLIENT);
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  for (int y = 12; y < 44; y += 2)
    for (int x = 286; x < 318; x += 2) ASSERT_EQ(dib.Pixel(x, y), face) << x << "," << y;
  m.f->ani->SetGlyphNum(0);
  SendMessageA(m.f->Panel2->Handle(), WM_PRINTCLIENT, (WPARAM)dib.DC(), PRF_CLIENT);
  EXPECT_EQ(dib.Pixel(286, 12), face) << "the triangle's magenta corner";
  EXPECT_EQ(dib.Pixel(286 + 15, 12 + 14), RGB(0, 0, 0)) << "the '!'";
}

// ---- resources --------------------------------------------------------------------------------

TEST(MonitorResources, ManyTicksLeaveNoGdiObjectBehind) {
  Monitor<> m(16 * MB, 8 * MB);
  m.f->Show();
  m.Tick();
  RedrawWindow(m.f->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  int live = gdi::LiveObjects();
  // The alarm goes on and off once each (its blinking with it); the long run is in the soak.
  for (int i = 0; i < 16; ++i) {
    m.mem.Avail = (i / 7) % 2 ? 60 * MB : 8 * MB;
    m.Tick();
    m.f->ani->Timer()->Tick();
    RedrawWindow(m.f->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  m.f->Hide();
  for (int i = 0; i < 16; ++i) m.Tick();
  EXPECT_EQ(gdi::LiveObjects(), live);
}

}  // namespace

