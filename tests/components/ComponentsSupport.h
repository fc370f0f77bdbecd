// What the component tests share: a host window with a panel, strips drawn in code, and a
// message pump that stops on a condition.
#pragma once
#include <windows.h>
#include <functional>
#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Gdi.h"

const COLORREF kMagenta = RGB(255, 0, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kYellow = RGB(255, 255, 0);

// A panel painted as a checkerboard of 4-pixel cells, so that any pixel tells where it came from.
class TCheckerPanel : public TPanel {
public:
  using TPanel::TPanel;
  static COLORREF At(int x, int y) { return ((x / 4 + y / 4) % 2) ? RGB(0, 128, 255) : RGB(255, 128, 0); }
  void Paint(HDC dc) override {
    RECT r;
    GetClientRect(Handle(), &r);
    gdi::Brush a(CreateSolidBrush(At(0, 0))), b(CreateSolidBrush(At(4, 0)));
    for (int y = 0; y < r.bottom; y += 4)
      for (int x = 0; x < r.right; x += 4) {
        RECT c{x, y, x + 4, y + 4};
        FillRect(dc, &c, ((x / 4 + y / 4) % 2) ? b : a);
      }
  }
};

// A hidden top-level window holding one panel that fills it.
struct Host {
  TForm* form;
  TPanel* panel;
  explicit Host(bool checker = false, int w = 200, int h = 120) {
    form = new TForm(nullptr, "TComponentTestHost");
    form->SetClientSize(w, h);
    panel = checker ? new TCheckerPanel(form, form) : new TPanel(form, form);
    panel->SetBounds(0, 0, w, h);
  }
  ~Host() { delete form; }
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;
};

// A 32-bit DIB strip of w x h whose pixels come from colour(x, y).
inline gdi::Bitmap MakeStrip(int w, int h, const std::function<COLORREF(int x, int y)>& colour) {
  unsigned* p = nullptr;
  gdi::Bitmap bmp = gdi::CreateDib32(w, h, &p);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      COLORREF c = colour(x, y);
      p[y * w + x] = gdi::ToPixel(c);
    }
  GdiFlush();
  return bmp;
}

// Handles messages until done() holds. Gives up (and returns false) only after a long while: a
// guard against a hang, not a timing check.
inline bool PumpUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 4000 && !done(); ++i) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 25, QS_ALLINPUT);
    Application->ProcessMessages();
  }
  return done();
}

// Handles messages for a few rounds of a few milliseconds each.
inline void PumpAWhile(int rounds = 10) {
  for (int i = 0; i < rounds; ++i) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    Application->ProcessMessages();
  }
}
