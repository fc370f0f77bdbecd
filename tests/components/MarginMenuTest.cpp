#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <memory>
#include "components/MarginMenu.h"
#include "framework/Gdi.h"
#include "framework/ImgList.h"
#include "tests/components/TraySupport.h"

namespace {

const COLORREF kMarginPaint = RGB(255, 0, 0);

// A popup with a picture item, a plain item, a separator and a checked item; its margin is
// painted red.
struct Menu {
  TMarginPopupMenu menu{nullptr};
  TImageList images{nullptr, 16, 16};
  TMenuItem *pic, *plain, *line, *checked;
  std::vector<RECT> strips;

  Menu() {
    images.AddStrip(GetModuleHandleA(nullptr), "POPUP_IMAGES");
    menu.SetImages(&images);
    pic = Add("Ripristina", 4);
    plain = Add("Plain", -1);
    line = Add("-", -1);
    checked = Add("Ontop", -1);
    checked->SetChecked(true);
    menu.OnDrawMargin = [this](TObject*, HDC dc, const RECT& r) {
      strips.push_back(r);
      gdi::Brush b(CreateSolidBrush(kMarginPaint));
      FillRect(dc, &r, b);
    };
  }
  TMenuItem* Add(const char* caption, int image) {
    auto* m = new TMenuItem(&menu);
    m->SetCaption(caption);
    menu.Items()->Add(m);
    m->SetImageIndex(image);
    return m;
  }
  // Draws one item into dib at its rectangle, as the system asks for it.
  bool Draw(gdi::Dib& dib, TMenuItem* item, RECT r, UINT state, UINT action = ODA_DRAWENTIRE) {
    DRAWITEMSTRUCT di{};
    di.CtlType = ODT_MENU;
    di.itemID = item->Command();
    di.itemAction = action;
    di.itemState = state;
    di.hwndItem = reinterpret_cast<HWND>(menu.Handle());
    di.hDC = dib.DC();
    di.rcItem = r;
    di.itemData = reinterpret_cast<ULONG_PTR>(item);
    return SendMessageA(menu.WindowHandle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&di)) == TRUE;
  }
  MEASUREITEMSTRUCT Measure(TMenuItem* item) {
    MEASUREITEMSTRUCT mi{};
    mi.CtlType = ODT_MENU;
    mi.itemID = item->Command();
    mi.itemData = reinterpret_cast<ULONG_PTR>(item);
    SendMessageA(menu.WindowHandle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mi));
    return mi;
  }
};

int CountNot(const gdi::Dib& dib, RECT r, COLORREF c) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += dib.Pixel(x, y) != c;
  return n;
}

TEST(MarginMenuItems, BeforeOpeningEveryItemIsDrawnByTheMenu) {
  Menu m;
  m.menu.PrepareItems();
  HMENU h = m.menu.Handle();
  ASSERT_EQ(GetMenuItemCount(h), 4);
  for (int i = 0; i < 4; ++i) {
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof(mi);
    mi.fMask = MIIM_FTYPE | MIIM_DATA;
    GetMenuItemInfoA(h, i, TRUE, &mi);
    EXPECT_TRUE(mi.fType & MFT_OWNERDRAW) << i;
    EXPECT_EQ(mi.dwItemData, reinterpret_cast<ULONG_PTR>(m.menu.Items()->Item(i)));
  }
  MENUITEMINFOA sep{};
  sep.cbSize = sizeof(sep);
  sep.fMask = MIIM_FTYPE;
  GetMenuItemInfoA(h, 2, TRUE, &sep);
  EXPECT_TRUE(sep.fType & MFT_SEPARATOR) << "the separator stays one: it cannot be chosen";
}

