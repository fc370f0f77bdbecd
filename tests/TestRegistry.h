// Registry keys of the tests' own, under HKEY_CURRENT_USER\Software\VelmorTests, read and written
// with the plain system calls (not the program's registry class), and the means to take the
// right to write a key away and give it back.
#pragma once
#include <windows.h>
#include <optional>
#include <string>
#include "framework/Registry.h"

// HKCU\Software\VelmorTests\<name>, removed with everything below it and made afresh, opened with
// full access: a root the program's code can be pointed at.
TRegKey FreshTestKey(const std::string& name);
// The key a test's program takes for HKEY_CURRENT_USER: "User" below the test's root (which
// stands for HKEY_LOCAL_MACHINE), made when missing, so that it goes with the root.
TRegKey UserRootBelow(HKEY root);
// Deletes the key at path below parent with all its subkeys, giving back any rights taken away.
void DeleteKeyTree(HKEY parent, const std::string& path);
// readOnly: everyone may only read the key at path below parent, so opening it with full access
// is refused by the system; otherwise everyone may do anything with it again.
bool SetKeyReadOnly(HKEY parent, const std::string& path, bool readOnly);

void PutDword(HKEY parent, const std::string& path, const std::string& name, DWORD value);
// Text with its terminating NUL, of type REG_SZ unless told otherwise.
void PutString(HKEY parent, const std::string& path, const std::string& name, const std::string& value,
               DWORD type = REG_SZ);
// Raw bytes of any type.
void PutRaw(HKEY parent, const std::string& path, const std::string& name, DWORD type, const void* data, DWORD size);

// A value's type and bytes, or nothing when the key or the value is missing.
struct TStoredValue {
  DWORD Type = REG_NONE;
  std::string Data;
  DWORD Dword() const;
  std::string Text() const;  // up to the first NUL
};
std::optional<TStoredValue> GetValue(HKEY parent, const std::string& path, const std::string& name);
bool KeyExists(HKEY parent, const std::string& path);
int ValueCount(HKEY parent, const std::string& path);
