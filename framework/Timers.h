// The one ticker: OnTimer runs on the window thread every Interval ms while the timer is
// enabled (and Interval is not 0). Its ticks come from a window timer, or, for a threaded
// timer, from a thread of its own that only sleeps and posts each tick to the window thread,
// then waits until that tick has run before it sleeps again, so ticks never pile up.
//
// Every timer of the process ticks through one hidden message window, made by the window
// thread when the first timer starts and kept from then on; timers are made, changed and
// destroyed on that thread. A threaded timer has its thread only while it runs: an idle thread
// would hold its stack for as long as the program sits in the tray.
#pragma once
#include <memory>
#include "framework/Classes.h"

class TTimer : public TComponent {
public:
  TTimer(TComponent* AOwner, bool threaded = false, bool enabled = true);
  ~TTimer() override;
  bool Enabled() const { return FEnabled; }
  // Starting fails with "Not enough timers available" when the system refuses a window timer,
  // and with "Cannot start the timer's thread" when it refuses the thread.
  void SetEnabled(bool v);
  unsigned Interval() const { return FInterval; }
  // Takes effect at once for a window timer; a threaded timer's sleep under way keeps its end
  // and the next sleep takes the new interval.
  void SetInterval(unsigned v);
  bool Threaded() const { return FThreaded; }
  TNotifyEvent OnTimer;
  // What a tick does, whichever source it came from: fires OnTimer while enabled.
  void Tick();

private:
  class TTimerThread;
  void UpdateTimer();
  void Stop();
  bool FEnabled;
  bool FThreaded;
  unsigned FInterval = 1000;
  unsigned FId;            // this timer's window-timer id, and its key in the window's list
  bool FWindowTimer = false;
  std::unique_ptr<TTimerThread> FThread;
};

// The animated image's timer: threaded, disabled and 100 ms when made.
class TThreadTimer : public TTimer {
public:
  explicit TThreadTimer(TComponent* AOwner) : TTimer(AOwner, true, false) { SetInterval(100); }
};
