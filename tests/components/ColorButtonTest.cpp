#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>
#include <memory>
#include <string>
#include <vector>
#include "components/OvColorBtns.h"
#include "tests/TempFolder.h"
#include "tests/components/ComponentsSupport.h"

namespace {

const COLORREF kFace = RGB(212, 208, 200);
const COLORREF kThanks = 12615680;        // red 0, green 128, blue 192
const COLORREF kUntouched = RGB(1, 2, 3);  // what the test's picture holds before a paint

struct Button {
  Host host{false, 200, 120};
  TOvColorBtn* b;
  int clicks = 0;
  explicit Button(int w = 99, int h = 35, COLORREF face = kFace, TClr95ButtonStyle style = bsNew) {
    b = new TOvColorBtn(host.form, host.panel);
    b->SetBounds(0, 0, w, h);
    b->SetColor(face);
    b->SetStyle(style);
    b->OnClick = [this](TObject*) { ++clicks; };
  }
  // The button painted into a fresh picture that holds kUntouched everywhere.
  std::unique_ptr<gdi::Dib> Paint() {
    auto dib = std::make_unique<gdi::Dib>(b->Width(), b->Height());
    gdi::FillSolid(dib->DC(), RECT{0, 0, b->Width(), b->Height()}, kUntouched);
    b->PaintTo(dib->DC());
    return dib;
  }
};

// A w x h glyph strip: a solid red square inset by 2 in each cell, magenta around it.
gdi::Bitmap SquareGlyph(int w, int h) {
  return MakeStrip(w, h, [=](int x, int y) {
    int cx = x % h;
    return cx >= 2 && cx < h - 2 && y >= 2 && y < h - 2 ? kRed : kMagenta;
  });
}

int Count(const gdi::Dib& d, COLORREF c) {
  int n = 0;
  for (int y = 0; y < d.Height(); ++y)
    for (int x = 0; x < d.Width(); ++x) n += d.Pixel(x, y) == c;
  return n;
}

TEST(ColorButtonColours, GreyLevelRoundsHalvesToEvenAndDecidesLightness) {
  struct Case { COLORREF c; int grey; bool light; } cases[] = {
      {RGB(0, 255, 0), 128, true},    // 127.5 -> 128
      {RGB(0, 253, 0), 126, false},   // 126.5 -> 126
      {RGB(212, 208, 200), 206, true},
      {kThanks, 122, false},          // the "Thanks!" face: white text
      {RGB(255, 255, 255), 255, true},
      {RGB(0, 0, 0), 0, false},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(GrayLevel(k.c), RGB(k.grey, k.grey, k.grey)) << std::hex << k.c;
    EXPECT_EQ(IsLightColor(k.c), k.light) << std::hex << k.c;
  }
  EXPECT_EQ(ShiftColor(kFace, 60), RGB(255, 255, 255)) << "clamped";
  EXPECT_EQ(ShiftColor(kFace, -250), RGB(0, 0, 0));
  EXPECT_EQ(ShiftColor(clBtnFace, 0), GetSysColor(COLOR_BTNFACE)) << "system colours resolved";
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
}

TEST(ColorButtonFace, NewFaceUpHotAndPressed) {
  Button t;
  const int W = 99, H = 35;
  struct Ring { int at; COLORREF topLeft, bottomRight; };
  auto expectRings = [&](const gdi::Dib& d, const std::vector<Ring>& rings, const char* look) {
    for (const Ring& r : rings) {
      int l = r.at, tp = r.at, rt = W - 1 - r.at, bt = H - 1 - r.at;
      EXPECT_EQ(d.Pixel(l, tp), r.topLeft) << look << " ring " << r.at;
      EXPECT_EQ(d.Pixel(l, 20), r.topLeft) << look;
      EXPECT_EQ(d.Pixel(50, tp), r.topLeft) << look;
      EXPECT_EQ(d.Pixel(rt, tp), r.bottomRight) << look << ": the top-right corner";
      EXPECT_EQ(d.Pixel(l, bt), r.bottomRight) << look << ": the bottom-left corner";
      EXPECT_EQ(d.Pixel(rt, 20), r.bottomRight) << look;
      EXPECT_EQ(d.Pixel(50, bt), r.bottomRight) << look;
    }
  };
  auto up = t.Paint();
  expectRings(*up, {{0, RGB(224, 220, 212), RGB(112, 108, 100)}, {1, RGB(255, 255, 255), RGB(164, 160, 152)}}, "up");
  EXPECT_EQ(up->Pixel(2, 2), kFace);
  EXPECT_EQ(up->Pixel(W - 3, H - 3), kFace);

  t.b->MouseEnter();
  auto hot = t.Paint();
  expectRings(*hot, {{0, RGB(224, 220, 212), RGB(112, 108, 100)}, {1, RGB(255, 255, 255), RGB(164, 160, 152)}}, "hot");
  for (POINT p : {POINT{2, 2}, POINT{W - 3, 2}, POINT{2, H - 3}, POINT{W - 3, H - 3}, POINT{50, 17}})
    EXPECT_EQ(hot->Pixel(p.x, p.y), RGB(236, 232, 224)) << "hot fill at " << p.x << "," << p.y;

  t.b->MouseDown(10, 10);
  EXPECT_EQ(t.b->State(), cbsPressed);
  auto pressed = t.Paint();
  expectRings(*pressed, {{0, RGB(116, 112, 104), RGB(255, 255, 255)}, {1, RGB(164, 160, 152), RGB(255, 255, 248)}},
              "pressed");
  EXPECT_EQ(pressed->Pixel(2, 2), kFace) << "no hot fill while pressed";
  EXPECT_EQ(pressed->Pixel(W - 3, H - 3), kFace);

  gdi::Dib d(W, H);
  RECT down = DrawButtonFace(d.DC(), RECT{0, 0, W, H}, bsNew, false, true, false, kFace);
  RECT upContent = DrawButtonFace(d.DC(), RECT{0, 0, W, H}, bsNew, false, false, false, kFace);
  const RECT wantDown{3, 3, W - 3, H - 3}, wantUp{2, 2, W - 2, H - 2};
  EXPECT_TRUE(EqualRect(&down, &wantDown)) << "the content inset by 3 when down";
  EXPECT_TRUE(EqualRect(&upContent, &wantUp));
}

TEST(ColorButtonFace, CaptionIsBlackOnLightFacesAndWhiteOnDark) {
  Button light;
  light.b->SetCaption("Thanks!");
  auto l = light.Paint();
  EXPECT_GT(Count(*l, RGB(0, 0, 0)), 10);
  Button dark(85, 35, kThanks, bsGradient);
  dark.b->SetCaption("Thanks!");
  auto d = dark.Paint();
  EXPECT_GT(Count(*d, RGB(255, 255, 255)), 10);
  EXPECT_EQ(Count(*d, RGB(0, 0, 0)), 0);

  // A scheme's middle green face, on which white reads at 3.5:1: the scheme's pair instead,
  // the face framed in black button text.
  const int elements[] = {COLOR_BTNFACE, COLOR_BTNTEXT};
  const COLORREF old[2] = {GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNTEXT)}, green[2] = {RGB(0, 160, 0), 0};
  SetSysColors(2, elements, green);
  Button scheme(99, 35, clBtnFace);
  scheme.b->SetCaption("Defrag");
  auto g = scheme.Paint();
  SetSysColors(2, elements, old);
  EXPECT_TRUE(g->Pixel(0, 0) == 0 && g->Pixel(5, 5) == RGB(0, 160, 0) && Count(*g, RGB(255, 255, 255)) == 0);
  EXPECT_GT(Count(*g, 0), 2 * (99 + 35) + 10) << "the caption in the button text colour";
}

