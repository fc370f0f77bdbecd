#include "framework/ExeFile.h"
#include <windows.h>
#include <vector>

std::wstring ExeFileNameW() {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n < buf.size()) return std::wstring(buf.data(), n);
    if (buf.size() >= 32768) return std::wstring(buf.data(), buf.size());
    buf.resize(buf.size() * 2);  // truncated: try a larger buffer
  }
}

std::wstring ExeFolderW() {
  std::wstring p = ExeFileNameW();
  size_t slash = p.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : p.substr(0, slash + 1);
}

std::string AnsiOf(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string a(n, '\0');
  WideCharToMultiByte(CP_ACP, 0, w.data(), (int)w.size(), a.data(), n, nullptr, nullptr);
  return a;
}

std::wstring WideOf(const std::string& a) {
  if (a.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, a.data(), (int)a.size(), nullptr, 0);
  if (n <= 0) return {};
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_ACP, 0, a.data(), (int)a.size(), w.data(), n);
  return w;
}
