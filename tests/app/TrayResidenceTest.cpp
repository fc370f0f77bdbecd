#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <memory>
#include "app/Commands.h"
#include "app/URam.h"
#include "framework/Application.h"
#include "framework/OSError.h"
#include "tests/FakeMemory.h"
#include "tests/TempFolder.h"
#include "tests/TestRegistry.h"
#include "tests/TestSupport.h"
#include "tests/components/TraySupport.h"

namespace {

// The taskbar as a test puts it: an edge and a rectangle, or a failure.
struct TTaskbar {
  int Edge = ABE_BOTTOM;
  RECT Rect{0, 738, 1024, 768};
  DWORD FailWith = 0;  // raise this system error instead
  int Queries = 0;
  std::function<int(RECT&)> Seam() {
    return [this](RECT& r) {
      ++Queries;
      if (FailWith) {
        SetLastError(FailWith);
        RaiseLastOSError();
      }
      r = Rect;
      return Edge;
    };
  }
};

// Start-up captions the popup from the language file: this one gives it its built-in texts.
const char kPopupTexts[] =
    "[MAINFILE]\r\nDefrag=Deframmenta\r\nAbort=Abbandona\r\nClose=Iconizza\r\nQuit=Chiudi\r\nOpen=Ripristina\r\n"
    "[MAINSETTINGS]\r\nOnTop=Ontop\r\n";

// A main window of its own application, with a recording shell and a steerable taskbar.
struct Window {
  TRegKey root = FreshTestKey("TrayResidence");  // settings and Run key of its own
  TRegKey user = UserRootBelow(root.Get());
  TTempFolder dir;
  TFakeMemory mem;
  TRecordingShell shell;
  TTaskbar taskbar;
  std::unique_ptr<TApplication> app;
  TfrmVelmor* f = nullptr;

