#include "framework/StdCtrls.h"
#include <commctrl.h>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include "framework/Dpi.h"
#include "framework/Timers.h"

bool TryStrToInt(const std::string& s, int& out) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
  if (i >= s.size()) return false;
  long long v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
    if (v > (long long)INT_MAX + 1) return false;
  }
  if (neg) v = -v;
  if (v > INT_MAX || v < INT_MIN) return false;
  out = (int)v;
  return true;
}

// ---------------------------------------------------------------------------------------------

TLabel::TLabel(TComponent* AOwner, TWinControl* AParent) : TWinControl(AOwner, AParent) {
  CreateWnd("STATIC", SS_LEFT | SS_NOPREFIX, 0, true);
  AutoSize();
}

void TLabel::AutoSize() {
  gdi::MemDC dc;  // measuring needs no screen, and a screen DC costs a trip to the window server
  gdi::Select sf(dc, FontHandle());
  SIZE sz{0, 0};
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  std::string caption = Caption();
  // Measured as the static control draws it (its TABs expanded), in the font it draws with; a
  // synthesised bold (a font that has none, as many of the Far East have) reaches its overhang
  // further.
  RECT r{0, 0, SHRT_MAX, 0};
  if (!caption.empty()) {
    DrawTextA(dc, caption.c_str(), (int)caption.size(), &r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    sz.cx = r.right - r.left + tm.tmOverhang;
  }
  SetBounds(Left(), Top(), sz.cx, tm.tmHeight);
}

void TLabel::CaptionChanged() {
  // The whole of the old and the new area is painted again: the parent where a shorter caption
  // leaves its place, the label where a longer one takes more.
  RECT before = BoundsRect();
  AutoSize();
  RECT after = BoundsRect(), both;
  // Of the same size, the control has already repainted itself for its new text.
  if (EqualRect(&before, &after) || !FHandle || !IsWindowVisible(FHandle) || !Parent() || !Parent()->Handle()) return;
  UnionRect(&both, &before, &after);
  RedrawWindow(Parent()->Handle(), &both, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// ---------------------------------------------------------------------------------------------

TButton::TButton(TComponent* AOwner, TWinControl* AParent) : TWinControl(AOwner, AParent) {
  CreateWnd("BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, true);
}

bool TButton::CNCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  Click();
  return true;
}

// ---------------------------------------------------------------------------------------------

class TRadioButton : public TWinControl {
public:
  TRadioButton(TRadioGroup* group, int index, bool first)
      : TWinControl(group, group), FGroup(group), FIndex(index) {
    CreateWnd("BUTTON", BS_RADIOBUTTON | (first ? WS_GROUP | WS_TABSTOP : 0), 0, true);
    SetFont(group->Font());
  }
  bool CNCommand(WORD code) override {
    if (code != BN_CLICKED) return false;
    FGroup->ButtonClicked(FIndex);
    return true;
  }

private:
  TRadioGroup* FGroup;
  int FIndex;
};

TRadioGroup::TRadioGroup(TComponent* AOwner, TWinControl* AParent) : TGroupBox(AOwner, AParent) {}

TRadioGroup::~TRadioGroup() = default;

void TRadioGroup::SetItems(const std::vector<std::string>& items) {
  for (auto* b : FButtons) delete b;
  FButtons.clear();
  for (size_t i = 0; i < items.size(); ++i) {
    auto* b = new TRadioButton(this, (int)i, i == 0);
    b->SetCaption(items[i]);
    FButtons.push_back(b);
  }
  if (FItemIndex >= (int)items.size()) FItemIndex = -1;
  ArrangeButtons();
  SetItemIndex(FItemIndex);
}

std::string TRadioGroup::Item(int i) const {
  return i >= 0 && i < ItemCount() ? FButtons[i]->Caption() : std::string();
}

void TRadioGroup::SetItem(int i, const std::string& caption) {
  if (i >= 0 && i < ItemCount()) FButtons[i]->SetCaption(caption);
}

HWND TRadioGroup::ButtonHandle(int i) const { return i >= 0 && i < ItemCount() ? FButtons[i]->Handle() : nullptr; }

void TRadioGroup::SetItemIndex(int i) {
  if (i < -1 || i >= ItemCount()) i = -1;
  FItemIndex = i;
  for (int k = 0; k < ItemCount(); ++k) {
    HWND h = FButtons[k]->Handle();
    if (!h) continue;
    SendMessageA(h, BM_SETCHECK, k == i ? BST_CHECKED : BST_UNCHECKED, 0);
    // The group is one tab stop, the chosen item (the first while none is); the arrow keys
    // move within it.
    LONG style = GetWindowLongA(h, GWL_STYLE);
    LONG want = k == (i < 0 ? 0 : i) ? style | WS_TABSTOP : style & ~WS_TABSTOP;
    if (want != style) SetWindowLongA(h, GWL_STYLE, want);
  }
}

void TRadioGroup::ButtonClicked(int i) {
  if (i == FItemIndex) return;
  SetItemIndex(i);
  Fire(OnClick, this);
}

void TRadioGroup::FontChanged() {
  TGroupBox::FontChanged();
  for (auto* b : FButtons) b->SetFont(Font());
  ArrangeButtons();
}

void TRadioGroup::ArrangeButtons() {
  if (FButtons.empty() || !Handle()) return;
  gdi::WindowDC dc(nullptr);
  gdi::Select sf(dc, FontHandle());
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  // Below the caption, the items share the height evenly, one column.
  const int dpi = PixelsPerInch(), inset = ScaleToDpi(8, dpi), pad = ScaleToDpi(4, dpi);
  int top = tm.tmHeight + 1, avail = Height() - top - pad, n = (int)FButtons.size();
  int rowH = avail / n, btnH = tm.tmHeight + pad;
  for (int i = 0; i < n; ++i)
    FButtons[i]->SetBounds(inset, top + i * rowH + (rowH - btnH) / 2, Width() - ScaleToDpi(12, dpi), btnH);
}

// ---------------------------------------------------------------------------------------------

namespace {
const int kSpinButtonWidth = 15;
// A held arrow steps again after the first delay, then at the repeat rate.
const UINT kFirstRepeat = 400, kRepeat = 100;
}  // namespace

TUpDown::TUpDown(TComponent* AOwner, TWinControl* AParent) : TCustomControl(AOwner, AParent) {
  SetBounds(0, 0, kSpinButtonWidth, 10);
  CreateWnd(UPDOWN_CLASSA, 0, 0, false);
  FRepeat = new TTimer(this, false, false);
  FRepeat->OnTimer = [this](TObject*) {
    FRepeat->SetInterval(kRepeat);
    if (FPressed && FOver) Step();
  };
}

int TUpDown::ArrowAt(int y) const {
  RECT c;
  GetClientRect(Handle(), &c);
  return y < c.bottom / 2 ? 1 : -1;
}

void TUpDown::Paint(HDC dc) {
  RECT c;
  GetClientRect(Handle(), &c);
  RECT up = c, down = c;
  up.bottom = down.top = c.bottom / 2;
  UINT off = IsWindowEnabled(Handle()) ? 0 : DFCS_INACTIVE;
  DrawFrameControl(dc, &up, DFC_SCROLL, DFCS_SCROLLUP | off | (FPressed > 0 && FOver ? DFCS_PUSHED : 0));
  DrawFrameControl(dc, &down, DFC_SCROLL, DFCS_SCROLLDOWN | off | (FPressed < 0 && FOver ? DFCS_PUSHED : 0));
}

void TUpDown::Step() {
  HWND parent = GetParent(Handle());
  if (!parent) return;
  NMUPDOWN n{};
  n.hdr.hwndFrom = Handle();
  n.hdr.idFrom = (UINT_PTR)GetDlgCtrlID(Handle());
  n.hdr.code = UDN_DELTAPOS;
  n.iDelta = FPressed;
  SendMessageA(parent, WM_NOTIFY, n.hdr.idFrom, (LPARAM)&n);
}

void TUpDown::Press(int arrow) {
  FPressed = arrow;
  FOver = true;
  SetCapture(Handle());
  InvalidateRect(Handle(), nullptr, FALSE);
  FRepeat->SetEnabled(false);  // a new press waits the first delay again
  FRepeat->SetInterval(kFirstRepeat);
  FRepeat->SetEnabled(true);
  Step();
}

void TUpDown::Release() {
  if (!FPressed) return;
  FPressed = 0;
  FRepeat->SetEnabled(false);
  if (GetCapture() == Handle()) ReleaseCapture();
  InvalidateRect(Handle(), nullptr, FALSE);
}

LRESULT TUpDown::WndProc(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:  // a quick second press is a press like any other
      if (IsWindowEnabled(Handle())) Press(ArrowAt((short)HIWORD(l)));
      return 0;
    case WM_MOUSEMOVE:
      if (FPressed) {
        RECT c;
        GetClientRect(Handle(), &c);
        POINT p{(short)LOWORD(l), (short)HIWORD(l)};
        bool over = PtInRect(&c, p) && ArrowAt(p.y) == FPressed;
        if (over != FOver) {
          FOver = over;
          InvalidateRect(Handle(), nullptr, FALSE);
        }
      }
      return 0;
    case WM_LBUTTONUP:
      Release();
      return 0;
    case WM_CAPTURECHANGED:
      if ((HWND)l != Handle()) Release();
      return 0;
    case WM_ENABLE:
      if (!w) Release();
      InvalidateRect(Handle(), nullptr, FALSE);
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_ERASEBKGND:
      return 1;  // the arrows cover it all
  }
  return TCustomControl::WndProc(msg, w, l);
}

TSpinEdit::TSpinEdit(TComponent* AOwner, TWinControl* AParent) : TWinControl(AOwner, AParent) {
  OnRefusedKey = [] { MessageBeep(0); };
  CreateWnd("EDIT", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP | WS_CLIPCHILDREN, WS_EX_CLIENTEDGE, true);
  FButton = new TUpDown(this, this);
  FUpDown = FButton->Handle();
  SetText("0");
  PlaceButton();
}

void TSpinEdit::PlaceButton() {
  if (!Handle() || !FUpDown) return;
  RECT c;
  GetClientRect(Handle(), &c);
  const int w = ScaleToDpi(kSpinButtonWidth, PixelsPerInch());
  SetWindowPos(FUpDown, nullptr, c.right - w, 0, w, c.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(Handle(), EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, w + 1));
}

std::string TSpinEdit::Text() const { return Caption(); }

void TSpinEdit::SetText(const std::string& t) {
  if (Handle()) SetWindowTextA(Handle(), t.c_str());
}

int TSpinEdit::CheckValue(int v) const {
  if (FMaxValue != FMinValue) {
    if (v < FMinValue) return FMinValue;
    if (v > FMaxValue) return FMaxValue;
  }
  return v;
}

int TSpinEdit::Value() const {
  int v;
  return TryStrToInt(Text(), v) ? v : FMinValue;
}

void TSpinEdit::SetValue(int v) {
  std::string t = std::to_string(CheckValue(v));
  if (t != Text()) SetText(t);
}

bool TSpinEdit::CNCommand(WORD code) {
  if (code == EN_CHANGE) Fire(OnChange, this);
  return false;
}

LRESULT TSpinEdit::WndProc(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_CHAR: {
      char ch = (char)w;
      bool ok = (ch >= '0' && ch <= '9') || ch == '+' || ch == '-' || (unsigned char)ch < 32;
      if (!ok) {
        Fire(OnRefusedKey);
        return 0;
      }
      break;
    }
    case WM_KEYDOWN:
      if (w == VK_UP) { UpClick(); return 0; }
      if (w == VK_DOWN) { DownClick(); return 0; }
      break;
    case WM_KILLFOCUS: {
      int v = Value();
      if (CheckValue(v) != v) SetValue(v);
      break;
    }
    case WM_NOTIFY: {
      auto* n = reinterpret_cast<NMHDR*>(l);
      if (n->hwndFrom == FUpDown && n->code == UDN_DELTAPOS) {
        auto* ud = reinterpret_cast<NMUPDOWN*>(l);
        if (ud->iDelta > 0) UpClick();
        else if (ud->iDelta < 0) DownClick();
        return 1;
      }
      break;
    }
    case WM_SIZE: {
      LRESULT r = DefaultHandler(msg, w, l);
      PlaceButton();
      return r;
    }
  }
  return DefaultHandler(msg, w, l);
}

// ---------------------------------------------------------------------------------------------

TProgressBar::TProgressBar(TComponent* AOwner, TWinControl* AParent) : TCustomControl(AOwner, AParent) {
  CreateWnd(PROGRESS_CLASSA, 0, WS_EX_STATICEDGE, false);
}

void TProgressBar::Paint(HDC dc) {
  RECT c;
  GetClientRect(Handle(), &c);
  int w = c.right, h = c.bottom;
  // Blocks two-thirds of the height wide with two-pixel gaps; the last one may be cut short.
  int block = std::max(1, h * 2 / 3), gap = 2;
  int bar = FMax > FMin ? (int)((long long)(FPosition - FMin) * w / (FMax - FMin)) : 0;
  gdi::FillSolid(dc, c, GetSysColor(COLOR_BTNFACE));
  for (int x = 0; x < bar; x += block + gap)
    gdi::FillSolid(dc, RECT{x, 0, std::min(x + block, bar), h}, GetSysColor(COLOR_HIGHLIGHT));
}

void TProgressBar::SetPosition(int v) {
  if (v < FMin) v = FMin;
  if (v > FMax) v = FMax;
  if (v == FPosition) return;
  FPosition = v;
  Invalidate();
}

void TProgressBar::SetRange(int min, int max) {
  FMin = min, FMax = max;
  Invalidate();
  SetPosition(FPosition);
}

// The standard control's messages, for whoever drives or reads the bar from outside.
LRESULT TProgressBar::WndProc(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case PBM_SETPOS: {
      int old = FPosition;
      SetPosition((int)w);
      return old;
    }
    case PBM_DELTAPOS: {
      int old = FPosition;
      SetPosition(FPosition + (int)w);
      return old;
    }
    case PBM_GETPOS:
      return FPosition;
    case PBM_SETRANGE: {
      LRESULT old = MAKELONG(FMin, FMax);
      SetRange(LOWORD(l), HIWORD(l));
      return old;
    }
    case PBM_SETRANGE32: {
      LRESULT old = MAKELONG(FMin, FMax);
      SetRange((int)w, (int)l);
      return old;
    }
    case PBM_GETRANGE: {
      if (l) {
        auto* r = reinterpret_cast<PBRANGE*>(l);
        r->iLow = FMin;
        r->iHigh = FMax;
      }
      return w ? FMin : FMax;
    }
    case WM_ERASEBKGND:
      return 1;  // Paint fills it all: no flicker while a run moves the bar
  }
  return TCustomControl::WndProc(msg, w, l);
}
