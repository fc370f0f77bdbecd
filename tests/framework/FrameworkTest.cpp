#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <functional>
#include <memory>
#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/OSError.h"
#include "framework/StdCtrls.h"
#include "framework/Timers.h"
#include "tests/TestSupport.h"

namespace {

struct TestForm : TForm {
  explicit TestForm(TComponent* owner) : TForm(owner, "TTestForm") { SetClientSize(200, 120); }
};

// ---- components -------------------------------------------------------------------------------

struct Tracked : TComponent {
  Tracked(TComponent* o, std::vector<std::string>& log, std::string n) : TComponent(o), FLog(log) { SetName(n); }
  ~Tracked() override { FLog.push_back(Name()); }
  void Notification(TComponent* c) override { FLog.push_back(Name() + " saw " + c->Name() + " go"); }
  std::vector<std::string>& FLog;
};

TEST(Components, OwnerFreesInReverseOrderOfCreation) {
  std::vector<std::string> log;
  auto* root = new Tracked(nullptr, log, "root");
  new Tracked(root, log, "a");
  new Tracked(root, log, "b");
  EXPECT_EQ(root->Component(0)->Name(), "a");
  delete root;
  EXPECT_EQ(log, (std::vector<std::string>{"root", "b", "a"}));
}

TEST(Components, FreeNotificationTellsTheOtherSide) {
  std::vector<std::string> log;
  auto* x = new Tracked(nullptr, log, "x");
  auto* y = new Tracked(nullptr, log, "y");
  x->FreeNotification(y);
  delete y;
  EXPECT_EQ(log, (std::vector<std::string>{"y", "x saw y go"}));
  delete x;  // must not touch y

  // Undone from either side, the link is gone on both.
  for (bool fromFirst : {true, false}) {
    log.clear();
    auto* a = new Tracked(nullptr, log, "a");
    auto* b = new Tracked(nullptr, log, "b");
    a->FreeNotification(b);
    fromFirst ? a->RemoveFreeNotification(b) : b->RemoveFreeNotification(a);
    delete b;
    delete a;
    EXPECT_EQ(log, (std::vector<std::string>{"b", "a"})) << fromFirst;
  }
}

TEST(Components, ChildDeletedFirstLeavesItsOwnerConsistent) {
  std::vector<std::string> log;
  auto* root = new Tracked(nullptr, log, "root");
  auto* a = new Tracked(root, log, "a");
  delete a;
  EXPECT_EQ(root->ComponentCount(), 0);
  delete root;
}

// ---- windows and their controls ---------------------------------------------------------------

TEST(Controls, AHandleNamesItsControlOnlyWhileTheWindowLives) {
  auto* form = new TestForm(nullptr);
  auto* label = new TLabel(form, form);
  auto* panel = new TPanel(form, form);
  auto* spin = new TSpinEdit(form, form);
  HWND lh = label->Handle(), ph = panel->Handle(), fh = form->Handle(), arrows = spin->ButtonHandle();
  // A window of our own class that no object made: it belongs to nobody and still works.
  HWND stray = CreateWindowExA(0, "TPanel", "", WS_CHILD, 0, 0, 10, 10, fh, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(stray);
  // Another user of a standard control's user-data slot does not hide its object.
  SetWindowLongPtrA(lh, GWLP_USERDATA, 0x1234);
  const struct {
    const char* what;
    HWND h;
    bool ours;
    TWinControl* expected;
  } rows[] = {
      {"a standard control, subclassed, its user data taken", lh, true, label},
      {"a window of our own class", ph, true, panel},
      {"our arrows, though the common controls have a class of that name", arrows, true, nullptr},
      {"a window of our own class that no object made", stray, false, nullptr},
      {"a window that is none of ours", GetDesktopWindow(), false, nullptr},
      {"no window", nullptr, false, nullptr},
  };
  for (const auto& r : rows) {
    TWinControl* found = TWinControl::FromHandle(r.h);
    EXPECT_EQ(found != nullptr, r.ours) << r.what;
    if (r.expected) {
      EXPECT_EQ(found, r.expected) << r.what;
    }
  }
  EXPECT_NE(dynamic_cast<TUpDown*>(TWinControl::FromHandle(arrows)), nullptr) << "the arrows are our TUpDown";
  SetWindowTextA(stray, "still answers");
  char text[32] = {};
  GetWindowTextA(stray, text, sizeof(text));
  EXPECT_STREQ(text, "still answers");
  DestroyWindow(stray);
  delete label;
  EXPECT_EQ(TWinControl::FromHandle(lh), nullptr);
  delete form;  // and with it the panel
  EXPECT_EQ(TWinControl::FromHandle(ph), nullptr);
  EXPECT_EQ(TWinControl::FromHandle(fh), nullptr);
}

TEST(Controls, AHiddenWindowIsNotRepaintedButPaintedWholeWhenShown) {
  auto* form = new TestForm(nullptr);
  auto* panel = new TPanel(form, form);
  panel->SetBounds(0, 0, 50, 50);
  form->Hide();
  panel->Invalidate();
  RECT r;
  EXPECT_FALSE(GetUpdateRect(panel->Handle(), &r, FALSE)) << "nothing to paint while hidden";
  form->Show();
  EXPECT_TRUE(GetUpdateRect(panel->Handle(), &r, FALSE));
  EXPECT_EQ(r.right - r.left, 50) << "shown, it is painted whole";
  UpdateWindow(form->Handle());
  panel->Invalidate();
  EXPECT_TRUE(GetUpdateRect(panel->Handle(), &r, FALSE)) << "on screen, an invalidation stands";
  delete form;
}

// A window the system refuses names its class and the system's error code (here a child
// window whose parent is gone).
TEST(Controls, AWindowThatCannotBeMadeIsReportedWithTheSystemsCode) {
  TestForm form(nullptr);
  DestroyWindow(form.Handle());
  std::string message;
  try {
    TPanel panel(&form, &form);
  } catch (const Exception& e) {
    message = e.what();
  }
  EXPECT_EQ(message, "Cannot create a window of class TPanel: " + OSErrorMessage(ERROR_TLW_WITH_WSCHILD));
}

// ---- the error box ----------------------------------------------------------------------------

// What the user, the system or another program does to a window is what the control then
// reports, and setting the earlier state again takes effect.
TEST(Controls, StateIsReadFromTheWindow) {
  TestForm form(nullptr);
  auto* label = new TLabel(&form, &form);
  label->SetCaption("ab");
  label->SetBounds(10, 20, 30, 15);
  form.SetPosition(100, 100);
  const int fw = form.Width(), fh = form.Height();
  form.Show();
  struct Row {
    const char* what;
    TWinControl* c;
    std::function<void(HWND)> change;  // done to the window behind the control's back
    std::function<bool()> changed;     // what the control reports then
    std::function<void()> restore;     // through the control: back as before
    std::function<bool()> restored;
  } rows[] = {
      {"a moved form", &form, [](HWND h) { SetWindowPos(h, nullptr, 5, 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER); },
       [&] { return form.Left() == 5 && form.Top() == 6 && form.Width() == fw; },
       [&] { form.SetPosition(100, 100); }, [&] { RECT r; GetWindowRect(form.Handle(), &r); return r.left == 100 && r.top == 100; }},
      {"a moved child", label, [](HWND h) { MoveWindow(h, 1, 2, 40, 16, FALSE); },
       [&] { return label->Left() == 1 && label->Top() == 2 && label->Width() == 40 && label->Height() == 16; },
       [&] { label->SetBounds(10, 20, 30, 15); }, [&] { return label->Left() == 10 && label->Width() == 30; }},
      {"a hidden form", &form, [](HWND h) { ShowWindow(h, SW_HIDE); }, [&] { return !form.Visible(); },
       [&] { form.Show(); }, [&] { return IsWindowVisible(form.Handle()) != FALSE; }},
      {"a new text", label, [](HWND h) { SetWindowTextA(h, "cd"); }, [&] { return label->Caption() == "cd"; },
       [&] { label->SetCaption("ab"); }, [&] { return label->Caption() == "ab"; }},
      {"a disabled child", label, [](HWND h) { EnableWindow(h, FALSE); }, [&] { return !label->Enabled(); },
       [&] { label->SetEnabled(true); }, [&] { return IsWindowEnabled(label->Handle()) != FALSE; }},
  };
  for (auto& row : rows) {
    row.change(row.c->Handle());
    EXPECT_TRUE(row.changed()) << row.what;
    row.restore();
    EXPECT_TRUE(row.restored()) << row.what;
  }
  EXPECT_EQ(form.Height(), fh);
}

TEST(ErrorBox, FullStopIsAddedAfterCharactersThatSortAfterIt) {
  EXPECT_EQ(ErrorBoxText("Failed to set data for 'Soglia'"), "Failed to set data for 'Soglia'") << "' sorts before .";
  EXPECT_EQ(ErrorBoxText("Cannot write Soglia"), "Cannot write Soglia.");
  EXPECT_EQ(ErrorBoxText("Done."), "Done.");
  EXPECT_EQ(ErrorBoxText("Code 5"), "Code 5.");
  EXPECT_EQ(ErrorBoxText("x)"), "x)") << "')' sorts before '.'";
  EXPECT_EQ(ErrorBoxText("x-"), "x-") << "'-' sorts before '.'";
  EXPECT_EQ(ErrorBoxText("what?"), "what?.");
  EXPECT_EQ(ErrorBoxText(""), "");
}

TEST(ErrorBox, ExceptionsInHandlersStopAtTheWindowProcedure) {
  TestForm f(nullptr);
  auto* b = new TButton(&f, &f);
  b->SetBounds(0, 0, 80, 24);
  b->OnClick = [](TObject*) { throw Exception("Boom"); };
  ShownErrors().clear();
  SendMessageA(b->Handle(), BM_CLICK, 0, 0);
  ASSERT_EQ(ShownErrors().size(), 1u);
  EXPECT_EQ(ShownErrors()[0], "Boom");
  b->OnClick = [](TObject*) { throw 42; };
  SendMessageA(b->Handle(), BM_CLICK, 0, 0);
  ASSERT_EQ(ShownErrors().size(), 2u);
  EXPECT_EQ(ShownErrors()[1], "Unknown error");
}

TEST(ErrorBox, TimerTicksAreBarriersToo) {
  TestForm f(nullptr);
  auto* t = new TTimer(&f);
  t->SetInterval(1);
  t->OnTimer = [t](TObject*) {
    t->SetEnabled(false);
    throw Exception("tick failed");
  };
  ShownErrors().clear();
  MSG m;
  while (ShownErrors().empty() && GetMessageA(&m, nullptr, 0, 0)) DispatchMessageA(&m);
  ASSERT_EQ(ShownErrors().size(), 1u);
  EXPECT_EQ(ShownErrors()[0], "tick failed");
}

// ---- spin edit --------------------------------------------------------------------------------

struct Spin {
  TestForm f{nullptr};
  TSpinEdit* s;
  int beeps = 0;
  Spin() {
    s = new TSpinEdit(&f, &f);
    s->SetBounds(8, 20, 47, 22);
    s->SetIncrement(10);
    s->OnRefusedKey = [this] { ++beeps; };
    s->SetValue(50);
  }
  void Key(UINT vk) { SendMessageA(s->Handle(), WM_KEYDOWN, vk, 0); }
  void Char(char c) { SendMessageA(s->Handle(), WM_CHAR, (unsigned char)c, 0); }
  // A click on the upper (+1) or lower (-1) arrow of the buttons.
  void Arrow(int delta) {
    RECT c;
    GetClientRect(s->ButtonHandle(), &c);
    LPARAM at = MAKELPARAM(c.right / 2, delta > 0 ? 1 : c.bottom - 2);
    SendMessageA(s->ButtonHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(s->ButtonHandle(), WM_LBUTTONUP, 0, at);
  }
};

TEST(SpinEdit, ButtonsAndArrowKeysStepByTheIncrement) {
  Spin t;
  t.Key(VK_UP);
  EXPECT_EQ(t.s->Value(), 60);
  t.Key(VK_DOWN);
  t.Key(VK_DOWN);
  EXPECT_EQ(t.s->Value(), 40);
  t.Arrow(1);
  EXPECT_EQ(t.s->Value(), 50);
  t.Arrow(-1);
  EXPECT_EQ(t.s->Value(), 40);
}

TEST(SpinEdit, WithoutARangeNothingIsLimited) {
  Spin t;
  t.s->SetValue(-30);
  EXPECT_EQ(t.s->Value(), -30);
  t.s->SetValue(100000);
  EXPECT_EQ(t.s->Value(), 100000);
}

TEST(SpinEdit, OnceAMaximumIsSetValuesAreKeptInRange) {
  Spin t;
  t.s->SetValue(900);
  t.s->SetMaxValue(512);
  EXPECT_EQ(t.s->Value(), 900) << "setting the maximum does not touch the value";
  t.Key(VK_UP);
  EXPECT_EQ(t.s->Value(), 512);
  t.s->SetValue(-10);
  EXPECT_EQ(t.s->Value(), 0);
  t.s->SetValue(0);
  t.Key(VK_DOWN);
  EXPECT_EQ(t.s->Value(), 0);
}

TEST(SpinEdit, TypedValueIsBroughtIntoRangeWhenTheFieldIsLeft) {
  Spin t;
  t.s->SetMaxValue(512);
  t.s->SetText("9999");
  EXPECT_EQ(t.s->Value(), 9999);
  SendMessageA(t.s->Handle(), WM_KILLFOCUS, 0, 0);
  EXPECT_EQ(t.s->Value(), 512);
  EXPECT_EQ(t.s->Text(), "512");
  t.s->SetText("120");
  SendMessageA(t.s->Handle(), WM_KILLFOCUS, 0, 0);
  EXPECT_EQ(t.s->Text(), "120");
}

TEST(SpinEdit, TextThatIsNoIntegerReadsAsZero) {
  Spin t;
  for (const char* bad : {"", "abc", "12a", "-", "+", "99999999999", "1 2"}) {
    t.s->SetText(bad);
    EXPECT_EQ(t.s->Value(), 0) << '"' << bad << '"';
  }
  t.s->SetText("+40");
  EXPECT_EQ(t.s->Value(), 40);
  t.s->SetText("-7");
  EXPECT_EQ(t.s->Value(), -7);
}

TEST(SpinEdit, TypingRefusesEverythingButDigitsSignsAndControlKeys) {
  Spin t;
  t.s->SetText("");
  for (char c : std::string("1a2.b+-")) t.Char(c);
  EXPECT_EQ(t.s->Text(), "12+-");
  EXPECT_EQ(t.beeps, 3);
  t.Char('\b');
  EXPECT_EQ(t.s->Text(), "12+");
  EXPECT_EQ(t.beeps, 3) << "control keys pass without a beep";
}

// ---- other controls ---------------------------------------------------------------------------

TEST(RadioGroup, OneItemChosenAtATime) {
  TestForm f(nullptr);
  auto* rg = new TRadioGroup(&f, &f);
  rg->SetBounds(0, 0, 200, 60);
  rg->SetItems({"one", "two"});
  int clicks = 0;
  rg->OnClick = [&](TObject*) { ++clicks; };
  EXPECT_EQ(rg->ItemIndex(), -1);
  SendMessageA(rg->ButtonHandle(1), BM_CLICK, 0, 0);
  EXPECT_EQ(rg->ItemIndex(), 1);
  EXPECT_EQ(SendMessageA(rg->ButtonHandle(1), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(rg->ButtonHandle(0), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(clicks, 1);
  rg->SetItemIndex(7);
  EXPECT_EQ(rg->ItemIndex(), -1);
  EXPECT_EQ(SendMessageA(rg->ButtonHandle(1), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST(SpinEdit, AHeldArrowRepeatsOnlyWhileThePointerStaysOnIt) {
  Spin t;
  HWND b = t.s->ButtonHandle();
  // The arrows' repeat timer: the one timer among what the arrows own, ticked here by hand.
  TComponent* arrows = TWinControl::FromHandle(b);
  TTimer* repeat = nullptr;
  for (int i = 0; arrows && i < arrows->ComponentCount() && !repeat; ++i)
    repeat = dynamic_cast<TTimer*>(arrows->Component(i));
  ASSERT_NE(repeat, nullptr);
  SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 1));
  EXPECT_EQ(t.s->Value(), 60) << "the press steps at once";
  EXPECT_EQ(repeat->Interval(), 400u) << "the first repeat waits longer";
  repeat->Tick();
  repeat->Tick();
  EXPECT_EQ(t.s->Value(), 80) << "held, it repeats";
  EXPECT_EQ(repeat->Interval(), 100u);
  RECT c;
  GetClientRect(b, &c);
  SendMessageA(b, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, c.bottom - 2));
  repeat->Tick();
  EXPECT_EQ(t.s->Value(), 80) << "over the other arrow, it waits";
  SendMessageA(b, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 1));
  repeat->Tick();
  EXPECT_EQ(t.s->Value(), 90) << "back on its arrow, it goes on";
  SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(5, 1));
  repeat->Tick();
  EXPECT_EQ(t.s->Value(), 90) << "released, it stops";
  EXPECT_FALSE(repeat->Enabled());
  EnableWindow(b, FALSE);
  SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 1));
  EXPECT_EQ(t.s->Value(), 90) << "a disabled button does nothing";
  EXPECT_NE(GetFocus(), b) << "the buttons never take the focus";
}

TEST(SpinEdit, TheButtonsShowBothArrowsAndThePressedOne) {
  Spin t;
  HWND b = t.s->ButtonHandle();
  RECT c;
  GetClientRect(b, &c);
  ASSERT_GT(c.bottom, 8);
  // The arrows as the system draws them, into a bitmap of our own for comparison.
  auto arrows = [&](UINT upState, UINT downState) {
    auto dib = std::make_unique<gdi::Dib>(c.right, c.bottom);
    RECT up = c, down = c;
    up.bottom = down.top = c.bottom / 2;
    DrawFrameControl(dib->DC(), &up, DFC_SCROLL, DFCS_SCROLLUP | upState);
    DrawFrameControl(dib->DC(), &down, DFC_SCROLL, DFCS_SCROLLDOWN | downState);
    return dib;
  };
  auto same = [&](const gdi::Dib& a, const gdi::Dib& b) {
    for (int y = 0; y < c.bottom; ++y)
      for (int x = 0; x < c.right; ++x)
        if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
    return true;
  };
  gdi::Dib shown(c.right, c.bottom);
  SendMessageA(b, WM_PRINTCLIENT, (WPARAM)shown.DC(), PRF_CLIENT);
  EXPECT_TRUE(same(shown, *arrows(0, 0)));
  SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, c.bottom - 2));
  SendMessageA(b, WM_PRINTCLIENT, (WPARAM)shown.DC(), PRF_CLIENT);
  EXPECT_TRUE(same(shown, *arrows(0, DFCS_PUSHED))) << "the lower arrow pushed in";
  SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(5, c.bottom - 2));
  SendMessageA(b, WM_PRINTCLIENT, (WPARAM)shown.DC(), PRF_CLIENT);
  EXPECT_TRUE(same(shown, *arrows(0, 0)));
}

