#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include "components/LblEffct.h"
#include "tests/components/ComponentsSupport.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

struct TBox {
  int Left = INT_MAX, Top = INT_MAX, Right = INT_MIN, Bottom = INT_MIN;  // inclusive
  int Count = 0;
  void Add(int x, int y) {
    Left = std::min(Left, x), Top = std::min(Top, y), Right = std::max(Right, x), Bottom = std::max(Bottom, y);
    ++Count;
  }
};

// The pixels of one colour in a picture.
TBox BoxOf(const gdi::Dib& dib, COLORREF c) {
  TBox b;
  for (int y = 0; y < dib.Height(); ++y)
    for (int x = 0; x < dib.Width(); ++x)
      if (dib.Pixel(x, y) == c) b.Add(x, y);
  return b;
}

// The label's own paint, into a DIB of its size.
void PaintLabel(TLabelEffect& l, gdi::Dib& dib) {
  gdi::FillSolid(dib.DC(), RECT{0, 0, dib.Width(), dib.Height()}, RGB(1, 2, 3));
  l.PaintTo(dib.DC());
}

// An opaque white label with the face, shadow and highlight in three colours of their own.
struct Painted {
  Host host{false, 300, 120};
  TLabelEffect l{host.form, host.panel};
  explicit Painted(int w = 200, int h = 40) {
    l.SetBounds(0, 0, w, h);
    l.SetTransparent(false);
    l.SetParentColor(false);
    l.SetColor(kWhite);
    l.SetCaption("HIH");
    l.SetColourShadow(kBlue);
    l.SetColourHighlight(kGreen);
    l.SetFontColor(kRed);
  }
};

// Where the system puts the caption drawn plainly into the label's rectangle (same font).
TBox Reference(const TLabelEffect& l, UINT align, gdi::FontSpec desc) {
  gdi::Dib dib(l.Width(), l.Height());
  gdi::FillSolid(dib.DC(), RECT{0, 0, dib.Width(), dib.Height()}, kWhite);
  desc.Quality = NONANTIALIASED_QUALITY;
  gdi::Font f = gdi::MakeFont(desc);
  gdi::Select s(dib.DC(), f.Get());
  SetBkMode(dib.DC(), TRANSPARENT);
  SetTextColor(dib.DC(), RGB(0, 0, 0));
  RECT r{0, 0, l.Width(), l.Height()};
  DrawTextA(dib.DC(), l.Caption().c_str(), (int)l.Caption().size(), &r, align | DT_WORDBREAK | DT_EXPANDTABS);
  return BoxOf(dib, RGB(0, 0, 0));
}
TBox Reference(const TLabelEffect& l, UINT align) { return Reference(l, align, l.Font()); }

// A new label as it comes: the caption in Times New Roman 20 in a 142 x 33 place, a grey face
// raised by a white highlight one pixel up and left and a black shadow one down and right.
TEST(LabelEffect, ANewLabelIsRaisedGreyTimesNewRoman) {
  Host host;
  TLabelEffect l(host.form, host.panel);
  EXPECT_EQ(std::make_pair(l.Width(), l.Height()), std::make_pair(142, 33));
  l.SetBounds(10, 10, 142, 33);  // clear of the panel's white bevel
  l.SetCaption("HIH");
  gdi::Dib dib(142, 33);
  PaintLabel(l, dib);
  TBox ref = Reference(l, DT_CENTER, gdi::FontSpec{.Name = "Times New Roman", .Size = 20});
  TBox face = BoxOf(dib, RGB(128, 128, 128)), shadow = BoxOf(dib, RGB(0, 0, 0)), light = BoxOf(dib, kWhite);
  ASSERT_GT(ref.Count, 0);
  EXPECT_EQ(face.Count, ref.Count) << "the whole caption in the grey face";
  EXPECT_EQ(face.Right - face.Left, ref.Right - ref.Left);
  EXPECT_EQ(face.Bottom - face.Top, ref.Bottom - ref.Top);
  EXPECT_EQ(std::make_pair(light.Left, light.Top), std::make_pair(face.Left - 1, face.Top - 1));
  EXPECT_EQ(std::make_pair(shadow.Right, shadow.Bottom), std::make_pair(face.Right + 1, face.Bottom + 1));
  EXPECT_EQ(BoxOf(dib, RGB(1, 2, 3)).Count, 0) << "a transparent label shows its parent around the letters";
}

