#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <memory>
#include "components/TrayShell.h"
#include "framework/Application.h"
#include "framework/Gdi.h"
#include "tests/TestSupport.h"
#include "tests/components/TraySupport.h"

namespace {

// A popup menu that records where it was opened instead of running the system's menu loop.
struct TRecordingPopup : TPopupMenu {
  using TPopupMenu::TPopupMenu;
  std::vector<POINT> Opened;
  void Popup(int x, int y, HWND owner) override {
    Fire(OnPopup, this);
    Opened.push_back(POINT{x, y});
  }
};

// A tray icon on a recording shell with the program's icon and, on request, the two frames.
struct Tray {
  TRecordingShell shell;
  std::unique_ptr<TTrayIcon> ti;
  std::vector<std::string> log;

  explicit Tray(bool frames = true) {
    ti = std::make_unique<TTrayIcon>(nullptr, shell.Notify());
    ti->Icon()->LoadFromResourceName(GetModuleHandleA(nullptr), "MAINICON");
    if (frames) ti->Icons()->ReadResource(GetModuleHandleA(nullptr), "TI_ICONS");
    shell.Clear();
  }
  LRESULT Mouse(UINT code) { return SendMessageA(ti->Handle(), WM_TRAYICONNOTIFY, 0, code); }
  void LogEvents() {
    auto name = [](TMouseButton b) { return b == mbLeft ? "left" : b == mbRight ? "right" : "middle"; };
    auto shift = [](TShiftState s) {
      std::string t;
      if (s & ssLeft) t += "L";
      if (s & ssRight) t += "R";
      if (s & ssMiddle) t += "M";
      if (s & ssDouble) t += "D";
      return t;
    };
    ti->OnClick = [=, this](TObject* s, TMouseButton b, TShiftState st, int, int) {
      EXPECT_EQ(s, ti.get());
      log.push_back(std::string("click ") + name(b) + " " + shift(st));
    };
    ti->OnMouseDown = [=, this](TObject*, TMouseButton b, TShiftState st, int, int) {
      log.push_back(std::string("down ") + name(b) + " " + shift(st));
    };
    ti->OnMouseUp = [=, this](TObject*, TMouseButton b, TShiftState st, int, int) {
      log.push_back(std::string("up ") + name(b) + " " + shift(st));
    };
    ti->OnMouseMove = [=, this](TObject*, TShiftState st, int, int) { log.push_back("move " + shift(st)); };
    ti->OnDblClick = [this](TObject*) { log.push_back("dblclick"); };
  }
  using Log = std::vector<std::string>;
};

std::string Tip(const TNotifyIconData& d) { return std::string(d.szTip, strnlen(d.szTip, sizeof(d.szTip))); }

// ---- the notification record --------------------------------------------------------------------

TEST(TrayRecord, FirstFormWithCallbackMessageAndFlags) {
  Tray t;
  t.ti->SetActive(false);
  t.shell.Clear();
  t.ti->SetActive(true);
  ASSERT_EQ(t.shell.Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD, NIM_MODIFY}))
      << "an empty tooltip is sent once more";
  const TNotifyIconData& d = t.shell.Calls[1].Data;
  EXPECT_EQ(d.cbSize, sizeof(void*) == 4 ? 88u : 104u) << "the first form of the record, in this architecture's layout";
  EXPECT_EQ(d.hWnd, t.ti->Handle());
  EXPECT_EQ(d.uID, 0u);
  EXPECT_EQ(d.uFlags, 7u) << "message, icon and tip";
  EXPECT_EQ(d.uCallbackMessage, 0xB054u);
  EXPECT_EQ(d.hIcon, t.ti->Icon()->Handle());
  EXPECT_EQ(d.szTip[0], '\0');
  EXPECT_TRUE(t.ti->Added());
}

