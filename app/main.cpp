#include "app/SingleInstance.h"
#include "app/URam.h"
#include "framework/Application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // One copy per user session: a second start (the log-on entry, then by hand) would give two
  // icons, two alarms, and settings written by whichever quits last. It shows the first and goes,
  // before anything reads or writes the registry.
  TSingleInstance instance(L"Local\\Velmor");
  if (instance.AnotherIsRunning()) {
    RestoreRunningCopy();
    return 0;
  }
  TApplication app;
  app.SetTitle("Velmor");
  TfrmVelmor* main = nullptr;
  Guarded(&app, [&] { main = app.CreateForm<TfrmVelmor>(); });
  if (!main) return 1;
  // The window stays hidden: the program lives in the tray until Restore.
  app.Run();
  return 0;
}
