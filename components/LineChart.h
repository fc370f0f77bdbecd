// A line chart drawn by our own code: black background, fast-line series, a left axis with
// "#,##0" labels and lime ticks, a bottom axis that follows the points, and a light 3-D view
// (the grid on a back plane set off by the depth, the series between front and back).
// Double-buffered; the layers that stand still (background, grid, axis, ticks, labels) are kept
// in a bitmap of their own and drawn again only when the size, the left axis's range, the
// margins or the depth change, so a paint is one copy of them and the line, drawn in a kept
// frame of the same size and copied to the window. A series keeps its points in a ring of
// fixed capacity, so adding and deleting points allocates nothing.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "framework/Controls.h"
#include "framework/Gdi.h"

class TChart;

class TChartAxis {
public:
  double Minimum() const { return FMinimum; }
  double Maximum() const { return FMaximum; }
  void SetMinimum(double v);
  void SetMaximum(double v);
  void SetMinMax(double lo, double hi);
  // Automatic: the range is that of the points; manual: Minimum..Maximum.
  bool Automatic() const { return FAutomatic; }
  void SetAutomatic(bool v);

private:
  friend class TChart;
  explicit TChartAxis(TChart* chart) : FChart(chart) {}
  TChart* FChart;
  double FMinimum = 0, FMaximum = 0;
  bool FAutomatic = true;
};

// A series of (X, Y) points drawn as one polyline.
class TFastLineSeries : public TComponent {
public:
  // capacity: the most points the series holds; it is allocated here, once.
  TFastLineSeries(TComponent* AOwner, TChart* chart, int capacity);
  ~TFastLineSeries() override;

  int Count() const { return FCount; }
  int Capacity() const { return (int)FX.size(); }
  // 0 for an index outside 0..Count-1.
  double XValue(int i) const;
  double YValue(int i) const;
  // 0 when the series is empty.
  double LastXValue() const { return XValue(FCount - 1); }
  // Removes point i; nothing for an index outside 0..Count-1.
  void Delete(int i);
  // Appends a point; a full series first drops its oldest one.
  void AddXY(double x, double y);
  void Clear();

  COLORREF SeriesColor() const { return FColor; }
  void SetSeriesColor(COLORREF c);
  TChart* ParentChart() const { return FChart; }
  void Notification(TComponent* AComponent) override;

private:
  friend class TChart;
  int Slot(int i) const { return (FStart + i) % (int)FX.size(); }
  void Changed();
  TChart* FChart;
  std::vector<double> FX, FY;
  std::vector<POINT> FPoints;  // the screen points of one paint
  int FStart = 0, FCount = 0;
  COLORREF FColor = RGB(0, 255, 0);
};

class TChart : public TCustomControl {
public:
  TChart(TComponent* AOwner, TWinControl* AParent);
  ~TChart() override;

  TChartAxis& LeftAxis() { return FLeftAxis; }
  TChartAxis& BottomAxis() { return FBottomAxis; }
  int SeriesCount() const { return (int)FSeries.size(); }
  TFastLineSeries* Series(int i) const { return FSeries[i]; }

  // Depth of the 3-D view in percent of the chart's smaller side.
  int Chart3DPercent() const { return FChart3DPercent; }
  void SetChart3DPercent(int v);
  // Margins in percent of the chart's height.
  int MarginTop() const { return FMarginTop; }
  int MarginBottom() const { return FMarginBottom; }
  void SetMargins(int top, int bottom);

  // Geometry of the last paint: the front plane of the plot area, the depth in pixels, where a
  // value lands on the front plane, and the left axis's label step.
  RECT ChartRect() const { return FRect; }
  int Width3D() const { return FDepth; }
  int CalcXPos(double x) const;
  int CalcYPos(double y) const;
  double LeftIncrement() const { return FIncrement; }
  // Where the series line lies: between the front and the back plane.
  POINT SeriesPoint(double x, double y) const;
  // The text of a left-axis label, "#,##0": rounded, with the locale's thousands separator.
  // Writes at most size - 1 characters and a terminating zero; returns the length.
  int FormatLabel(double v, char* buf, int size) const;

  // Draws the whole chart into dc.
  void Paint(HDC dc) override;
  LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override;

  void Notification(TComponent* AComponent) override;

private:
  friend class TFastLineSeries;
  friend class TChartAxis;
  // What the still layers depend on; equal keys draw equal layers.
  struct TLayersKey {
    int Width = 0, Height = 0, Depth3DPercent = 0, MarginTop = 0, MarginBottom = 0, Dpi = 0;
    double YMin = 0, YMax = 0;
    bool operator==(const TLayersKey&) const = default;
  };
  TLayersKey LayersKey(const RECT& client) const;
  // Brings the kept layers up to date for key; false when there is no bitmap to keep them in.
  bool UpdateLayers(const TLayersKey& key);
  void DrawLayers(HDC dc, int width, int height);
  void Layout(HDC dc, int width, int height);
  void Range(const TChartAxis& axis, bool xAxis, double& lo, double& hi) const;
  void DrawLeftAxis(HDC dc);
  void DrawSeries(HDC dc, TFastLineSeries& s);
  TChartAxis FLeftAxis{this}, FBottomAxis{this};
  std::vector<TFastLineSeries*> FSeries;
  int FChart3DPercent = 15;
  int FMarginTop = 10, FMarginBottom = 0;
  std::string FThousands;
  // The last layout.
  RECT FRect{};
  int FDepth = 0;
  double FXMin = 0, FXMax = 0, FYMin = 0, FYMax = 0, FIncrement = 0;
  gdi::BackBuffer FLayers;  // the still layers of the last layout
  gdi::BackBuffer FFrame;   // the window's paints: the layers copied, the line drawn over them
  TLayersKey FLayersKey;
};
