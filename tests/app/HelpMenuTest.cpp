#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "app/Commands.h"
#include "app/URam.h"
#include "framework/Application.h"
#include "framework/Paths.h"
#include "tests/TempFolder.h"
#include "tests/TestRegistry.h"
#include "tests/app/AppWindow.h"
#include "windows/UAbout.h"
#include "windows/UFrmReadme.h"

namespace {

const char* const kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string WindowText(HWND h) {
  char buf[256] = {};
  GetWindowTextA(h, buf, sizeof(buf));
  return buf;
}

// The main window and, as start-up makes it next, the Readme viewer over a folder of its own.
struct Program : TTempFolder, TAppWindow<> {
  TFrmReadMe* viewer = nullptr;
  explicit Program(const std::string& readme = "Velmor\r\n")
      : TAppWindow<>("HelpMenu", 16ull << 20, 8ull << 20, [this](TVelmorEnvironment& env) {
          env.ExeDir = Widen(Path());
          env.ExePath = Widen(Path() + "\\velmor.exe");
        }) {
    ShownErrors().clear();  // what earlier tests left there is theirs
    Write("Readme.txt", readme);
    viewer = app->CreateForm<TFrmReadMe>(Widen(Path()));
    f->SetReadmeWindow(viewer);
  }
  void Command(UINT id) { SendMessageA(f->Handle(), WM_COMMAND, id, 0); }
};

// This test program carries the program's own version resource: file version 1.0.0.7.
TEST(VersionedCaption, SetAtTheEndOfStartUpAndNeverStacked) {
  Program p;
  EXPECT_EQ(WindowText(p.f->Handle()), "Velmor v. 1.0.0.7");
  EXPECT_EQ(p.f->fv->Name(), "fv");
  EXPECT_EQ(p.f->fv->BaseCaption(), "Velmor");
  EXPECT_FALSE(p.f->fv->ShowParentheses());
  p.f->FormActivate(p.f);
  p.f->Ripristina1Click(p.f);
  Application->ProcessMessages();
  EXPECT_EQ(WindowText(p.f->Handle()), "Velmor v. 1.0.0.7") << "a later activation does not stack";
  p.f->ApplyLanguage();
  EXPECT_EQ(WindowText(p.f->Handle()), "Velmor v. 1.0.0.7") << "no language file reaches the caption";
}

// Other programs post these: each does what its menu item does.
TEST(MenuCommands, FixedIdentifiersDoWhatTheirItemsDo) {
  EXPECT_EQ(cmReadme, 40006u);
  EXPECT_EQ(cmAbout, 40007u);
  EXPECT_EQ(cmBeep, 40008u);
  EXPECT_EQ(cmAutostart, 40009u);
  EXPECT_EQ(cmOnTop, 40010u);
  EXPECT_EQ(cmNotify, 40011u);
  EXPECT_EQ(cmMemoryIcon, 40012u);
  Program p;
  RegCloseKey([&] { HKEY k; RegCreateKeyExA(p.root.Get(), kRun, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr); return k; }());
  struct TCase {
    UINT id;
    TMenuItem* item;
  } cases[] = {{cmReadme, p.f->ReadMe1}, {cmAbout, p.f->About1}, {cmBeep, p.f->Beep1},
               {cmAutostart, p.f->autostart}, {cmOnTop, p.f->OnTop}, {cmNotify, p.f->Notifica1},
               {cmMemoryIcon, p.f->IconaMem1}};
  for (const auto& c : cases) EXPECT_EQ(c.item->Command(), c.id) << c.item->Name();

  for (int round = 0; round < 2; ++round) {
    bool beep = p.f->Beep1->Checked(), autostart = p.f->autostart->Checked(), onTop = p.f->OnTop->Checked(),
         notify = p.f->Notifica1->Checked(), memoryIcon = p.f->IconaMem1->Checked();
    p.Command(cmBeep);
    EXPECT_NE(p.f->Beep1->Checked(), beep);
    p.Command(cmAutostart);
    EXPECT_NE(p.f->autostart->Checked(), autostart);
    EXPECT_EQ(GetValue(p.root.Get(), kRun, "Velmor").has_value(), !autostart);
    p.Command(cmOnTop);
    EXPECT_NE(p.f->OnTop->Checked(), onTop);
    EXPECT_EQ((GetWindowLongA(p.f->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, !onTop);
    p.Command(cmNotify);
    EXPECT_NE(p.f->Notifica1->Checked(), notify);
    p.Command(cmMemoryIcon);
    EXPECT_NE(p.f->IconaMem1->Checked(), memoryIcon);
  }
  p.Command(cmAbout);  // this program made no About window: nothing happens
  EXPECT_TRUE(ShownErrors().empty()) << (ShownErrors().empty() ? "" : ShownErrors().front());
}

TEST(MenuCommands, ReadMeShowsTheViewerModallyAndASecondDoesNothing) {
  Program p;
  int shown = 0;
  bool mainEnabled = true;
  p.viewer->OnShow = [&](TObject*) {
    ++shown;
    mainEnabled = IsWindowEnabled(p.f->Handle()) != FALSE;
  };
  p.f->Ripristina1Click(p.f);
  // Read me, Read me again while the viewer shows, then OK: one modal run, closed by OK.
  PostMessageA(p.f->Handle(), WM_COMMAND, cmReadme, 0);
  PostMessageA(p.f->Handle(), WM_COMMAND, cmReadme, 0);
  PostMessageA(p.viewer->Button1->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(mainEnabled) << "the main window waits while the viewer shows";
  EXPECT_FALSE(p.viewer->Visible());
  EXPECT_TRUE(IsWindowEnabled(p.f->Handle()));
  EXPECT_TRUE(IsWindowVisible(p.f->Handle())) << "closing the viewer leaves the main window shown";
  EXPECT_EQ(p.viewer->Viewer()->Text(), "Velmor\r\n");

  // Without a viewer (it could not be made) Read me does nothing.
  delete p.viewer;
  p.Command(cmReadme);
  EXPECT_TRUE(ShownErrors().empty()) << (ShownErrors().empty() ? "" : ShownErrors().front());
}

// A guide longer than the window opens at its first line, the scroll bar at the top.
TEST(MenuCommands, ReadMeShowsALongGuideFromItsFirstLine) {
  std::string guide;
  for (int i = 1; i <= 300; ++i) {
    guide += "Line ";
    guide += std::to_string(i);
    guide += "\r\n";
  }
  Program q(guide);
  int firstLine = -1, scrolled = -1;
  q.viewer->OnShow = [&](TObject*) {
    HWND rr = q.viewer->Viewer()->Handle();
    firstLine = (int)SendMessageA(rr, EM_GETFIRSTVISIBLELINE, 0, 0);
    scrolled = GetScrollPos(rr, SB_VERT);
    PostMessageA(q.viewer->Button1->Handle(), BM_CLICK, 0, 0);
  };
  q.Command(cmReadme);
  EXPECT_EQ(firstLine, 0);
  EXPECT_EQ(scrolled, 0);
  EXPECT_EQ(SendMessageA(q.viewer->Viewer()->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "and after OK";
}

}  // namespace

namespace {

TEST(MenuCommands, AboutShowsItsWindowModallyAndASecondDoesNothing) {
  Program p;
  // Start-up's order: the About window after the main window (the viewer here came first).
  auto* about = p.app->CreateForm<TfrmAbout>(std::wstring(), [](HWND, const std::string&) {});
  p.f->SetAboutWindow(about);
  int shown = 0;
  bool mainEnabled = true;
  about->OnShow = [&](TObject*) {
    ++shown;
    mainEnabled = IsWindowEnabled(p.f->Handle()) != FALSE;
  };
  p.f->Ripristina1Click(p.f);
  PostMessageA(p.f->Handle(), WM_COMMAND, cmAbout, 0);
  PostMessageA(p.f->Handle(), WM_COMMAND, cmAbout, 0);
  PostMessageA(about->OvColorBtn1->Handle(), BM_CLICK, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(mainEnabled) << "the main window waits while About shows";
  EXPECT_FALSE(about->Visible()) << "Thanks! closed it";
  EXPECT_TRUE(IsWindowEnabled(p.f->Handle()));
  EXPECT_TRUE(IsWindowVisible(p.f->Handle())) << "closing About leaves the main window shown";
  EXPECT_TRUE(ShownErrors().empty());
}

}  // namespace
