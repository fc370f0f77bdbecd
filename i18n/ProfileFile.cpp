#include "i18n/ProfileFile.h"
#include <windows.h>
#include "framework/Paths.h"

std::string ReadProfileString(const std::wstring& file, const std::string& section, const std::string& key,
                              const std::string& def) {
  // An empty file name would make the system read win.ini from the Windows folder.
  if (file.empty()) return def;
  // The wide call reads the file's bytes through the ANSI code page, as the ANSI call does; the
  // way back through the same code page gives the very bytes again.
  wchar_t buf[kProfileValueMax + 1] = {};
  DWORD n = GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(def).c_str(), buf,
                                     kProfileValueMax + 1, file.c_str());
  if (n > kProfileValueMax) n = kProfileValueMax;
  std::wstring value(buf, wcsnlen(buf, n));
  if (value.empty()) return std::string();
  int size = WideCharToMultiByte(CP_ACP, 0, value.data(), (int)value.size(), nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string out(size, '\0');
  WideCharToMultiByte(CP_ACP, 0, value.data(), (int)value.size(), &out[0], size, nullptr, nullptr);
  return out;
}

std::string ReadProfileString(const std::string& file, const std::string& section, const std::string& key,
                              const std::string& def) {
  return ReadProfileString(Widen(file), section, key, def);
}

TProfileFile::TProfileFile(const std::string& ansiFileName) : FFileName(Widen(ansiFileName)) {}
