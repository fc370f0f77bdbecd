#include <gtest/gtest.h>
#include <windows.h>
#include "components/MenuPainter.h"
#include "framework/Menus.h"
#include "framework/SystemLook.h"
#include "tests/components/ComponentsSupport.h"

namespace {

// A hidden form with a menu bar of one drop-down and the painter on it, active as the main
// window's: items are measured and drawn through the form's own WM_MEASUREITEM / WM_DRAWITEM.
struct PaintedMenu {
  TForm* form = new TForm(nullptr, "TMenuPainterTestHost");
  TFlatMenuPainter* painter = new TFlatMenuPainter(form);
  TMainMenu* menu = new TMainMenu(form);
  TMenuItem* drop = Add(menu->Items(), "Settings");
  explicit PaintedMenu(bool gradient = true) {
    painter->SetIconWidth(16);
    painter->SetGradient(gradient);
    painter->SetOverrideOwnerDraw(true);
    painter->SetAutoDetect(true);
    painter->SetActive(true);
  }
  ~PaintedMenu() { delete form; }
  TMenuItem* Add(TMenuItem* parent, const char* caption, HBITMAP picture = nullptr) {
    auto* m = new TMenuItem(form);
    m->SetCaption(caption);
    if (picture) m->SetBitmap(gdi::Bitmap(picture));
    parent->Add(m);
    return m;
  }
  SIZE Measure(TMenuItem* item) {
    MEASUREITEMSTRUCT mi{};
    mi.CtlType = ODT_MENU;
    mi.itemID = item->Command();
    mi.itemData = reinterpret_cast<ULONG_PTR>(item);
    EXPECT_EQ(TRUE, SendMessageA(form->Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mi)));
    return SIZE{(LONG)mi.itemWidth, (LONG)mi.itemHeight};
  }
  void Draw(gdi::Dib& dib, TMenuItem* item, RECT r, UINT state = 0) {
    DRAWITEMSTRUCT di{};
    di.CtlType = ODT_MENU;
    di.itemID = item->Command();
    di.itemAction = ODA_DRAWENTIRE;
    di.itemState = state;
    di.hDC = dib.DC();
    di.rcItem = r;
    di.itemData = reinterpret_cast<ULONG_PTR>(item);
    EXPECT_EQ(TRUE, SendMessageA(form->Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&di)));
  }
};

// The system's face colour set for one test, put back afterwards.
struct FaceColour {
  COLORREF old = GetSysColor(COLOR_BTNFACE);
  explicit FaceColour(COLORREF c) {
    int e = COLOR_BTNFACE;
    SetSysColors(1, &e, &c);
  }
  ~FaceColour() {
    int e = COLOR_BTNFACE;
    SetSysColors(1, &e, &old);
  }
};

// A system before Vista, which knows only the 340-byte metrics record, naming "MS Sans Serif";
// and one that answers nothing.
BOOL WINAPI OldSystemMetrics(UINT action, UINT size, PVOID data, UINT) {
  auto* m = static_cast<NONCLIENTMETRICSA*>(data);
  if (action != SPI_GETNONCLIENTMETRICS || size != 340 || m->cbSize != 340) return FALSE;
  m->lfMenuFont.lfHeight = -11;
  lstrcpyA(m->lfMenuFont.lfFaceName, "MS Sans Serif");
  return TRUE;
}
BOOL WINAPI NoSystemMetrics(UINT, UINT, PVOID, UINT) { return FALSE; }

}  // namespace

