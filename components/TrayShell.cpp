#include "components/TrayShell.h"
#include <windows.h>
#include <shellapi.h>
#include <algorithm>
#include <string>
#include "framework/Application.h"
#include "framework/Dpi.h"
#include "framework/Forms.h"
#include "framework/Handles.h"
#include "framework/Timers.h"

namespace {
UINT TaskbarCreatedMessage() {
  static const UINT m = RegisterWindowMessageA("TaskbarCreated");
  return m;
}

TShiftState KeyShift() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

bool HasImage(const TIcon* icon) { return icon && !icon->Empty(); }

// An interval of 0 switches frames as fast as the window thread takes them, as a sleep of 0
// would; to the timer 0 means "stopped".
unsigned TickerInterval(unsigned short ms) { return ms ? ms : 1; }
}  // namespace

BOOL SystemShellNotify(DWORD Message, TNotifyIconData* Data) {
  return Shell_NotifyIconA(Message, reinterpret_cast<PNOTIFYICONDATAA>(Data));
}

std::string ShortHint(const std::string& hint, UINT cp) { return hint.substr(0, FindCharIn(hint, '|', 0, cp)); }

std::string TooltipText(const std::string& hint, UINT cp) {
  return std::string(CutToBytes(ShortHint(hint, cp), sizeof(TNotifyIconData::szTip) - 1, cp));
}
std::string BalloonText(const std::string& text, UINT cp) {
  return std::string(CutToBytes(text, sizeof(NOTIFYICONDATAA::szInfo) - 1, cp));
}
std::string BalloonTitle(const std::string& title, UINT cp) {
  return std::string(CutToBytes(title, sizeof(NOTIFYICONDATAA::szInfoTitle) - 1, cp));
}

// ---- the icon's window -------------------------------------------------------------------------

class TTrayIcon::TTrayWindow : public TWinControl {
public:
  explicit TTrayWindow(TTrayIcon* icon) : TWinControl(icon, nullptr), FIcon(icon) {
    FVisible = false;
    // A top-level window (not message-only): the shell's "TaskbarCreated" is broadcast to those.
    CreateWnd("TTrayIconWindow", WS_POPUP, WS_EX_TOOLWINDOW, false);
  }
  LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override {
    if (FIcon->HandleMessage(msg, w, l)) return 0;
    return DefaultHandler(msg, w, l);
  }

private:
  TTrayIcon* FIcon;
};

// ---- the tray icon -------------------------------------------------------------------------------

TTrayIcon::TTrayIcon(TComponent* AOwner, TShellNotify notify)
    : TComponent(AOwner),
      FIcon(std::make_unique<TIcon>()),
      FIcons(std::make_unique<TIconList>()),
      FShellNotify(std::move(notify)) {
  FWindow = new TTrayWindow(this);
  FData.cbSize = sizeof(FData);
  FData.hWnd = FWindow->Handle();
  // The shell shows small icons: the image drawn for that size, not a large one shrunk.
  FIcon->SetLoadSize(SmallIconSize());
  FIcons->SetIconSize(SmallIconSize());
  FIcon->OnChange = [this](TObject*) { RefreshIcon(); };
  FIcons->OnChange = [this](TObject*) { RefreshIcon(); };
}

TTrayIcon::~TTrayIcon() {
  FDestroying = true;
  FEnabled = false;
  FIcon->OnChange = nullptr;
  FIcons->OnChange = nullptr;
  FAnimated = false;
  FTicker.reset();  // ends and joins its thread
  HideIcon();
  // Ticks still in the queue die with the window.
  delete FWindow;
  FWindow = nullptr;
}

HWND TTrayIcon::Handle() const { return FWindow ? FWindow->Handle() : nullptr; }

bool TTrayIcon::Send(DWORD message) { return FShellNotify && FShellNotify(message, &FData) != FALSE; }

bool TTrayIcon::AnimationRunning() const { return FTicker && FTicker->Enabled(); }
bool TTrayIcon::AnimationPaused() const { return FTicker && !FTicker->Enabled(); }

void TTrayIcon::SetActive(bool v) {
  if (v == FActive) return;
  FActive = v;
  if (v)
    ShowIcon();
  else
    HideIcon();
}

void TTrayIcon::SetHint(const std::string& v) {
  if (v == FHint) return;
  FHint = v;
  RefreshIcon(true);
}

void TTrayIcon::SetFace(HICON v) {
  if (v == FFace) return;
  HICON before = CurrentPicture();
  FFace = v;
  // While the first frame shows, the new face waits for its turn.
  if (CurrentPicture() != before || !FAdded) RefreshIcon();
}

