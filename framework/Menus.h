// Menus: items with captions, checks, visibility and pictures, built into Win32 menus. A
// Win32 menu has no hidden items, so a parent rebuilds its menu from its visible children
// whenever one of them changes.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "framework/Classes.h"
#include "framework/Gdi.h"

class TMenuItem : public TComponent {
public:
  // command: the WM_COMMAND identifier; 0 picks a free one.
  explicit TMenuItem(TComponent* AOwner, UINT command = 0);
  ~TMenuItem() override;

  void Add(TMenuItem* item);
  void Remove(TMenuItem* item);
  int Count() const { return (int)FItems.size(); }
  TMenuItem* Item(int i) const { return FItems[i]; }
  TMenuItem* Parent() const { return FParent; }
  int IndexOf(const TMenuItem* item) const;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  bool Checked() const { return FChecked; }
  void SetChecked(bool v);
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v);
  bool IsLine() const { return FCaption == "-"; }
  // The item's picture; the item owns it. Null for none.
  HBITMAP Bitmap() const { return FBitmap.Get(); }
  void SetBitmap(gdi::Bitmap bmp);
  UINT Command() const { return FCommand; }

  // The drop-down menu of an item with children (and of a menu's root item).
  HMENU Handle();
  void Click();
  TNotifyEvent OnClick;

  // Runs the item whose command this is; false when there is none.
  static bool DispatchCommand(UINT command);
  static TMenuItem* FindCommand(UINT command);

protected:
  // This item's own entry changed: its parent rebuilds its menu.
  void Changed();
  // Fills this item's menu from its visible children.
  void Rebuild();
  virtual void Redraw() {}
  HMENU FHandle = nullptr;
  bool FIsBar = false;

private:
  void FillItemInfo(MENUITEMINFOA& mi);
  TMenuItem* FParent = nullptr;
  std::vector<TMenuItem*> FItems;
  std::string FCaption;
  bool FChecked = false, FVisible = true, FEnabled = true;
  gdi::Bitmap FBitmap;
  UINT FCommand;
};

// A window's menu bar.
class TMainMenu : public TComponent {
public:
  explicit TMainMenu(TComponent* AOwner);
  ~TMainMenu() override;
  TMenuItem* Items() const { return FItems; }
  HMENU Handle() const;
  // The window that shows this bar (redrawn after a change).
  void SetWindow(HWND h);
  HWND Window() const;

private:
  TMenuItem* FItems;
};

// A drop-down menu opened at a point of the screen.
class TPopupMenu : public TComponent {
public:
  explicit TPopupMenu(TComponent* AOwner);
  TMenuItem* Items() const { return FItems; }
  HMENU Handle() const { return FItems->Handle(); }
  // Opens the menu and runs the chosen command; returns when the menu has closed.
  virtual void Popup(int x, int y, HWND owner);
  TNotifyEvent OnPopup;

private:
  TMenuItem* FItems;
};

// A bitmap resource as a 32-bit bitmap whose magenta (255, 0, 255) is the colour behind the
// picture; empty when there is no such resource (or no name).
gdi::Bitmap LoadBitmapOnColor(HINSTANCE inst, const char* name, COLORREF back);
