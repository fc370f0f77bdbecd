#include "framework/ImgList.h"
#include "framework/Dpi.h"

TImageList::TImageList(TComponent* AOwner, int width, int height)
    : TComponent(AOwner), FDesignWidth(width > 0 ? width : 16), FDesignHeight(height > 0 ? height : 16),
      FWidth(FDesignWidth), FHeight(FDesignHeight) {}

bool TImageList::AddStrip(HINSTANCE module, const char* name) {
  gdi::Bitmap strip = gdi::LoadDibResource(module, name);
  BITMAP bm{};
  int added = strip && GetObjectA(strip.Get(), sizeof bm, &bm) ? bm.bmWidth / FDesignWidth : 0;
  if (added <= 0) return false;
  TStrip s{std::move(strip), {}, added};
  MakePictures(s);
  if (s.Pictures.Empty()) return false;
  FStrips.push_back(std::move(s));
  FCount += added;
  return true;
}

void TImageList::MakePictures(TStrip& s) const {
  const COLORREF key = RGB(255, 0, 255);
  if (FPixelsPerInch == kDesignDpi) {
    s.Pictures = gdi::MaskedBitmap(s.Source, key);
    return;
  }
  BITMAP bm{};
  GetObjectA(s.Source.Get(), sizeof bm, &bm);
  // Each picture to the new cell size: the strip as a whole, its count of cells kept.
  gdi::Bitmap scaled = SmoothScaled(s.Source, s.Count * FWidth, ScaleToDpi(bm.bmHeight, FPixelsPerInch), key);
  s.Pictures = gdi::MaskedBitmap(scaled ? scaled.Get() : s.Source.Get(), key);
}

void TImageList::ChangeScale(int newDpi, int oldDpi) {
  FPixelsPerInch = newDpi;
  FWidth = ScaleToDpi(FDesignWidth, newDpi), FHeight = ScaleToDpi(FDesignHeight, newDpi);
  for (TStrip& s : FStrips) MakePictures(s);
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
