#include "framework/Gdi.h"
#include <atomic>
#include <cstring>

COLORREF ColorToRGB(TColor c) {
  if ((c & 0xFF000000u) == clSystemColor) return GetSysColor((int)(c & 0xFF));
  return c & 0x00FFFFFFu;
}

namespace gdi {
namespace {
std::atomic<int> live{0};
}

int LiveObjects() { return live.load(); }
void detail::Created() { ++live; }
void detail::Deleted() { --live; }

MemDC::MemDC(HDC ref) : FDC(CreateCompatibleDC(ref)) { if (FDC) detail::Created(); }
MemDC::~MemDC() { if (FDC) { DeleteDC(FDC); detail::Deleted(); } }

WindowDC::WindowDC(HWND w) : FWnd(w), FDC(GetDC(w)) { if (FDC) detail::Created(); }
WindowDC::~WindowDC() { if (FDC) { ReleaseDC(FWnd, FDC); detail::Deleted(); } }

PaintDC::PaintDC(HWND w) : FWnd(w) { BeginPaint(w, &FPs); }
PaintDC::~PaintDC() { EndPaint(FWnd, &FPs); }

int FontSpec::LogHeight() const {
  if (Height) return Height;
  WindowDC dc(nullptr);
  int ppi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  return -MulDiv(Size, ppi, 72);
}

FontSpec FontSpec::FromLogFont(const LOGFONTA& lf) {
  FontSpec f;
  f.Name = std::string(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
  f.Height = lf.lfHeight;
  f.Bold = lf.lfWeight >= FW_BOLD;
  f.Italic = lf.lfItalic != 0;
  f.Underline = lf.lfUnderline != 0;
  f.StrikeOut = lf.lfStrikeOut != 0;
  f.Escapement = lf.lfEscapement;
  f.CharSet = lf.lfCharSet;
  f.Quality = lf.lfQuality;
  f.OutPrecision = lf.lfOutPrecision;
  return f;
}

Font MakeFont(const FontSpec& f) {
  LOGFONTA lf{};
  lf.lfHeight = f.LogHeight();
  lf.lfWeight = f.Bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = f.Italic;
  lf.lfUnderline = f.Underline;
  lf.lfStrikeOut = f.StrikeOut;
  // Outside the advanced graphics mode the system turns the glyphs with the line anyway.
  lf.lfEscapement = lf.lfOrientation = f.Escapement;
  lf.lfCharSet = f.CharSet;
  lf.lfOutPrecision = f.OutPrecision;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = f.Quality;
  lstrcpynA(lf.lfFaceName, f.Name.c_str(), LF_FACESIZE);
  return Font(CreateFontIndirectA(&lf));
}

void FillSolid(HDC dc, const RECT& r, COLORREF c) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  Brush b(CreateSolidBrush(c));
  FillRect(dc, &r, b);
}

Bitmap CreateDib32(int w, int h, unsigned** bits) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* p = nullptr;
  Bitmap bmp(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0));
  *bits = static_cast<unsigned*>(p);
  return bmp;
}

Dib::Dib(int w, int h) : FW(w), FH(h), FBitmap(CreateDib32(w, h, &FBits)) {
  if (FBitmap) FOld = SelectObject(FDC, FBitmap);
}

Dib::~Dib() {
  if (FOld) SelectObject(FDC, FOld);
}

COLORREF Dib::Pixel(int x, int y) const {
  if (!FBits || x < 0 || y < 0 || x >= FW || y >= FH) return CLR_INVALID;
  GdiFlush();
  return FromPixel(FBits[y * FW + x]);
}

}  // namespace gdi
