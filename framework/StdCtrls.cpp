#include "framework/StdCtrls.h"
#include <commctrl.h>
#include <climits>
#include <cstdlib>

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
  if (!Caption().empty()) GetTextExtentPoint32A(dc, Caption().c_str(), (int)Caption().size(), &sz);
  SetBounds(Left(), Top(), sz.cx, tm.tmHeight);
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
    CreateWnd("BUTTON", BS_RADIOBUTTON | WS_TABSTOP | (first ? WS_GROUP : 0), 0, true);
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
  for (int k = 0; k < ItemCount(); ++k)
    if (FButtons[k]->Handle()) SendMessageA(FButtons[k]->Handle(), BM_SETCHECK, k == i ? BST_CHECKED : BST_UNCHECKED, 0);
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
  int top = tm.tmHeight + 1, avail = Height() - top - 4, n = (int)FButtons.size();
  int rowH = avail / n, btnH = tm.tmHeight + 4;
  for (int i = 0; i < n; ++i)
    FButtons[i]->SetBounds(8, top + i * rowH + (rowH - btnH) / 2, Width() - 12, btnH);
}

// ---------------------------------------------------------------------------------------------

namespace {
const int kSpinButtonWidth = 15;
}

TSpinEdit::TSpinEdit(TComponent* AOwner, TWinControl* AParent) : TWinControl(AOwner, AParent) {
  OnRefusedKey = [] { MessageBeep(0); };
  CreateWnd("EDIT", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP | WS_CLIPCHILDREN, WS_EX_CLIENTEDGE, true);
  FUpDown = CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE, 0, 0, kSpinButtonWidth, 10, Handle(), nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  SendMessageA(FUpDown, UDM_SETRANGE32, 0, 100);
  SendMessageA(FUpDown, UDM_SETPOS32, 0, 50);
  SetText("0");
  PlaceButton();
}

void TSpinEdit::PlaceButton() {
  if (!Handle() || !FUpDown) return;
  RECT c;
  GetClientRect(Handle(), &c);
  SetWindowPos(FUpDown, nullptr, c.right - kSpinButtonWidth, 0, kSpinButtonWidth, c.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(Handle(), EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, kSpinButtonWidth + 1));
}

std::string TSpinEdit::Text() const {
  if (!Handle()) return Caption();
  int n = GetWindowTextLengthA(Handle());
  std::string s(n + 1, '\0');
  GetWindowTextA(Handle(), s.data(), n + 1);
  s.resize(n);
  return s;
}

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
        return 1;  // the control's own position never moves
      }
      break;
    }
    case WM_VSCROLL:
      if ((HWND)l == FUpDown) return 0;
      break;
    case WM_SIZE: {
      LRESULT r = DefaultHandler(msg, w, l);
      PlaceButton();
      return r;
    }
  }
  return DefaultHandler(msg, w, l);
}

// ---------------------------------------------------------------------------------------------

TProgressBar::TProgressBar(TComponent* AOwner, TWinControl* AParent) : TWinControl(AOwner, AParent) {
  CreateWnd(PROGRESS_CLASSA, 0, 0, true);
  SendMessageA(Handle(), PBM_SETRANGE32, FMin, FMax);
}

void TProgressBar::SetPosition(int v) {
  if (v < FMin) v = FMin;
  if (v > FMax) v = FMax;
  if (v == FPosition) return;
  FPosition = v;
  if (Handle()) SendMessageA(Handle(), PBM_SETPOS, v, 0);
}

void TProgressBar::SetRange(int min, int max) {
  FMin = min, FMax = max;
  if (Handle()) SendMessageA(Handle(), PBM_SETRANGE32, min, max);
  SetPosition(FPosition);
}
