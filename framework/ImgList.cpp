#include "framework/ImgList.h"
#include <cstring>

TImageList::TImageList(TComponent* AOwner, int width, int height)
    : TComponent(AOwner), FWidth(width > 0 ? width : 16), FHeight(height > 0 ? height : 16) {}

bool TImageList::AddStrip(HINSTANCE module, const char* name) {
  gdi::Bitmap strip(static_cast<HBITMAP>(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!strip) return false;
  BITMAP bm{};
  GetObjectA(strip, sizeof(bm), &bm);
  int added = bm.bmWidth / FWidth;
  if (added <= 0) return false;

  // The strip in 32 bits, whatever its own depth; rows below the list's height are cut off.
  gdi::Dib source(added * FWidth, FHeight);
  {
    gdi::MemDC sdc;
    gdi::Select s(sdc, strip);
    BitBlt(source.DC(), 0, 0, added * FWidth, FHeight, sdc, 0, 0, SRCCOPY);
  }
  GdiFlush();

  int oldW = FCount * FWidth, newW = (FCount + added) * FWidth;
  unsigned *image = nullptr, *mask = nullptr;
  gdi::Bitmap newImage = gdi::CreateDib32(newW, FHeight, &image);
  gdi::Bitmap newMask = gdi::CreateDib32(newW, FHeight, &mask);
  if (!newImage || !newMask) return false;
  for (int y = 0; y < FHeight; ++y) {
    if (oldW) {
      std::memcpy(image + y * newW, FImageBits + y * oldW, oldW * sizeof(unsigned));
      std::memcpy(mask + y * newW, FMaskBits + y * oldW, oldW * sizeof(unsigned));
    }
    for (int x = 0; x < added * FWidth; ++x) {
      COLORREF c = source.Pixel(x, y);
      bool background = c == RGB(255, 0, 255);
      image[y * newW + oldW + x] = background ? 0 : (GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
      mask[y * newW + oldW + x] = background ? 0xFFFFFF : 0;
    }
  }
  FImage = std::move(newImage);
  FMask = std::move(newMask);
  FImageBits = image;
  FMaskBits = mask;
  FCount += added;
  return true;
}

void TImageList::Draw(HDC dc, int x, int y, int i) const {
  if (i < 0 || i >= FCount) return;
  gdi::MemDC mdc;
  {
    gdi::Select s(mdc, FMask);
    BitBlt(dc, x, y, FWidth, FHeight, mdc, i * FWidth, 0, SRCAND);
  }
  gdi::Select s(mdc, FImage);
  BitBlt(dc, x, y, FWidth, FHeight, mdc, i * FWidth, 0, SRCPAINT);
}
