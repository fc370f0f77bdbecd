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
  return AnsiOf(value);
}
