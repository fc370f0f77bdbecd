#include "i18n/LangFiles.h"
#include <windows.h>
#include <algorithm>
#include <cstring>
#include "framework/Classes.h"
#include "framework/Handles.h"
#include "framework/Paths.h"

std::string StripLngExt(const std::string& name) {
  static const std::string ext = ".lng";
  std::string out = name;
  for (size_t at = out.find(ext); at != std::string::npos; at = out.find(ext, at)) out.erase(at, ext.size());
  return out;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), (int)a.size(), b.data(), (int)b.size()) ==
         CSTR_LESS_THAN;
}

namespace {
bool HasLngExtension(const wchar_t* name) {
  size_t n = wcslen(name);
  return n >= 4 && lstrcmpiW(name + n - 4, L".lng") == 0;
}

// Device names, which the system opens as devices in any folder and with any extension.
bool IsDeviceName(const std::string& name) {
  std::string base = name.substr(0, name.find('.'));
  while (!base.empty() && (base.back() == ' ' || base.back() == '.')) base.pop_back();
  for (char& c : base) c = (char)toupper((unsigned char)c);
  static const char* const devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* d : devices)
    if (base == d) return true;
  return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
         base[3] >= '0' && base[3] <= '9';
}
}  // namespace

bool IsBareFileName(const std::string& name, UINT cp) {
  if (name.empty() || name.size() > MAX_PATH) return false;
  if (name == "." || name == "..") return false;
  for (size_t i = 0, next; i < name.size(); i = next) {
    next = NextCharAt(name, i, cp);
    unsigned char c = name[i];
    if (next == i + 1 && (c < 32 || strchr("\\/:*?\"<>|", c))) return false;
  }
  return !IsDeviceName(name);
}

std::vector<std::string> ListLanguageFiles(const std::wstring& folder) {
  std::vector<std::string> names;
  if (folder.empty()) return names;
  WIN32_FIND_DATAW fd{};
  TFindHandle find(FindFirstFileW((folder + L"\\*.lng").c_str(), &fd));
  if (!find) return names;
  const DWORD skipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  do {
    if (fd.dwFileAttributes & skipped) continue;
    if (!HasLngExtension(fd.cFileName)) continue;
    // The menu and the stored setting hold ANSI text: a name the code page cannot hold exactly
    // would show as "?" and name no file when chosen.
    std::string name;
    if (!ToAnsi(fd.cFileName, name)) continue;
    names.push_back(name);
  } while (FindNextFileW(find.Get(), &fd));
  std::stable_sort(names.begin(), names.end(), LessIgnoringCase);
  return names;
}
