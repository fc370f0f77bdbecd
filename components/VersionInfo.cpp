#include "components/VersionInfo.h"
#include <windows.h>
#include <cstdio>
#include <cwchar>
#include <vector>
#include "framework/Paths.h"

const TVersionRow VersionTable[10] = {
    {"CompanyName", "Realizzazione:"},
    {"FileDescription", "Descrizione File:"},
    {"FileVersion", "Versione File:"},
    {"InternalName", "Nome Interno:"},
    {"LegalCopyright", "Copyright:"},
    {"OriginalFilename", "Nome File Originale:"},
    {"ProductName", "Nome Prodotto:"},
    {"ProductVersion", "Versione Prodotto:"},
    {"Comments", "Commenti:"},
    {"Flags", "Flags:"},
};

const char* const sNoDataAvailable = "< No Data Available >";
const char* const sErrorVersionInfo = "< Error retrieving version info >";
const char* const sErrorTranslationInfo = "< Error retrieving translation info >";
const char* const sNoVersionInfo = "< No Version Info >";

namespace {
struct TFlagWord {
  DWORD Bit;
  const char* Text;
};
const TFlagWord kFlagWords[] = {
    {VS_FF_DEBUG, ", Debug Build"},       {VS_FF_PRERELEASE, ", Pre-Release Build"},
    {VS_FF_PATCHED, ", Patched Build"},   {VS_FF_PRIVATEBUILD, ", Private Build"},
    {VS_FF_INFOINFERRED, ", InfoInferred"}, {VS_FF_SPECIALBUILD, ", Special Build"},
};
}  // namespace

TVersionText::TVersionText(std::wstring exePath) : FExePath(std::move(exePath)) {}

void TVersionText::SetVersionResource(TVersionResources v) {
  if (v < vrCompanyName || v > vrFlags) return;
  FVersionResource = v;
  // Through the key's setter: a new key becomes the prefix first, then the row's prefix wins.
  if (FVersionResourceKey != VersionTable[v].Key) {
    FVersionResourceKey = VersionTable[v].Key;
    FInfoPrefix = FVersionResourceKey;
  }
  FInfoPrefix = VersionTable[v].Prefix;
  VersionChanged();
}

void TVersionText::SetVersionResourceKey(const std::string& v) {
  if (v == FVersionResourceKey) return;
  FVersionResourceKey = v;
  FInfoPrefix = v;
  VersionChanged();
}

void TVersionText::SetInfoPrefix(const std::string& v) {
  if (v == FInfoPrefix) return;
  FInfoPrefix = v;
  VersionChanged();
}

void TVersionText::SetShowInfoPrefix(bool v) {
  if (v == FShowInfoPrefix) return;
  FShowInfoPrefix = v;
  VersionChanged();
}

void TVersionText::SetLangCharset(const std::string& v) {
  if (v == FLangCharset) return;
  FLangCharset = v;
  VersionChanged();
}

std::string TVersionText::BuildVersionText() {
  std::string value = ReadValue();
  return FShowInfoPrefix ? FInfoPrefix + " " + value : value;
}

std::string TVersionText::ReadValue() {
  // Read with the wide API: the program's folder may have a name the ANSI code page lacks.
  std::wstring path = FExePath.empty() ? ModulePathW() : FExePath;
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return sNoDataAvailable;
  std::vector<char> data(size + 1);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return sErrorVersionInfo;

  void* p = nullptr;
  UINT len = 0;
  if (FVersionResource == vrFlags) {
    if (!VerQueryValueW(data.data(), L"\\", &p, &len) || !p) return sErrorVersionInfo;
    // Shorter than the whole record: its flags are not there to read.
    if (len < sizeof(VS_FIXEDFILEINFO)) return "";
    DWORD flags = static_cast<const VS_FIXEDFILEINFO*>(p)->dwFileFlags;
    std::string words;
    for (const auto& f : kFlagWords)
      if (flags & f.Bit) words += f.Text;
    if (!words.empty() && words[0] == ',') words.erase(0, 2);
    return words;
  }

  if (FLangCharset == "-1") {
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &p, &len) || !p || len < 4)
      return sErrorTranslationInfo;
    const WORD* t = static_cast<const WORD*>(p);
    char digits[16];
    wsprintfA(digits, "%04X%04X", (unsigned)t[0], (unsigned)t[1]);  // the system's: no C99 printf linked for it
    FLangCharset = digits;  // kept: later builds go straight to the string table
  }
  std::wstring query = L"\\StringFileInfo\\" + Widen(FLangCharset) + L"\\" + Widen(FVersionResourceKey);
  if (!VerQueryValueW(data.data(), query.c_str(), &p, &len) || !p) return sErrorVersionInfo;
  // An empty value comes back with a length of 0 or 1 (the terminating zero alone).
  const wchar_t* s = static_cast<const wchar_t*>(p);
  size_t n = wcsnlen(s, len);
  if (n == 0) return sNoVersionInfo;
  return AnsiOf(std::wstring(s, n));
}
