// A list of same-sized pictures drawn with a transparent background, filled from bitmap strips
// whose magenta (255, 0, 255) pixels are the background. Each strip is kept as a masked
// picture, so the program needs no common-controls library for it.
#pragma once
#include <windows.h>
#include <vector>
#include "framework/Classes.h"
#include "framework/Transparent.h"

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
  // Width and height are given at 96 pixels per inch; at another DPI the pictures are filtered
  // to its size.
  void ChangeScale(int newDpi, int oldDpi) override;

private:
  struct TStrip {
    gdi::Bitmap Source;          // as loaded, at 96 pixels per inch
    gdi::MaskedBitmap Pictures;  // side by side, picture k at x = k * Width
    int Count;
  };
  void MakePictures(TStrip& s) const;
  int FDesignWidth, FDesignHeight, FWidth, FHeight, FCount = 0, FPixelsPerInch = 96;
  std::vector<TStrip> FStrips;
};
