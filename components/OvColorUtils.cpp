#include "components/OvColorUtils.h"
#include <mmsystem.h>
#include <algorithm>
#include <cmath>
#include "framework/Gdi.h"
#include "framework/Classes.h"
#include "framework/Transparent.h"

namespace {
int Clamp(double v) { return std::clamp(RoundHalfEven(v), 0, 255); }
}  // namespace

COLORREF ShiftColor(TColor c, int delta) {
  COLORREF rgb = ColorToRGB(c);
  return RGB(Clamp(GetRValue(rgb) + delta), Clamp(GetGValue(rgb) + delta), Clamp(GetBValue(rgb) + delta));
}

COLORREF GrayLevel(TColor c) {
  int level = Clamp((20.0 * (c & 0xFF) + 50.0 * ((c >> 8) & 0xFF) + 30.0 * ((c >> 16) & 0xFF)) / 100.0);
  return RGB(level, level, level);
}

bool IsLightColor(TColor c) {
  COLORREF g = GrayLevel(c);
  int dark = (GetRValue(g) < 128) + (GetGValue(g) < 128) + (GetBValue(g) < 128);
  return dark <= 1;
}

void FillRectColor(HDC dc, const RECT& r, COLORREF c) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  // The DC's own brush: no brush is made for a fill.
  COLORREF old = SetDCBrushColor(dc, c);
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  SetDCBrushColor(dc, old);
}

void Frame3D(HDC dc, RECT& r, COLORREF topLeft, COLORREF bottomRight) {
  int l = r.left, t = r.top, rr = r.right - 1, b = r.bottom - 1;
  FillRectColor(dc, RECT{l, t, l + 1, b + 1}, topLeft);
  FillRectColor(dc, RECT{l, t, rr, t + 1}, topLeft);
  FillRectColor(dc, RECT{rr, t, rr + 1, b + 1}, bottomRight);
  FillRectColor(dc, RECT{l, b, rr + 1, b + 1}, bottomRight);
  InflateRect(&r, -1, -1);
}

void FillGradientBands(HDC dc, const RECT& r, const std::vector<COLORREF>& colours, int sections, int direction,
                       int band) {
  if (r.right == 0 || r.bottom == 0 || colours.empty()) return;
  if (band < 1) band = 1;
  if (sections < 1) sections = 3;
  const bool vertical = direction == 0;  // bands stacked top to bottom
  const int start = vertical ? r.top : r.left, end = vertical ? r.bottom : r.right;
  const int length = (end - start) / sections;
  auto colour = [&](int i) { return colours[std::min<size_t>(i, colours.size() - 1)]; };
  auto bandRect = [&](int from, int to) {
    return vertical ? RECT{r.left, from, r.right, to} : RECT{from, r.top, to, r.bottom};
  };
  if (length <= 0) {
    // Too short for its sections: the steps per band would divide by zero.
    FillRectColor(dc, r, colour(0));
    return;
  }
  COLORREF from = colour(0), to = sections > 1 ? colour(1) : colour(0);
  int index = 1, boundary = length;  // boundaries count from the canvas origin
  double red = GetRValue(from), green = GetGValue(from), blue = GetBValue(from);
  for (int pos = start; pos <= end;) {
    FillRectColor(dc, bandRect(pos, pos + band), RGB(Clamp(red), Clamp(green), Clamp(blue)));
    pos += band;
    if (pos >= boundary) {
      boundary += length;
      index = std::min(index + 1, sections);
      from = to;
      to = colour(index);
    }
    red += double(GetRValue(to) - GetRValue(from)) / length * band;
    green += double(GetGValue(to) - GetGValue(from)) / length * band;
    blue += double(GetBValue(to) - GetBValue(from)) / length * band;
  }
}

void BlitMasked(HDC dc, int x, int y, int w, int h, HDC image, HDC mask, int sx, int sy) {
  // A one-bit source paints its 0 bits in the text colour and its 1 bits in the background.
  COLORREF text = SetTextColor(dc, RGB(0, 0, 0)), back = SetBkColor(dc, RGB(255, 255, 255));
  BitBlt(dc, x, y, w, h, mask, sx, sy, SRCAND);
  BitBlt(dc, x, y, w, h, image, sx, sy, SRCPAINT);
  SetTextColor(dc, text);
  SetBkColor(dc, back);
}

void DrawTransparentBitmap(HDC dc, HBITMAP bmp, int x, int y, int transparent) {
  gdi::MaskedBitmap(bmp, transparent < 0 ? gdi::MaskedBitmap::OwnColor : (COLORREF)transparent).Draw(dc, x, y);
}

bool PlayButtonSound(const std::string& name) {
  if (name.empty() || name.size() >= MAX_PATH) return false;
  DWORD attr = GetFileAttributesA(name.c_str());
  if (attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY))
    return PlaySoundA(name.c_str(), nullptr, SND_ASYNC | SND_FILENAME | SND_NODEFAULT), true;
  // PlaySound itself looks for resources of the type "WAVE" only: play the data from memory.
  const void* bytes = ResourceBytes(GetModuleHandleA(nullptr), name.c_str(), "RT_RCDATA").Data;
  if (!bytes) return false;
  PlaySoundA(static_cast<const char*>(bytes), nullptr, SND_ASYNC | SND_MEMORY | SND_NODEFAULT);
  return true;
}
