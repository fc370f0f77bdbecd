#include "components/MarginMenu.h"
#include "framework/Dpi.h"
#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include "framework/Controls.h"
#include "framework/Gdi.h"

namespace {
// Inside a row, right of the margin: the picture column, then the caption.
const int kImagePad = 3;     // left of the picture
const int kTextGap = 6;      // between the picture column and the caption
const int kRightPad = 18;    // after the caption, or after the shortcut
const int kShortCutGap = 24; // between the caption and its shortcut
const int kSeparatorHeight = 9;

// A caption's shortcut as drawn: a TAB inside it reads as a blank.
std::string ShortCutOf(const TMenuItem* item) {
  std::string s(item->ShownShortCut());
  return TabsAsBlanks(s);
}

int TextWidth(HDC dc, std::string_view s, UINT flags = 0) {
  RECT r{0, 0, 0, 0};
  if (!s.empty()) DrawTextA(dc, s.data(), (int)s.size(), &r, DT_SINGLELINE | DT_CALCRECT | flags);
  return r.right - r.left;
}

int ImageColumn(const TImageList* images, int pad) { return (images ? images->Width() : 16) + 2 * pad; }

// A check mark of two strokes, for a checked item without a picture; drawn for a 16-pixel box and
// grown with it in whole pixels, so that it stays sharp.
void DrawCheck(HDC dc, int left, int top, int size, COLORREF colour) {
  gdi::Pen pen(CreatePen(PS_SOLID, 1, colour));
  gdi::Select sp(dc, pen);
  const int u = std::max(1, (size + 8) / 16);
  int x = left + size / 4, y = top + size / 2;
  for (int k = 0; k < 2 * u; ++k) {
    MoveToEx(dc, x, y + k - 1, nullptr);
    LineTo(dc, x + 2 * u, y + k + 1);
    LineTo(dc, x + 7 * u, y + k - 4 * u);
  }
}
}  // namespace

gdi::FontSpec MenuFont(bool bold) {
  LOGFONTA lf;
  gdi::FontSpec f;  // "MS Sans Serif" 8 pt
  if (ReadMenuLogFont(lf)) f = gdi::FontSpec::FromLogFont(lf);
  f.Bold = f.Bold || bold;
  return f;
}

class TMarginPopupMenu::TMenuWindow : public TWinControl {
public:
  explicit TMenuWindow(TMarginPopupMenu* menu) : TWinControl(menu, nullptr), FMenu(menu) {
    FVisible = false;
    CreateWnd("TMarginPopupWindow", WS_POPUP, WS_EX_TOOLWINDOW, false);
  }
  LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override {
    switch (msg) {
      case WM_MEASUREITEM:
        if (FMenu->MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(l))) return TRUE;
        break;
      case WM_DRAWITEM:
        if (FMenu->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(l))) return TRUE;
        break;
      case WM_MENUCHAR:
        if (reinterpret_cast<HMENU>(l) == FMenu->Handle()) return MenuChar((char)LOWORD(w));
        break;
      case WM_COMMAND:
        if (l == 0 && HIWORD(w) == 0 && TMenuItem::DispatchCommand(LOWORD(w))) return 0;
        break;
    }
    return DefaultHandler(msg, w, l);
  }

private:
  // Owner-drawn items have no accelerators of their own: find the item whose caption marks
  // the typed character with "&".
  LRESULT MenuChar(char c) {
    HMENU m = FMenu->Handle();
    for (int pos = 0; pos < GetMenuItemCount(m); ++pos) {
      TMenuItem* item = TMenuItem::FindCommand(GetMenuItemID(m, pos));
      if (!item) continue;
      if (IsAcceleratorOf(item->Caption(), c)) return MAKELRESULT(pos, MNC_EXECUTE);
    }
    return MAKELRESULT(0, MNC_IGNORE);
  }
  TMarginPopupMenu* FMenu;
};

TMarginPopupMenu::TMarginPopupMenu(TComponent* AOwner) : TPopupMenu(AOwner) { FWindow = new TMenuWindow(this); }

TMarginPopupMenu::~TMarginPopupMenu() {
  delete FWindow;
  FWindow = nullptr;
}

HWND TMarginPopupMenu::WindowHandle() const { return FWindow ? FWindow->Handle() : nullptr; }

TMenuItem* TMarginPopupMenu::OwnItem(ULONG_PTR data) const {
  TMenuItem* root = Items();
  for (int i = 0; i < root->Count(); ++i)
    if (reinterpret_cast<ULONG_PTR>(root->Item(i)) == data) return root->Item(i);
  return nullptr;
}

void TMarginPopupMenu::PrepareItems() {
  HMENU m = Handle();
  MENUINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = MIM_STYLE;
  GetMenuInfo(m, &info);
  info.dwStyle |= MNS_NOCHECK;  // the rows draw their own checks
  SetMenuInfo(m, &info);
  for (int pos = 0; pos < GetMenuItemCount(m); ++pos) {
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof(mi);
    mi.fMask = MIIM_ID | MIIM_FTYPE;
    if (!GetMenuItemInfoA(m, pos, TRUE, &mi)) continue;
    TMenuItem* item = TMenuItem::FindCommand(mi.wID);
    if (!item || item->Parent() != Items()) continue;
    mi.fMask = MIIM_FTYPE | MIIM_DATA;
    mi.fType = MFT_OWNERDRAW | (mi.fType & MFT_SEPARATOR);
    mi.dwItemData = reinterpret_cast<ULONG_PTR>(item);
    SetMenuItemInfoA(m, pos, TRUE, &mi);
  }
}