TEST(MenuPainterColours, ArithmeticOfTheColourOperations) {
  struct Case {
    COLORREF got, want;
  } cases[] = {
      {LightenColor(RGB(212, 208, 200), 16), RGB(219, 216, 209)},
      {LightenColor(RGB(0, 128, 255), 50), RGB(128, 192, 255)},  // 127.5 and 63.5 round to even
      {LightenColor(RGB(10, 20, 30), 150), RGB(255, 255, 255)},  // cut to 100 %
      {ShadeColor(RGB(100, 100, 100), 30), RGB(70, 72, 70)},
      {ShadeColor(RGB(250, 250, 5), -40), RGB(255, 255, 45)},
      {ShadeColor(RGB(10, 10, 10), 100), RGB(0, 0, 0)},
      {GrayLevelColor(RGB(255, 0, 0), 90), RGB(175, 175, 175)},
      {GrayLevelColor(RGB(255, 255, 255), 90), RGB(240, 240, 240)},
      {ContrastTextColor(RGB(219, 216, 209), RGB(1, 2, 3)), RGB(1, 2, 3)},
      {ContrastTextColor(RGB(0, 0, 100), RGB(1, 2, 3)), LightenColor(RGB(0, 0, 100), 90)},
  };
  for (const auto& c : cases) EXPECT_EQ(c.want, c.got);

  unsigned px[4] = {0x00D4D0C8, 0x00D4D0C8, 0x00FF0000, 0x00FFFFFF};
  LightenPixels(px, 2, 16);
  EXPECT_EQ(0x00DBD8D1u, px[0]);
  EXPECT_EQ(px[0], px[1]);
  GrayPixels(px + 2, 2, 90);
  EXPECT_EQ(0x00AFAFAFu, px[2]);
  EXPECT_EQ(0x00F0F0F0u, px[3]);

  // The bitmap forms: a 3 x 2 picture on magenta with one red and one white pixel.
  auto picture = [] {
    return MakeStrip(3, 2, [](int x, int y) { return x == 1 && y == 0 ? kRed : x == 2 && y == 0 ? RGB(255, 255, 255) : kMagenta; });
  };
  gdi::Bitmap light = picture(), grey = picture(), shape = picture();
  ASSERT_TRUE(LightenBitmap(light, 16) && GrayBitmap(grey, 90));
  gdi::Dib read(3, 2);
  for (auto [bmp, want] : {std::pair{light.Get(), LightenColor(kRed, 16)}, std::pair{grey.Get(), RGB(175, 175, 175)}}) {
    gdi::MemDC from;
    gdi::Select s(from, bmp);
    BitBlt(read.DC(), 0, 0, 3, 2, from, 0, 0, SRCCOPY);
    EXPECT_EQ(want, read.Pixel(1, 0));
  }
  EXPECT_FALSE(LightenBitmap(nullptr, 16)) << "no DIB section, nothing done";
  gdi::Dib canvas(6, 6);
  gdi::FillSolid(canvas.DC(), RECT{0, 0, 6, 6}, RGB(0, 0, 255));
  DrawBitmapShadow(shape, canvas.DC(), 2, 3, RGB(1, 2, 3));
  EXPECT_EQ(RGB(1, 2, 3), canvas.Pixel(3, 3));
  EXPECT_EQ(RGB(1, 2, 3), canvas.Pixel(4, 3));
  EXPECT_EQ(RGB(0, 0, 255), canvas.Pixel(2, 3)) << "the bottom-left colour casts no shadow";
  EXPECT_EQ(RGB(0, 0, 255), canvas.Pixel(3, 4));
}

