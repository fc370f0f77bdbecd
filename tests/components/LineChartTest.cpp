#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <functional>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>
#include "components/LineChart.h"
#include "tests/components/ComponentsSupport.h"

// Every C++ allocation of this test program is counted, so a test can prove that a piece of
// code allocates nothing. (GCC cannot see that our new and delete pair up.)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
std::atomic<long> allocations{0};
}
void* operator new(std::size_t n) {
  ++allocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kLime = RGB(0, 255, 0);
const COLORREF kSilver = RGB(192, 192, 192);

// The monitor's chart: 328 x 116, left axis 0..1000 by hand, top margin 10 %, bottom 0.
struct Chart {
  Host host{false, 330, 118};
  TChart* chart;
  TFastLineSeries* series;
  explicit Chart(int capacity = 201) {
    chart = new TChart(host.form, host.panel);
    chart->SetBounds(1, 1, 328, 116);
    chart->LeftAxis().SetAutomatic(false);
    chart->LeftAxis().SetMinMax(0, 1000);
    chart->SetMargins(10, 0);
    series = new TFastLineSeries(host.form, chart, capacity);
  }
  void Paint(gdi::Dib& dib) { chart->Paint(dib.DC()); }
};

std::vector<int> RowsOf(const gdi::Dib& dib, int x, COLORREF c, int y0 = 0, int y1 = -1) {
  if (y1 < 0) y1 = dib.Height() - 1;
  std::vector<int> rows;
  for (int y = y0; y <= y1; ++y)
    if (dib.Pixel(x, y) == c) rows.push_back(y);
  return rows;
}

std::string Label(const TChart* c, double v) {
  char buf[64];
  c->FormatLabel(v, buf, sizeof(buf));
  return buf;
}

std::string Separator() {
  char sep[8] = {};
  return GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, sep, sizeof(sep)) > 0 ? sep : ",";
}

// ---- the series -------------------------------------------------------------------------------

TEST(ChartSeries, PointsScrollThroughAFixedRing) {
  Chart c(5);
  TFastLineSeries* s = c.series;
  EXPECT_EQ(s->Count(), 0);
  EXPECT_EQ(s->LastXValue(), 0) << "an empty series reads 0";
  for (int i = 1; i <= 5; ++i) s->AddXY(i, i * 10);
  EXPECT_EQ(s->Count(), 5);
  EXPECT_EQ(s->XValue(0), 1);
  EXPECT_EQ(s->LastXValue(), 5);
  // The monitor's scroll, many times round the ring.
  for (int k = 0; k < 12; ++k) {
    double step = s->XValue(1) - s->XValue(0);
    s->Delete(0);
    s->AddXY(s->LastXValue() + step, k);
  }
  EXPECT_EQ(s->Count(), 5);
  EXPECT_EQ(s->XValue(0), 13);
  EXPECT_EQ(s->LastXValue(), 17);
  EXPECT_EQ(s->YValue(4), 11);
  EXPECT_EQ(s->YValue(0), 7);

  s->Delete(2);  // from the middle
  EXPECT_EQ(s->Count(), 4);
  EXPECT_EQ(s->XValue(1), 14);
  EXPECT_EQ(s->XValue(2), 16);
  EXPECT_EQ(s->XValue(3), 17);
  s->Delete(4);
  s->Delete(-1);
  EXPECT_EQ(s->Count(), 4) << "deleting outside the points does nothing";
  EXPECT_EQ(s->XValue(4), 0);
  EXPECT_EQ(s->XValue(-1), 0);

  s->AddXY(18, 0);
  s->AddXY(19, 0);  // full: the oldest goes
  EXPECT_EQ(s->Count(), 5);
  EXPECT_EQ(s->XValue(0), 14);
  EXPECT_EQ(s->LastXValue(), 19);
  s->Clear();
  EXPECT_EQ(s->Count(), 0);

  Chart none(0);
  none.series->AddXY(1, 1);
  EXPECT_EQ(none.series->Count(), 0) << "a series without room holds nothing";
}

