// Windowed controls (forms, in Forms.h, build on them). Each control owns one window. The
// windows of our own classes (forms, panels, group boxes, the chart, the colour buttons) share
// one window procedure and keep their object in GWLP_USERDATA; standard controls are
// subclassed and keep it in a window property.
// Both are exception barriers. Notifications a child sends to its parent (WM_COMMAND,
// WM_NOTIFY) are handed back to the child's object, so a control handles its own events.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "framework/Classes.h"
#include "framework/Gdi.h"

class TGraphicControl;

// The window procedures behind every control: ours, and the subclass of standard controls.
LRESULT CALLBACK VelmorWndProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK VelmorSubclassProc(HWND, UINT, WPARAM, LPARAM);

// A character typed with Alt held in one of our windows is first offered to every visible
// control of its top-level window as CM_DIALOGCHAR (wParam the character, lParam the key
// data); a control whose accelerator it is answers nonzero. True when one took it.
constexpr UINT CM_DIALOGCHAR = 0xB006;
bool DispatchDialogChar(HWND target, WPARAM ch, LPARAM keyData);

// The one way the program registers a window class of its own (controls, the application
// window, the ticker's window): once per process, a class already there being no error; a
// refusal raises "Cannot register the window class NAME" with the system's reason.
void RegisterWindowClass(const char* name, WNDPROC proc, UINT style = 0, HICON icon = nullptr,
                         HBRUSH background = nullptr);

class TWinControl : public TComponent {
public:
  TWinControl(TComponent* AOwner, TWinControl* AParent);
  ~TWinControl() override;

  HWND Handle() const { return FHandle; }
  TWinControl* Parent() const { return FParent; }
  static TWinControl* FromHandle(HWND h);

  // Bounds, caption, visibility and the enabled state are asked of the window, which the user,
  // the system and other programs change too; what is kept here only seeds its creation.
  // Bounds are in the parent's client coordinates, a top-level window's in the screen's.
  RECT BoundsRect() const;
  int Left() const { return BoundsRect().left; }
  int Top() const { return BoundsRect().top; }
  int Width() const { RECT r = BoundsRect(); return r.right - r.left; }
  int Height() const { RECT r = BoundsRect(); return r.bottom - r.top; }
  void SetBounds(int l, int t, int w, int h);

  std::string Caption() const;
  void SetCaption(const std::string& v);
  const gdi::FontSpec& Font() const { return FFont; }
  void SetFont(const gdi::FontSpec& f);
  HFONT FontHandle() const { return FFontHandle; }
  bool Visible() const { return FHandle ? (GetWindowLongA(FHandle, GWL_STYLE) & WS_VISIBLE) != 0 : FVisible; }
  void SetVisible(bool v);
  bool Enabled() const { return FHandle ? IsWindowEnabled(FHandle) != FALSE : FEnabled; }
  void SetEnabled(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // A window that is not on screen has nothing to repaint: it is painted whole when shown.
  // Skipping it spares the once-a-second updates of a hidden window a trip to the window server.
  void Invalidate() { if (FHandle && IsWindowVisible(FHandle)) InvalidateRect(FHandle, nullptr, TRUE); }
  void Repaint() { if (FHandle && IsWindowVisible(FHandle)) { InvalidateRect(FHandle, nullptr, TRUE); UpdateWindow(FHandle); } }
  bool Focused() const { return FHandle && GetFocus() == FHandle; }
  // The pixels per inch this control is laid out for: the description's 96 until its form
  // scales it; a control made later takes its parent's.
  int PixelsPerInch() const { return FPixelsPerInch; }
  // Its place (the edges, so that neighbours stay neighbours) and its font's pixel height
  // scaled; a font in points is made at the new DPI.
  void ChangeScale(int newDpi, int oldDpi) override;
  void SetFocus() { if (FHandle) ::SetFocus(FHandle); }

  // A message for this control; the default passes it on to the window class.
  virtual LRESULT WndProc(UINT msg, WPARAM w, LPARAM l);
  // A notification this control sent to its parent, handed back to it.
  virtual bool CNCommand(WORD code) { return false; }
  virtual bool CNNotify(NMHDR* n, LRESULT& result) { return false; }

protected:
  // Creates the window: one of our own classes (className registered on first use) or a
  // standard one (subclassed). Called from the constructor of the concrete control.
  void CreateWnd(const char* className, DWORD style, DWORD exStyle, bool standardClass);
  LRESULT DefaultHandler(UINT msg, WPARAM w, LPARAM l);
  virtual void CaptionChanged() {}
  virtual void FontChanged() {}
  virtual void BoundsChanged() {}
  void ApplyFontToWindow();
  HWND FHandle = nullptr;
  bool FVisible = true;  // shown when created (a child window; top-level ones start hidden)
  int FPixelsPerInch;

private:
  friend LRESULT CALLBACK VelmorWndProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT CALLBACK VelmorSubclassProc(HWND, UINT, WPARAM, LPARAM);
  friend class TGraphicControl;
  TWinControl* FParent;
  // The lightweight controls on this window in creation order (the order they paint in), and
  // the one that holds the mouse since a left press on it.
  std::vector<TGraphicControl*> FGraphicControls;
  TGraphicControl* FMouseHolder = nullptr;
  WNDPROC FDefProc = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  std::string FCaption;
  gdi::FontSpec FFont;
  gdi::Font FFontHandle;
  bool FEnabled = true;
};

// A container of our own window class: reflects its children's notifications to them.
class TCustomControl : public TWinControl {
public:
  using TWinControl::TWinControl;
  LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override;
  virtual void Paint(HDC dc) {}

protected:
  bool ReflectToChild(UINT msg, WPARAM w, LPARAM l, LRESULT& result);
};

// A panel with a raised bevel, one pixel wide unless set, on the button face or a colour of its own.
class TPanel : public TCustomControl {
public:
  TPanel(TComponent* AOwner, TWinControl* AParent);
  void Paint(HDC dc) override;
  // A colour value (system colours resolved when painting).
  void SetColor(TColor c);
  void SetBevelWidth(int w);
  int BevelWidth() const { return FBevelWidth; }

private:
  TColor FColor = clBtnFace;
  int FBevelWidth = 1;
};

// A frame with its caption at the top left; a container for the controls inside it.
class TGroupBox : public TCustomControl {
public:
  TGroupBox(TComponent* AOwner, TWinControl* AParent);
  void Paint(HDC dc) override;

protected:
  void CaptionChanged() override { Invalidate(); }
  void FontChanged() override { Invalidate(); }
};
