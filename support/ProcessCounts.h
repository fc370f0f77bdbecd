// What this process holds, for the tests and the benchmarks alike, counted in ways that work
// under Wine too, where GetProcessHandleCount, the private-usage figure of GetProcessMemoryInfo
// and GetGuiResources answer 0.
#pragma once
#include <windows.h>
#include <cstddef>

// Committed private memory: the committed pages of every private region of the address space.
inline size_t CommittedPrivateBytes() {
  size_t total = 0;
  MEMORY_BASIC_INFORMATION mbi{};
  for (char* p = nullptr; VirtualQuery(p, &mbi, sizeof(mbi)) == sizeof(mbi);) {
    if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) total += mbi.RegionSize;
    char* next = static_cast<char*>(mbi.BaseAddress) + mbi.RegionSize;
    if (next <= p) break;
    p = next;
  }
  return total;
}

// Open kernel handles: the handle values (multiples of 4) the system knows, up to a bound far
// above what this program uses.
inline int OpenHandles() {
  int n = 0;
  DWORD flags;
  for (ULONG_PTR h = 4; h < 0x20000; h += 4)
    if (GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags)) ++n;
  return n;
}

// Threads of this process, from the system's snapshot.
int ProcessThreads();
// Handles of this process, from the system's handle table (GetProcessHandleCount is a stub
// under Wine).
int ProcessHandles();
