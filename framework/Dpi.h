// The screen's pixels per inch and what follows from it. A window description gives its
// positions, sizes and pixel font heights at 96 pixels per inch (kDesignDpi); the form scales
// them when it is created and again when Windows moves it to a screen of another DPI
// (TForm::SetPixelsPerInch, the one place that does it).
#pragma once
#include <windows.h>
#include "framework/Gdi.h"
#include "framework/StripBitmap.h"

constexpr int kDesignDpi = 96;

// LOGPIXELSY of the screen, read once, at the first call: the DPI the program lays out for.
int ScreenPixelsPerInch();
// A length of a description at `from` pixels per inch, at dpi (rounded half away from zero).
// Through its length at 96: a layout scaled from one DPI to another is the one 96 gives, however
// many DPIs it went through before (rounding does not pile up).
inline int ScaleToDpi(int v, int dpi, int from = kDesignDpi) {
  if (from == dpi) return v;
  if (from != kDesignDpi) v = MulDiv(v, kDesignDpi, from);
  return dpi == kDesignDpi ? v : MulDiv(v, dpi, kDesignDpi);
}
// The DPI of the monitor a window is on where the system says (Windows 10 1607 on), else the
// screen's.
int WindowPixelsPerInch(HWND w);
// The size the shell shows a small icon at, SM_CXSMICON: 16 at 96 DPI, 20, 24, 32 at higher
// ones. The tray icon, its animation frames and the alarm image are loaded at this size.
int SmallIconSize();
// src (any bitmap not selected into a DC) at w x h, filtered (bilinear), as a 32-bit DIB
// section: a picture drawn at 96 DPI shown at another, smooth rather than blocky. Pixels of
// the key colour (kBottomLeftKey: src's bottom-left pixel's; CLR_INVALID: none) are
// transparent: never blended into the others, and a pixel that falls mostly on them stays
// that colour. Empty when src cannot be read.
constexpr COLORREF kBottomLeftKey = 0x20000000;
gdi::Bitmap SmoothScaled(HBITMAP src, int w, int h, COLORREF key = CLR_INVALID);
// A glyph or frame strip drawn at oldDpi, filtered to newDpi, its transparent colour kept.
void ScaleStrip(TStripBitmap& strip, int newDpi, int oldDpi);
// A font description made for newDpi: a pixel height scaled, a size in points made at newDpi.
gdi::FontSpec ScaledFont(gdi::FontSpec f, int newDpi, int oldDpi);
// WM_DPICHANGED, which XP to 8 never send.
constexpr UINT kWmDpiChanged = 0x02E0;