TEST(TrayRecord, TooltipIsTheShortHintCutTo63Characters) {
  Tray t;
  std::string longHint(100, 'x');
  longHint[62] = 'y', longHint[63] = 'z';
  t.ti->SetHint(longHint);
  ASSERT_EQ(t.shell.Messages(), (std::vector<DWORD>{NIM_MODIFY}));
  EXPECT_EQ(Tip(t.shell.Last().Data), longHint.substr(0, 63));
  EXPECT_EQ(t.shell.Last().Data.szTip[63], '\0');
  t.ti->SetHint("abc|def");
  EXPECT_EQ(Tip(t.shell.Last().Data), "abc");
  t.ti->SetHint("|only the long part");
  EXPECT_EQ(Tip(t.shell.Last().Data), "");
  t.shell.Clear();
  t.ti->SetHint("|only the long part");
  EXPECT_TRUE(t.shell.Calls.empty()) << "the same hint again sends nothing";
  EXPECT_EQ(ShortHint("a|b|c"), "a");
  EXPECT_EQ(ShortHint("plain"), "plain");
}

TEST(TrayRecord, AHintChangeSendsTheTipAloneAndEverythingElseTheWholeRecord) {
  Tray t;
  t.ti->SetHint("one");
  ASSERT_EQ(t.shell.Messages(), (std::vector<DWORD>{NIM_MODIFY}));
  EXPECT_EQ(t.shell.Last().Data.uFlags, (UINT)NIF_TIP) << "the icon stays as it is";
  EXPECT_EQ(Tip(t.shell.Last().Data), "one");
  t.shell.Clear();
  t.ti->Icon()->LoadFromResourceName(GetModuleHandleA(nullptr), "MAINICON");  // a new icon
  ASSERT_EQ(t.shell.Messages(), (std::vector<DWORD>{NIM_MODIFY}));
  EXPECT_EQ(t.shell.Last().Data.uFlags, 7u);
  EXPECT_EQ(t.shell.Last().Data.hIcon, t.ti->Icon()->Handle());
  EXPECT_EQ(Tip(t.shell.Last().Data), "one") << "the whole record carries the tip too";
  t.ti->SetActive(false);
  t.shell.Clear();
  t.ti->SetHint("two");
  EXPECT_TRUE(t.shell.Calls.empty()) << "an icon out of the tray is not told";
  t.ti->SetActive(true);
  ASSERT_EQ(t.shell.Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD}));
  EXPECT_EQ(t.shell.Last().Data.uFlags, 7u);
  EXPECT_EQ(Tip(t.shell.Last().Data), "two") << "it comes back with the hint set meanwhile";
}

TEST(TrayRecord, AnIconWithoutPictureIsNeverSent) {
  Tray t;
  t.ti->Icon()->Clear();
  EXPECT_EQ(t.shell.Messages(), (std::vector<DWORD>{NIM_DELETE})) << "the empty icon leaves the tray";
  EXPECT_FALSE(t.ti->Added());
  t.shell.Clear();
  t.ti->SetActive(false);
  t.ti->SetActive(true);
  t.ti->SetHint("tip");
  for (auto& c : t.shell.Calls) EXPECT_NE(c.Message, (DWORD)NIM_ADD);
  t.ti->FillNotifyData();
  EXPECT_EQ(t.ti->NotifyData().hIcon, reinterpret_cast<HICON>(static_cast<INT_PTR>(-1))) << "all bits set for none";
}

TEST(TrayRecord, ARefusedAddIsTriedAgainOnTheNextRefresh) {
  Tray t;
  t.shell.Answer = FALSE;
  t.ti->SetActive(false);
  t.ti->SetActive(true);
  EXPECT_FALSE(t.ti->Added());
  EXPECT_EQ(t.shell.Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_DELETE, NIM_ADD})) << "no modify after a refused add";
  t.shell.Answer = TRUE;
  t.shell.Clear();
  t.ti->SetHint("again");
  EXPECT_EQ(t.shell.Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD}));
  EXPECT_EQ(Tip(t.shell.Last().Data), "again");
  EXPECT_TRUE(t.ti->Added());
}

