#include "app/RunEntry.h"

std::wstring RunEntryFor(const std::wstring& exePath) {
  if (exePath.find(L' ') == std::wstring::npos) return exePath;
  return L"\"" + exePath + L"\"";
}