void TTrayIcon::SetInterval(unsigned short v) {
  FInterval = v;
  if (FTicker) FTicker->SetInterval(TickerInterval(v));
}

void TTrayIcon::SetPopupMenu(TPopupMenu* v) {
  if (v == FPopupMenu) return;
  if (FPopupMenu) RemoveFreeNotification(FPopupMenu);
  FPopupMenu = v;
  if (v) v->FreeNotification(this);
}

void TTrayIcon::Notification(TComponent* AComponent) {
  if (AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TTrayIcon::Loaded() {
  TComponent::Loaded();
  if (FActive) ShowIcon();
}

TIcon* TTrayIcon::CurrentIcon() const {
  if (FAnimated && FIcons->Count() > 0) return FIcons->Item(std::max(std::min(FFrameIndex, FIcons->Count() - 1), 0));
  return FIcon.get();
}

HICON TTrayIcon::CurrentPicture() const {
  const bool firstFrame = FAnimated && FIcons->Count() > 0 && FFrameIndex <= 0;
  if (FFace && !firstFrame) return FFace;
  TIcon* icon = CurrentIcon();
  return HasImage(icon) ? icon->Handle() : nullptr;
}

void TTrayIcon::FillNotifyData() {
  FData = TNotifyIconData{};
  FData.cbSize = sizeof(FData);
  FData.hWnd = Handle();
  FData.uID = 0;
  FData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  FData.uCallbackMessage = WM_TRAYICONNOTIFY;
  HICON picture = CurrentPicture();
  FData.hIcon = picture ? picture : reinterpret_cast<HICON>(static_cast<INT_PTR>(-1));
  std::string tip = TooltipText(FHint);
  std::copy(tip.begin(), tip.end(), FData.szTip);
}

void TTrayIcon::ShowIcon() {
  HideIcon();
  if (!CurrentPicture()) return;  // an icon without a picture is never sent
  FPressed = 0;
  FillNotifyData();
  FAdded = Send(NIM_ADD);
  if (FAdded && ShortHint(FHint).empty()) Send(NIM_MODIFY);
  // The animation runs only while the icon is in the tray.
  if (FAnimated && FAdded && FTicker) FTicker->SetEnabled(true);
}

void TTrayIcon::HideIcon() {
  Send(NIM_DELETE);
  FAdded = false;
  FPressed = 0;
  if (FAnimated && FTicker) FTicker->SetEnabled(false);
}

void TTrayIcon::RefreshIcon(bool tipOnly) {
  if (FIcons->Count() == 0 && FAnimated) {
    SetAnimated(false);  // that refreshes again
    return;
  }
  if (FAdded) {
    if (!CurrentPicture()) {
      HideIcon();
    } else {
      FillNotifyData();
      if (tipOnly) FData.uFlags = NIF_TIP;
      Send(NIM_MODIFY);
    }
  } else if (FActive) {
    ShowIcon();
  }
}

bool TTrayIcon::ShowBalloon(const std::string& title, const std::string& text) {
  if (!FAdded || text.empty() || !FShellNotify) return false;
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V2_SIZE;
  data.hWnd = Handle();
  data.uID = FData.uID;
  data.uFlags = NIF_INFO;  // the balloon alone: the icon and the tooltip stay
  data.uTimeout = kBalloonTimeoutMs;
  data.dwInfoFlags = NIIF_INFO;
  BalloonText(text).copy(data.szInfo, sizeof(data.szInfo) - 1);
  BalloonTitle(title).copy(data.szInfoTitle, sizeof(data.szInfoTitle) - 1);
  // The shell reads as much of the record as its cbSize says; the head is the first form's.
  return FShellNotify(NIM_MODIFY, reinterpret_cast<TNotifyIconData*>(&data)) != FALSE;
}

void TTrayIcon::SetAnimated(bool v) {
  bool on = v && FIcons->Count() > 0;
  if (on == FAnimated) return;
  if (on) {
    auto ticker = std::make_unique<TTimer>(nullptr, true, false);
    ticker->SetInterval(TickerInterval(FInterval));
    ticker->OnTimer = [this](TObject*) { AdvanceFrame(); };
    ticker->SetEnabled(FAdded);  // paused while the icon is out
    FTicker = std::move(ticker);
    FAnimated = true;
  } else {
    FAnimated = false;
    FTicker.reset();  // ends and joins its thread
  }
  FFrameIndex = 0;
  RefreshIcon();
}

void TTrayIcon::AdvanceFrame() {
  if (FDestroying || !FAnimated) return;
  ++FFrameIndex;
  if (FFrameIndex >= FIcons->Count()) FFrameIndex = 0;
  RefreshIcon();
}

// ---- messages ----------------------------------------------------------------------------------

bool TTrayIcon::HandleMessage(UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_TRAYICONNOTIFY && FEnabled) {
    HandleNotify(static_cast<UINT>(l));
    return true;
  }
  if (msg != 0 && msg == TaskbarCreatedMessage()) {
    // A new taskbar (Explorer restarted) has an empty tray: without this the program, which
    // lives only there, could be neither reached nor ended.
    if (FActive && !FDestroying) ShowIcon();
    return true;
  }
  return false;  // the window's default handling
}

void TTrayIcon::HandleNotify(UINT code) {
  POINT p{};
  GetCursorPos(&p);
  TShiftState s = KeyShift();
  int x = p.x, y = p.y;
  switch (code) {
    case WM_MOUSEMOVE:
      HandleMouseMove(s, x, y);
      break;
    case WM_LBUTTONDOWN:
      HandleMouseDown(mbLeft, s | ssLeft, x, y);
      FPressed |= ssLeft;
      break;
    case WM_LBUTTONUP:
      if (FPressed & ssLeft) {
        FPressed &= ~ssLeft;
        HandleClick(mbLeft, s | ssLeft, x, y);
      }
      HandleMouseUp(mbLeft, s | ssLeft, x, y);
      break;
    case WM_LBUTTONDBLCLK:
      HandleDblClick();
      HandleMouseDown(mbLeft, s | ssDouble, x, y);
      break;
    case WM_RBUTTONDOWN:
      HandleMouseDown(mbRight, s | ssRight, x, y);
      FPressed |= ssRight;
      break;
    case WM_RBUTTONUP:
      if (FPressed & ssRight) {
        FPressed &= ~ssRight;
        HandleClick(mbRight, s | ssRight, x, y);
      }
      HandleMouseUp(mbRight, s | ssRight, x, y);
      break;
    case WM_RBUTTONDBLCLK:
      HandleMouseDown(mbRight, s | ssDouble, x, y);
      break;
    case WM_MBUTTONDOWN:
      HandleMouseDown(mbMiddle, s | ssMiddle, x, y);
      break;
    case WM_MBUTTONUP:
      HandleMouseUp(mbMiddle, s | ssMiddle, x, y);
      break;
    case WM_MBUTTONDBLCLK:
      HandleMouseDown(mbMiddle, s | ssDouble, x, y);
      break;
  }
}

void TTrayIcon::HandleMouseMove(TShiftState Shift, int X, int Y) { Fire(OnMouseMove, this, Shift, X, Y); }

void TTrayIcon::HandleMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  Fire(OnMouseDown, this, Button, Shift, X, Y);
}

