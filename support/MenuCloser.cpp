#include "support/MenuCloser.h"
#include <windows.h>

namespace {
LRESULT CALLBACK CloserProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_APP) {
    EndMenu();
    return 0;
  }
  return DefWindowProcA(h, m, w, l);
}
}  // namespace

void CloseMenuSoon() {
  static HWND closer = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = CloserProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TTestMenuCloser";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "TTestMenuCloser", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
  }();
  PostMessageA(closer, WM_APP, 0, 0);
}