TEST(MenuPainterPaint, PaletteGradientSeparatorAndCheckBox) {
  FaceColour face(RGB(212, 208, 200));
  PaintedMenu m;
  TMenuItem* beep = m.Add(m.drop, "Beep on alarm");
  TMenuItem* line = m.Add(m.drop, "-");
  beep->SetChecked(true);
  gdi::Dib dib(150, 40);

  m.Draw(dib, beep, RECT{0, 0, 150, 23});
  EXPECT_EQ(RGB(219, 216, 209), m.painter->Palette().IconBack);
  EXPECT_EQ(LightenColor(RGB(219, 216, 209), 1), dib.Pixel(0, 0)) << "the gradient's first column";
  EXPECT_EQ(LightenColor(RGB(219, 216, 209), 4), dib.Pixel(1, 0));
  // The 10 x 10 box centred in the 16-pixel column of a 24-pixel row (the rectangle taken one
  // pixel lower): framed in the checked colour, filled with the checked area, a black tick.
  const auto& pal = m.painter->Palette();
  for (POINT p : {POINT{3, 7}, POINT{12, 7}, POINT{3, 16}, POINT{12, 16}}) EXPECT_EQ(pal.Checked, dib.Pixel(p.x, p.y));
  EXPECT_NE(pal.Checked, dib.Pixel(2, 7));
  EXPECT_NE(pal.Checked, dib.Pixel(3, 6));
  EXPECT_EQ(pal.CheckedArea, dib.Pixel(10, 14));
  EXPECT_EQ(RGB(0, 0, 0), dib.Pixel(4, 12));
  EXPECT_EQ(RGB(0, 0, 0), dib.Pixel(7, 14));

  EXPECT_EQ(4, m.Measure(line).cy);
  gdi::FillSolid(dib.DC(), RECT{0, 0, 150, 40}, RGB(255, 255, 255));
  m.Draw(dib, line, RECT{0, 10, 150, 14});
  EXPECT_EQ(pal.Separator, dib.Pixel(16 + 7, 12)) << "2 pixels below the top";
  EXPECT_NE(pal.Separator, dib.Pixel(16 + 6, 12));
  EXPECT_NE(pal.Separator, dib.Pixel(40, 11));
  EXPECT_NE(pal.Separator, dib.Pixel(40, 13));

  // A 16-colour device: white rows, the face colour as near as it can show, no gradient.
  struct {
    BITMAPINFOHEADER h{sizeof(BITMAPINFOHEADER), 150, -24, 1, 4, BI_RGB, 0, 0, 0, 16, 0};
    RGBQUAD colours[16];
  } info;
  for (int i = 0; i < 16; ++i) {
    BYTE v = (BYTE)(i * 17);
    info.colours[i] = RGBQUAD{v, v, v, 0};  // sixteen greys
  }
  void* bits = nullptr;
  gdi::Bitmap vga(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
  gdi::MemDC low;
  gdi::Select sv(low, vga);
  TMenuItem* plain = m.Add(m.drop, "Plain");
  DRAWITEMSTRUCT di{ODT_MENU, 0, plain->Command(), ODA_DRAWENTIRE, 0, nullptr, low, RECT{0, 0, 150, 23},
                    reinterpret_cast<ULONG_PTR>(plain)};
  SendMessageA(m.form->Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&di));
  COLORREF nearFace = GetNearestColor(low, RGB(212, 208, 200));
  EXPECT_EQ(RGB(255, 255, 255), m.painter->Palette().Color);
  EXPECT_EQ(nearFace, m.painter->Palette().IconBack);
  EXPECT_EQ(nearFace, GetPixel(low, 0, 5));
  EXPECT_EQ(nearFace, GetPixel(low, 15, 5));
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(low, 16, 1));
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(low, 149, 1));
}

