#include "framework/Paths.h"
#include <windows.h>
#include <vector>

std::wstring Widen(const std::string& ansi) {
  if (ansi.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), (int)ansi.size(), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), (int)ansi.size(), &w[0], n);
  return w;
}

bool ToAnsi(const std::wstring& s, std::string& out) {
  out.clear();
  if (s.empty()) return true;
  BOOL usedDefault = FALSE;
  int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, s.data(), (int)s.size(), nullptr, 0, nullptr,
                              &usedDefault);
  if (n <= 0 || usedDefault) return false;
  std::string a(n, '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, s.data(), (int)s.size(), &a[0], n, nullptr, &usedDefault);
  // The way back must give the same text: only then does an ANSI call name the same file.
  if (usedDefault || Widen(a) != s) return false;
  out = std::move(a);
  return true;
}

std::wstring ModulePathW() {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n < buf.size() || buf.size() >= 65536) return std::wstring(buf.data(), n < buf.size() ? n : buf.size());
    buf.resize(buf.size() * 2);  // truncated: try a larger buffer
  }
}

std::wstring ExeFolderW() {
  std::wstring path = ModulePathW();
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::string AnsiOf(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string a(n, '\0');
  WideCharToMultiByte(CP_ACP, 0, w.data(), (int)w.size(), a.data(), n, nullptr, nullptr);
  return a;
}
