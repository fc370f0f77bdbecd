// A window timer: ticks on the user-interface thread through a hidden window of its own.
#pragma once
#include "framework/Controls.h"

class TTimer : public TComponent {
public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v);
  unsigned Interval() const { return FInterval; }
  void SetInterval(unsigned v);
  TNotifyEvent OnTimer;
  // What a tick does; tests call it to tick without waiting.
  void Tick() { Fire(OnTimer, this); }

private:
  class TTimerWindow;
  void UpdateTimer();
  TTimerWindow* FWindow;
  bool FEnabled = true;
  unsigned FInterval = 1000;
};