TEST(MenuPainterPaint, PicturesSelectionAndDisabledItems) {
  PaintedMenu m(false);
  auto picture = [](int size) {
    return MakeStrip(size, size, [size](int x, int y) { return x == 0 && y == size - 1 ? kMagenta : kRed; });
  };
  TMenuItem* defrag = m.Add(m.drop, "WWWW");
  defrag->SetBitmap(picture(24));
  TMenuItem* readme = m.Add(m.drop, "Read me");
  readme->SetBitmap(picture(32));
  EXPECT_GE(m.Measure(readme).cy, 36);
  EXPECT_GE(m.Measure(defrag).cy, 28);

  // Not selected: plain fills, the picture faded, 2 pixels from the left, text from 28 on.
  gdi::Dib dib(200, 30);
  m.Draw(dib, defrag, RECT{0, 0, 200, 28});
  const auto& pal = m.painter->Palette();
  COLORREF faded = LightenColor(kRed, 30);
  EXPECT_EQ(faded, dib.Pixel(2, 4));
  EXPECT_EQ(faded, dib.Pixel(25, 27 - 1));
  EXPECT_NE(faded, dib.Pixel(1, 4));
  EXPECT_EQ(pal.IconBack, dib.Pixel(1, 4));
  for (int x = 26; x < 28 + 5; ++x)
    for (int y = 0; y < 28; ++y) ASSERT_NE(ColorToRGB(clMenuText), dib.Pixel(x, y)) << x << "," << y;
  // The text rectangle starts at 28 and the text 5 further on, after its leading blank: the
  // first lit column is where " WWWW" from 33 in the painter's font lights it.
  auto firstColumn = [](const gdi::Dib& d, COLORREF ink) {
    for (int x = 26; x < d.Width(); ++x)  // beside the picture
      for (int y = 0; y < 28; ++y)  // the row
        if (d.Pixel(x, y) == ink) return x;
    return -1;
  };
  gdi::Dib alone(200, 30);
  gdi::FillSolid(alone.DC(), RECT{0, 0, 200, 30}, RGB(255, 255, 255));
  {
    gdi::Font font = gdi::MakeFont(m.painter->Font());
    gdi::Select sf(alone.DC(), font.Get());
    SetBkMode(alone.DC(), TRANSPARENT);
    SetTextColor(alone.DC(), RGB(0, 0, 0));
    RECT at{28 + 5, 0, 200, 28};
    DrawTextExA(alone.DC(), const_cast<char*>(" WWWW"), -1, &at, 0, nullptr);
  }
  const int expected = firstColumn(alone, RGB(0, 0, 0));
  EXPECT_GT(expected, 28 + 5) << "after the blank";
  EXPECT_EQ(firstColumn(dib, ColorToRGB(clMenuText)), expected);

  // Selected: the framed selection, the picture in full colour lifted by one with its shadow.
  m.Draw(dib, defrag, RECT{0, 0, 200, 28}, ODS_SELECTED);
  EXPECT_EQ(pal.SelectBorder, dib.Pixel(0, 1));
  EXPECT_EQ(pal.SelectBorder, dib.Pixel(199, 27));
  EXPECT_EQ(pal.Select, dib.Pixel(100, 2));
  EXPECT_EQ(kRed, dib.Pixel(1, 3));
  EXPECT_EQ(ShadeColor(pal.Select, 50), dib.Pixel(25, 26)) << "the shadow beside the lifted picture";

  // Selected but disabled: no selection, no lift, the picture grey.
  defrag->SetEnabled(false);
  gdi::FillSolid(dib.DC(), RECT{0, 0, 200, 30}, RGB(255, 255, 255));
  m.Draw(dib, defrag, RECT{0, 0, 200, 28}, ODS_SELECTED);
  for (int x = 0; x < 200; x += 3) {
    EXPECT_NE(pal.SelectBorder, dib.Pixel(x, 1));
    EXPECT_NE(pal.Select, dib.Pixel(x, 14));
  }
  EXPECT_EQ(RGB(175, 175, 175), dib.Pixel(2, 4));
  EXPECT_NE(RGB(175, 175, 175), dib.Pixel(1, 3));
  bool disabledText = false;
  for (int x = 33; x < 200; ++x)
    for (int y = 0; y < 28; ++y) disabledText = disabledText || dib.Pixel(x, y) == pal.Disabled;
  EXPECT_TRUE(disabledText) << "the text keeps the disabled colour";
}

