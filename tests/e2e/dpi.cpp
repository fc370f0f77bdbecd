// Every window at 144 pixels per inch: the shipped program in a prefix whose screen has
// LogPixels 144, each window laid out half as large again as at 96, whole, with a screenshot of
// each for a person to look at.
#include <string>
#include "app/Commands.h"
#include "tests/e2e/Driver.h"

namespace {
std::string Size(int w, int h) { return std::to_string(w) + " x " + std::to_string(h); }

RECT InWindow(HWND child, HWND parent) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Paints what is pending in the program's windows before a screenshot: WM_PAINT is sent to
// each, and the send returns once it is handled.
void PaintNow(HWND w) { RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN); }

}  // namespace

int DpiScenario(Driver& d) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  d.Check(dpi == 144, "the prefix's screen has 144 pixels per inch (is " + std::to_string(dpi) + ")");
  HWND w = StartRestored(d);
  if (!w) return d.Finish();

  RECT c{};
  GetClientRect(w, &c);
  d.Check(c.right == 495 && c.bottom == 399, "the main window's client area is 495 x 399 (is " + Size(c.right, c.bottom) + ")");
  // The menu bar lies between the title bar and the client area.
  RECT outer{};
  GetWindowRect(w, &outer);
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  const int barHeight = origin.y - outer.top - GetSystemMetrics(SM_CYCAPTION) - GetSystemMetrics(SM_CYFIXEDFRAME);
  d.Check(barHeight > 0 && barHeight < 2 * GetSystemMetrics(SM_CYMENU),
          "the menu bar holds its four menus in one row (" + std::to_string(barHeight) + " pixels high)");
  PaintNow(w);
  d.Check(d.Shot("e2e-dpi144-main"), "a screenshot of the main window");

  // The File menu, painted: its rows, icon column and pictures at 144.
  {
    // "File" is the bar's first item: a click 20 pixels in, half a row above the client area.
    d.Mouse(true, origin.x + 20, origin.y - GetSystemMetrics(SM_CYMENU) / 2);
    HWND drop = nullptr;
    d.Check(d.WaitUntil([&] { return (drop = Driver::Shown("#32768")) != nullptr; }, 10000), "File opens its drop-down");
    if (drop) {
      PaintNow(drop);
      d.Check(d.Shot("e2e-dpi144-file-menu"), "a screenshot of the File menu");
      // Closed with a click on the chart, right of the drop-down; a click Wine's desktop now and
      // then swallows is given once more, as a user would.
      bool closed = false;
      for (int attempt = 0; attempt < 2 && !closed; ++attempt) {
        d.Mouse(true, origin.x + 450, origin.y + 285);
        closed = d.WaitUntil([&] { return Driver::Shown("#32768") == nullptr; }, 5000);
      }
      d.Check(closed, "a click beside it closes the drop-down");
    }
  }

  // The tray popup with its painted margin.
  HWND tray = d.FindTopLevel("TTrayIconWindow"), popup = nullptr;
  if (tray) {
    PostMessageA(tray, 0xB054, 0, WM_RBUTTONDOWN);
    PostMessageA(tray, 0xB054, 0, WM_RBUTTONUP);
  }
  d.Check(d.WaitUntil([&] { return (popup = Driver::Shown("#32768")) != nullptr; }, 10000), "the tray icon opens its popup");
  if (popup) {
    PaintNow(popup);
    d.Check(d.Shot("e2e-dpi144-tray-menu"), "a screenshot of the tray popup");
    PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    d.WaitUntil([&] { return !Driver::Shown("#32768"); }, 10000);
  }

  HWND about = d.FindTopLevel("TfrmAbout");
  PostMessageA(w, WM_COMMAND, cmAbout, 0);
  d.Check(about && d.WaitUntil([&] { return IsWindowVisible(about) != FALSE; }, 15000), "Help > About shows it");
  if (about && IsWindowVisible(about)) {
    RECT r{};
    GetWindowRect(about, &r);
    d.Check(r.right - r.left == 489 && r.bottom - r.top == 350, "About is 489 x 350 (is " + Size(r.right - r.left, r.bottom - r.top) + ")");
    HWND thanks = d.FindChild(about, "TOvColorBtn", "Thanks!");
    PaintNow(about);
    d.Check(d.Shot("e2e-dpi144-about"), "a screenshot of About");
    if (thanks) PostMessageA(thanks, BM_CLICK, 0, 0);
    d.Check(d.WaitUntil([&] { return !IsWindowVisible(about); }, 15000), "Thanks! closes it");
  }

  HWND viewer = d.FindTopLevel("TFrmReadMe");
  d.Check(viewer && d.WaitUntil([&] { return IsWindowEnabled(w) != FALSE; }, 15000), "the main window is usable again");
  PostMessageA(w, WM_COMMAND, cmReadme, 0);
  d.Check(viewer && d.WaitUntil([&] { return IsWindowVisible(viewer) != FALSE; }, 15000), "Help > Read me shows the viewer");
  if (viewer && IsWindowVisible(viewer)) {
    RECT r{};
    GetWindowRect(viewer, &r);
    d.Check(r.right - r.left == 828 && r.bottom - r.top == 599, "the viewer is 828 x 599 (is " + Size(r.right - r.left, r.bottom - r.top) + ")");
    HWND ok = d.FindChild(viewer, "Button", "OK");
    RECT b = ok ? InWindow(ok, viewer) : RECT{};
    d.Check(ok && b.right - b.left == 113 && b.bottom - b.top == 38, "its OK button is 113 x 38 (is " + Size(b.right - b.left, b.bottom - b.top) + ")");
    PaintNow(viewer);
    d.Check(d.Shot("e2e-dpi144-readme"), "a screenshot of the viewer");
    if (ok) PostMessageA(ok, BM_CLICK, 0, 0);
    d.Check(d.WaitUntil([&] { return !IsWindowVisible(viewer); }, 15000), "OK closes the viewer");
  }
  d.WaitUntil([&] { return IsWindowEnabled(w) != FALSE; }, 15000);
  PostMessageA(w, WM_COMMAND, cmQuit, 0);
  d.Check(d.WaitForExit(30000), "Quit ends the process");
  return d.Finish();
}
