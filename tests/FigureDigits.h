// The digits of the memory figure read back from pixels, for the unit tests and the end-to-end
// driver alike: each run of columns holding ink is one digit; a run much narrower than it is
// high is a one, any other is read by its seven segments, each looked at in the middle of where
// it would lie within the run's box. A digit it cannot read comes out as '?'.
#pragma once
#include <windows.h>
#include <algorithm>
#include <functional>
#include <string>

inline std::string ReadFigureDigits(const std::function<bool(int x, int y)>& ink, int w, int h) {
  auto column = [&](int x) {
    for (int y = 0; y < h; ++y)
      if (ink(x, y)) return true;
    return false;
  };
  std::string out;
  for (int x = 0; x < w;) {
    if (!column(x)) {
      ++x;
      continue;
    }
    const int x0 = x;
    while (x < w && column(x)) ++x;
    const int x1 = x - 1;
    int y0 = h, y1 = -1;
    for (int cx = x0; cx <= x1; ++cx)
      for (int y = 0; y < h; ++y)
        if (ink(cx, y)) y0 = std::min(y0, y), y1 = std::max(y1, y);
    if ((x1 - x0 + 1) * 4 <= y1 - y0 + 1) {
      out += '1';
      continue;
    }
    const int xm = (x0 + x1) / 2, ym = (y0 + y1) / 2, yu = (y0 + ym) / 2, yl = (ym + y1) / 2;
    // a (top), b, c (right, upper and lower), d (bottom), e, f (left, lower and upper), g (middle)
    const bool seg[7] = {ink(xm, y0), ink(x1, yu), ink(x1, yl), ink(xm, y1), ink(x0, yl), ink(x0, yu), ink(xm, ym)};
    static const char* const kDigits[10] = {"1111110", "0110000", "1101101", "1111001", "0110011",
                                            "1011011", "1011111", "1110000", "1111111", "1111011"};
    std::string bits;
    for (bool b : seg) bits += b ? '1' : '0';
    char c = '?';
    for (int i = 0; i < 10; ++i)
      if (bits == kDigits[i]) c = char('0' + i);
    out += c;
  }
  return out;
}