TEST(MenuPainterPaint, ListPicturesAndTheRightToLeftMirror) {
  PaintedMenu m;
  TImageList list(nullptr, 16, 16), tall(nullptr, 20, 32);
  ASSERT_TRUE(list.AddStrip(GetModuleHandleA(nullptr), "POPUP_IMAGES"));
  m.menu->SetImages(&list);
  TMenuItem* restore = m.Add(m.drop, "Ripristina");
  restore->SetImageIndex(4);

  // Selected: the list's own picture, on the icon column's colour, lifted to (-2, 3).
  gdi::Dib dib(150, 25), cell(16, 16);
  m.Draw(dib, restore, RECT{0, 0, 150, 23}, ODS_SELECTED);
  const auto& pal = m.painter->Palette();
  gdi::FillSolid(cell.DC(), RECT{0, 0, 16, 16}, pal.IconBack);
  list.Draw(cell.DC(), 0, 0, 4);
  int drawn = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 2; x < 16; ++x)
      if (cell.Pixel(x, y) != cell.Pixel(0, 15)) {
        ASSERT_EQ(cell.Pixel(x, y), dib.Pixel(x - 2, y + 3)) << x << "," << y;
        ++drawn;
      }
  EXPECT_GT(drawn, 20);

  // The parent's sub-menu list comes before the menu's, and measuring follows it.
  m.drop->SetSubMenuImages(&tall);
  EXPECT_GE(m.Measure(restore).cy, 36);
  EXPECT_EQ(&tall, m.painter->PictureList(restore));
  m.drop->SetSubMenuImages(nullptr);

  // Right to left, a symmetric picture's selected row, gradient and shadow included, is the
  // exact mirror of the left-to-right row; the tick box sits at the mirrored place, the text
  // at the right.
  TMenuItem* blank = m.Add(m.drop, "");
  blank->SetBitmap(MakeStrip(16, 16, [](int x, int y) { return x >= 4 && x < 12 && y < 12 ? kRed : kMagenta; }));
  TMenuItem* beep = m.Add(m.drop, "Beep on alarm");
  beep->SetChecked(true);
  gdi::Dib ltr(150, 25), rtl(150, 25), rtlBeep(150, 25), mirrored(150, 25);
  m.Draw(ltr, blank, RECT{0, 0, 150, 23}, ODS_SELECTED);
  m.menu->SetRightToLeft(true);
  m.Draw(rtl, blank, RECT{0, 0, 150, 23}, ODS_SELECTED);
  m.Draw(rtlBeep, beep, RECT{0, 0, 150, 23});
  // A device laid out right to left (a mirrored window's) shows the row the same way round:
  // the picture on the right, not flipped back to the left.
  SetLayout(mirrored.DC(), LAYOUT_RTL);
  m.Draw(mirrored, blank, RECT{0, 0, 150, 23}, ODS_SELECTED);
  EXPECT_EQ(LAYOUT_RTL, GetLayout(mirrored.DC()));
  int redLeft = 0, redRight = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 150; ++x) {
      ASSERT_EQ(ltr.Pixel(x, y), rtl.Pixel(149 - x, y)) << x << "," << y;
      if (mirrored.Pixel(x, y) == kRed) ++(x < 75 ? redLeft : redRight);
    }
  EXPECT_TRUE(redRight > 20 && redLeft == 0) << redLeft << " " << redRight;
  EXPECT_EQ(ShadeColor(pal.Select, 50), rtl.Pixel(149 - 11, 16)) << "the shadow, down and to the left";
  for (int y : {7, 16}) EXPECT_EQ(pal.Checked, rtlBeep.Pixel(149 - 3, y));
  EXPECT_EQ(pal.Checked, rtlBeep.Pixel(149 - 12, 7));
  EXPECT_EQ(RGB(0, 0, 0), rtlBeep.Pixel(149 - 11, 12)) << "the tick keeps its shape";
  // The text ends where left to right it would start, 16 + 5 pixels in.
  bool farLeft = false, nearRight = false;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 150 - 21; ++x)
      if (rtlBeep.Pixel(x, y) == ColorToRGB(clMenuText)) farLeft |= x < 40, nearRight |= x >= 100;
  EXPECT_TRUE(nearRight && !farLeft);
}

