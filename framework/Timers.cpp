#include "framework/Timers.h"
#include <atomic>
#include <map>
#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/Handles.h"

// ---- the window every tick arrives at ---------------------------------------------------------
//
// Why a threaded timer cannot deadlock: the window thread waits for a timer's thread in one
// place only, the join when the thread ends, and it sets the stop event first. Both waits of the
// thread (its sleep, and its wait for a posted tick to run) also end on that stop event, and the
// thread holds no lock. So however a tick ends (disabling its timer, destroying it), the thread
// never waits for the window thread while that one waits for it.

namespace {
const UINT kTickMessage = WM_APP + 1;  // wParam: the posting thread's serial
const char kWindowClass[] = "TTimerWindow";

// What a thread and the window thread share; it lives as long as either needs it.
struct TTickState {
  THandle Stop = MakeEvent(true);   // the thread is to end (stays set)
  THandle Ran = MakeEvent(false);   // the posted tick has run
  HWND Target = nullptr;
  WPARAM Serial = 0;
  std::atomic<unsigned> Interval{1000};
};

// The window, made with the first timer that runs, stays for the rest of the process: a
// window made and destroyed with each switch of the tray animation would cost more than the
// thread. The window thread's list of timers, by window-timer id and by the serial of a running
// thread. A serial is never used twice, so a tick still queued for a thread that has ended
// (or a timer that is gone) finds nobody.
struct TTimerDispatch {
  static inline std::map<UINT_PTR, TTimer*> Timers;
  static inline std::map<WPARAM, std::pair<TTimer*, std::shared_ptr<TTickState>>> Threads;
  static inline HWND Window = nullptr;
  static inline UINT_PTR LastId = 0;
  static inline WPARAM LastSerial = 0;

  static HWND Handle() {
    if (Window && IsWindow(Window)) return Window;
    RegisterWindowClass(kWindowClass, &WndProc);
    Window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr), nullptr);
    return Window;
  }

  static void Run(TTimer* t) {
    Guarded(t, [t] { t->Tick(); });  // the handler may destroy the timer: nothing of it after this
  }

  static LRESULT CALLBACK WndProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_TIMER) {
      auto it = Timers.find(w);
      if (it != Timers.end()) Run(it->second);
      return 0;
    }
    if (msg == kTickMessage) {
      auto it = Threads.find(w);
      if (it == Threads.end()) return 0;
      std::shared_ptr<TTickState> s = it->second.second;
      Run(it->second.first);
      SetEvent(s->Ran.Get());  // the next sleep may begin
      return 0;
    }
    return DefWindowProcA(h, msg, w, l);
  }
};
}  // namespace

// ---- the thread ---------------------------------------------------------------------------------

class TTimer::TTimerThread {
public:
  TTimerThread(TTimer* owner, HWND target, unsigned interval) : FState(std::make_shared<TTickState>()) {
    FState->Target = target;
    FState->Serial = ++TTimerDispatch::LastSerial;
    FState->Interval = interval;
    if (!target || !FState->Stop || !FState->Ran) throw Exception("Cannot start the timer's thread");
    auto* arg = new std::shared_ptr<TTickState>(FState);
    FThread = StartThread(&Entry, arg);
    if (!FThread) {
      delete arg;
      throw Exception("Cannot start the timer's thread");
    }
    TTimerDispatch::Threads[FState->Serial] = {owner, FState};
  }

  ~TTimerThread() {
    TTimerDispatch::Threads.erase(FState->Serial);
    SetEvent(FState->Stop.Get());
    JoinThread(FThread);
  }

  void SetInterval(unsigned ms) { FState->Interval = ms; }

private:
  static unsigned __stdcall Entry(void* arg) {
    std::shared_ptr<TTickState> s = std::move(*static_cast<std::shared_ptr<TTickState>*>(arg));
    delete static_cast<std::shared_ptr<TTickState>*>(arg);
    HANDLE ends[2] = {s->Stop.Get(), s->Ran.Get()};
    // The interval is read afresh before every sleep. A wait that fails ends the thread
    // rather than spinning: the timer then stops ticking.
    while (WaitForSingleObject(s->Stop.Get(), s->Interval) == WAIT_TIMEOUT) {
      ResetEvent(s->Ran.Get());
      // A tick the window cannot take (its queue full) is skipped, not waited for.
      if (PostMessageA(s->Target, kTickMessage, s->Serial, 0) &&
          WaitForMultipleObjects(2, ends, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
        break;
    }
    return 0;
  }

  std::shared_ptr<TTickState> FState;
  THandle FThread;
};

// ---- the timer ------------------------------------------------------------------------------------

TTimer::TTimer(TComponent* AOwner, bool threaded, bool enabled)
    : TComponent(AOwner), FEnabled(enabled), FThreaded(threaded), FId(++TTimerDispatch::LastId) {
  TTimerDispatch::Timers[FId] = this;
  UpdateTimer();
}

TTimer::~TTimer() {
  FEnabled = false;
  OnTimer = nullptr;
  Stop();
  TTimerDispatch::Timers.erase(FId);
}

void TTimer::SetEnabled(bool v) {
  if (v == FEnabled) return;
  FEnabled = v;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned v) {
  if (v == FInterval) return;
  FInterval = v;
  if (FThread && v) return FThread->SetInterval(v);
  UpdateTimer();
}

void TTimer::Tick() {
  if (!FEnabled) return;
  TNotifyEvent ev = OnTimer;  // the handler may destroy this timer and its event with it
  Fire(ev, this);
}

void TTimer::Stop() {
  FThread.reset();  // ends and joins it; its wait for a tick ends on the stop event
  if (FWindowTimer) KillTimer(TTimerDispatch::Window, FId);
  FWindowTimer = false;
}

void TTimer::UpdateTimer() {
  Stop();
  if (!FEnabled || FInterval == 0) return;
  HWND h = TTimerDispatch::Handle();
  if (FThreaded) {
    FThread = std::make_unique<TTimerThread>(this, h, FInterval);
  } else {
    if (!h || !SetTimer(h, FId, FInterval, nullptr)) throw Exception("Not enough timers available");
    FWindowTimer = true;
  }
}
