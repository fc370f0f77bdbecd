#include "framework/Menus.h"
#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/Dpi.h"
#include "framework/OSError.h"
#include "framework/Transparent.h"
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <iterator>
#include <map>

namespace {
// Every item alive, by its command: a WM_COMMAND finds its item here, and an owner-drawn
// entry's data is checked against it before it is used. Two items hold one command only when
// both were given the same fixed one (two windows of one kind): the newer answers.
std::multimap<UINT, TMenuItem*>& Commands() {
  static std::multimap<UINT, TMenuItem*> m;
  return m;
}
// Commands picked for items without a fixed one come from below 40000, the first fixed
// command, and are never one that a living item holds: however many items come and go, no two
// share a command and none reaches the fixed ones (or WM_COMMAND's 16 bits).
const UINT kFirstFreeCommand = 100, kFixedCommands = 40000;
UINT nextCommand = kFirstFreeCommand;

UINT FreeCommand() {
  for (UINT tried = 0; tried < kFixedCommands - kFirstFreeCommand; ++tried) {
    UINT c = nextCommand++;
    if (nextCommand >= kFixedCommands) nextCommand = kFirstFreeCommand;
    if (!Commands().count(c)) return c;
  }
  throw Exception("No menu command left");
}

// Takes every item out of a menu without destroying their submenus. A removal the system
// refuses ends it rather than asking again for ever.
void ClearMenu(HMENU m) {
  while (GetMenuItemCount(m) > 0 && RemoveMenu(m, 0, MF_BYPOSITION)) {
  }
}

class TMenuBarItem : public TMenuItem {
public:
  explicit TMenuBarItem(TComponent* AOwner) : TMenuItem(AOwner) {
    FIsBar = true;
    FHandle.Reset(CreateMenu());
    if (!FHandle) RaiseLastOSError("Cannot create a menu bar");
  }
  HWND FWindow = nullptr;

protected:
  void Redraw() override {
    if (FWindow) DrawMenuBar(FWindow);
  }
};

// The record without Vista's last field: systems before Vista refuse the longer one, and later
// ones still answer the shorter, so it serves everywhere.
constexpr UINT kOldMetricsSize = offsetof(NONCLIENTMETRICSA, lfMessageFont) + sizeof(LOGFONTA);
static_assert(kOldMetricsSize == 340, "the metrics record of the systems before Vista");
struct TMetrics {
  NONCLIENTMETRICSA m;
  int paddedBorderWidth;  // Vista's addition, never asked for
  char spare[16];
};
}  // namespace

bool ReadMenuLogFont(LOGFONTA& lf, BOOL(WINAPI* ask)(UINT, UINT, PVOID, UINT)) {
  TMetrics ncm{};
  ncm.m.cbSize = kOldMetricsSize;
  if (!ask || !ask(SPI_GETNONCLIENTMETRICS, ncm.m.cbSize, &ncm, 0) || !ncm.m.lfMenuFont.lfFaceName[0]) return false;
  lf = ncm.m.lfMenuFont;
  return true;
}

TMenuItem::TMenuItem(TComponent* AOwner, UINT command)
    : TComponent(AOwner), FPixelsPerInch(kDesignDpi), FCommand(command ? command : FreeCommand()) {
  // The DPI of the window the item belongs to, through a menu that owns it.
  for (TComponent* o = AOwner; o; o = o->Owner())
    if (auto* c = dynamic_cast<TWinControl*>(o)) {
      FPixelsPerInch = c->PixelsPerInch();
      break;
    }
  Commands().emplace(FCommand, this);
}

TMenuItem::~TMenuItem() {
  auto [from, to] = Commands().equal_range(FCommand);
  for (auto it = from; it != to; ++it)
    if (it->second == this) {
      Commands().erase(it);
      break;
    }
  for (auto* c : FItems) c->FParent = nullptr;
  if (FParent) FParent->Remove(this);
  // Children may still sit in our menu as submenus: the owner detaches them before it goes.
  FHandle.Reset();
}

bool TMenuItem::DispatchCommand(UINT command) {
  TMenuItem* item = FindCommand(command);
  if (!item) return false;
  item->Click();
  return true;
}