TEST(TrayRecord, ActiveFalseRemovesAndTrueAddsWithCurrentIconAndTooltip) {
  Tray t;
  t.ti->SetHint("Memoria disponibile: 1 Kb");
  t.shell.Clear();
  t.ti->SetActive(false);
  EXPECT_EQ(t.shell.Messages(), (std::vector<DWORD>{NIM_DELETE}));
  EXPECT_FALSE(t.ti->Added());
  t.ti->SetHint("changed while out");
  t.ti->Icon()->LoadFromResourceName(nullptr, MAKEINTRESOURCEA(32516) /* IDI_INFORMATION */);
  EXPECT_EQ(t.shell.Messages(), (std::vector<DWORD>{NIM_DELETE})) << "nothing is sent while inactive";
  t.shell.Clear();
  t.ti->SetActive(true);
  EXPECT_EQ(t.shell.Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD})) << "a tooltip needs no second send";
  EXPECT_EQ(t.shell.Last().Data.hIcon, t.ti->Icon()->Handle());
  EXPECT_EQ(Tip(t.shell.Last().Data), "changed while out");
}

// The balloon goes in the record's second form and changes nothing else; it is sent only while
// the icon is in the tray and has something to say.
TEST(TrayRecord, ABalloonIsTheSecondFormWithTheInformationIconAlone) {
  Tray t;
  t.ti->SetHint("tip");
  t.shell.Clear();
  std::string longText(300, 'x');
  longText[254] = 'y', longText[255] = 'z';
  ASSERT_TRUE(t.ti->ShowBalloon("Velmor", "Freed 1 Mb"));
  ASSERT_TRUE(t.ti->ShowBalloon(std::string(70, 't'), longText));
  EXPECT_EQ(t.shell.Messages(), (std::vector<DWORD>{NIM_MODIFY, NIM_MODIFY}));
  ASSERT_EQ(t.shell.Balloons.size(), 2u);
  const NOTIFYICONDATAA& b = t.shell.Balloons[0];
  EXPECT_EQ(b.cbSize, (DWORD)NOTIFYICONDATAA_V2_SIZE) << "the size Windows XP accepts for a balloon";
  EXPECT_EQ(b.hWnd, t.ti->Handle());
  EXPECT_EQ(b.uID, 0u);
  EXPECT_EQ(b.uFlags, (UINT)NIF_INFO) << "the icon and the tooltip stay as they are";
  EXPECT_EQ(b.dwInfoFlags, (DWORD)NIIF_INFO);
  EXPECT_EQ(b.uTimeout, kBalloonTimeoutMs);
  EXPECT_STREQ(b.szInfoTitle, "Velmor");
  EXPECT_STREQ(b.szInfo, "Freed 1 Mb");
  EXPECT_EQ(std::string(t.shell.Balloons[1].szInfo), longText.substr(0, 255)) << "cut to what the record holds";
  EXPECT_EQ(std::string(t.shell.Balloons[1].szInfoTitle), std::string(63, 't'));
  t.ti->SetHint("next");
  EXPECT_EQ(t.shell.Last().Data.cbSize, sizeof(TNotifyIconData)) << "the tooltip keeps the first form";

  t.shell.Clear();
  EXPECT_FALSE(t.ti->ShowBalloon("Velmor", "")) << "an empty balloon is not sent";
  t.ti->SetActive(false);
  t.shell.Clear();
  EXPECT_FALSE(t.ti->ShowBalloon("Velmor", "text")) << "nor one for an icon out of the tray";
  t.shell.Answer = FALSE;
  t.ti->SetActive(true);
  EXPECT_FALSE(t.ti->ShowBalloon("Velmor", "text")) << "nor one whose add the shell refused";
  EXPECT_TRUE(t.shell.Balloons.empty());
}

// ---- mouse actions on the icon -------------------------------------------------------------------

