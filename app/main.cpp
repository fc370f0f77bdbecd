#include <optional>
#include "app/SingleInstance.h"
#include "app/URam.h"
#include "framework/Application.h"
#include "windows/UAbout.h"
#include "windows/UFrmReadme.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // One copy per user session: a second start (the log-on entry, then by hand) would give two
  // icons, two alarms, and settings written by whichever quits last. It shows the first and goes,
  // before anything reads or writes the registry.
  TSingleInstance instance(L"Local\\Velmor");
  if (instance.AnotherIsRunning()) {
    RestoreRunningCopy();
    return 0;
  }
  std::optional<TApplication> holder;
  try {
    holder.emplace();
  } catch (const std::exception& e) {
    // There is no application to show the box: it is shown as the application would.
    MessageBoxA(nullptr, ErrorBoxText(e.what()).c_str(), "Velmor", MB_OK | MB_ICONERROR);
    return 1;
  }
  TApplication& app = *holder;
  app.SetTitle("Velmor");
  TfrmVelmor* main = nullptr;
  Guarded(&app, [&] { main = app.CreateForm<TfrmVelmor>(); });
  if (!main) return 1;
  // Then the About window and the Readme viewer, both hidden. An About window that cannot be
  // made leaves About doing nothing.
  Guarded(&app, [&] { main->SetAboutWindow(app.CreateForm<TfrmAbout>()); });
  // A Readme.txt that does not load is reported by the viewer, which stays, empty; a viewer
  // that cannot be made at all leaves Read me doing nothing.
  Guarded(&app, [&] { main->SetReadmeWindow(app.CreateForm<TFrmReadMe>()); });
  // The window stays hidden: the program lives in the tray until Restore.
  app.Run();
  return 0;
}
