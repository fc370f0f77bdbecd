#include "framework/SystemLook.h"
#include <algorithm>
#include <cmath>

namespace {
double Linear(int channel) {
  double c = channel / 255.0;
  return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
double Luminance(COLORREF c) {
  return 0.2126 * Linear(GetRValue(c)) + 0.7152 * Linear(GetGValue(c)) + 0.0722 * Linear(GetBValue(c));
}
}  // namespace

double ContrastRatio(COLORREF a, COLORREF b) {
  double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool HighContrastOn(BOOL(WINAPI* ask)(UINT, UINT, PVOID, UINT)) {
  HIGHCONTRASTA hc{};
  hc.cbSize = sizeof(hc);
  return ask && ask(SPI_GETHIGHCONTRAST, sizeof(hc), &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON);
}

bool UseSystemLook(bool highContrast, std::initializer_list<TTextOn> schemePairs) {
  if (highContrast) return true;
  return std::any_of(schemePairs.begin(), schemePairs.end(),
                     [](const TTextOn& p) { return ContrastRatio(p.Text, p.Back) < kReadableContrast; });
}
