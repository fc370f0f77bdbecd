// The screen changes under the shown window: the resolution drops from 1024 x 768 to 800 x 600.
// In its corner, the window goes to the new corner; moved elsewhere, it is moved just enough to
// lie inside the work area.
#include "tests/e2e/Driver.h"
#include "app/Commands.h"

namespace {
RECT Outer(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}
std::string Where(const RECT& r) {
  char s[64];
  wsprintfA(s, "(%d,%d)-(%d,%d)", (int)r.left, (int)r.top, (int)r.right, (int)r.bottom);
  return s;
}
bool Resolution(int width, int height) {
  DEVMODEA dm{};
  dm.dmSize = sizeof(dm);
  dm.dmPelsWidth = width;
  dm.dmPelsHeight = height;
  dm.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  return ChangeDisplaySettingsA(&dm, 0) == DISP_CHANGE_SUCCESSFUL;
}
RECT WorkArea() {
  RECT r{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}
}  // namespace

int ScreenScenario(Driver& d) {
  HWND w = StartRestored(d);
  if (!w) return d.Finish();
  const RECT home = Outer(w);
  d.Check(home.right == 1024, "restored in the corner at " + Where(home));

  d.Check(Resolution(800, 600), "the resolution drops to 800 x 600");
  bool corner = d.WaitUntil([&] { RECT r = Outer(w); return r.right == 800 && r.bottom <= 600 && r.bottom > 500; }, 15000);
  d.Check(corner, "in its corner, it goes to the new corner: " + Where(Outer(w)));
  Sleep(300);
  d.Shot("e2e-screen-corner");

  // Put elsewhere, to be cut by the new right and bottom edges, and the resolution changes again.
  d.Check(Resolution(1024, 768), "back to 1024 x 768");
  SetWindowPos(w, nullptr, 600, 350, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  d.Check(d.WaitUntil([&] { return Outer(w).left == 600; }, 10000), "moved away to " + Where(Outer(w)));
  d.Check(Resolution(800, 600), "the resolution drops again");
  bool inside = d.WaitUntil([&] {
    RECT r = Outer(w), a = WorkArea();
    return r.right == 800 && r.bottom == (a.bottom < 600 ? a.bottom : 600);
  }, 15000);
  d.Check(inside, "elsewhere, it is moved just enough to lie inside the screen " + Where(WorkArea()) + ": " +
                      Where(Outer(w)));
  Sleep(300);
  d.Shot("e2e-screen-elsewhere");

  ChangeDisplaySettingsA(nullptr, 0);
  PostMessageA(w, WM_COMMAND, cmQuit, 0);
  d.Check(d.WaitForExit(30000), "Quit ends the process");
  return d.Finish();
}
