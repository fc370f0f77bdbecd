#include "framework/Controls.h"
#include <string>
#include "framework/Application.h"
#include "framework/Dpi.h"
#include "framework/GraphicControls.h"
#include "framework/Menus.h"
#include "framework/OSError.h"

namespace {
int nextChildId = 1000;

// Which control owns a window. Windows of our own classes carry their object in
// GWLP_USERDATA, set at WM_NCCREATE; standard controls, whose classes may use that slot
// themselves, carry it in a window property set before they are subclassed. Only the UI thread
// makes, asks and destroys windows, so nothing here needs a lock.
const char kControlProp[] = "Velmor.Control";

bool OfOwnClass(HWND h) { return (WNDPROC)GetClassLongPtrA(h, GCLP_WNDPROC) == VelmorWndProc; }

TWinControl* OwnClassObject(HWND h) { return reinterpret_cast<TWinControl*>(GetWindowLongPtrA(h, GWLP_USERDATA)); }
TWinControl* SubclassedObject(HWND h) { return static_cast<TWinControl*>(GetPropA(h, kControlProp)); }

}  // namespace

void RegisterWindowClass(const char* name, WNDPROC proc, UINT style, HICON icon, HBRUSH background) {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  // Registered afresh each time, the system's "already exists" meaning ours is there: asking
  // first (GetClassInfoA) would find a system class of the same name (the up-down arrows keep
  // the common control's), and Wine loads the common controls to answer.
  WNDCLASSA wc{};
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = inst;
  wc.hIcon = icon;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    RaiseLastOSError(std::string("Cannot register the window class ") + name);
}

// Both procedures are exception barriers from their first line: even the bookkeeping of a new
// window may fail (no memory), and nothing may unwind into the system's frames.
LRESULT CALLBACK VelmorWndProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  // Messages before WM_NCCREATE (WM_GETMINMAXINFO) find no object yet and go to the default.
  TWinControl* c = m == WM_NCCREATE ? static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(l)->lpCreateParams)
                                    : OwnClassObject(h);
  return Guarded(c, [&]() -> LRESULT {
    if (m == WM_NCCREATE && c) {
      c->FHandle = h;
      SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(c));
    }
    if (!c) return DefWindowProcA(h, m, w, l);
    if (m == WM_NCDESTROY) {
      SetWindowLongPtrA(h, GWLP_USERDATA, 0);
      c->FHandle = nullptr;
      return DefWindowProcA(h, m, w, l);
    }
    return c->WndProc(m, w, l);
  });
}

LRESULT CALLBACK VelmorSubclassProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  TWinControl* c = SubclassedObject(h);
  return Guarded(c, [&]() -> LRESULT {
    if (!c) return DefWindowProcA(h, m, w, l);
    if (m == WM_NCDESTROY) {
      WNDPROC def = c->FDefProc;
      RemovePropA(h, kControlProp);
      SetWindowLongPtrA(h, GWLP_WNDPROC, (LONG_PTR)def);
      c->FHandle = nullptr;
      return CallWindowProcA(def, h, m, w, l);
    }
    return c->WndProc(m, w, l);
  });
}

