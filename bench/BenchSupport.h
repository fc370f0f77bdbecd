// What the benchmarks share: a main window that can run without a display's taskbar.
#pragma once
#include "app/URam.h"
#include "framework/Application.h"

// The headless prefix has no taskbar to stand beside, and an error box would wait for a click
// that never comes: place the window as if the taskbar were at the bottom, and print errors.
TVelmorEnvironment HeadlessEnvironment(TApplication& app);
