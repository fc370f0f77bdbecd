// The eleven faces of the colour button and the latched look's dither pattern.
#include "components/OvColorBtns.h"
#include "framework/SystemLook.h"

namespace {

COLORREF Shift(COLORREF face, int delta) { return ShiftColor(face, delta); }

// A horizontal or vertical run of pixels.
void HLine(HDC dc, int x0, int x1, int y, COLORREF c) { gdi::FillSolid(dc, RECT{x0, y, x1, y + 1}, c); }
void VLine(HDC dc, int x, int y0, int y1, COLORREF c) { gdi::FillSolid(dc, RECT{x, y0, x + 1, y1}, c); }

// An ellipse, arc or rounded rectangle in one pen and brush; the pen and brush go with it.
struct Shape {
  HDC dc;
  gdi::Pen pen;
  gdi::Brush brush;
  Shape(HDC d, COLORREF penColour, int width, bool filled, COLORREF fill)
      : dc(d), pen(width > 0 ? CreatePen(PS_SOLID, width, penColour) : nullptr),
        brush(filled ? CreateSolidBrush(fill) : nullptr) {}
  template <class F>
  void Draw(F&& f) {
    gdi::Select sp(dc, pen ? (HGDIOBJ)pen.Get() : GetStockObject(NULL_PEN));
    gdi::Select sb(dc, brush ? (HGDIOBJ)brush.Get() : GetStockObject(NULL_BRUSH));
    f();
  }
};

void Arcs(HDC dc, const RECT& r, int width, COLORREF topLeft, COLORREF bottomRight) {
  // Counter-clockwise from the top-right to the bottom-left is the upper left half.
  Shape a(dc, topLeft, width, false, 0);
  a.Draw([&] { Arc(dc, r.left, r.top, r.right, r.bottom, r.right, r.top, r.left, r.bottom); });
  Shape b(dc, bottomRight, width, false, 0);
  b.Draw([&] { Arc(dc, r.left, r.top, r.right, r.bottom, r.left, r.bottom, r.right, r.top); });
}

void TabFace(HDC dc, const RECT& r, bool down, COLORREF face, bool mirrored) {
  const int w = r.right, h = r.bottom;
  gdi::FillSolid(dc, r, face);
  // Outer and inner left edges, then the right edge; the open side is the bottom (the top
  // when mirrored).
  VLine(dc, 0, 0, h, Shift(face, 24));
  VLine(dc, 1, 1, h, Shift(face, 64));
  VLine(dc, w - 1, 0, h, Shift(face, -128));
  VLine(dc, w - 2, 1, h, Shift(face, -48));
  int edge = mirrored ? h - 1 : 0, inner = mirrored ? h - 2 : 1;
  HLine(dc, 0, w - 1, edge, Shift(face, 24));
  HLine(dc, 1, w - 2, inner, Shift(face, 64));
  if (!down) {
    if (mirrored)
      HLine(dc, 0, w, 2, Shift(face, -64));
    else
      HLine(dc, 0, w, h - 2, Shift(face, 64));
  }
}

}  // namespace

