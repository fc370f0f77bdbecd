// Painting one menu item: drop-down rows with their icon column, gradient, selection, check
// marks, pictures, separators and text, and the flat menu-bar items with their soft shadow.
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include "components/MenuPainter.h"
#include "framework/Transparent.h"

namespace {
SIZE BitmapSize(HBITMAP bmp) {
  BITMAP bm{};
  if (!bmp || !GetObjectA(bmp, sizeof(bm), &bm)) return SIZE{0, 0};
  return SIZE{bm.bmWidth, std::abs(bm.bmHeight)};
}

// One-pixel lines through the points, the last point left out as LineTo does.
void Lines(HDC dc, COLORREF c, std::initializer_list<POINT> pts) {
  gdi::Pen pen(CreatePen(PS_SOLID, 1, c));
  gdi::Select sp(dc, pen);
  auto p = pts.begin();
  MoveToEx(dc, p->x, p->y, nullptr);
  for (++p; p != pts.end(); ++p) LineTo(dc, p->x, p->y);
}

// A rectangle outlined in one colour and filled with another.
void Box(HDC dc, const RECT& r, COLORREF line, COLORREF fill, int round = 0) {
  gdi::Pen pen(CreatePen(PS_SOLID, 1, line));
  gdi::Brush brush(CreateSolidBrush(fill));
  gdi::Select sp(dc, pen), sb(dc, brush);
  if (round < 0)
    Ellipse(dc, r.left, r.top, r.right, r.bottom);
  else if (round > 0)
    RoundRect(dc, r.left, r.top, r.right, r.bottom, round, round);
  else
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

void Frame(HDC dc, const RECT& r, COLORREF c) {
  gdi::Brush b(CreateSolidBrush(c));
  FrameRect(dc, &r, b);
}
}  // namespace

void TFlatMenuPainter::DrawItem(TMenuItem* item, HDC dc, RECT r, bool selected) {
  if (!FActive || !item || !dc) return;
  ComputePalette(dc);
  r.bottom += 1;
  {
    gdi::SavedDC state(dc);
    SelectObject(dc, CurrentFont());
    if (item->IsBarItem())
      DrawBarItem(item, dc, r, selected);
    else
      DrawDropDownItem(item, dc, r, selected);
  }
  if (FFlatMenu && !item->IsBarItem()) DrawFlatBorder(dc);
  // Items that came after the last hooking (the Language menu's, for one) are taken on here,
  // before their drop-down opens.
  if (TMenuItem* parent = item->Parent())
    for (int i = 0; i < parent->Count(); ++i) HookTree(parent->Item(i), true);
  else
    HookTree(item, true);
}

void TFlatMenuPainter::DrawDropDownItem(TMenuItem* item, HDC dc, RECT r, bool selected) {
  bool disabled = !item->Enabled();
  HBITMAP picture = item->Bitmap();
  SIZE pic = BitmapSize(picture);
  RECT icon{r.left, r.top, r.left + FIconWidth, r.bottom};
  // A checked item with a picture gets the frame around its picture, so that the picture
  // does not hide the tick.
  bool framed = picture != nullptr;
  RECT check = framed ? RECT{icon.left + 1, icon.top + 2, icon.right - 3, icon.bottom - 2}
                      : RECT{icon.left + (FIconWidth - 10) / 2, icon.top + (icon.bottom - icon.top - 10) / 2, 0, 0};
  if (!framed) check.right = check.left + 10, check.bottom = check.top + 10;
  RECT tr{r.left + FIconWidth, r.top, r.right, r.bottom};
  if (pic.cx > FIconWidth) tr.left = r.left + pic.cx + 4;

  if (FGradient && FHigh) {
    DrawGradient(dc, RECT{r.left, r.top, r.right + 2, r.bottom});
  } else if (!(disabled && selected)) {
    gdi::FillSolid(dc, r, FPal.Color);
    gdi::FillSolid(dc, icon, FPal.IconBack);
  }
  if (selected && FDrawSelect && !disabled) {
    RECT s{r.left, r.top + 1, r.right - (FFlatMenu ? 1 : 0), r.bottom - 1};
    gdi::FillSolid(dc, s, FPal.Select);
    Frame(dc, s, FPal.SelectBorder);
  }
  if (item->Checked()) DrawCheck(item, dc, check, framed, selected);
  if (picture) DrawIcon(item, dc, icon, selected);
  if (item->IsLine()) {
    int y = r.top + (int)std::nearbyint((r.bottom - r.top) / 2.0);
    gdi::FillSolid(dc, RECT{tr.left + 7, y, tr.right, y + 1}, FPal.Separator);
    return;
  }
  tr.left += 5;
  DrawText(item, dc, tr, selected, false);
}

void TFlatMenuPainter::DrawGradient(HDC dc, const RECT& r) {
  // One row of colours in memory, stretched down the item: the right edge is included.
  int w = r.right - r.left + 1, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return;
  unsigned* row = nullptr;
  gdi::Bitmap line = gdi::CreateDib32(w, 1, &row);
  if (!line) return;
  int k = 0, lastK = -1;
  unsigned colour = 0;
  for (int x = r.left; x <= r.right; ++x) {
    k = std::min(k + ((x > r.left && x < r.left + FIconWidth + 5) ? 3 : 1), 96);
    if (k != lastK) {
      COLORREF c = LightenColor(FPal.IconBack, k);
      colour = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
      lastK = k;
    }
    row[x - r.left] = colour;
  }
  GdiFlush();
  gdi::MemDC mem(dc);
  gdi::Select s(mem, line);
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, r.left, r.top, w, h, mem, 0, 0, w, 1, SRCCOPY);
}

