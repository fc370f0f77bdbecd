#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include "app/Commands.h"
#include "app/URam.h"
#include "framework/Application.h"
#include "tests/app/AppWindow.h"
#include "tests/TestRegistry.h"
#include "tests/TempFolder.h"
#include "tests/TestSupport.h"

namespace {

// Start-up replaces the description's captions with the current language file's: this one
// holds the description's own texts, so that the window still shows them.
const char kDescriptionTexts[] =
    "[MAINFILE]\r\nDefrag=Deframmenta\r\nAbort=Abbandona\r\nClose=Riduci a icona\r\nQuit=Chiudi\r\n"
    "Open=Ripristina\r\n[RADIOGROUP]\r\nCaption=In caso di allarme\r\nNotify=Avvisa soltanto\r\n"
    "Execute=Esegui automaticamente defrag\r\n[MAINSETTINGS]\r\nCaption=Settings\r\nOnTop=Sempre in primo piano\r\n"
    "AutoStart=Apri all'avvio di Windows\r\nBeep=Beep on alarm\r\n[GROUPBOX]\r\nCaption=Soglia d'allarme\r\n"
    "Label=Mb liberi\r\n[MAINLANGUAGE]\r\nCaption=Language\r\n";

// A main window whose program folder holds the description's own texts.
struct Window : TTempFolder, TAppWindow<> {
  explicit Window(uint64_t total = 16ull << 20, uint64_t avail = 8ull << 20)
      : TAppWindow<>("MainWindow", total, avail, [this](TVelmorEnvironment& env) {
          Write("Italiano.lng", kDescriptionTexts);
          env.ExeDir = Widen(Path());
        }) {}
};

// A control's rectangle in its parent's client coordinates.
RECT InParent(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ExpectRect(TWinControl* c, int l, int t, int w, int h) {
  RECT r = InParent(c->Handle());
  EXPECT_EQ(r.left, l) << c->Name();
  EXPECT_EQ(r.top, t) << c->Name();
  EXPECT_EQ(r.right - r.left, w) << c->Name();
  EXPECT_EQ(r.bottom - r.top, h) << c->Name();
}

void ExpectFont(TWinControl* c, const char* face, bool bold) {
  auto font = reinterpret_cast<HFONT>(SendMessageA(c->Handle(), WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr) << c->Name();
  LOGFONTA lf{};
  GetObjectA(font, sizeof(lf), &lf);
  EXPECT_STREQ(lf.lfFaceName, face) << c->Name();
  EXPECT_EQ(lf.lfHeight, -11) << c->Name() << ": 8 pt at 96 pixels per inch";
  EXPECT_EQ(lf.lfWeight >= FW_BOLD, bold) << c->Name();
}

std::string WindowText(HWND h) {
  char buf[256] = {};
  GetWindowTextA(h, buf, sizeof(buf));
  return buf;
}

std::vector<std::string> MenuTexts(HMENU m) {
  std::vector<std::string> v;
  for (int i = 0; i < GetMenuItemCount(m); ++i) {
    char buf[128] = {};
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof(mi);
    mi.fMask = MIIM_STRING | MIIM_FTYPE;
    mi.dwTypeData = buf;
    mi.cch = sizeof(buf);
    GetMenuItemInfoA(m, i, TRUE, &mi);
    v.push_back((mi.fType & MFT_SEPARATOR) ? "-" : buf);
  }
  return v;
}

TEST(MainWindowLayout, ControlsStandWhereTheDescriptionPutsThem) {
  Window w;
  TfrmVelmor* f = w.f;
  EXPECT_EQ(f->ClientWidth(), 330);
  EXPECT_EQ(f->ClientHeight(), 266);
  ExpectRect(f->Panel2, 0, 0, 330, 107);
  ExpectRect(f->gb, 4, 50, 117, 53);
  ExpectRect(f->soglia, 8, 20, 47, 22);
  ExpectRect(f->rgAllarme, 122, 50, 205, 53);
  ExpectRect(f->Panel3, 0, 107, 330, 118);
  ExpectRect(f->Chart1, 1, 1, 328, 116);
  ExpectRect(f->Panel1, 0, 225, 330, 41);
  ExpectRect(f->ProgressBar, 6, 13, 123, 16);
  ExpectRect(f->babort, 138, 2, 89, 35);
  ExpectRect(f->bdefrag, 228, 2, 99, 35);
  RECT l1 = InParent(f->Label1->Handle()), l2 = InParent(f->Label2->Handle()), l4 = InParent(f->Label4->Handle());
  EXPECT_EQ(l1.left, 8); EXPECT_EQ(l1.top, 10);
  EXPECT_EQ(l2.left, 8); EXPECT_EQ(l2.top, 30);
  EXPECT_EQ(l4.left, 60); EXPECT_EQ(l4.top, 24);
  EXPECT_EQ(GetParent(f->soglia->Handle()), f->gb->Handle());
  EXPECT_EQ(GetParent(f->Label4->Handle()), f->gb->Handle());
  EXPECT_EQ(GetParent(f->ProgressBar->Handle()), f->Panel1->Handle());
}

// The common-controls library costs a resident program some 2 MB the moment it is loaded.
TEST(MainWindowLayout, NeedsNoCommonControlsLibrary) {
  Window w;
  w.f->Show();
  w.f->ProgressBar->SetVisible(true);
  Application->ProcessMessages();
  EXPECT_EQ(GetModuleHandleA("comctl32.dll"), nullptr);
}

TEST(MainWindowLayout, FixedBorderWithOnlyTheCloseBox) {
  Window w;
  LONG style = GetWindowLongA(w.f->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_EQ(WindowText(w.f->Handle()), "Velmor v. 1.0.0.7") << "the designed caption and the file version";
  EXPECT_EQ(GetWindow(w.f->Handle(), GW_OWNER), w.app->Handle()) << "no taskbar button of its own";
}

TEST(MainWindowLayout, FontsAndCaptions) {
  Window w;
  TfrmVelmor* f = w.f;
  ExpectFont(f->Label1, "Arial", true);
  ExpectFont(f->Label2, "Arial", true);
  ExpectFont(f->gb, "Arial", true);
  ExpectFont(f->rgAllarme, "Arial", true);
  ExpectFont(f->Label4, "MS Sans Serif", true);
  ExpectFont(f->bdefrag, "MS Sans Serif", false);
  EXPECT_EQ(f->gb->Caption(), "Soglia d'allarme");
  EXPECT_EQ(f->Label4->Caption(), "Mb liberi");
  EXPECT_EQ(f->rgAllarme->Caption(), "In caso di allarme");
  EXPECT_EQ(WindowText(f->rgAllarme->ButtonHandle(0)), "Avvisa soltanto");
  EXPECT_EQ(WindowText(f->rgAllarme->ButtonHandle(1)), "Esegui automaticamente defrag");
  EXPECT_EQ(WindowText(f->babort->Handle()), "Abbandona");
  EXPECT_EQ(WindowText(f->bdefrag->Handle()), "Deframmenta");
  EXPECT_EQ(f->soglia->Value(), 50);
  EXPECT_EQ(f->soglia->Increment(), 10);
  EXPECT_FALSE(IsWindowVisible(f->ProgressBar->Handle()));
  EXPECT_TRUE(f->Timer->Enabled());
  EXPECT_EQ(f->Timer->Interval(), 1000u);
}

TEST(MainWindowLayout, MenuBarAndFileMenu) {
  Window w;
  HMENU bar = GetMenu(w.f->Handle());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(MenuTexts(bar), (std::vector<std::string>{"File", "Language", "Settings", "Help"}));
  EXPECT_EQ(MenuTexts(GetSubMenu(bar, 0)), (std::vector<std::string>{"Deframmenta", "-", "Riduci a icona", "Chiudi"}))
      << "Abort is hidden while idle";
  EXPECT_EQ(MenuTexts(GetSubMenu(bar, 2)),
            (std::vector<std::string>{"Beep on alarm", "Apri all'avvio di Windows", "Sempre in primo piano",
                                      "Notify after a run", "Memory in the tray icon"}));
  EXPECT_EQ(MenuTexts(GetSubMenu(bar, 3)), (std::vector<std::string>{"Read me", "About"}));
}

TEST(MainWindowLayout, MenuPicturesHaveTheirSizesAndNoMagenta) {
  Window w;
  struct { TMenuItem* item; int size; } pics[] = {{w.f->Deframmenta2, 24}, {w.f->Abbandona2, 20},
      {w.f->Riduciaicona1, 24}, {w.f->Chiudi2, 24}, {w.f->ReadMe1, 32}, {w.f->About1, 24}};
  for (auto& p : pics) {
    ASSERT_NE(p.item->Bitmap(), nullptr) << p.item->Name();
    BITMAP bm{};
    GetObjectA(p.item->Bitmap(), sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, p.size) << p.item->Name();
    EXPECT_EQ(bm.bmHeight, p.size) << p.item->Name();
    gdi::MemDC dc;
    gdi::Select s(dc, p.item->Bitmap());
    EXPECT_EQ(GetPixel(dc, 0, 0), GetSysColor(COLOR_MENU)) << p.item->Name() << ": magenta becomes the menu colour";
  }
}

// The Defrag and Abort buttons: colour buttons with their glyphs, glyph and caption centred as
// one group, never holding the focus; a click runs the command.
TEST(MainWindowLayout, DefragAndAbortAreColourButtonsWithGlyphs) {
  Window w;
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  struct { TOvColorBtn* b; int glyph; } buttons[] = {{w.f->bdefrag, 24}, {w.f->babort, 20}};
  for (auto& c : buttons) {
    TOvColorBtn* b = c.b;
    EXPECT_EQ(b->Style(), bsNew) << b->Name();
    EXPECT_EQ(b->Color(), clBtnFace) << b->Name();
    EXPECT_EQ(b->Options(), TButtonOptions(boShowMouseFocus | boDitherPattern | boAutoBlackWhiteText));
    EXPECT_EQ(b->GlyphHolder().CellSize().cx, c.glyph) << b->Name();
    EXPECT_EQ(b->GlyphHolder().CellSize().cy, c.glyph) << b->Name();
    EXPECT_EQ(b->NumGlyphs(), 1);
    gdi::Dib d(b->Width(), b->Height());
    b->PaintTo(d.DC());
    // The leftmost and rightmost pixels that are not the face: the group's two ends.
    int left = b->Width(), right = -1;
    for (int y = 2; y < b->Height() - 2; ++y)
      for (int x = 2; x < b->Width() - 2; ++x)
        if (d.Pixel(x, y) != face) left = std::min(left, x), right = std::max(right, x);
    ASSERT_LT(left, right) << b->Name();
    EXPECT_LE(std::abs((left - 2) - (b->Width() - 3 - right)), 3) << b->Name() << ": " << left << ".." << right;
    EXPECT_EQ(d.Pixel(left, (b->Height() - 1) / 2 + 1) == face, false) << b->Name() << ": the glyph leads";
  }
  w.f->Show();
  w.f->soglia->SetFocus();
  SendMessageA(w.f->bdefrag->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(w.mem.Committed(), 16) << "a click runs Defrag";
  EXPECT_EQ(GetFocus(), w.f->soglia->Handle()) << "the focus stays where it was";
  w.f->Hide();
}

TEST(MemoryLine, FormatsKilobytesAndMegabytesWithGroups) {
  EXPECT_EQ(MemoryLine("Memoria disponibile:", 268435456, ","), "Memoria disponibile: 262,144 Kb (256 Mb)");
  EXPECT_EQ(MemoryLine("T:", 1073741824, "."), "T: 1.048.576 Kb (1.024 Mb)");
  EXPECT_EQ(MemoryLine("", 1234567890, ","), " 1,205,632 Kb (1,177 Mb)");
  EXPECT_EQ(MemoryLine("F:", 1048575, ","), "F: 1,023 Kb ( Mb)") << "under 1 MB the MB figure is empty";
  EXPECT_EQ(MemoryLine("F:", 1023, ","), "F:  Kb ( Mb)") << "under 1 KB both are empty";
  EXPECT_EQ(MemoryLine("F:", 0, ","), "F:  Kb ( Mb)");
  EXPECT_EQ(MemoryLine("", 16ull << 30, ","), " 16,777,216 Kb (16,384 Mb)") << "64-bit figures are not clamped";
  EXPECT_EQ(FormatGrouped(999, ","), "999");
  EXPECT_EQ(FormatGrouped(1000, ","), "1,000");
  EXPECT_EQ(FormatGrouped(100000, "'"), "100'000");
}

TEST(MemoryLine, LabelsShowTotalAndAvailableAtStart) {
  Window w(512ull << 20, 256ull << 20);
  EXPECT_EQ(w.f->Label1->Caption(), MemoryLine("", 512ull << 20));
  EXPECT_EQ(w.f->Label2->Caption(), MemoryLine("", 256ull << 20));
  EXPECT_EQ(w.f->soglia->MaxValue(), 512) << "the threshold's maximum is the total in MB";
}

TEST(MemoryLine, BigMachinesShowTheirRealFigures) {
  Window w(16ull << 30, 12ull << 30);
  EXPECT_EQ(w.f->soglia->MaxValue(), 16384);
  EXPECT_EQ(w.f->Label1->Caption(), MemoryLine("", 16ull << 30));
}

TEST(MainWindowRun, DefragRunsTheEngineAndSwapsTheCommands) {
  Window w;  // 16 MB: 16 blocks
  TfrmVelmor* f = w.f;
  bool checked = false;
  w.mem.OnCommit = [&](int n) {
    if (n != 4) return;
    checked = true;
    EXPECT_FALSE(f->Timer->Enabled());
    EXPECT_TRUE(IsWindowVisible(f->ProgressBar->Handle()) || !IsWindowVisible(f->Handle()));
    EXPECT_TRUE(f->ProgressBar->Visible());
    EXPECT_FALSE(f->Deframmenta2->Visible());
    EXPECT_TRUE(f->Abbandona2->Visible());
    EXPECT_EQ(MenuTexts(GetSubMenu(GetMenu(f->Handle()), 0))[0], "Abbandona");
  };
  f->bdefragClick(f->bdefrag);
  EXPECT_TRUE(checked);
  EXPECT_EQ(w.mem.Committed(), 16);
  EXPECT_EQ(w.mem.Held(), 0u);
  EXPECT_TRUE(f->Timer->Enabled());
  EXPECT_FALSE(f->ProgressBar->Visible());
  EXPECT_EQ(f->ProgressBar->Position(), 100);
  EXPECT_TRUE(f->Deframmenta2->Visible());
  EXPECT_FALSE(f->Abbandona2->Visible());
}

TEST(MainWindowRun, DefragFromEveryPlaceWhileRunningDoesNothing) {
  Window w;
  TfrmVelmor* f = w.f;
  int before = 0;
  f->Ov->OnBeforeDefrag = [&](TObject* s) { ++before; f->OvBeforeDefrag(s); };
  w.mem.OnCommit = [&](int n) {
    if (n != 2) return;
    SendMessageA(f->bdefrag->Handle(), BM_CLICK, 0, 0);
    SendMessageA(f->Handle(), WM_COMMAND, cmDefrag, 0);
    f->bdefragClick(nullptr);
  };
  SendMessageA(f->bdefrag->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(before, 1);
  EXPECT_EQ(w.mem.Committed(), 16);
}

TEST(MainWindowRun, AbortWhileIdleDoesNothingAndAbortDuringARunStopsIt) {
  Window w;
  TfrmVelmor* f = w.f;
  SendMessageA(f->babort->Handle(), BM_CLICK, 0, 0);
  f->bdefragClick(nullptr);
  EXPECT_EQ(w.mem.Committed(), 16) << "an abort while idle is not remembered";

  TFakeMemory& mem = w.mem;
  mem.OnCommit = [&](int n) { if (n == 21) SendMessageA(f->Handle(), WM_COMMAND, cmAbort, 0); };
  f->bdefragClick(nullptr);
  EXPECT_EQ(mem.Committed(), 21);
  EXPECT_EQ(mem.Held(), 0u);
  EXPECT_TRUE(f->Timer->Enabled());
  EXPECT_FALSE(f->Abbandona2->Visible());
}

// A click on Abort waits in the queue until the run next pumps it: a run whose steps take real
// time (here 4 ms each, 64 ms in all) sees it long before its end, and gives every block back.
TEST(MainWindowRun, AnAbortWaitingInTheQueueReachesARunThatTakesTime) {
  Window w;
  TfrmVelmor* f = w.f;
  w.mem.OnCommit = [&](int n) {
    Sleep(4);
    if (n == 2) PostMessageA(f->Handle(), WM_COMMAND, cmAbort, 0);
  };
  f->bdefragClick(nullptr);
  EXPECT_LT(w.mem.Committed(), 16);
  EXPECT_EQ(w.mem.Held(), 0u);
  EXPECT_TRUE(f->Timer->Enabled());
  MSG m;
  EXPECT_FALSE(PeekMessageA(&m, f->Handle(), WM_COMMAND, WM_COMMAND, PM_NOREMOVE)) << "the click was handled";
}

TEST(MainWindowClose, EveryCloseButQuitOnlyHides) {
  Window w;
  TfrmVelmor* f = w.f;
  auto showAndCheck = [&](auto closeIt, const char* how) {
    f->Show();
    ASSERT_TRUE(IsWindowVisible(f->Handle()));
    closeIt();
    EXPECT_FALSE(IsWindowVisible(f->Handle())) << how;
    EXPECT_FALSE(f->Released()) << how;
    EXPECT_FALSE(w.app->Terminated()) << how;
    EXPECT_TRUE(IsWindow(f->Handle())) << how;
  };
  showAndCheck([&] { SendMessageA(f->Handle(), WM_CLOSE, 0, 0); }, "close box");
  showAndCheck([&] { SendMessageA(f->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }, "system menu");
  showAndCheck([&] { SendMessageA(f->Handle(), WM_COMMAND, cmHide, 0); }, "Hide to tray");
  EXPECT_TRUE(f->Timer->Enabled()) << "the timer keeps ticking while hidden";
}

TEST(MainWindowClose, QuitEndsTheProgram) {
  Window w;
  w.f->Show();
  SendMessageA(w.f->Handle(), WM_COMMAND, cmQuit, 0);
  EXPECT_TRUE(w.f->Quitting());
  EXPECT_TRUE(w.f->Released());
  EXPECT_TRUE(w.app->Terminated());
}

TEST(MainWindowClose, QuitDuringARunGivesEveryBlockBack) {
  Window w(64ull << 20);
  TfrmVelmor* f = w.f;
  f->Show();
  int afterQuit = -1;
  w.mem.OnCommit = [&](int n) {
    if (n == 5) SendMessageA(f->Handle(), WM_COMMAND, cmQuit, 0);
  };
  f->Ov->OnAfterDefrag = [&](TObject* s) {
    afterQuit = (int)w.mem.Held();
    f->OvAfterDefrag(s);
  };
  f->bdefragClick(nullptr);
  EXPECT_EQ(w.mem.Committed(), 5) << "the run stopped at the Quit";
  EXPECT_EQ(w.mem.Held(), 0u);
  EXPECT_EQ(afterQuit, 0);
  EXPECT_TRUE(w.app->Terminated());
  EXPECT_TRUE(IsWindow(f->Handle())) << "the window outlives the run";
}

TEST(MainWindowPaint, PaintingLeavesNoGdiObjectBehind) {
  Window w;
  w.f->Show();
  RedrawWindow(w.f->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  gdi::Dib dib(330, 120);
  int live = gdi::LiveObjects();
  for (int i = 0; i < 2; ++i)
    RedrawWindow(w.f->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  for (int i = 0; i < 2; ++i) SendMessageA(w.f->Panel2->Handle(), WM_PRINTCLIENT, (WPARAM)dib.DC(), PRF_CLIENT);
  EXPECT_EQ(gdi::LiveObjects(), live);
}

TEST(MainWindowPaint, WindowsGoWithoutLeavingGdiObjects) {
  int live = gdi::LiveObjects();
  { Window w; }
  EXPECT_EQ(gdi::LiveObjects(), live);
}

}  // namespace
