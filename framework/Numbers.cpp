#include "framework/Numbers.h"
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
