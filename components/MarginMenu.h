// A popup menu that draws its own items beside a margin strip down its left edge; what the
// strip shows is left to the OnDrawMargin handler.
#pragma once
#include <windows.h>
#include <functional>
#include "framework/Gdi.h"
#include "framework/ImgList.h"
#include "framework/Menus.h"

// Paints the margin strip ARect on Canvas.
using TMarginDrawEvent = std::function<void(TObject* Sender, HDC Canvas, const RECT& ARect)>;

class TMarginPopupMenu : public TPopupMenu {
public:
  explicit TMarginPopupMenu(TComponent* AOwner);
  ~TMarginPopupMenu() override;

  // The item pictures are the menu's Images at each item's ImageIndex.

  // The strip's width in pixels (30 unless set).
  int MarginWidth() const { return FMarginWidth; }
  void SetMarginWidth(int v) { FMarginWidth = v < 0 ? 0 : v; }
  // The margin is given at 96 pixels per inch; the item pictures scale with their list.
  void ChangeScale(int newDpi, int oldDpi) override;

  TMarginDrawEvent OnDrawMargin;

  // Fires OnPopup, then opens the menu at (x, y); the chosen item's click arrives through the
  // message queue after this returns. The menu's own window owns the open menu, so that the
  // draw requests come here.
  void Popup(int x, int y, HWND owner) override;
  // The window that receives the menu's measure and draw requests.
  HWND WindowHandle() const;
  // Makes every item of the menu one that this menu measures and draws (done before opening;
  // a change of the items builds them plain again).
  void PrepareItems();

  // Answers to the system's requests for this menu's items; false for an item not ours.
  bool MeasureItem(MEASUREITEMSTRUCT& mi);
  bool DrawItem(const DRAWITEMSTRUCT& di);

private:
  class TMenuWindow;
  TMenuItem* OwnItem(ULONG_PTR data) const;
  TMenuWindow* FWindow = nullptr;
  int FMarginWidth = 30;
  int FPixelsPerInch = 96;
  // A length of the menu's own layout (pads, gaps), given at 96 pixels per inch.
  int Px(int v) const;
};

// The system's menu font (from the non-client metrics; "MS Sans Serif" 8 pt when those
// cannot be read), bold for a default item.
gdi::FontSpec MenuFont(bool bold);