TEST(TrayMouse, EveryCodeFiresItsEvents) {
  Tray t;
  t.LogEvents();
  struct {
    UINT code;
    Tray::Log expected;
  } table[] = {
      {WM_MOUSEMOVE, {"move "}},
      {WM_LBUTTONDOWN, {"down left L"}},
      {WM_LBUTTONUP, {"click left L", "up left L"}},
      {WM_LBUTTONDBLCLK, {"dblclick", "down left D"}},
      {WM_RBUTTONDOWN, {"down right R"}},
      {WM_RBUTTONUP, {"click right R", "up right R"}},  // no popup menu: OnClick
      {WM_RBUTTONDBLCLK, {"down right D"}},
      {WM_MBUTTONDOWN, {"down middle M"}},
      {WM_MBUTTONUP, {"up middle M"}},
      {WM_MBUTTONDBLCLK, {"down middle D"}},
      {WM_KEYDOWN, {}},
  };
  for (auto& row : table) {
    t.log.clear();
    EXPECT_EQ(t.Mouse(row.code), 0);
    EXPECT_EQ(t.log, row.expected) << "code 0x" << std::hex << row.code;
  }
}

TEST(TrayMouse, AReleaseWithoutItsPressIsNoClick) {
  Tray t;
  TRecordingPopup popup(nullptr);
  popup.Items()->Add(new TMenuItem(&popup));
  t.ti->SetPopupMenu(&popup);
  t.LogEvents();
  t.Mouse(WM_RBUTTONUP);
  t.Mouse(WM_LBUTTONUP);
  EXPECT_EQ(t.log, (Tray::Log{"up right R", "up left L"}));
  EXPECT_TRUE(popup.Opened.empty());
  t.log.clear();
  t.Mouse(WM_LBUTTONDOWN);
  t.ti->SetActive(false);  // leaving the tray forgets the press
  t.ti->SetActive(true);
  t.Mouse(WM_LBUTTONUP);
  EXPECT_EQ(t.log, (Tray::Log{"down left L", "up left L"}));
}

TEST(TrayMouse, RightPressAndReleaseOpensThePopupAtTheCursorInsteadOfOnClick) {
  Tray t;
  TRecordingPopup popup(nullptr);
  popup.Items()->Add(new TMenuItem(&popup));
  int popups = 0;
  popup.OnPopup = [&](TObject*) { ++popups; };
  t.ti->SetPopupMenu(&popup);
  t.LogEvents();
  SetCursorPos(300, 700);
  POINT cursor{};
  GetCursorPos(&cursor);
  t.Mouse(WM_RBUTTONDOWN);
  t.Mouse(WM_RBUTTONUP);
  EXPECT_EQ(t.log, (Tray::Log{"down right R", "up right R"})) << "no OnClick";
  ASSERT_EQ(popup.Opened.size(), 1u);
  EXPECT_EQ(popup.Opened[0].x, cursor.x);
  EXPECT_EQ(popup.Opened[0].y, cursor.y);
  EXPECT_EQ(popups, 1);

  t.log.clear();
  t.ti->SetActive(false);
  t.Mouse(WM_RBUTTONDOWN);
  t.Mouse(WM_RBUTTONUP);
  EXPECT_EQ(popup.Opened.size(), 1u) << "an inactive icon opens no menu";
  EXPECT_EQ(t.log, (Tray::Log{"down right R", "click right R", "up right R"}));
}

TEST(TrayMouse, DoubleClickRunsTheDefaultItemOrElseOnDblClick) {
  Tray t;
  TRecordingPopup popup(nullptr);
  auto* a = new TMenuItem(&popup);
  auto* b = new TMenuItem(&popup);
  a->SetCaption("a"), b->SetCaption("b");
  popup.Items()->Add(a);
  popup.Items()->Add(b);
  int clickedB = 0;
  b->OnClick = [&](TObject*) { ++clickedB; };
  t.ti->SetPopupMenu(&popup);
  t.LogEvents();
  t.Mouse(WM_LBUTTONDBLCLK);
  EXPECT_EQ(t.log, (Tray::Log{"dblclick", "down left D"})) << "no default item: OnDblClick first";

  t.log.clear();
  SetMenuDefaultItem(popup.Handle(), b->Command(), FALSE);
  t.Mouse(WM_LBUTTONDBLCLK);
  EXPECT_EQ(clickedB, 1);
  EXPECT_EQ(t.log, (Tray::Log{"down left D"})) << "the default item took the double click";

  t.log.clear();
  b->SetEnabled(false);
  SetMenuDefaultItem(popup.Handle(), b->Command(), FALSE);
  t.Mouse(WM_LBUTTONDBLCLK);
  EXPECT_EQ(clickedB, 1) << "a disabled default item is not run";
  EXPECT_EQ(t.log, (Tray::Log{"dblclick", "down left D"}));
}

