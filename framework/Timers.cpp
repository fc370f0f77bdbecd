#include "framework/Timers.h"
#include "framework/Application.h"

class TTimer::TTimerWindow : public TCustomControl {
public:
  TTimerWindow(TTimer* t) : TCustomControl(t, nullptr), FTimer(t) {
    FVisible = false;
    CreateWnd("TTimerWindow", WS_POPUP, WS_EX_TOOLWINDOW, false);
  }
  LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override {
    if (msg == WM_TIMER) {
      if (FTimer->FEnabled) FTimer->Tick();
      return 0;
    }
    return TCustomControl::WndProc(msg, w, l);
  }

private:
  TTimer* FTimer;
};

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner), FWindow(new TTimerWindow(this)) { UpdateTimer(); }

TTimer::~TTimer() {
  if (FWindow->Handle()) KillTimer(FWindow->Handle(), 1);
}

void TTimer::SetEnabled(bool v) {
  if (v == FEnabled) return;
  FEnabled = v;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned v) {
  if (v == FInterval) return;
  FInterval = v;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  HWND h = FWindow->Handle();
  if (!h) return;
  KillTimer(h, 1);
  if (FEnabled && FInterval > 0 && !SetTimer(h, 1, FInterval, nullptr))
    throw Exception("Not enough timers available");
}
