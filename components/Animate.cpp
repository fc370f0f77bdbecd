#include "components/Animate.h"
#include <atomic>
#include "framework/Application.h"

// ---- the timer's thread ---------------------------------------------------------------------
//
// Why it cannot deadlock: the user-interface thread waits for the timer thread in one place
// only, the destructor's join, and it sets the stop event first. Every wait of the timer thread
// (its sleep, and its wait for a handed-over tick to finish) also ends on that stop event, and
// the thread holds no lock while it waits. So however a tick ends (disabling the timer,
// destroying it), the thread is never waiting for the user-interface thread while that one
// waits for it. The join also delivers messages other threads send to this one, in case an
// unsynchronised tick's handler sends to a window.

namespace {
const UINT kTickMessage = WM_USER + 1;
const UINT kFailedMessage = WM_USER + 2;  // the thread ended on an error
// Each thread signs its ticks, so a tick still queued for a destroyed timer can never be taken
// for one of a later timer whose window happens to get the same handle.
std::atomic<WPARAM> lastSerial{0};

int Win32Priority(TThreadPriority p) {
  switch (p) {
    case tpIdle: return THREAD_PRIORITY_IDLE;
    case tpLowest: return THREAD_PRIORITY_LOWEST;
    case tpLower: return THREAD_PRIORITY_BELOW_NORMAL;
    case tpNormal: return THREAD_PRIORITY_NORMAL;
    case tpHigher: return THREAD_PRIORITY_ABOVE_NORMAL;
    case tpHighest: return THREAD_PRIORITY_HIGHEST;
    case tpTimeCritical: return THREAD_PRIORITY_TIME_CRITICAL;
  }
  return THREAD_PRIORITY_NORMAL;
}
}  // namespace

class TThreadTimer::TTimerThread {
public:
  // What the thread and the user-interface thread share; it lives as long as either needs it.
  struct TState {
    TCriticalSection Lock;
    THandle Stop = MakeEvent(true);   // terminate (stays set)
    THandle Wake = MakeEvent(false);  // the settings changed
    THandle Done = MakeEvent(false);  // a handed-over tick has run
    HWND Target = nullptr;
    WPARAM Serial = ++lastSerial;
    bool Terminated = false;
    bool Sync = true;
    bool Pending = false;  // a tick is posted and not yet taken
    unsigned Interval = 1000;
  };

  // It exists only while its timer runs, so it starts ticking at once.
  explicit TTimerThread(HWND target) : FState(std::make_shared<TState>()) {
    FState->Target = target;
    if (!FState->Stop || !FState->Wake || !FState->Done) throw Exception("Cannot start the timer's thread");
    auto* arg = new std::shared_ptr<TState>(FState);
    FThread = StartThread(&Entry, arg);
    if (!FThread) {
      delete arg;
      throw Exception("Cannot start the timer's thread");
    }
  }

  ~TTimerThread() {
    {
      TLock l(FState->Lock);
      FState->Terminated = true;
    }
    SetEvent(FState->Stop.Get());
    JoinThread(FThread);
  }

  void Configure(unsigned interval, bool sync) {
    {
      TLock l(FState->Lock);
      FState->Interval = interval;
      FState->Sync = sync;
    }
    SetEvent(FState->Wake.Get());  // a sleep under way starts again with the new settings
  }

  void SetPriority(TThreadPriority p) { ::SetThreadPriority(FThread.Get(), Win32Priority(p)); }
  const std::shared_ptr<TState>& State() const { return FState; }

private:
  static unsigned __stdcall Entry(void* arg) {
    std::shared_ptr<TState> s = std::move(*static_cast<std::shared_ptr<TState>*>(arg));
    delete static_cast<std::shared_ptr<TState>*>(arg);
    // Nothing here should fail; should it all the same, the window thread reports it.
    try {
      Execute(*s);
    } catch (...) {
      PostMessageA(s->Target, kFailedMessage, s->Serial, 0);
    }
    return 0;
  }

