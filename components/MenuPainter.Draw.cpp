// Painting one menu item: drop-down rows with their icon column, gradient, selection, check
// marks, pictures, separators and text, and the flat menu-bar items with their soft shadow.
// Right-to-left rows are the mirror image of left-to-right ones; pictures and the tick keep
// their own shape.
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include "components/MenuPainter.h"

namespace {
// Larger rows than this are no menu's: they are painted plainly instead of buffered.
constexpr int kMaxRowSide = 8192;

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

// x mirrored within row: what lies at [a, b) left to right lies at [L + R - b, L + R - a).
RECT Mirror(const RECT& row, const RECT& x, bool rtl) {
  if (!rtl) return x;
  return RECT{row.left + row.right - x.right, x.top, row.left + row.right - x.left, x.bottom};
}
}  // namespace

// ---- the row buffer -----------------------------------------------------------------------------

bool TFlatMenuPainter::TRowBuffer::Fit(const RECT& area) {
  int w = area.right - area.left, h = area.bottom - area.top;
  if (w > kMaxRowSide || h > kMaxRowSide || !Buffer.Fit(w, h)) return false;
  Area = area;
  return true;
}

unsigned& TFlatMenuPainter::TRowBuffer::At(int x, int y) const {
  return Buffer.At(x - Area.left, y - Area.top);
}

void TFlatMenuPainter::TRowBuffer::Fill(RECT r, COLORREF c) const {
  if (!IntersectRect(&r, &r, &Area)) return;
  unsigned px = gdi::ToPixel(c);
  for (int y = r.top; y < r.bottom; ++y) std::fill_n(&At(r.left, y), r.right - r.left, px);
}

void TFlatMenuPainter::TRowBuffer::Frame(const RECT& r, COLORREF c) const {
  if (r.right <= r.left || r.bottom <= r.top) return;
  Fill(RECT{r.left, r.top, r.right, r.top + 1}, c);
  Fill(RECT{r.left, r.bottom - 1, r.right, r.bottom}, c);
  Fill(RECT{r.left, r.top, r.left + 1, r.bottom}, c);
  Fill(RECT{r.right - 1, r.top, r.right, r.bottom}, c);
}

// ---- pictures -----------------------------------------------------------------------------------

TImageList* TFlatMenuPainter::PictureList(TMenuItem* item) const {
  if (item->ImageIndex() < 0) return nullptr;
  TMenuItem* parent = item->Parent();
  if (parent && parent->SubMenuImages()) return parent->SubMenuImages();
  TMenu* menu = item->Menu();
  return menu ? menu->Images() : nullptr;
}

SIZE TFlatMenuPainter::PictureSize(TMenuItem* item) const {
  if (TImageList* list = PictureList(item)) return SIZE{list->Width(), list->Height()};
  BITMAP bm{};
  if (!item->Bitmap() || !GetObjectA(item->Bitmap(), sizeof(bm), &bm)) return SIZE{0, 0};
  return SIZE{bm.bmWidth, std::abs(bm.bmHeight)};
}

bool TFlatMenuPainter::LoadPicture(TMenuItem* item, HDC dc, TPicture& pic) {
  pic.FromList = false;
  pic.W = pic.H = 0;
  TImageList* list = PictureList(item);
  SIZE size = PictureSize(item);
  if (size.cx <= 0 || size.cy <= 0 || size.cx > kMaxRowSide || size.cy > kMaxRowSide) return false;
  pic.W = size.cx, pic.H = size.cy;
  pic.Px.resize((size_t)pic.W * pic.H);
  if (!list) {
    // The item's own bitmap, whatever its format, as 32-bit pixels top row first.
    BITMAPINFO bi{};
    bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), pic.W, -pic.H, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    GdiFlush();
    return GetDIBits(dc, item->Bitmap(), 0, pic.H, pic.Px.data(), &bi, DIB_RGB_COLORS) == pic.H;
  }
  // The list's picture on the icon column's colour, in a cell of the list's size.
  if (!FListCell.Fit(pic.W, pic.H)) return false;
  HDC cell = FListCell.DC();
  gdi::FillSolid(cell, RECT{0, 0, pic.W, pic.H}, FPal.IconBack);
  list->Draw(cell, 0, 0, item->ImageIndex());
  GdiFlush();
  for (int y = 0; y < pic.H; ++y) std::copy_n(&FListCell.At(0, y), pic.W, pic.Px.data() + y * pic.W);
  pic.FromList = true;
  return true;
}

// ---- one item -----------------------------------------------------------------------------------