void TFlatMenuPainter::DrawCheck(TMenuItem* item, HDC dc, const RECT& c, bool framed, bool selected) {
  COLORREF area = selected ? FPal.CheckedAreaSelected : FPal.CheckedArea;
  if (item->RadioItem()) {
    Box(dc, c, FPal.SelectBorder, area, framed ? 6 : -1);
    return;
  }
  if (framed) {
    Box(dc, c, FPal.SelectBorder, area);
    return;
  }
  Box(dc, c, FPal.Checked, area);
  const COLORREF black = RGB(0, 0, 0);
  LONG L = c.left, T = c.top, R = c.right, B = c.bottom;
  Lines(dc, black, {POINT{L + 1, T + 5}, POINT{L + 4, B - 2}});
  Lines(dc, black, {POINT{L + 2, T + 5}, POINT{L + 4, B - 3}});
  Lines(dc, black, {POINT{L + 2, T + 4}, POINT{L + 5, B - 3}});
  Lines(dc, black, {POINT{L + 4, B - 3}, POINT{R + 2, T - 1}});
  Lines(dc, black, {POINT{L + 4, B - 2}, POINT{R - 2, T + 3}});
}

void TFlatMenuPainter::DrawIcon(TMenuItem* item, HDC dc, const RECT& icon, bool selected) {
  unsigned* bits = nullptr;
  int w = 0, h = 0;
  gdi::Bitmap image = CopyToDib32(item->Bitmap(), &bits, &w, &h);
  if (!image) return;
  bool enabled = item->Enabled(), checked = item->Checked();
  int x = w <= FIconWidth ? icon.left + (FIconWidth - w) / 2 - 1 : icon.left + 2;
  int y = icon.top + 4;
  if (selected && enabled && !checked && !item->IsBarItem()) --x, --y;  // the icon lifts
  if (!selected && enabled && !checked && FHigh) LightenPixels(bits, w * h, 30);
  if (!enabled) GrayPixels(bits, w * h, 90);
  if (selected && enabled && !checked) DrawBitmapShadow(image, dc, x + 2, y + 2, ShadeColor(FPal.Select, 50, FNearDC));
  gdi::MaskedBitmap(image, gdi::MaskedBitmap::OwnColor).Draw(dc, x, y);
}

void TFlatMenuPainter::DrawText(TMenuItem* item, HDC dc, RECT tr, bool selected, bool bar) {
  bool enabled = item->Enabled();
  COLORREF colour = ColorToRGB(FFontColor);
  if (selected) colour = FPal.SelectFont;
  if (!enabled) colour = FPal.Disabled;
  if (bar && selected && FDrawSelect) colour = ContrastTextColor(FPal.IconBack, FFontColor, FNearDC);
  SIZE w{};
  GetTextExtentPoint32A(dc, "W", 1, &w);
  tr.top += (tr.bottom - tr.top - w.cy) / 2;
  SetBkMode(dc, TRANSPARENT);
  std::string text = " " + item->Caption();
  if (item->Default() && enabled) {
    // A default item stands out: the text first goes down four times around its place, each
    // time in the colour beneath it, darkened.
    static const POINT offsets[4] = {{1, 0}, {0, 1}, {1, 1}, {-1, 0}};
    static const int shades[4] = {30, 30, 40, 60};
    for (int i = 0; i < 4; ++i) {
      RECT o = tr;
      OffsetRect(&o, offsets[i].x, offsets[i].y);
      COLORREF under = GetPixel(dc, o.left, o.top);
      SetTextColor(dc, ShadeColor(under == CLR_INVALID ? colour : under, shades[i], FNearDC));
      DrawTextExA(dc, text.data(), -1, &o, 0, nullptr);
    }
  }
  SetTextColor(dc, colour);
  DrawTextExA(dc, text.data(), -1, &tr, 0, nullptr);
  std::string shortcut = item->ShortCutText();
  if (!shortcut.empty()) {
    shortcut += " ";
    RECT s = tr;
    s.right -= 10;
    SetTextColor(dc, FHigh ? ShadeColor(colour, -40, FNearDC) : colour);
    DrawTextExA(dc, shortcut.data(), -1, &s, DT_RIGHT, nullptr);
  }
}

