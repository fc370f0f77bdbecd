// The painter's colour arithmetic and its picture operations, which work on DIB pixels in
// memory: a menu opens often, and a GDI call per pixel would make every row slow.
#include <algorithm>
#include <cmath>
#include "components/MenuPainter.h"
#include "framework/Transparent.h"

namespace {
int Clamp(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

COLORREF Nearest(COLORREF c, HDC dc) {
  if (!dc) return c;
  COLORREF n = GetNearestColor(dc, c);
  return n == CLR_INVALID ? c : n;
}

int LightenChannel(int c, int percent) {
  // Halves round to even, as the rest of the program's arithmetic does.
  return Clamp(c + RoundHalfEven((255 - c) * percent / 100.0));
}


bool DibPixels(HBITMAP bmp, unsigned** px, int* w, int* h) {
  DIBSECTION ds{};
  if (!bmp || GetObjectA(bmp, sizeof(ds), &ds) != sizeof(ds) || ds.dsBm.bmBitsPixel != 32 || !ds.dsBm.bmBits)
    return false;
  GdiFlush();
  *px = static_cast<unsigned*>(ds.dsBm.bmBits);
  *w = ds.dsBm.bmWidth;
  *h = std::abs(ds.dsBm.bmHeight);
  return true;
}
}  // namespace

COLORREF LightenColor(TColor c, int percent, HDC dc) {
  COLORREF rgb = ColorToRGB(c);
  percent = std::min(percent, 100);
  return Nearest(RGB(LightenChannel(GetRValue(rgb), percent), LightenChannel(GetGValue(rgb), percent),
                     LightenChannel(GetBValue(rgb), percent)),
                 dc);
}

COLORREF ShadeColor(TColor c, int amount, HDC dc) {
  COLORREF rgb = ColorToRGB(c);
  return Nearest(RGB(Clamp(GetRValue(rgb) - amount), Clamp(GetGValue(rgb) - amount + 2), Clamp(GetBValue(rgb) - amount)),
                 dc);
}

COLORREF GrayLevelColor(TColor c, int offset, HDC dc) {
  COLORREF rgb = ColorToRGB(c);
  int level = Clamp(std::min((GetRValue(rgb) + GetGValue(rgb) + GetBValue(rgb)) / 3 + std::min(offset, 100), 240));
  return Nearest(RGB(level, level, level), dc);
}

COLORREF ContrastTextColor(TColor background, TColor fontColor, HDC dc) {
  COLORREF bg = ColorToRGB(background);
  if ((GetRValue(bg) + GetBValue(bg)) / 2 > 150 || GetGValue(bg) > 200) return ColorToRGB(fontColor);
  return LightenColor(bg, 90, dc);
}

void LightenPixels(unsigned* px, int count, int percent) {
  // LightenColor's arithmetic done once for each channel value rather than once a pixel.
  percent = std::min(percent, 100);
  unsigned char t[256];
  for (int c = 0; c < 256; ++c) t[c] = (unsigned char)LightenChannel(c, percent);
  for (int i = 0; i < count; ++i) {
    unsigned v = px[i];
    px[i] = (t[(v >> 16) & 0xFF] << 16) | (t[(v >> 8) & 0xFF] << 8) | t[v & 0xFF];
  }
}

void GrayPixels(unsigned* px, int count, int offset) {
  for (int i = 0; i < count; ++i) px[i] = gdi::ToPixel(GrayLevelColor(gdi::FromPixel(px[i]), offset));
}

bool LightenBitmap(HBITMAP bmp, int percent) {
  unsigned* px;
  int w, h;
  if (!DibPixels(bmp, &px, &w, &h)) return false;
  LightenPixels(px, w * h, percent);
  return true;
}

bool GrayBitmap(HBITMAP bmp, int offset) {
  unsigned* px;
  int w, h;
  if (!DibPixels(bmp, &px, &w, &h)) return false;
  GrayPixels(px, w * h, offset);
  return true;
}

void DrawBitmapShadow(HBITMAP bmp, HDC dc, int x, int y, COLORREF colour) {
  unsigned* px;
  int w, h;
  if (!dc || !DibPixels(bmp, &px, &w, &h)) return;
  unsigned back = px[(h - 1) * w] & 0xFFFFFF, shade = gdi::ToPixel(colour);
  // The shape in the shadow colour on a key that cannot be mistaken for it.
  unsigned key = back != shade ? back : back ^ 1;
  unsigned* sp = nullptr;
  gdi::Bitmap shape = gdi::CreateDib32(w, h, &sp);
  if (!shape) return;
  for (int i = 0; i < w * h; ++i) sp[i] = (px[i] & 0xFFFFFF) == back ? key : shade;
  GdiFlush();
  gdi::MaskedBitmap(shape, gdi::FromPixel(key)).Draw(dc, x, y);
}