TEST(TrayMouse, DisabledIconIgnoresEveryAction) {
  Tray t;
  TRecordingPopup popup(nullptr);
  popup.Items()->Add(new TMenuItem(&popup));
  t.ti->SetPopupMenu(&popup);
  t.LogEvents();
  t.ti->SetEnabled(false);
  for (UINT code : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP})
    t.Mouse(code);
  EXPECT_TRUE(t.log.empty());
  EXPECT_TRUE(popup.Opened.empty());
  t.ti->SetEnabled(true);
  t.Mouse(WM_LBUTTONUP);
  EXPECT_EQ(t.log, (Tray::Log{"up left L"})) << "presses seen while disabled do not count";
}

TEST(TrayMouse, AFailingHandlerReachesTheErrorBoxAndTheIconGoesOn) {
  Tray t;
  t.ti->OnMouseDown = [](TObject*, TMouseButton, TShiftState, int, int) { throw Exception("Broken handler"); };
  ShownErrors().clear();
  t.Mouse(WM_LBUTTONDOWN);
  ASSERT_EQ(ShownErrors().size(), 1u);
  EXPECT_EQ(ShownErrors()[0], "Broken handler");
  int ups = 0;
  t.ti->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; };
  t.Mouse(WM_LBUTTONUP);
  EXPECT_EQ(ups, 1);
  ShownErrors().clear();
}

TEST(TrayMouse, APopupMenuThatGoesIsForgotten) {
  Tray t;
  auto* popup = new TRecordingPopup(nullptr);
  popup->Items()->Add(new TMenuItem(popup));
  t.ti->SetPopupMenu(popup);
  delete popup;
  EXPECT_EQ(t.ti->PopupMenu(), nullptr);
  t.LogEvents();
  t.Mouse(WM_RBUTTONDOWN);
  t.Mouse(WM_RBUTTONUP);
  EXPECT_EQ(t.log, (Tray::Log{"down right R", "click right R", "up right R"}));
}

// ---- animation ------------------------------------------------------------------------------------

TEST(TrayAnimation, StaysOffWithoutFramesAndStartsNoThread) {
  Tray t(false);
  int threads = ProcessThreads();
  t.ti->SetAnimated(true);
  EXPECT_FALSE(t.ti->Animated());
  EXPECT_FALSE(t.ti->AnimationRunning());
  EXPECT_FALSE(t.ti->AnimationPaused());
  EXPECT_EQ(ProcessThreads(), threads);
  EXPECT_TRUE(t.shell.Calls.empty());
}

TEST(TrayAnimation, FramesGoZeroOneZeroAndOffShowsTheStillIconAtOnce) {
  Tray t;
  TIcon* f0 = t.ti->Icons()->Item(0);
  TIcon* f1 = t.ti->Icons()->Item(1);
  t.ti->SetInterval(60000);  // the thread stays asleep: the ticks come from here
  t.ti->SetAnimated(true);
  EXPECT_TRUE(t.ti->Animated());
  EXPECT_TRUE(t.ti->AnimationRunning());
  EXPECT_EQ(t.ti->FrameIndex(), 0);
  ASSERT_EQ(t.shell.Messages(), (std::vector<DWORD>{NIM_MODIFY}));
  EXPECT_EQ(t.shell.Last().Data.hIcon, f0->Handle()) << "the warning triangle comes first";
  std::vector<HICON> shown;
  for (int i = 0; i < 4; ++i) {
    t.ti->AdvanceFrame();
    shown.push_back(t.shell.Last().Data.hIcon);
  }
  EXPECT_EQ(shown, (std::vector<HICON>{f1->Handle(), f0->Handle(), f1->Handle(), f0->Handle()}));
  t.ti->SetAnimated(false);
  EXPECT_EQ(t.shell.Last().Data.hIcon, t.ti->Icon()->Handle());
  EXPECT_FALSE(t.ti->AnimationRunning());
  t.shell.Clear();
  t.ti->AdvanceFrame();
  EXPECT_TRUE(t.shell.Calls.empty()) << "a late tick after the animation ended changes nothing";
}

