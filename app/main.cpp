#include "app/URam.h"
#include "framework/Application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  TApplication app;
  app.SetTitle("Velmor");
  TfrmVelmor* main = nullptr;
  Guarded(&app, [&] { main = app.CreateForm<TfrmVelmor>(); });
  if (!main) return 1;
  // The window stays hidden: the program lives in the tray until Restore.
  app.Run();
  return 0;
}