TEST(LabelEffect, TheSettersWithTheirGuards) {
  Host host;
  TLabelEffect l(host.form, host.panel);
  // A depth set by hand makes the style custom and ends the button behaviour.
  l.SetAsButton(true);
  l.SetDepthShadow(3);
  EXPECT_EQ(l.EffectStyle(), esCustom);
  EXPECT_FALSE(l.AsButton());
  l.SetDepthShadow(200);
  EXPECT_EQ(l.DepthShadow(), 10) << "depths stay within 0..10";

  // Each style as painted, from a custom state: where the shadow (blue) and the highlight
  // (green) stand out from the face, as (x, y) of their outermost pixels; none: not seen.
  const POINT none{99, 99};
  struct TStyleCase {
    TEffectStyle style;
    POINT shadowAt, lightAt;  // +1: beyond the face's right or bottom, -1: its left or top
    int depth;
    bool asButtonKept;
  } styles[] = {
      {esNone, none, none, 0, false},
      {esRaised, {1, 1}, {-1, -1}, 1, true},
      {esSunken, {-1, -1}, {1, 1}, 1, true},
      {esShadow, {1, 1}, none, 2, false},
      {esFlying, {1, 1}, none, 5, false},  // the highlight takes the shadow's colour, under it
  };
  for (const auto& c : styles) {
    Painted p;
    p.l.SetAlignment(taLeftJustify);
    p.l.SetDepthShadow(3);
    p.l.SetAsButton(true);
    p.l.SetEffectStyle(c.style);
    gdi::Dib dib(p.l.Width(), p.l.Height());
    PaintLabel(p.l, dib);
    TBox face = BoxOf(dib, kRed), shadow = BoxOf(dib, kBlue), light = BoxOf(dib, kGreen);
    auto standsOut = [&](const TBox& b, POINT at, int depth) {
      if (at.x == none.x) return b.Count == 0;
      bool x = at.x > 0 ? b.Right == face.Right + depth : b.Left == face.Left - depth;
      bool y = at.y > 0 ? b.Bottom == face.Bottom + depth : b.Top == face.Top - depth;
      return b.Count > 0 && x && y;
    };
    EXPECT_TRUE(standsOut(shadow, c.shadowAt, c.depth)) << c.style;
    EXPECT_TRUE(standsOut(light, c.lightAt, 1)) << c.style;
    EXPECT_EQ(p.l.AsButton(), c.asButtonKept) << c.style;
    EXPECT_NE(p.l.EffectStyle(), esCustom) << c.style << ": applying a style is not a change by hand";
  }

  // A scheme paints in its colours and leaves them in csCustom's row: gold is yellow, black
  // and olive; steel, kept as custom, aqua, navy and teal.
  struct TSchemeCase {
    TColourScheme set, then;
    COLORREF light, shadow, face;
  } schemes[] = {{csGold, csGold, RGB(255, 255, 0), RGB(0, 0, 0), RGB(128, 128, 0)},
                 {csSteel, csCustom, RGB(0, 255, 255), RGB(0, 0, 128), RGB(0, 128, 128)}};
  for (const auto& c : schemes) {
    Painted p;
    p.l.SetEffectStyle(esRaised);
    p.l.SetColourScheme(c.set);
    p.l.SetColourScheme(c.then);
    gdi::Dib dib(p.l.Width(), p.l.Height());
    PaintLabel(p.l, dib);
    EXPECT_GT(BoxOf(dib, c.light).Count, 0) << c.set;
    EXPECT_GT(BoxOf(dib, c.shadow).Count, 0) << c.set;
    EXPECT_GT(BoxOf(dib, c.face).Count, 0) << c.set;
  }

  // A highlight set by hand switches to csCustom and takes that row's face.
  l.SetColourScheme(csWindows);
  l.SetColourHighlight(RGB(128, 255, 255));
  EXPECT_EQ(l.ColourScheme(), csCustom);
  EXPECT_EQ(l.CustomRow().Highlight, RGB(128, 255, 255));
  EXPECT_EQ(l.FontColor(), 0x808080u);

  // An angle forces left alignment; 0 leaves it.
  l.SetAlignment(taCenter);
  l.SetAngle(0);
  EXPECT_EQ(l.Alignment(), taCenter);
  l.SetAngle(90);
  EXPECT_EQ(l.Alignment(), taLeftJustify);
  l.SetAngle(1000);
  EXPECT_EQ(l.Angle(), 360);
}