TEST(ColorButtonFace, GradientBandsAndTheHotCover) {
  Button t(85, 35, kThanks, bsGradient);
  const COLORREF bands[16] = {RGB(24, 152, 216), RGB(19, 147, 211), RGB(14, 142, 206), RGB(10, 138, 202),
                              RGB(5, 133, 197),  RGB(5, 128, 192),  RGB(5, 123, 187),  RGB(5, 118, 182),
                              RGB(5, 114, 178),  RGB(5, 109, 173),  RGB(5, 104, 168),  RGB(5, 99, 163),
                              RGB(5, 94, 158),   RGB(5, 90, 154),   RGB(5, 85, 149),   RGB(5, 85, 149)};
  auto up = t.Paint();
  for (int i = 0; i < 16; ++i) {
    int row = 1 + 2 * i;
    EXPECT_EQ(up->Pixel(40, row), bands[i]) << "band at row " << row;
    EXPECT_EQ(up->Pixel(1, row + 1), bands[i]) << "two rows high";
    EXPECT_EQ(up->Pixel(81, row), bands[i]);
  }
  for (int y = 1; y < 33; ++y) EXPECT_EQ(up->Pixel(82, y), kUntouched) << "column W - 3, row " << y;
  for (int y = 0; y < 35; ++y) EXPECT_EQ(up->Pixel(84, y), kUntouched) << "the last column";
  for (int x = 0; x < 85; ++x) EXPECT_EQ(up->Pixel(x, 34), kUntouched) << "the last row";
  {
    // On the screen those pixels show what lies behind the button, whatever the parent paints.
    Host checker(true, 200, 120);
    TOvColorBtn* b = new TOvColorBtn(checker.form, checker.panel);
    b->SetBounds(13, 7, 85, 35);
    b->SetColor(kThanks);
    b->SetStyle(bsGradient);
    gdi::Dib shown(85, 35);
    gdi::FillSolid(shown.DC(), RECT{0, 0, 85, 35}, kUntouched);
    SendMessageA(b->Handle(), WM_PRINTCLIENT, (WPARAM)shown.DC(), PRF_CLIENT);
    for (POINT p : {POINT{82, 1}, POINT{82, 30}, POINT{84, 0}, POINT{84, 21}, POINT{0, 34}, POINT{50, 34}})
      EXPECT_EQ(shown.Pixel(p.x, p.y), TCheckerPanel::At(13 + p.x, 7 + p.y)) << p.x << "," << p.y;
    EXPECT_EQ(shown.Pixel(40, 1), bands[0]) << "and the face its own";
  }
  EXPECT_EQ(up->Pixel(0, 0), RGB(24, 152, 216)) << "frame: face +24 top-left";
  EXPECT_EQ(up->Pixel(83, 10), RGB(0, 32, 96)) << "frame: face -96 bottom-right";

  t.b->MouseEnter();
  auto hot = t.Paint();
  for (POINT p : {POINT{2, 2}, POINT{82, 2}, POINT{2, 32}, POINT{82, 32}, POINT{40, 17}})
    EXPECT_EQ(hot->Pixel(p.x, p.y), RGB(24, 152, 216)) << p.x << "," << p.y;
  EXPECT_EQ(hot->Pixel(1, 3), RGB(19, 147, 211)) << "outside the content the gradient stays";
  t.b->MouseLeave();
  EXPECT_EQ(t.Paint()->Pixel(40, 3), RGB(19, 147, 211)) << "leaving restores the gradient";
}

