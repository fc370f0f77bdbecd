#include "tests/TestRegistry.h"
#include <sddl.h>
#include <cstring>

TRegKey FreshTestKey(const std::string& name) {
  std::string path = "Software\\VelmorTests\\" + name;
  DeleteKeyTree(HKEY_CURRENT_USER, path);
  return TRegKey::Create(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS);
}

TRegKey UserRootBelow(HKEY root) { return TRegKey::Create(root, "User", KEY_ALL_ACCESS); }

void DeleteKeyTree(HKEY parent, const std::string& path) {
  SetKeyReadOnly(parent, path, false);
  TRegKey key = TRegKey::Open(parent, path, KEY_ALL_ACCESS);
  if (!key) return;
  for (;;) {
    char sub[256];
    DWORD n = sizeof(sub);
    if (RegEnumKeyExA(key.Get(), 0, sub, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    DeleteKeyTree(key.Get(), sub);
    if (KeyExists(key.Get(), sub)) break;  // would loop for ever
  }
  key.Reset();
  RegDeleteKeyA(parent, path.c_str());
}

bool SetKeyReadOnly(HKEY parent, const std::string& path, bool readOnly) {
  // WRITE_DAC stays with the key's owner (the test) whatever the list says.
  TRegKey key = TRegKey::Open(parent, path, WRITE_DAC);
  if (!key) return false;
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(readOnly ? "D:P(A;;KR;;;WD)" : "D:(A;;KA;;;WD)",
                                                            SDDL_REVISION_1, &sd, nullptr))
    return false;
  LONG r = RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, sd);
  LocalFree(sd);
  return r == ERROR_SUCCESS;
}

void PutRaw(HKEY parent, const std::string& path, const std::string& name, DWORD type, const void* data, DWORD size) {
  TRegKey key = TRegKey::Create(parent, path, KEY_ALL_ACCESS);
  RegSetValueExA(key.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

void PutDword(HKEY parent, const std::string& path, const std::string& name, DWORD value) {
  PutRaw(parent, path, name, REG_DWORD, &value, sizeof(value));
}

void PutString(HKEY parent, const std::string& path, const std::string& name, const std::string& value, DWORD type) {
  PutRaw(parent, path, name, type, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

DWORD TStoredValue::Dword() const {
  DWORD v = 0;
  std::memcpy(&v, Data.data(), Data.size() < sizeof(v) ? Data.size() : sizeof(v));
  return v;
}

std::string TStoredValue::Text() const { return std::string(Data.c_str()); }

std::optional<TStoredValue> GetValue(HKEY parent, const std::string& path, const std::string& name) {
  TRegKey key = TRegKey::Open(parent, path, KEY_READ);
  if (!key) return std::nullopt;
  TStoredValue v;
  DWORD size = 0;
  if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &v.Type, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  v.Data.assign(size, '\0');
  if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &v.Type, reinterpret_cast<BYTE*>(v.Data.data()), &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  v.Data.resize(size);
  return v;
}

bool KeyExists(HKEY parent, const std::string& path) {
  return static_cast<bool>(TRegKey::Open(parent, path, KEY_READ));
}

int ValueCount(HKEY parent, const std::string& path) {
  TRegKey key = TRegKey::Open(parent, path, KEY_READ);
  DWORD n = 0;
  if (!key || RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &n, nullptr, nullptr,
                               nullptr, nullptr) != ERROR_SUCCESS)
    return -1;
  return static_cast<int>(n);
}