void TFlatMenuPainter::DrawItem(TMenuItem* item, HDC dc, RECT r, bool selected) {
  if (!FActive || !item || !dc) return;
  ComputePalette(dc);
  r.bottom += 1;
  bool bar = item->IsBarItem(), rtl = item->IsRightToLeft();
  // The gradient reaches three columns past the row's far side.
  RECT area = r;
  bool gradient = !bar && GradientShown();
  if (gradient) rtl ? area.left -= 3 : area.right += 3;
  if (FRow.Fit(area)) {
    HDC b = FRow.Buffer.DC();
    int w = area.right - area.left, h = area.bottom - area.top;
    // A device laid out right to left (a mirrored window's) would flip the finished row again.
    DWORD layout = GetLayout(dc);
    if (layout & LAYOUT_RTL) SetLayout(dc, layout | LAYOUT_BITMAPORIENTATIONPRESERVED);
    {
      gdi::SavedDC state(b);
      SetViewportOrgEx(b, -area.left, -area.top, nullptr);
      gdi::Select font(b, CurrentFont(rtl));
      // A selected disabled row without gradient paints no background of its own.
      if (!bar && !gradient && selected && !item->Enabled()) BitBlt(b, area.left, area.top, w, h, dc, area.left, area.top, SRCCOPY);
      if (bar)
        DrawBarItem(item, b, r, selected);
      else
        DrawDropDownItem(item, b, r, selected);
    }
    BitBlt(dc, area.left, area.top, w, h, b, 0, 0, SRCCOPY);
    if (layout & LAYOUT_RTL) SetLayout(dc, layout);
  } else {
    // No buffer for a row this size: the row plainly, with its caption.
    gdi::SavedDC state(dc);
    gdi::Select font(dc, CurrentFont(rtl));
    gdi::FillSolid(dc, r, bar ? FPal.MenuBar : FPal.Color);
    RECT tr = r;
    if (!bar) (rtl ? tr.right -= FIconWidth + 5 : tr.left += FIconWidth + 5);
    if (!item->IsLine()) DrawText(item, dc, tr, selected, bar);
  }
  if (FFlatMenu && !bar) DrawFlatBorder(dc, rtl);
  // Items that came after the last hooking (the Language menu's, for one) are taken on here,
  // before their drop-down opens.
  if (TMenuItem* parent = item->Parent())
    for (int i = 0; i < parent->Count(); ++i) HookTree(parent->Item(i), true);
  else
    HookTree(item, true);
}

void TFlatMenuPainter::DrawDropDownItem(TMenuItem* item, HDC dc, RECT r, bool selected) {
  bool disabled = !item->Enabled(), rtl = item->IsRightToLeft();
  bool picture = LoadPicture(item, dc, FPicture);
  // Laid out left to right, mirrored where drawn.
  RECT icon{r.left, r.top, r.left + FIconWidth, r.bottom};
  // A checked item with a picture gets the frame around its picture, so that the picture
  // does not hide the tick.
  bool framed = picture;
  const int box = ScaleToDpi(10, FPixelsPerInch);
  RECT check = framed ? RECT{icon.left + 1, icon.top + 2, icon.right - 3, icon.bottom - 2}
                      : RECT{icon.left + (FIconWidth - box) / 2, icon.top + (icon.bottom - icon.top - box) / 2, 0, 0};
  if (!framed) check.right = check.left + box, check.bottom = check.top + box;
  RECT tr{r.left + FIconWidth, r.top, r.right, r.bottom};
  if (picture && FPicture.W > FIconWidth) tr.left = r.left + FPicture.W + 4;

  GdiFlush();
  if (GradientShown()) {
    DrawGradient(r, rtl);
  } else if (!(disabled && selected)) {
    FRow.Fill(r, FPal.Color);
    FRow.Fill(Mirror(r, icon, rtl), FPal.IconBack);
  }
  if (selected && FDrawSelect && !disabled) {
    RECT s = Mirror(r, RECT{r.left, r.top + 1, r.right - (FFlatMenu ? 1 : 0), r.bottom - 1}, rtl);
    FRow.Fill(s, FPal.Select);
    FRow.Frame(s, FPal.SelectBorder);
  }
  if (item->Checked()) DrawCheck(item, dc, Mirror(r, check, rtl), framed, selected);
  if (picture) DrawPicture(item, FPicture, Mirror(r, icon, rtl), selected, rtl);
  if (item->IsLine()) {
    int y = r.top + RoundHalfEven((r.bottom - r.top) / 2.0);
    FRow.Fill(Mirror(r, RECT{tr.left + 7, y, tr.right, y + 1}, rtl), FPal.Separator);
    return;
  }
  tr.left += 5;
  DrawText(item, dc, Mirror(r, tr, rtl), selected, false);
}