  explicit Window(std::function<void(TTaskbar&)> setUp = nullptr) {
    mem.Total = 16ull << 20;
    mem.Avail = 8ull << 20;
    if (setUp) setUp(taskbar);
    app = std::make_unique<TApplication>();
    app->SetTitle("Velmor");
    app->OnException = [](TObject*, const std::string& m) { ShownErrors().push_back(m); };
    TVelmorEnvironment env;
    env.Memory = &mem;
    env.Beep = [] {};
    env.ShellNotify = shell.Notify();
    env.TaskbarEdge = taskbar.Seam();
    env.SettingsRoot = env.RunRoot = root.Get();
    env.UserSettingsRoot = env.UserRunRoot = user.Get();
    dir.Write("Italiano.lng", kPopupTexts);
    env.ExeDir = Widen(dir.Path());
    f = app->CreateForm<TfrmVelmor>(env);
  }
  POINT Position() const {
    RECT r;
    GetWindowRect(f->Handle(), &r);
    return POINT{r.left, r.top};
  }
  SIZE Size() const {
    RECT r;
    GetWindowRect(f->Handle(), &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
  }
  LRESULT TrayMouse(UINT code) { return SendMessageA(f->TI->Handle(), WM_TRAYICONNOTIFY, 0, code); }
};

const int W = GetSystemMetrics(SM_CXSCREEN), H = GetSystemMetrics(SM_CYSCREEN);

std::vector<std::string> MenuTexts(HMENU m) {
  std::vector<std::string> v;
  for (int i = 0; i < GetMenuItemCount(m); ++i) {
    char buf[128] = {};
    GetMenuStringA(m, i, buf, sizeof(buf), MF_BYPOSITION);
    v.push_back(GetMenuItemID(m, i) && buf[0] ? buf : "-");
  }
  return v;
}

// ---- start-up -------------------------------------------------------------------------------------

TEST(TrayStartup, EndsHiddenWithTheProgramIconInTheTray) {
  Window w;
  EXPECT_FALSE(IsWindowVisible(w.f->Handle()));
  EXPECT_FALSE(w.f->Visible());
  EXPECT_FALSE(IsWindowVisible(w.app->Handle())) << "no taskbar button";
  ASSERT_TRUE(w.f->TI->Added());
  EXPECT_EQ(w.shell.Last().Message, (DWORD)NIM_MODIFY) << "added again after loading, then the empty tooltip";
  EXPECT_EQ(w.shell.Calls[w.shell.Calls.size() - 2].Message, (DWORD)NIM_ADD);
  EXPECT_EQ(w.shell.Last().Data.hIcon, w.f->TI->Icon()->Handle());
  // The shell's small-icon size (16 at this prefix's 96 DPI), drawn for it.
  const int small = GetSystemMetrics(SM_CXSMICON);
  EXPECT_EQ(w.f->TI->Icon()->Width(), small);
  EXPECT_EQ(w.f->TI->Interval(), 500);
  EXPECT_EQ(w.f->TI->PopupMenu(), w.f->poppa);
  ASSERT_EQ(w.f->TI->Icons()->Count(), 2) << "the warning triangle and the empty frame";
  EXPECT_EQ(w.f->TI->Icons()->Item(0)->Width(), small);
  EXPECT_EQ(w.f->TI->Icons()->Item(1)->Height(), small);
  EXPECT_FALSE(w.f->TI->Animated());
  EXPECT_EQ(w.taskbar.Queries, 1) << "placed beside the taskbar first of all";
}

TEST(TrayStartup, TheFirstActivationDoesNotHideARestoredWindow) {
  Window w;
  w.f->Ripristina1Click(nullptr);
  ASSERT_TRUE(IsWindowVisible(w.f->Handle()));
  SetActiveWindow(w.f->Handle());
  SendMessageA(w.f->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  w.app->ProcessMessages();
  EXPECT_TRUE(IsWindowVisible(w.f->Handle())) << "only start-up's activation hides the window";
  w.f->Riduciaicona1Click(nullptr);
  w.f->Ripristina1Click(nullptr);
  w.app->ProcessMessages();
  EXPECT_TRUE(IsWindowVisible(w.f->Handle()));
}

TEST(TrayStartup, AFailedPlacementIsReportedAndStartUpGoesOn) {
  ShownErrors().clear();
  Window w([](TTaskbar& t) { t.FailWith = ERROR_CANNOT_FIND_WND_CLASS; });
  ASSERT_EQ(ShownErrors().size(), 1u);
  EXPECT_EQ(ShownErrors()[0], OSErrorMessage(ERROR_CANNOT_FIND_WND_CLASS));
  EXPECT_EQ(ShownErrors()[0].rfind("System Error.  Code: 1407.\r\n", 0), 0u) << ShownErrors()[0];
  EXPECT_GT(ShownErrors()[0].size(), 28u) << "followed by the system's text";
  EXPECT_EQ(w.f->Label1->Caption(), MemoryLine("", 16ull << 20)) << "the rest of start-up ran";
  EXPECT_EQ(w.f->soglia->MaxValue(), 16);
  EXPECT_TRUE(w.f->TI->Added());
  EXPECT_FALSE(IsWindowVisible(w.f->Handle()));
  ShownErrors().clear();
}

TEST(TrayStartup, SystemErrorTexts) {
  EXPECT_EQ(OSErrorMessage(0), "A call to an OS function failed");
  std::string m = OSErrorMessage(ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(m.rfind("System Error.  Code: 2.\r\n", 0), 0u) << m;
  EXPECT_NE(m.back(), '\n');
  EXPECT_NE(m.back(), '.') << "the system's full stop goes; the error box adds its own";
}

TEST(TrayStartup, TheRealTaskbarQueryRaisesWhenThereIsNoTaskbar) {
  // Under the null graphics driver there is no "Shell_TrayWnd": the query must raise the
  // system's error, not guess.
  if (FindWindowA("Shell_TrayWnd", nullptr)) GTEST_SKIP() << "a taskbar exists here";
  RECT r{};
  try {
    TaskbarEdge(r);
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()).rfind("System Error.  Code: ", 0), 0u) << e.what();
  }
}

// ---- placement ------------------------------------------------------------------------------------

TEST(TrayPlacement, TheCornerBesideTheTaskbarForEveryEdge) {
  RECT bottom{0, 738, 1024, 768}, left{0, 0, 60, 768}, top{0, 0, 1024, 28}, right{980, 0, 1024, 768};
  auto at = [](int edge, RECT r) {
    POINT p = TaskbarCorner(edge, r, 1024, 768, 336, 318);
    return std::make_pair((int)p.x, (int)p.y);
  };
  EXPECT_EQ(at(ABE_BOTTOM, bottom), std::make_pair(688, 420));
  EXPECT_EQ(at(ABE_LEFT, left), std::make_pair(60, 768 - 318)) << "bottom at the screen's bottom";
  EXPECT_EQ(at(ABE_TOP, top), std::make_pair(688, 28));
  EXPECT_EQ(at(ABE_RIGHT, right), std::make_pair(1024 - 336 - 44, 450));
  EXPECT_EQ(at(-1, bottom), std::make_pair(688, 450)) << "unknown: the screen's corner";
  EXPECT_EQ(at(7, bottom), std::make_pair(688, 450)) << "an edge the shell never gives: the same";
}

TEST(TrayPlacement, StartUpAndRestorePlaceTheWindowThere) {
  struct Row {
    int edge;
    RECT r;
  } rows[] = {{ABE_BOTTOM, {0, 738, W, H}}, {ABE_LEFT, {0, 0, 60, H}}, {ABE_TOP, {0, 0, W, 28}},
              {ABE_RIGHT, {W - 44, 0, W, H}}, {-1, {0, 0, 0, 0}}};
  for (auto& row : rows) {
    Window w([&](TTaskbar& t) { t.Edge = row.edge, t.Rect = row.r; });
    SIZE s = w.Size();
    POINT expected = TaskbarCorner(row.edge, row.r, W, H, s.cx, s.cy);
    EXPECT_EQ(w.Position().x, expected.x) << "edge " << row.edge;
    EXPECT_EQ(w.Position().y, expected.y) << "edge " << row.edge;
  }
  Window w;
  SIZE s = w.Size();
  EXPECT_EQ(w.Position().x, W - s.cx);
  EXPECT_EQ(w.Position().y, H - s.cy - 30) << "above a 30-pixel taskbar";
  // Dragged away (the window moved, the taskbar did not): Restore, shown or hidden, brings it back.
  for (bool hideFirst : {false, true}) {
    w.f->Ripristina1Click(nullptr);
    SetWindowPos(w.f->Handle(), nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    if (hideFirst) w.f->Riduciaicona1Click(nullptr);
    w.f->Ripristina1Click(nullptr);
    EXPECT_EQ(w.Position().x, W - s.cx) << hideFirst;
    EXPECT_EQ(w.Position().y, H - s.cy - 30) << hideFirst;
  }
  SetWindowPos(w.f->Handle(), nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  w.taskbar.Edge = ABE_LEFT;
  w.taskbar.Rect = RECT{0, 0, 60, H};
  w.f->Ripristina1Click(nullptr);
  EXPECT_EQ(w.Position().x, 60) << "Restore while shown moves it back beside the taskbar";
  EXPECT_EQ(w.Position().y, H - s.cy);
  EXPECT_TRUE(IsWindowVisible(w.f->Handle()));
}

// ---- hiding and showing -----------------------------------------------------------------------------

TEST(TrayResidence, DoubleClickRestoresAndTheCloseBoxHidesAgain) {
  Window w;
  ShowWindow(w.app->Handle(), SW_SHOWNA);  // as if the framework had shown the taskbar button
  w.TrayMouse(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(IsWindowVisible(w.f->Handle()));
  EXPECT_FALSE(IsWindowVisible(w.app->Handle())) << "showing the window hides the taskbar button";
  EXPECT_FALSE(IsIconic(w.f->Handle()));
  SendMessageA(w.f->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(w.f->Handle()));
  EXPECT_FALSE(w.app->Terminated());
  SendMessageA(w.f->Handle(), WM_COMMAND, cmRestore, 0);
  EXPECT_TRUE(IsWindowVisible(w.f->Handle())) << "Restore by its command";
}

TEST(TrayResidence, PopupHideAndQuitWhileHidden) {
  Window w;
  w.f->Ripristina1->Click();
  ASSERT_TRUE(IsWindowVisible(w.f->Handle()));
  w.f->Iconizza1->Click();
  EXPECT_FALSE(IsWindowVisible(w.f->Handle()));
  EXPECT_FALSE(w.app->Terminated());
  w.f->Chiudi1->Click();
  EXPECT_TRUE(w.f->Quitting());
  EXPECT_TRUE(w.f->Released());
  EXPECT_TRUE(w.app->Terminated());
}

TEST(TrayResidence, TheWindowGoesAndTakesItsTrayIconAlong) {
  int threads = ProcessThreads(), live = gdi::LiveObjects();
  TRecordingShell* shell = nullptr;
  {
    Window w;
    shell = &w.shell;
    w.f->TI->SetAnimated(true);
    w.app.reset();
    EXPECT_EQ(shell->Last().Message, (DWORD)NIM_DELETE);
  }
  EXPECT_EQ(ProcessThreads(), threads);
  EXPECT_EQ(gdi::LiveObjects(), live);
}

// ---- the popup menu ---------------------------------------------------------------------------------

TEST(TrayPopup, ItemsImagesAndHandlers) {
  Window w;
  TfrmVelmor* f = w.f;
  TMarginPopupMenu* p = f->poppa;
  EXPECT_EQ(p->MarginWidth(), 30);
  ASSERT_EQ(p->Images(), f->ImageList1);
  EXPECT_EQ(f->ImageList1->Count(), 6);
  EXPECT_EQ(f->ImageList1->Width(), 16);
  EXPECT_EQ(f->ImageList1->Height(), 16);
  struct {
    TMenuItem* item;
    const char* name;
    const char* caption;
    int image;
  } rows[] = {{f->Ripristina1, "Ripristina1", "Ripristina", 0}, {f->Iconizza1, "Iconizza1", "Iconizza", 5},
              {f->Deframmenta1, "Deframmenta1", "Deframmenta", 2}, {f->Abbandona1, "Abbandona1", "Abbandona", 4},
              {f->Ontop1, "Ontop1", "Ontop", -1},  {f->N1, "N1", "-", -1},
              {f->Chiudi1, "Chiudi1", "Chiudi", 1}};
  ASSERT_EQ(p->Items()->Count(), 7);
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(p->Items()->Item(i), rows[i].item);
    EXPECT_EQ(rows[i].item->Name(), rows[i].name);
    EXPECT_EQ(rows[i].item->Caption(), rows[i].caption);
    EXPECT_EQ(rows[i].item->ImageIndex(), rows[i].image) << rows[i].name;
  }
  EXPECT_EQ(f->Ripristina1->Command(), (UINT)cmRestore);
}

TEST(TrayPopup, OffersDefragOrAbortByTheTimerAndMirrorsOnTop) {
  Window w;
  TfrmVelmor* f = w.f;
  f->poppaPopup(f->poppa);
  EXPECT_TRUE(f->Deframmenta1->Visible());
  EXPECT_FALSE(f->Abbandona1->Visible());
  EXPECT_EQ(MenuTexts(f->poppa->Handle()),
            (std::vector<std::string>{"Ripristina", "Iconizza", "Deframmenta", "Ontop", "-", "Chiudi"}));
  bool checked = false;
  w.mem.OnCommit = [&](int n) {
    if (n != 3) return;
    checked = true;
    f->poppaPopup(f->poppa);
    EXPECT_FALSE(f->Deframmenta1->Visible());
    EXPECT_TRUE(f->Abbandona1->Visible());
    EXPECT_EQ(MenuTexts(f->poppa->Handle())[2], "Abbandona");
    f->Abbandona1->Click();  // Abort from the popup during the run
  };
  f->Deframmenta1->Click();  // a run from the popup while hidden
  EXPECT_TRUE(checked);
  EXPECT_EQ(w.mem.Committed(), 3);
  EXPECT_EQ(w.mem.Held(), 0u);
  f->poppaPopup(f->poppa);
  EXPECT_TRUE(f->Deframmenta1->Visible()) << "recomputed at every opening";
  EXPECT_FALSE(f->Abbandona1->Visible());

  f->OnTop->SetChecked(true);
  f->poppaPopup(f->poppa);
  EXPECT_TRUE(f->Ontop1->Checked());
  f->OnTop->SetChecked(false);
  f->poppaPopup(f->poppa);
  EXPECT_FALSE(f->Ontop1->Checked());
}

TEST(TrayPopup, ARightClickOnTheIconOpensItAndItsChoiceRuns) {
  Window w;
  TfrmVelmor* f = w.f;
  int opened = 0;
  bool choose = false;
  f->poppa->OnPopup = [&](TObject* s) {
    ++opened;
    f->poppaPopup(s);
    if (!choose) {
      CloseMenuSoon();
      return;
    }
    // Down to the first item and Enter, through the menu's own loop.
    HWND owner = f->poppa->WindowHandle();
    PostMessageA(owner, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(owner, WM_KEYDOWN, VK_RETURN, 0);
  };
  w.TrayMouse(WM_RBUTTONDOWN);
  w.TrayMouse(WM_RBUTTONUP);
  EXPECT_EQ(opened, 1);
  EXPECT_FALSE(IsWindowVisible(f->Handle())) << "closing the menu chose nothing";
  choose = true;
  w.TrayMouse(WM_RBUTTONDOWN);
  w.TrayMouse(WM_RBUTTONUP);
  EXPECT_EQ(opened, 2);
  EXPECT_FALSE(IsWindowVisible(f->Handle())) << "the choice waits in the queue until the menu is done with";
  w.app->ProcessMessages();
  EXPECT_TRUE(IsWindowVisible(f->Handle())) << "Restore was chosen";
  EXPECT_EQ(GetForegroundWindow(), f->Handle()) << "and the restored window keeps the foreground";
}

// ---- the margin ---------------------------------------------------------------------------------------

COLORREF Band(int i, int n) {
  return RGB(0, 128 + MulDiv(i, 32 - 128, n - 1), 192 + MulDiv(i, 48 - 192, n - 1));
}

struct Margin {
  Window w;
  gdi::Dib dib;
  COLORREF back = RGB(255, 0, 255);
  Margin(int width, int height) : dib(width, height) {
    RECT all{0, 0, width, height};
    gdi::Brush b(CreateSolidBrush(back));
    FillRect(dib.DC(), &all, b);
  }
  void Paint(RECT r) { w.f->poppaDrawMargin(w.f->poppa, dib.DC(), r); }
  // The pixel at column x of a row, away from the upward text.
  COLORREF At(int x, int y) { return dib.Pixel(x, y); }
};

TEST(TrayMargin, ThirtyTwoBandsLeftoverRowsAndAnEtchedEdge) {
  Margin m(40, 200);
  m.Paint(RECT{0, 0, 30, 200});  // 200 = 32 bands of 6 rows and 8 rows left over
  for (int i = 0; i < 32; ++i) {
    EXPECT_EQ(m.At(0, i * 6), Band(i, 32)) << "band " << i << " top row";
    EXPECT_EQ(m.At(0, i * 6 + 5), Band(i, 32)) << "band " << i << " bottom row";
  }
  EXPECT_EQ(Band(0, 32), RGB(0, 128, 192));
  EXPECT_EQ(Band(31, 32), RGB(0, 32, 48)) << "the last band has the end colour";
  for (int y = 192; y < 200; ++y) EXPECT_EQ(m.At(0, y), RGB(0, 32, 48)) << "leftover row " << y;
  for (int y = 0; y < 200; y += 7) {
    EXPECT_EQ(m.At(26, y), m.At(0, y)) << y;
    EXPECT_EQ(m.At(27, y), m.back) << "column right - 3 is not painted";
    EXPECT_EQ(m.At(28, y), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(m.At(29, y), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(m.At(30, y), m.back) << "nothing right of the strip";
  }
}

TEST(TrayMargin, VelmorRunsUpwardInWhiteInsideTheStrip) {
  Margin m(60, 200);
  m.Paint(RECT{10, 0, 40, 200});
  int white = 0, top = 200, bottom = -1;
  for (int y = 0; y < 200; ++y)
    for (int x = 10; x < 37; ++x)
      if (m.At(x, y) == RGB(255, 255, 255)) {
        ++white;
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
  EXPECT_GT(white, 40) << "the text is there";
  EXPECT_LE(bottom, 200 - 5) << "it starts 5 pixels above the bottom";
  EXPECT_GT(bottom - top, 40) << "and runs up the strip";
  for (int y = 0; y < 200; ++y) {
    EXPECT_EQ(m.At(9, y), m.back) << "clipped to the strip";
    EXPECT_EQ(m.At(40, y), m.back);
  }
}

TEST(TrayMargin, ShortStripsGetOneBandPerRow) {
  Margin m(30, 40);
  m.Paint(RECT{0, 10, 30, 30});  // 20 rows: 20 bands
  for (int y = 0; y < 20; ++y) EXPECT_EQ(m.At(0, 10 + y), Band(y, 20)) << y;
  EXPECT_EQ(m.At(0, 9), m.back);
  EXPECT_EQ(m.At(0, 30), m.back);
  Margin one(30, 3);
  one.Paint(RECT{0, 1, 30, 2});
  EXPECT_EQ(one.At(0, 1), RGB(0, 32, 48)) << "two bands of no rows; the row left over takes the end colour";
  Margin none(30, 3);
  none.Paint(RECT{0, 1, 30, 1});
  none.Paint(RECT{5, 0, 5, 3});
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 30; ++x) EXPECT_EQ(none.At(x, y), none.back) << "an empty strip is not painted";
}

TEST(TrayMargin, PaintsAndPopupsLeaveNoGdiObjectBehind) {
  Margin m(30, 300);
  TfrmVelmor* f = m.w.f;
  m.Paint(RECT{0, 0, 30, 300});
  f->poppa->OnPopup = [&](TObject* s) {
    f->poppaPopup(s);
    CloseMenuSoon();
  };
  int margins = 0;
  f->poppa->OnDrawMargin = [&](TObject* s, HDC dc, const RECT& r) {
    ++margins;
    f->poppaDrawMargin(s, dc, r);
  };
  f->poppa->Popup(200, 200, nullptr);
  int live = gdi::LiveObjects();
  // Each paint and popup leaves what it leaks: two of each show it; the long run is in the soak.
  for (int i = 0; i < 2; ++i) m.Paint(RECT{0, 0, 30, 300});
  for (int i = 0; i < 2; ++i) {
    m.w.TrayMouse(WM_RBUTTONDOWN);
    m.w.TrayMouse(WM_RBUTTONUP);
  }
  EXPECT_GE(margins, 3) << "the open menus painted their margins";
  EXPECT_EQ(gdi::LiveObjects(), live);
}

}  // namespace
