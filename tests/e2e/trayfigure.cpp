// The memory in use drawn in the tray icon: switched on from a first start, the tray corner shows
// the figure icon at the shell's small-icon size; Quit stores the option.
#include <windows.h>
#include <algorithm>
#include <string>
#include "app/Commands.h"
#include "tests/e2e/Driver.h"

namespace {
// The box the figure icon's edge colour (components/FigureIcon.h) takes in the tray corner, around
// its fill, in screen coordinates; empty when it is not there.
RECT FigureInTheTray() {
  const COLORREF edge = RGB(0, 128, 192), fill = RGB(0, 64, 112);
  RECT bar{}, box{};
  GetWindowRect(FindWindowA("Shell_TrayWnd", nullptr), &bar);
  HDC screen = GetDC(nullptr);
  int l = bar.right, t = bar.bottom, r = -1, b = -1;
  for (int y = bar.top; y < bar.bottom; ++y)
    for (int x = bar.right - 64; x < bar.right; ++x)
      if (GetPixel(screen, x, y) == edge) l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
  if (r > l + 1 && GetPixel(screen, l + 1, t + 1) == fill) box = RECT{l, t, r + 1, b + 1};
  ReleaseDC(nullptr, screen);
  return box;
}
}  // namespace

int TrayFigureScenario(Driver& d) {
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Tolvane\\Velmor");
  d.Check(d.Start(), "velmor.exe starts");
  HWND w = d.MainWindow();
  if (!w) return d.Finish();
  d.Check(d.WaitUntil([&] { return d.FindTopLevel("TTrayIconWindow") && !IsWindowVisible(w); }), "in the tray");
  PostMessageA(w, WM_COMMAND, cmMemoryIcon, 0);
  RECT box{};
  // Waited for whole: the tray may be caught halfway through its repaint.
  bool shown = d.WaitUntil([&] {
    box = FigureInTheTray();
    return box.right - box.left == GetSystemMetrics(SM_CXSMICON) && box.bottom - box.top == GetSystemMetrics(SM_CYSMICON);
  });
  d.Check(shown, "switched on, the figure icon at the small-icon size: " + std::to_string(box.right - box.left) + " x " +
                     std::to_string(box.bottom - box.top) + " px");
  d.Shot("e2e-trayfigure-on");
  PostMessageA(w, WM_COMMAND, cmQuit, 0);
  d.Check(d.WaitForExit(30000), "Quit ends the process");
  d.Check(StoredSetting("IconaMem") == "1", "IconaMem = 1 (is " + StoredSetting("IconaMem") + ")");
  return d.Finish();
}