namespace {
struct TDialogChar {
  WPARAM ch;
  LPARAM keyData;
  bool taken = false;
};
BOOL CALLBACK OfferDialogChar(HWND h, LPARAM l) {
  auto* d = reinterpret_cast<TDialogChar*>(l);
  if (IsWindowVisible(h) && TWinControl::FromHandle(h) && SendMessageA(h, CM_DIALOGCHAR, d->ch, d->keyData)) {
    d->taken = true;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

bool DispatchDialogChar(HWND target, WPARAM ch, LPARAM keyData) {
  HWND root = target ? GetAncestor(target, GA_ROOT) : nullptr;
  if (!root || !TWinControl::FromHandle(root)) return false;
  TDialogChar d{ch, keyData};
  EnumChildWindows(root, OfferDialogChar, (LPARAM)&d);
  return d.taken;
}

TWinControl::TWinControl(TComponent* AOwner, TWinControl* AParent)
    : TComponent(AOwner), FPixelsPerInch(AParent ? AParent->FPixelsPerInch : kDesignDpi), FParent(AParent) {}

void TWinControl::ChangeScale(int newDpi, int oldDpi) {
  FPixelsPerInch = newDpi;
  if (FParent) {
    RECT r = BoundsRect();
    int l = ScaleToDpi(r.left, newDpi, oldDpi), t = ScaleToDpi(r.top, newDpi, oldDpi);
    SetBounds(l, t, ScaleToDpi(r.right, newDpi, oldDpi) - l, ScaleToDpi(r.bottom, newDpi, oldDpi) - t);
  }
  SetFont(ScaledFont(FFont, newDpi, oldDpi));
}

TWinControl::~TWinControl() {
  // Lightweight controls that outlive their parent stay, parentless.
  for (TGraphicControl* c : FGraphicControls) c->FParent = nullptr;
  FGraphicControls.clear();
  FMouseHolder = nullptr;
  if (FHandle) {
    HWND h = FHandle;
    DestroyWindow(h);  // clears FHandle through WM_NCDESTROY
    if (FHandle) {
      // The window stays (the system refused to destroy it): it must no longer name us.
      if (FDefProc) {
        RemovePropA(h, kControlProp);
        SetWindowLongPtrA(h, GWLP_WNDPROC, (LONG_PTR)FDefProc);
      } else {
        SetWindowLongPtrA(h, GWLP_USERDATA, 0);
      }
      FHandle = nullptr;
    }
  }
}

// Only windows of this process can be ours: another process's slot or property would hold an
// address of its own.
TWinControl* TWinControl::FromHandle(HWND h) {
  DWORD pid = 0;
  if (!h || !GetWindowThreadProcessId(h, &pid) || pid != GetCurrentProcessId()) return nullptr;
  return OfOwnClass(h) ? OwnClassObject(h) : SubclassedObject(h);
}

void TWinControl::CreateWnd(const char* className, DWORD style, DWORD exStyle, bool standardClass) {
  HWND parent = FParent ? FParent->Handle() : (Application ? Application->Handle() : nullptr);
  if (FParent) style |= WS_CHILD | WS_CLIPSIBLINGS;
  if (FVisible && FParent) style |= WS_VISIBLE;
  if (!FEnabled) style |= WS_DISABLED;
  HMENU id = FParent ? (HMENU)(INT_PTR)(nextChildId++) : nullptr;
  if (!standardClass) RegisterWindowClass(className, VelmorWndProc, CS_DBLCLKS, nullptr, (HBRUSH)(COLOR_BTNFACE + 1));
  HWND h = CreateWindowExA(exStyle, className, FCaption.c_str(), style, FLeft, FTop, FWidth, FHeight, parent, id,
                           GetModuleHandleA(nullptr), standardClass ? nullptr : this);
  if (!h) RaiseLastOSError(std::string("Cannot create a window of class ") + className);
  if (standardClass) {
    if (!SetPropA(h, kControlProp, this)) {
      DWORD error = GetLastError();
      DestroyWindow(h);
      SetLastError(error);
      RaiseLastOSError(std::string("Cannot create a window of class ") + className);
    }
    FHandle = h;
    FDefProc = (WNDPROC)SetWindowLongPtrA(h, GWLP_WNDPROC, (LONG_PTR)VelmorSubclassProc);
  }
  ApplyFontToWindow();
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM w, LPARAM l) {
  if (FDefProc) return CallWindowProcA(FDefProc, FHandle, msg, w, l);
  return DefWindowProcA(FHandle, msg, w, l);
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM w, LPARAM l) { return DefaultHandler(msg, w, l); }

RECT TWinControl::BoundsRect() const {
  if (!FHandle) return RECT{FLeft, FTop, FLeft + FWidth, FTop + FHeight};
  RECT r{};
  GetWindowRect(FHandle, &r);
  if (GetWindowLongA(FHandle, GWL_STYLE) & WS_CHILD) MapWindowPoints(nullptr, GetParent(FHandle), (POINT*)&r, 2);
  return r;
}

void TWinControl::SetBounds(int l, int t, int w, int h) {
  RECT r = BoundsRect();
  if (l == r.left && t == r.top && w == r.right - r.left && h == r.bottom - r.top) return;
  if (FHandle) SetWindowPos(FHandle, nullptr, l, t, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  else FLeft = l, FTop = t, FWidth = w, FHeight = h;
  BoundsChanged();
}

std::string TWinControl::Caption() const {
  if (!FHandle) return FCaption;
  std::string s(GetWindowTextLengthA(FHandle) + 1, '\0');
  s.resize(GetWindowTextA(FHandle, s.data(), (int)s.size()));
  return s;
}

void TWinControl::SetCaption(const std::string& v) {
  if (v == Caption()) return;
  if (FHandle) SetWindowTextA(FHandle, v.c_str());
  else FCaption = v;
  CaptionChanged();
}

void TWinControl::SetFont(const gdi::FontSpec& f) {
  if (f == FFont && FFontHandle) return;
  FFont = f;
  ApplyFontToWindow();
  FontChanged();
}

void TWinControl::ApplyFontToWindow() {
  gdi::Font fresh = gdi::MakeFont(FFont);
  if (FHandle) SendMessageA(FHandle, WM_SETFONT, (WPARAM)fresh.Get(), TRUE);
  FFontHandle = std::move(fresh);  // the old font is deleted only after the window let go of it
}

void TWinControl::SetVisible(bool v) {
  if (v == Visible()) return;
  if (FHandle) ShowWindow(FHandle, v ? SW_SHOW : SW_HIDE);
  else FVisible = v;
}

void TWinControl::SetEnabled(bool v) {
  if (v == Enabled()) return;
  if (FHandle) EnableWindow(FHandle, v);
  else FEnabled = v;
}

// ---------------------------------------------------------------------------------------------

bool TCustomControl::ReflectToChild(UINT msg, WPARAM w, LPARAM l, LRESULT& result) {
  if (msg == WM_COMMAND) {
    if (l == 0) return TMenuItem::DispatchCommand(LOWORD(w));
    if (TWinControl* c = FromHandle((HWND)l)) return c->CNCommand(HIWORD(w));
  } else if (msg == WM_NOTIFY) {
    auto* n = reinterpret_cast<NMHDR*>(l);
    if (TWinControl* c = FromHandle(n->hwndFrom)) return c->CNNotify(n, result);
  }
  return false;
}

LRESULT TCustomControl::WndProc(UINT msg, WPARAM w, LPARAM l) {
  LRESULT r = 0;
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
      if (ReflectToChild(msg, w, l, r)) return r;
      break;
    case WM_PAINT: {
      gdi::PaintDC dc(FHandle);
      Paint(dc);
      TGraphicControl::PaintControls(this, dc);
      return 0;
    }
    case WM_GETFONT:
      return (LRESULT)FontHandle();
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
      // The lightweight controls on this window take its mouse.
      if (TGraphicControl::DispatchMouse(this, msg, w, l)) return 0;
      break;
    case WM_SETCURSOR:
      if ((HWND)w == FHandle && LOWORD(l) == HTCLIENT && TGraphicControl::DispatchSetCursor(this)) return TRUE;
      break;
    case WM_CAPTURECHANGED:
      TGraphicControl::CaptureLost(this);
      break;
    case WM_PRINTCLIENT:
      DefaultHandler(WM_ERASEBKGND, w, 0);
      Paint((HDC)w);
      TGraphicControl::PaintControls(this, (HDC)w);
      return 0;
  }
  return DefaultHandler(msg, w, l);
}

// ---------------------------------------------------------------------------------------------

TPanel::TPanel(TComponent* AOwner, TWinControl* AParent) : TCustomControl(AOwner, AParent) {
  CreateWnd("TPanel", WS_CLIPCHILDREN, 0, false);
}

void TPanel::SetColor(TColor c) {
  if (c == FColor) return;
  FColor = c;
  Invalidate();
}

void TPanel::SetBevelWidth(int w) {
  if (w < 0) w = 0;
  if (w == FBevelWidth) return;
  FBevelWidth = w;
  Invalidate();
}

void TPanel::Paint(HDC dc) {
  RECT r;
  GetClientRect(FHandle, &r);
  // The class brush already erased with the button face.
  if (FColor != clBtnFace) gdi::FillSolid(dc, r, ColorToRGB(FColor));
  // Raised bevel: light on the top and left, shadow on the bottom and right; each ring one
  // pixel further in, the corners going to the light side on top and left.
  COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
  for (int i = 0; i < FBevelWidth && 2 * i < r.right && 2 * i < r.bottom; ++i) {
    int l = i, t = i, rt = r.right - i, b = r.bottom - i;
    gdi::FillSolid(dc, RECT{l, b - 1, rt, b}, shadow);
    gdi::FillSolid(dc, RECT{rt - 1, t, rt, b}, shadow);
    gdi::FillSolid(dc, RECT{l, t, rt - 1, t + 1}, light);
    gdi::FillSolid(dc, RECT{l, t, l + 1, b - 1}, light);
  }
}

TGroupBox::TGroupBox(TComponent* AOwner, TWinControl* AParent) : TCustomControl(AOwner, AParent) {
  CreateWnd("TGroupBox", WS_CLIPCHILDREN, 0, false);
}

void TGroupBox::Paint(HDC dc) {
  RECT r;
  GetClientRect(FHandle, &r);
  gdi::Select sf(dc, FontHandle());
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  RECT frame{0, tm.tmHeight / 2, r.right, r.bottom};
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  std::string caption = Caption();
  if (caption.empty()) return;
  SIZE sz{};
  GetTextExtentPoint32A(dc, caption.c_str(), (int)caption.size(), &sz);
  const int inset = ScaleToDpi(8, PixelsPerInch());
  RECT tr{inset, 0, inset + sz.cx + 2, tm.tmHeight};
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  ExtTextOutA(dc, inset + 1, 0, ETO_OPAQUE, &tr, caption.c_str(), (UINT)caption.size(), nullptr);
}