TEST(ChartSeries, ScrollingAndPaintingAllocateNothing) {
  Chart c;
  for (int i = 1; i <= 201; ++i) c.series->AddXY(i, (i * 37) % 1000);
  gdi::Dib dib(328, 116);
  c.Paint(dib);
  long before = allocations;
  for (int k = 0; k < 10000; ++k) {
    double step = c.series->XValue(1) - c.series->XValue(0);
    c.series->Delete(0);
    c.series->AddXY(c.series->LastXValue() + step, k % 1000);
  }
  for (int k = 0; k < 20; ++k) c.Paint(dib);
  EXPECT_EQ(allocations - before, 0);
}

TEST(ChartSeries, ASeriesOrChartMayGoFirst) {
  Host host;
  auto* chart = new TChart(host.form, host.panel);
  auto* s = new TFastLineSeries(nullptr, chart, 3);
  EXPECT_EQ(chart->SeriesCount(), 1);
  delete s;
  EXPECT_EQ(chart->SeriesCount(), 0);
  s = new TFastLineSeries(nullptr, chart, 3);
  delete chart;
  EXPECT_EQ(s->ParentChart(), nullptr);
  s->AddXY(1, 1);
  delete s;
}

// ---- the picture ------------------------------------------------------------------------------

TEST(ChartPaint, BlackBackgroundAndTheLimeLineWhereTheDataSays) {
  Chart c;
  for (int i = 1; i <= 201; ++i) c.series->AddXY(i, i <= 100 ? 750 : 250);
  gdi::Dib dib(328, 116);
  c.Paint(dib);
  RECT r = c.chart->ChartRect();
  int d = c.chart->Width3D();
  EXPECT_EQ(dib.Pixel(0, 0), kBlack);
  EXPECT_EQ(dib.Pixel(327, 115), kBlack);
  EXPECT_EQ(dib.Pixel(327, 0), kBlack);

  // The line lies between the front and the back plane: half the depth in and up.
  int plot = r.bottom - r.top;
  POINT high = c.chart->SeriesPoint(50, 750), low = c.chart->SeriesPoint(150, 250);
  EXPECT_NEAR(r.bottom - d / 2 - high.y, 0.75 * plot, 1.0);
  EXPECT_NEAR(r.bottom - d / 2 - low.y, 0.25 * plot, 1.0);
  EXPECT_EQ(c.chart->SeriesPoint(1, 0).x, r.left + d / 2) << "the first point at the left";
  EXPECT_EQ(c.chart->SeriesPoint(201, 0).x, r.right + d / 2) << "the last point at the right";

  int top = r.top - d, bottom = r.bottom;
  int drop = c.chart->SeriesPoint(100, 0).x, rise = c.chart->SeriesPoint(101, 0).x;
  // (A polyline leaves out its very last pixel.)
  for (int x = c.chart->SeriesPoint(1, 0).x; x < c.chart->SeriesPoint(201, 0).x; ++x) {
    std::vector<int> lime = RowsOf(dib, x, kLime, top, bottom);
    ASSERT_FALSE(lime.empty()) << "column " << x;
    if (x < drop) {
      EXPECT_EQ(lime, std::vector<int>{high.y}) << "column " << x;
    } else if (x > rise) {
      EXPECT_EQ(lime, std::vector<int>{low.y}) << "column " << x;
    } else {
      EXPECT_GE(lime.front(), high.y);
      EXPECT_LE(lime.back(), low.y);
    }
  }
  // Nothing but black, grey and lime in the plot.
  for (int y = top; y <= bottom; y += 3)
    for (int x = r.left + 1; x < r.right + d; x += 3) {
      COLORREF p = dib.Pixel(x, y);
      bool grey = GetRValue(p) == GetGValue(p) && GetGValue(p) == GetBValue(p) && GetRValue(p) < 192;
      EXPECT_TRUE(p == kLime || grey) << x << "," << y;
    }
}

