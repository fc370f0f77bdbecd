#include "framework/ImgList.h"

TImageList::TImageList(TComponent* AOwner, int width, int height)
    : TComponent(AOwner), FWidth(width > 0 ? width : 16), FHeight(height > 0 ? height : 16) {}

bool TImageList::AddStrip(HINSTANCE module, const char* name) {
  gdi::Bitmap strip = gdi::LoadDibResource(module, name);
  gdi::MaskedBitmap pictures(strip, RGB(255, 0, 255));
  int added = pictures.Width() / FWidth;
  if (pictures.Empty() || added <= 0) return false;
  FStrips.push_back(TStrip{std::move(pictures), added});
  FCount += added;
  return true;
}

void TImageList::Draw(HDC dc, int x, int y, int i) const {
  if (i < 0 || i >= FCount) return;
  for (const TStrip& s : FStrips) {
    if (i < s.Count) {
      // Rows below the list's height are cut off.
      s.Pictures.Draw(dc, x, y, FWidth, FHeight, i * FWidth, 0, FWidth, FHeight);
      return;
    }
    i -= s.Count;
  }
}
