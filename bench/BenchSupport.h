// What the benchmarks share: a main window that can run without a display's taskbar.
#pragma once
#include <cstdio>
#include "app/URam.h"
#include "framework/Application.h"

// The headless prefix has no taskbar to stand beside, and an error box would wait for a click
// that never comes: place the window as if the taskbar were at the bottom, and print errors.
inline TVelmorEnvironment HeadlessEnvironment(TApplication& app) {
  app.OnException = [](TObject*, const std::string& m) { fprintf(stderr, "error: %s\n", m.c_str()); };
  TVelmorEnvironment env;
  env.TaskbarEdge = [](RECT& r) {
    r = RECT{0, 738, 1024, 768};
    return (int)ABE_BOTTOM;
  };
  return env;
}