TMenuItem* TMenuItem::FindCommand(UINT command) {
  auto [from, to] = Commands().equal_range(command);
  return from == to ? nullptr : std::prev(to)->second;
}

void TMenuItem::Add(TMenuItem* item) {
  if (item->FParent) item->FParent->Remove(item);
  item->FParent = this;
  FItems.push_back(item);
  Rebuild();
  if (FItems.size() == 1) Changed();  // now a submenu
  // The window that holds the menu hears of its new item (a painter on it hooks the item).
  TComponent* menu = Root()->Owner();
  if ((dynamic_cast<TMainMenu*>(menu) || dynamic_cast<TPopupMenu*>(menu)) && menu->Owner()) menu->Owner()->Inserted(item);
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  item->FParent = nullptr;
  Rebuild();
  if (FItems.empty()) Changed();  // no longer a submenu
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  return it == FItems.end() ? -1 : (int)(it - FItems.begin());
}

void TMenuItem::SetCaption(const std::string& v) {
  if (v == FCaption) return;
  FCaption = v;
  Changed();
}

void TMenuItem::SetChecked(bool v) {
  if (v == FChecked) return;
  FChecked = v;
  Changed();
}

void TMenuItem::SetVisible(bool v) {
  if (v == FVisible) return;
  FVisible = v;
  Changed();
}

void TMenuItem::SetEnabled(bool v) {
  if (v == FEnabled) return;
  FEnabled = v;
  Changed();
}

void TMenuItem::SetRadioItem(bool v) {
  if (v == FRadioItem) return;
  FRadioItem = v;
  Changed();
}

void TMenuItem::SetDefault(bool v) {
  if (v == FDefault) return;
  FDefault = v;
  Changed();
}

void TMenuItem::SetShortCutText(const std::string& v) {
  if (v == FShortCutText) return;
  FShortCutText = v;
  Changed();
}

std::string_view TMenuItem::CaptionText() const {
  std::string_view c = FCaption;
  return c.substr(0, FindCharIn(c, '\t'));
}

std::string_view TMenuItem::ShownShortCut() const {
  size_t tab = FindCharIn(FCaption, '\t');
  return tab == std::string::npos ? std::string_view(FShortCutText) : std::string_view(FCaption).substr(tab + 1);
}

TMenuItem* TMenuItem::Root() {
  TMenuItem* top = this;
  while (top->FParent) top = top->FParent;
  return top;
}

bool TMenuItem::OwnerDrawn() { return Root()->FOwnerDraw; }

TMenu* TMenuItem::Menu() { return dynamic_cast<TMenu*>(Root()->Owner()); }

bool TMenuItem::IsRightToLeft() {
  TMenu* m = Menu();
  return m && m->RightToLeft();
}

void TMenuItem::SetImageIndex(int v) {
  if (v < -1) v = -1;
  if (v == FImageIndex) return;
  FImageIndex = v;
  Changed();
}

void TMenuItem::SetSubMenuImages(TImageList* v) {
  if (v == FSubMenuImages) return;
  if (FSubMenuImages) RemoveFreeNotification(FSubMenuImages);
  FSubMenuImages = v;
  if (v) FreeNotification(v);
  RebuildAll();
}

void TMenuItem::Notification(TComponent* AComponent) {
  if (AComponent != FSubMenuImages) return;
  FSubMenuImages = nullptr;
  RebuildAll();  // owner-drawn rows are measured again, without the pictures
}

void TMenuItem::SetBitmap(gdi::Bitmap bmp) {
  FBitmap = std::move(bmp);
  ScaleBitmap();
  Changed();
}

void TMenuItem::ChangeScale(int newDpi, int oldDpi) {
  FPixelsPerInch = newDpi;
  ScaleBitmap();
  Changed();
}

void TMenuItem::ScaleBitmap() {
  FScaled.Reset();
  BITMAP bm{};
  if (FPixelsPerInch == kDesignDpi || !FBitmap || !GetObjectA(FBitmap.Get(), sizeof bm, &bm)) return;
  FScaled = SmoothScaled(FBitmap.Get(), ScaleToDpi(bm.bmWidth, FPixelsPerInch), ScaleToDpi(bm.bmHeight, FPixelsPerInch), kBottomLeftKey);
}

