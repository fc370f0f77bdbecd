#include "framework/Canvas.h"

COLORREF ColorToRGB(TColor c) {
  if ((c & 0xFF000000u) == clSystemColor) return GetSysColor((int)(c & 0xFF));
  return c & 0x00FFFFFFu;
}

TCanvas::TCanvas(HDC dc) : FDC(dc), FSaved(SaveDC(dc)) {}

TCanvas::~TCanvas() {
  // Put back what the DC held before, so our own objects are free to be deleted.
  RestoreDC(FDC, FSaved);
}

void TCanvas::SetFont(const gdi::FontSpec& f, TColor color) {
  gdi::Font fresh = gdi::CreateFont(f);
  SelectObject(FDC, fresh);
  FFont = std::move(fresh);
  SetTextColor(FDC, ColorToRGB(color));
}

void TCanvas::SetBrushColor(TColor c) {
  gdi::Brush fresh(CreateSolidBrush(ColorToRGB(c)));
  SelectObject(FDC, fresh);
  FBrush = std::move(fresh);
  FClearBrush = false;
  SetBkColor(FDC, ColorToRGB(c));
  SetBkMode(FDC, OPAQUE);
}

void TCanvas::SetBrushClear() {
  SelectObject(FDC, GetStockObject(NULL_BRUSH));
  FBrush.Reset();
  FClearBrush = true;
  SetBkMode(FDC, TRANSPARENT);
}

void TCanvas::SetPen(TColor c, int width) {
  gdi::Pen fresh(CreatePen(PS_SOLID, width, ColorToRGB(c)));
  SelectObject(FDC, fresh);
  FPen = std::move(fresh);
}

void TCanvas::FillRect(const RECT& r) {
  if (FClearBrush) return;
  HBRUSH b = FBrush ? FBrush.Get() : static_cast<HBRUSH>(GetCurrentObject(FDC, OBJ_BRUSH));
  ::FillRect(FDC, &r, b);
}

void TCanvas::Rectangle(const RECT& r) { ::Rectangle(FDC, r.left, r.top, r.right, r.bottom); }

void TCanvas::TextOut(int x, int y, const std::string& s) { ::TextOutA(FDC, x, y, s.c_str(), (int)s.size()); }

SIZE TCanvas::TextExtent(const std::string& s) {
  SIZE sz{0, 0};
  GetTextExtentPoint32A(FDC, s.c_str(), (int)s.size(), &sz);
  return sz;
}
