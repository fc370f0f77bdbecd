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
std::string At(int x, int y) { return "mousemove " + std::to_string(x) + " " + std::to_string(y); }

// Holds the title bar at (x, y) and pulls it to (x + dx, y + dy) in steps. The test prefix drags
// whole windows, so each step is waited for until the window has followed it; a move the
// display lost is sent again, a pixel off and back. Whether every step was followed.
bool DragBy(Driver& d, HWND w, int x, int y, int dx, int dy) {
  const RECT from = WindowRect(w);
  if (!d.Xdo(At(x, y) + " mousedown 1")) return false;
  bool ok = d.WaitUntil([&] { return Driver::InMoveSize(w); }, 10000);
  if (!ok) d.Log("the press on the title bar started no move");
  for (int step = 1; ok && step <= 2; ++step) {
    const int sx = dx * step / 2, sy = dy * step / 2;
    auto followed = [&] { RECT r = WindowRect(w); return r.left == from.left + sx && r.top == from.top + sy; };
    ok = d.Xdo(At(x + sx, y + sy)) && d.WaitUntil(followed, 3000);
    for (int again = 0; !ok && again < 3; ++again) {
      d.Log("the window stands at " + Where(WindowRect(w)) + ": the move is sent again");
      ok = d.Xdo(At(x + sx + 1, y + sy) + " " + At(x + sx, y + sy)) && d.WaitUntil(followed, 3000);
    }
  }
  d.Xdo("mouseup 1");
  return d.WaitUntil([&] { return !Driver::InMoveSize(w); }, 10000) && ok;
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
    // Held on the title bar, 40 pixels in from the left, and pulled up and left.
    int x = home.left + 40, y = home.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    bool moved = DragBy(d, w, x, y, -300, -250) && WindowRect(w).left == home.left - 300;
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
