#include "framework/Forms.h"
#include <vector>
#include "framework/Application.h"
#include "framework/Menus.h"
#include "framework/OSError.h"

TForm::TForm(TComponent* AOwner, const char* className, bool borderless)
    : TForm(AOwner, className, borderless ? WS_POPUP : (WS_CAPTION | WS_SYSMENU), 0) {}

TForm::TForm(TComponent* AOwner, const char* className, DWORD style, DWORD exStyle)
    : TCustomControl(AOwner, nullptr), FBorderless((style & WS_CAPTION) == 0) {
  FVisible = false;
  CreateWnd(className, style | WS_CLIPCHILDREN, exStyle, false);
}

TForm::~TForm() {
  if (FHandle) {
    HWND h = FHandle;
    SetMenu(nullptr);  // the menu belongs to its component, not to the window
    DestroyWindow(h);
  }
}

void TForm::DoCreate() { Fire(OnCreate, this); }

void TForm::Notification(TComponent* AComponent) {
  if (AComponent == FMenu) {
    FMenu = nullptr;
    if (FHandle) ::SetMenu(FHandle, nullptr);
  }
}

void TForm::SetMenu(TMainMenu* m) {
  if (m == FMenu) return;
  if (FMenu) FMenu->RemoveFreeNotification(this), FMenu->SetWindow(nullptr);
  FMenu = m;
  if (FHandle) ::SetMenu(FHandle, m ? m->Handle() : nullptr);
  if (m) m->FreeNotification(this), m->SetWindow(FHandle);
  AdjustToClient();
}

void TForm::SetClientSize(int w, int h) {
  FClientW = w, FClientH = h;
  AdjustToClient();
}

void TForm::AdjustToClient() {
  if (!FClientW || !FHandle || FAdjusting) return;
  FAdjusting = true;
  DWORD style = GetWindowLongA(FHandle, GWL_STYLE), ex = GetWindowLongA(FHandle, GWL_EXSTYLE);
  RECT r{0, 0, FClientW, FClientH};
  // The frame at the window's own DPI where the system knows one (Windows 10 1607 on).
  using TAdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = reinterpret_cast<TAdjustForDpi>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi")));
  if (!adjustForDpi || WindowPixelsPerInch(FHandle) != PixelsPerInch() ||
      !adjustForDpi(&r, style, FMenu != nullptr, ex, PixelsPerInch()))
    AdjustWindowRectEx(&r, style, FMenu != nullptr, ex);
  // Where the window is now, wherever it was dragged.
  RECT w{};
  GetWindowRect(FHandle, &w);
  SetBounds(w.left, w.top, r.right - r.left, r.bottom - r.top);
  // A menu bar that wraps is taller than AdjustWindowRectEx assumes: measure and correct.
  RECT c;
  GetClientRect(FHandle, &c);
  if (c.bottom != FClientH && c.bottom > 0) SetBounds(Left(), Top(), Width(), Height() + FClientH - c.bottom);
  FAdjusting = false;
}

void TForm::BoundsChanged() {}

// After the components' own Loaded, which size them by their pictures at the description's DPI.
void TForm::Loaded() {
  TCustomControl::Loaded();
  SetPixelsPerInch(ScreenPixelsPerInch());
}

void TForm::SetPixelsPerInch(int dpi) {
  const int old = PixelsPerInch();
  if (dpi <= 0 || dpi == old) return;
  // The controls first: a form that lays some of them out by its own size does so again when
  // its window changes size, and the scale must not come on top of that.
  for (int i = 0; i < ComponentCount(); ++i) Component(i)->ChangeScale(dpi, old);
  ChangeScale(dpi, old);
}

void TForm::ChangeScale(int newDpi, int oldDpi) {
  RECT before = BoundsRect();
  TCustomControl::ChangeScale(newDpi, oldDpi);  // the font; a window without a parent keeps its place
  int w, h;
  if (FClientW) {
    FClientW = ScaleToDpi(FClientW, newDpi, oldDpi), FClientH = ScaleToDpi(FClientH, newDpi, oldDpi);
    AdjustToClient();
    w = Width(), h = Height();
  } else {
    w = ScaleToDpi(before.right - before.left, newDpi, oldDpi), h = ScaleToDpi(before.bottom - before.top, newDpi, oldDpi);
  }
  // Around its centre: a window centred on the screen stays so.
  int cx = (before.left + before.right) / 2, cy = (before.top + before.bottom) / 2;
  SetBounds(cx - w / 2, cy - h / 2, w, h);
}

int TForm::ClientWidth() const {
  RECT c{};
  if (FHandle) GetClientRect(FHandle, &c);
  return c.right;
}

