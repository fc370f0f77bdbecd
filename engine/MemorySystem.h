// What the engine and the monitor need of the system's memory: the physical figures, and 1 MB
// blocks to commit and release. The default is the Win32 calls; tests put in their own.
#pragma once
#include <cstddef>
#include <cstdint>

struct TMemoryStatus {
  uint64_t TotalPhys = 0;  // bytes
  uint64_t AvailPhys = 0;  // bytes
};

class IMemorySystem {
public:
  virtual ~IMemorySystem() = default;
  // Sampled anew at every call.
  virtual TMemoryStatus Status() = 0;
  // A committed read/write, uncached block of the given size; nullptr when the system refuses.
  virtual void* CommitBlock(size_t bytes) = 0;
  virtual void ReleaseBlock(void* block) = 0;
};

// GlobalMemoryStatusEx (GlobalMemoryStatus clamps both figures to 2 GB - 1 in a 32-bit process
// on any machine with more memory), VirtualAlloc and VirtualFree.
IMemorySystem& Win32MemorySystem();
