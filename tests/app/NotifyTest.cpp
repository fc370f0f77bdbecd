#include <gtest/gtest.h>
#include <windows.h>
#include <stdexcept>
#include <string>
#include <vector>
#include "app/Commands.h"
#include "app/URam.h"
#include "framework/Application.h"
#include "i18n/ProfileFile.h"
#include "tests/TempFolder.h"
#include "tests/TestSupport.h"
#include "tests/app/AppWindow.h"

namespace {

const uint64_t MB = 1048576;

// The main window (hidden, as start-up leaves it) over a folder of the test's own, on fake memory
// of 16 MB, so a run is 16 blocks. Its own timer is pushed out of reach: only the ticks a test
// drives happen.
struct Notifier : TTempFolder, TAppWindow<> {
  explicit Notifier(const std::function<void(TTempFolder&)>& files = nullptr)
      : TAppWindow<>("Notify", 16 * MB, 8 * MB, [&](TVelmorEnvironment& env) {
          if (files) files(*this);
          env.ExeDir = Widen(Path());
        }) {
    f->Timer->SetInterval(0x7FFFFFFF);
    ShownErrors().clear();
  }
  // The available memory is 'before' when the run starts and 'after' from its first block on.
  void Figures(uint64_t before, uint64_t after) {
    mem.Avail = before;
    const int first = mem.Committed() + 1;  // the count runs on from run to run
    mem.OnCommit = [this, after, first](int n) {
      if (n == first) mem.Avail = after;
    };
  }
  void Command(UINT id) { SendMessageA(f->Handle(), WM_COMMAND, id, 0); }
  std::vector<std::string> Balloons() const { return shell.BalloonTexts(); }
};

std::string Grouped(const char* head, const char* tail) { return head + ThousandSeparator() + tail; }

TEST(RunReport, FreedIsTheRiseOfTheAvailableMemoryNeverBelowZero) {
  struct Case {
    uint64_t before, after;
    std::string text;
  } cases[] = {
      {100 * MB, 412 * MB, "Freed 312 Mb - 412 Mb available"},
      {300 * MB, 1431 * MB, "Freed " + Grouped("1", "131") + " Mb - " + Grouped("1", "431") + " Mb available"},
      {500 * MB, 400 * MB, "Freed 0 Mb - 400 Mb available"},  // others took more than the run gave
      {100 * MB, 101 * MB - 1, "Freed 0 Mb - 100 Mb available"},  // whole megabytes, truncated
      {0, 0, "Freed 0 Mb - 0 Mb available"},
      {2 * MB, 5000000 * MB, "Freed " + Grouped(Grouped("4", "999").c_str(), "998") + " Mb - " +
                                 Grouped(Grouped("5", "000").c_str(), "000") + " Mb available"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.before) + " -> " + std::to_string(c.after));
    Notifier n;
    n.Figures(c.before, c.after);
    n.f->bdefragClick(n.f->bdefrag);
    EXPECT_EQ(n.Balloons(), std::vector<std::string>{c.text});
    ASSERT_FALSE(n.shell.Balloons.empty());
    EXPECT_STREQ(n.shell.Balloons[0].szInfoTitle, "Velmor");
  }
}