// Default raised label, centred: face (0, +1), shadow (+1, +2), highlight (-1, 0).
TEST(LabelEffect, TheLayersOfTheDefaultRaisedLabel) {
  Painted p;
  p.l.SetAlignment(taCenter);
  gdi::Dib dib(p.l.Width(), p.l.Height());
  PaintLabel(p.l, dib);  // the kept buffers made
  int before = gdi::LiveObjects();
  PaintLabel(p.l, dib);
  EXPECT_EQ(gdi::LiveObjects(), before) << "a paint leaves no GDI object behind";
  TBox ref = Reference(p.l, DT_CENTER);
  ASSERT_GT(ref.Count, 0);
  TBox face = BoxOf(dib, kRed), shadow = BoxOf(dib, kBlue), light = BoxOf(dib, kGreen);
  EXPECT_EQ(face.Count, ref.Count) << "the face is drawn whole, last";
  EXPECT_EQ(face.Left, ref.Left);
  EXPECT_EQ(face.Top, ref.Top + 1);
  EXPECT_EQ(face.Right, ref.Right);
  EXPECT_EQ(face.Bottom, ref.Bottom + 1);
  EXPECT_EQ(light.Left, ref.Left - 1);
  EXPECT_EQ(light.Top, ref.Top);
  EXPECT_EQ(shadow.Right, ref.Right + 1);
  EXPECT_EQ(shadow.Bottom, ref.Bottom + 2);
  EXPECT_EQ(dib.Pixel(0, 0), kWhite) << "an opaque label fills with its colour";

  // Left aligned: no shift, so everything moves right by one.
  p.l.SetAlignment(taLeftJustify);
  PaintLabel(p.l, dib);
  TBox left = Reference(p.l, DT_LEFT), leftFace = BoxOf(dib, kRed);
  EXPECT_EQ(leftFace.Left, left.Left + 1);
  EXPECT_EQ(leftFace.Top, left.Top + 1);

  // A caption cut at 255 characters draws as its first 255; an empty one draws nothing.
  Painted tall(200, 118);
  std::string longText;
  for (int i = 0; i < 150; ++i) longText += "W ";
  gdi::Dib cut(200, 118), whole(200, 118);
  tall.l.SetCaption(longText.substr(0, 255));
  PaintLabel(tall.l, cut);
  tall.l.SetCaption(longText);
  PaintLabel(tall.l, whole);
  int differ = 0;
  for (int y = 0; y < 118; ++y)
    for (int x = 0; x < 200; ++x) differ += cut.Pixel(x, y) != whole.Pixel(x, y);
  EXPECT_EQ(differ, 0);
  tall.l.SetCaption("");
  tall.l.SetTransparent(true);
  PaintLabel(tall.l, cut);
  EXPECT_EQ(BoxOf(cut, RGB(1, 2, 3)).Count, 200 * 118) << "an empty transparent caption leaves the place as it was";
}

