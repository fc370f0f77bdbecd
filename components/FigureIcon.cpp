#include "components/FigureIcon.h"
#include <algorithm>
#include <string>

namespace {

// The seven segments of a digit, one bit each: a top, b upper right, c lower right, d bottom,
// e lower left, f upper left, g middle.
enum : unsigned { sgA = 1, sgB = 2, sgC = 4, sgD = 8, sgE = 16, sgF = 32, sgG = 64 };
const unsigned kSegments[10] = {
    sgA | sgB | sgC | sgD | sgE | sgF,        // 0
    sgB | sgC,                                // 1
    sgA | sgB | sgG | sgE | sgD,              // 2
    sgA | sgB | sgG | sgC | sgD,              // 3
    sgF | sgG | sgB | sgC,                    // 4
    sgA | sgF | sgG | sgC | sgD,              // 5
    sgA | sgF | sgG | sgE | sgC | sgD,        // 6
    sgA | sgB | sgC,                          // 7
    sgA | sgB | sgC | sgD | sgE | sgF | sgG,  // 8
    sgA | sgB | sgC | sgD | sgF | sgG,        // 9
};

// Where the digits go in a side of w x h: a stroke of t pixels, cells of dw x dh with gap pixels
// between them, the first at (x, y). A "1" is one stroke wide, the others a whole cell.
struct TLayout {
  int t, dw, dh, gap, x, y;
};

TLayout LayOut(const std::string& digits, int w, int h) {
  const int edge = std::max(1, h / 32);
  const int innerW = w - 2 * edge, innerH = h - 2 * edge;
  TLayout l{};
  if (digits.size() == 3) {
    // "100": a one and two zeros share the width, in a thinner stroke.
    l.t = std::max(1, (w + 4) / 12);
    l.gap = std::max(1, w / 16);
    l.dw = (innerW - 2 * l.gap - l.t) / 2;
  } else {
    // One digit or two get the cell of two, so the figure keeps its size from 9 to 10.
    l.t = std::max(1, (w + 2) / 8);
    l.gap = std::max(1, w / 8);
    l.dw = (innerW - l.gap) / 2;
  }
  l.dw = std::max(l.dw, l.t);
  // A margin above and below; the three bars and the two openings between them in whole
  // pixels, the openings equal.
  l.dh = std::max(3 * l.t, innerH - 2 * std::max(1, h / 16));
  if ((l.dh - 3 * l.t) % 2) --l.dh;
  int total = 0;
  for (char c : digits) total += (c == '1' ? l.t : l.dw);
  total += (int)(digits.size() - 1) * l.gap;
  l.x = edge + (innerW - total) / 2;
  l.y = edge + (innerH - l.dh) / 2;
  return l;
}

struct TCanvas {
  unsigned* bits;
  int w, h;
  // Opaque pixels (alpha 255) in [x0, x1) x [y0, y1), cut to the picture.
  void Fill(int x0, int y0, int x1, int y1, COLORREF c) const {
    const unsigned p = 0xFF000000u | gdi::ToPixel(c);
    x0 = std::max(x0, 0), y0 = std::max(y0, 0), x1 = std::min(x1, w), y1 = std::min(y1, h);
    for (int y = y0; y < y1; ++y) std::fill(bits + y * w + x0, bits + y * w + std::max(x0, x1), p);
  }
};

void DrawDigit(const TCanvas& cv, unsigned segments, int x, int y, int dw, int dh, int t) {
  const int v = (dh - 3 * t) / 2;  // the opening between two bars
  const int mid = y + t + v;       // the middle bar's top
  auto fill = [&](int x0, int y0, int ww, int hh) { cv.Fill(x0, y0, x0 + ww, y0 + hh, kFigureInk); };
  if (segments & sgA) fill(x, y, dw, t);
  if (segments & sgG) fill(x, mid, dw, t);
  if (segments & sgD) fill(x, y + dh - t, dw, t);
  if (segments & sgF) fill(x, y, t, mid + t - y);
  if (segments & sgB) fill(x + dw - t, y, t, mid + t - y);
  if (segments & sgE) fill(x, mid, t, y + dh - mid);
  if (segments & sgC) fill(x + dw - t, mid, t, y + dh - mid);
}

// The whole picture: the edge, the filled square, the digits.
void DrawFigure(const TCanvas& cv, int percent) {
  const int edge = std::max(1, cv.h / 32);
  cv.Fill(0, 0, cv.w, cv.h, kFigureEdge);
  cv.Fill(edge, edge, cv.w - edge, cv.h - edge, kFigureBack);
  const std::string digits = std::to_string(percent);
  const TLayout l = LayOut(digits, cv.w, cv.h);
  int x = l.x;
  for (char c : digits) {
    // A one is its right-hand stroke alone, so that it takes no more room than it shows.
    const int width = c == '1' ? l.t : l.dw;
    DrawDigit(cv, kSegments[c - '0'], x, l.y, width, l.dh, l.t);
    x += width + l.gap;
  }
}

void Destroy(HICON& h) {
  if (!h) return;
  DestroyIcon(h);
  gdi::detail::Deleted();
  h = nullptr;
}

}  // namespace

TFigureIcon::~TFigureIcon() { Clear(); }

bool TFigureIcon::Fit(int w, int h) {
  if (w == FW && h == FH && FColor && FMask) return true;
  FColor.Reset();
  FMask.Reset();
  FW = FH = 0;
  FBits = nullptr;
  gdi::Bitmap color = gdi::CreateDib32(w, h, &FBits);
  // All zeros (rows of whole words): every pixel opaque, for a system that draws the mask
  // rather than the alpha.
  const std::string zeros((size_t)((w + 15) / 16 * 2) * h, '\0');
  gdi::Bitmap mask(CreateBitmap(w, h, 1, 1, zeros.data()));
  if (!color || !mask || !FBits) return false;
  FColor = std::move(color);
  FMask = std::move(mask);
  FW = w, FH = h;
  return true;
}

bool TFigureIcon::SetFigure(int percent, int w, int h) {
  percent = std::clamp(percent, 0, 100);
  if (FIcon && percent == FFigure && w == FIconW && h == FIconH) return false;
  if (w < 1 || h < 1 || w > 256 || h > 256 || !Fit(w, h)) return false;
  DrawFigure(TCanvas{FBits, w, h}, percent);
  GdiFlush();
  ICONINFO ii{};
  ii.fIcon = TRUE;
  ii.hbmColor = FColor;
  ii.hbmMask = FMask;
  HICON made = CreateIconIndirect(&ii);
  if (!made) return false;
  gdi::detail::Created();
  Destroy(FPrevious);  // one not yet dropped: the shell has had a newer one since
  FPrevious = FIcon;
  FIcon = made;
  FFigure = percent;
  FIconW = w, FIconH = h;
  return true;
}

void TFigureIcon::DropPrevious() { Destroy(FPrevious); }

void TFigureIcon::Clear() {
  Destroy(FPrevious);
  Destroy(FIcon);
  FFigure = -1;
  FColor.Reset();
  FMask.Reset();
  FBits = nullptr;
  FW = FH = 0;
}
