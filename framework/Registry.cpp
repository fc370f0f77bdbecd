#include "framework/Registry.h"
#include <vector>
#include "framework/Paths.h"

namespace {
bool IsPredefined(HKEY h) {
  return h == HKEY_CLASSES_ROOT || h == HKEY_CURRENT_USER || h == HKEY_LOCAL_MACHINE || h == HKEY_USERS ||
         h == HKEY_PERFORMANCE_DATA || h == HKEY_CURRENT_CONFIG || h == HKEY_DYN_DATA;
}

// The system takes paths relative to the parent; a leading backslash would name nothing.
std::string Relative(const std::string& path) {
  size_t i = path.find_first_not_of('\\');
  return i == std::string::npos ? std::string() : path.substr(i);
}
}  // namespace

void detail::TRegKeyClose::Close(HKEY h) {
  if (!IsPredefined(h)) RegCloseKey(h);
}

TRegKey TRegKey::Open(HKEY parent, const std::string& path, REGSAM access, LONG* error) {
  HKEY h = nullptr;
  LONG r = parent ? RegOpenKeyExA(parent, Relative(path).c_str(), 0, access, &h) : ERROR_INVALID_HANDLE;
  if (error) *error = r;
  return TRegKey(r == ERROR_SUCCESS ? h : nullptr);
}

TRegKey TRegKey::Create(HKEY parent, const std::string& path, REGSAM access, LONG* error) {
  HKEY h = nullptr;
  DWORD disposition = 0;
  LONG r = parent ? RegCreateKeyExA(parent, Relative(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                    nullptr, &h, &disposition)
                  : ERROR_INVALID_HANDLE;
  if (error) *error = r;
  return TRegKey(r == ERROR_SUCCESS ? h : nullptr);
}

// ---------------------------------------------------------------------------------------------

void TRegistry::SetRootKey(HKEY v) {
  if (v == FRootKey) return;
  CloseKey();
  FRootKey = v;
}

void TRegistry::SetAccess(REGSAM v) {
  if (v == FAccess) return;
  CloseKey();
  FAccess = v;
}

bool TRegistry::OpenKey(const std::string& path, bool canCreate) {
  CloseKey();
  FCurrentKey = canCreate ? TRegKey::Create(FRootKey, path, FAccess) : TRegKey::Open(FRootKey, path, FAccess);
  if (!FCurrentKey) return false;
  FCurrentPath = Relative(path);
  return true;
}

void TRegistry::CloseKey() {
  FCurrentKey.Reset();
  FCurrentPath.clear();
}

bool TRegistry::GetKeyInfo(TRegKeyInfo& info) const {
  info = TRegKeyInfo{};
  return FCurrentKey && RegQueryInfoKeyA(FCurrentKey.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                         &info.NumValues, nullptr, nullptr, nullptr, &info.FileTime) == ERROR_SUCCESS;
}

bool TRegistry::ValueExists(const std::string& name) const {
  return FCurrentKey &&
         RegQueryValueExA(FCurrentKey.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const std::string& name) {
  return FCurrentKey && RegDeleteValueA(FCurrentKey.Get(), name.c_str()) == ERROR_SUCCESS;
}

void TRegistry::ReadFailed(const std::string& name) {
  throw ERegistryException("Failed to get data for '" + name + "'");
}

void TRegistry::WriteFailed(const std::string& name) {
  throw ERegistryException("Failed to set data for '" + name + "'");
}

bool TRegistry::Probe(const std::string& name, DWORD& type, DWORD& size, LONG& error) const {
  // The wide call answers from the size alone; the ANSI one fetches the whole value first, to
  // work out its ANSI length, whatever its size.
  type = REG_NONE;
  size = 0;
  error = RegQueryValueExW(FCurrentKey.Get(), Widen(name).c_str(), nullptr, &type, nullptr, &size);
  return error == ERROR_SUCCESS;
}

int TRegistry::ReadInteger(const std::string& name) const {
  if (!FCurrentKey) ReadFailed(name);
  DWORD type = 0, value = 0, size = sizeof(value);
  LONG r;
  // A REG_DWORD of another length is damaged; it reads as no value at all.
  if (!Probe(name, type, size, r) || type != REG_DWORD || size != sizeof(value)) ReadFailed(name);
  r = RegQueryValueExA(FCurrentKey.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  if (r != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value)) ReadFailed(name);
  return static_cast<int>(value);
}

std::string TRegistry::ReadString(const std::string& name, unsigned maxBytes) const {
  if (!FCurrentKey) ReadFailed(name);
  DWORD type = 0, size = 0;
  LONG r;
  if (!Probe(name, type, size, r)) {
    if (r == ERROR_FILE_NOT_FOUND) return std::string();
    ReadFailed(name);
  }
  // The wide size is at most twice the ANSI one.
  if ((type != REG_SZ && type != REG_EXPAND_SZ) || size / 2 > maxBytes) ReadFailed(name);
  // The value may change between the calls: ask again until the buffer holds it, within bounds.
  std::vector<char> data;
  size = maxBytes;
  for (;;) {
    data.assign(size + 1, '\0');  // one spare byte, never handed to the system
    r = RegQueryValueExA(FCurrentKey.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    if (r != ERROR_MORE_DATA) break;
    if (size > maxBytes) ReadFailed(name);
  }
  if (r == ERROR_FILE_NOT_FOUND) return std::string();
  if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || size > maxBytes) ReadFailed(name);
  // Stored text need not end in a NUL; the buffer's spare byte after the data is one.
  data[size] = '\0';
  return std::string(data.data());
}

void TRegistry::WriteInteger(const std::string& name, int value) {
  DWORD v = static_cast<DWORD>(value);
  if (!FCurrentKey || RegSetValueExA(FCurrentKey.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v),
                                     sizeof(v)) != ERROR_SUCCESS)
    WriteFailed(name);
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  if (!FCurrentKey || RegSetValueExA(FCurrentKey.Get(), name.c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(value.c_str()),
                                     static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS)
    WriteFailed(name);
}

void TRegistry::WriteString(const std::string& name, const std::wstring& value) {
  if (!FCurrentKey || RegSetValueExW(FCurrentKey.Get(), Widen(name).c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(value.c_str()),
                                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
    WriteFailed(name);
}