int TForm::ClientHeight() const {
  RECT c{};
  if (FHandle) GetClientRect(FHandle, &c);
  return c.bottom;
}

void TForm::SetFormStyle(TFormStyle s) {
  FFormStyle = s;
  if (FHandle)
    SetWindowPos(FHandle, s == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm::SetIcon(HICON big, HICON small) {
  if (!FHandle) return;
  SendMessageA(FHandle, WM_SETICON, ICON_BIG, (LPARAM)big);
  SendMessageA(FHandle, WM_SETICON, ICON_SMALL, (LPARAM)small);
}

void TForm::SetPosition(int left, int top) { SetBounds(left, top, Width(), Height()); }

void TForm::Close() {
  TCloseAction action = (!FModal && Application && Application->MainForm() == this) ? caFree : caHide;
  if (FModal && FModalResult == mrNone) FModalResult = mrCancel;
  Fire(OnClose, this, action);
  if (action == caNone) {
    if (FModal) FModalResult = mrNone;
    return;
  }
  Hide();
  if (action == caFree) {
    // The window stays until the application frees the form after its loop: a run that is
    // still unwinding on the stack must not find its controls gone.
    FReleased = true;
    if (Application && Application->MainForm() == this) Application->Terminate();
  }
}

namespace {
BOOL CALLBACK CollectEnabled(HWND h, LPARAM l) {
  return Guarded(nullptr, [&]() -> BOOL {
    auto* v = reinterpret_cast<std::vector<HWND>*>(l);
    if (IsWindowVisible(h) && IsWindowEnabled(h) && h != v->front()) v->push_back(h);
    return TRUE;
  });
}
}  // namespace

int TForm::ShowModal() {
  if (FModal || Visible()) return mrNone;
  std::vector<HWND> disabled{FHandle};
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, (LPARAM)&disabled);
  disabled.erase(disabled.begin());
  for (HWND h : disabled) EnableWindow(h, FALSE);
  FModal = true;
  FModalResult = mrNone;
  Show();
  SetForegroundWindow(FHandle);
  while (FModalResult == mrNone && Visible() && !(Application && Application->Terminated())) {
    Application->ProcessMessages();
    if (FModalResult != mrNone || !Visible() || Application->Terminated()) break;
    WaitMessage();
  }
  for (HWND h : disabled)
    if (IsWindow(h)) EnableWindow(h, TRUE);
  FModal = false;
  Hide();
  return FModalResult;
}

LRESULT TForm::WndProc(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_SHOWWINDOW: {
      LRESULT r = DefaultHandler(msg, w, l);
      Fire(w ? OnShow : OnHide, this);
      return r;
    }
    case WM_ACTIVATE: {
      LRESULT r = DefaultHandler(msg, w, l);
      if (LOWORD(w) != WA_INACTIVE) Fire(OnActivate, this);
      return r;
    }
    case kWmDpiChanged: {
      // Laid out again at the monitor's DPI, in the rectangle Windows suggests; a form that
      // keeps its client area keeps its own size there.
      const RECT r = *reinterpret_cast<const RECT*>(l);
      SetPixelsPerInch(HIWORD(w));
      SetBounds(r.left, r.top, FClientW ? Width() : r.right - r.left, FClientW ? Height() : r.bottom - r.top);
      RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
      return 0;
    }
    case WM_SIZE:
      // The client area changed without the form being sized (its menu bar wrapped to more
      // rows or fewer): the window follows, so that the client area keeps its size.
      if (w == SIZE_RESTORED && FClientW && !(GetWindowLongA(FHandle, GWL_STYLE) & WS_THICKFRAME) &&
          (LOWORD(l) != FClientW || HIWORD(l) != FClientH))
        AdjustToClient();
      break;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
      // Another colour scheme, or high contrast switched: whatever is painted in the scheme's
      // colours, or in a look of our own that gives way to them, is painted again at once.
      RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
      if (GetMenu(FHandle)) DrawMenuBar(FHandle);
      break;
    // The owner-drawn items of the window's menus.
    case WM_MEASUREITEM:
      if (w == 0 && TMenuItem::MeasureItem(FHandle, *reinterpret_cast<MEASUREITEMSTRUCT*>(l))) return TRUE;
      break;
    case WM_DRAWITEM:
      if (w == 0 && TMenuItem::DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(l))) return TRUE;
      break;
    case WM_MENUCHAR: {
      LRESULT r = 0;
      if (TMenuItem::MenuChar(reinterpret_cast<HMENU>(l), (char)LOWORD(w), r)) return r;
      break;
    }
  }
  return TCustomControl::WndProc(msg, w, l);
}
