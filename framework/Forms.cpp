#include "framework/Forms.h"
#include <algorithm>
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
  // No focus rectangle until the keyboard moves the focus, as Windows has it for the mouse user.
  SendMessageA(FHandle, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
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
  // Active again afterwards, if still shown: else no window of the program would be.
  HWND back = GetActiveWindow();
  std::vector<HWND> disabled{FHandle};
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, (LPARAM)&disabled);
  disabled.erase(disabled.begin());
  // A disabled window loses the focus: each form notes first where it was.
  for (HWND h : disabled)
    if (auto* f = dynamic_cast<TForm*>(FromHandle(h))) f->SaveFocus();
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
  if (!back || back == FHandle || !IsWindowVisible(back))
    back = Application && Application->MainForm() ? Application->MainForm()->Handle() : nullptr;
  // Before the hide, so that the activation never passes to another program's window.
  if (back && IsWindowVisible(back) && IsWindowEnabled(back)) SetForegroundWindow(back);
  Hide();
  return FModalResult;
}

// What had the focus is given it back when the form is active again (a dialog does the same).
void TForm::SaveFocus() {
  HWND f = GetFocus();
  if (f && IsChild(FHandle, f)) FSavedFocus = f;
}

void TForm::RestoreFocus() {
  HWND f = FSavedFocus;
  if (!f || !IsChild(FHandle, f) || !IsWindowVisible(f) || !IsWindowEnabled(f)) f = NextTabStop(FHandle, nullptr, false);
  if (f && GetFocus() != f) ::SetFocus(f);
}

LRESULT TForm::WndProc(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_SHOWWINDOW: {
      if (!w) SaveFocus();
      LRESULT r = DefaultHandler(msg, w, l);
      Fire(w ? OnShow : OnHide, this);
      return r;
    }
    case WM_ACTIVATE: {
      // Leaving, the focus has not moved yet; coming back, the default gives it to the form,
      // and WM_SETFOCUS below passes it on.
      if (LOWORD(w) == WA_INACTIVE) SaveFocus();
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
    // Whether focus rectangles show, kept here: Wine's default handling keeps no such state.
    case WM_CHANGEUISTATE:
    case WM_UPDATEUISTATE:
      if (HIWORD(w) & UISF_HIDEFOCUS) {
        if (LOWORD(w) == UIS_SET) FShowFocus = false;
        if (LOWORD(w) == UIS_CLEAR) FShowFocus = true;
      }
      break;
    case WM_QUERYUISTATE:
      return (DefaultHandler(msg, w, l) & ~UISF_HIDEFOCUS) | (FShowFocus ? 0 : UISF_HIDEFOCUS);
    case WM_SETFOCUS:
      // The form itself takes no keys: its first control does, or the one that had the focus.
      if (!IsIconic(FHandle)) RestoreFocus();
      return 0;
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

// ---- the keyboard ------------------------------------------------------------------------------

namespace {
bool Usable(HWND h) { return IsWindowVisible(h) && IsWindowEnabled(h); }

// Every window inside h in the order Tab walks: each child, then what lies inside it.
void Descendants(HWND h, std::vector<HWND>& out) {
  for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    out.push_back(c);
    if (Usable(c)) Descendants(c, out);
  }
}

bool IsTabStop(HWND h) { return (GetWindowLongA(h, GWL_STYLE) & WS_TABSTOP) && Usable(h); }

// The next element after index at (before it with previous), round at the ends, that pred
// takes: at itself when no other does. at may be -1 (before the first). Null when none does.
template <class P>
HWND Step(const std::vector<HWND>& v, int at, bool previous, P pred) {
  const int n = (int)v.size();
  for (int k = 1; k <= n; ++k) {
    int i = previous ? (at < 0 ? n - k : ((at - k) % n + n) % n) : (at + k) % n;
    if (pred(v[i])) return v[i];
  }
  return nullptr;
}

int IndexOf(const std::vector<HWND>& v, HWND h) {
  auto it = std::find(v.begin(), v.end(), h);
  return it == v.end() ? -1 : (int)(it - v.begin());
}

UINT DlgCode(HWND h, const MSG& msg) {
  return (UINT)SendMessageA(h, WM_GETDLGCODE, msg.wParam, (LPARAM)&msg);
}

// The focused button is pressed as by the mouse; a default or cancel button elsewhere is told
// the way a dialog tells it, through its parent, so that the focus stays where it is.
void Click(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }
void Notify(HWND button) {
  SendMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), (LPARAM)button);
}