// A face stands in for the still icon and, while the animation runs, for the frames after the
// first; taken away, the still icon shows at once.
TEST(TrayAnimation, AFaceTakesThePlaceOfTheStillIconAndOfTheFramesAfterTheFirst) {
  Tray t;
  TIcon face;
  face.LoadFromResourceName(nullptr, MAKEINTRESOURCEA(32516) /* IDI_INFORMATION */);
  const HICON f0 = t.ti->Icons()->Item(0)->Handle(), still = t.ti->Icon()->Handle(), h = face.Handle();
  t.ti->SetFace(h);
  std::vector<HICON> shown{t.shell.Last().Data.hIcon};
  t.ti->SetInterval(60000);
  t.ti->SetAnimated(true);
  for (int i = 0; i < 3; ++i) shown.push_back(t.shell.Last().Data.hIcon), t.ti->AdvanceFrame();
  EXPECT_EQ(shown, (std::vector<HICON>{h, f0, h, f0}));
  t.ti->SetAnimated(false);
  t.ti->SetFace(nullptr);
  EXPECT_EQ(t.shell.Last().Data.hIcon, still);
}

TEST(TrayAnimation, EmptyingTheFramesEndsTheAnimation) {
  Tray t;
  t.ti->SetInterval(60000);
  t.ti->SetAnimated(true);
  t.ti->Icons()->Clear();
  EXPECT_FALSE(t.ti->Animated());
  EXPECT_FALSE(t.ti->AnimationRunning());
  EXPECT_EQ(t.shell.Last().Data.hIcon, t.ti->Icon()->Handle());
}

TEST(TrayAnimation, TheThreadsTicksArriveOnTheWindowThread) {
  Tray t;
  t.ti->SetInterval(1);
  t.ti->SetAnimated(true);
  HICON f0 = t.ti->Icons()->Item(0)->Handle(), f1 = t.ti->Icons()->Item(1)->Handle();
  ASSERT_TRUE(PumpUntil([&] { return t.shell.Calls.size() >= 4; }));
  std::vector<int> frames;
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(t.shell.Calls[i].Thread, GetCurrentThreadId()) << "every call to the shell is made on this thread";
    EXPECT_EQ(t.shell.Calls[i].Message, (DWORD)NIM_MODIFY);
    HICON h = t.shell.Calls[i].Data.hIcon;
    frames.push_back(h == f0 ? 0 : h == f1 ? 1 : -1);
  }
  EXPECT_EQ(frames, (std::vector<int>{0, 1, 0, 1}));
}

TEST(TrayAnimation, TheThreadPausesWhileTheIconIsOutOfTheTray) {
  Tray t;
  t.ti->SetInterval(1);
  t.ti->SetActive(false);
  t.ti->SetAnimated(true);
  EXPECT_TRUE(t.ti->AnimationPaused()) << "started paused: the icon is not in the tray";
  t.shell.Clear();
  // The paused thread posts nothing: a round of messages changes no frame.
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  EXPECT_EQ(t.ti->FrameIndex(), 0);
  EXPECT_TRUE(t.shell.Calls.empty());
  t.ti->SetActive(true);
  EXPECT_TRUE(t.ti->AnimationRunning());
  t.shell.Answer = FALSE;
  t.ti->ShowIcon();
  EXPECT_TRUE(t.ti->AnimationPaused()) << "a refused add keeps it paused";
  t.shell.Answer = TRUE;
  t.ti->ShowIcon();
  EXPECT_TRUE(t.ti->AnimationRunning());
  t.ti->HideIcon();
  EXPECT_TRUE(t.ti->AnimationPaused());
}

