#include "i18n/LangFiles.h"
#include <windows.h>
#include <cstring>
#include <algorithm>
#include "framework/Handles.h"

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
bool HasLngExtension(const char* name) {
  size_t n = strlen(name);
  return n >= 4 && lstrcmpiA(name + n - 4, ".lng") == 0;
}
}  // namespace

std::vector<std::string> ListLanguageFiles(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd{};
  TFindHandle find(FindFirstFileA((folder + "\\*.lng").c_str(), &fd));
  if (!find) return names;
  const DWORD skipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  do {
    if (fd.dwFileAttributes & skipped) continue;
    if (!HasLngExtension(fd.cFileName)) continue;
    names.push_back(fd.cFileName);
  } while (FindNextFileA(find.Get(), &fd));
  std::stable_sort(names.begin(), names.end(), LessIgnoringCase);
  return names;
}
