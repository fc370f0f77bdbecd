// The framework's drawing helpers and scoped resources: colour-key drawing, fonts, saved DC
// states, kernel handles and the lock. Pixels are read back from DIB sections.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <string>
#include <type_traits>
#include <vector>
#include "framework/Gdi.h"
#include "framework/Handles.h"
#include "framework/Transparent.h"

namespace {

const COLORREF kKey = RGB(255, 0, 255);
const COLORREF kBack = RGB(10, 20, 30);

// A 32-bit picture of w x h from its pixels, row by row.
gdi::Bitmap Picture(int w, int h, const std::vector<COLORREF>& px) {
  unsigned* bits = nullptr;
  gdi::Bitmap b = gdi::CreateDib32(w, h, &bits);
  for (int i = 0; i < w * h; ++i) bits[i] = gdi::ToPixel(px[i]);
  return b;
}

void Fill(gdi::Dib& dib, COLORREF c) { gdi::FillSolid(dib.DC(), RECT{0, 0, dib.Width(), dib.Height()}, c); }

// 4 x 3: magenta in the corners and the middle, a near-magenta that must not count as the key.
const int kW = 4, kH = 3;
const std::vector<COLORREF> kPixels = {
    kKey,          RGB(255, 0, 0),   RGB(0, 255, 0), kKey,
    RGB(0, 0, 255), kKey,            RGB(254, 0, 255), RGB(255, 255, 255),
    kKey,          RGB(0, 0, 0),     RGB(1, 2, 3),   kKey,
};

TEST(ColourKey, KeyPixelsLeaveTheTargetAndOthersAreCopiedEveryTimeTheMaskIsUsed) {
  int live = gdi::LiveObjects();
  {
    gdi::Bitmap source = Picture(kW, kH, kPixels);
    struct Case {
      const char* name;
      COLORREF key;
    } cases[] = {{"magenta", kKey}, {"its own colour, the bottom-left pixel", gdi::MaskedBitmap::OwnColor}};
    for (const Case& c : cases) {
      gdi::MaskedBitmap pic(source, c.key);
      ASSERT_FALSE(pic.Empty()) << c.name;
      EXPECT_EQ(pic.Key(), kKey) << c.name;
      EXPECT_EQ(pic.Width(), kW);
      EXPECT_EQ(pic.Height(), kH);
      for (int round = 0; round < 2; ++round) {  // the same mask, drawn again onto a fresh target
        gdi::Dib dib(8, 6);
        Fill(dib, kBack);
        pic.Draw(dib.DC(), 2, 1);
        for (int y = 0; y < 6; ++y)
          for (int x = 0; x < 8; ++x) {
            bool inside = x >= 2 && x < 2 + kW && y >= 1 && y < 1 + kH;
            COLORREF want = inside ? kPixels[(y - 1) * kW + (x - 2)] : kBack;
            if (want == kKey) want = kBack;
            ASSERT_EQ(dib.Pixel(x, y), want) << c.name << ", round " << round << ", at " << x << "," << y;
          }
      }
    }
  }
  EXPECT_EQ(gdi::LiveObjects(), live) << "the copies, masks and DCs all went";
}

TEST(ColourKey, PartsStretchOnColourAndNothingToDraw) {
  gdi::Bitmap source = Picture(kW, kH, kPixels);
  gdi::MaskedBitmap pic(source, kKey);

  // Column 1 of the picture at twice its size: red, key, black down the column.
  gdi::Dib dib(6, 8);
  Fill(dib, kBack);
  pic.Draw(dib.DC(), 1, 1, 2, 6, 1, 0, 1, 3);
  const COLORREF column[] = {RGB(255, 0, 0), kBack, RGB(0, 0, 0)};
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 6; ++x) {
      bool inside = x >= 1 && x < 3 && y >= 1 && y < 7;
      EXPECT_EQ(dib.Pixel(x, y), inside ? column[(y - 1) / 2] : kBack) << "stretched, at " << x << "," << y;
    }
  // A part reaching past the picture is cut to it.
  Fill(dib, kBack);
  pic.Draw(dib.DC(), 0, 0, 4, 3, 2, 0, 4, 3);
  EXPECT_EQ(dib.Pixel(1, 1), RGB(255, 255, 255));
  EXPECT_EQ(dib.Pixel(2, 1), kBack) << "nothing beyond the picture's right edge";