void TFlatMenuPainter::DrawBarItem(TMenuItem* item, HDC dc, RECT r, bool selected) {
  gdi::FillSolid(dc, r, FPal.MenuBar);
  LONG L = r.left, T = r.top, R = r.right, B = r.bottom;
  if (selected && FDrawSelect) {
    gdi::FillSolid(dc, r, FPal.IconBack);
    if (FHigh) {
      Lines(dc, FPal.MenuBorder, {POINT{L, B - 1}, POINT{L, T}, POINT{R - 8, T}, POINT{R - 8, B}});
      // The soft shadow in the last seven columns, darkest low and to the left.
      gdi::FillSolid(dc, RECT{R - 7, T, R, B}, ShadeColor(FPal.MenuBar, 10, FNearDC));
      gdi::FillSolid(dc, RECT{R - 7, T + 3, R - 2, B}, ShadeColor(FPal.MenuBar, 30, FNearDC));
      gdi::FillSolid(dc, RECT{R - 7, T + 5, R - 3, B}, ShadeColor(FPal.MenuBar, 60, FNearDC));
      gdi::FillSolid(dc, RECT{R - 7, T + 6, R - 5, B}, ShadeColor(FPal.MenuBar, 100, FNearDC));
      Lines(dc, FPal.MenuBar, {POINT{R - 5, T + 1}, POINT{R - 1, T + 1}, POINT{R - 1, T + 6}});
      Lines(dc, FPal.MenuBar, {POINT{R - 3, T + 2}, POINT{R - 2, T + 2}, POINT{R - 2, T + 3}, POINT{R - 3, T + 3}});
      Lines(dc, ShadeColor(FPal.MenuBar, 10, FNearDC),
            {POINT{R - 6, T + 3}, POINT{R - 3, T + 3}, POINT{R - 3, T + 6}, POINT{R - 4, T + 6}, POINT{R - 4, T + 3}});
      Lines(dc, ShadeColor(FPal.MenuBar, 30, FNearDC), {POINT{R - 5, T + 5}, POINT{R - 4, T + 5}, POINT{R - 4, T + 9}});
      Lines(dc, ShadeColor(FPal.MenuBar, 40, FNearDC), {POINT{R - 6, T + 5}, POINT{R - 6, T + 7}});
    } else {
      Lines(dc, FPal.MenuBorder, {POINT{L, B - 1}, POINT{L, T}, POINT{R - 3, T}, POINT{R - 3, B}});
      gdi::FillSolid(dc, RECT{R - 2, T + 2, R, B}, FPal.MenuShadow);
    }
  }
  if (item->Bitmap()) DrawIcon(item, dc, RECT{L, T, L + FIconWidth, B}, selected);
  RECT tr = r;
  tr.left += 5;
  DrawText(item, dc, tr, selected, true);
}

void TFlatMenuPainter::DrawFlatBorder(HDC dc) {
  HWND w = WindowFromDC(dc);
  if (!w || w == FForm->Handle()) return;
  RECT wr{};
  if (!GetWindowRect(w, &wr)) return;
  int W = wr.right - wr.left, H = wr.bottom - wr.top;
  HDC wdc = GetWindowDC(w);
  if (!wdc) return;
  {
    gdi::SavedDC state(wdc);
    Frame(wdc, RECT{0, 0, W - 2, H - 2}, FPal.MenuBorder);
    Frame(wdc, RECT{1, 1, W - 3, H - 3}, FPal.Color);
    gdi::FillSolid(wdc, RECT{1, 1, 1 + FIconWidth, 2}, FPal.IconBack);
    gdi::FillSolid(wdc, RECT{1, 1, 2, H - 3}, FPal.IconBack);
    gdi::FillSolid(wdc, RECT{1, H - 4, 1 + FIconWidth, H - 3}, FPal.IconBack);
    gdi::FillSolid(wdc, RECT{W - 2, 2, W, H}, FPal.MenuShadow);
    gdi::FillSolid(wdc, RECT{2, H - 2, W, H}, FPal.MenuShadow);
    gdi::FillSolid(wdc, RECT{W - 2, 0, W, 2}, FPal.IconBack);
    gdi::FillSolid(wdc, RECT{0, H - 2, 2, H}, FPal.IconBack);
  }
  ReleaseDC(w, wdc);
}