TEST(MarginMenuItems, WidthsMakeRoomForTheMarginAndOneMorePixel) {
  Menu m;
  MEASUREITEMSTRUCT shortOne = m.Measure(m.plain);
  m.plain->SetCaption("Plain and a good deal longer");
  MEASUREITEMSTRUCT longOne = m.Measure(m.plain);
  gdi::Font font = gdi::MakeFont(MenuFont(false));
  gdi::WindowDC dc(nullptr);
  gdi::Select s(dc, font);
  SIZE a{}, b{};
  GetTextExtentPoint32A(dc, "Plain", 5, &a);
  GetTextExtentPoint32A(dc, "Plain and a good deal longer", 28, &b);
  EXPECT_EQ((int)(longOne.itemWidth - shortOne.itemWidth), (int)(b.cx - a.cx)) << "the caption's width and a fixed rest";
  EXPECT_GE((int)shortOne.itemWidth, 31 + 16 + (int)a.cx) << "margin + 1, picture and caption";
  EXPECT_GE((int)shortOne.itemHeight, 16) << "room for a picture";
  EXPECT_GT(m.Measure(m.line).itemHeight, 0u);
  // At 144 pixels per inch the margin, the picture column and the pads grow by half.
  const int rest96 = (int)shortOne.itemWidth - (int)a.cx;
  m.menu.ChangeScale(144, 96);
  m.images.ChangeScale(144, 96);
  m.plain->SetCaption("Plain");
  EXPECT_NEAR((int)m.Measure(m.plain).itemWidth - (int)a.cx, rest96 * 1.5, 2);
  EXPECT_GE((int)m.Measure(m.plain).itemHeight, 24 + 6);
  MEASUREITEMSTRUCT foreign{};
  foreign.CtlType = ODT_MENU;
  foreign.itemData = 12345;
  EXPECT_EQ(SendMessageA(m.menu.WindowHandle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&foreign)), 0)
      << "not our item: left to the system";
}