  static void Execute(TState& s) {
    HANDLE sleepEnds[2] = {s.Stop.Get(), s.Wake.Get()};
    HANDLE tickEnds[2] = {s.Stop.Get(), s.Done.Get()};
    for (;;) {
      unsigned interval;
      {
        TLock l(s.Lock);
        if (s.Terminated) return;
        interval = s.Interval;
      }
      if (interval == 0) {
        WaitForMultipleObjects(2, sleepEnds, FALSE, INFINITE);
        continue;
      }
      if (WaitForMultipleObjects(2, sleepEnds, FALSE, interval) != WAIT_TIMEOUT) continue;
      // Every tick runs on the user-interface thread: the thread only posts it. In step with the
      // window (SyncEvent) it waits until the tick has run; otherwise it sleeps on at once, but
      // posts no new tick while one is still waiting in the queue.
      bool sync, pending;
      {
        TLock l(s.Lock);
        if (s.Terminated) return;
        sync = s.Sync;
        pending = s.Pending;
      }
      if (sync) {
        ResetEvent(s.Done.Get());
        // A tick the window cannot take (its queue full) is skipped, not waited for.
        if (PostMessageA(s.Target, kTickMessage, s.Serial, 0)) WaitForMultipleObjects(2, tickEnds, FALSE, INFINITE);
      } else if (!pending) {
        TLock l(s.Lock);
        s.Pending = PostMessageA(s.Target, kTickMessage, s.Serial, 0) != FALSE;
      }
    }
  }

  std::shared_ptr<TState> FState;
  THandle FThread;
};

// ---- the timer ------------------------------------------------------------------------------

class TThreadTimer::TTimerWindow : public TCustomControl {
public:
  explicit TTimerWindow(TThreadTimer* t) : TCustomControl(t, nullptr), FTimer(t) {
    FVisible = false;
    CreateWnd("TThreadTimerWindow", WS_POPUP, WS_EX_TOOLWINDOW, false);
  }

  LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override {
    if (msg == WM_TIMER && w == 1) {
      FTimer->Tick();
      return 0;
    }
    if (msg == kTickMessage) {
      // The tick may destroy the timer and this window: hold the shared state, touch nothing else.
      std::shared_ptr<TTimerThread::TState> s = FTimer->FThread ? FTimer->FThread->State() : nullptr;
      if (!s || w != s->Serial) return 0;
      bool terminated;
      {
        TLock l(s->Lock);
        terminated = s->Terminated;
        s->Pending = false;
      }
      if (!terminated) {
        TThreadTimer* timer = FTimer;
        Guarded(timer, [timer] { timer->Tick(); });
      }
      SetEvent(s->Done.Get());
      return 0;
    }
    if (msg == kFailedMessage) {
      if (FTimer->FThread && w == FTimer->FThread->State()->Serial) throw Exception("The timer's thread failed");
      return 0;
    }
    return TCustomControl::WndProc(msg, w, l);
  }

private:
  TThreadTimer* FTimer;
};

TThreadTimer::TThreadTimer(TComponent* AOwner) : TComponent(AOwner) {
  FWindow = new TTimerWindow(this);
  ApplyTimerSettings();
}

TThreadTimer::~TThreadTimer() {
  FDestroying = true;
  FEnabled = false;
  FOnTimer = nullptr;
  FThread.reset();  // stops and joins the thread
  if (FWindowTimer && FWindow->Handle()) KillTimer(FWindow->Handle(), 1);
  FWindowTimer = false;
  // The window, an owned component, goes with the base destructor.
}

void TThreadTimer::SetEnabled(bool v) {
  if (v == FEnabled) return;
  FEnabled = v;
  ApplyTimerSettings();
}

void TThreadTimer::SetInterval(unsigned v) {
  if (v == FInterval) return;
  FInterval = v;
  ApplyTimerSettings();
}

void TThreadTimer::SetOnTimer(TNotifyEvent v) {
  bool changed = (v != nullptr) != (FOnTimer != nullptr);
  FOnTimer = std::move(v);
  if (changed) ApplyTimerSettings();
}

void TThreadTimer::SetSyncEvent(bool v) {
  if (v == FSyncEvent) return;
  FSyncEvent = v;
  ApplyTimerSettings();
}

void TThreadTimer::SetThreaded(bool v) {
  if (v == FThreaded) return;
  FThreaded = v;
  ApplyTimerSettings();
}

void TThreadTimer::SetThreadPriority(TThreadPriority v) {
  if (v == FThreadPriority) return;
  FThreadPriority = v;
  if (FThreaded) ApplyTimerSettings();
}

