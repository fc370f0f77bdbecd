#include "app/Taskbar.h"
#include <shellapi.h>
#include "framework/OSError.h"

static_assert(sizeof(void*) != 4 || sizeof(APPBARDATA) == 36, "the application-bar record is 36 bytes");

int TaskbarEdge(RECT& Rect) {
  HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
  if (!tray) RaiseLastOSError();
  APPBARDATA abd{};
  abd.cbSize = sizeof(abd);
  abd.hWnd = tray;
  if (!SHAppBarMessage(ABM_GETTASKBARPOS, &abd)) return -1;
  Rect = abd.rc;
  // Some shells (Wine's) answer with a rectangle one pixel thick; the window beside it would
  // then cover the taskbar and the tray icon. The taskbar's own window knows its size.
  bool across = abd.uEdge == ABE_TOP || abd.uEdge == ABE_BOTTOM;
  LONG thickness = across ? Rect.bottom - Rect.top : Rect.right - Rect.left;
  RECT own{};
  if (thickness <= 1 && GetWindowRect(tray, &own) && (across ? own.bottom - own.top : own.right - own.left) > 1)
    Rect = own;
  return static_cast<int>(abd.uEdge);
}

POINT TaskbarCorner(int edge, const RECT& r, int W, int H, int w, int h) {
  switch (edge) {
    case ABE_LEFT:
      return POINT{r.right, H - h};
    case ABE_TOP:
      return POINT{W - w, r.bottom};
    case ABE_RIGHT:
      return POINT{W - w - (r.right - r.left), H - h};
    case ABE_BOTTOM:
      return POINT{W - w, H - h - (r.bottom - r.top)};
    default:  // unknown: the screen's bottom right
      return POINT{W - w, H - h};
  }
}

namespace {
// Within the monitor itself: right after a change Wine can still report the old work area,
// larger than the new screen.
RECT WorkAreaOf(HWND window) {
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  RECT work{}, screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (monitor && GetMonitorInfoA(monitor, &mi)) {
    work = mi.rcWork;
    screen = mi.rcMonitor;
  } else if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
    work = screen;
  }
  RECT inside{};
  return IntersectRect(&inside, &work, &screen) ? inside : screen;
}

POINT InsideArea(const RECT& r, const RECT& area) {
  POINT p{r.left, r.top};
  if (p.x + (r.right - r.left) > area.right) p.x = area.right - (r.right - r.left);
  if (p.x < area.left) p.x = area.left;
  if (p.y + (r.bottom - r.top) > area.bottom) p.y = area.bottom - (r.bottom - r.top);
  if (p.y < area.top) p.y = area.top;
  return p;
}
}  // namespace

void KeepInsideWorkArea(HWND window) {
  RECT r{};
  if (!GetWindowRect(window, &r)) return;
  POINT p = InsideArea(r, WorkAreaOf(window));
  if (p.x != r.left || p.y != r.top)
    SetWindowPos(window, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