  // On a solid colour, for a menu item: the key becomes that colour.
  gdi::Bitmap onMenu = pic.OnColor(RGB(1, 128, 7));
  ASSERT_TRUE(onMenu);
  gdi::MemDC mdc;
  gdi::Select s(mdc, onMenu);
  for (int i = 0; i < kW * kH; ++i)
    EXPECT_EQ(GetPixel(mdc, i % kW, i / kW), kPixels[i] == kKey ? RGB(1, 128, 7) : kPixels[i]) << "pixel " << i;

  // Nothing to draw: no source, or an index outside the picture.
  gdi::MaskedBitmap none(nullptr, kKey);
  EXPECT_TRUE(none.Empty());
  EXPECT_FALSE(none.OnColor(kBack));
  Fill(dib, kBack);
  none.Draw(dib.DC(), 0, 0);
  pic.Draw(dib.DC(), 0, 0, 2, 2, 10, 10, 2, 2);
  pic.Draw(dib.DC(), 0, 0, 0, 2, 0, 0, 2, 2);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 6; ++x) ASSERT_EQ(dib.Pixel(x, y), kBack) << x << "," << y;
  EXPECT_EQ(gdi::OwnTransparentColor(nullptr), RGB(0, 0, 0));
  // A bitmap selected into another DC cannot be read: no picture, black, and it stays selected.
  EXPECT_TRUE(gdi::MaskedBitmap(onMenu, kKey).Empty());
  EXPECT_EQ(gdi::OwnTransparentColor(onMenu), RGB(0, 0, 0));
  EXPECT_EQ(GetCurrentObject(mdc, OBJ_BITMAP), onMenu.Get());
}

// ---- fonts ------------------------------------------------------------------------------------

TEST(Fonts, HeightInPointsOrPixelsStyleAndEscapement) {
  int ppi = GetDeviceCaps(gdi::WindowDC(nullptr), LOGPIXELSY);
  const gdi::FontSpec points{.Name = "Arial", .Size = 10};
  const gdi::FontSpec charPixels{.Name = "Arial", .Bold = true, .Italic = true, .Height = -27};
  const gdi::FontSpec cellPixels{.Name = "Arial", .Underline = true, .StrikeOut = true, .Height = 20};
  const gdi::FontSpec upward{.Name = "Courier New", .Size = 20, .Bold = true, .Escapement = 900};
  struct Case {
    const gdi::FontSpec& font;
    int logHeight;               // what the LOGFONT asks for
    int charHeight, cellHeight;  // measured; 0: not measured
  } cases[] = {
      {points, -MulDiv(10, ppi, 72), MulDiv(10, ppi, 72), 0},
      {charPixels, -27, 27, 0},
      {cellPixels, 20, 0, 20},
      {upward, -MulDiv(20, ppi, 72), 0, 0},
  };
  for (const Case& c : cases) {
    const gdi::FontSpec& f = c.font;
    gdi::Font font = gdi::MakeFont(f);
    ASSERT_TRUE(font) << f.Name;
    LOGFONTA lf{};
    ASSERT_TRUE(GetObjectA(font, sizeof(lf), &lf));
    EXPECT_STREQ(lf.lfFaceName, f.Name.c_str());
    EXPECT_EQ(lf.lfHeight, c.logHeight) << f.Name;
    EXPECT_EQ(lf.lfWeight, f.Bold ? FW_BOLD : FW_NORMAL) << f.Name;
    EXPECT_EQ(lf.lfItalic != 0, f.Italic);
    EXPECT_EQ(lf.lfUnderline != 0, f.Underline);
    EXPECT_EQ(lf.lfStrikeOut != 0, f.StrikeOut);
    EXPECT_EQ(lf.lfEscapement, f.Escapement);
    EXPECT_EQ(gdi::FontSpec::FromLogFont(lf).LogHeight(), c.logHeight) << "a system font's description keeps its height";

    gdi::Dib dib(60, 60);
    gdi::Select sf(dib.DC(), font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dib.DC(), &tm);
    if (c.charHeight) {
      EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, c.charHeight) << f.Name;
    }
    if (c.cellHeight) {
      EXPECT_EQ(tm.tmHeight, c.cellHeight) << f.Name;
    }
    if (f.Escapement == 900) {
      // The text runs upward from its start: its ink is taller than wide and lies above it.
      Fill(dib, RGB(255, 255, 255));
      SetBkMode(dib.DC(), TRANSPARENT);
      SetTextColor(dib.DC(), RGB(0, 0, 0));
      TextOutA(dib.DC(), 20, 58, "Velmor", 6);
      RECT ink{60, 60, -1, -1};
      for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x)
          if (dib.Pixel(x, y) != RGB(255, 255, 255))
            ink = RECT{std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y), std::max<LONG>(ink.right, x),
                       std::max<LONG>(ink.bottom, y)};
      ASSERT_GE(ink.right, ink.left) << "some ink";
      EXPECT_GT(ink.bottom - ink.top, 2 * (ink.right - ink.left)) << "upward";
      EXPECT_LE(ink.bottom, 58);
    }
  }
}