// The thread lives only while the timer runs in threaded mode: an idle thread would hold its
// stack for as long as the program sits in the tray, and that may be months.
void TThreadTimer::ApplyTimerSettings() {
  if (FDestroying) return;
  HWND h = FWindow->Handle();
  if (FWindowTimer) {
    KillTimer(h, 1);
    FWindowTimer = false;
  }
  if (!Running()) {
    FThread.reset();  // ends and joins it; its wait for a tick ends on the stop event
    return;
  }
  if (FThreaded) {
    if (!FThread) FThread = std::make_unique<TTimerThread>(h);
    FThread->SetPriority(FThreadPriority);
    FThread->Configure(FInterval, FSyncEvent);
  } else {
    FThread.reset();
    if (!h || !SetTimer(h, 1, FInterval, nullptr)) throw Exception("Not enough timers available");
    FWindowTimer = true;
  }
}

void TThreadTimer::Tick() {
  if (!FEnabled || FDestroying || !FOnTimer) return;
  TNotifyEvent ev = FOnTimer;  // the handler may destroy this timer and its event with it
  ev(this);
}

// ---- the picture strip ----------------------------------------------------------------------

void TStripBitmap::Take(gdi::Bitmap bmp) {
  FBitmap = std::move(bmp);
  BITMAP bm{};
  if (FBitmap && GetObjectA(FBitmap, sizeof(bm), &bm)) {
    FWidth = bm.bmWidth;
    FHeight = bm.bmHeight;
    FBitsPerPixel = bm.bmBitsPixel * bm.bmPlanes;
  } else {
    FBitmap.Reset();
    FWidth = FHeight = FBitsPerPixel = 0;
  }
  Changed();
}

void TStripBitmap::Assign(HBITMAP source) {
  if (!source) return Take(gdi::Bitmap());
  Take(gdi::Bitmap(static_cast<HBITMAP>(CopyImage(source, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))));
}

void TStripBitmap::Assign(const TStripBitmap& source) {
  if (&source == this) return;
  FTransparentColor = source.FTransparentColor;
  Assign(source.Handle());
}

bool TStripBitmap::LoadFromResource(HINSTANCE inst, const char* name) {
  Take(gdi::Bitmap(static_cast<HBITMAP>(LoadImageA(inst, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))));
  return !Empty();
}

void TStripBitmap::SetFixedTransparentColor(COLORREF c) {
  if (c == FTransparentColor) return;
  FTransparentColor = c;
  Changed();
}

COLORREF TStripBitmap::TransparentColor() const {
  if (FTransparentColor != clDefault) return FTransparentColor;
  return gdi::OwnTransparentColor(FBitmap);
}

// ---- the image control ----------------------------------------------------------------------

TImageControl::TImageControl(TComponent* AOwner, TWinControl* AParent) : TGraphicControl(AOwner, AParent) {
  SetOpaqueStyle(true);
  SetBounds(Left(), Top(), 105, 105);
  SetParentColor(true);
}

TImageControl::~TImageControl() = default;

void TImageControl::WMPaint(HDC dc) {
  if (FPaintBuffered) return Paint(dc);
  TLock l(FCanvasLock);
  int w = Width(), h = Height();
  if (w <= 0 || h <= 0) return;
  // Every image control paints on the window thread: one kept buffer serves them all. An image
  // painted while the buffer is in use (beneath a see-through one, which copies what lies under
  // it) is already off screen and goes straight into the buffer's DC.
  static gdi::BackBuffer buffer;
  static bool busy = false;
  if (busy || !buffer.Fit(w, h)) return Paint(dc);
  struct TBusy {
    TBusy() { busy = true; }
    ~TBusy() { busy = false; }
  } inUse;
  {
    gdi::SavedDC state(buffer.DC());
    FPaintBuffered = true;
    Paint(buffer.DC());
    FPaintBuffered = false;
  }
  BitBlt(dc, 0, 0, w, h, buffer.DC(), 0, 0, SRCCOPY);
}

// ---- the animated image ---------------------------------------------------------------------

TAnimatedImage::TAnimatedImage(TComponent* AOwner, TWinControl* AParent) : TImageControl(AOwner, AParent) {
  FTimer = new TThreadTimer(this);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(100);
  FGlyph = std::make_unique<TStripBitmap>();
  FGlyph->OnChange = [this] { StripChanged(); };
  FPicture = FGlyph.get();
}

TAnimatedImage::~TAnimatedImage() {
  OnFrameChanged = OnStart = OnStop = nullptr;
  FGlyph->OnChange = nullptr;
  *FAlive = false;
  SetActive(false);
  FPicture = nullptr;
  FGlyph.reset();
}

