// The notification-area (tray) icon: one icon with a tooltip, mouse actions on it turned into
// events, a popup menu on a right click, and an animation through a list of icons.
//
// Threads: the animation runs on a threaded timer, whose thread only sleeps and hands each
// tick to the window thread. Everything else, the frame step, the notification record and
// every call to the shell, runs on the window thread, so the two never share the record. The
// icon stops and joins that thread before it goes.
#pragma once
#include <windows.h>
#include <shellapi.h>  // NIM_ADD, NIM_MODIFY, NIM_DELETE
#include <functional>
#include <memory>
#include <string>
#include "components/IcoList.h"
#include "framework/Classes.h"
#include "framework/Icons.h"
#include "framework/Menus.h"

class TTimer;

// The notification record in its first form, which every shell accepts: 88 bytes in a 32-bit
// process (the shell tells the forms apart by cbSize).
struct TNotifyIconData {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  char szTip[64];
};
static_assert(sizeof(void*) != 4 || sizeof(TNotifyIconData) == 88, "the first form is 88 bytes");
static_assert(sizeof(void*) != 8 || sizeof(TNotifyIconData) == 104, "its 64-bit layout is 104 bytes");

// The message the shell sends the icon's window for mouse actions on the icon.
constexpr UINT WM_TRAYICONNOTIFY = 0xB054;

// A balloon travels in the record's second form, the system's NOTIFYICONDATAA as far as its
// balloon fields (cbSize NOTIFYICONDATAA_V2_SIZE), the largest that Windows 2000 and XP accept;
// later versions show it as their own kind of notification. Its head is the first form's.
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAA_V2_SIZE == 488, "the balloon form is 488 bytes");
constexpr UINT kBalloonTimeoutMs = 10000;  // the shortest time Windows keeps a balloon up

// How the icon talks to the shell: NIM_ADD, NIM_MODIFY or NIM_DELETE with the record, whose
// cbSize tells its form (the first, or for a balloon the second).
using TShellNotify = std::function<BOOL(DWORD Message, TNotifyIconData* Data)>;
// The system's Shell_NotifyIconA.
BOOL SystemShellNotify(DWORD Message, TNotifyIconData* Data);

// The text before the first "|" (all of it when there is none): the tooltip part of a hint.
// A "|" that is the second byte of a double-byte character of code page cp cuts nothing.
std::string ShortHint(const std::string& hint, UINT cp = CP_ACP);
// What the shell gets of a hint, a balloon's text or its title: the tooltip is the short hint;
// each is cut to what its field holds (63, 255 and 63 bytes) between two characters.
std::string TooltipText(const std::string& hint, UINT cp = CP_ACP);
std::string BalloonText(const std::string& text, UINT cp = CP_ACP);
std::string BalloonTitle(const std::string& title, UINT cp = CP_ACP);

class TTrayIcon : public TComponent {
public:
  explicit TTrayIcon(TComponent* AOwner, TShellNotify notify = SystemShellNotify);
  ~TTrayIcon() override;

  // The icon is wanted in the notification area (true after construction).
  bool Active() const { return FActive; }
  void SetActive(bool v);
  // Mouse actions become events (true after construction); while false they are ignored.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v) { FEnabled = v; }
  // The tooltip is the short form of the hint, at most 63 characters.
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& v);
  // The still icon, owned; changing it refreshes the icon in the tray.
  TIcon* Icon() const { return FIcon.get(); }
  void SetIcon(const TIcon* v) { FIcon->Assign(v); }
  // The animation frames, owned; a change refreshes the icon in the tray.
  TIconList* Icons() const { return FIcons.get(); }
  void SetIcons(const TIconList* v) { FIcons->Assign(v); }
  // The animation cycles through Icons, starting with frame 0; it stays off while Icons is empty.
  bool Animated() const { return FAnimated; }
  void SetAnimated(bool v);
  // A picture shown in place of the still icon while set (not owned: the caller keeps it alive
  // until it is replaced, and the shell copies what it is sent). While the animation runs it
  // also takes the place of every frame after the first, so the icon then blinks between the
  // first frame and the face. Null: the still icon and the frames as they are.
  HICON Face() const { return FFace; }
  void SetFace(HICON v);
  // Milliseconds between frames (150 after construction); taken before every wait.
  unsigned short Interval() const { return FInterval; }
  void SetInterval(unsigned short v);
  // Opened by a right click; not owned, cleared when that menu goes.
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* v);

  TMouseEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;

  // The hidden window that receives the icon's messages and the shell's "TaskbarCreated".
  HWND Handle() const;
  // The last add succeeded and the icon is in the notification area.
  bool Added() const { return FAdded; }
  int FrameIndex() const { return FFrameIndex; }
  const TNotifyIconData& NotifyData() const { return FData; }
  // The animation is on and ticking, or on and paused: it pauses while the icon is out, and
  // its thread exists only while it ticks.
  bool AnimationRunning() const;
  bool AnimationPaused() const;

  // The still icon, or the current frame while the animation is on.
  TIcon* CurrentIcon() const;
  // The picture the shell is sent: the face where it stands in, else CurrentIcon's; null when
  // there is none.
  HICON CurrentPicture() const;
  void ShowIcon();
  void HideIcon();
  // tipOnly: only the tooltip changed, so only it is sent (NIF_TIP). Sending the icon along
  // would have the shell copy its pixels once a second for nothing.
  void RefreshIcon(bool tipOnly = false);
  // A balloon at the icon: the information icon, the title and the text (cut to 63 and 255
  // characters). Only while the icon is in the notification area and the text is not empty;
  // false when nothing was shown. The tooltip and the icon are left as they are.
  bool ShowBalloon(const std::string& title, const std::string& text);
  // One animation step: the next frame, back to 0 after the last. The timer's ticks arrive here.
  void AdvanceFrame();
  // Rebuilds the notification record from the window, the current icon and the hint.
  virtual void FillNotifyData();

  void Loaded() override;
  void Notification(TComponent* AComponent) override;

protected:
  virtual void HandleDblClick();
  virtual void HandleClick(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void HandleMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void HandleMouseMove(TShiftState Shift, int X, int Y);
  virtual void HandleMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  // Opens the popup menu at (X, Y); false when there is none to open.
  bool PopupAtCursor(int X, int Y);
  // Runs the popup menu's enabled default item; false when there is none.
  bool ClickDefaultItem();

private:
  class TTrayWindow;
  friend class TTrayWindow;
  // A message of the icon's window; false leaves it to the default handling.
  bool HandleMessage(UINT msg, WPARAM w, LPARAM l);
  void HandleNotify(UINT code);
  bool Send(DWORD message);

  TTrayWindow* FWindow = nullptr;
  bool FActive = true;
  bool FAdded = false;
  bool FAnimated = false;
  bool FEnabled = true;
  bool FDestroying = false;
  unsigned FPressed = 0;  // ssLeft / ssRight: pressed on the icon, release not yet seen
  int FFrameIndex = -1;
  HICON FFace = nullptr;
  unsigned short FInterval = 150;
  TNotifyIconData FData{};
  std::unique_ptr<TIcon> FIcon;
  std::unique_ptr<TIconList> FIcons;
  std::unique_ptr<TTimer> FTicker;  // exists while the animation is on
  std::string FHint;
  TPopupMenu* FPopupMenu = nullptr;
  TShellNotify FShellNotify;
};
