// Finding a window of another process: the first top-level window (or child of a parent) that
// meets a test. Shared by the end-to-end driver and the benchmarks that drive the program.
#pragma once
#include <windows.h>
#include <functional>

struct TWindowSearch {
  const std::function<bool(HWND)>& test;
  HWND found;
  static BOOL CALLBACK Each(HWND h, LPARAM l) {
    auto* s = reinterpret_cast<TWindowSearch*>(l);
    if (!s->test(h)) return TRUE;
    s->found = h;
    return FALSE;
  }
};

// The first of the top-level windows (parent null) or of parent's descendants for which
// test holds; null when none does.
inline HWND FindWindowWhere(HWND parent, const std::function<bool(HWND)>& test) {
  TWindowSearch search{test, nullptr};
  if (parent)
    EnumChildWindows(parent, TWindowSearch::Each, (LPARAM)&search);
  else
    EnumWindows(TWindowSearch::Each, (LPARAM)&search);
  return search.found;
}

// Whether the window's class has this name (class names ignore case).
inline bool HasClass(HWND h, const char* cls) {
  char name[128] = {};
  GetClassNameA(h, name, sizeof(name));
  return lstrcmpiA(name, cls) == 0;
}

// The process that made the window.
inline DWORD ProcessOf(HWND h) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  return pid;
}
