// A drawing surface over a DC. The font, brush and pen it creates are its own and go with it;
// whatever was selected into the DC before is selected back when the canvas ends, so a painting
// routine cannot leave a handle behind.
#pragma once
#include <windows.h>
#include <string>
#include "framework/Gdi.h"

// A colour value: 0x00BBGGRR, or 0xFF0000nn for the system colour nn.
using TColor = unsigned;
constexpr TColor clSystemColor = 0xFF000000u;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clMenuText = clSystemColor | COLOR_MENUTEXT;
COLORREF ColorToRGB(TColor c);

class TCanvas {
public:
  explicit TCanvas(HDC dc);
  ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;
  HDC Handle() const { return FDC; }

  void SetFont(const gdi::FontSpec& f, TColor color);
  void SetBrushColor(TColor c);
  // A clear brush: shapes are not filled, text has no background.
  void SetBrushClear();
  void SetPen(TColor c, int width = 1);

  void FillRect(const RECT& r);
  void Rectangle(const RECT& r);
  void MoveTo(int x, int y) { MoveToEx(FDC, x, y, nullptr); }
  void LineTo(int x, int y) { ::LineTo(FDC, x, y); }
  void TextOut(int x, int y, const std::string& s);
  SIZE TextExtent(const std::string& s);

private:
  HDC FDC;
  int FSaved;
  gdi::Font FFont;
  gdi::Brush FBrush;
  gdi::Pen FPen;
  bool FClearBrush = false;
};