RECT DrawButtonFace(HDC dc, const RECT& rect, TClr95ButtonStyle style, bool designing, bool down, bool mouseInside,
                    COLORREF face) {
  RECT r = rect;
  const int w = r.right - r.left, h = r.bottom - r.top;
  auto inset = [&](int n) {
    RECT c = rect;
    InflateRect(&c, -n, -n);
    return c;
  };
  // The shades of the styles without a table of their own.
  const COLORREF E = Shift(face, down ? -48 : 60), F = Shift(face, down ? 48 : -48),
                 G = Shift(face, down ? 64 : -100), K = Shift(face, down ? -96 : 12);
  switch (style) {
    case bsOwnerDraw:  // without a handler
    case bsNew:
      gdi::FillSolid(dc, r, face);
      if (down) {
        Frame3D(dc, r, Shift(face, -96), Shift(face, 64));
        Frame3D(dc, r, Shift(face, -48), Shift(face, 48));
        return inset(3);
      }
      Frame3D(dc, r, Shift(face, 12), Shift(face, -100));
      Frame3D(dc, r, Shift(face, 60), Shift(face, -48));
      return inset(2);

    case bsGradient: {
      r.right -= 1, r.bottom -= 1;
      Frame3D(dc, r, Shift(face, down ? -96 : 24), Shift(face, down ? 24 : -96));
      r.right -= 1, r.bottom -= 1;
      if (down)
        FillGradientBands(dc, r, {face, Shift(face, -24), Shift(face, -64)}, 2, 0, 2);
      else
        FillGradientBands(dc, r, {Shift(face, 24), face, Shift(face, -24), Shift(face, -48)}, 3, 0, 2);
      return inset(down ? 3 : 2);
    }

    case bsWin31: {
      {
        Shape s(dc, Shift(face, -126), 1, true, face);
        s.Draw([&] { Rectangle(dc, r.left, r.top, r.right, r.bottom); });
      }
      for (POINT p : {POINT{r.left, r.top}, POINT{r.right - 1, r.top}, POINT{r.left, r.bottom - 1},
                      POINT{r.right - 1, r.bottom - 1}})
        gdi::FillSolid(dc, RECT{p.x, p.y, p.x + 1, p.y + 1}, face);
      RECT in = inset(1);
      if (down) {
        HLine(dc, in.left, in.right, in.top, Shift(face, -48));
        VLine(dc, in.left, in.top, in.bottom, Shift(face, -48));
      } else {
        Frame3D(dc, in, Shift(face, 48), Shift(face, -48));
        Frame3D(dc, in, Shift(face, 48), Shift(face, -48));
      }
      return inset(3);
    }

    case bsEllipse: {
      RECT e = inset(2);
      Shape fill(dc, 0, 0, true, face);
      fill.Draw([&] { Ellipse(dc, e.left, e.top, e.right, e.bottom); });
      Arcs(dc, e, 2, E, down ? G : F);
      RECT e1 = inset(3);
      Arcs(dc, e1, 1, K, down ? F : G);
      return inset(2);
    }

    case bsTab:
    case bsSideDownTab:
      TabFace(dc, r, down, face, style == bsSideDownTab);
      return inset(2);

    case bsIE4:
      if (mouseInside || down || designing) Frame3D(dc, r, E, G);
      return inset(1);

    case bsGlass: {
      gdi::FillSolid(dc, r, RGB(255, 255, 255));
      RECT o = r;
      Frame3D(dc, o, Shift(face, -64), Shift(face, -64));
      Frame3D(dc, o, face, face);
      const COLORREF dark = Shift(face, -128);
      if (down) {
        HLine(dc, o.left, o.right, o.top, dark);
        VLine(dc, o.left, o.top, o.bottom, dark);
      } else {
        HLine(dc, o.left, o.right, o.bottom - 1, dark);
        VLine(dc, o.right - 1, o.top, o.bottom, dark);
      }
      return inset(3);
    }

    case bsFlat:
      gdi::FillSolid(dc, r, face);
      Frame3D(dc, r, E, F);
      return inset(1);

    case bsMicroposeGame: {
      {
        Shape s(dc, 0, 0, true, face);
        s.Draw([&] { RoundRect(dc, r.left + 1, r.top + 1, r.right - 1, r.bottom - 1, 3, 3); });
      }
      // Eight stepped shades around the two outer rings.
      const int sign = down ? -1 : 1;
      auto c = [&](int d) { return Shift(face, sign * d); };
      VLine(dc, 0, 1, h - 1, c(-24));       // left, outer
      HLine(dc, 1, w - 1, 0, c(48));        // top, outer
      VLine(dc, 1, 1, h - 1, c(64));        // left, inner
      HLine(dc, 1, w - 1, 1, c(48));        // top, inner
      HLine(dc, 1, w - 1, h - 2, c(-24));   // bottom, inner
      HLine(dc, 1, w - 1, h - 1, c(-48));   // bottom, outer
      VLine(dc, w - 1, 1, h - 1, c(-64));   // right, outer
      VLine(dc, w - 2, 1, h - 1, c(-48));   // right, inner
      return inset(3);
    }
  }
  return inset(2);
}

// ---- the dither pattern -----------------------------------------------------------------------

namespace {
struct TPattern {
  gdi::Bitmap bitmap;
  unsigned* bits = nullptr;
  COLORREF face = CLR_INVALID;
  TPattern() {
    bitmap = gdi::CreateDib32(8, 8, &bits);
    // The stored pattern is only a start: its pixels are rewritten for every face colour.
    gdi::Bitmap stored = gdi::LoadDibResource(GetModuleHandleA(nullptr), "OVCLRBTNPATTERN");
    if (stored && bitmap) {
      gdi::MemDC from, to;
      gdi::Select sf(from, stored), st(to, bitmap);
      BitBlt(to, 0, 0, 8, 8, from, 0, 0, SRCCOPY);
      GdiFlush();
    }
  }
};
std::unique_ptr<TPattern>& Pattern() {
  static std::unique_ptr<TPattern> p;
  return p;
}
}  // namespace

HBITMAP DitherPattern(COLORREF face) {
  auto& p = Pattern();
  if (!p) p = std::make_unique<TPattern>();
  if (!p->bits) return nullptr;
  if (p->face != face) {
    COLORREF light = ShiftColor(face, 128);
    GdiFlush();
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) p->bits[y * 8 + x] = gdi::ToPixel(x % 2 == y % 2 ? light : face);
    p->face = face;
  }
  return p->bitmap.Get();
}

void FreeDitherPattern() { Pattern().reset(); }

RECT DrawSystemButtonFace(HDC dc, const RECT& r, bool down, bool lit) {
  gdi::FillSolid(dc, r, GetSysColor(lit || down ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
  RECT frame = r;
  const COLORREF edge = GetSysColor(COLOR_BTNTEXT);
  Frame3D(dc, frame, edge, edge);
  RECT c = r;
  InflateRect(&c, down ? -3 : -2, down ? -3 : -2);
  return c;
}

COLORREF SystemButtonText(bool lit, bool enabled) {
  return GetSysColor(!enabled ? COLOR_GRAYTEXT : lit ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
}

bool ButtonGivesWay(bool highContrast, bool systemFace, COLORREF face, COLORREF caption) {
  if (!systemFace) return UseSystemLook(highContrast, {});
  return UseSystemLook(highContrast, {{caption, face}, {caption, ShiftColor(face, 24)}});
}
