// Start-up to the tray: the time from starting velmor.exe until its icon reaches the shell
// (the icon's NIM_ADD), against the minimal tray program's time to the same point, in one run.
// This program is the shell: it owns the window Shell_NotifyIcon talks to ("Shell_TrayWnd"),
// starts each program, notes when the add arrives, and ends the program again.
// Usage: startup_bench.exe [velmor.exe], the program's path (default: the VELMOR_EXE variable).
#include <windows.h>
#include <shellapi.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include "bench/Clock.h"

namespace {

DWORD gWaitingFor = 0;  // the process whose add is awaited
double gAddedAt = 0;

// Wine's shell32 sends each call as WM_COPYDATA with the call (NIM_ADD, ...) in dwData; Windows'
// own sends 1 there and the call inside the record, after a signature.
DWORD CallOf(const COPYDATASTRUCT* cds) {
  if (cds->dwData == 1 && cds->cbData >= 8 && *static_cast<const DWORD*>(cds->lpData) == 0x34753423)
    return static_cast<const DWORD*>(cds->lpData)[1];
  return (DWORD)cds->dwData;
}

LRESULT CALLBACK TrayProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_COPYDATA) {
    DWORD pid = 0;
    GetWindowThreadProcessId((HWND)w, &pid);
    if (CallOf(reinterpret_cast<const COPYDATASTRUCT*>(l)) == NIM_ADD && pid == gWaitingFor && !gAddedAt)
      gAddedAt = Now();
    return TRUE;
  }
  return DefWindowProcA(h, m, w, l);
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Seconds from CreateProcess to the program's NIM_ADD; -1 when it never came, -2 when the
// program could not be started at all.
double StartToTray(const std::string& exe) {
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  std::string cmd = "\"" + exe + "\"", dir = FolderOf(exe);
  gAddedAt = 0;
  double t0 = Now();
  if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                      dir.empty() ? nullptr : dir.c_str(), &si, &pi))
    return -2;
  gWaitingFor = pi.dwProcessId;  // known before the program can call the shell
  ResumeThread(pi.hThread);
  while (!gAddedAt && Now() - t0 < 30) {
    DWORD r = MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 100, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (r == WAIT_OBJECT_0) break;  // it ended first
  }
  double took = gAddedAt ? gAddedAt - t0 : -1;
  TerminateProcess(pi.hProcess, 0);  // nothing of it is kept: no settings written, no icon left
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  gWaitingFor = 0;
  return took;
}

}  // namespace

int main(int argc, char** argv) {
  const char* env = getenv("VELMOR_EXE");
  std::string velmor = argc > 1 ? argv[1] : env ? env : "";
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string mini = FolderOf(self) + "\\mini_tray.exe";
  if (velmor.empty()) {
    printf("start-up: no velmor.exe named (argument or VELMOR_EXE)\n");
    return 1;
  }
  if (FindWindowA("Shell_TrayWnd", nullptr)) {
    printf("start-up: a shell's tray is already there; run this where there is none\n");
    return 1;
  }
  WNDCLASSA wc{};
  wc.lpfnWndProc = TrayProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "Shell_TrayWnd";
  RegisterClassA(&wc);
  // Where a taskbar would be, so that Velmor finds its corner without an error box.
  HWND tray = CreateWindowExA(WS_EX_TOOLWINDOW, "Shell_TrayWnd", "", WS_POPUP, 0, 738, 1024, 30, nullptr, nullptr,
                              wc.hInstance, nullptr);
  if (!tray) {
    printf("start-up: cannot make the tray window\n");
    return 1;
  }
  // A first start of each fills the caches; then alternate, and keep the best of each.
  const int rounds = 15;
  double v = 1e9, m = 1e9;
  for (int r = 0; r <= rounds; ++r) {
    double a = StartToTray(velmor), b = StartToTray(mini);
    if (a < 0 || b < 0) {
      const std::string& which = a < 0 ? velmor : mini;
      if ((a < 0 ? a : b) == -2)
        printf("start-up: cannot start %s (error %lu)\n", which.c_str(), GetLastError());
      else
        printf("start-up: %s never added its tray icon\n", which.c_str());
      return 1;
    }
    if (r == 0) continue;
    v = std::min(v, a);
    m = std::min(m, b);
  }
  printf("start-up to the tray icon: velmor.exe %.0f ms, minimal tray program %.0f ms, ratio %.2f (target <= 1.5)\n",
         v * 1e3, m * 1e3, v / m);
  DestroyWindow(tray);
  return 0;
}
