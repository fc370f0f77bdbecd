// One paint of the About window (the panel, the logo, the four effect labels, the button)
// against one BitBlt of the window's size onto the same window, in the same run.
#include <windows.h>
#include <cstdio>
#include "bench/Clock.h"
#include "framework/Application.h"
#include "framework/Gdi.h"
#include "windows/UAbout.h"

namespace {

// Milliseconds per call of f over n calls.
template <class F>
double PerCall(int n, F&& f) {
  double t0 = Now();
  for (int i = 0; i < n; ++i) f();
  return (Now() - t0) * 1e3 / n;
}

}  // namespace

int main() {
  TApplication app;
  app.SetTitle("Velmor");
  app.OnException = [](TObject*, const std::string& m) { fprintf(stderr, "error: %s\n", m.c_str()); };
  auto* f = app.CreateForm<TfrmAbout>();
  f->Show();  // shown, not modal: the paints are driven here
  app.ProcessMessages();
  HWND h = f->Handle();
  const int n = 300;

  // Into DIB sections, where every pixel is really written (the headless prefix's display
  // driver may skip work on screen): the window's picture as WM_PRINTCLIENT gives it, the button
  // at its place, against a copy of a DIB of the same size.
  // The window's size at the screen's DPI: 326 x 233 at 96, 489 x 350 at 144.
  const int w = f->ClientWidth(), ht = f->ClientHeight();
  gdi::Dib source(w, ht), target(w, ht);
  gdi::FillSolid(source.DC(), RECT{0, 0, w, ht}, RGB(0, 128, 192));
  double blit = PerCall(n, [&] {
    BitBlt(target.DC(), 0, 0, w, ht, source.DC(), 0, 0, SRCCOPY);
    GdiFlush();
  });
  HWND button = f->OvColorBtn1->Handle();
  double paint = PerCall(n, [&] {
    SendMessageA(f->Panel1->Handle(), WM_PRINTCLIENT, (WPARAM)target.DC(), PRF_CLIENT | PRF_ERASEBKGND);
    POINT old;
    SetViewportOrgEx(target.DC(), f->OvColorBtn1->Left(), f->OvColorBtn1->Top(), &old);
    SendMessageA(button, WM_PRINTCLIENT, (WPARAM)target.DC(), PRF_CLIENT);
    SetViewportOrgEx(target.DC(), old.x, old.y, nullptr);
    GdiFlush();
  });
  // The same paint through the window system, onto the window.
  double onScreen = PerCall(n, [&] {
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
  });
  int live = gdi::LiveObjects();
  for (int i = 0; i < 1000; ++i) RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  int after = gdi::LiveObjects();

  printf("about paint: one BitBlt of %d x %d %.3f ms, one paint of the window %.3f ms (ratio %.0f, target <= 5 ms); "
         "through the window system onto the window %.3f ms\n",
         w, ht, blit, paint, paint / blit, onScreen);
  printf("about paint: GDI objects before 1,000 paints %d, after %d (target: no growth)\n", live, after);
  return 0;
}