void TTrayIcon::HandleMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  Fire(OnMouseUp, this, Button, Shift, X, Y);
}

void TTrayIcon::HandleClick(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbRight && PopupAtCursor(X, Y)) return;
  Fire(OnClick, this, Button, Shift, X, Y);
}

void TTrayIcon::HandleDblClick() {
  if (!ClickDefaultItem()) Fire(OnDblClick, this);
}

bool TTrayIcon::ClickDefaultItem() {
  if (!FActive || !FPopupMenu || FPopupMenu->Items()->Count() == 0) return false;
  UINT id = GetMenuDefaultItem(FPopupMenu->Handle(), FALSE, 0);  // enabled ones only
  if (id == static_cast<UINT>(-1)) return false;
  TMenuItem* root = FPopupMenu->Items();
  for (int i = 0; i < root->Count(); ++i) {
    TMenuItem* item = root->Item(i);
    if (item->Command() == id && item->Visible() && item->Enabled()) {
      item->Click();
      return true;
    }
  }
  return false;
}

bool TTrayIcon::PopupAtCursor(int X, int Y) {
  if (!FActive || !FPopupMenu) return false;
  HWND h = Handle();
  if (!FDestroying) {
    HWND active = GetActiveWindow();
    if (!active && Application && Application->MainForm()) active = Application->MainForm()->Handle();
    if (active) SendMessageA(active, WM_CANCELMODE, 0, 0);
  }
  // The menu closes on a click elsewhere only while our window is in the foreground.
  if (IsWindowEnabled(h)) SetForegroundWindow(h);
  if (Application) Application->ProcessMessages();
  struct TForegroundAgain {
    HWND H;
    ~TForegroundAgain() { SetForegroundWindow(H); }
  } again{h};
  FPopupMenu->Popup(X, Y, h);
  return true;
}
