// Every window at 144 pixels per inch: the shipped program in a prefix whose screen has
// LogPixels 144, each window laid out half as large again as at 96, whole, with a screenshot of
// each for a person to look at.
#include <string>
#include "app/Commands.h"
#include "tests/e2e/Driver.h"

namespace {
std::string Size(const RECT& r) { return std::to_string(r.right - r.left) + " x " + std::to_string(r.bottom - r.top); }

// Paints what is pending in a window before a screenshot: WM_PAINT is sent to it and its
// children, and each send returns once it is handled.
void PaintNow(HWND w) { RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN); }

// A Help window: shown by its command at its size, photographed, closed by its button.
void HelpWindow(Driver& d, HWND main, UINT command, const char* cls, const std::string& size, const char* button,
                const char* button_cls, const std::string& shot) {
  HWND h = d.FindTopLevel(cls);
  d.Check(d.WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }, 15000), "the main window takes commands");
  PostMessageA(main, WM_COMMAND, command, 0);
  if (!h || !d.WaitUntil([&] { return IsWindowVisible(h) != FALSE; }, 15000)) return d.Check(false, std::string(cls) + " shows");
  RECT r{};
  GetWindowRect(h, &r);
  d.Check(Size(r) == size, std::string(cls) + " is " + size + " (is " + Size(r) + ")");
  PaintNow(h);
  d.Check(d.Shot(shot), "a screenshot of " + std::string(cls));
  if (HWND b = d.FindChild(h, button_cls, button)) PostMessageA(b, BM_CLICK, 0, 0);
  d.Check(d.WaitUntil([&] { return !IsWindowVisible(h); }, 15000), std::string(button) + " closes it");
}
}  // namespace

int DpiScenario(Driver& d) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  d.Check(dpi == 144, "the prefix's screen has 144 pixels per inch (is " + std::to_string(dpi) + ")");
  HWND w = StartRestored(d);
  if (!w) return d.Finish();

  RECT c{}, outer{};
  GetClientRect(w, &c);
  d.Check(Size(c) == "495 x 399", "the main window's client area is 495 x 399 (is " + Size(c) + ")");
  // The menu bar lies between the title bar and the client area.
  GetWindowRect(w, &outer);
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  const int bar = origin.y - outer.top - GetSystemMetrics(SM_CYCAPTION) - GetSystemMetrics(SM_CYFIXEDFRAME);
  d.Check(bar > 0 && bar < 2 * GetSystemMetrics(SM_CYMENU), "the menu bar is one row (" + std::to_string(bar) + " pixels)");
  PaintNow(w);
  d.Check(d.Shot("e2e-dpi144-main"), "a screenshot of the main window");

  // The painted File menu: "File" is the bar's first item, 20 pixels in.
  d.Mouse(true, origin.x + 20, origin.y - GetSystemMetrics(SM_CYMENU) / 2);
  HWND drop = nullptr;
  d.Check(d.WaitUntil([&] { return (drop = Driver::Shown("#32768")) != nullptr; }, 10000), "File opens its drop-down");
  if (drop) {
    PaintNow(drop);
    d.Check(d.Shot("e2e-dpi144-file-menu"), "a screenshot of the File menu");
    // A click on the chart beside it closes it; one Wine's desktop swallows is given again.
    bool closed = false;
    for (int attempt = 0; attempt < 2 && !closed; ++attempt)
      d.Mouse(true, origin.x + 450, origin.y + 285), closed = d.WaitUntil([&] { return !Driver::Shown("#32768"); }, 5000);
    d.Check(closed, "a click beside it closes it");
  }
  HelpWindow(d, w, cmAbout, "TfrmAbout", "489 x 350", "Thanks!", "TOvColorBtn", "e2e-dpi144-about");
  HelpWindow(d, w, cmReadme, "TFrmReadMe", "828 x 599", "OK", "Button", "e2e-dpi144-readme");
  PostMessageA(w, WM_COMMAND, cmQuit, 0);
  d.Check(d.WaitForExit(30000), "Quit ends the process");
  return d.Finish();
}
