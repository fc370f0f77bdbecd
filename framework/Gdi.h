// Scoped GDI objects. Every font, brush, pen, bitmap and DC the program creates goes through
// these types, which keep a count of the live ones: Wine's GetGuiResources always answers 0, so
// this count is how a test proves that painting leaves nothing behind.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include <utility>

// A colour value: 0x00BBGGRR, or 0xFF0000nn for the system colour nn.
using TColor = unsigned;
constexpr TColor clSystemColor = 0xFF000000u;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clMenuText = clSystemColor | COLOR_MENUTEXT;
// A system colour resolved through the system's colour table; any other value as RGB.
COLORREF ColorToRGB(TColor c);

namespace gdi {

// Live GDI objects created through the wrappers below.
int LiveObjects();

namespace detail {
void Created();
void Deleted();
}  // namespace detail

// Owns one HGDIOBJ of type H (HFONT, HBRUSH, HPEN, HBITMAP, HRGN).
template <class H>
class Object {
public:
  Object() = default;
  explicit Object(H h) : FHandle(h) { if (h) detail::Created(); }
  ~Object() { Reset(); }
  Object(Object&& o) noexcept : FHandle(std::exchange(o.FHandle, nullptr)) {}
  Object& operator=(Object&& o) noexcept {
    if (this != &o) { Reset(); FHandle = std::exchange(o.FHandle, nullptr); }
    return *this;
  }
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  void Reset(H h = nullptr) {
    if (FHandle) { DeleteObject(FHandle); detail::Deleted(); }
    FHandle = h;
    if (h) detail::Created();
  }
  H Get() const { return FHandle; }
  operator H() const { return FHandle; }
  explicit operator bool() const { return FHandle != nullptr; }

private:
  H FHandle = nullptr;
};

using Font = Object<HFONT>;
using Brush = Object<HBRUSH>;
using Pen = Object<HPEN>;
using Bitmap = Object<HBITMAP>;
using Region = Object<HRGN>;

// A memory DC compatible with another DC (or the screen).
class MemDC {
public:
  explicit MemDC(HDC ref = nullptr);
  ~MemDC();
  MemDC(const MemDC&) = delete;
  MemDC& operator=(const MemDC&) = delete;
  HDC Get() const { return FDC; }
  operator HDC() const { return FDC; }

private:
  HDC FDC;
};

// GetDC (the client area; nullptr: the screen) or GetWindowDC (the whole window, frame
// included), and ReleaseDC.
enum class DCArea { Client, Window };
class WindowDC {
public:
  explicit WindowDC(HWND w, DCArea area = DCArea::Client);
  ~WindowDC();
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  operator HDC() const { return FDC; }

private:
  HWND FWnd;
  HDC FDC;
};

// BeginPaint/EndPaint.
class PaintDC {
public:
  explicit PaintDC(HWND w);
  ~PaintDC();
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  operator HDC() const { return FPs.hdc; }
  const RECT& Rect() const { return FPs.rcPaint; }

private:
  HWND FWnd;
  PAINTSTRUCT FPs{};
};

// Selects an object into a DC for one scope and puts the previous one back.
class Select {
public:
  Select(HDC dc, HGDIOBJ obj) : FDC(dc), FOld(obj ? SelectObject(dc, obj) : nullptr) {}
  ~Select() { if (FOld) SelectObject(FDC, FOld); }
  Select(const Select&) = delete;
  Select& operator=(const Select&) = delete;
  // False when nothing was selected: no object, or one the DC refused (a bitmap already
  // selected into another DC, for one).
  explicit operator bool() const { return FOld != nullptr; }

private:
  HDC FDC;
  HGDIOBJ FOld;
};

// Saves a DC's state (selections, colours, modes, clipping) and restores it at the end of the
// scope, whatever was selected or set into the DC meanwhile.
class SavedDC {
public:
  explicit SavedDC(HDC dc) : FDC(dc), FSaved(dc ? SaveDC(dc) : 0) {}
  ~SavedDC() { if (FSaved) RestoreDC(FDC, FSaved); }
  SavedDC(const SavedDC&) = delete;
  SavedDC& operator=(const SavedDC&) = delete;

private:
  HDC FDC;
  int FSaved;
};

// A font by face, size and style. The size is Size points at the screen's pixels per inch,
// unless Height is set: pixels, as fonts are given in a window description (negative: the
// character height, positive: the cell height).
struct FontSpec {
  std::string Name = "MS Sans Serif";
  int Size = 8;  // points
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  int Height = 0;      // pixels; 0: from Size
  int Escapement = 0;  // tenths of a degree, counter-clockwise from the baseline
  BYTE CharSet = DEFAULT_CHARSET;
  BYTE Quality = DEFAULT_QUALITY;
  BYTE OutPrecision = OUT_DEFAULT_PRECIS;  // OUT_TT_ONLY_PRECIS: TrueType only, which rotates
  int PixelsPerInch = 0;  // of the window the font is for (Size is turned into pixels at it); 0: the screen's
  // The LOGFONT height this asks for.
  int LogHeight() const;
  // The description of a font the system names (the menu font, for one).
  static FontSpec FromLogFont(const LOGFONTA& lf);
  bool operator==(const FontSpec&) const = default;
};
// The one way a font is made. Every description takes the system's character set
// (DEFAULT_CHARSET, FontSpec's own) unless it names another, so that a caption of a Japanese,
// Chinese, Cyrillic or Greek code page shows in its own letters; a font the system describes
// (FromLogFont) keeps the set the system gave it.
Font MakeFont(const FontSpec& f);

// The one way a rectangle is filled with a solid colour: through the DC's own brush, so no
// brush is made. An empty rectangle fills nothing.
void FillSolid(HDC dc, const RECT& r, COLORREF c);

// A top-down 32-bit DIB section of w x h; *bits receives its pixels (0x00RRGGBB, row by row).
Bitmap CreateDib32(int w, int h, unsigned** bits);
// A bitmap resource of a module as a DIB section, in its stored format, so that its pixels can
// be read and rewritten; empty when the module has none of that name. The one way a picture
// resource is loaded.
Bitmap LoadDibResource(HINSTANCE inst, const char* name);
// A colour as such a pixel, and back: the one packing of the program.
inline unsigned ToPixel(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
inline COLORREF FromPixel(unsigned v) { return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF); }

// A top-down 32-bit DIB section selected into a DC of its own: pixels a test or a buffered
// paint can read back and write in memory.
class Dib {
public:
  Dib(int w, int h);
  Dib(const Dib&) = delete;
  Dib& operator=(const Dib&) = delete;
  HDC DC() const { return FDC; }
  int Width() const { return FW; }
  int Height() const { return FH; }
  // The pixel as a COLORREF (0x00BBGGRR).
  COLORREF Pixel(int x, int y) const;
  HBITMAP Handle() const { return FBitmap.Get(); }
  // The pixels, row by row; null when the section could not be made.
  unsigned* Bits() const { return FBitmap ? FBits : nullptr; }

private:
  int FW, FH;
  MemDC FDC;
  unsigned* FBits = nullptr;
  Bitmap FBitmap;
  Select FSelected;
};

// The off-screen picture of a buffered paint, kept between paints: a Dib that grows to the
// largest size asked of it and never shrinks, so that a paint makes no GDI object once the
// buffer has room. Fit clips its DC to the size asked, so drawing past that lands nowhere, as
// in a bitmap of exactly that size; the pixels outside it are left as they were.
class BackBuffer {
public:
  // Room for w x h; false when none can be had: an empty or too large size (the buffer stays
  // as it is) or a refused allocation (nothing is kept). The DC's other state is whatever the
  // last user left: a paint saves and restores it.
  bool Fit(int w, int h);
  void Reset() { FDib.reset(); }
  HDC DC() const { return FDib ? FDib->DC() : nullptr; }
  // The pixels, row y at Bits() + y * Stride(); call GdiFlush before reading what GDI drew.
  unsigned* Bits() const { return FDib ? FDib->Bits() : nullptr; }
  int Stride() const { return FDib ? FDib->Width() : 0; }
  unsigned& At(int x, int y) const { return FDib->Bits()[y * FDib->Width() + x]; }

private:
  std::unique_ptr<Dib> FDib;
};

}  // namespace gdi