TEST(ColorButtonFace, GradientTooShortForItsSectionsIsOneSolidBand) {
  Button t(85, 2, kThanks, bsGradient);
  auto d = t.Paint();  // the gradient rectangle is empty: nothing may divide by zero
  gdi::Dib strip(10, 2);
  FillGradientBands(strip.DC(), RECT{0, 0, 10, 2}, {kRed, kGreen, kBlue, kYellow}, 3, 0, 2);
  EXPECT_EQ(Count(strip, kRed), 20);
  FillGradientBands(strip.DC(), RECT{0, 0, 2, 10}, {kGreen, kRed}, 3, 1, 0);
  EXPECT_EQ(strip.Pixel(1, 1), kGreen) << "across, too";
  FillGradientBands(strip.DC(), RECT{0, 0, 0, 0}, {kBlue}, 1, 0, 1);
  EXPECT_EQ(strip.Pixel(1, 1), kGreen) << "an empty rectangle draws nothing";
}

TEST(ColorButtonFace, EveryStyleInEveryLookPaintsWithoutLeaking) {
  Button t;
  t.b->SetCaption("&Style");
  t.b->SetGlyph(SquareGlyph(48, 24));
  t.b->SetGroupIndex(3);
  auto paintAll = [&] {
    for (int s = bsWin31; s <= bsGradient; ++s) {
      t.b->SetStyle((TClr95ButtonStyle)s);
      for (int look = 0; look < 4; ++look) {
        t.b->SetDown(look == 2);
        if (look == 1) t.b->MouseEnter(); else t.b->MouseLeave();
        t.b->SetEnabled(look != 3);
        t.Paint();
      }
      t.b->SetEnabled(true);
    }
  };
  paintAll();  // the shared pattern and glyph list are made once
  int live = gdi::LiveObjects();
  paintAll();
  EXPECT_EQ(gdi::LiveObjects(), live);
}