TEST(TrayAnimation, SwitchingOnAndOffLeavesNoThreadOrHandleBehind) {
  Tray t;
  t.ti->SetInterval(1);
  t.ti->SetAnimated(true);  // the first thread warms up the thread library's own handles
  t.ti->SetAnimated(false);
  int threads = ProcessThreads(), handles = ProcessHandles();
  ASSERT_GT(handles, 0);
  t.ti->SetAnimated(true);
  EXPECT_EQ(ProcessThreads(), threads + 1) << "one thread while the animation is on";
  t.ti->SetAnimated(false);
  for (int i = 0; i < 200; ++i) {
    t.ti->SetAnimated(true);
    if (i % 10 == 0) Application->ProcessMessages();
    t.ti->SetAnimated(false);
  }
  EXPECT_EQ(ProcessThreads(), threads);
  // A leak would grow with the rounds; the system itself creates a handle of its own once, on
  // the first contended lock, and that may fall into these rounds.
  EXPECT_LE(ProcessHandles(), handles + 1);
  EXPECT_FALSE(t.ti->AnimationRunning());
}

TEST(TrayAnimation, DestroyingTheIconWhileItAnimatesIsSafe) {
  int threads = ProcessThreads();
  for (int round = 0; round < 5; ++round) {
    Tray t;
    t.ti->SetInterval(1);
    t.ti->SetAnimated(true);
    size_t before = t.shell.Calls.size();
    ASSERT_TRUE(PumpUntil([&] { return t.shell.Calls.size() > before + 2; }));
    HWND h = t.ti->Handle();
    t.ti.reset();
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(t.shell.Last().Message, (DWORD)NIM_DELETE);
    Application->ProcessMessages();  // ticks still queued find no window
  }
  EXPECT_EQ(ProcessThreads(), threads);
}

// ---- the shell's taskbar ------------------------------------------------------------------------

TEST(TrayTaskbar, ANewTaskbarGetsTheIconAgainWhenActive) {
  Tray t;
  UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  t.ti->SetHint("tip|long");
  t.ti->SetInterval(60000);
  t.ti->SetAnimated(true);
  t.ti->AdvanceFrame();
  t.shell.Clear();
  SendMessageA(t.ti->Handle(), taskbarCreated, 0, 0);
  ASSERT_EQ(t.shell.Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD}));
  EXPECT_EQ(Tip(t.shell.Last().Data), "tip");
  EXPECT_EQ(t.shell.Last().Data.hIcon, t.ti->Icons()->Item(1)->Handle()) << "with the current frame";
  EXPECT_TRUE(t.ti->AnimationRunning());

  t.ti->SetActive(false);
  t.shell.Clear();
  PostMessageA(HWND_BROADCAST, taskbarCreated, 0, 0);
  Application->ProcessMessages();
  EXPECT_TRUE(t.shell.Calls.empty()) << "an inactive icon stays out";
}

// ---- life cycle -------------------------------------------------------------------------------------

TEST(TrayLifecycle, LoadingShowsTheIconAgain) {
  Tray t;
  t.ti->Loaded();
  EXPECT_EQ(t.shell.Messages(), (std::vector<DWORD>{NIM_DELETE, NIM_ADD, NIM_MODIFY}));
}

TEST(TrayLifecycle, DestructionRemovesTheIconBeforeTheWindowAndJoinsTheThread) {
  int live = gdi::LiveObjects(), threads = ProcessThreads();
  HWND h = nullptr;
  std::vector<std::string> order;
  TShellNotify probe = [&](DWORD m, TNotifyIconData*) {
    order.push_back(std::string(m == NIM_DELETE ? "delete" : "other") + (IsWindow(h) ? " with window" : " without"));
    return TRUE;
  };
  auto ti = std::make_unique<TTrayIcon>(nullptr, probe);
  h = ti->Handle();
  ti->Icons()->ReadResource(GetModuleHandleA(nullptr), "TI_ICONS");
  ti->SetAnimated(true);
  order.clear();
  ti.reset();
  EXPECT_EQ(order, (std::vector<std::string>{"delete with window"}));
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(ProcessThreads(), threads);
  EXPECT_EQ(gdi::LiveObjects(), live) << "the icons went with it";
}

}  // namespace
