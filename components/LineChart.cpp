#include "components/LineChart.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include "framework/Dpi.h"
#include "framework/Gdi.h"
#include "framework/Numbers.h"

namespace {
const COLORREF kBackground = RGB(0, 0, 0);
const COLORREF kLabelColor = RGB(192, 192, 192);  // silver
const COLORREF kTickColor = RGB(0, 255, 0);       // lime
const COLORREF kAxisColor = RGB(128, 128, 128);
const COLORREF kGridColor = RGB(72, 72, 72);
const int kTickLength = 4, kMinorTickLength = 2, kLabelGap = 2;
const int kMinorTicks = 5;         // between two labels
const double kLabelSpacing = 1.5;  // label pitch at least this many text heights
const int kMaxLabels = 1000;

// The smallest of 1, 2, 5 times a power of ten that is at least v.
double NiceStep(double v) {
  if (!(v > 0) || !std::isfinite(v)) return 1;
  double p = std::pow(10.0, std::floor(std::log10(v)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * p >= v * (1 - 1e-12)) return m * p;
  return 10 * p;
}

// A position along an axis of length 'span' pixels; far-off and undefined values are pinned so
// that GDI never sees a coordinate it cannot draw.
int Scale(double v, double lo, double hi, int span) {
  double t = hi > lo ? (v - lo) / (hi - lo) : 0;
  if (!std::isfinite(t)) t = 0;
  t = std::clamp(t, -100.0, 100.0);
  return (int)std::lround(t * span);
}

gdi::Font LabelFont(int dpi) {
  // Not antialiased: crisp silver on black.
  return gdi::MakeFont({.Name = "Arial", .Size = 8, .Quality = NONANTIALIASED_QUALITY, .PixelsPerInch = dpi});
}

void Line(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}
}  // namespace

// ---- axis -----------------------------------------------------------------------------------

void TChartAxis::SetMinimum(double v) {
  if (v == FMinimum) return;
  FMinimum = v;
  FChart->Invalidate();
}

void TChartAxis::SetMaximum(double v) {
  if (v == FMaximum) return;
  FMaximum = v;
  FChart->Invalidate();
}

void TChartAxis::SetMinMax(double lo, double hi) {
  if (lo == FMinimum && hi == FMaximum) return;
  FMinimum = lo;
  FMaximum = hi;
  FChart->Invalidate();
}

void TChartAxis::SetAutomatic(bool v) {
  if (v == FAutomatic) return;
  FAutomatic = v;
  FChart->Invalidate();
}

// ---- series ---------------------------------------------------------------------------------

TFastLineSeries::TFastLineSeries(TComponent* AOwner, TChart* chart, int capacity)
    : TComponent(AOwner), FChart(chart) {
  capacity = std::max(capacity, 0);
  FX.resize(capacity);
  FY.resize(capacity);
  FPoints.resize(capacity);
  if (FChart) {
    FChart->FSeries.push_back(this);
    FreeNotification(FChart);
  }
}

TFastLineSeries::~TFastLineSeries() {
  if (FChart) {
    std::erase(FChart->FSeries, this);
    FChart->Invalidate();
  }
}

void TFastLineSeries::Notification(TComponent* AComponent) {
  if (AComponent == FChart) FChart = nullptr;
}

void TFastLineSeries::Changed() {
  if (FChart) FChart->Invalidate();
}

double TFastLineSeries::XValue(int i) const { return i >= 0 && i < FCount ? FX[Slot(i)] : 0.0; }
double TFastLineSeries::YValue(int i) const { return i >= 0 && i < FCount ? FY[Slot(i)] : 0.0; }

void TFastLineSeries::Delete(int i) {
  if (i < 0 || i >= FCount) return;
  if (i == 0) {
    FStart = Slot(1);
  } else {
    for (int k = i; k < FCount - 1; ++k) {
      FX[Slot(k)] = FX[Slot(k + 1)];
      FY[Slot(k)] = FY[Slot(k + 1)];
    }
  }
  --FCount;
  if (FCount == 0) FStart = 0;
  Changed();
}

void TFastLineSeries::AddXY(double x, double y) {
  if (Capacity() == 0) return;
  if (FCount == Capacity()) {
    FStart = Slot(1);
    --FCount;
  }
  int s = Slot(FCount);
  FX[s] = x;
  FY[s] = y;
  ++FCount;
  Changed();
}

void TFastLineSeries::Clear() {
  if (FCount == 0) return;
  FStart = FCount = 0;
  Changed();
}

void TFastLineSeries::SetSeriesColor(COLORREF c) {
  if (c == FColor) return;
  FColor = c;
  Changed();
}

// ---- chart ----------------------------------------------------------------------------------

TChart::TChart(TComponent* AOwner, TWinControl* AParent) : TCustomControl(AOwner, AParent) {
  FThousands = ThousandSeparator();
  FSeries.reserve(4);
  CreateWnd("TChart", 0, 0, false);
}

TChart::~TChart() {
  for (TFastLineSeries* s : FSeries) s->FChart = nullptr;
}

void TChart::Notification(TComponent* AComponent) {
  TCustomControl::Notification(AComponent);
  std::erase_if(FSeries, [AComponent](TFastLineSeries* s) { return s == AComponent; });
}

void TChart::SetChart3DPercent(int v) {
  v = std::clamp(v, 0, 100);
  if (v == FChart3DPercent) return;
  FChart3DPercent = v;
  Invalidate();
}

void TChart::SetMargins(int top, int bottom) {
  top = std::clamp(top, 0, 100);
  bottom = std::clamp(bottom, 0, 100);
  if (top == FMarginTop && bottom == FMarginBottom) return;
  FMarginTop = top;
  FMarginBottom = bottom;
  Invalidate();
}

int TChart::CalcXPos(double x) const {
  return FRect.left + Scale(x, FXMin, FXMax, FRect.right - FRect.left);
}

int TChart::CalcYPos(double y) const {
  return FRect.bottom - Scale(y, FYMin, FYMax, FRect.bottom - FRect.top);
}

POINT TChart::SeriesPoint(double x, double y) const {
  return POINT{CalcXPos(x) + FDepth / 2, CalcYPos(y) - FDepth / 2};
}

void TChart::Range(const TChartAxis& axis, bool xAxis, double& lo, double& hi) const {
  if (!axis.FAutomatic) {
    lo = axis.FMinimum;
    hi = axis.FMaximum;
    return;
  }
  bool any = false;
  lo = hi = 0;
  for (const TFastLineSeries* s : FSeries)
    for (int i = 0; i < s->FCount; ++i) {
      double v = xAxis ? s->XValue(i) : s->YValue(i);
      if (!std::isfinite(v)) continue;
      if (!any || v < lo) lo = v;
      if (!any || v > hi) hi = v;
      any = true;
    }
}

// "#,##0": rounded to a whole number, the locale's thousands separator between groups.
int TChart::FormatLabel(double v, char* buf, int size) const {
  if (!buf || size <= 0) return 0;
  if (!std::isfinite(v)) v = 0;
  v = std::clamp(std::round(v), -9.0e18, 9.0e18);
  long long n = (long long)v;
  bool negative = n < 0;
  unsigned long long u = negative ? 0ull - (unsigned long long)n : (unsigned long long)n;
  const std::string text = (negative ? "-" : "") + (u ? FormatGrouped(u, FThousands) : std::string("0"));
  int out = std::min((int)text.size(), size - 1);
  memcpy(buf, text.data(), out);
  buf[out] = 0;
  return out;
}

void TChart::Layout(HDC dc, int width, int height) {
  Range(FLeftAxis, false, FYMin, FYMax);
  Range(FBottomAxis, true, FXMin, FXMax);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  int th = tm.tmHeight;
  char buf[64];
  int labelWidth = 0;
  for (double v : {FYMin, FYMax}) {
    SIZE sz{};
    int n = FormatLabel(v, buf, sizeof(buf));
    GetTextExtentPoint32A(dc, buf, n, &sz);
    labelWidth = std::max<int>(labelWidth, sz.cx);
  }
  int side = MulDiv(width, 3, 100);
  FDepth = MulDiv(std::min(width, height), FChart3DPercent, 100);
  FRect.left = side + labelWidth + ScaleToDpi(kLabelGap + kTickLength, PixelsPerInch());
  FRect.right = std::max<int>(FRect.left + 1, width - side - FDepth);
  FRect.top = MulDiv(height, FMarginTop, 100) + FDepth;
  FRect.bottom = std::max<int>(FRect.top + 1, height - 1 - MulDiv(height, FMarginBottom, 100) - th / 2);
  double range = FYMax - FYMin;
  int plot = FRect.bottom - FRect.top;
  FIncrement = range > 0 && std::isfinite(range) ? std::max(1.0, NiceStep(kLabelSpacing * th * range / plot)) : 0;
}

void TChart::DrawLeftAxis(HDC dc) {
  int left = FRect.left, d = FDepth;
  gdi::Pen grid(CreatePen(PS_SOLID, 1, kGridColor));
  gdi::Pen ticks(CreatePen(PS_SOLID, 1, kTickColor));
  gdi::Pen axis(CreatePen(PS_SOLID, 1, kAxisColor));
  char buf[64];
  double first = FIncrement > 0 ? std::ceil(FYMin / FIncrement - 1e-9) * FIncrement : FYMin;
  int count = FIncrement > 0 ? std::min(kMaxLabels, (int)std::floor((FYMax - first) / FIncrement + 1e-9) + 1) : 1;

  {  // the grid on the back plane, reached over the (invisible) left wall
    gdi::Select sp(dc, grid);
    for (int i = 0; i < count; ++i) {
      int y = CalcYPos(first + i * FIncrement);
      Line(dc, left, y, left + d, y - d);
      Line(dc, left + d, y - d, FRect.right + d + 1, y - d);
    }
  }
  {
    gdi::Select sp(dc, axis);
    Line(dc, left, FRect.top, left, FRect.bottom + 1);
    Line(dc, left, FRect.bottom, FRect.right + 1, FRect.bottom);
  }
  {
    gdi::Select sp(dc, ticks);
    for (int i = -1; i < count && FIncrement > 0; ++i) {
      double v = first + i * FIncrement;
      if (i >= 0) {
        int y = CalcYPos(v);
        Line(dc, left - ScaleToDpi(kTickLength, PixelsPerInch()), y, left, y);
      }
      for (int k = 1; k <= kMinorTicks; ++k) {
        double m = v + k * FIncrement / (kMinorTicks + 1);
        if (m <= FYMin || m >= FYMax) continue;
        int y = CalcYPos(m);
        Line(dc, left - ScaleToDpi(kMinorTickLength, PixelsPerInch()), y, left, y);
      }
    }
  }
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SetTextColor(dc, kLabelColor);
  SetBkMode(dc, TRANSPARENT);
  UINT align = SetTextAlign(dc, TA_RIGHT | TA_TOP);
  for (int i = 0; i < count; ++i) {
    double v = first + i * FIncrement;
    int n = FormatLabel(v, buf, sizeof(buf));
    TextOutA(dc, left - ScaleToDpi(kTickLength + kLabelGap, PixelsPerInch()), CalcYPos(v) - tm.tmHeight / 2, buf, n);
  }
  SetTextAlign(dc, align);
}

void TChart::DrawSeries(HDC dc, TFastLineSeries& s) {
  if (s.FCount < 2) return;
  for (int i = 0; i < s.FCount; ++i) s.FPoints[i] = SeriesPoint(s.XValue(i), s.YValue(i));
  gdi::Pen pen(CreatePen(PS_SOLID, 1, s.FColor));
  gdi::Select sp(dc, pen);
  int saved = SaveDC(dc);
  IntersectClipRect(dc, FRect.left, FRect.top - FDepth, FRect.right + FDepth + 1, FRect.bottom + 1);
  Polyline(dc, s.FPoints.data(), s.FCount);
  RestoreDC(dc, saved);
}

void TChart::DrawLayers(HDC dc, int width, int height) {
  gdi::FillSolid(dc, RECT{0, 0, width, height}, kBackground);
  gdi::Font font = LabelFont(PixelsPerInch());
  gdi::Select sf(dc, font);
  Layout(dc, width, height);
  DrawLeftAxis(dc);
}

TChart::TLayersKey TChart::LayersKey(const RECT& client) const {
  TLayersKey key{client.right, client.bottom, FChart3DPercent, FMarginTop, FMarginBottom, PixelsPerInch()};
  Range(FLeftAxis, false, key.YMin, key.YMax);
  return key;
}

bool TChart::UpdateLayers(const TLayersKey& key) {
  if (!FLayers.Fit(key.Width, key.Height)) {
    FLayersKey = TLayersKey{};
    return false;
  }
  if (key == FLayersKey) return true;
  gdi::SavedDC state(FLayers.DC());
  DrawLayers(FLayers.DC(), key.Width, key.Height);
  FLayersKey = key;
  return true;
}

void TChart::Paint(HDC dc) {
  RECT r{};
  if (FHandle) GetClientRect(FHandle, &r);
  if (r.right <= 0 || r.bottom <= 0) return;
  if (UpdateLayers(LayersKey(r))) {
    BitBlt(dc, 0, 0, r.right, r.bottom, FLayers.DC(), 0, 0, SRCCOPY);
    // The layers keep the layout they were drawn with; only the points have moved since.
    Range(FBottomAxis, true, FXMin, FXMax);
  } else {
    DrawLayers(dc, r.right, r.bottom);  // no bitmap to spare: straight into dc
  }
  for (TFastLineSeries* s : FSeries) DrawSeries(dc, *s);
}

LRESULT TChart::WndProc(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything
    case WM_PAINT: {
      gdi::PaintDC dc(FHandle);
      RECT r;
      GetClientRect(FHandle, &r);
      if (r.right <= 0 || r.bottom <= 0) return 0;
      // The kept frame: the layers are copied into it and the line drawn over them there.
      if (!FFrame.Fit(r.right, r.bottom)) {
        Paint(dc);
        return 0;
      }
      {
        gdi::SavedDC state(FFrame.DC());
        Paint(FFrame.DC());
      }
      BitBlt(dc, 0, 0, r.right, r.bottom, FFrame.DC(), 0, 0, SRCCOPY);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint((HDC)w);
      return 0;
  }
  return TCustomControl::WndProc(msg, w, l);
}