void TAnimatedImage::DoFrameChanged() {
  TNotifyEvent ev = OnFrameChanged;
  Fire(ev, this);
}

void TAnimatedImage::DoStart() {
  if (FLoading) return;
  TNotifyEvent ev = OnStart;
  Fire(ev, this);
}

void TAnimatedImage::DoStop() {
  if (FLoading) return;
  TNotifyEvent ev = OnStop;
  Fire(ev, this);
}

void TAnimatedImage::SetActive(bool v) {
  if (v == FActive) return;
  std::shared_ptr<bool> alive = FAlive;
  if (v) {
    FTimer->SetOnTimer([this](TObject* s) { StepFrame(s); });
    FTimer->SetEnabled(true);
    {
      TLock l(FLock);
      FActive = FTimer->Enabled();
    }
    DoStart();
    return;
  }
  FTimer->SetEnabled(false);
  FTimer->SetOnTimer(nullptr);
  {
    TLock l(FLock);
    FActive = false;
    ShowInactive();
  }
  DoFrameChanged();
  if (*alive) DoStop();
  if (*alive) AfterPictureChange();
}

void TAnimatedImage::SetGlyphNum(int v) {
  if (v == FGlyphNum || v < 0 || v >= FNumGlyphs) return;
  {
    TLock l(FLock);
    FGlyphNum = v;
    ShowInactive();
  }
  std::shared_ptr<bool> alive = FAlive;
  DoFrameChanged();
  if (*alive) AfterPictureChange();
}

void TAnimatedImage::SetNumGlyphs(int v) {
  if (v < 1) v = 1;  // a strip has at least one frame
  if (v == FNumGlyphs) return;
  {
    TLock l(FLock);
    FNumGlyphs = v;
    if (FInactiveGlyph < v) {
      ShowInactive();
    } else {
      FInactiveGlyph = -1;
      FGlyphNum = 0;
    }
    if (FGlyphNum >= v) FGlyphNum = 0;  // never left on a frame the strip no longer has
    CalcFrameSize();
  }
  std::shared_ptr<bool> alive = FAlive;
  DoFrameChanged();
  if (*alive) AfterPictureChange();
}

void TAnimatedImage::SetInactiveGlyph(int v) {
  if (v < 0) v = -1;
  if (v == FInactiveGlyph) return;
  if (v >= FNumGlyphs && !FLoading) return;
  {
    TLock l(FLock);
    FInactiveGlyph = v;
    ShowInactive();
  }
  std::shared_ptr<bool> alive = FAlive;
  DoFrameChanged();
  if (*alive) AfterPictureChange();
}

void TAnimatedImage::SetOrientation(TGlyphOrientation v) {
  if (v == FOrientation) return;
  FOrientation = v;
  StripChanged();
}

void TAnimatedImage::SetStretch(bool v) {
  if (v == FStretch) return;
  FStretch = v;
  AfterPictureChange();
  if (FActive) Repaint();
}

void TAnimatedImage::SetCenter(bool v) {
  if (v == FCenter) return;
  FCenter = v;
  AfterPictureChange();
  if (FActive) Repaint();
}

void TAnimatedImage::SetOpaque(bool v) {
  if (v == FOpaque) return;
  FOpaque = v;
  AfterPictureChange();
}

void TAnimatedImage::SetTransparentColor(COLORREF v) {
  if (v == FTransparentColor) return;
  FTransparentColor = v;
  MakeMask();
  AfterPictureChange();
}

void TAnimatedImage::SetAutoSize(bool v) {
  if (v == FAutoSize) return;
  FAutoSize = v;
  AfterPictureChange();
}

void TAnimatedImage::StripChanged() {
  FMasked = gdi::MaskedBitmap();  // of the old picture
  {
    TLock l(FLock);
    FTransparentColor = FGlyph->TransparentColor();
    FNumGlyphs = 1;
    FGlyphNum = 0;
    FFrameWidth = FFrameHeight = 0;
    int w = FGlyph->Width(), h = FGlyph->Height();
    if (FOrientation == goHorizontal) {
      if (h > 0 && w % h == 0) FNumGlyphs = w / h;
    } else {
      if (w > 0 && h % w == 0) FNumGlyphs = h / w;
    }
    if (FNumGlyphs < 1) FNumGlyphs = 1;
    CalcFrameSize();
  }
  MakeMask();
  AfterPictureChange();
}

