#include "framework/Gdi.h"
#include <algorithm>
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

WindowDC::WindowDC(HWND w, DCArea area) : FWnd(w), FDC(area == DCArea::Window ? GetWindowDC(w) : GetDC(w)) { if (FDC) detail::Created(); }
WindowDC::~WindowDC() { if (FDC) { ReleaseDC(FWnd, FDC); detail::Deleted(); } }

PaintDC::PaintDC(HWND w) : FWnd(w) { BeginPaint(w, &FPs); }
PaintDC::~PaintDC() { EndPaint(FWnd, &FPs); }

int FontSpec::LogHeight() const {
  if (Height) return Height;
  if (PixelsPerInch) return -MulDiv(Size, PixelsPerInch, 72);
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
  // The DC's own brush: no brush is made for a fill.
  COLORREF old = SetDCBrushColor(dc, c);
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  SetDCBrushColor(dc, old);
}

Bitmap LoadDibResource(HINSTANCE inst, const char* name) {
  return Bitmap(static_cast<HBITMAP>(LoadImageA(inst, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
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

Dib::Dib(int w, int h) : FW(w), FH(h), FBitmap(CreateDib32(w, h, &FBits)), FSelected(FDC, FBitmap.Get()) {}

COLORREF Dib::Pixel(int x, int y) const {
  if (!FBits || x < 0 || y < 0 || x >= FW || y >= FH) return CLR_INVALID;
  GdiFlush();
  return FromPixel(FBits[y * FW + x]);
}

bool BackBuffer::Fit(int w, int h) {
  // Beyond this a side is no window's, and w * h * 4 stays within an int.
  constexpr int kMaxSide = 16384;
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide) return false;
  if (!FDib || FDib->Width() < w || FDib->Height() < h) {
    const int ow = FDib ? FDib->Width() : 0, oh = FDib ? FDib->Height() : 0;
    FDib.reset();  // the old one goes first: both at once might not fit
    FDib = std::make_unique<Dib>(std::max(w, ow), std::max(h, oh));
    if (!FDib->Bits()) {
      FDib.reset();
      return false;
    }
  }
  SelectClipRgn(FDib->DC(), nullptr);
  IntersectClipRect(FDib->DC(), 0, 0, w, h);
  return true;
}

}  // namespace gdi