void TMenuItem::Click() { Fire(OnClick, this); }

void TMenuItem::Changed() {
  if (FParent) FParent->Rebuild();
}

HMENU TMenuItem::Handle() {
  if (!FHandle) {
    FHandle.Reset(CreatePopupMenu());
    if (!FHandle) RaiseLastOSError("Cannot create a menu");
    Rebuild();
  }
  return FHandle.Get();
}

void TMenuItem::FillItemInfo(MENUITEMINFOA& mi, std::string& text) {
  bool ownerDraw = OwnerDrawn();
  text = FCaption;
  if (!FShortCutText.empty() && !ownerDraw) text += "\t" + FShortCutText;
  mi = MENUITEMINFOA{};
  mi.cbSize = sizeof(mi);
  mi.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU | MIIM_BITMAP | MIIM_DATA;
  mi.fType = (IsLine() ? MFT_SEPARATOR : MFT_STRING) | (FRadioItem ? MFT_RADIOCHECK : 0) |
             (ownerDraw ? MFT_OWNERDRAW : 0) |
             (IsRightToLeft() ? MFT_RIGHTORDER : 0);
  mi.fState = (FChecked ? MFS_CHECKED : 0) | (FEnabled ? 0 : MFS_GRAYED) | (FDefault ? MFS_DEFAULT : 0);
  mi.wID = FCommand;
  mi.dwTypeData = const_cast<char*>(text.c_str());
  mi.hSubMenu = FItems.empty() ? nullptr : Handle();
  // An owner-drawn item paints its own picture.
  mi.hbmpItem = ownerDraw ? nullptr : FBitmap.Get();
  mi.dwItemData = ownerDraw ? reinterpret_cast<ULONG_PTR>(this) : 0;
}

void TMenuItem::Rebuild() {
  if (!FHandle) return;
  ClearMenu(FHandle.Get());
  UINT pos = 0;
  for (auto* c : FItems) {
    if (!c->FVisible) continue;
    MENUITEMINFOA mi;
    std::string text;
    c->FillItemInfo(mi, text);
    // Reported here rather than raised: a menu is rebuilt from destructors too.
    if (!InsertMenuItemA(FHandle.Get(), pos++, TRUE, &mi)) {
      Guarded(this, [&] { RaiseLastOSError("Cannot add the menu item " + c->Name()); });
      break;
    }
  }
  TMenuItem* top = this;
  while (top->FParent) top = top->FParent;
  top->Redraw();
}

void TMenuItem::RebuildAll() {
  for (auto* c : FItems) c->RebuildAll();
  Rebuild();
}

TMenuItem* TMenuItem::FromItemData(ULONG_PTR data) {
  // Compared, never followed, until found: the data of a stale entry may point anywhere.
  for (const auto& [command, item] : Commands())
    if (data && reinterpret_cast<ULONG_PTR>(item) == data) return item;
  return nullptr;
}

bool TMenuItem::MeasureItem(HWND owner, MEASUREITEMSTRUCT& mi) {
  if (mi.CtlType != ODT_MENU) return false;
  TMenuItem* item = FromItemData(mi.itemData);
  if (!item) return false;
  gdi::WindowDC dc(owner);
  gdi::SavedDC state(dc);
  int w = (int)mi.itemWidth, h = (int)mi.itemHeight;
  if (item->OnMeasureItem) {
    item->OnMeasureItem(item, dc, w, h);
  } else {
    // No painter: room for the caption in the menu font.
    LOGFONTA lf;
    gdi::Font font;
    if (ReadMenuLogFont(lf)) font = gdi::MakeFont(gdi::FontSpec::FromLogFont(lf));
    gdi::Select sf(dc, font);
    SIZE sz{};
    GetTextExtentPoint32A(dc, item->FCaption.c_str(), (int)item->FCaption.size(), &sz);
    w = std::max(w, (int)sz.cx + 20);
    h = item->IsLine() ? 8 : std::max(h, (int)sz.cy + 6);
  }
  mi.itemWidth = w < 0 ? 0 : w;
  mi.itemHeight = h < 0 ? 0 : h;
  return true;
}

