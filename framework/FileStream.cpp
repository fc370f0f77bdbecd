#include "framework/FileStream.h"
#include "framework/Classes.h"
#include "framework/Paths.h"

TFileStream::TFileStream(const std::wstring& path) {
  // Without FILE_FLAG_BACKUP_SEMANTICS a folder does not open, so only a file gets through.
  FHandle.Reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!FHandle) throw Exception("Cannot open file " + AnsiOf(path));
}

bool TFileStream::Read(void* buf, uint32_t count, uint32_t& done) {
  done = 0;
  if (count == 0) return true;
  DWORD n = 0;
  if (!ReadFile(FHandle.Get(), buf, count, &n, nullptr)) return false;
  done = n > count ? count : n;
  return true;
}

std::string TFileStream::ReadAll() {
  std::string all;
  char buf[64 * 1024];
  for (;;) {
    uint32_t n = 0;
    if (!Read(buf, sizeof(buf), n)) throw Exception("Failed to Load Stream");
    if (n == 0) return all;
    all.append(buf, n);
  }
}
