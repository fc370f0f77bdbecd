// The memory in use drawn in the tray icon: switched on from a first start, the icon in the tray
// corner shows the figure the system reports; Quit stores the option and the next start shows the
// figure again; switched off, the program's own icon is back.
#include <windows.h>
#include <cstdlib>
#include <string>
#include <vector>
#include "app/Commands.h"
#include "tests/FigureDigits.h"
#include "tests/e2e/Driver.h"

namespace {

// The figure icon's own colours (components/FigureIcon.h): its edge, its fill and its digits.
const COLORREF kEdge = RGB(0, 128, 192), kBack = RGB(0, 64, 112), kInk = RGB(255, 255, 255);

// What the screen shows of the taskbar, pixel by pixel.
struct TTaskbarPixels {
  RECT r{};
  int w = 0, h = 0;
  std::vector<COLORREF> px;
  TTaskbarPixels() {
    HWND bar = FindWindowA("Shell_TrayWnd", nullptr);
    if (!bar || !GetWindowRect(bar, &r)) return;
    w = r.right - r.left, h = r.bottom - r.top;
    BITMAPINFO bi{};
    bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr), mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    for (int i = 0; i < w * h; ++i) {
      DWORD p = static_cast<DWORD*>(bits)[i];
      px.push_back(RGB(p >> 16 & 255, p >> 8 & 255, p & 255));
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
  }
  COLORREF At(int x, int y) const { return x < 0 || y < 0 || x >= w || y >= h ? CLR_INVALID : px[y * w + x]; }
};

// The figure icon found on the taskbar: the box of its edge colour, and the digits inside it.
struct TFound {
  RECT box{};  // screen coordinates
  std::string digits;
  bool Shown() const { return box.right > box.left; }
};

TFound FindFigure() {
  TTaskbarPixels t;
  TFound f;
  int l = t.w, top = t.h, r = -1, b = -1;
  for (int y = 0; y < t.h; ++y)
    for (int x = 0; x < t.w; ++x)
      if (t.At(x, y) == kEdge && (t.At(x + 1, y) == kBack || t.At(x, y + 1) == kBack || t.At(x - 1, y) == kBack ||
                                  t.At(x, y - 1) == kBack))
        l = std::min(l, x), top = std::min(top, y), r = std::max(r, x), b = std::max(b, y);
  if (r < 0) return f;
  f.box = RECT{t.r.left + l, t.r.top + top, t.r.left + r + 1, t.r.top + b + 1};
  f.digits = ReadFigureDigits([&](int x, int y) { return t.At(l + x, top + y) == kInk; }, r - l + 1, b - top + 1);
  return f;
}

int InUseNow() {
  MEMORYSTATUSEX m{};
  m.dwLength = sizeof(m);
  GlobalMemoryStatusEx(&m);
  return m.ullTotalPhys ? (int)(((m.ullTotalPhys - m.ullAvailPhys) * 100 + m.ullTotalPhys / 2) / m.ullTotalPhys) : 0;
}

// The figure read on the taskbar, close to what the system reports now (other programs come and
// go between the two looks).
bool ShowsTheFigure(TFound& f) {
  f = FindFigure();
  if (!f.Shown() || f.digits.empty() || f.digits.find('?') != std::string::npos) return false;
  return std::abs(std::stoi(f.digits) - InUseNow()) <= 2;
}

std::string Where(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

HWND StartToTheTray(Driver& d) {
  d.Check(d.Start(), "velmor.exe starts");
  if (!d.MainWindow()) return nullptr;
  d.Check(d.WaitUntil([&] { return d.FindTopLevel("TTrayIconWindow") != nullptr; }), "the tray icon is there");
  return d.MainWindow();
}

}  // namespace

int TrayFigureScenario(Driver& d) {
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Tolvane\\Velmor");
  HWND w = StartToTheTray(d);
  if (!w) return d.Finish();
  d.Check(d.WaitUntil([&] { return !IsWindowVisible(w); }), "start-up ends in the tray");
  d.Check(!FindFigure().Shown(), "off by default: the program's own icon");

  PostMessageA(w, WM_COMMAND, cmMemoryIcon, 0);
  TFound f;
  bool shown = d.WaitUntil([&] { return ShowsTheFigure(f); });
  d.Check(shown, "switched on, the tray icon reads " + f.digits + " % in use (the system: " + std::to_string(InUseNow()) +
                     ")");
  const int side = GetSystemMetrics(SM_CXSMICON);
  d.Check(f.box.right - f.box.left == side && f.box.bottom - f.box.top == GetSystemMetrics(SM_CYSMICON),
          "drawn at the shell's small-icon size, " + std::to_string(side) + " px: " + Where(f.box));
  RECT bar{};
  GetWindowRect(FindWindowA("Shell_TrayWnd", nullptr), &bar);
  d.Check(f.box.left > (bar.left + bar.right) / 2, "in the tray corner, at the right of the taskbar");
  d.Shot("e2e-trayfigure-on");

  PostMessageA(w, WM_COMMAND, cmQuit, 0);
  d.Check(d.WaitForExit(30000), "Quit ends the process");
  d.Check(StoredSetting("IconaMem") == "1", "IconaMem = 1 (is " + StoredSetting("IconaMem") + ")");

  w = StartToTheTray(d);
  if (!w) return d.Finish();
  shown = d.WaitUntil([&] { return ShowsTheFigure(f); });
  d.Check(shown, "the next start shows the figure again: " + f.digits);
  PostMessageA(w, WM_COMMAND, cmMemoryIcon, 0);
  d.Check(d.WaitUntil([&] { return !FindFigure().Shown(); }), "switched off, the program's own icon is back");
  d.Shot("e2e-trayfigure-off");
  PostMessageA(w, WM_COMMAND, cmQuit, 0);
  d.Check(d.WaitForExit(30000), "Quit ends the process");
  d.Check(StoredSetting("IconaMem") == "0", "IconaMem = 0 (is " + StoredSetting("IconaMem") + ")");
  return d.Finish();
}
