// Pictures drawn with one colour left out (the colour key): menu pictures, flags, the image
// list, the colour buttons' glyphs and the animated image's frames go through this one type.
#pragma once
#include <windows.h>
#include "framework/Gdi.h"

namespace gdi {

// A bitmap's own transparent colour: white for a monochrome bitmap, otherwise its bottom-left
// pixel. Black for no bitmap.
COLORREF OwnTransparentColor(HBITMAP bmp);

// A copy of a picture with the pixels of its key colour masked out. The mask is made once, when
// the copy is built, so a draw is two blits however often the picture is drawn: the mask ANDed
// onto the target clears the picture's place, the picture (black at the key) ORed on fills it.
class MaskedBitmap {
public:
  // Asks for the source's own transparent colour (see OwnTransparentColor).
  static constexpr COLORREF OwnColor = CLR_INVALID;

  MaskedBitmap() = default;
  // Copies source, whatever its depth; key is an RGB colour or OwnColor. A source that is
  // missing or cannot be read gives an empty picture, which draws nothing.
  MaskedBitmap(HBITMAP source, COLORREF key);
  MaskedBitmap(MaskedBitmap&&) noexcept = default;
  MaskedBitmap& operator=(MaskedBitmap&&) noexcept = default;
  MaskedBitmap(const MaskedBitmap&) = delete;
  MaskedBitmap& operator=(const MaskedBitmap&) = delete;

  bool Empty() const { return !FMask; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // The colour left out (resolved when OwnColor was asked for).
  COLORREF Key() const { return FKey; }

  // The whole picture with its top left at (x, y); key pixels leave dc as it was.
  void Draw(HDC dc, int x, int y) const { Draw(dc, x, y, FWidth, FHeight, 0, 0, FWidth, FHeight); }
  // The part (sx, sy, sw, sh) of the picture into (x, y, w, h), stretched (nearest pixel) when
  // the sizes differ. The part is cut to the picture.
  void Draw(HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh) const;
  // The picture on a solid background: a new 32-bit bitmap whose key pixels are back. For
  // places that take a finished bitmap, such as a menu item.
  Bitmap OnColor(COLORREF back) const;

private:
  int FWidth = 0, FHeight = 0;
  COLORREF FKey = 0;
  Bitmap FImage;  // 32 bits, black where the key was
  Bitmap FMask;   // 1 bit per pixel: set where the key was
};

}  // namespace gdi
