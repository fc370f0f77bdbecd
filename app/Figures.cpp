#include "app/Figures.h"
#include <windows.h>

std::string MemoryLine(const std::string& prefix, uint64_t bytes, const std::string& separator) {
  return prefix + " " + FormatGrouped(bytes >> 10, separator) + " Kb (" + FormatGrouped(bytes >> 20, separator) +
         " Mb)";
}

std::string MemoryLine(const std::string& prefix, uint64_t bytes) {
  return MemoryLine(prefix, bytes, ThousandSeparator());
}

namespace {
// pattern with %1 and %2 replaced by the two figures and "%%" by one "%"; any other character,
// a lone "%" too, stays as it is.
std::string FillIn(const std::string& pattern, const std::string& first, const std::string& second) {
  std::string out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (pattern[i] == '%' && (next == '1' || next == '2' || next == '%')) {
      out += next == '1' ? first : next == '2' ? second : std::string("%");
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

// Whole megabytes with the separator; unlike the memory line's "#,###", a sentence needs its zero.
std::string Megabytes(uint64_t bytes, const std::string& separator) {
  std::string s = FormatGrouped(bytes >> 20, separator);
  return s.empty() ? std::string("0") : s;
}
}  // namespace

std::string RunReport(const std::string& pattern, uint64_t availBefore, uint64_t availAfter,
                      const std::string& separator) {
  // A run that ends with less available than it began with (other programs took memory
  // meanwhile) freed nothing, rather than a negative or wrapped-round figure.
  const uint64_t freed = availAfter > availBefore ? availAfter - availBefore : 0;
  return FillIn(pattern, Megabytes(freed, separator), Megabytes(availAfter, separator));
}

std::string RefusalReport(const std::string& pattern, int blocksHeld, uint64_t availAfter,
                          const std::string& separator) {
  const uint64_t held = blocksHeld > 0 ? uint64_t(blocksHeld) << 20 : 0;
  return FillIn(pattern, Megabytes(held, separator), Megabytes(availAfter, separator));
}

int InUsePercent(uint64_t total, uint64_t avail) {
  if (total == 0 || avail >= total) return 0;
  uint64_t used = total - avail;
  // Figures beyond any machine would overflow the product: a coarser unit gives the same share.
  while (total > UINT64_MAX / 200) total >>= 8, used >>= 8;
  return (int)((used * 100 + total / 2) / total);
}
