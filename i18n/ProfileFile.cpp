#include "i18n/ProfileFile.h"
#include <windows.h>
#include <cstring>

std::string ReadProfileString(const std::string& file, const std::string& section, const std::string& key,
                              const std::string& def) {
  char buf[kProfileValueMax + 1] = {};
  // An empty file name would make the system read win.ini from the Windows folder.
  if (file.empty()) return def;
  DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buf, sizeof(buf), file.c_str());
  if (n > kProfileValueMax) n = kProfileValueMax;
  return std::string(buf, strnlen(buf, n));
}