TEST(ChartPaint, PointsBeyondTheAxisStayInThePlot) {
  Chart c;
  for (int i = 1; i <= 201; ++i) c.series->AddXY(i, i % 2 ? 1e12 : -1e12);
  gdi::Dib dib(328, 116);
  c.Paint(dib);
  RECT r = c.chart->ChartRect();
  int d = c.chart->Width3D();
  for (int x = 0; x < 328; ++x) {
    for (int y : RowsOf(dib, x, kLime)) {
      bool tick = x < r.left;
      if (tick) continue;
      EXPECT_GE(y, r.top - d) << x;
      EXPECT_LE(y, r.bottom) << x;
    }
  }
}

TEST(ChartPaint, LeftAxisLabelsStandAtTheirValuesBesideLimeTicks) {
  Chart c;
  for (int i = 1; i <= 201; ++i) c.series->AddXY(i, 500);
  gdi::Dib dib(328, 116);
  c.Paint(dib);
  RECT r = c.chart->ChartRect();
  double inc = c.chart->LeftIncrement();
  ASSERT_GT(inc, 0);
  TEXTMETRICA tm{};
  {
    gdi::Font f(CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial"));
    gdi::MemDC dc;
    gdi::Select s(dc, f);
    GetTextMetricsA(dc, &tm);
  }
  int labels = 0;
  for (double v = 0; v <= 1000; v += inc, ++labels) {
    int y = c.chart->CalcYPos(v);
    // The silver pixels of this label: its box is centred on the value's height and ends just
    // left of the tick.
    int minX = 9999, maxX = -1, minY = 9999, maxY = -1;
    for (int yy = y - tm.tmHeight; yy <= y + tm.tmHeight; ++yy)
      for (int x = 0; x < r.left; ++x)
        if (dib.Pixel(x, yy) == kSilver) {
          minX = std::min(minX, x), maxX = std::max(maxX, x);
          minY = std::min(minY, yy), maxY = std::max(maxY, yy);
        }
    ASSERT_GE(maxX, 0) << "label " << v;
    EXPECT_NEAR((minY + maxY) / 2.0, y, 3.0) << "label " << v;
    EXPECT_LE(maxX, r.left - 6) << "label " << v;
    EXPECT_GE(maxX, r.left - 10) << "label " << v << " is right-aligned to the tick";
    EXPECT_EQ(dib.Pixel(r.left - 1, y), kLime) << "tick of " << v;
    EXPECT_EQ(dib.Pixel(r.left - 4, y), kLime) << "tick of " << v;
  }
  EXPECT_GE(labels, 2);
  // Five short minor ticks between two labels.
  int minor = 0;
  for (int y = c.chart->CalcYPos(inc) + 1; y < c.chart->CalcYPos(0); ++y)
    if (dib.Pixel(r.left - 1, y) == kLime) {
      ++minor;
      EXPECT_NE(dib.Pixel(r.left - 4, y), kLime) << "a minor tick is shorter";
    }
  EXPECT_EQ(minor, 5);
  // No label text inside the plot.
  for (int y = 0; y < 116; ++y)
    for (int x = r.left; x < 328; ++x) ASSERT_NE(dib.Pixel(x, y), kSilver) << x << "," << y;
}

TEST(ChartPaint, MarginsAndDepthOfTheView) {
  Chart c;
  gdi::Dib dib(328, 116);
  c.Paint(dib);
  RECT r = c.chart->ChartRect();
  EXPECT_EQ(c.chart->Width3D(), 17) << "15 % of the chart's 116 pixels";
  EXPECT_EQ(r.top - c.chart->Width3D(), 12) << "top margin 10 % of 116";
  EXPECT_GE(r.bottom, 116 - 10) << "no bottom margin: only half a label below the axis";
  c.chart->SetMargins(10, 20);
  c.Paint(dib);
  EXPECT_NEAR(r.bottom - c.chart->ChartRect().bottom, 23, 1);
}

TEST(ChartPaint, BottomAxisFollowsThePoints) {
  Chart c;
  for (int i = 1; i <= 201; ++i) c.series->AddXY(i, 100);
  for (int k = 0; k < 10; ++k) {
    c.series->Delete(0);
    c.series->AddXY(c.series->LastXValue() + 1, 100);
  }
  gdi::Dib dib(328, 116);
  c.Paint(dib);
  RECT r = c.chart->ChartRect();
  EXPECT_EQ(c.chart->CalcXPos(11), r.left);
  EXPECT_EQ(c.chart->CalcXPos(211), r.right);
}

TEST(ChartPaint, LabelsReadHashCommaHashHashZero) {
  Chart c;
  std::string sep = Separator();
  EXPECT_EQ(Label(c.chart, 0), "0");
  EXPECT_EQ(Label(c.chart, 999.4), "999");
  EXPECT_EQ(Label(c.chart, 999.6), "1" + sep + "000");
  EXPECT_EQ(Label(c.chart, 16777216), "16" + sep + "777" + sep + "216");
  EXPECT_EQ(Label(c.chart, -1234), "-1" + sep + "234");
  char tiny[4];
  EXPECT_EQ(c.chart->FormatLabel(123456, tiny, sizeof(tiny)), 3);
  EXPECT_STREQ(tiny, "123");
  EXPECT_EQ(c.chart->FormatLabel(1, tiny, 0), 0);
}

// The still layers are kept between paints: after each change a chart already painted looks
// exactly as a new chart with the same settings.
TEST(ChartPaint, KeptLayersFollowEveryChangeOfRangeSizeMarginsAndDepth) {
  struct Row {
    const char* change;
    std::function<void(TChart*)> apply;
  };
  const Row rows[] = {
      {"axis maximum", [](TChart* c) { c->LeftAxis().SetMaximum(250000); }},
      {"axis minimum", [](TChart* c) { c->LeftAxis().SetMinimum(400); }},
      {"automatic axis", [](TChart* c) { c->LeftAxis().SetAutomatic(true); }},
      {"size", [](TChart* c) { c->SetBounds(1, 1, 300, 100); }},
      {"margins", [](TChart* c) { c->SetMargins(20, 5); }},
      {"depth", [](TChart* c) { c->SetChart3DPercent(30); }},
  };
  auto points = [](TFastLineSeries* s, int shift) {
    for (int i = 1; i <= 201; ++i) s->AddXY(i + shift, 300 + (i * 37 + shift) % 500);
  };
  for (const Row& row : rows) {
    Chart kept, fresh;
    points(kept.series, 0);
    gdi::Dib before(328, 116), a(328, 116), b(328, 116);
    kept.Paint(before);
    row.apply(kept.chart);
    points(kept.series, 7);  // the line moves too
    kept.Paint(a);
    row.apply(fresh.chart);
    points(fresh.series, 7);
    fresh.Paint(b);
    int differ = 0;
    for (int y = 0; y < 116; ++y)
      for (int x = 0; x < 328; ++x) differ += a.Pixel(x, y) != b.Pixel(x, y);
    EXPECT_EQ(differ, 0) << row.change;
  }
}

TEST(ChartPaint, DoubleBufferedWithoutErasingAndWithoutGdiGrowth) {
  Chart c;
  c.host.form->Show();
  for (int i = 1; i <= 201; ++i) c.series->AddXY(i, i * 4);
  gdi::Dib dib(328, 116);
  RECT all{0, 0, 328, 116};
  gdi::Brush white(CreateSolidBrush(RGB(255, 255, 255)));
  FillRect(dib.DC(), &all, white);
  EXPECT_NE(SendMessageA(c.chart->Handle(), WM_ERASEBKGND, (WPARAM)dib.DC(), 0), 0);
  EXPECT_EQ(dib.Pixel(10, 10), RGB(255, 255, 255)) << "erasing is left to the paint";
  SendMessageA(c.chart->Handle(), WM_PRINTCLIENT, (WPARAM)dib.DC(), PRF_CLIENT);
  EXPECT_EQ(dib.Pixel(10, 10), kBlack);

  RedrawWindow(c.chart->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);  // the kept buffers made
  int live = gdi::LiveObjects();
  for (int k = 0; k < 300; ++k) {
    c.series->Delete(0);
    c.series->AddXY(c.series->LastXValue() + 1, k);
    RedrawWindow(c.chart->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    SendMessageA(c.chart->Handle(), WM_PRINTCLIENT, (WPARAM)dib.DC(), PRF_CLIENT);
  }
  EXPECT_EQ(gdi::LiveObjects(), live);
}

}  // namespace