// A vertical face gradient over text 19 pixels high: one band per row, from GraduateFrom at the
// top to the face at the bottom; a second line keeps no face.
TEST(LabelEffect, GraduatedFaceBandsAndTheOnePixelExtent) {
  Painted p(200, 60);
  p.l.SetEffectStyle(esNone);  // only the face, at (0, 0)
  p.l.SetColourHighlight(kWhite);
  p.l.SetColourShadow(kWhite);
  p.l.SetCaption("HIH\nHIH");
  gdi::FontSpec f = p.l.Font();
  f.Height = 19;  // the cell: the text is 19 pixels high
  p.l.SetFont(f);
  p.l.SetGraduateFrom(RGB(255, 0, 0));
  p.l.SetFontColor(RGB(0, 0, 255));
  p.l.SetGraduateFace(TGraduateOption::goVertical);
  gdi::Dib dib(200, 60);
  PaintLabel(p.l, dib);
  int rowsWithFace = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) {
      COLORREF c = dib.Pixel(x, y);
      if (c == kWhite) continue;
      ASSERT_LT(y, 19) << "only the first line is graduated: the second draws no face (" << x << "," << y << ")";
      // Band n: red 255 - round(n * 255 / 18), blue round(n * 255 / 18), halves to even.
      int blue = (int)std::nearbyint(y * 255.0 / 18);
      ASSERT_EQ(c, RGB(255 - blue, 0, blue)) << "row " << y;
      if (x == 0 || dib.Pixel(x - 1, y) == kWhite) ++rowsWithFace;
    }
  EXPECT_GT(rowsWithFace, 0);

  // The horizontal gradient: columns from GraduateFrom to the face; everything stays on the
  // two colours' line.
  p.l.SetGraduateFace(TGraduateOption::goHorizontal);
  PaintLabel(p.l, dib);
  TBox any;
  for (int y = 0; y < 19; ++y)
    for (int x = 0; x < 200; ++x)
      if (dib.Pixel(x, y) != kWhite) {
        any.Add(x, y);
        EXPECT_EQ(GetGValue(dib.Pixel(x, y)), 0);
        EXPECT_EQ(GetRValue(dib.Pixel(x, y)) + GetBValue(dib.Pixel(x, y)), 255) << x << "," << y;
      }
  EXPECT_GT(any.Count, 0);

  // A one-pixel-high text (N = 0) draws the face colour and does not fail.
  f.Height = 1;
  p.l.SetFont(f);
  p.l.SetCaption("HHHH");
  p.l.SetGraduateFace(TGraduateOption::goVertical);
  PaintLabel(p.l, dib);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) {
      COLORREF c = dib.Pixel(x, y);
      if (c != kWhite) {
        EXPECT_TRUE(c == RGB(0, 0, 255) || c == RGB(255, 0, 0)) << x << "," << y;
      }
    }
}

