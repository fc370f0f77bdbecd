#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "components/FigureIcon.h"
#include "framework/Gdi.h"
#include "tests/FigureDigits.h"

namespace {

// The icon drawn by the system onto a taskbar of the given colour, as a user would see it.
struct Drawn {
  gdi::Dib dib;
  Drawn(HICON icon, int w, int h, COLORREF taskbar) : dib(w + 4, h + 4) {
    gdi::FillSolid(dib.DC(), RECT{0, 0, w + 4, h + 4}, taskbar);
    DrawIconEx(dib.DC(), 2, 2, icon, w, h, 0, nullptr, DI_NORMAL);
    GdiFlush();
  }
  COLORREF At(int x, int y) const { return dib.Pixel(x + 2, y + 2); }
};

// Every figure at every size the shell asks for, on a light and on a dark taskbar: the digits
// read back, standing whole inside the icon's own edge, centred, at least half its height.
TEST(FigureIcon, TheDigitsAtEachSizeOnALightAndADarkTaskbar) {
  for (int size : {16, 20, 24, 32})
    for (int figure : {0, 7, 42, 100})
      for (COLORREF taskbar : {RGB(255, 255, 255), RGB(0, 0, 0), RGB(212, 208, 200)}) {
        SCOPED_TRACE(std::to_string(size) + " px, " + std::to_string(figure) + " on " + std::to_string(taskbar));
        TFigureIcon icon;
        ASSERT_TRUE(icon.SetFigure(figure, size, size));
        Drawn d(icon.Handle(), size, size, taskbar);
        EXPECT_EQ(ReadFigureDigits([&](int x, int y) { return d.At(x, y) == kFigureInk; }, size, size),
                  std::to_string(figure));
        // Its own background, edge to edge: nothing of the taskbar shows through.
        EXPECT_EQ(d.At(-1, -1), taskbar);
        for (int i = 0; i < size; ++i) {
          EXPECT_EQ(d.At(i, 0), kFigureEdge);
          EXPECT_EQ(d.At(0, i), kFigureEdge);
          EXPECT_EQ(d.At(i, size - 1), kFigureEdge);
          EXPECT_EQ(d.At(size - 1, i), kFigureEdge);
        }
        EXPECT_EQ(d.At(1, 1), kFigureBack);
        int left = size, right = -1, top = size, bottom = -1;
        for (int y = 0; y < size; ++y)
          for (int x = 0; x < size; ++x) {
            COLORREF c = d.At(x, y);
            ASSERT_TRUE(c == kFigureInk || c == kFigureBack || c == kFigureEdge) << x << "," << y << ": sharp, no blend";
            if (c == kFigureInk) left = std::min(left, x), right = std::max(right, x), top = std::min(top, y),
                                 bottom = std::max(bottom, y);
          }
        EXPECT_GE(left, 1);
        EXPECT_GE(top, 1);
        EXPECT_LE(right, size - 2);
        EXPECT_LE(bottom, size - 2);
        EXPECT_LE(std::abs(left - (size - 1 - right)), 1) << "centred across";
        EXPECT_LE(std::abs(top - (size - 1 - bottom)), 1) << "and down";
        EXPECT_GE((bottom - top + 1) * 2, size) << "readable at a glance";
      }
}

// A figure or size already at hand makes no icon; a change makes one, and the one before it
// stays until it is dropped. Out-of-range figures are brought into 0..100.
TEST(FigureIcon, AnIconOnlyForANewFigureOrSize) {
  const int live = gdi::LiveObjects();
  {
    TFigureIcon icon;
    EXPECT_EQ(icon.Handle(), nullptr);
    EXPECT_EQ(icon.Figure(), -1);
    ASSERT_TRUE(icon.SetFigure(42, 16, 16));
    HICON first = icon.Handle();
    const int oneIcon = gdi::LiveObjects();
    EXPECT_FALSE(icon.SetFigure(42, 16, 16)) << "the same figure: nothing made";
    EXPECT_EQ(icon.Handle(), first);
    EXPECT_EQ(gdi::LiveObjects(), oneIcon);

    ASSERT_TRUE(icon.SetFigure(43, 16, 16));
    EXPECT_NE(icon.Handle(), first);
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(first, &ii)) << "the previous icon lives until it is dropped";
    DeleteObject(ii.hbmColor), DeleteObject(ii.hbmMask);
    EXPECT_EQ(gdi::LiveObjects(), oneIcon + 1);
    icon.DropPrevious();
    EXPECT_EQ(gdi::LiveObjects(), oneIcon) << "one HICON, the bitmaps kept";

    ASSERT_TRUE(icon.SetFigure(43, 24, 24)) << "a new size draws again";
    icon.DropPrevious();
    ASSERT_TRUE(GetIconInfo(icon.Handle(), &ii));
    BITMAP bm{};
    GetObjectA(ii.hbmColor, sizeof(bm), &bm);
    DeleteObject(ii.hbmColor), DeleteObject(ii.hbmMask);
    EXPECT_EQ(bm.bmWidth, 24);
    EXPECT_EQ(bm.bmHeight, 24);

    EXPECT_TRUE(icon.SetFigure(250, 24, 24));
    EXPECT_EQ(icon.Figure(), 100);
    EXPECT_FALSE(icon.SetFigure(100, 24, 24));
    EXPECT_TRUE(icon.SetFigure(-5, 24, 24));
    EXPECT_EQ(icon.Figure(), 0);
    for (auto [w, h] : {std::pair{0, 16}, {16, -1}, {257, 16}, {16, 100000}}) {
      EXPECT_FALSE(icon.SetFigure(9, w, h)) << w << " x " << h;
      EXPECT_EQ(icon.Figure(), 0) << "the icon at hand stays";
    }
    icon.Clear();
    EXPECT_EQ(icon.Handle(), nullptr);
    EXPECT_TRUE(icon.SetFigure(0, 24, 24)) << "after Clear the same figure draws afresh";
  }
  EXPECT_EQ(gdi::LiveObjects(), live);
}

}  // namespace