TEST(MenuPainterMeasure, AmpersandIsNotCountedAndBarItemsHaveNoIconColumn) {
  PaintedMenu m;
  TMenuItem* plain = m.Add(m.drop, "File");
  TMenuItem* marked = m.Add(m.drop, "&File");
  EXPECT_EQ(m.Measure(plain).cx, m.Measure(marked).cx);
  // A shortcut counts without its outer blanks, with room for three W after it.
  TMenuItem* keyed = m.Add(m.drop, "File");
  keyed->SetShortCutText(" Ctrl+D\t");
  EXPECT_EQ(m.Measure(m.Add(m.drop, "FileCtrl+DWWW")).cx, m.Measure(keyed).cx);
  // The width passed in is raised, never lowered.
  EXPECT_GT(m.Measure(plain).cx, 16 + 10);
  TMenuItem* bar = m.Add(m.menu->Items(), "File");
  EXPECT_EQ(m.Measure(plain).cx - 16, m.Measure(bar).cx);
}

// A caption with a TAB ("Ri&pristina<TAB>Ctrl+R", from a language file) shows as the caption
// with that shortcut does: measured and painted alike, in drop-downs and on the bar, whatever
// the selection.
TEST(MenuPainterPaint, ATabInACaptionStartsTheShortcutColumn) {
  PaintedMenu m;
  TMenuItem* bar = m.menu->Items();
  struct TCase {
    const char* what;
    TMenuItem *tabbed, *keyed;
    UINT state;
  };
  auto pair = [&](TMenuItem* parent, const char* shortcut) {
    TMenuItem* tabbed = m.Add(parent, (std::string("Ri&pristina\t") + shortcut).c_str());
    TMenuItem* keyed = m.Add(parent, "Ri&pristina");
    keyed->SetShortCutText(shortcut);
    return std::pair{tabbed, keyed};
  };
  auto [drop, dropKeyed] = pair(m.drop, "Ctrl+R");
  auto [inner, innerKeyed] = pair(m.drop, "Ctrl+R Alt");
  auto [onBar, onBarKeyed] = pair(bar, "Ctrl+R");
  const TCase cases[] = {{"drop-down", drop, dropKeyed, 0},
                         {"drop-down, selected", drop, dropKeyed, ODS_SELECTED},
                         {"a shortcut with a blank", inner, innerKeyed, 0},
                         {"menu bar", onBar, onBarKeyed, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(m.Measure(c.tabbed).cx, m.Measure(c.keyed).cx) << c.what;
    EXPECT_EQ(m.Measure(c.tabbed).cy, m.Measure(c.keyed).cy) << c.what;
    gdi::Dib a(200, 24), b(200, 24);
    m.Draw(a, c.tabbed, RECT{0, 0, 200, 23}, c.state);
    m.Draw(b, c.keyed, RECT{0, 0, 200, 23}, c.state);
    int differ = 0, text = 0;
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 200; ++x) differ += a.Pixel(x, y) != b.Pixel(x, y), text += a.Pixel(x, y) != a.Pixel(x, 0);
    EXPECT_EQ(differ, 0) << c.what;
    EXPECT_GT(text, 20) << c.what << ": something is drawn";
  }
  // A TAB inside the shortcut reads as a blank.
  TMenuItem* twice = m.Add(m.drop, "Ri&pristina\tCtrl+R\tAlt");
  EXPECT_EQ(m.Measure(twice).cx, m.Measure(innerKeyed).cx);
}

