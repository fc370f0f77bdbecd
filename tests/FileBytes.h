// A whole file as bytes, read or written as they are: no line-end or code-page translation.
// Shared by the tests, the end-to-end driver and the benchmarks.
#pragma once
#include <windows.h>
#include <string>

// The file's bytes; empty when it cannot be opened.
inline std::string ReadFileBytes(const std::string& path) {
  std::string all;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return all;
  char buf[65536];
  DWORD n = 0;
  while (ReadFile(h, buf, sizeof(buf), &n, nullptr) && n) all.append(buf, n);
  CloseHandle(h);
  return all;
}

// Makes the file anew with these bytes; false when it cannot be made or written whole.
inline bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  bool ok = WriteFile(h, bytes.data(), (DWORD)bytes.size(), &done, nullptr) && done == bytes.size();
  CloseHandle(h);
  return ok;
}