TEST(ColorButtonFace, DitherOnlyWhenLatched) {
  Button t(40, 20, RGB(100, 100, 100));
  t.b->SetDown(true);
  EXPECT_FALSE(t.b->Down()) << "no group: Down stays False";
  EXPECT_EQ(t.Paint()->Pixel(4, 4), RGB(100, 100, 100));
  t.b->SetGroupIndex(1);
  t.b->SetDown(true);
  EXPECT_EQ(t.b->State(), cbsLatched);
  auto d = t.Paint();
  EXPECT_EQ(d->Pixel(4, 4), RGB(228, 228, 228)) << "face +128 where x and y have equal parity";
  EXPECT_EQ(d->Pixel(5, 4), RGB(100, 100, 100));
  EXPECT_EQ(d->Pixel(36, 16), RGB(100, 100, 100)) << "the content's right and bottom lose a pixel";
  t.b->SetOptions(boShowMouseFocus | boAutoBlackWhiteText);
  EXPECT_EQ(t.Paint()->Pixel(4, 4), RGB(100, 100, 100)) << "without boDitherPattern";
}

TEST(ColorButtonGlyph, DisabledLookIsEmbossed) {
  Button t;
  t.b->SetGlyph(SquareGlyph(24, 24));
  t.b->SetCaption("Deframmenta");
  t.b->SetEnabled(false);
  EXPECT_EQ(t.b->State(), cbsDisabled);
  auto d = t.Paint();
  const COLORREF light = RGB(255, 255, 255), shadow = RGB(164, 160, 152), textShadow = RGB(116, 112, 104);
  EXPECT_EQ(Count(*d, kRed), 0) << "no colour of the glyph";
  // The square's 20 x 20 silhouette in the shadow, its light copy showing one pixel below right.
  EXPECT_GE(Count(*d, shadow), 20 * 20);
  EXPECT_GT(Count(*d, textShadow), 10) << "caption in face -96";
  EXPECT_GT(Count(*d, light), 97 + 33 + 39 + 10) << "the inner ring, the glyph's light edge and the caption's";
  t.b->SetEnabled(true);
  EXPECT_GT(Count(*t.Paint(), kRed), 0);
}

