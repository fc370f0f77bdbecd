#include "framework/FileStream.h"
#include <algorithm>
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

std::string TFileStream::ReadAll(size_t limit) {
  std::string all;
  char buf[64 * 1024];
  while (all.size() < limit) {
    uint32_t n = 0;
    size_t want = std::min(sizeof(buf), limit - all.size());
    if (!Read(buf, (uint32_t)want, n)) throw Exception("Failed to Load Stream");
    if (n == 0) break;
    all.append(buf, n);
  }
  return all;
}
