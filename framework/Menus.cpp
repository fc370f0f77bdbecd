#include "framework/Menus.h"
#include "framework/Transparent.h"
#include <algorithm>
#include <map>

namespace {
std::map<UINT, TMenuItem*>& Commands() {
  static std::map<UINT, TMenuItem*> m;
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

class TMenuBarItem : public TMenuItem {
public:
  explicit TMenuBarItem(TComponent* AOwner) : TMenuItem(AOwner) {
    FIsBar = true;
    FHandle = CreateMenu();
  }
  HWND FWindow = nullptr;

protected:
  void Redraw() override {
    if (FWindow) DrawMenuBar(FWindow);
  }
};
}  // namespace

TMenuItem::TMenuItem(TComponent* AOwner, UINT command)
    : TComponent(AOwner), FCommand(command ? command : FreeCommand()) {
  Commands()[FCommand] = this;
}

TMenuItem::~TMenuItem() {
  // A fixed command may have been taken over by a newer item of another window.
  auto it = Commands().find(FCommand);
  if (it != Commands().end() && it->second == this) Commands().erase(it);
  for (auto* c : FItems) c->FParent = nullptr;
  if (FParent) FParent->Remove(this);
  if (FHandle) {
    // Children may still sit in our menu as submenus: detach them before destroying it.
    while (GetMenuItemCount(FHandle) > 0) RemoveMenu(FHandle, 0, MF_BYPOSITION);
    DestroyMenu(FHandle);
  }
}

bool TMenuItem::DispatchCommand(UINT command) {
  TMenuItem* item = FindCommand(command);
  if (!item) return false;
  item->Click();
  return true;
}

TMenuItem* TMenuItem::FindCommand(UINT command) {
  auto it = Commands().find(command);
  return it == Commands().end() ? nullptr : it->second;
}

void TMenuItem::Add(TMenuItem* item) {
  if (item->FParent) item->FParent->Remove(item);
  item->FParent = this;
  FItems.push_back(item);
  Rebuild();
  if (FItems.size() == 1) Changed();  // now a submenu
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

void TMenuItem::SetBitmap(gdi::Bitmap bmp) {
  FBitmap = std::move(bmp);
  Changed();
}

void TMenuItem::Click() { Fire(OnClick, this); }

void TMenuItem::Changed() {
  if (FParent) FParent->Rebuild();
}

HMENU TMenuItem::Handle() {
  if (!FHandle) {
    FHandle = CreatePopupMenu();
    Rebuild();
  }
  return FHandle;
}

void TMenuItem::FillItemInfo(MENUITEMINFOA& mi) {
  mi = MENUITEMINFOA{};
  mi.cbSize = sizeof(mi);
  mi.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU | MIIM_BITMAP;
  mi.fType = IsLine() ? MFT_SEPARATOR : MFT_STRING;
  mi.fState = (FChecked ? MFS_CHECKED : 0) | (FEnabled ? 0 : MFS_GRAYED);
  mi.wID = FCommand;
  mi.dwTypeData = const_cast<char*>(FCaption.c_str());
  mi.hSubMenu = FItems.empty() ? nullptr : Handle();
  mi.hbmpItem = FBitmap.Get();
}

void TMenuItem::Rebuild() {
  if (!FHandle) return;
  while (GetMenuItemCount(FHandle) > 0) RemoveMenu(FHandle, 0, MF_BYPOSITION);
  UINT pos = 0;
  for (auto* c : FItems) {
    if (!c->FVisible) continue;
    MENUITEMINFOA mi;
    c->FillItemInfo(mi);
    InsertMenuItemA(FHandle, pos++, TRUE, &mi);
  }
  TMenuItem* top = this;
  while (top->FParent) top = top->FParent;
  top->Redraw();
}

// ---------------------------------------------------------------------------------------------

TMainMenu::TMainMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuBarItem(this)) {}

TMainMenu::~TMainMenu() = default;

HMENU TMainMenu::Handle() const { return FItems->Handle(); }

void TMainMenu::SetWindow(HWND h) { static_cast<TMenuBarItem*>(FItems)->FWindow = h; }

HWND TMainMenu::Window() const { return static_cast<TMenuBarItem*>(FItems)->FWindow; }

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(this)) {}

void TPopupMenu::Popup(int x, int y, HWND owner) {
  Fire(OnPopup, this);
  UINT cmd = TrackPopupMenu(Handle(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, owner, nullptr);
  if (cmd) TMenuItem::DispatchCommand(cmd);
}

gdi::Bitmap LoadBitmapOnColor(HINSTANCE inst, const char* name, COLORREF back) {
  if (!name || !*name) return gdi::Bitmap();
  gdi::Bitmap bmp(static_cast<HBITMAP>(LoadImageA(inst, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  return gdi::MaskedBitmap(bmp, RGB(255, 0, 255)).OnColor(back);
}
