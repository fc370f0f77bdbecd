#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <string>
#include "components/FigureIcon.h"
#include "framework/Gdi.h"

namespace {

// The digits read back from the pixels: each run of columns holding ink is a digit; one much
// narrower than high is a one, any other is read by its seven bars (':' when none fits).
std::string ReadDigits(const gdi::Dib& d, int n) {
  static const std::string kBars[10] = {"1111110", "0110000", "1101101", "1111001", "0110011",
                                        "1011011", "1011111", "1110000", "1111111", "1111011"};
  auto ink = [&](int x, int y) { return d.Pixel(x, y) == kFigureInk; };
  auto inked = [&](int x) {
    for (int y = 0; y < n; ++y)
      if (ink(x, y)) return true;
    return false;
  };
  std::string out;
  for (int x = 0; x < n; ++x) {
    if (!inked(x)) continue;
    int x0 = x, y0 = n, y1 = 0;
    for (; x < n && inked(x); ++x)
      for (int y = 0; y < n; ++y)
        if (ink(x, y)) y0 = std::min(y0, y), y1 = std::max(y1, y);
    const int x1 = x - 1, xm = (x0 + x1) / 2, ym = (y0 + y1) / 2, yu = (y0 + ym) / 2, yl = (ym + y1) / 2;
    if ((x1 - x0 + 1) * 4 <= y1 - y0 + 1) {
      out += '1';
      continue;
    }
    std::string bars;
    for (bool b : {ink(xm, y0), ink(x1, yu), ink(x1, yl), ink(xm, y1), ink(x0, yl), ink(x0, yu), ink(xm, ym)})
      bars += b ? '1' : '0';
    out += char('0' + (std::find(kBars, kBars + 10, bars) - kBars));
  }
  return out;
}

// Every figure at every size the shell asks for, drawn by the system on a light and on a dark
// taskbar: the digits read back, on the icon's own square (its edge where the taskbar was).
TEST(FigureIcon, TheDigitsAtEachSizeOnALightAndADarkTaskbar) {
  for (int n : {16, 20, 24, 32})
    for (int figure : {0, 7, 42, 100})
      for (COLORREF taskbar : {RGB(255, 255, 255), RGB(0, 0, 0)}) {
        SCOPED_TRACE(std::to_string(n) + " px, " + std::to_string(figure) + " on " + std::to_string(taskbar));
        TFigureIcon icon;
        ASSERT_TRUE(icon.SetFigure(figure, n, n));
        gdi::Dib d(n, n);
        gdi::FillSolid(d.DC(), RECT{0, 0, n, n}, taskbar);
        DrawIconEx(d.DC(), 0, 0, icon.Handle(), n, n, 0, nullptr, DI_NORMAL);
        EXPECT_EQ(ReadDigits(d, n), std::to_string(figure));
        EXPECT_EQ(d.Pixel(0, 0), kFigureEdge);
        EXPECT_EQ(d.Pixel(n - 1, n - 1), kFigureEdge);
      }
}

}  // namespace
