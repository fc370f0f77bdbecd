#include "framework/Handles.h"
#include <process.h>

THandle StartThread(unsigned(__stdcall* entry)(void*), void* arg) {
  return THandle(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, entry, arg, 0, nullptr)));
}

void JoinThread(const THandle& thread) {
  if (!thread) return;
  HANDLE h = thread.Get();
  for (;;) {
    DWORD r = MsgWaitForMultipleObjects(1, &h, FALSE, INFINITE, QS_SENDMESSAGE);
    if (r != WAIT_OBJECT_0 + 1) break;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}