TEST(ColorButtonGlyph, CellCountFromTheStripAndTheLayoutRules) {
  Button t;
  struct Case { int w, h, num; } strips[] = {{24, 24, 1}, {96, 24, 4}, {72, 24, 3}, {120, 24, 1}, {30, 20, 1}};
  for (const Case& c : strips) {
    t.b->SetGlyph(SquareGlyph(c.w, c.h));
    EXPECT_EQ(t.b->NumGlyphs(), c.num) << c.w << " x " << c.h;
  }
  t.b->SetNumGlyphs(2);
  t.b->SetGlyph(SquareGlyph(30, 20));
  EXPECT_EQ(t.b->NumGlyphs(), 2) << "a width that is no multiple of the height keeps the count";
  t.b->SetNumGlyphs(7);
  EXPECT_EQ(t.b->NumGlyphs(), 4);
  t.b->SetNumGlyphs(0);
  EXPECT_EQ(t.b->NumGlyphs(), 1);
  t.b->SetGlyph(SquareGlyph(3, 20));
  t.b->SetNumGlyphs(4);
  EXPECT_EQ(t.b->GlyphHolder().CellSize().cx, 0);
  t.Paint();  // a cell of width 0: nothing to draw, nothing to fail
  t.b->SetMargin(-2);
  EXPECT_EQ(t.b->Margin(), -1) << "values below -1 are ignored";

  struct Layout { TButtonLayout l; int margin, spacing; POINT glyph; RECT text; } layouts[] = {
      // 95 x 31 content at (2, 2), a 24 x 24 glyph, a 60 x 13 caption: one centred group.
      {blGlyphLeft, -1, 4, {6, 6}, {34, 11, 94, 24}},
      {blGlyphRight, -1, 4, {69, 6}, {5, 11, 65, 24}},
      {blGlyphLeft, -1, -1, {5, 6}, {32, 11, 92, 24}},
      {blGlyphLeft, 5, -1, {7, 6}, {34, 11, 94, 24}},
      {blGlyphTop, -1, 4, {38, -2}, {20, 26, 80, 39}},  // margins may go negative
  };
  for (const Layout& c : layouts) {
    TButtonLayoutResult r = CalcButtonLayout(RECT{2, 2, 97, 33}, SIZE{24, 24}, SIZE{60, 13}, c.l, c.margin, c.spacing);
    EXPECT_EQ(r.GlyphPos.x, c.glyph.x) << c.l << " " << c.margin << " " << c.spacing;
    EXPECT_EQ(r.GlyphPos.y, c.glyph.y) << c.l;
    EXPECT_TRUE(EqualRect(&r.TextBounds, &c.text)) << c.l << ": " << r.TextBounds.left << "," << r.TextBounds.top;
  }
}

TEST(ColorButtonGlyph, OneSharedListPerCellSizeFreedWithItsLastButton) {
  ASSERT_EQ(GlyphCache(), nullptr);
  auto a = std::make_unique<Button>(), b = std::make_unique<Button>(), c = std::make_unique<Button>();
  a->b->SetGlyph(SquareGlyph(24, 24));
  b->b->SetGlyph(SquareGlyph(48, 24));
  c->b->SetGlyph(SquareGlyph(20, 20));
  a->Paint(), b->Paint(), c->Paint();
  ASSERT_NE(a->b->GlyphHolder().List(), nullptr);
  EXPECT_EQ(a->b->GlyphHolder().List(), b->b->GlyphHolder().List());
  EXPECT_NE(a->b->GlyphHolder().List(), c->b->GlyphHolder().List());
  EXPECT_EQ(GlyphCache()->ListCount(), 2);
  EXPECT_EQ(a->b->GlyphHolder().List()->Count(), 2);
  c.reset();
  EXPECT_EQ(GlyphCache()->ListCount(), 1) << "the 20 x 20 list went with its last picture";
  a.reset();
  EXPECT_EQ(GlyphCache()->ListCount(), 1);
  EXPECT_EQ(b->b->GlyphHolder().List()->Count(), 1);
  b.reset();
  EXPECT_EQ(GlyphCache(), nullptr);
}

TEST(ColorButtonGlyph, TransparentBitmapLeavesItsKeyColourOut) {
  gdi::Bitmap bmp = MakeStrip(4, 4, [](int x, int y) { return x == y ? kRed : kMagenta; });
  gdi::Dib d(6, 6);
  gdi::FillSolid(d.DC(), RECT{0, 0, 6, 6}, kBlue);
  DrawTransparentBitmap(d.DC(), bmp, 1, 1, -1);  // its own colour: magenta, bottom-left
  EXPECT_EQ(d.Pixel(2, 2), kRed);
  EXPECT_EQ(d.Pixel(3, 2), kBlue);
  EXPECT_EQ(Count(d, kRed), 4);
  DrawTransparentBitmap(d.DC(), bmp, 1, 1, (int)kRed);
  EXPECT_EQ(d.Pixel(3, 2), kMagenta);
  gdi::Dib copy(4, 4);
  DrawTransparentBitmap(copy.DC(), bmp, 0, 0, (int)kBlue);
  EXPECT_EQ(copy.Pixel(1, 0), kMagenta) << "the bitmap itself is left as it was";
  DrawTransparentBitmap(copy.DC(), nullptr, 0, 0, -1);
}

