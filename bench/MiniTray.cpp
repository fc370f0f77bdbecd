// The smallest tray program there is: one icon and a one-second timer that rewrites its tooltip.
// The idle benchmark measures Velmor's resident memory against this one's.
#include <windows.h>
#include <shellapi.h>
#include <cstdio>

namespace {
NOTIFYICONDATAA nid{};

LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_TIMER) {
    MEMORYSTATUSEX ms{};
    ms.dwLength = sizeof(ms);
    GlobalMemoryStatusEx(&ms);
    snprintf(nid.szTip, sizeof(nid.szTip), "mini %llu", (unsigned long long)(ms.ullAvailPhys >> 20));
    nid.uFlags = NIF_TIP;
    Shell_NotifyIconA(NIM_MODIFY, &nid);
    return 0;
  }
  if (m == WM_DESTROY) {
    Shell_NotifyIconA(NIM_DELETE, &nid);
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(h, m, w, l);
}
}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = inst;
  wc.lpszClassName = "MiniTray";
  RegisterClassA(&wc);
  HWND h = CreateWindowExA(0, "MiniTray", "MiniTray", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, inst, nullptr);
  nid.cbSize = sizeof(nid);
  nid.hWnd = h;
  nid.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
  nid.uCallbackMessage = WM_APP;
  nid.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  lstrcpyA(nid.szTip, "mini");
  Shell_NotifyIconA(NIM_ADD, &nid);
  SetTimer(h, 1, 1000, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
