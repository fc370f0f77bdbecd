// A list of same-sized pictures drawn with a transparent background, filled from bitmap strips
// whose magenta (255, 0, 255) pixels are the background. Kept here as two 32-bit bitmaps, the
// pictures and their mask, so the program needs no common-controls library for it.
#pragma once
#include <windows.h>
#include "framework/Classes.h"
#include "framework/Gdi.h"

class TImageList : public TComponent {
public:
  TImageList(TComponent* AOwner, int width, int height);

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  int Count() const { return FCount; }
  // Appends the pictures of a bitmap resource cut into Width-wide pieces (a narrower remainder
  // is dropped); false, and the list unchanged, when the resource is missing or empty.
  bool AddStrip(HINSTANCE module, const char* name);
  // Draws picture i with its top left at (x, y); an index outside the list draws nothing.
  void Draw(HDC dc, int x, int y, int i) const;

private:
  int FWidth, FHeight, FCount = 0;
  // Side by side, picture i at x = i * Width. In the pictures the background is black, in the
  // mask white and everything else black: AND the mask, OR the picture.
  gdi::Bitmap FImage, FMask;
  unsigned *FImageBits = nullptr, *FMaskBits = nullptr;
};
