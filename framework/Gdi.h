// Scoped GDI objects. Every font, brush, pen, bitmap and DC the program creates goes through
// these types, which keep a count of the live ones: Wine's GetGuiResources always answers 0, so
// this count is how a test proves that painting leaves nothing behind.
#pragma once
#include <windows.h>
#include <string>
#include <utility>

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

// GetDC/ReleaseDC for a window (nullptr: the screen).
class WindowDC {
public:
  explicit WindowDC(HWND w);
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

private:
  HDC FDC;
  HGDIOBJ FOld;
};

// A font by name, point size (at the screen's pixels per inch) and weight.
struct FontSpec {
  std::string Name = "MS Sans Serif";
  int Size = 8;  // points
  bool Bold = false;
  int PixelHeight() const;
  bool operator==(const FontSpec&) const = default;
};
Font CreateFont(const FontSpec& f);

// A top-down 32-bit DIB section of w x h; *bits receives its pixels (0x00RRGGBB, row by row).
Bitmap CreateDib32(int w, int h, unsigned** bits);

// A top-down 32-bit DIB section selected into a DC of its own: pixels a test or a buffered
// paint can read back.
class Dib {
public:
  Dib(int w, int h);
  ~Dib();
  Dib(const Dib&) = delete;
  Dib& operator=(const Dib&) = delete;
  HDC DC() const { return FDC; }
  int Width() const { return FW; }
  int Height() const { return FH; }
  // The pixel as a COLORREF (0x00BBGGRR).
  COLORREF Pixel(int x, int y) const;
  HBITMAP Handle() const { return FBitmap.Get(); }

private:
  int FW, FH;
  MemDC FDC;
  unsigned* FBits = nullptr;
  Bitmap FBitmap;
  HGDIOBJ FOld = nullptr;
};

}  // namespace gdi