TEST(ProgressBar, PositionIsClampedAndRepaintsOnlyWhenItChanges) {
  TestForm f(nullptr);
  f.Show();
  auto* p = new TProgressBar(&f, &f);
  p->SetBounds(0, 0, 123, 16);
  p->SetPosition(40);
  EXPECT_EQ(SendMessageA(p->Handle(), PBM_GETPOS, 0, 0), 40);
  p->SetPosition(250);
  EXPECT_EQ(p->Position(), 100);
  UpdateWindow(p->Handle());
  RECT r;
  p->SetPosition(100);
  EXPECT_FALSE(GetUpdateRect(p->Handle(), &r, FALSE)) << "an unchanged position repaints nothing";
  p->SetPosition(99);
  EXPECT_TRUE(GetUpdateRect(p->Handle(), &r, FALSE));
}

TEST(ProgressBar, AnswersTheStandardControlsMessages) {
  TestForm f(nullptr);
  auto* p = new TProgressBar(&f, &f);
  char cls[64] = "";
  GetClassNameA(p->Handle(), cls, sizeof(cls));
  EXPECT_STREQ(cls, "msctls_progress32") << "found by its usual class name";
  EXPECT_EQ(SendMessageA(p->Handle(), PBM_SETPOS, 30, 0), 0) << "the previous position";
  EXPECT_EQ(p->Position(), 30);
  EXPECT_EQ(SendMessageA(p->Handle(), PBM_DELTAPOS, 5, 0), 30);
  EXPECT_EQ(SendMessageA(p->Handle(), PBM_GETPOS, 0, 0), 35);
  SendMessageA(p->Handle(), PBM_SETRANGE32, 10, 20);
  PBRANGE range{};
  EXPECT_EQ(SendMessageA(p->Handle(), PBM_GETRANGE, TRUE, (LPARAM)&range), 10);
  EXPECT_EQ(range.iHigh, 20);
  EXPECT_EQ(p->Position(), 20) << "brought into the new range";
  SendMessageA(p->Handle(), PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  EXPECT_EQ(p->Max(), 100);
  SendMessageA(p->Handle(), PBM_SETPOS, (WPARAM)-5, 0);
  EXPECT_EQ(p->Position(), 0) << "clamped like the wrapper's own";
}

TEST(ProgressBar, BlocksInTheHighlightColourUpToThePosition) {
  TestForm f(nullptr);
  auto* p = new TProgressBar(&f, &f);
  p->SetBounds(0, 0, 123, 16);
  RECT c;
  GetClientRect(p->Handle(), &c);
  ASSERT_EQ(c.right, 121) << "inside its sunken frame";
  ASSERT_EQ(c.bottom, 14);
  gdi::Dib dib(c.right, c.bottom);
  const COLORREF hi = GetSysColor(COLOR_HIGHLIGHT), face = GetSysColor(COLOR_BTNFACE);
  SendMessageA(p->Handle(), WM_PRINTCLIENT, (WPARAM)dib.DC(), PRF_CLIENT);
  for (int x = 0; x < c.right; x += 7) EXPECT_EQ(dib.Pixel(x, 7), face) << "empty at 0, x " << x;
  p->SetPosition(50);
  SendMessageA(p->Handle(), WM_PRINTCLIENT, (WPARAM)dib.DC(), PRF_CLIENT);
  // Blocks of 9 (two-thirds of 14) with gaps of 2, up to x 60 (half of 121).
  EXPECT_EQ(dib.Pixel(0, 0), hi);
  EXPECT_EQ(dib.Pixel(8, 13), hi);
  EXPECT_EQ(dib.Pixel(9, 7), face) << "a gap";
  EXPECT_EQ(dib.Pixel(11, 7), hi) << "the next block";
  EXPECT_EQ(dib.Pixel(59, 7), hi);
  EXPECT_EQ(dib.Pixel(60, 7), face) << "the bar ends at half the width";
  EXPECT_EQ(dib.Pixel(100, 7), face);
  p->SetPosition(100);
  SendMessageA(p->Handle(), WM_PRINTCLIENT, (WPARAM)dib.DC(), PRF_CLIENT);
  EXPECT_EQ(dib.Pixel(118, 7), hi) << "full: the last block ends at the frame but for a gap";
}

TEST(Panel, RaisedBevelReadBackFromADib) {
  TestForm f(nullptr);
  auto* p = new TPanel(&f, &f);
  p->SetBounds(0, 0, 50, 30);
  gdi::Dib dib(50, 30);
  SendMessageA(p->Handle(), WM_PRINTCLIENT, (WPARAM)dib.DC(), PRF_CLIENT);
  EXPECT_EQ(dib.Pixel(0, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(dib.Pixel(25, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(dib.Pixel(0, 15), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(dib.Pixel(49, 15), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(dib.Pixel(25, 29), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(dib.Pixel(25, 15), GetSysColor(COLOR_BTNFACE));
}

TEST(GroupBox, CaptionStandsOnTheFrameAtTheLeft) {
  TestForm f(nullptr);
  auto* g = new TGroupBox(&f, &f);
  g->SetBounds(0, 0, 117, 53);
  g->SetFont(gdi::FontSpec{"Arial", 8, true});
  g->SetCaption("Soglia");
  gdi::Dib dib(117, 53);
  int live = gdi::LiveObjects();
  SendMessageA(g->Handle(), WM_PRINTCLIENT, (WPARAM)dib.DC(), PRF_CLIENT);
  EXPECT_EQ(gdi::LiveObjects(), live);
  // The etched frame runs along the bottom; the caption interrupts it at the top left.
  EXPECT_EQ(dib.Pixel(60, 51), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(dib.Pixel(2, 6), GetSysColor(COLOR_BTNSHADOW));
  bool text = false;
  for (int x = 9; x < 40; ++x)
    for (int y = 0; y < 12; ++y) text |= dib.Pixel(x, y) == GetSysColor(COLOR_BTNTEXT);
  EXPECT_TRUE(text);
}

TEST(Forms, ClientSizeHoldsWithAMenuBar) {
  TestForm f(nullptr);
  auto* m = new TMainMenu(&f);
  auto* file = new TMenuItem(&f);
  file->SetCaption("File");
  m->Items()->Add(file);
  auto* quit = new TMenuItem(&f);
  quit->SetCaption("Quit");
  file->Add(quit);
  f.SetMenu(m);
  f.SetClientSize(330, 266);
  EXPECT_EQ(f.ClientWidth(), 330);
  EXPECT_EQ(f.ClientHeight(), 266);
}

// Lists and menus that go in any order leave no pointer behind on either side; the reading
// order reaches the real menu.
TEST(Menus, PicturesListsAndReadingOrderBelongToTheMenu) {
  auto* f = new TestForm(nullptr);
  auto* bar = new TMainMenu(nullptr);
  auto* first = new TMainMenu(nullptr);
  f->SetMenu(first);
  f->SetMenu(bar);
  delete first;  // replaced, then freed before the form: the form must not hear of it later
  auto* file = new TMenuItem(bar);
  file->SetCaption("File");
  bar->Items()->Add(file);
  auto* quit = new TMenuItem(bar);
  quit->SetCaption("Quit");
  file->Add(quit);
  EXPECT_EQ(quit->Menu(), bar);
  EXPECT_EQ(TMenuItem(nullptr).Menu(), nullptr);

  auto* a = new TImageList(nullptr, 16, 16);
  auto* b = new TImageList(nullptr, 16, 16);
  bar->SetImages(a);
  bar->SetImages(b);
  delete a;  // replaced, freed later
  EXPECT_EQ(bar->Images(), b);
  file->SetSubMenuImages(b);
  quit->SetImageIndex(-7);
  EXPECT_EQ(quit->ImageIndex(), -1);
  delete b;
  EXPECT_EQ(bar->Images(), nullptr);
  EXPECT_EQ(file->SubMenuImages(), nullptr);

  EXPECT_FALSE(quit->IsRightToLeft());
  bar->SetRightToLeft(true);
  EXPECT_TRUE(quit->IsRightToLeft());
  for (HMENU m : {bar->Handle(), file->Handle()}) {
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof(mi);
    mi.fMask = MIIM_FTYPE;
    ASSERT_TRUE(GetMenuItemInfoA(m, 0, TRUE, &mi));
    EXPECT_TRUE(mi.fType & MFT_RIGHTORDER);
  }
  delete f;  // the form first, its bar later
  delete bar;
}

TEST(Forms, CloseActionsHideRefuseOrFree) {
  auto app = std::make_unique<TApplication>();
  auto* main = app->CreateForm<TestForm>();
  auto* other = app->CreateForm<TestForm>();
  other->Show();
  other->Close();
  EXPECT_FALSE(other->Visible()) << "a secondary form hides by default";
  main->Show();
  main->OnClose = [](TObject*, TCloseAction& a) { a = caNone; };
  main->Close();
  EXPECT_TRUE(main->Visible());
  main->OnClose = nullptr;
  main->Close();
  EXPECT_TRUE(main->Released());
  EXPECT_TRUE(app->Terminated()) << "freeing the main form ends the loop";
}

TEST(Forms, ShowModalReturnsTheModalResultAndReenablesTheOthers) {
  auto app = std::make_unique<TApplication>();
  auto* main = app->CreateForm<TestForm>();
  auto* dlg = app->CreateForm<TestForm>();
  main->Show();
  auto* t = new TTimer(dlg);
  t->SetInterval(1);
  bool mainDisabled = false;
  t->OnTimer = [&](TObject*) {
    t->SetEnabled(false);
    mainDisabled = !IsWindowEnabled(main->Handle());
    dlg->SetModalResult(mrOk);
  };
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_TRUE(mainDisabled);
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));
  EXPECT_FALSE(dlg->Visible());
}

TEST(Menus, HiddenItemsLeaveTheMenuAndComeBackInPlace) {
  auto* owner = new TComponent(nullptr);
  auto* root = new TMenuItem(owner);
  std::vector<TMenuItem*> items;
  for (const char* c : {"a", "b", "c"}) {
    auto* i = new TMenuItem(owner);
    i->SetCaption(c);
    root->Add(i);
    items.push_back(i);
  }
  HMENU h = root->Handle();
  items[1]->SetVisible(false);
  EXPECT_EQ(GetMenuItemCount(h), 2);
  items[1]->SetVisible(true);
  EXPECT_EQ(GetMenuItemCount(h), 3);
  EXPECT_EQ(GetMenuItemID(h, 1), items[1]->Command());
  items[2]->SetChecked(true);
  EXPECT_TRUE(GetMenuState(h, items[2]->Command(), MF_BYCOMMAND) & MF_CHECKED);
  int clicks = 0;
  items[0]->OnClick = [&](TObject* s) { EXPECT_EQ(s, items[0]); ++clicks; };
  EXPECT_TRUE(TMenuItem::DispatchCommand(items[0]->Command()));
  EXPECT_EQ(clicks, 1);
  UINT gone = items[0]->Command();
  ULONG_PTR goneData = reinterpret_cast<ULONG_PTR>(items[0]);
  EXPECT_EQ(TMenuItem::FromItemData(goneData), items[0]);
  delete owner;
  EXPECT_FALSE(TMenuItem::DispatchCommand(gone)) << "a freed item's command runs nothing";
  EXPECT_EQ(TMenuItem::FromItemData(goneData), nullptr) << "a stale owner-drawn entry is no item";
}

TEST(Menus, TwoItemsOfOneFixedCommandTheNewerAnswersThenTheOlderAgain) {
  const UINT fixed = 40990;
  auto* older = new TMenuItem(nullptr, fixed);
  auto* newer = new TMenuItem(nullptr, fixed);
  EXPECT_EQ(TMenuItem::FindCommand(fixed), newer);
  delete newer;
  EXPECT_EQ(TMenuItem::FindCommand(fixed), older) << "the older item's command works again";
  EXPECT_EQ(TMenuItem::FromItemData(reinterpret_cast<ULONG_PTR>(older)), older);
  delete older;
  EXPECT_EQ(TMenuItem::FindCommand(fixed), nullptr);
}

}  // namespace