TEST(MarginMenuItems, RowsPaintRightOfTheMarginOnly) {
  Menu m;
  gdi::Dib dib(200, 40);
  RECT bg{0, 0, 200, 40};
  gdi::Brush green(CreateSolidBrush(RGB(0, 255, 0)));
  FillRect(dib.DC(), &bg, green);
  // Selected row at the top, plain row below it; only the top one is "drawn in full".
  ASSERT_TRUE(m.Draw(dib, m.pic, RECT{0, 0, 200, 20}, ODS_SELECTED, ODA_SELECT));
  EXPECT_TRUE(m.strips.empty()) << "a change of selection repaints no margin";
  ASSERT_TRUE(m.Draw(dib, m.plain, RECT{0, 20, 200, 40}, 0));
  ASSERT_EQ(m.strips.size(), 1u);
  EXPECT_EQ(m.strips[0].left, 0);
  EXPECT_EQ(m.strips[0].right, 30);
  EXPECT_EQ(m.strips[0].top, 0) << "the strip covers the whole area being painted";
  EXPECT_EQ(m.strips[0].bottom, 40);
  EXPECT_EQ(dib.Pixel(30, 10), RGB(0, 255, 0)) << "the column between margin and row is left alone";
  EXPECT_EQ(dib.Pixel(29, 30), kMarginPaint);
  EXPECT_EQ(dib.Pixel(31, 1), GetSysColor(COLOR_HIGHLIGHT)) << "the row starts 31 pixels in";
  EXPECT_EQ(dib.Pixel(199, 10), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(dib.Pixel(31, 21), GetSysColor(COLOR_MENU));
  EXPECT_EQ(dib.Pixel(199, 39), GetSysColor(COLOR_MENU));
  EXPECT_GT(CountNot(dib, RECT{34, 2, 50, 18}, GetSysColor(COLOR_HIGHLIGHT)), 20) << "the picture";
  EXPECT_GT(CountNot(dib, RECT{60, 2, 199, 18}, GetSysColor(COLOR_HIGHLIGHT)), 10) << "the caption";
  EXPECT_GT(CountNot(dib, RECT{60, 22, 199, 38}, GetSysColor(COLOR_MENU)), 10) << "the caption";
  EXPECT_EQ(CountNot(dib, RECT{31, 22, 55, 38}, GetSysColor(COLOR_MENU)), 0) << "no picture, no check";
}

// A caption with a TAB ("Ri&pristina<TAB>Ctrl+R", from a language file): the caption as it is
// without the TAB, and the shortcut right-aligned at the row's end, well apart from it.
TEST(MarginMenuItems, ATabInACaptionStartsTheShortcutColumn) {
  Menu m;
  TMenuItem* tabbed = m.Add("Ri&pristina\tCtrl+R", 4);
  TMenuItem* bare = m.Add("Ri&pristina", 4);
  gdi::Font font = gdi::MakeFont(MenuFont(false));
  gdi::WindowDC dc(nullptr);
  gdi::Select sf(dc, font);
  SIZE shortcut{};
  GetTextExtentPoint32A(dc, "Ctrl+R", 6, &shortcut);
  int more = (int)m.Measure(tabbed).itemWidth - (int)m.Measure(bare).itemWidth;
  EXPECT_GT(more, shortcut.cx + 8) << "room for the shortcut and a gap";
  EXPECT_LT(more, shortcut.cx + 40);
  for (UINT state : {0u, (UINT)ODS_SELECTED}) {
    COLORREF back = GetSysColor(state ? COLOR_HIGHLIGHT : COLOR_MENU);
    gdi::Dib a(300, 20), b(300, 20);
    ASSERT_TRUE(m.Draw(a, tabbed, RECT{0, 0, 300, 20}, state));
    ASSERT_TRUE(m.Draw(b, bare, RECT{0, 0, 300, 20}, state));
    int captionEnd = 0, first = 300, last = 0;
    for (int x = 31; x < 300; ++x)
      for (int y = 0; y < 20; ++y) {
        if (b.Pixel(x, y) != back) captionEnd = std::max(captionEnd, x);
        if (a.Pixel(x, y) != b.Pixel(x, y)) first = std::min(first, x), last = std::max(last, x);
      }
    EXPECT_GT(captionEnd, 60) << state;
    EXPECT_GT(first, captionEnd + 20) << state << ": no glyph for the TAB beside the caption";
    EXPECT_GT(last, 300 - 30) << state << ": right-aligned";
    EXPECT_LT(last, 300 - 4) << state;
    EXPECT_GT(last - first, shortcut.cx / 2) << state;
  }
}

TEST(MarginMenuItems, SeparatorIsAnEtchedLineAndCheckedItemsShowACheck) {
  Menu m;
  gdi::Dib dib(200, 30);
  ASSERT_TRUE(m.Draw(dib, m.line, RECT{0, 0, 200, 10}, 0));
  std::vector<COLORREF> column;
  for (int y = 0; y < 10; ++y) column.push_back(dib.Pixel(100, y));
  int shadow = -1;
  for (int y = 0; y < 10 && shadow < 0; ++y)
    if (column[y] == GetSysColor(COLOR_BTNSHADOW)) shadow = y;
  ASSERT_GT(shadow, 0) << "a shadow line inside the row";
  ASSERT_LT(shadow, 9);
  EXPECT_EQ(column[shadow + 1], GetSysColor(COLOR_BTNHIGHLIGHT)) << "with a light line below it";
  ASSERT_TRUE(m.Draw(dib, m.checked, RECT{0, 10, 200, 30}, ODS_CHECKED));
  EXPECT_GT(CountNot(dib, RECT{31, 10, 53, 30}, GetSysColor(COLOR_MENU)), 4) << "a check in the picture column";
}

TEST(MarginMenuPopup, OpensDrawsItsMarginAndClosesWithoutLeavingGdiObjects) {
  Menu m;
  int popups = 0;
  m.menu.OnPopup = [&](TObject*) {
    ++popups;
    CloseMenuSoon();
  };
  m.menu.Popup(100, 100, nullptr);  // warm-up: the system's menu objects, the fonts' caches
  int live = gdi::LiveObjects();
  m.strips.clear();
  for (int i = 0; i < 10; ++i) m.menu.Popup(100, 100, nullptr);
  EXPECT_EQ(popups, 11);
  EXPECT_FALSE(m.strips.empty()) << "the open menu painted its margin";
  for (auto& s : m.strips) EXPECT_EQ(s.right - s.left, 30);
  EXPECT_EQ(gdi::LiveObjects(), live);
}

TEST(MarginMenuPopup, ImagesAndItemsThatGoAreForgotten) {
  auto m = std::make_unique<Menu>();
  auto* images = new TImageList(nullptr, 16, 16);
  m->menu.SetImages(images);
  delete images;
  EXPECT_EQ(m->menu.Images(), nullptr);
  gdi::Dib dib(200, 20);
  EXPECT_TRUE(m->Draw(dib, m->pic, RECT{0, 0, 200, 20}, 0)) << "draws without pictures";
  EXPECT_EQ(m->pic->ImageIndex(), 4);
}

// ---- the image list ---------------------------------------------------------------------------

TEST(ImageList, PicturesOfAStripDrawOverTheBackgroundWhereTheyAreMagenta) {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  TImageList images(nullptr, 16, 16);
  ASSERT_TRUE(images.AddStrip(inst, "POPUP_IMAGES"));
  ASSERT_EQ(images.Count(), 6);
  // The strip itself, read back for comparison.
  gdi::Bitmap strip(static_cast<HBITMAP>(LoadImageA(inst, "POPUP_IMAGES", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  gdi::Dib source(96, 16);
  {
    gdi::MemDC sdc;
    gdi::Select s(sdc, strip);
    BitBlt(source.DC(), 0, 0, 96, 16, sdc, 0, 0, SRCCOPY);
  }
  int transparent = 0;
  for (int i = 0; i < 6; ++i) {
    gdi::Dib dib(20, 20);
    gdi::Brush red(CreateSolidBrush(RGB(255, 0, 0)));
    RECT all{0, 0, 20, 20};
    FillRect(dib.DC(), &all, red);
    images.Draw(dib.DC(), 2, 3, i);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        COLORREF want = source.Pixel(i * 16 + x, y);
        if (want == RGB(255, 0, 255)) want = RGB(255, 0, 0), ++transparent;
        ASSERT_EQ(dib.Pixel(2 + x, 3 + y), want) << "picture " << i << " at " << x << "," << y;
      }
    EXPECT_EQ(dib.Pixel(1, 1), RGB(255, 0, 0)) << "nothing outside the picture";
  }
  EXPECT_GT(transparent, 0) << "the strip has background to let through";
}

TEST(ImageList, BadIndexesAndMissingStripsChangeNothing) {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  int objects = gdi::LiveObjects();
  {
    TImageList images(nullptr, 16, 16);
    EXPECT_FALSE(images.AddStrip(inst, "NO_SUCH_STRIP"));
    EXPECT_EQ(images.Count(), 0);
    ASSERT_TRUE(images.AddStrip(inst, "POPUP_IMAGES"));
    ASSERT_TRUE(images.AddStrip(inst, "POPUP_IMAGES"));
    EXPECT_EQ(images.Count(), 12) << "a second strip is appended";
    gdi::Dib dib(20, 20);
    RECT all{0, 0, 20, 20};
    FillRect(dib.DC(), &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
    for (int i : {-1, 12, 1000}) images.Draw(dib.DC(), 0, 0, i);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) ASSERT_EQ(dib.Pixel(x, y), RGB(255, 255, 255)) << "drew nothing";
  }
  EXPECT_EQ(gdi::LiveObjects(), objects) << "the list leaves no GDI object behind";
}

}  // namespace
