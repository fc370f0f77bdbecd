// What the benchmarks share: a main window that can run without a display's taskbar.
#pragma once
#include "app/URam.h"
#include "framework/Application.h"

// The headless prefix has no taskbar to stand beside, and an error box would wait for a click
// that never comes: place the window as if the taskbar were at the bottom, and print errors.
TVelmorEnvironment HeadlessEnvironment(TApplication& app);

// The system's memory, whose available figure can be made to swing between 40 % and 60 % in
// use at every sample, so that the tray icon's figure changes at every tick.
class TSwingingMemory : public IMemorySystem {
public:
  bool Swing = false;
  TMemoryStatus Status() override;
  void* CommitBlock(size_t bytes) override { return Win32MemorySystem().CommitBlock(bytes); }
  void ReleaseBlock(void* block) override { Win32MemorySystem().ReleaseBlock(block); }

private:
  unsigned FSamples = 0;
};