TEST(MenuPainterHooks, HookingKeepsForeignHandlersAndLeavesNothingBehind) {
  auto* form = new TForm(nullptr, "TMenuPainterTestHost");
  auto* menu = new TMainMenu(form);
  auto* top = new TMenuItem(form);
  menu->Items()->Add(top);
  auto* own = new TMenuItem(form);
  int ownDraws = 0;
  own->OnDrawItem = [&](TObject*, HDC, RECT, bool) { ++ownDraws; };
  top->Add(own);
  auto* painter = new TFlatMenuPainter(form);
  painter->SetAutoDetect(true);
  painter->SetActive(true);
  EXPECT_TRUE(menu->OwnerDraw());
  EXPECT_TRUE(painter->Draws(top));
  EXPECT_FALSE(painter->Draws(own)) << "an item with a handler keeps it";
  EXPECT_TRUE(painter->Measures(own)) << "but gets the measure handler it lacked";
  painter->SetOverrideOwnerDraw(true);
  EXPECT_TRUE(painter->Draws(own));

  // Items added after activation, owned by the menu as the Language menu's are.
  auto* later = new TMenuItem(menu);
  top->Add(later);
  EXPECT_TRUE(painter->Draws(later) && painter->Measures(later));

  painter->SetActive(false);
  EXPECT_FALSE(menu->OwnerDraw());
  EXPECT_FALSE(painter->Draws(top) || painter->Draws(later) || painter->Measures(own));
  painter->SetActive(true);
  delete painter;
  for (TMenuItem* i : {top, own, later}) EXPECT_FALSE(i->OnDrawItem || i->OnMeasureItem);
  delete form;
}

TEST(MenuPainterHooks, AnOwnerThatIsNotAFormIsRefused) {
  TComponent owner(nullptr);
  EXPECT_THROW(TFlatMenuPainter p(&owner), EInvalidCast);
  EXPECT_EQ(0, owner.ComponentCount());
  EXPECT_THROW(TFlatMenuPainter p(nullptr), EInvalidCast);
  gdi::FontSpec f;
  ASSERT_TRUE(TFlatMenuPainter::SystemMenuFont(f));
  EXPECT_NE("MS Sans Serif", f.Name);
  EXPECT_FALSE(f.Name.empty());

  struct Restore {
    decltype(TFlatMenuPainter::SystemParametersInfoCall) old = TFlatMenuPainter::SystemParametersInfoCall;
    ~Restore() { TFlatMenuPainter::SystemParametersInfoCall = old; }
  } restore;
  TFlatMenuPainter::SystemParametersInfoCall = OldSystemMetrics;
  ASSERT_TRUE(TFlatMenuPainter::SystemMenuFont(f));
  EXPECT_EQ("Tahoma", f.Name);
  EXPECT_EQ(-11, f.LogHeight());
  TFlatMenuPainter::SystemParametersInfoCall = NoSystemMetrics;
  EXPECT_FALSE(TFlatMenuPainter::SystemMenuFont(f));
  EXPECT_EQ("Tahoma", f.Name) << "the font stays as it was";
}

TEST(MenuPainterPaint, PaintingLeavesNoGdiObjectBehind) {
  PaintedMenu m;
  TMenuItem* item = m.Add(m.drop, "Deframmenta");
  item->SetBitmap(MakeStrip(24, 24, [](int x, int y) { return x == 0 && y == 23 ? kMagenta : kRed; }));
  TMenuItem* bar = m.Add(m.menu->Items(), "File");
  gdi::Dib dib(200, 30);
  m.Draw(dib, item, RECT{0, 0, 200, 28}, ODS_SELECTED);  // the font is made once, here
  int before = gdi::LiveObjects();
  for (UINT state : {0u, (UINT)ODS_SELECTED}) {
    m.Draw(dib, item, RECT{0, 0, 200, 28}, state);
    m.Draw(dib, bar, RECT{0, 0, 40, 19}, state);
    m.Measure(item);
  }
  // The selected bar item: icon-back face, its border on the left, the shadow's darkest step.
  const auto& pal = m.painter->Palette();
  EXPECT_EQ(pal.MenuBorder, dib.Pixel(0, 5));
  EXPECT_EQ(pal.IconBack, dib.Pixel(2, 15));
  EXPECT_EQ(ShadeColor(pal.MenuBar, 100), dib.Pixel(40 - 7, 18));

  // A row no buffer can hold is filled plainly; the next one is painted in full again.
  m.Draw(dib, item, RECT{0, 0, 1048576, 1048576});
  EXPECT_EQ(pal.Color, dib.Pixel(0, 0));
  m.Draw(dib, item, RECT{0, 0, 200, 28});
  EXPECT_EQ(LightenColor(pal.IconBack, 1), dib.Pixel(0, 0));
  EXPECT_EQ(before, gdi::LiveObjects());
}
namespace {
// High contrast on: Wine cannot switch it, so the painter is told so where it asks.
BOOL WINAPI HighContrastOnToo(UINT action, UINT size, PVOID data, UINT flags) {
  if (action != SPI_GETHIGHCONTRAST) return SystemParametersInfoA(action, size, data, flags);
  static_cast<HIGHCONTRASTA*>(data)->dwFlags = HCF_HIGHCONTRASTON;
  return TRUE;
}
bool Shows(const gdi::Dib& d, COLORREF c) {  // anywhere right of the icon column
  for (int y = 0; y < d.Height(); ++y)
    for (int x = 16; x < d.Width(); ++x)
      if (d.Pixel(x, y) == c) return true;
  return false;
}
}  // namespace

