// The picture strip behind animated images and button glyphs.
#pragma once
#include <windows.h>
#include <functional>
#include "framework/Gdi.h"

// A picture strip (frames side by side or stacked): an owned bitmap that reports each change.
class TStripBitmap {
public:
  // Marks "no colour set on the bitmap itself".
  static constexpr COLORREF clDefault = 0x20000000;

  bool Empty() const { return !FBitmap; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool Monochrome() const { return FBitsPerPixel == 1; }
  int BitsPerPixel() const { return FBitsPerPixel; }
  HBITMAP Handle() const { return FBitmap.Get(); }

  // Copies the picture (nullptr empties the strip).
  void Assign(HBITMAP source);
  void Assign(const TStripBitmap& source);
  // Loads a bitmap resource, keeping its colour format; a missing one empties the strip and
  // gives false.
  bool LoadFromResource(HINSTANCE inst, const char* name);
  void Clear() { Assign(nullptr); }

  // The colour set on the bitmap itself as transparent, or clDefault.
  COLORREF FixedTransparentColor() const { return FTransparentColor; }
  void SetFixedTransparentColor(COLORREF c);
  // The strip's transparent colour: the one set on it, else white for a monochrome strip, else
  // its bottom-left pixel. Black for an empty strip.
  COLORREF TransparentColor() const;

  std::function<void()> OnChange;

private:
  void Take(gdi::Bitmap bmp);
  void Changed() { if (OnChange) OnChange(); }
  gdi::Bitmap FBitmap;
  int FWidth = 0, FHeight = 0, FBitsPerPixel = 0;
  COLORREF FTransparentColor = clDefault;
};