// ---- scoped resources ---------------------------------------------------------------------------

static_assert(!std::is_copy_constructible_v<THandle> && std::is_move_constructible_v<THandle>);
static_assert(!std::is_copy_assignable_v<TFindHandle> && std::is_move_assignable_v<TFindHandle>);
static_assert(!std::is_copy_constructible_v<gdi::MaskedBitmap> && std::is_move_constructible_v<gdi::MaskedBitmap>);
static_assert(!std::is_copy_constructible_v<gdi::Font> && !std::is_copy_constructible_v<gdi::SavedDC>);
static_assert(!std::is_copy_constructible_v<TMenuHandle> && std::is_move_constructible_v<TIconHandle>);

TEST(ScopedResources, SavedDCPutsSelectionsAndColoursBack) {
  gdi::Dib dib(10, 10);
  HDC dc = dib.DC();
  HGDIOBJ font0 = GetCurrentObject(dc, OBJ_FONT), brush0 = GetCurrentObject(dc, OBJ_BRUSH),
          pen0 = GetCurrentObject(dc, OBJ_PEN);
  COLORREF text0 = GetTextColor(dc);
  int live = gdi::LiveObjects();
  {
    gdi::Font font = gdi::MakeFont({.Name = "Arial"});
    gdi::Brush brush(CreateSolidBrush(RGB(0, 0, 255)));
    gdi::Pen pen(CreatePen(PS_SOLID, 1, RGB(0, 255, 0)));
    gdi::SavedDC outer(dc);
    SelectObject(dc, font);
    SelectObject(dc, brush);
    {
      gdi::SavedDC inner(dc);
      SelectObject(dc, pen);
      SetTextColor(dc, RGB(1, 2, 3));
    }
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen0) << "the inner state undone";
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush.Get()) << "the outer one still there";
    EXPECT_EQ(GetTextColor(dc), text0);
  }  // the state goes back before the objects are deleted
  EXPECT_EQ(gdi::LiveObjects(), live);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font0);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush0);
}

bool Open(HANDLE h) {
  DWORD flags;
  return h && GetHandleInformation(h, &flags);
}

unsigned __stdcall CountAlone(void* arg) {
  for (int i = 0; i < 20000; ++i) ++*static_cast<int*>(arg);
  return 0;
}