bool TMenuItem::DrawItem(const DRAWITEMSTRUCT& di) {
  if (di.CtlType != ODT_MENU) return false;
  TMenuItem* item = FromItemData(di.itemData);
  if (!item) return false;
  gdi::SavedDC state(di.hDC);
  bool selected = (di.itemState & ODS_SELECTED) != 0;
  if (item->OnDrawItem) {
    item->OnDrawItem(item, di.hDC, di.rcItem, selected);
    return true;
  }
  RECT r = di.rcItem;
  gdi::FillSolid(di.hDC, r, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  if (item->IsLine()) {
    r.top = (r.top + r.bottom) / 2 - 1;
    DrawEdge(di.hDC, &r, EDGE_ETCHED, BF_TOP);
    return true;
  }
  SetBkMode(di.hDC, TRANSPARENT);
  SetTextColor(di.hDC, GetSysColor(!item->FEnabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
  r.left += item->IsBarItem() ? 6 : 20;
  DrawTextA(di.hDC, item->FCaption.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER);
  return true;
}

bool TMenuItem::MenuChar(HMENU menu, char key, LRESULT& result) {
  int n = GetMenuItemCount(menu);
  for (int pos = 0; pos < n; ++pos) {
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof(mi);
    mi.fMask = MIIM_DATA | MIIM_FTYPE;
    if (!GetMenuItemInfoA(menu, pos, TRUE, &mi) || !(mi.fType & MFT_OWNERDRAW)) continue;
    TMenuItem* item = FromItemData(mi.dwItemData);
    if (!item) continue;
    if (IsAcceleratorOf(item->FCaption, key)) {
      // Runs the item, or opens its drop-down.
      result = MAKELRESULT(pos, MNC_EXECUTE);
      return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner) {}

void TMenu::SetOwnerDraw(bool v) {
  if (v == FItems->FOwnerDraw) return;
  FItems->FOwnerDraw = v;
  FItems->RebuildAll();
}

void TMenu::SetImages(TImageList* v) {
  if (v == FImages) return;
  if (FImages) RemoveFreeNotification(FImages);
  FImages = v;
  if (v) FreeNotification(v);
  FItems->RebuildAll();  // owner-drawn items are measured again
}

void TMenu::SetRightToLeft(bool v) {
  if (v == FRightToLeft) return;
  FRightToLeft = v;
  FItems->RebuildAll();
}

void TMenu::Notification(TComponent* AComponent) {
  if (AComponent != FImages) return;
  FImages = nullptr;
  FItems->RebuildAll();
}

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) { FItems = new TMenuBarItem(this); }

void TMainMenu::SetWindow(HWND h) { static_cast<TMenuBarItem*>(FItems)->FWindow = h; }

HWND TMainMenu::Window() const { return static_cast<TMenuBarItem*>(FItems)->FWindow; }

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) { FItems = new TMenuItem(this); }

UINT TPopupMenu::AlignFlags() const {
  // Not TPM_LAYOUTRTL: a mirrored menu window would flip rows that their painter has
  // already laid out right to left.
  return RightToLeft() ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
}

void TPopupMenu::Popup(int x, int y, HWND owner) {
  Fire(OnPopup, this);
  UINT cmd = TrackPopupMenu(Handle(), AlignFlags() | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, owner, nullptr);
  if (cmd) TMenuItem::DispatchCommand(cmd);
}

gdi::Bitmap LoadBitmapOnColor(HINSTANCE inst, const char* name, COLORREF back) {
  if (!name || !*name) return gdi::Bitmap();
  gdi::Bitmap bmp = gdi::LoadDibResource(inst, name);
  return gdi::MaskedBitmap(bmp, RGB(255, 0, 255)).OnColor(back);
}

void TMenu::ChangeScale(int newDpi, int oldDpi) {
  for (int i = 0; i < ComponentCount(); ++i) Component(i)->ChangeScale(newDpi, oldDpi);
}
