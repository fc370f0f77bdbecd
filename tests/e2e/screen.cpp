// The screen changes under the shown window: the resolution drops from 1024 x 768 to 800 x 600, or
// the work area changes. In its corner, the window goes to the new corner; moved elsewhere, it is
// moved just enough to lie inside the screen.
#include "tests/e2e/Driver.h"
#include "app/Commands.h"

namespace {
std::string Where(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  char s[64];
  wsprintfA(s, "(%d,%d)-(%d,%d)", (int)r.left, (int)r.top, (int)r.right, (int)r.bottom);
  return s;
}
bool Resolution(Driver& d, int width, int height) {
  DEVMODEA dm{};
  dm.dmSize = sizeof(dm);
  dm.dmPelsWidth = width, dm.dmPelsHeight = height, dm.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  bool done = ChangeDisplaySettingsA(&dm, 0) == DISP_CHANGE_SUCCESSFUL;
  d.Check(done, "the resolution becomes " + std::to_string(width) + " x " + std::to_string(height));
  return done;
}
// The window's outer rectangle reaches these edges (a negative value: not that edge).
bool At(HWND w, LONG left, LONG top, LONG right, LONG bottom) {
  RECT r{};
  GetWindowRect(w, &r);
  return (left < 0 || r.left == left) && (top < 0 || r.top == top) && (right < 0 || r.right == right) &&
         (bottom < 0 || r.bottom == bottom);
}
}  // namespace

int ScreenScenario(Driver& d) {
  HWND w = StartRestored(d);
  if (!w) return d.Finish();
  d.Check(At(w, -1, -1, 1024, 748), "restored in the corner above the 20-pixel taskbar at " + Where(w));
  if (!Resolution(d, 800, 600)) return d.Finish();
  d.Check(d.WaitUntil([&] { return At(w, -1, -1, 800, 580); }, 15000), "to the new corner: " + Where(w));
  RedrawWindow(w, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);  // what it painted, before the shot
  d.Shot("e2e-screen-corner");
  // Put where the new right and bottom edges cut it, and the resolution drops again.
  Resolution(d, 1024, 768);
  SetWindowPos(w, nullptr, 600, 350, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Resolution(d, 800, 600);
  d.Check(d.WaitUntil([&] { return At(w, -1, -1, 800, 600); }, 15000), "elsewhere, just inside the screen: " + Where(w));
  RedrawWindow(w, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  d.Shot("e2e-screen-elsewhere");
  // Beyond the top left, and the work area changes (the taskbar moved).
  SetWindowPos(w, nullptr, -100, -50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  DWORD_PTR answer = 0;  // sent, not posted: the system posts no message that may carry a text
  SendMessageTimeoutA(w, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0, SMTO_NORMAL, 10000, &answer);
  d.Check(d.WaitUntil([&] { return At(w, 0, 0, -1, -1); }, 15000), "a work-area change brings it in: " + Where(w));
  // So it does the About window, shown beyond the right bottom.
  HWND about = d.FindTopLevel("TfrmAbout");
  PostMessageA(w, WM_COMMAND, cmAbout, 0);
  d.Check(about && d.WaitUntil([&] { return IsWindowVisible(about) != FALSE; }, 15000), "Help > About shows it");
  if (!about) return d.Finish();
  SetWindowPos(about, nullptr, 700, 500, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageTimeoutA(w, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0, SMTO_NORMAL, 10000, &answer);
  d.Check(d.WaitUntil([&] { return At(about, -1, -1, 800, 600); }, 15000), "and the About window: " + Where(about));
  PostMessageA(about, WM_CLOSE, 0, 0);
  d.Check(d.WaitUntil([&] { return !IsWindowVisible(about); }, 15000), "the About window closes");
  ChangeDisplaySettingsA(nullptr, 0);
  PostMessageA(w, WM_COMMAND, cmQuit, 0);
  d.Check(d.WaitForExit(30000), "Quit ends the process");
  return d.Finish();
}
