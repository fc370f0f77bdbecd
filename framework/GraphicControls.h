// Lightweight controls: no window of their own, painted by their parent after its own picture
// and under its child windows. A parent that is one of our own window classes (TCustomControl)
// paints them; they know their place in the parent's client area.
#pragma once
#include <windows.h>
#include <memory>
#include "framework/Controls.h"

class TGraphicControl : public TComponent {
public:
  TGraphicControl(TComponent* AOwner, TWinControl* AParent);
  ~TGraphicControl() override;

  TWinControl* Parent() const { return FParent; }
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  RECT BoundsRect() const { return RECT{FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
  RECT ClientRect() const { return RECT{0, 0, FWidth, FHeight}; }
  void SetBounds(int l, int t, int w, int h);
  // Its place scaled by the edges, as a windowed control's; a control with lengths of its own
  // (fonts, glyphs) scales them too.
  void ChangeScale(int newDpi, int oldDpi) override;
  int PixelsPerInch() const { return FPixelsPerInch; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);

  // The fill colour as RGB. With ParentColor it is the parent's face colour.
  COLORREF Color() const;
  void SetColor(COLORREF c);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool v);

  // A disabled control takes no mouse.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v);
  // The mouse pointer over this control (a system cursor id such as IDC_HAND); null for the
  // parent's own.
  LPCSTR Cursor() const { return FCursor; }
  void SetCursor(LPCSTR id) { FCursor = id; }
  // A left press and release both on this control.
  TNotifyEvent OnClick;
  virtual void Click() { Fire(OnClick, this); }

  // A control of opaque style covers its whole rectangle, so the parent need not erase beneath it.
  bool OpaqueStyle() const { return FOpaqueStyle; }

  // Asks the parent to repaint this control's rectangle.
  void Invalidate();
  // Paints at once onto the parent's window (nothing while the parent is hidden).
  void Repaint();

  // The paint message: dc has its origin at this control's top-left corner and is clipped to it.
  void PaintTo(HDC dc) { WMPaint(dc); }

  // Paints every visible lightweight control of parent, in creation order, into the parent's
  // dc; stopAt (when given) and every control after it are left out.
  static void PaintControls(TWinControl* parent, HDC dc, const TGraphicControl* stopAt = nullptr);

  void Notification(TComponent* AComponent) override;

  // The parent's mouse messages (client coordinates in l), for the topmost enabled visible
  // control under the pointer, or the one that holds the mouse since a left press on it. True
  // when a control took the message.
  static bool DispatchMouse(TWinControl* parent, UINT msg, WPARAM w, LPARAM l);
  // Sets the cursor of the control under the pointer; false when it has none of its own.
  static bool DispatchSetCursor(TWinControl* parent);
  // The parent lost the mouse capture: no control holds the mouse any more.
  static void CaptureLost(TWinControl* parent);

protected:
  // Mouse messages in this control's coordinates; keys are the MK_ flags of the message.
  virtual void MouseDown(WPARAM keys, int x, int y) {}
  virtual void MouseMove(WPARAM keys, int x, int y) {}
  virtual void MouseUp(WPARAM keys, int x, int y) {}
  virtual void Paint(HDC dc) {}
  virtual void WMPaint(HDC dc) { Paint(dc); }
  virtual void BoundsChanged() {}
  void SetOpaqueStyle(bool v) { FOpaqueStyle = v; }
  // Draws what lies beneath this control into dc (origin at this control's top-left): the
  // parent's background and own picture, then the lightweight controls created before this one.
  void CopyParentImage(HDC dc);

private:
  friend class TWinControl;
  // The control that takes the mouse at p of parent: the one holding it, else the topmost
  // enabled visible one there.
  static TGraphicControl* Under(TWinControl* parent, POINT p);
  TWinControl* FParent;
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  bool FVisible = true;
  bool FOpaqueStyle = false;
  bool FParentColor = true;
  COLORREF FColor = clBtnFace;
  bool FEnabled = true;
  LPCSTR FCursor = nullptr;
  int FPixelsPerInch;
};
