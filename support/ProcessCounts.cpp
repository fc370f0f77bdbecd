#include "support/ProcessCounts.h"
#include <tlhelp32.h>
#include <vector>

int ProcessThreads() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snap == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 te{};
  te.dwSize = sizeof(te);
  int n = 0;
  if (Thread32First(snap, &te)) do {
      if (te.th32OwnerProcessID == GetCurrentProcessId()) ++n;
    } while (Thread32Next(snap, &te));
  CloseHandle(snap);
  return n;
}

int ProcessHandles() {
  struct Entry {
    ULONG Pid;
    BYTE Type, Flags;
    USHORT Handle;
    PVOID Object;
    ACCESS_MASK Access;
  };
  struct Info {
    ULONG Count;
    Entry Handles[1];
  };
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<Query>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation"));
  if (!query) return -1;
  std::vector<char> buf(1 << 20);
  ULONG len = 0;
  LONG status;
  while ((status = query(16 /* SystemHandleInformation */, buf.data(), (ULONG)buf.size(), &len)) ==
         (LONG)0xC0000004 /* STATUS_INFO_LENGTH_MISMATCH */)
    buf.resize(buf.size() * 2);
  if (status != 0) return -1;
  auto* info = reinterpret_cast<Info*>(buf.data());
  int n = 0;
  for (ULONG i = 0; i < info->Count; ++i)
    if (info->Handles[i].Pid == GetCurrentProcessId()) ++n;
  return n;
}