// The button with the window shown, the File menu, the tray menu with the window hidden, and the
// alarm's automatic action: each run that ends tells, once.
TEST(RunReport, EveryWayToStartARunEndsWithOneBalloon) {
  struct Case {
    const char* how;
    std::function<void(Notifier&)> run;
  } cases[] = {
      {"button", [](Notifier& n) {
         n.f->Ripristina1Click(nullptr);
         ASSERT_TRUE(IsWindowVisible(n.f->Handle()));
         SendMessageA(n.f->bdefrag->Handle(), BM_CLICK, 0, 0);
       }},
      {"File menu", [](Notifier& n) { n.Command(cmDefrag); }},
      {"tray menu", [](Notifier& n) { n.f->Deframmenta1->Click(); }},
      {"alarm", [](Notifier& n) {
         n.f->soglia->SetValue(10);  // 8 MB free is below it
         n.f->rgAllarme->SetItemIndex(1);
         n.f->TimerTimer(n.f->Timer);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    Notifier n;
    ASSERT_FALSE(IsWindowVisible(n.f->Handle()));
    n.Figures(8 * MB, 12 * MB);
    c.run(n);
    EXPECT_EQ(n.mem.Committed(), 16);
    EXPECT_EQ(n.Balloons(), std::vector<std::string>{"Freed 4 Mb - 12 Mb available"});
    EXPECT_TRUE(ShownErrors().empty());
  }
}

// An aborted run, a run that Quit ended, a run that failed, and any run while the toggle is off
// tell nothing; the toggle on again tells again.
TEST(RunReport, NothingAfterAnAbortAQuitAFailureOrWithTheToggleOff) {
  struct Case {
    const char* what;
    std::function<void(Notifier&)> prepare;
    int balloons;
  } cases[] = {
      {"abort", [](Notifier& n) { n.mem.OnCommit = [&n](int k) { if (k == 3) n.Command(cmAbort); }; }, 0},
      {"quit", [](Notifier& n) { n.mem.OnCommit = [&n](int k) { if (k == 3) n.Command(cmQuit); }; }, 0},
      {"failure", [](Notifier& n) { n.f->Ov->OnProgress = [](TObject*, int) { throw std::runtime_error("broken"); }; }, 0},
      {"toggle off", [](Notifier& n) { n.Command(cmNotify); }, 0},
      {"toggle off and on", [](Notifier& n) { n.Command(cmNotify), n.Command(cmNotify); }, 1},
      {"abort while idle first", [](Notifier& n) { n.Command(cmAbort); }, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Notifier n;
    c.prepare(n);
    SendMessageA(n.f->bdefrag->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(n.mem.Held(), 0u);
    EXPECT_EQ((int)n.Balloons().size(), c.balloons);
  }
}

// The balloon's text and the captions of the toggle and of the memory icon come from the
// language file; a file without the keys, or with them empty, gets the built-in English, never
// an empty balloon or item. A run the system refused a block (from the 6th on, or the 1st) says
// after how much, not what it freed.
TEST(RunReport, TextsFromTheLanguageFileOrElseTheBuiltInEnglish) {
  struct Case {
    const char* file;
    std::string balloon, caption;
    int refuseFrom = -1;
    std::string iconCaption = "Memory in the tray icon";
  } cases[] = {
      {"[MAINSETTINGS]\r\nNotify=&Avvisami\r\nMemoryIcon=&Memoria\r\n[BALLOON]\r\nFreed=Liberati %1 Mb, ora %2 Mb\r\n",
       "Liberati 4 Mb, ora 12 Mb", "&Avvisami", -1, "&Memoria"},
      {"[MAINFILE]\r\nDefrag=Defrag\r\n", "Freed 4 Mb - 12 Mb available", "Notify after a run"},
      {"[MAINSETTINGS]\r\nNotify=\r\nMemoryIcon=\r\n[BALLOON]\r\nFreed=\r\n", "Freed 4 Mb - 12 Mb available",
       "Notify after a run"},
      // Only %1 and %2 are figures and "%%" is one "%": the rest stays as written, a lone "%" too.
      {"[BALLOON]\r\nFreed=%2%1 %3 100% %%1 %%%2 %\r\n", "124 %3 100% %1 %12 %", "Notify after a run"},
      {"[BALLOON]\r\nFreed=Liberati\r\nRefused=\r\n", "The system refused more memory after 5 Mb", "Notify after a run", 5},
      {"", "The system refused more memory after 0 Mb", "Notify after a run", 0},
      {"[BALLOON]\r\nRefused=Rifiutata dopo %1 Mb (%2 liberi, 100%%)\r\n", "Rifiutata dopo 5 Mb (12 liberi, 100%)",
       "Notify after a run", 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Notifier n([&](TTempFolder& dir) { dir.Write("Italiano.lng", c.file); });
    EXPECT_EQ(n.f->Notifica1->Caption(), c.caption);
    EXPECT_EQ(n.f->IconaMem1->Caption(), c.iconCaption);
    n.mem.RefuseFrom = c.refuseFrom;
    n.Figures(8 * MB, 12 * MB);
    n.Command(cmDefrag);
    EXPECT_EQ(n.Balloons(), std::vector<std::string>{c.balloon});
  }
}

TEST(RunReport, EveryShippedLanguageHasBothTexts) {
  Notifier n([&](TTempFolder& own) {
    for (const std::string& name : ShippedLanguageFiles())
      ASSERT_TRUE(own.CopyIn(ShippedLanguageFolder() + "\\" + name, name));
  });
  ASSERT_EQ(n.f->Language1->Count(), 5);
  for (int i = 0; i < n.f->Language1->Count(); ++i) {
    n.Command(cmLanguageFirst + i);
    const std::string lang = n.f->LangFile();
    std::string freed = ReadProfileString(Widen(n.Path() + "\\" + lang), "BALLOON", "Freed");
    std::string notify = ReadProfileString(Widen(n.Path() + "\\" + lang), "MAINSETTINGS", "Notify");
    std::string refused = ReadProfileString(Widen(n.Path() + "\\" + lang), "BALLOON", "Refused");
    EXPECT_NE(refused.find("%1"), std::string::npos) << lang;
    EXPECT_NE(freed.find("%1"), std::string::npos) << lang;
    EXPECT_NE(freed.find("%2"), std::string::npos) << lang;
    EXPECT_EQ(n.f->Notifica1->Caption(), notify) << lang;
    EXPECT_NE(notify, "") << lang;
    std::string icon = ReadProfileString(Widen(n.Path() + "\\" + lang), "MAINSETTINGS", "MemoryIcon");
    EXPECT_EQ(n.f->IconaMem1->Caption(), icon) << lang;
    EXPECT_NE(icon, "") << lang;
    n.shell.Clear();
    n.Figures(8 * MB, 12 * MB);
    n.Command(cmDefrag);
    ASSERT_EQ(n.Balloons().size(), 1u) << lang;
    EXPECT_NE(n.Balloons()[0].find('4'), std::string::npos) << lang << ": " << n.Balloons()[0];
    EXPECT_NE(n.Balloons()[0].find("12"), std::string::npos) << lang << ": " << n.Balloons()[0];
  }
}

}  // namespace
