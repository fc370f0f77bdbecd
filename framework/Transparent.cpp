#include "framework/Transparent.h"
#include <algorithm>
#include <cstdlib>

namespace gdi {

namespace {
bool Size(HBITMAP bmp, BITMAP& bm) {
  bm = BITMAP{};
  return bmp && GetObjectA(bmp, sizeof(bm), &bm) && bm.bmWidth > 0 && bm.bmHeight != 0;
}
}  // namespace

COLORREF OwnTransparentColor(HBITMAP bmp) {
  BITMAP bm;
  if (!Size(bmp, bm)) return RGB(0, 0, 0);
  if (bm.bmBitsPixel * bm.bmPlanes == 1) return RGB(255, 255, 255);
  MemDC dc;
  Select s(dc, bmp);
  if (!s) return RGB(0, 0, 0);  // selected into another DC
  return GetPixel(dc, 0, std::abs(bm.bmHeight) - 1);
}

MaskedBitmap::MaskedBitmap(HBITMAP source, COLORREF key) {
  BITMAP bm;
  if (!Size(source, bm)) return;
  int w = bm.bmWidth, h = std::abs(bm.bmHeight);
  if (key == OwnColor) key = OwnTransparentColor(source);
  unsigned* bits = nullptr;
  Bitmap image = CreateDib32(w, h, &bits);
  Bitmap mask(CreateBitmap(w, h, 1, 1, nullptr));
  if (!image || !mask) return;
  MemDC from, idc, mdc;
  Select si(idc, image), sm(mdc, mask);
  {
    Select sf(from, source);
    if (!sf) return;  // a bitmap selected into another DC cannot be read
    BitBlt(idc, 0, 0, w, h, from, 0, 0, SRCCOPY);
  }
  // Colour to monochrome: pixels of the background colour give 1, all others 0.
  SetBkColor(idc, key);
  BitBlt(mdc, 0, 0, w, h, idc, 0, 0, SRCCOPY);
  // Monochrome to colour: 1 gives the background colour, 0 the text colour; so the key's
  // pixels turn black and the others stay.
  SetBkColor(idc, RGB(0, 0, 0));
  SetTextColor(idc, RGB(255, 255, 255));
  BitBlt(idc, 0, 0, w, h, mdc, 0, 0, SRCAND);
  FWidth = w;
  FHeight = h;
  FKey = key & 0x00FFFFFF;
  FImage = std::move(image);
  FMask = std::move(mask);
}

void MaskedBitmap::Draw(HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh) const {
  if (Empty() || !dc || w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
  // Cut the part to the picture, and the target in the same proportion.
  int left = std::max(sx, 0), top = std::max(sy, 0);
  int right = std::min(sx + sw, FWidth), bottom = std::min(sy + sh, FHeight);
  if (left >= right || top >= bottom) return;
  int dx = x + MulDiv(left - sx, w, sw), dy = y + MulDiv(top - sy, h, sh);
  int dw = x + MulDiv(right - sx, w, sw) - dx, dh = y + MulDiv(bottom - sy, h, sh) - dy;
  sw = right - left;
  sh = bottom - top;
  if (dw <= 0 || dh <= 0) return;

  SavedDC state(dc);  // the colours and the stretch mode set here
  // The mask onto the target: 1 (the key) gives white and keeps the target, 0 gives black.
  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, RGB(0, 0, 0));
  SetStretchBltMode(dc, COLORONCOLOR);
  bool stretched = dw != sw || dh != sh;
  MemDC mem(dc);
  auto blit = [&](HBITMAP b, DWORD rop) {
    Select s(mem, b);
    if (stretched)
      StretchBlt(dc, dx, dy, dw, dh, mem, left, top, sw, sh, rop);
    else
      BitBlt(dc, dx, dy, dw, dh, mem, left, top, rop);
  };
  blit(FMask, SRCAND);
  blit(FImage, SRCPAINT);
}

Bitmap MaskedBitmap::OnColor(COLORREF back) const {
  if (Empty()) return Bitmap();
  unsigned* bits = nullptr;
  Bitmap out = CreateDib32(FWidth, FHeight, &bits);
  if (!out) return out;
  MemDC dc;
  Select s(dc, out);
  FillSolid(dc, RECT{0, 0, FWidth, FHeight}, back);
  Draw(dc, 0, 0);
  return out;
}

}  // namespace gdi