void TAnimatedImage::CalcFrameSize() {
  int n = FNumGlyphs > 0 ? FNumGlyphs : 1;
  if (FOrientation == goHorizontal) {
    FFrameWidth = FGlyph->Width() / n;
    FFrameHeight = FGlyph->Height();
  } else {
    FFrameWidth = FGlyph->Width();
    FFrameHeight = FGlyph->Height() / n;
  }
}

void TAnimatedImage::ShowInactive() {
  if (!FActive && FInactiveGlyph >= 0 && FInactiveGlyph < FNumGlyphs && FGlyphNum != FInactiveGlyph)
    FGlyphNum = FInactiveGlyph;
}

int TAnimatedImage::ShownFrame() const {
  if (!FActive && FInactiveGlyph >= 0 && FInactiveGlyph < FNumGlyphs) return FInactiveGlyph;
  return FGlyphNum;
}

void TAnimatedImage::Loaded() {
  TImageControl::Loaded();
  FLoading = false;
  {
    TLock l(FLock);
    CalcFrameSize();
    ShowInactive();
  }
  AfterPictureChange();
}

void TAnimatedImage::AdjustSize() {
  if (FLoading || !FAutoSize || FFrameWidth <= 0 || FFrameHeight <= 0) return;
  SetBounds(Left(), Top(), FFrameWidth, FFrameHeight);
}

void TAnimatedImage::AfterPictureChange() {
  if (!*FAlive) return;
  AdjustSize();
  // No palette to realise (see GetPalette), so a paint under way needs nothing more.
  if (!FDrawing) Invalidate();
}

void TAnimatedImage::StepFrame(TObject* Sender) {
  if (!Visible() || FNumGlyphs <= 1 || !Parent() || !Parent()->Handle()) return;
  {
    TLock l(FLock);
    int next = FGlyphNum + 1 >= FNumGlyphs ? 0 : FGlyphNum + 1;
    if (next == FInactiveGlyph) next = next + 1 >= FNumGlyphs ? 0 : next + 1;
    FGlyphNum = next;
  }
  // Events run outside the locks: a handler may destroy the image.
  std::shared_ptr<bool> alive = FAlive;
  DoFrameChanged();
  if (!*alive) return;
  TLock c(FCanvasLock);
  Repaint();
}

void TAnimatedImage::Paint(HDC dc) {
  RECT r = ClientRect();
  gdi::Brush back(CreateSolidBrush(Color()));
  FillRect(dc, &r, back);
  bool wasDrawing = FDrawing;
  FDrawing = true;
  DrawCurrentFrame(dc);
  FDrawing = wasDrawing;
}

void TAnimatedImage::DrawCurrentFrame(HDC dc) {
  int frame = ShownFrame();
  if (!FOpaque) CopyParentImage(dc);
  if (FFrameWidth <= 0 || FFrameHeight <= 0 || FGlyph->Empty()) return;

  int sx = FOrientation == goHorizontal ? frame * FFrameWidth : 0;
  int sy = FOrientation == goHorizontal ? 0 : frame * FFrameHeight;
  int dx = 0, dy = 0, dw = FFrameWidth, dh = FFrameHeight;
  if (FStretch) {
    dw = Width();
    dh = Height();
  } else if (FCenter) {
    dx = (Width() - FFrameWidth) / 2;
    dy = (Height() - FFrameHeight) / 2;
  }
  if (dw <= 0 || dh <= 0) return;

  if (FTransparentColor == clNone || FMasked.Empty()) {  // no key, or no mask to be had
    gdi::MemDC strip(dc);
    gdi::Select ss(strip, FGlyph->Handle());
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, dx, dy, dw, dh, strip, sx, sy, FFrameWidth, FFrameHeight, SRCCOPY);
    return;
  }
  FMasked.Draw(dc, dx, dy, dw, dh, sx, sy, FFrameWidth, FFrameHeight);
}

void TAnimatedImage::MakeMask() {
  if (FTransparentColor == clNone || FGlyph->Empty()) {
    FMasked = gdi::MaskedBitmap();
    return;
  }
  COLORREF key = FGlyph->Monochrome() ? RGB(255, 255, 255) : ColorToRGB(FTransparentColor);
  if (!FMasked.Empty() && FMasked.Key() == key) return;
  FMasked = gdi::MaskedBitmap(FGlyph->Handle(), key);
}
