// A repaint of the colour buttons on a shown window: the main window's 99 x 35 Defrag button
// (normal and hot) and an 85 x 35 gradient button, each against one BitBlt of the same size
// onto the same window in the same run.
#include <windows.h>
#include <cstdio>
#include "bench/Clock.h"
#include "bench/BenchSupport.h"
#include "components/OvColorBtns.h"
#include "framework/Application.h"

namespace {

template <class F>
double PerCall(int n, F&& f) {
  double t0 = Now();
  for (int i = 0; i < n; ++i) f();
  return (Now() - t0) * 1e6 / n;
}

void RepaintNow(HWND h) { RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }

// One BitBlt of a w x h picture onto the window: the least a paint of that size costs.
double Blit(HWND h, int w, int n) {
  HDC dc = GetDC(h);
  gdi::MemDC mem(dc);
  gdi::Bitmap bmp(CreateCompatibleBitmap(dc, w, 35));
  gdi::Select s(mem, bmp);
  double us = PerCall(n, [&] { BitBlt(dc, 0, 0, w, 35, mem, 0, 0, SRCCOPY); GdiFlush(); });
  ReleaseDC(h, dc);
  return us;
}

// A child window of the same size whose paint draws nothing (the default window procedure's
// BeginPaint and EndPaint): what any repaint costs before it draws a pixel.
HWND EmptyPainter(HWND parent, int w) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "VelmorBenchEmptyPaint";
  RegisterClassA(&wc);
  return CreateWindowExA(0, wc.lpszClassName, "", WS_CHILD | WS_VISIBLE, 200, 2, w, 35, parent, nullptr,
                         wc.hInstance, nullptr);
}

}  // namespace

int main() {
  TApplication app;
  app.SetTitle("Velmor");
  auto* f = app.CreateForm<TfrmVelmor>(HeadlessEnvironment(app));
  f->Timer->SetEnabled(false);
  f->Show();
  auto* thanks = new TOvColorBtn(f, f->Panel1);
  thanks->SetBounds(6, 2, 85, 35);
  thanks->SetColor(12615680);
  thanks->SetStyle(bsGradient);
  thanks->SetCaption("Thanks!");
  app.ProcessMessages();
  const int n = 3000;
  HWND defrag = f->bdefrag->Handle();

  double blit99 = Blit(defrag, 99, n), blit85 = Blit(thanks->Handle(), 85, n);
  HWND empty = EmptyPainter(f->Panel1->Handle(), 99);
  double emptyPaint = PerCall(n, [&] { RepaintNow(empty); });
  DestroyWindow(empty);
  double normal = PerCall(n, [&] { RepaintNow(defrag); });
  f->bdefrag->MouseEnter();
  double hot = PerCall(n, [&] { RepaintNow(defrag); });
  f->bdefrag->MouseLeave();
  double gradient = PerCall(n, [&] { RepaintNow(thanks->Handle()); });
  // The same paints into an off-screen picture: what the window system adds is the rest.
  gdi::Dib dib(99, 35);
  double drawNormal = PerCall(n, [&] { f->bdefrag->PaintTo(dib.DC()); GdiFlush(); });
  double drawGradient = PerCall(n, [&] { thanks->PaintTo(dib.DC()); GdiFlush(); });
  int live = gdi::LiveObjects();
  for (int i = 0; i < 2000; ++i) RepaintNow(defrag);

  printf("colour button repaint (target <= 200 us): Defrag 99 x 35 normal %.1f us (ratio %.1f to one BitBlt of "
         "%.1f us), hot %.1f us (ratio %.1f); gradient 85 x 35 %.1f us (ratio %.1f to %.1f us)\n",
         normal, normal / blit99, blit99, hot, hot / blit99, gradient, gradient / blit85, blit85);
  printf("colour button drawing alone, into a bitmap: Defrag %.1f us, gradient %.1f us; a repaint that draws nothing "
         "%.1f us (Defrag normal %.2f times that)\n", drawNormal, drawGradient, emptyPaint, normal / emptyPaint);
  printf("colour button repaint: GDI objects before 2,000 repaints %d, after %d (target: no growth)\n", live,
         gdi::LiveObjects());
  return 0;
}
