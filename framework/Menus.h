// Menus: items with captions, checks, visibility and pictures, built into Win32 menus. A
// Win32 menu has no hidden items, so a parent rebuilds its menu from its visible children
// whenever one of them changes.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <string_view>
#include <vector>
#include "framework/Classes.h"
#include "framework/Gdi.h"
#include "framework/Handles.h"
#include "framework/ImgList.h"

// The system's menu font (SPI_GETNONCLIENTMETRICS, asked through ask); false, lf unchanged,
// when the system cannot say or names no face.
bool ReadMenuLogFont(LOGFONTA& lf, BOOL(WINAPI* ask)(UINT, UINT, PVOID, UINT) = SystemParametersInfoA);

class TMenu;
class TMenuItem;
// Paints an owner-drawn item into ARect of ACanvas; Selected while it is highlighted.
using TMenuDrawItemEvent = std::function<void(TObject* Sender, HDC ACanvas, RECT ARect, bool Selected)>;
// Sizes an owner-drawn item: Width and Height come in as the system proposes them.
using TMenuMeasureItemEvent = std::function<void(TObject* Sender, HDC ACanvas, int& Width, int& Height)>;

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
  // A check shown as a dot; the default item (bold in a plain menu).
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool v);
  bool Default() const { return FDefault; }
  void SetDefault(bool v);
  // The key combination shown right of the caption ("Ctrl+D"); the item only shows it.
  const std::string& ShortCutText() const { return FShortCutText; }
  void SetShortCutText(const std::string& v);
  // What an owner-drawn item shows, as the system's own menus do with a caption: the text up
  // to the caption's first TAB, and in the shortcut column what follows that TAB (else the
  // shortcut text).
  std::string_view CaptionText() const;
  std::string_view ShownShortCut() const;
  // The item's picture; the item owns it. Null for none. It is given at 96 pixels per inch and
  // shown at the DPI of the form that owns the item, filtered.
  HBITMAP Bitmap() const { return FScaled ? FScaled.Get() : FBitmap.Get(); }
  void SetBitmap(gdi::Bitmap bmp);
  void ChangeScale(int newDpi, int oldDpi) override;
  // The item's picture in its menu's image list (or its parent's SubMenuImages); -1 for none.
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int v);
  // The pictures of this item's children, before the menu's own list; not owned, cleared
  // when the list goes.
  TImageList* SubMenuImages() const { return FSubMenuImages; }
  void SetSubMenuImages(TImageList* v);
  UINT Command() const { return FCommand; }
  // A first-level item of a menu bar.
  bool IsBarItem() const { return FParent && FParent->FIsBar; }
  // The menu an item lives in: the root item of a main or popup menu (itself for a root).
  TMenuItem* Root();
  // True when the menu this item belongs to is owner-drawn (see SetOwnerDraw).
  bool OwnerDrawn();
  // The main or popup menu this item belongs to; null while it hangs in none.
  TMenu* Menu();
  // True when that menu reads right to left.
  bool IsRightToLeft();

  // The drop-down menu of an item with children (and of a menu's root item).
  HMENU Handle();
  void Click();
  TNotifyEvent OnClick;
  // Called for the items of an owner-drawn menu, inside the owner window's WM_DRAWITEM and
  // WM_MEASUREITEM. Without them the item is drawn plainly.
  TMenuDrawItemEvent OnDrawItem;
  TMenuMeasureItemEvent OnMeasureItem;
  // Answers for the window that owns the menus: an item's measure and draw requests, and the
  // key typed in an owner-drawn menu (owner-drawn items are not matched by the system); false
  // for requests that are not about one of our items.
  static bool MeasureItem(HWND owner, MEASUREITEMSTRUCT& mi);
  static bool DrawItem(const DRAWITEMSTRUCT& di);
  static bool MenuChar(HMENU menu, char key, LRESULT& result);
  // The item an owner-drawn entry carries, when it is still alive.
  static TMenuItem* FromItemData(ULONG_PTR data);

  // Runs the item whose command this is; false when there is none.
  static bool DispatchCommand(UINT command);
  static TMenuItem* FindCommand(UINT command);
  void Notification(TComponent* AComponent) override;

protected:
  // This item's own entry changed: its parent rebuilds its menu.
  void Changed();
  // Fills this item's menu from its visible children.
  void Rebuild();
  virtual void Redraw() {}
  TMenuHandle FHandle;
  bool FIsBar = false;
  bool FOwnerDraw = false;  // on a root item: the whole menu is owner-drawn
  friend class TMenu;
  friend class TMainMenu;
  friend class TPopupMenu;
  // Rebuilds this item's menu and every submenu below it.
  void RebuildAll();

private:
  void FillItemInfo(MENUITEMINFOA& mi, std::string& text);
  TMenuItem* FParent = nullptr;
  std::vector<TMenuItem*> FItems;
  std::string FCaption;
  bool FChecked = false, FVisible = true, FEnabled = true, FRadioItem = false, FDefault = false;
  std::string FShortCutText;
  gdi::Bitmap FBitmap;
  gdi::Bitmap FScaled;  // FBitmap at FPixelsPerInch; empty at 96
  int FPixelsPerInch;
  void ScaleBitmap();
  int FImageIndex = -1;
  TImageList* FSubMenuImages = nullptr;
  UINT FCommand;
};

// What a menu bar and a popup menu share: the root item whose children are the menu's
// entries, the owner-draw switch, the pictures and the reading order.
class TMenu : public TComponent {
public:
  TMenuItem* Items() const { return FItems; }
  HMENU Handle() const { return FItems->Handle(); }
  // Every item of the menu and its drop-downs owner-drawn: the owner window's WM_MEASUREITEM
  // and WM_DRAWITEM then reach the items' handlers.
  bool OwnerDraw() const { return FItems->FOwnerDraw; }
  void SetOwnerDraw(bool v);
  // The pictures the items' ImageIndex points into; not owned, cleared when the list goes.
  TImageList* Images() const { return FImages; }
  void SetImages(TImageList* v);
  // Passed on to the items the menu owns (the ones made at run time, such as the languages).
  void ChangeScale(int newDpi, int oldDpi) override;
  // Entries laid out from the right (MFT_RIGHTORDER), a popup opened with its right edge at
  // the point.
  bool RightToLeft() const { return FRightToLeft; }
  void SetRightToLeft(bool v);
  void Notification(TComponent* AComponent) override;

protected:
  // The kind of menu makes its root item (a bar's or a popup's) into FItems.
  explicit TMenu(TComponent* AOwner);
  TMenuItem* FItems = nullptr;

private:
  TImageList* FImages = nullptr;
  bool FRightToLeft = false;
};

// A window's menu bar.
class TMainMenu : public TMenu {
public:
  explicit TMainMenu(TComponent* AOwner);
  // The window that shows this bar (redrawn after a change).
  void SetWindow(HWND h);
  HWND Window() const;
};

// A drop-down menu opened at a point of the screen.
class TPopupMenu : public TMenu {
public:
  explicit TPopupMenu(TComponent* AOwner);
  // Opens the menu and runs the chosen command; returns when the menu has closed.
  virtual void Popup(int x, int y, HWND owner);
  TNotifyEvent OnPopup;

protected:
  // The TrackPopupMenu flags of the reading order.
  UINT AlignFlags() const;
};

// A bitmap resource as a 32-bit bitmap whose magenta (255, 0, 255) is the colour behind the
// picture; empty when there is no such resource (or no name).
gdi::Bitmap LoadBitmapOnColor(HINSTANCE inst, const char* name, COLORREF back);
