#include "framework/StripBitmap.h"
#include "framework/Transparent.h"

void TStripBitmap::Take(gdi::Bitmap bmp) {
  FBitmap = std::move(bmp);
  BITMAP bm{};
  if (FBitmap && GetObjectA(FBitmap, sizeof(bm), &bm)) {
    FWidth = bm.bmWidth;
    FHeight = bm.bmHeight;
    FBitsPerPixel = bm.bmBitsPixel * bm.bmPlanes;
  } else {
    FBitmap.Reset();
    FWidth = FHeight = FBitsPerPixel = 0;
  }
  Changed();
}

void TStripBitmap::Assign(HBITMAP source) {
  if (!source) return Take(gdi::Bitmap());
  Take(gdi::Bitmap(static_cast<HBITMAP>(CopyImage(source, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))));
}

void TStripBitmap::Assign(const TStripBitmap& source) {
  if (&source == this) return;
  FTransparentColor = source.FTransparentColor;
  Assign(source.Handle());
}

bool TStripBitmap::LoadFromResource(HINSTANCE inst, const char* name) {
  Take(gdi::LoadDibResource(inst, name));
  return !Empty();
}

void TStripBitmap::SetFixedTransparentColor(COLORREF c) {
  if (c == FTransparentColor) return;
  FTransparentColor = c;
  Changed();
}

COLORREF TStripBitmap::TransparentColor() const {
  if (FTransparentColor != clDefault) return FTransparentColor;
  return gdi::OwnTransparentColor(FBitmap);
}