// The kept buffer grows to the largest size asked and never shrinks, one DIB and one DC at any
// time; a fit within its room keeps its pixels, and drawing lands only within the size asked.
TEST(BackBuffer, GrowsNeverShrinksClipsToTheSizeAskedAndRefusesNonsense) {
  int live = gdi::LiveObjects();
  {
    gdi::BackBuffer b;
    struct Step {
      int w, h;
      bool ok;
      int stride;  // the buffer's width afterwards
    };
    const Step steps[] = {
        {20, 10, true, 20}, {8, 4, true, 20},   {20, 30, true, 20},    {25, 5, true, 25},
        {0, 5, false, 25},  {5, -1, false, 25}, {16385, 1, false, 25},
    };
    for (const Step& s : steps) {
      EXPECT_EQ(b.Fit(s.w, s.h), s.ok) << s.w << " x " << s.h;
      EXPECT_EQ(b.Stride(), s.stride) << s.w << " x " << s.h;
      EXPECT_EQ(gdi::LiveObjects(), live + 2) << s.w << " x " << s.h;
    }
    ASSERT_TRUE(b.Fit(25, 30));
    gdi::FillSolid(b.DC(), RECT{0, 0, 25, 30}, RGB(1, 2, 3));
    ASSERT_TRUE(b.Fit(10, 5));
    gdi::FillSolid(b.DC(), RECT{0, 0, 25, 30}, RGB(200, 100, 50));
    GdiFlush();
    EXPECT_EQ(b.At(9, 4), gdi::ToPixel(RGB(200, 100, 50)));
    EXPECT_EQ(b.At(10, 4), gdi::ToPixel(RGB(1, 2, 3))) << "beyond the width asked";
    EXPECT_EQ(b.At(9, 5), gdi::ToPixel(RGB(1, 2, 3))) << "beyond the height asked";
  }
  EXPECT_EQ(gdi::LiveObjects(), live) << "the buffer goes with its owner";
}

TEST(ScopedResources, HandlesCloseOnceMoveAndTellFailureFromHandle) {
  // A move leaves the source empty and the handle open exactly once.
  THandle a = MakeEvent(true);
  ASSERT_TRUE(a);
  HANDLE raw = a.Get();
  THandle b = std::move(a);
  EXPECT_FALSE(a) << "the source is empty";
  EXPECT_EQ(b.Get(), raw);
  THandle c;
  c = std::move(b);
  EXPECT_FALSE(b);
  EXPECT_TRUE(Open(raw));
  c.Reset();
  EXPECT_FALSE(Open(raw)) << "closed";

  // Both ways a creating call fails give an empty handle.
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  std::string missing = std::string(folder) + "velmor-no-such-folder\\x.txt";
  THandle noFile(CreateFileA(missing.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(noFile) << "INVALID_HANDLE_VALUE";
  WIN32_FIND_DATAA fd;
  TFindHandle noFind(FindFirstFileA(missing.c_str(), &fd));
  EXPECT_FALSE(noFind);
  EXPECT_FALSE(THandle(nullptr));

  // A file handle closes at the end of its scope: the file can then be opened without sharing.
  std::string path = std::string(folder) + "velmor-handle-test.tmp";
  {
    THandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    EXPECT_FALSE(THandle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)))
        << "still open";
  }
  EXPECT_TRUE(THandle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)));
  DeleteFileA(path.c_str());

  // A joined thread has done all its work.
  int one = 0, two = 0;
  THandle t1 = StartThread(&CountAlone, &one), t2 = StartThread(&CountAlone, &two);
  ASSERT_TRUE(t1 && t2);
  JoinThread(t1);
  JoinThread(t2);
  EXPECT_EQ(one + two, 40000);

  // A menu's owner destroys its menu but leaves a submenu in it alone: each has its own owner.
  {
    TMenuHandle sub(CreatePopupMenu());
    HMENU subHandle = sub.Get();
    {
      TMenuHandle bar(CreateMenu());
      ASSERT_TRUE(bar && sub);
      ASSERT_TRUE(AppendMenuA(bar.Get(), MF_POPUP | MF_STRING, (UINT_PTR)subHandle, "Sub"));
      HMENU barHandle = bar.Get();
      TMenuHandle moved(std::move(bar));
      EXPECT_FALSE(bar) << "moved away";
      EXPECT_TRUE(IsMenu(barHandle));
    }
    EXPECT_TRUE(IsMenu(subHandle)) << "the submenu outlives the menu it sat in";
  }
  // An icon's owner destroys it once; a null one holds nothing.
  HICON copy = CopyIcon(LoadIconA(nullptr, IDI_APPLICATION));
  ASSERT_TRUE(copy);
  {
    TIconHandle icon(copy);
    EXPECT_EQ(icon.Get(), copy);
  }
  EXPECT_FALSE(DestroyIcon(copy)) << "already destroyed";
  EXPECT_FALSE(TIconHandle());
}

TEST(Colours, SystemColoursResolveThroughTheColourTable) {
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(12615680), RGB(0, 128, 192));
}

}  // namespace