TEST(ColorButtonMouse, ClicksOnlyOnAReleaseInsideCountingTheRowBelow) {
  Button t(99, 35);
  struct Case { int x, y; bool click; } cases[] = {
      {10, 10, true}, {98, 34, true}, {50, 35, true}, {50, 36, false}, {99, 10, false}, {-1, 10, false}};
  for (const Case& c : cases) {
    int before = t.clicks;
    t.b->MouseDown(10, 10);
    EXPECT_TRUE(t.b->Dragging());
    t.b->MouseMove(c.x, c.y);
    EXPECT_EQ(t.b->State(), c.click ? cbsPressed : cbsUp) << c.x << "," << c.y;
    t.b->MouseUp(c.x, c.y);
    EXPECT_EQ(t.clicks - before, c.click ? 1 : 0) << c.x << "," << c.y;
    EXPECT_EQ(t.b->State(), cbsUp);
    EXPECT_FALSE(t.b->Dragging());
  }
  t.b->SetEnabled(false);
  SendMessageA(t.b->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(t.clicks, 3) << "a disabled button does not click";
  t.b->SetEnabled(true);
  SendMessageA(t.b->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(t.clicks, 4);
  EXPECT_NE(GetFocus(), t.b->Handle()) << "a click never takes the focus";
  EXPECT_TRUE(GetWindowLongA(t.b->Handle(), GWL_STYLE) & WS_TABSTOP) << "Tab reaches it";
}

// The focus frame: dots on the content rectangle's edge in the caption's colour, only while the
// button has the focus and the keyboard has moved the focus in its window.
TEST(ColorButtonFocus, DottedOnlyOnceTheKeyboardMovedTheFocus) {
  Button t(99, 35, kThanks, bsGradient);
  t.host.form->Show();
  t.b->SetFocus();
  const COLORREF white = RGB(255, 255, 255);
  auto corners = [&] {
    auto d = t.Paint();
    return (d->Pixel(2, 2) == white) + (d->Pixel(96, 2) == white) + (d->Pixel(2, 32) == white) + (d->Pixel(96, 32) == white);
  };
  EXPECT_EQ(corners(), 0) << "focused by a program, as by a click: no frame";
  EXPECT_TRUE(DialogKey(MSG{t.b->Handle(), WM_KEYDOWN, VK_TAB, 1, 0, {}}));
  EXPECT_EQ(GetFocus(), t.b->Handle()) << "its window's only tab stop";
  EXPECT_EQ(corners(), 4);
  EXPECT_NE(t.Paint()->Pixel(3, 2), white) << "every other pixel";
  SetFocus(nullptr);
  EXPECT_EQ(corners(), 0) << "without the focus";
}

TEST(ColorButtonMouse, AcceleratorClicksAnEnabledButton) {
  Button t;
  struct Case { const char* caption; char ch; bool click; } cases[] = {
      {"&Deframmenta", 'd', true}, {"&Deframmenta", 'D', true}, {"&Deframmenta", 'e', false},
      {"Deframmenta", 'd', false}, {"A && &B", 'b', true},      {"A && B", '&', false}, {"Ri&pristina", 'p', true}};
  for (const Case& c : cases) {
    int before = t.clicks;
    t.b->SetCaption(c.caption);
    EXPECT_EQ(t.b->DialogChar(c.ch), c.click) << c.caption << " " << c.ch;
    EXPECT_EQ(t.clicks - before, c.click ? 1 : 0) << c.caption;
  }
  t.b->SetCaption("&Deframmenta");
  t.b->SetEnabled(false);
  EXPECT_FALSE(t.b->DialogChar('d'));
  t.b->SetEnabled(true);
  // Through the message loop, as Alt+D typed in the window arrives.
  t.host.form->Show();
  int before = t.clicks;
  PostMessageA(t.host.form->Handle(), WM_SYSCHAR, 'd', 0x20000000);
  Application->ProcessMessages();
  EXPECT_EQ(t.clicks, before + 1);
  PostMessageA(t.host.form->Handle(), WM_SYSCHAR, 'q', 0x20000000);
  Application->ProcessMessages();
  EXPECT_EQ(t.clicks, before + 1) << "another letter is not the button's";
  t.host.form->Hide();
}

TEST(ColorButtonMouse, GroupedButtonsReleaseEachOther) {
  Host host;
  TOvColorBtn* a = new TOvColorBtn(host.form, host.panel);
  TOvColorBtn* b = new TOvColorBtn(host.form, host.panel);
  TOvColorBtn* other = new TOvColorBtn(host.form, host.panel);
  a->SetGroupIndex(1), b->SetGroupIndex(1), other->SetGroupIndex(2);
  other->SetDown(true);
  a->SetDown(true);
  EXPECT_TRUE(a->Down());
  b->SetDown(true);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down()) << "pressing one releases the other";
  EXPECT_EQ(a->State(), cbsUp);
  EXPECT_TRUE(other->Down()) << "another group is left alone";
  b->SetDown(false);
  EXPECT_TRUE(b->Down()) << "without AllowAllUp one stays down";
  b->MouseDown(5, 5);
  b->MouseUp(5, 5);
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(b->State(), cbsLatched);
  a->SetAllowAllUp(true);
  EXPECT_TRUE(b->AllowAllUp()) << "the group shares AllowAllUp";
  b->MouseDown(5, 5);
  b->MouseUp(5, 5);
  EXPECT_FALSE(b->Down()) << "with AllowAllUp an inside release lets it up";
  a->MouseDown(5, 5);
  a->MouseUp(5, 60);
  EXPECT_FALSE(a->Down()) << "an outside release changes nothing";
}

TEST(ColorButtonMouse, RepeatTimerClicksAHeldButtonAndStopsOnAnError) {
  Button t;
  t.b->SetOptions(t.b->Options() | boRepeatable);
  SendMessageA(t.b->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  TTimer* timer = TOvColorBtn::RepeatTimer();
  ASSERT_NE(timer, nullptr);
  EXPECT_TRUE(timer->Enabled());
  EXPECT_EQ(timer->Interval(), 500u);
  EXPECT_EQ(GetCapture(), t.b->Handle());
  timer->Tick();
  timer->Tick();
  EXPECT_EQ(t.clicks, 2);
  EXPECT_EQ(timer->Interval(), 100u);
  t.b->OnClick = [](TObject*) { throw Exception("click failed"); };
  EXPECT_THROW(timer->Tick(), Exception);
  EXPECT_FALSE(timer->Enabled()) << "stopped before the error went on";
  t.b->OnClick = [&](TObject*) { ++t.clicks; };
  timer->SetEnabled(true);
  SendMessageA(t.b->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_FALSE(timer->Enabled()) << "a release stops it";
  EXPECT_EQ(t.clicks, 3);
  EXPECT_NE(GetCapture(), t.b->Handle());
}

TEST(ColorButtonSound, SilentForWhatIsNoSound) {
  TTempFolder dir;
  // A valid wave file of no samples.
  std::string wav("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x40\x1f\0\0\x01\0\x08\0data\0\0\0\0", 44);
  dir.Write("click.wav", wav);
  dir.MakeFolder("folder");
  struct Case { std::string name; bool plays; } cases[] = {
      {"", false}, {dir / "folder", false}, {dir / "missing.wav", false},
      {dir / std::string(300, 'a'), false}, {"NO_SUCH_SOUND", false}, {dir / "click.wav", true}};
  for (const Case& c : cases) EXPECT_EQ(PlayButtonSound(c.name), c.plays) << c.name;
  PlaySoundA(nullptr, nullptr, 0);
}

TEST(ColorButtonMouse, EnterAndLeaveSwapTheImages) {
  Button t;
  t.b->SetGlyph(SquareGlyph(24, 24));
  t.b->SetImagineAttiva(SquareGlyph(40, 20));
  t.b->SetImagineInattiva(SquareGlyph(30, 30));
  t.b->MouseEnter();
  EXPECT_TRUE(t.b->MouseInside());
  EXPECT_EQ(t.b->Glyph().Width(), 40);
  t.b->MouseLeave();
  EXPECT_FALSE(t.b->MouseInside());
  EXPECT_EQ(t.b->Glyph().Width(), 30);
  t.b->SetOptions(boDitherPattern);
  t.b->MouseEnter();
  EXPECT_FALSE(t.b->MouseInside()) << "without boShowMouseFocus there is no hot look";
}

}  // namespace
