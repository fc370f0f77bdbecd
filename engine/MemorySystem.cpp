#include "engine/MemorySystem.h"
#include <windows.h>

namespace {
class TWin32MemorySystem : public IMemorySystem {
public:
  TMemoryStatus Status() override {
    MEMORYSTATUSEX m{};
    m.dwLength = sizeof(m);
    TMemoryStatus s;
    if (GlobalMemoryStatusEx(&m)) {
      s.TotalPhys = m.ullTotalPhys;
      s.AvailPhys = m.ullAvailPhys;
    }
    return s;
  }
  void* CommitBlock(size_t bytes) override {
    return VirtualAlloc(nullptr, bytes, MEM_COMMIT, PAGE_READWRITE | PAGE_NOCACHE);
  }
  void ReleaseBlock(void* block) override { VirtualFree(block, 0, MEM_RELEASE); }
};
}  // namespace

IMemorySystem& Win32MemorySystem() {
  static TWin32MemorySystem sys;
  return sys;
}