void TFlatMenuPainter::DrawGradient(const RECT& r, bool rtl) {
  // Columns from the row's near edge to two past its far one, each a step lighter: quickly
  // over the icon column, then by one per cent a column.
  int w = r.right - r.left + 3;
  if (r.bottom <= r.top) return;
  int k = 0, lastK = -1;
  unsigned colour = 0;
  int left = rtl ? r.right - w : r.left;
  unsigned* first = &FRow.At(left, r.top);
  for (int i = 0; i < w; ++i) {
    k = std::min(k + ((i > 0 && i < FIconWidth + 5) ? 3 : 1), 96);
    if (k != lastK) colour = gdi::ToPixel(LightenColor(FPal.IconBack, k)), lastK = k;
    first[rtl ? w - 1 - i : i] = colour;
  }
  for (int y = r.top + 1; y < r.bottom; ++y) std::copy_n(first, w, &FRow.At(left, y));
}

void TFlatMenuPainter::DrawCheck(TMenuItem* item, HDC dc, const RECT& c, bool framed, bool selected) {
  COLORREF area = selected ? FPal.CheckedAreaSelected : FPal.CheckedArea;
  // In the scheme's colours a frame on the highlight takes the highlight text colour.
  const bool onHighlight = FSystemLook && selected;
  const COLORREF border = onHighlight ? FPal.SelectFont : FPal.SelectBorder;
  if (item->RadioItem()) {
    Box(dc, c, border, area, framed ? 6 : -1);
  } else if (framed) {
    Box(dc, c, border, area);
  } else {
    Box(dc, c, onHighlight ? FPal.SelectFont : FPal.Checked, area);
    const COLORREF black = onHighlight ? FPal.SelectFont : FPal.Tick;
    LONG L = c.left, T = c.top, R = c.right, B = c.bottom;
    Lines(dc, black, {POINT{L + 1, T + 5}, POINT{L + 4, B - 2}});
    Lines(dc, black, {POINT{L + 2, T + 5}, POINT{L + 4, B - 3}});
    Lines(dc, black, {POINT{L + 2, T + 4}, POINT{L + 5, B - 3}});
    Lines(dc, black, {POINT{L + 4, B - 3}, POINT{R + 2, T - 1}});
    Lines(dc, black, {POINT{L + 4, B - 2}, POINT{R - 2, T + 3}});
  }
  GdiFlush();  // the pixels are written directly next
}

void TFlatMenuPainter::DrawPicture(TMenuItem* item, TPicture& pic, const RECT& icon, bool selected, bool rtl) {
  bool enabled = item->Enabled(), checked = item->Checked();
  int w = pic.W, h = pic.H;
  int x = w <= FIconWidth ? icon.left + (FIconWidth - w) / 2 - 1 : icon.left + 2;
  if (rtl) x = w <= FIconWidth ? icon.right - (FIconWidth - w) / 2 + 1 - w : icon.right - w - 2;
  int y = icon.top + 4;
  bool lifts = selected && enabled && !checked;
  if (lifts && !item->IsBarItem()) x += rtl ? 1 : -1, --y;
  unsigned* px = pic.Px.data();
  if (!selected && enabled && !checked && FHigh) LightenPixels(px, w * h, 30);  // faded until selected
  if (!enabled) GrayPixels(px, w * h, 90);
  unsigned back = px[(h - 1) * w] & 0xFFFFFF;
  // Every pixel not of the bottom-left colour goes onto the row: first as the shadow, two
  // pixels down and away from the text, then as itself.
  auto stamp = [&](int ox, int oy, const unsigned* shade) {
    for (int row = 0; row < h; ++row) {
      int ty = oy + row;
      if (ty < FRow.Area.top || ty >= FRow.Area.bottom) continue;
      for (int col = 0; col < w; ++col) {
        int tx = ox + col;
        unsigned v = px[row * w + col] & 0xFFFFFF;
        if (v == back || tx < FRow.Area.left || tx >= FRow.Area.right) continue;
        FRow.At(tx, ty) = shade ? *shade : v;
      }
    }
  };
  if (lifts) {
    unsigned shade = gdi::ToPixel(ShadeColor(FPal.Select, 50, FNearDC));
    stamp(x + (rtl ? -2 : 2), y + 2, &shade);
  }
  stamp(x, y, nullptr);
}

