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

void Frame3D(HDC dc, RECT& r, COLORREF topLeft, COLORREF bottomRight) {
  int l = r.left, t = r.top, rr = r.right - 1, b = r.bottom - 1;
  gdi::FillSolid(dc, RECT{l, t, l + 1, b + 1}, topLeft);
  gdi::FillSolid(dc, RECT{l, t, rr, t + 1}, topLeft);
  gdi::FillSolid(dc, RECT{rr, t, rr + 1, b + 1}, bottomRight);
  gdi::FillSolid(dc, RECT{l, b, rr + 1, b + 1}, bottomRight);
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
    gdi::FillSolid(dc, r, colour(0));
    return;
  }
  COLORREF from = colour(0), to = sections > 1 ? colour(1) : colour(0);
  int index = 1, boundary = length;  // boundaries count from the canvas origin
  double red = GetRValue(from), green = GetGValue(from), blue = GetBValue(from);
  for (int pos = start; pos <= end;) {
    gdi::FillSolid(dc, bandRect(pos, pos + band), RGB(Clamp(red), Clamp(green), Clamp(blue)));
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