TEST(MenuPainterPaint, TheUsersSchemeWinsWhereTheOwnLookWouldNotRead) {
  const COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255), grey = RGB(128, 128, 128);
  // High-contrast black: white text on a gradient that runs to 245 (1.1:1), whether high
  // contrast is on or not. High-contrast white reads in the own look too, until it is on.
  struct { const char* name; COLORREF face, text, high, highText; bool highContrast, plain; } const schemes[] = {
      {"default", RGB(212, 208, 200), black, RGB(10, 36, 106), white, false, false},
      {"high-contrast black", black, white, RGB(255, 255, 0), black, false, true},
      {"high-contrast black, switched on", black, white, RGB(255, 255, 0), black, true, true},
      {"high-contrast white", white, black, RGB(55, 0, 110), white, false, false},
      {"high-contrast white, switched on", white, black, RGB(55, 0, 110), white, true, true},
  };
  const int elements[] = {COLOR_BTNFACE, COLOR_MENU, COLOR_MENUTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_BTNSHADOW};
  COLORREF old[6];
  for (int i = 0; i < 6; ++i) old[i] = GetSysColor(elements[i]);
  auto oldAsk = TFlatMenuPainter::SystemParametersInfoCall;
  for (const auto& s : schemes) {
    SCOPED_TRACE(s.name);
    const COLORREF scheme[6] = {s.face, s.face, s.text, s.high, s.highText, grey};
    SetSysColors(6, elements, scheme);
    TFlatMenuPainter::SystemParametersInfoCall = s.highContrast ? HighContrastOnToo : oldAsk;
    PaintedMenu m;
    TMenuItem* beep = m.Add(m.drop, "Beep on alarm");
    beep->SetChecked(true);
    gdi::Dib row(150, 24), lit(150, 24);
    m.Draw(row, beep, RECT{0, 0, 150, 23});
    m.Draw(lit, beep, RECT{0, 0, 150, 23}, ODS_SELECTED);
    TFlatMenuPainter::SystemParametersInfoCall = oldAsk;
    SetSysColors(6, elements, old);
    EXPECT_EQ(s.plain, m.painter->SystemLook());
    EXPECT_TRUE(Shows(row, s.text)) << "the caption in the menu text colour";
    const COLORREF iconBack = LightenColor(s.face, 16);
    // Plain: the menu colour without gradient, the tick in the text colour, the highlight
    // under the highlight text. Own: the gradient, a black tick, the pale selection.
    EXPECT_EQ(s.plain ? s.face : LightenColor(iconBack, 1), row.Pixel(0, 0));
    EXPECT_EQ(s.plain ? s.face : LightenColor(iconBack, 96), row.Pixel(149, 0));
    EXPECT_EQ(s.plain ? s.text : black, row.Pixel(4, 12));
    EXPECT_EQ(s.plain ? s.high : LightenColor(s.high, 68), lit.Pixel(100, 2));
    if (s.plain) {
      EXPECT_TRUE(Shows(lit, s.highText) && lit.Pixel(4, 12) == s.highText);
    }
  }
  EXPECT_NEAR(21.0, ContrastRatio(black, white), 1e-9);
}
