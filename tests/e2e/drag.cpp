// The window dragged away by its title bar comes back beside the taskbar on Restore.
#include "tests/e2e/Driver.h"
#include "app/Commands.h"

namespace {
RECT WindowRect(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}
std::string Where(const RECT& r) {
  char s[32];
  wsprintfA(s, "(%d,%d)", (int)r.left, (int)r.top);
  return s;
}
}  // namespace

// Restore while shown, by the tray icon's double click, and after Hide: both bring it back.
int DragScenario(Driver& d) {
  HWND w = StartRestored(d);
  if (!w) return d.Finish();
  d.Settled();
  const RECT home = WindowRect(w);
  for (bool hideFirst : {false, true}) {
    const std::string how = hideFirst ? "hidden, then restored" : "restored while shown";
    // Held on the title bar, 40 pixels in from the left, and pulled up and left in steps.
    int x = home.left + 40, y = home.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    d.Xdo("mousemove " + std::to_string(x) + " " + std::to_string(y) + " mousedown 1 sleep 0.3 mousemove " +
          std::to_string(x - 150) + " " + std::to_string(y - 100) + " sleep 0.3 mousemove " + std::to_string(x - 300) +
          " " + std::to_string(y - 250) + " sleep 0.5 mouseup 1");
    bool moved = d.WaitUntil([&] { return WindowRect(w).left <= home.left - 250; }, 10000);
    d.Check(moved, "the title bar drags the window away, to " + Where(WindowRect(w)) + " from " + Where(home));
    if (!moved) break;
    d.Shot(hideFirst ? "e2e-drag-away-2" : "e2e-drag-away-1");
    if (hideFirst) {
      PostMessageA(w, WM_COMMAND, cmHide, 0);
      d.Check(d.WaitUntil([&] { return !IsWindowVisible(w); }, 10000), "Hide puts the window in the tray");
    }
    RestoreWindow(d);
    bool back = d.WaitUntil([&] { RECT r = WindowRect(w); return r.left == home.left && r.top == home.top; }, 10000);
    d.Check(back && IsWindowVisible(w), how + ": back beside the taskbar at " + Where(WindowRect(w)));
    d.Shot(hideFirst ? "e2e-drag-back-2" : "e2e-drag-back-1");
  }
  PostMessageA(w, WM_COMMAND, cmQuit, 0);
  d.Check(d.WaitForExit(30000), "Quit ends the process");
  return d.Finish();
}
