// The registry: a root key, at most one open key below it, and typed values in that key.
#pragma once
#include <windows.h>
#include <winreg.h>
#include <string>
#include "framework/Classes.h"
#include "framework/Handles.h"

namespace detail {
// The predefined roots (HKEY_LOCAL_MACHINE, ...) are never closed; a key a caller opened is.
struct TRegKeyClose {
  using Type = HKEY;
  static void Close(HKEY h);
};
}  // namespace detail

// An owned key handle, closed when it goes.
class TRegKey : public TScopedHandle<detail::TRegKeyClose> {
public:
  using TScopedHandle::TScopedHandle;

  // The key at path below parent, or an empty handle (with the system's error in *error).
  static TRegKey Open(HKEY parent, const std::string& path, REGSAM access, LONG* error = nullptr);
  static TRegKey Create(HKEY parent, const std::string& path, REGSAM access, LONG* error = nullptr);
};

// A registry read or write that failed; the message names the value.
class ERegistryException : public Exception {
public:
  using Exception::Exception;
};

// What GetKeyInfo tells of the open key: how many values it holds and when it was last written.
struct TRegKeyInfo {
  DWORD NumValues = 0;
  FILETIME FileTime{};
};

class TRegistry : public TObject {
public:
  explicit TRegistry(REGSAM access = KEY_ALL_ACCESS) : FAccess(access) {}

  // Changing the root or the access closes the open key.
  HKEY RootKey() const { return FRootKey; }
  void SetRootKey(HKEY v);
  REGSAM Access() const { return FAccess; }
  void SetAccess(REGSAM v);

  // Opens path below the root (a leading backslash is allowed and means the same) with the
  // access above, closing the key open before; creates the missing keys of the path when
  // canCreate is set. False when the key could not be opened, and then no key is open.
  bool OpenKey(const std::string& path, bool canCreate);
  void CloseKey();
  HKEY CurrentKey() const { return FCurrentKey.Get(); }
  const std::string& CurrentPath() const { return FCurrentPath; }
  // False when no key is open or the system cannot say.
  bool GetKeyInfo(TRegKeyInfo& info) const;

  // False when no key is open or the value is missing or cannot be read.
  bool ValueExists(const std::string& name) const;
  // False when no key is open or the value could not be deleted.
  bool DeleteValue(const std::string& name);

  // Integers and Booleans are REG_DWORD; a Boolean is anything but 0. They raise
  // ERegistryException "Failed to get data for '<name>'" when no key is open, or the value is
  // missing or of another type.
  int ReadInteger(const std::string& name) const;
  bool ReadBool(const std::string& name) const { return ReadInteger(name) != 0; }
  // REG_SZ or REG_EXPAND_SZ (not expanded), up to its first NUL. A missing value reads as
  // empty text; any other type, a value of more than maxBytes bytes, or no open key, raises as
  // above. The size is asked first, so nothing is allocated for an oversized value.
  static constexpr unsigned kMaxStringBytes = 1u << 20;
  std::string ReadString(const std::string& name, unsigned maxBytes = kMaxStringBytes) const;

  // Raise ERegistryException "Failed to set data for '<name>'" when no key is open or the
  // system refuses. Booleans are written as 0 or 1; text as REG_SZ.
  void WriteInteger(const std::string& name, int value);
  void WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }
  void WriteString(const std::string& name, const std::string& value);
  // Text that the ANSI code page may not hold (a path), as REG_SZ through the wide call.
  void WriteString(const std::string& name, const std::wstring& value);

private:
  // The value's type and size in bytes as the system keeps it, without reading its data; false
  // when it is missing or cannot be asked.
  bool Probe(const std::string& name, DWORD& type, DWORD& size, LONG& error) const;
  [[noreturn]] static void ReadFailed(const std::string& name);
  [[noreturn]] static void WriteFailed(const std::string& name);
  HKEY FRootKey = HKEY_CURRENT_USER;
  REGSAM FAccess;
  TRegKey FCurrentKey;
  std::string FCurrentPath;
};