// Real shadows halve what lies beneath; real highlights move it halfway to white.
TEST(LabelEffect, RealShadowAndHighlightWorkOnThePixelsBeneath) {
  Painted p;
  const COLORREF back = RGB(200, 100, 51);
  p.l.SetColor(back);
  p.l.SetEffectStyle(esShadow);  // shadow 2 down-right, highlight under the face
  p.l.SetStyleShadow(eoReal);
  gdi::Dib dib(p.l.Width(), p.l.Height());
  PaintLabel(p.l, dib);
  TBox face = BoxOf(dib, kRed), halved = BoxOf(dib, RGB(100, 50, 25));
  ASSERT_GT(face.Count, 0);
  EXPECT_GT(halved.Count, 0);
  EXPECT_EQ(halved.Right, face.Right + 2);
  EXPECT_EQ(halved.Bottom, face.Bottom + 2);
  EXPECT_EQ(BoxOf(dib, kBlue).Count, 0) << "a real shadow is not drawn in its colour";
  for (int y = 0; y < dib.Height(); ++y)
    for (int x = 0; x < dib.Width(); ++x) {
      COLORREF c = dib.Pixel(x, y);
      EXPECT_TRUE(c == back || c == kRed || c == RGB(100, 50, 25) || c == kGreen) << x << "," << y;
    }

  p.l.SetEffectStyle(esRaised);
  p.l.SetStyleShadow(eoNormal);
  p.l.SetStyleHighlight(eoReal);
  PaintLabel(p.l, dib);
  TBox lighter = BoxOf(dib, RGB(227, 177, 153));
  EXPECT_GT(lighter.Count, 0);
  EXPECT_EQ(lighter.Left, BoxOf(dib, kRed).Left - 1);

  // Extruded and graduated shadows: layers from the deepest up; graduated ones run from the
  // shadow colour to the face.
  p.l.SetStyleHighlight(eoNormal);
  p.l.SetColor(kWhite);
  p.l.SetDepthShadow(3);
  p.l.SetStyleShadow(eoGraduated);
  PaintLabel(p.l, dib);
  EXPECT_GT(BoxOf(dib, kBlue).Count, 0) << "depth 3 in the shadow colour";
  EXPECT_GT(BoxOf(dib, RGB(128, 0, 127)).Count, 0) << "depth 2 halfway to the face";
  EXPECT_EQ(BoxOf(dib, kBlue).Right, BoxOf(dib, RGB(128, 0, 127)).Right + 1);
  EXPECT_EQ(BoxOf(dib, kBlue).Right, BoxOf(dib, kRed).Right + 2) << "layer 1 has the face colour";

  // Rotated: drawn, and nothing left behind.
  int before = gdi::LiveObjects();
  p.l.SetAngle(90);
  PaintLabel(p.l, dib);
  EXPECT_GT(BoxOf(dib, kRed).Count, 0);
  p.l.SetKeepLettersVertical(true);
  PaintLabel(p.l, dib);
  EXPECT_GT(BoxOf(dib, kRed).Count, 0);
  EXPECT_EQ(gdi::LiveObjects(), before);
}

// As a button: sunken while the left button is held inside, raised outside and after the
// release; the mouse events stay with the label, the click still comes.
TEST(LabelEffect, AsButtonSunkenWhileHeldInside) {
  Host host;
  TLabelEffect l(host.form, host.panel);
  l.SetBounds(10, 10, 100, 30);
  int clicks = 0, downs = 0;
  l.OnClick = [&](TObject* s) { clicks += s == &l; };
  l.OnMouseDown = [&](TObject*, WPARAM, int, int) { ++downs; };
  l.SetAsButton(true);
  HWND panel = host.panel->Handle();
  auto mouse = [&](UINT msg, WPARAM keys, int x, int y) { SendMessageA(panel, msg, keys, MAKELPARAM(x, y)); };
  struct TStep {
    UINT msg;
    WPARAM keys;
    int x, y;
    TEffectStyle after;
  } steps[] = {
      {WM_LBUTTONDOWN, MK_LBUTTON, 20, 20, esSunken},
      {WM_MOUSEMOVE, MK_LBUTTON, 150, 20, esRaised},    // dragged out
      {WM_MOUSEMOVE, MK_LBUTTON, 110, 40, esSunken},    // the far edge counts as inside
      {WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, 150, 20, esSunken},  // not the left button alone
      {WM_LBUTTONUP, 0, 30, 20, esRaised},
  };
  for (const auto& s : steps) {
    mouse(s.msg, s.keys, s.x, s.y);
    EXPECT_EQ(l.EffectStyle(), s.after) << s.msg << " at " << s.x << "," << s.y;
  }
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(downs, 0) << "a button label keeps its mouse events";

  l.SetAsButton(false);
  mouse(WM_LBUTTONDOWN, MK_LBUTTON, 20, 20);
  mouse(WM_LBUTTONUP, 0, 200, 100);  // released elsewhere: no click
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(clicks, 1);
  l.SetEnabled(false);
  mouse(WM_LBUTTONDOWN, MK_LBUTTON, 20, 20);
  mouse(WM_LBUTTONUP, 0, 20, 20);
  EXPECT_EQ(downs, 1) << "a disabled label takes no mouse";
  EXPECT_EQ(clicks, 1);
}

}  // namespace