void TFlatMenuPainter::DrawText(TMenuItem* item, HDC dc, RECT tr, bool selected, bool bar) {
  bool enabled = item->Enabled(), rtl = item->IsRightToLeft();
  UINT order = rtl ? DT_RIGHT | DT_RTLREADING : 0;
  COLORREF colour = FPal.Text;
  if (selected) colour = FPal.SelectFont;
  if (!enabled) colour = FPal.Disabled;
  if (bar && selected && FDrawSelect && !FSystemLook) colour = ContrastTextColor(FPal.IconBack, FFontColor, FNearDC);
  SIZE w{};
  GetTextExtentPoint32A(dc, "W", 1, &w);
  tr.top += (tr.bottom - tr.top - w.cy) / 2;
  SetBkMode(dc, TRANSPARENT);
  std::string& text = FText;
  text.clear();
  text += ' ';
  text += item->CaptionText();
  if (item->Default() && enabled && !FSystemLook) {
    // A default item stands out: the text first goes down four times around its place, each
    // time in the colour beneath it, darkened.
    static const POINT offsets[4] = {{1, 0}, {0, 1}, {1, 1}, {-1, 0}};
    static const int shades[4] = {30, 30, 40, 60};
    for (int i = 0; i < 4; ++i) {
      RECT o = tr;
      OffsetRect(&o, offsets[i].x, offsets[i].y);
      COLORREF under = GetPixel(dc, rtl ? o.right - 1 : o.left, o.top);
      SetTextColor(dc, ShadeColor(under == CLR_INVALID ? colour : under, shades[i], FNearDC));
      DrawTextExA(dc, text.data(), -1, &o, order, nullptr);
    }
  }
  SetTextColor(dc, colour);
  DrawTextExA(dc, text.data(), -1, &tr, order, nullptr);
  std::string_view shortcut = item->ShownShortCut();
  if (!shortcut.empty()) {
    text = shortcut;
    TabsAsBlanks(text) += ' ';
    RECT s = tr;
    rtl ? s.left += 10 : s.right -= 10;
    SetTextColor(dc, FHigh && !FSystemLook ? ShadeColor(colour, -40, FNearDC) : colour);
    DrawTextExA(dc, text.data(), -1, &s, rtl ? DT_LEFT | DT_RTLREADING : DT_RIGHT, nullptr);
  }
}

void TFlatMenuPainter::DrawBarItem(TMenuItem* item, HDC dc, RECT r, bool selected) {
  gdi::FillSolid(dc, r, FPal.MenuBar);
  LONG L = r.left, T = r.top, R = r.right, B = r.bottom;
  if (selected && FDrawSelect && FSystemLook) {
    gdi::FillSolid(dc, r, FPal.Select);
  } else if (selected && FDrawSelect) {
    gdi::FillSolid(dc, r, FPal.IconBack);
    if (FHigh && !item->IsRightToLeft()) {
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
      // Fewer colours, or right to left: the plain outline and a two-pixel shadow.
      Lines(dc, FPal.MenuBorder, {POINT{L, B - 1}, POINT{L, T}, POINT{R - 3, T}, POINT{R - 3, B}});
      gdi::FillSolid(dc, RECT{R - 2, T + 2, R, B}, FPal.MenuShadow);
    }
  }
  bool rtl = item->IsRightToLeft();
  RECT tr = r;
  if (LoadPicture(item, dc, FPicture)) {
    GdiFlush();
    DrawPicture(item, FPicture, Mirror(r, RECT{L, T, L + FIconWidth, B}, rtl), selected, rtl);
    // The text goes beside a list picture: where a drop-down row's text starts, less 5.
    if (FPicture.FromList) tr.left = (FPicture.W > FIconWidth ? L + FPicture.W + 4 : L + FIconWidth) - 5;
  }
  tr.left += 5;
  DrawText(item, dc, Mirror(r, tr, rtl), selected, true);
}

void TFlatMenuPainter::DrawFlatBorder(HDC dc, bool rtl) {
  HWND w = WindowFromDC(dc);
  if (!w || w == FForm->Handle()) return;
  RECT wr{};
  if (!GetWindowRect(w, &wr)) return;
  int W = wr.right - wr.left, H = wr.bottom - wr.top;
  gdi::WindowDC wdc(w, gdi::DCArea::Window);
  if (!wdc) return;
  rtl = rtl && !(GetLayout(wdc) & LAYOUT_RTL);  // a mirrored window mirrors the strips itself
  {
    gdi::SavedDC state(wdc);
    RECT outline{0, 0, W - 2, H - 2};
    gdi::Brush border(CreateSolidBrush(FPal.MenuBorder)), inner(CreateSolidBrush(FPal.Color));
    FrameRect(wdc, &outline, border);
    RECT in{1, 1, W - 3, H - 3};
    FrameRect(wdc, &in, inner);
    // The icon column's strips, on the side the column is.
    for (RECT s : {RECT{1, 1, 1 + FIconWidth, 2}, RECT{1, 1, 2, H - 3}, RECT{1, H - 4, 1 + FIconWidth, H - 3}})
      gdi::FillSolid(wdc, Mirror(outline, s, rtl), FPal.IconBack);
    gdi::FillSolid(wdc, RECT{W - 2, 2, W, H}, FPal.MenuShadow);
    gdi::FillSolid(wdc, RECT{2, H - 2, W, H}, FPal.MenuShadow);
    gdi::FillSolid(wdc, RECT{W - 2, 0, W, 2}, FPal.IconBack);
    gdi::FillSolid(wdc, RECT{0, H - 2, 2, H}, FPal.IconBack);
  }
}
