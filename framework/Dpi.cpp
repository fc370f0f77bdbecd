#include "framework/Dpi.h"
#include <algorithm>
#include <cmath>
#include <vector>

int ScreenPixelsPerInch() {
  static const int dpi = [] {
    HDC dc = GetDC(nullptr);
    int v = dc ? GetDeviceCaps(dc, LOGPIXELSY) : kDesignDpi;
    if (dc) ReleaseDC(nullptr, dc);
    return v > 0 ? v : kDesignDpi;
  }();
  return dpi;
}

int WindowPixelsPerInch(HWND w) {
  // Looked up at run time: XP's user32 has no such function.
  using TGetDpiForWindow = UINT(WINAPI*)(HWND);
  static const auto getDpi =
      reinterpret_cast<TGetDpiForWindow>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  UINT dpi = getDpi && w ? getDpi(w) : 0;
  return dpi ? (int)dpi : ScreenPixelsPerInch();
}

int SmallIconSize() {
  int v = GetSystemMetrics(SM_CXSMICON);
  return v > 0 ? v : 16;
}

gdi::Bitmap SmoothScaled(HBITMAP src, int w, int h, COLORREF keyColour) {
  BITMAP bm{};
  if (!src || w <= 0 || h <= 0 || w > 8192 || h > 8192 || !GetObjectA(src, sizeof bm, &bm)) return {};
  const int sw = bm.bmWidth, sh = bm.bmHeight;
  if (sw <= 0 || sh <= 0 || sw > 8192 || sh > 8192) return {};
  std::vector<unsigned> in((size_t)sw * sh);
  BITMAPINFO bi{};
  bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), sw, -sh, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  {
    gdi::MemDC dc;
    if (GetDIBits(dc, src, 0, sh, in.data(), &bi, DIB_RGB_COLORS) != sh) return {};
  }
  unsigned* out = nullptr;
  gdi::Bitmap result = gdi::CreateDib32(w, h, &out);
  if (!result || !out) return {};
  const unsigned key = keyColour == CLR_INVALID    ? 0xFF000000u  // matches no pixel
                       : keyColour == kBottomLeftKey ? in[(size_t)(sh - 1) * sw] & 0xFFFFFF
                                                     : gdi::ToPixel(keyColour);
  for (int y = 0; y < h; ++y) {
    // The target pixel's centre in the source, clamped to its edge pixels.
    double fy = std::clamp((y + 0.5) * sh / h - 0.5, 0.0, sh - 1.0);
    int y0 = (int)fy, y1 = std::min(y0 + 1, sh - 1);
    double wy = fy - y0;
    for (int x = 0; x < w; ++x) {
      double fx = std::clamp((x + 0.5) * sw / w - 0.5, 0.0, sw - 1.0);
      int x0 = (int)fx, x1 = std::min(x0 + 1, sw - 1);
      double wx = fx - x0;
      const int xs[4] = {x0, x1, x0, x1}, ys[4] = {y0, y0, y1, y1};
      const double ws[4] = {(1 - wx) * (1 - wy), wx * (1 - wy), (1 - wx) * wy, wx * wy};
      double r = 0, g = 0, b = 0, solid = 0;
      for (int k = 0; k < 4; ++k) {
        unsigned p = in[(size_t)ys[k] * sw + xs[k]] & 0xFFFFFF;
        if (p == key) continue;
        r += ws[k] * (p >> 16 & 0xFF), g += ws[k] * (p >> 8 & 0xFF), b += ws[k] * (p & 0xFF), solid += ws[k];
      }
      unsigned& o = out[(size_t)y * w + x];
      if (solid < 0.5) o = key & 0xFFFFFF;
      else o = (unsigned)std::lround(r / solid) << 16 | (unsigned)std::lround(g / solid) << 8 | (unsigned)std::lround(b / solid);
    }
  }
  return result;
}

void ScaleStrip(TStripBitmap& strip, int newDpi, int oldDpi) {
  if (strip.Empty() || newDpi == oldDpi) return;
  gdi::Bitmap b = SmoothScaled(strip.Handle(), ScaleToDpi(strip.Width(), newDpi, oldDpi),
                               ScaleToDpi(strip.Height(), newDpi, oldDpi),
                               strip.Monochrome() ? CLR_INVALID : strip.TransparentColor());
  if (b) strip.Assign(b.Get());
}

gdi::FontSpec ScaledFont(gdi::FontSpec f, int newDpi, int oldDpi) {
  if (f.Height) f.Height = ScaleToDpi(f.Height, newDpi, oldDpi);
  f.PixelsPerInch = newDpi;
  return f;
}
