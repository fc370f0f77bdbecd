// Top-level windows: a form, its closing, its modal loop and its keyboard.
#pragma once
#include <windows.h>
#include "framework/Controls.h"
#include "framework/Dpi.h"

class TMainMenu;

enum TCloseAction { caNone, caHide, caFree };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
enum TFormStyle { fsNormal, fsStayOnTop };
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };

// A top-level window owned by the application's window: single non-sizable border, only the
// close box in its title bar; or, with the style given, whatever frame that style makes.
class TForm : public TCustomControl {
public:
  TForm(TComponent* AOwner, const char* className, bool borderless = false);
  TForm(TComponent* AOwner, const char* className, DWORD style, DWORD exStyle);
  ~TForm() override;

  // The client area's size; a form without a sizing border keeps it, growing or shrinking
  // with its menu bar when that wraps to more rows or fewer.
  void SetClientSize(int w, int h);
  int ClientWidth() const;
  int ClientHeight() const;
  void SetMenu(TMainMenu* m);
  TMainMenu* Menu() const { return FMenu; }
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle s);
  void SetIcon(HICON big, HICON small);
  void SetPosition(int left, int top);
  // Lays the form and everything it owns out for dpi pixels per inch, from the DPI it is laid
  // out for now: positions, sizes and pixel font heights scale by dpi / PixelsPerInch(), the
  // client area too, around the window's centre. The form does it once when its description
  // is loaded (at the screen's DPI: at 96 nothing changes) and again on WM_DPICHANGED.
  void SetPixelsPerInch(int dpi);
  // A length of the description (96 pixels per inch) at the DPI the form is laid out for.
  int Scaled(int v) const { return ScaleToDpi(v, PixelsPerInch()); }
  void Loaded() override;
  void ChangeScale(int newDpi, int oldDpi) override;

  // Asks the form to close: OnClose decides between hiding, freeing and nothing.
  void Close();
  int ShowModal();
  bool Modal() const { return FModal; }
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int r) { FModalResult = r; }
  // True once the form was closed with caFree: it stays as an object until the application
  // frees it, but its window is gone.
  bool Released() const { return FReleased; }
  // Enter clicks the default button (unless the focus is on a push button, which Enter clicks
  // instead), Escape the cancel button; either may be null, and one button may be both.
  void SetDefaultButton(TWinControl* c) { FDefault = c ? c->Handle() : nullptr; }
  void SetCancelButton(TWinControl* c) { FCancel = c ? c->Handle() : nullptr; }
  HWND DefaultButton() const { return FDefault; }
  HWND CancelButton() const { return FCancel; }

  TNotifyEvent OnCreate, OnShow, OnActivate, OnHide, OnDestroy;
  TCloseEvent OnClose;

  LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override;
  void Notification(TComponent* AComponent) override;

protected:
  // Runs the description's creation handler after the controls exist.
  void DoCreate();
  void BoundsChanged() override;

private:
  void AdjustToClient();
  void SaveFocus();
  void RestoreFocus();
  HWND FDefault = nullptr, FCancel = nullptr;
  HWND FSavedFocus = nullptr;  // the control that had the focus when the form was left
  bool FShowFocus = false;     // UISF_HIDEFOCUS cleared: the keyboard has moved the focus
  int FClientW = 0, FClientH = 0;
  bool FAdjusting = false;
  TMainMenu* FMenu = nullptr;
  TFormStyle FFormStyle = fsNormal;
  bool FModal = false;
  int FModalResult = mrNone;
  bool FReleased = false;
  bool FBorderless;
};

// The keyboard of every window of the program, as a dialog has it; the message loop offers each
// message here before it translates and dispatches it, and true means the key was taken.
// Tab and Ctrl+Tab go to the next tab stop (Shift: the previous one, round at either end),
// the arrow keys to the next or previous control of the focused one's group (a radio button
// reached so is chosen), Enter and Escape click the form's buttons as above. A control that asks
// for a key (WM_GETDLGCODE) keeps it, except that a read-only text never keeps Tab, Enter or
// Escape. Moving the focus by keyboard shows the focus from then on (UISF_HIDEFOCUS cleared).
bool DialogKey(const MSG& msg);
// The tab stop after from (before it with previous) inside root: visible, enabled, WS_TABSTOP,
// in the order of the controls' creation, children right after their parent. With from null,
// the first (or last). Null when root has none.
HWND NextTabStop(HWND root, HWND from, bool previous);
// The control after from (before it with previous) in from's group among its siblings: from the
// nearest WS_GROUP at or before it to the next WS_GROUP; visible, enabled, not a static text.
HWND NextInGroup(HWND from, bool previous);
