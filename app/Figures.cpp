#include "app/Figures.h"
#include <windows.h>

std::string FormatGrouped(uint64_t v, const std::string& separator) {
  if (v == 0) return "";
  std::string digits = std::to_string(v), out;
  int lead = (int)digits.size() % 3;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i && (int)(i - lead) % 3 == 0) out += separator;
    out += digits[i];
  }
  return out;
}

std::string ThousandSeparator() {
  char buf[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, buf, sizeof(buf)) <= 0) return ",";
  return buf;
}

std::string MemoryLine(const std::string& prefix, uint64_t bytes, const std::string& separator) {
  return prefix + " " + FormatGrouped(bytes >> 10, separator) + " Kb (" + FormatGrouped(bytes >> 20, separator) +
         " Mb)";
}

std::string MemoryLine(const std::string& prefix, uint64_t bytes) {
  return MemoryLine(prefix, bytes, ThousandSeparator());
}

std::string RunReport(const std::string& pattern, uint64_t availBefore, uint64_t availAfter,
                      const std::string& separator) {
  // A run that ends with less available than it began with (other programs took memory
  // meanwhile) freed nothing, rather than a negative or wrapped-round figure.
  const uint64_t freed = availAfter > availBefore ? availAfter - availBefore : 0;
  // Unlike the memory line's "#,###", a sentence needs its zero.
  auto figure = [&](uint64_t bytes) {
    std::string s = FormatGrouped(bytes >> 20, separator);
    return s.empty() ? std::string("0") : s;
  };
  std::string out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == '1' || pattern[i + 1] == '2')) {
      out += figure(pattern[++i] == '1' ? freed : availAfter);
    } else {
      out += pattern[i];
    }
  }
  return out;
}

int InUsePercent(uint64_t total, uint64_t avail) {
  if (total == 0 || avail >= total) return 0;
  uint64_t used = total - avail;
  // Figures beyond any machine would overflow the product: a coarser unit gives the same share.
  while (total > UINT64_MAX / 200) total >>= 8, used >>= 8;
  return (int)((used * 100 + total / 2) / total);
}
