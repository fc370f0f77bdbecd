// What real machines hand the program: stored values that are paths, devices or hundreds of
// megabytes; folders full of language files; handlers that throw in the middle of a run; a tick
// and a command arriving together.
#include <gtest/gtest.h>
#include <windows.h>
#include <set>
#include <stdexcept>
#include "app/Commands.h"
#include "app/URam.h"
#include "tests/app/AppWindow.h"
#include "tests/TempFolder.h"
#include "tests/TestRegistry.h"
#include "tests/TestSupport.h"

namespace {

const char* const kKey = "Software\\Tolvane\\Velmor";
const char kItaliano[] = "[MAINFILE]\r\nDefrag=Deframmenta\r\n";
const char kMarker[] = "[MAINFILE]\r\nDefrag=MARKER\r\n";

// A program folder app\ inside a test folder that also holds a readable x.lng of its own: a
// language file outside the program's folder, which must never be read.
struct Folders : TTempFolder {
  Folders() {
    MakeFolder("app");
    Write("app\\Italiano.lng", kItaliano);
    Write("x.lng", kMarker);
    Write("app\\sub.lng", kMarker);
  }
  std::wstring App() const { return Widen(*this / "app"); }
};

// A start with Soglia 12 (of the 16 MB) and the given Lingua, written by store.
struct Started : TAppWindow<> {
  Started(const Folders& dir, const std::function<void(HKEY root)>& store)
      : TAppWindow<>("Robustness", 16ull << 20, 8ull << 20, [&](TVelmorEnvironment& env) {
          PutDword(env.SettingsRoot, kKey, "Soglia", 12);
          PutDword(env.SettingsRoot, kKey, "Azione", 1);
          PutDword(env.SettingsRoot, kKey, "AutoStart", 0);
          PutDword(env.SettingsRoot, kKey, "OnTop", 0);
          PutDword(env.SettingsRoot, kKey, "Beep", 0);
          store(env.SettingsRoot);
          env.ExeDir = dir.App();
        }) {}
};

TEST(StoredLanguage, OnlyABareFileNameOfTheFolderIsEverOpened) {
  ShownErrors().clear();
  struct Case {
    std::string lingua;
    std::string expected;  // FLangFile after start-up
  };
  const Case cases[] = {
      {"..\\x.lng", "Italiano.lng"},         {"..\\..\\users\\Public\\x.ini", "Italiano.lng"},
      {"C:\\x.lng", "Italiano.lng"},         {"C:x.lng", "Italiano.lng"},
      {"\\\\server\\share\\x.lng", "Italiano.lng"}, {"app/../x.lng", "Italiano.lng"},
      {"CON", "Italiano.lng"},               {"nul.lng", "Italiano.lng"},
      {"COM1", "Italiano.lng"},              {"lpt9.lng", "Italiano.lng"},
      {"????????.lng", "Italiano.lng"},      {"..", "Italiano.lng"},
      {std::string(300, 'a') + ".lng", "Italiano.lng"},
      {"sub.lng", "sub.lng"},                {"Missing.lng", "Missing.lng"},
      {"Italiano.lng", "Italiano.lng"},
  };
  Folders dir;
  for (const Case& c : cases) {
    Started w(dir, [&](HKEY root) { PutString(root, kKey, "Lingua", c.lingua); });
    EXPECT_EQ(w.f->LangFile(), c.expected) << c.lingua;
    EXPECT_EQ(w.f->soglia->Value(), 12) << "the other settings are kept: " << c.lingua;
    EXPECT_EQ(w.f->rgAllarme->ItemIndex(), 1) << c.lingua;
    if (c.lingua != "sub.lng") {
      EXPECT_NE(w.f->bdefrag->Caption(), "MARKER") << "a file outside the folder: " << c.lingua;
    }
  }
  Started sub(dir, [&](HKEY root) { PutString(root, kKey, "Lingua", "sub.lng"); });
  EXPECT_EQ(sub.f->bdefrag->Caption(), "MARKER") << "a bare name of the folder does load";
  EXPECT_TRUE(ShownErrors().empty());
}

// A value too long for any setting is damaged, like one of the wrong type: it gets its default,
// the other settings stand, and nothing is allocated for it.
TEST(StoredLanguage, OversizedValuesTakeTheirDefaults) {
  ShownErrors().clear();
  Folders dir;
  const std::wstring hundredMegabytes(50u << 20, L'x');  // 100 MB of UTF-16
  const std::function<void(HKEY)> stores[] = {
      [](HKEY root) { PutString(root, kKey, "Lingua", std::string(5000, 'a')); },
      [&](HKEY root) {
        TRegKey k = TRegKey::Create(root, kKey, KEY_ALL_ACCESS);
        ASSERT_EQ(RegSetValueExW(k.Get(), L"Lingua", 0, REG_SZ, reinterpret_cast<const BYTE*>(hundredMegabytes.data()),
                                 (DWORD)(hundredMegabytes.size() * sizeof(wchar_t))),
                  ERROR_SUCCESS);
      },
      [&](HKEY root) {
        PutString(root, kKey, "Lingua", "Italiano.lng");
        TRegKey k = TRegKey::Create(root, kKey, KEY_ALL_ACCESS);
        ASSERT_EQ(RegSetValueExW(k.Get(), L"Beep", 0, REG_DWORD, reinterpret_cast<const BYTE*>(hundredMegabytes.data()),
                                 (DWORD)(hundredMegabytes.size() * sizeof(wchar_t))),
                  ERROR_SUCCESS);
      },
  };
  int n = 0;
  for (const auto& store : stores) {
    {
      Started w(dir, store);
      EXPECT_EQ(w.f->soglia->Value(), 12) << "case " << n;
      EXPECT_EQ(w.f->rgAllarme->ItemIndex(), 1) << "case " << n;
      EXPECT_EQ(w.f->LangFile(), "Italiano.lng") << "case " << n;
      EXPECT_EQ(w.f->bdefrag->Caption(), "Deframmenta") << "case " << n;
      EXPECT_EQ(w.f->Beep1->Checked(), n == 2) << "case " << n << ": stored off, or the default on";
      DeleteKeyTree(w.root.Get(), kKey);  // the 100 MB go now, not at the next test's start
    }
    ++n;
  }
  EXPECT_TRUE(ShownErrors().empty());
}

// 1,001 language files: the first 1,000 in name order are offered, each with a command of its
// own that no other item of the program has.
TEST(LanguageMenuSize, AThousandItemsAtMostAndNoCommandTwice) {
  TTempFolder dir;
  for (int i = 0; i < 1001; ++i) {
    char name[32];
    snprintf(name, sizeof(name), "L%04d.lng", i);
    dir.Write(name, "");
  }
  TAppWindow<> w("Robustness", 16ull << 20, 8ull << 20, [&](TVelmorEnvironment& env) { env.ExeDir = Widen(dir.Path()); });
  TMenuItem* lang = w.f->Language1;
  ASSERT_EQ(lang->Count(), kMaxLanguageItems);
  EXPECT_EQ(lang->Item(0)->Caption(), "L0000");
  EXPECT_EQ(lang->Item(999)->Caption(), "L0999") << "the last file in name order is the one left out";
  std::set<UINT> commands;
  for (int i = 0; i < lang->Count(); ++i) {
    EXPECT_EQ(lang->Item(i)->Command(), cmLanguageFirst + (UINT)i);
    commands.insert(lang->Item(i)->Command());
  }
  // Every other item of the window: its menus and the tray popup.
  std::function<void(TMenuItem*)> visit = [&](TMenuItem* m) {
    for (int i = 0; i < m->Count(); ++i) {
      if (m->Item(i) == lang) continue;
      EXPECT_TRUE(commands.insert(m->Item(i)->Command()).second) << m->Item(i)->Name();
      visit(m->Item(i));
    }
  };
  visit(w.f->MainMenu1->Items());
  visit(w.f->poppa->Items());
  EXPECT_LT(*commands.rbegin(), 65536u) << "WM_COMMAND carries 16 bits";
  EXPECT_EQ(TMenuItem::FindCommand(cmLanguageFirst + 999), lang->Item(999));
}

// ---- the engine inside the window -------------------------------------------------------------

struct RunWindow : TAppWindow<> {
  RunWindow() : TAppWindow<>("Robustness", 16ull << 20, 8ull << 20) { f->Timer->SetInterval(0x7FFFFFFF); }
  bool Idle() const { return f->Timer->Enabled() && !f->ProgressBar->Visible() && !f->Ov->Running(); }
};

// A progress handler that throws: the error box tells of it, the window is idle again (timer on,
// progress bar hidden, Defrag offered), no block is held, and the next Defrag runs.
TEST(RunFailure, AThrowingProgressHandlerLeavesTheWindowIdle) {
  RunWindow w;
  ShownErrors().clear();
  const TOnProgress progress = w.f->Ov->OnProgress;
  int events = 0;
  w.f->Ov->OnProgress = [&](TObject* s, int p) {
    progress(s, p);
    if (++events == 5) throw std::runtime_error("progress failed");
  };
  SendMessageA(w.f->Handle(), WM_COMMAND, cmDefrag, 0);
  ASSERT_EQ(ShownErrors().size(), 1u);
  EXPECT_EQ(ShownErrors()[0], "progress failed");
  EXPECT_TRUE(w.Idle());
  EXPECT_TRUE(w.f->Deframmenta2->Visible());
  EXPECT_FALSE(w.f->Abbandona2->Visible());
  EXPECT_EQ(w.mem.Held(), 0u);
  w.f->Ov->OnProgress = progress;
  SendMessageA(w.f->Handle(), WM_COMMAND, cmDefrag, 0);
  EXPECT_EQ(w.mem.Committed(), 5 + 16) << "the next run goes through";
  EXPECT_EQ(w.mem.Held(), 0u);
  EXPECT_TRUE(w.Idle());
}

// An Abort and a Defrag waiting in the queue when a progress event pumps it: the Abort ends the
// run, the Defrag finds the window busy, and exactly one run took place.
TEST(RunFailure, AbortAndDefragInOneProgressEventLeaveOneRun) {
  RunWindow w;
  int before = 0;
  w.f->Ov->OnBeforeDefrag = [&, prev = w.f->Ov->OnBeforeDefrag](TObject* s) {
    ++before;
    prev(s);
  };
  bool posted = false;
  const TOnProgress progress = w.f->Ov->OnProgress;
  w.f->Ov->OnProgress = [&](TObject* s, int p) {
    if (!posted) {
      posted = true;
      PostMessageA(w.f->Handle(), WM_COMMAND, cmAbort, 0);
      PostMessageA(w.f->Handle(), WM_COMMAND, cmDefrag, 0);
    }
    progress(s, p);
  };
  SendMessageA(w.f->Handle(), WM_COMMAND, cmDefrag, 0);
  w.app->ProcessMessages();
  EXPECT_EQ(before, 1);
  EXPECT_EQ(w.mem.Committed(), 1) << "aborted after its first block";
  EXPECT_EQ(w.mem.Held(), 0u);
  EXPECT_TRUE(w.Idle());
}

// "Azione" -3 selects no item: an alarm tick then only notifies.
TEST(RunFailure, AnAlarmWithNoActionSelectedRunsNothing) {
  TAppWindow<> w("Robustness", 16ull << 20, 8ull << 20, [](TVelmorEnvironment& env) {
    PutDword(env.SettingsRoot, kKey, "Soglia", 100);
    PutDword(env.SettingsRoot, kKey, "Azione", (DWORD)-3);
    PutString(env.SettingsRoot, kKey, "Lingua", "Italiano.lng");
    PutDword(env.SettingsRoot, kKey, "AutoStart", 0);
    PutDword(env.SettingsRoot, kKey, "OnTop", 1);
    PutDword(env.SettingsRoot, kKey, "Beep", 1);
  });
  w.f->Timer->SetInterval(0x7FFFFFFF);
  ASSERT_EQ(w.f->rgAllarme->ItemIndex(), -1);
  w.f->TimerTimer(w.f->Timer);
  EXPECT_EQ(w.mem.Committed(), 0) << "no run";
  EXPECT_EQ(w.beeps, 1) << "the alarm still notifies";
  EXPECT_TRUE(w.f->TI->Animated());
}

}  // namespace