// A default or cancel button that can take the click.
bool Clickable(HWND root, HWND button) { return button && IsChild(root, button) && Usable(button); }

void MoveFocus(HWND root, HWND to, UINT toCode) {
  SendMessageA(root, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  // A field reached so is selected whole, ready to be typed over; a read-only text keeps its place.
  if ((toCode & DLGC_HASSETSEL) && !(GetWindowLongA(to, GWL_STYLE) & ES_READONLY)) SendMessageA(to, EM_SETSEL, 0, -1);
  ::SetFocus(to);
}
}  // namespace

HWND NextTabStop(HWND root, HWND from, bool previous) {
  std::vector<HWND> all;
  Descendants(root, all);
  return Step(all, from ? IndexOf(all, from) : -1, previous, IsTabStop);
}

HWND NextInGroup(HWND from, bool previous) {
  HWND parent = from ? GetParent(from) : nullptr;
  if (!parent) return nullptr;
  HWND first = from;
  while (!(GetWindowLongA(first, GWL_STYLE) & WS_GROUP)) {
    HWND p = GetWindow(first, GW_HWNDPREV);
    if (!p) break;
    first = p;
  }
  std::vector<HWND> group;
  for (HWND c = first; c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (c != first && (GetWindowLongA(c, GWL_STYLE) & WS_GROUP)) break;
    group.push_back(c);
  }
  return Step(group, IndexOf(group, from), previous, [](HWND h) {
    return Usable(h) && !(SendMessageA(h, WM_GETDLGCODE, 0, 0) & DLGC_STATIC);
  });
}

bool DialogKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !msg.hwnd) return false;
  const UINT vk = (UINT)msg.wParam;
  if (vk != VK_TAB && vk != VK_RETURN && vk != VK_ESCAPE && vk != VK_LEFT && vk != VK_RIGHT && vk != VK_UP &&
      vk != VK_DOWN)
    return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  auto* form = dynamic_cast<TForm*>(TWinControl::FromHandle(root));
  if (!form || !IsWindowEnabled(root)) return false;
  HWND focus = msg.hwnd;
  const UINT code = focus != root ? DlgCode(focus, msg) : 0;
  // A read-only text has no use for these three: they move on or close, as elsewhere.
  const bool readOnly = (code & DLGC_HASSETSEL) && (GetWindowLongA(focus, GWL_STYLE) & ES_READONLY);
  const bool wantsAll = (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) && !readOnly;
  switch (vk) {
    case VK_TAB: {
      if (wantsAll || ((code & DLGC_WANTTAB) && !readOnly)) return false;
      HWND next = NextTabStop(root, focus == root ? nullptr : focus, GetKeyState(VK_SHIFT) < 0);
      if (!next) return false;
      MoveFocus(root, next, DlgCode(next, msg));
      return true;
    }
    case VK_RETURN:
      if (wantsAll) return false;
      if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
        Click(focus);
        return true;
      }
      if (!Clickable(root, form->DefaultButton())) return false;
      Notify(form->DefaultButton());
      return true;
    case VK_ESCAPE:
      if (wantsAll || !Clickable(root, form->CancelButton())) return false;
      Notify(form->CancelButton());
      return true;
    default: {  // the arrows
      if (focus == root || (code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE))) return false;
      HWND next = NextInGroup(focus, vk == VK_LEFT || vk == VK_UP);
      if (!next) return false;
      const UINT nextCode = DlgCode(next, msg);
      MoveFocus(root, next, nextCode);
      if (nextCode & DLGC_RADIOBUTTON) Click(next);  // as a dialog's radio group: the focus chooses
      return true;
    }
  }
}