void TMarginPopupMenu::Popup(int x, int y, HWND owner) {
  Fire(OnPopup, this);
  PrepareItems();
  HWND w = WindowHandle();
  // Hand the foreground on to the menu's window when it is ours to give.
  if (GetWindowThreadProcessId(GetForegroundWindow(), nullptr) == GetCurrentThreadId()) SetForegroundWindow(w);
  UINT cmd = TrackPopupMenu(Handle(), AlignFlags() | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, w, nullptr);
  // The choice runs from the message loop, once whoever opened the menu has finished with it:
  // a window the command shows then keeps the foreground the opener hands back on closing.
  if (cmd) PostMessageA(w, WM_COMMAND, MAKEWPARAM(cmd, 0), 0);
}

bool TMarginPopupMenu::MeasureItem(MEASUREITEMSTRUCT& mi) {
  if (mi.CtlType != ODT_MENU) return false;
  TMenuItem* item = OwnItem(mi.itemData);
  if (!item) return false;
  if (item->IsLine()) {
    mi.itemWidth = FMarginWidth + 1;
    mi.itemHeight = kSeparatorHeight;
    return true;
  }
  gdi::WindowDC dc(nullptr);
  gdi::Font font = gdi::MakeFont(MenuFont(GetMenuDefaultItem(Handle(), FALSE, 0) == item->Command()));
  gdi::Select sf(dc, font);
  // The caption up to its first TAB; what follows the TAB is the shortcut column.
  int text = TextWidth(dc, item->CaptionText());
  std::string shortcut = ShortCutOf(item);
  if (!shortcut.empty()) text += Px(kShortCutGap) + TextWidth(dc, shortcut, DT_NOPREFIX);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  int imageHeight = Images() ? Images()->Height() : 16;
  int textAndImage = ImageColumn(Images(), Px(kImagePad)) + Px(kTextGap) + text + Px(kRightPad);
  mi.itemWidth = textAndImage + FMarginWidth + 1;
  mi.itemHeight = std::max<int>(tm.tmHeight + Px(6), imageHeight + Px(4));
  return true;
}

bool TMarginPopupMenu::DrawItem(const DRAWITEMSTRUCT& di) {
  if (di.CtlType != ODT_MENU) return false;
  TMenuItem* item = OwnItem(di.itemData);
  if (!item) return false;
  HDC dc = di.hDC;
  gdi::SavedDC state(dc);
  if ((di.itemAction & ODA_DRAWENTIRE) && OnDrawMargin) {
    // The strip runs down the whole area being repainted, normally the whole menu.
    RECT clip{};
    GetClipBox(dc, &clip);
    RECT strip{di.rcItem.left, clip.top, di.rcItem.left + FMarginWidth, clip.bottom};
    gdi::SavedDC inner(dc);
    OnDrawMargin(this, dc, strip);
  }
  {
    // The row starts right of the margin and may not paint over it.
    RECT r = di.rcItem;
    r.left += FMarginWidth + 1;
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    bool selected = (di.itemState & ODS_SELECTED) && !item->IsLine();
    gdi::FillSolid(dc, r, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    if (item->IsLine()) {
      RECT line{r.left, (r.top + r.bottom) / 2 - 1, r.right, (r.top + r.bottom) / 2 + 1};
      DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    } else {
      TImageList* images = Images();
      int column = ImageColumn(images, Px(kImagePad));
      int index = item->ImageIndex();
      if (images && index >= 0 && index < images->Count()) {
        images->Draw(dc, r.left + Px(kImagePad), r.top + (r.bottom - r.top - images->Height()) / 2, index);
      } else if (di.itemState & ODS_CHECKED) {
        int size = column - 2 * Px(kImagePad);
        DrawCheck(dc, r.left + Px(kImagePad), r.top + (r.bottom - r.top - size) / 2, size,
                  GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
      }
      gdi::Font font = gdi::MakeFont(MenuFont((di.itemState & ODS_DEFAULT) != 0));
      gdi::Select sf(dc, font);
      SetBkMode(dc, TRANSPARENT);
      int colour = (di.itemState & (ODS_GRAYED | ODS_DISABLED)) ? COLOR_GRAYTEXT
                   : selected                                     ? COLOR_HIGHLIGHTTEXT
                                                                  : COLOR_MENUTEXT;
      SetTextColor(dc, GetSysColor(colour));
      RECT tr{r.left + column + Px(kTextGap), r.top, r.right, r.bottom};
      UINT flags = DT_SINGLELINE | DT_VCENTER | DT_LEFT | ((di.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0);
      std::string_view caption = item->CaptionText();
      DrawTextA(dc, caption.data(), (int)caption.size(), &tr, flags);
      // The shortcut right-aligned, as far in from the row's end as the caption's room is.
      std::string shortcut = ShortCutOf(item);
      if (!shortcut.empty()) {
        RECT sr{tr.left, r.top, r.right - Px(kRightPad), r.bottom};
        DrawTextA(dc, shortcut.c_str(), (int)shortcut.size(), &sr, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
      }
    }
  }
  return true;
}

void TMarginPopupMenu::ChangeScale(int newDpi, int oldDpi) {
  FMarginWidth = ScaleToDpi(FMarginWidth, newDpi, oldDpi);
  FPixelsPerInch = newDpi;
}

int TMarginPopupMenu::Px(int v) const { return ScaleToDpi(v, FPixelsPerInch); }
