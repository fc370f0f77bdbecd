#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <memory>
#include "framework/Application.h"
#include "framework/Canvas.h"
#include "framework/Controls.h"
#include "framework/Menus.h"
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
  EXPECT_NE(root->FindComponent("a"), nullptr);
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
  HWND lh = label->Handle(), ph = panel->Handle(), fh = form->Handle();
  EXPECT_EQ(TWinControl::FromHandle(lh), label) << "a standard control, subclassed";
  EXPECT_EQ(TWinControl::FromHandle(ph), panel) << "a window of our own class";
  EXPECT_EQ(TWinControl::FromHandle(GetDesktopWindow()), nullptr) << "a window that is none of ours";
  EXPECT_EQ(TWinControl::FromHandle(nullptr), nullptr);
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

// ---- the error box ----------------------------------------------------------------------------

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
  void Arrow(int delta) {
    NMUPDOWN n{};
    n.hdr.hwndFrom = s->ButtonHandle();
    n.hdr.code = UDN_DELTAPOS;
    n.iDelta = delta;
    SendMessageA(s->Handle(), WM_NOTIFY, 0, (LPARAM)&n);
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

TEST(ProgressBar, PositionIsClampedAndOnlySentWhenItChanges) {
  TestForm f(nullptr);
  auto* p = new TProgressBar(&f, &f);
  p->SetPosition(40);
  EXPECT_EQ(SendMessageA(p->Handle(), PBM_GETPOS, 0, 0), 40);
  p->SetPosition(250);
  EXPECT_EQ(p->Position(), 100);
  SendMessageA(p->Handle(), PBM_SETPOS, 3, 0);  // behind the wrapper's back
  p->SetPosition(100);
  EXPECT_EQ(SendMessageA(p->Handle(), PBM_GETPOS, 0, 0), 3) << "an unchanged position sends nothing";
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
  delete owner;
  EXPECT_FALSE(TMenuItem::DispatchCommand(gone)) << "a freed item's command runs nothing";
}

}  // namespace

namespace {

TEST(Canvas, DrawsAndPutsTheDcBackAsItWas) {
  gdi::Dib dib(40, 20);
  HGDIOBJ font0 = GetCurrentObject(dib.DC(), OBJ_FONT), brush0 = GetCurrentObject(dib.DC(), OBJ_BRUSH),
          pen0 = GetCurrentObject(dib.DC(), OBJ_PEN);
  int live = gdi::LiveObjects();
  {
    TCanvas c(dib.DC());
    c.SetBrushColor(RGB(0, 0, 255));
    c.FillRect(RECT{0, 0, 40, 20});
    c.SetPen(RGB(0, 255, 0));
    c.MoveTo(0, 10);
    c.LineTo(40, 10);
    c.SetFont(gdi::FontSpec{"Arial", 8, true}, clSystemColor | COLOR_BTNTEXT);
    c.SetBrushColor(RGB(255, 0, 0));  // a second brush replaces the first, which goes
    EXPECT_EQ(gdi::LiveObjects(), live + 3);
  }
  EXPECT_EQ(gdi::LiveObjects(), live);
  EXPECT_EQ(dib.Pixel(5, 5), RGB(0, 0, 255));
  EXPECT_EQ(dib.Pixel(5, 10), RGB(0, 255, 0));
  EXPECT_EQ(GetCurrentObject(dib.DC(), OBJ_FONT), font0);
  EXPECT_EQ(GetCurrentObject(dib.DC(), OBJ_BRUSH), brush0);
  EXPECT_EQ(GetCurrentObject(dib.DC(), OBJ_PEN), pen0);
}

TEST(Canvas, SystemColoursResolveThroughTheColourTable) {
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(12615680), RGB(0, 128, 192));
}

}  // namespace
