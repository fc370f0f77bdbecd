// The main window as the app tests make it: its own application object, a memory system the
// test steers, settings and log-on entry under a registry key of the test's own (so every window
// is a first start), the shell's tray calls recorded, the taskbar at the bottom of a 1024 x 768
// screen, and whatever else a test sets in the environment before the window is made.
#pragma once
#include <functional>
#include <memory>
#include "app/URam.h"
#include "framework/Application.h"
#include "tests/FakeMemory.h"
#include "tests/TestRegistry.h"
#include "tests/TestSupport.h"
#include "tests/components/TraySupport.h"

template <class Memory = TFakeMemory>
struct TAppWindow {
  TRegKey root, user;  // standing for HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER
  Memory mem;
  TRecordingShell shell;
  int beeps = 0;
  std::function<void()> OnBeep;  // besides counting
  std::unique_ptr<TApplication> app;
  TfrmVelmor* f = nullptr;

  TAppWindow(const char* key, uint64_t total, uint64_t avail,
             const std::function<void(TVelmorEnvironment&)>& adjust = nullptr)
      : root(FreshTestKey(key)), user(UserRootBelow(root.Get())) {
    mem.Total = total;
    mem.Avail = avail;
    app = std::make_unique<TApplication>();
    app->SetTitle("Velmor");
    app->OnException = [](TObject*, const std::string& m) { ShownErrors().push_back(m); };
    TVelmorEnvironment env;
    env.Memory = &mem;
    env.Beep = [this] {
      ++beeps;
      if (OnBeep) OnBeep();
    };
    env.ShellNotify = shell.Notify();
    env.TaskbarEdge = [](RECT& r) {
      r = RECT{0, 738, 1024, 768};
      return (int)ABE_BOTTOM;
    };
    env.SettingsRoot = env.RunRoot = root.Get();
    env.UserSettingsRoot = env.UserRunRoot = user.Get();
    if (adjust) adjust(env);
    f = app->CreateForm<TfrmVelmor>(env);
  }
};
