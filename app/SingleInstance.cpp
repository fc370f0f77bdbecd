#include "app/SingleInstance.h"
#include "app/Commands.h"

TSingleInstance::TSingleInstance(const wchar_t* name) : FMutex(CreateMutexW(nullptr, FALSE, name)) {
  FAnother = FMutex && GetLastError() == ERROR_ALREADY_EXISTS;
}

bool RestoreRunningCopy(DWORD limitMs) {
  const DWORD start = GetTickCount();
  HWND w = nullptr;
  // The first copy may still be on its way up: its mutex comes before its window.
  while (!(w = FindWindowA("TfrmVelmor", nullptr))) {
    if (GetTickCount() - start >= limitMs) return false;
    Sleep(100);
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  // This start came from the user, so it may hand the foreground on to the running copy.
  AllowSetForegroundWindow(pid);
  DWORD_PTR result = 0;
  SendMessageTimeoutA(w, WM_COMMAND, MAKEWPARAM(cmRestore, 0), 0, SMTO_ABORTIFHUNG, 2000, &result);
  SetForegroundWindow(w);
  return true;
}
