#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <climits>
#include <memory>
#include "app/Commands.h"
#include "app/URam.h"
#include "framework/Application.h"
#include "tests/FakeMemory.h"
#include "tests/TestRegistry.h"
#include "tests/TestSupport.h"

namespace {

const char* const kKey = "Software\\Tolvane\\Velmor";
const char* const kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Every case has a root of its own, standing for HKEY_LOCAL_MACHINE, made afresh with the Run key
// a system has (the program never creates that one), and a key "User" below it standing for
// HKEY_CURRENT_USER, empty.
class Settings : public ::testing::Test {
protected:
  struct Window {
    TFakeMemory mem;
    std::unique_ptr<TApplication> app;
    TfrmVelmor* f = nullptr;
  };

  void SetUp() override {
    ShownErrors().clear();
    root = FreshTestKey("Settings");
    ASSERT_TRUE(root);
    user = UserRootBelow(root.Get());
    ASSERT_TRUE(user);
    ASSERT_TRUE(TRegKey::Create(root.Get(), kRun, KEY_ALL_ACCESS));
  }

  std::unique_ptr<Window> Start(const std::string& exePath = "C:\\Velmor\\velmor.exe",
                                uint64_t total = 512ull << 20) {
    auto w = std::make_unique<Window>();
    w->mem.Total = total;
    w->mem.Avail = total / 2;
    w->app = std::make_unique<TApplication>();
    w->app->SetTitle("Velmor");
    w->app->OnException = [](TObject*, const std::string& m) { ShownErrors().push_back(m); };
    TVelmorEnvironment env;
    env.Memory = &w->mem;
    env.Beep = [] {};
    env.ExePath = Widen(exePath);
    env.SettingsRoot = root.Get();
    env.RunRoot = root.Get();
    env.UserSettingsRoot = env.UserRunRoot = user.Get();
    env.TaskbarEdge = [](RECT& r) { r = RECT{0, 738, 1024, 768}; return (int)ABE_BOTTOM; };
    w->f = w->app->CreateForm<TfrmVelmor>(env);
    return w;
  }

  void Store(DWORD soglia, DWORD azione, const char* lingua, DWORD autoStart, DWORD onTop, DWORD beep) {
    StoreIn(root.Get(), soglia, azione, lingua, autoStart, onTop, beep);
  }
  static void StoreIn(HKEY r, DWORD soglia, DWORD azione, const char* lingua, DWORD autoStart, DWORD onTop,
                      DWORD beep) {
    PutDword(r, kKey, "Soglia", soglia);
    PutDword(r, kKey, "Azione", azione);
    if (lingua) PutString(r, kKey, "Lingua", lingua);
    PutDword(r, kKey, "AutoStart", autoStart);
    PutDword(r, kKey, "OnTop", onTop);
    PutDword(r, kKey, "Beep", beep);
  }

  // The two stores a start-up chooses between: the machine's with threshold 70 and action 0,
  // the user's with 90 and 1. The one written last is stored second, and its key's last-write
  // time is then later than the other's.
  void StoreBoth(bool userLast) {
    HKEY machine = root.Get(), mine = user.Get();
    HKEY first = userLast ? machine : mine, second = userLast ? mine : machine;
    for (HKEY r : {first, second}) StoreIn(r, r == machine ? 70 : 90, r == machine ? 0 : 1, "English.lng", 0, 1, 1);
    MakeNewer(second, first);
  }

  std::optional<TStoredValue> Stored(const char* name) { return GetValue(root.Get(), kKey, name); }
  std::optional<TStoredValue> RunValue() { return GetValue(root.Get(), kRun, "Velmor"); }
  DWORD StoredDword(const char* name) {
    auto v = Stored(name);
    if (!v) {
      ADD_FAILURE() << name << " is not stored";
      return 0xBAD0BAD0;
    }
    EXPECT_EQ(v->Type, static_cast<DWORD>(REG_DWORD)) << name;
    return v->Dword();
  }
  std::string StoredText(const char* name) {
    auto v = Stored(name);
    if (!v) return "(not stored)";
    EXPECT_EQ(v->Type, static_cast<DWORD>(REG_SZ)) << name;
    return v->Text();
  }
  std::string RunText() {
    auto v = RunValue();
    return v ? v->Text() : "(no Run value)";
  }

  static bool Topmost(TfrmVelmor* f) { return (GetWindowLongA(f->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
  static void Click(TfrmVelmor* f, TMenuItem* item) { SendMessageA(f->Handle(), WM_COMMAND, item->Command(), 0); }
  static void Quit(TfrmVelmor* f) { SendMessageA(f->Handle(), WM_COMMAND, cmQuit, 0); }

  // The six as the window shows them: threshold, action, language, autostart, on top, beep.
  static std::string Shown(TfrmVelmor* f) {
    return std::to_string(f->soglia->Value()) + " " + std::to_string(f->rgAllarme->ItemIndex()) + " " + f->LangFile() +
           " " + (f->autostart->Checked() ? "1" : "0") + " " + (f->OnTop->Checked() ? "1" : "0") + " " +
           (f->Beep1->Checked() ? "1" : "0");
  }

  // Two writes may fall on one tick of the key's clock; the store meant to be newer gets writes
  // of a value the program does not read until it is. (Wine leaves the time alone when a write
  // changes nothing, so each try writes new data.)
  static void MakeNewer(HKEY newer, HKEY older) {
    auto time = [](HKEY r) {
      TRegKeyInfo info;
      TRegistry reg(KEY_READ);
      reg.SetRootKey(r);
      if (reg.OpenKey(kKey, false)) reg.GetKeyInfo(info);
      return (uint64_t(info.FileTime.dwHighDateTime) << 32) | info.FileTime.dwLowDateTime;
    };
    for (int i = 0; i < 1000 && time(newer) <= time(older); ++i, Sleep(1)) PutDword(newer, kKey, "Clock", i);
    ASSERT_GT(time(newer), time(older));
  }

  static void ExpectDefaults(TfrmVelmor* f) {
    EXPECT_EQ(f->soglia->Value(), 50);
    EXPECT_EQ(f->rgAllarme->ItemIndex(), 0);
    EXPECT_EQ(f->LangFile(), "Italiano.lng");
    EXPECT_FALSE(f->autostart->Checked());
    EXPECT_TRUE(f->OnTop->Checked());
    EXPECT_TRUE(f->Beep1->Checked());
    EXPECT_TRUE(Topmost(f));
  }

  TRegKey root, user;
};

// ---- start-up -----------------------------------------------------------------------------------

TEST_F(Settings, FirstStartGetsTheDefaultsAndATopmostWindow) {
  auto w = Start();
  ExpectDefaults(w->f);
  EXPECT_TRUE(KeyExists(root.Get(), kKey)) << "the key is made at start-up";
  EXPECT_EQ(ValueCount(root.Get(), kKey), 0) << "but nothing is written before Quit";
  EXPECT_TRUE(ShownErrors().empty());
  HMENU settings = GetSubMenu(GetMenu(w->f->Handle()), 2);
  EXPECT_EQ(GetMenuState(settings, 0, MF_BYPOSITION) & MF_CHECKED, static_cast<UINT>(MF_CHECKED)) << "Beep";
  EXPECT_EQ(GetMenuState(settings, 1, MF_BYPOSITION) & MF_CHECKED, 0u) << "autostart";
  EXPECT_EQ(GetMenuState(settings, 2, MF_BYPOSITION) & MF_CHECKED, static_cast<UINT>(MF_CHECKED)) << "on top";
}

TEST_F(Settings, StoredValuesComeBackIntoTheirControls) {
  Store(120, 1, "English.lng", 1, 0, 0);
  auto w = Start();
  TfrmVelmor* f = w->f;
  EXPECT_EQ(f->soglia->Value(), 120);
  EXPECT_EQ(f->rgAllarme->ItemIndex(), 1);
  EXPECT_EQ(f->LangFile(), "English.lng");
  EXPECT_TRUE(f->autostart->Checked());
  EXPECT_FALSE(f->OnTop->Checked());
  EXPECT_FALSE(f->Beep1->Checked());
  EXPECT_FALSE(Topmost(f)) << "stored off: a normal window";
  EXPECT_FALSE(RunValue()) << "start-up does not consult or touch the Run entry";

  w.reset();
  Store(120, 0, "English.lng", 7, 0xFFFFFFFF, 2);
  w = Start();
  EXPECT_TRUE(w->f->autostart->Checked()) << "anything but 0 is on";
  EXPECT_TRUE(w->f->OnTop->Checked());
  EXPECT_TRUE(w->f->Beep1->Checked());
  EXPECT_TRUE(Topmost(w->f));
}

// "Notifica" and "IconaMem" came after the six: a store without one (every store an earlier
// Velmor wrote) or with one of another type reads as its default (on, off), and neither touches
// the six; nor do the six touch them.
TEST_F(Settings, NotificaAndIconaMemAreReadOnTheirOwnAndAnythingButADwordIsTheDefault) {
  enum TReads { rdOff, rdOn, rdDefault };
  struct Case {
    const char* what;
    DWORD type;
    std::string data;  // none: missing
    TReads reads;
  } cases[] = {
      {"missing", REG_NONE, "", rdDefault},
      {"0", REG_DWORD, std::string("\0\0\0\0", 4), rdOff},
      {"1", REG_DWORD, std::string("\1\0\0\0", 4), rdOn},
      {"7", REG_DWORD, std::string("\7\0\0\0", 4), rdOn},
      {"text", REG_SZ, std::string("0", 2), rdDefault},
      {"binary", REG_BINARY, std::string("\0\0\0\0", 4), rdDefault},
      {"qword", REG_QWORD, std::string(8, '\0'), rdDefault},
  };
  const struct {
    const char* name;
    TMenuItem* TfrmVelmor::*item;
    bool byDefault;
  } values[] = {{"Notifica", &TfrmVelmor::Notifica1, true}, {"IconaMem", &TfrmVelmor::IconaMem1, false}};
  for (const auto& v : values)
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(v.name) + " " + c.what);
      Store(120, 1, "English.lng", 1, 0, 0);
      RegDeleteValueA(TRegKey::Open(root.Get(), kKey, KEY_ALL_ACCESS).Get(), v.name);
      if (!c.data.empty()) PutRaw(root.Get(), kKey, v.name, c.type, c.data.data(), (DWORD)c.data.size());
      auto w = Start();
      EXPECT_EQ((w->f->*v.item)->Checked(), c.reads == rdDefault ? v.byDefault : c.reads == rdOn);
      EXPECT_EQ(w->f->soglia->Value(), 120) << "the six stand";
      EXPECT_EQ(w->f->rgAllarme->ItemIndex(), 1);
      EXPECT_EQ(w->f->LangFile(), "English.lng");
      EXPECT_TRUE(w->f->autostart->Checked());
      EXPECT_FALSE(w->f->OnTop->Checked());
      EXPECT_FALSE(w->f->Beep1->Checked());
    }

  TRegKey key = TRegKey::Open(root.Get(), kKey, KEY_ALL_ACCESS);
  RegDeleteValueA(key.Get(), "Azione");
  PutDword(root.Get(), kKey, "Notifica", 0);
  PutDword(root.Get(), kKey, "IconaMem", 1);
  auto w = Start();
  EXPECT_EQ(Shown(w->f), "120 0 English.lng 1 0 0");
  EXPECT_FALSE(w->f->Notifica1->Checked()) << "a damaged neighbour leaves it as stored";
  EXPECT_TRUE(w->f->IconaMem1->Checked());

  w.reset();
  ASSERT_TRUE(SetKeyReadOnly(root.Get(), kKey, true));
  w = Start();
  EXPECT_TRUE(w->f->Notifica1->Checked()) << "a key that cannot be opened: on";
  EXPECT_FALSE(w->f->IconaMem1->Checked()) << "and off";
}

TEST_F(Settings, TheLanguageNameIsTextOfEitherKindAndMayBeMissing) {
  Store(70, 1, nullptr, 0, 0, 0);
  auto w = Start();
  EXPECT_EQ(w->f->LangFile(), "Italiano.lng") << "a missing name takes the default, as any missing value";
  EXPECT_EQ(w->f->soglia->Value(), 70) << "and the other values stand";
  EXPECT_EQ(w->f->rgAllarme->ItemIndex(), 1);
  EXPECT_FALSE(w->f->OnTop->Checked());

  w.reset();
  PutString(root.Get(), kKey, "Lingua", "%LANG%.lng", REG_EXPAND_SZ);
  w = Start();
  EXPECT_EQ(w->f->LangFile(), "%LANG%.lng");
  EXPECT_EQ(w->f->soglia->Value(), 70);
}

TEST_F(Settings, TheActionIndexIsBroughtIntoRange) {
  struct { int stored, shown; } cases[] = {{7, 1}, {2, 1}, {INT_MAX, 1}, {1, 1}, {0, 0},
                                           {-1, -1}, {-3, -1}, {INT_MIN, -1}};
  for (auto c : cases) {
    SCOPED_TRACE(c.stored);
    Store(100, static_cast<DWORD>(c.stored), "English.lng", 0, 0, 0);
    auto w = Start();
    EXPECT_EQ(w->f->rgAllarme->ItemIndex(), c.shown);
    EXPECT_EQ(w->f->soglia->Value(), 100) << "an action out of range is no failure";
    for (int i = 0; i < 2; ++i)
      EXPECT_EQ(SendMessageA(w->f->rgAllarme->ButtonHandle(i), BM_GETCHECK, 0, 0) == BST_CHECKED, i == c.shown);
  }
}

// A stored threshold is brought into the field's range (0 to the machine's 512 MB) as it is read:
// below it an alarm could never fire, above it one would never end. Quit stores what is shown.
TEST_F(Settings, AStoredThresholdIsBroughtIntoTheFieldsRange) {
  struct { DWORD stored; int shown; } cases[] = {{100000, 512}, {0x7FFFFFFF, 512}, {512, 512}, {80, 80},
                                                 {0, 0}, {static_cast<DWORD>(-5), 0}, {0x80000000, 0}};
  for (auto c : cases) {
    SCOPED_TRACE(c.stored);
    Store(c.stored, 1, "English.lng", 0, 0, 1);
    auto w = Start("C:\\Velmor\\velmor.exe", 512ull << 20);
    EXPECT_EQ(w->f->soglia->Text(), std::to_string(c.shown));
    EXPECT_EQ(w->f->rgAllarme->ItemIndex(), 1) << "the others stand";
    Quit(w->f);
    EXPECT_EQ(StoredDword("Soglia"), static_cast<DWORD>(c.shown));
  }
}

TEST_F(Settings, AKeyThatCannotBeOpenedGivesTheDefaultsSilently) {
  Store(120, 1, "English.lng", 1, 0, 0);
  ASSERT_TRUE(SetKeyReadOnly(root.Get(), kKey, true));
  auto w = Start();
  ExpectDefaults(w->f);
  EXPECT_TRUE(ShownErrors().empty());
}

// ---- Quit ---------------------------------------------------------------------------------------

TEST_F(Settings, QuitStoresTheSixAndTheNextStartShowsThem) {
  auto w = Start();
  TfrmVelmor* f = w->f;
  f->soglia->SetText("80");
  SendMessageA(f->rgAllarme->ButtonHandle(1), BM_CLICK, 0, 0);
  Click(f, f->Beep1);
  Click(f, f->OnTop);
  Click(f, f->Notifica1);
  Click(f, f->IconaMem1);
  EXPECT_EQ(ValueCount(root.Get(), kKey), 0) << "nothing is stored before Quit";
  Quit(f);
  EXPECT_TRUE(ShownErrors().empty());
  EXPECT_TRUE(f->Released());
  EXPECT_TRUE(w->app->Terminated());

  EXPECT_EQ(StoredDword("Soglia"), 80u);
  EXPECT_EQ(StoredDword("Azione"), 1u);
  EXPECT_EQ(StoredText("Lingua"), "Italiano.lng");
  EXPECT_EQ(StoredDword("AutoStart"), 0u);
  EXPECT_EQ(StoredDword("OnTop"), 0u);
  EXPECT_EQ(StoredDword("Beep"), 0u);
  EXPECT_EQ(StoredDword("Notifica"), 0u);
  EXPECT_EQ(StoredDword("IconaMem"), 1u);
  EXPECT_EQ(ValueCount(root.Get(), kKey), 8);

  w.reset();
  w = Start();
  EXPECT_EQ(w->f->soglia->Value(), 80);
  EXPECT_EQ(w->f->rgAllarme->ItemIndex(), 1);
  EXPECT_EQ(w->f->LangFile(), "Italiano.lng");
  EXPECT_FALSE(w->f->OnTop->Checked());
  EXPECT_FALSE(w->f->Beep1->Checked());
  EXPECT_FALSE(w->f->Notifica1->Checked());
  EXPECT_TRUE(w->f->IconaMem1->Checked());
  EXPECT_FALSE(Topmost(w->f));
}

TEST_F(Settings, NoItemIsStoredAsMinusOneAndBooleansAsOne) {
  Store(60, static_cast<DWORD>(-3), "English.lng", 5, 9, 0xFFFFFFFF);
  auto w = Start();
  Quit(w->f);
  EXPECT_EQ(StoredDword("Azione"), 0xFFFFFFFFu);
  EXPECT_EQ(StoredDword("AutoStart"), 1u);
  EXPECT_EQ(StoredDword("OnTop"), 1u);
  EXPECT_EQ(StoredDword("Beep"), 1u);
  EXPECT_EQ(StoredText("Lingua"), "English.lng");
}

TEST_F(Settings, TheThresholdIsStoredOnlyAtQuit) {
  Store(60, 0, "English.lng", 0, 1, 1);
  auto w = Start();
  w->f->Show();
  w->f->soglia->SetText("80");
  SendMessageA(w->f->Handle(), WM_CLOSE, 0, 0);
  SendMessageA(w->f->Handle(), WM_COMMAND, cmHide, 0);
  EXPECT_FALSE(w->f->Released());
  EXPECT_EQ(StoredDword("Soglia"), 60u) << "hiding stores nothing";
  w.reset();  // the program ends without Quit
  EXPECT_EQ(StoredDword("Soglia"), 60u);

  w = Start();
  EXPECT_EQ(w->f->soglia->Value(), 60);
  w->f->soglia->SetText("80");
  Quit(w->f);
  EXPECT_EQ(StoredDword("Soglia"), 80u);
}

TEST_F(Settings, ARefusedWriteKeepsTheProgramRunningAndALaterQuitWrites) {
  // Both keys refused: the machine's and the user's own.
  ASSERT_TRUE(TRegKey::Create(root.Get(), kKey, KEY_ALL_ACCESS));
  ASSERT_TRUE(SetKeyReadOnly(root.Get(), kKey, true));
  ASSERT_TRUE(TRegKey::Create(user.Get(), kKey, KEY_ALL_ACCESS));
  ASSERT_TRUE(SetKeyReadOnly(user.Get(), kKey, true));
  auto w = Start();
  TfrmVelmor* f = w->f;
  f->Show();
  f->soglia->SetText("80");
  Click(f, f->Beep1);

  Quit(f);
  ASSERT_EQ(ShownErrors().size(), 1u);
  // The closing quote sorts before the full stop, so the box adds none.
  EXPECT_EQ(ErrorBoxText(ShownErrors()[0]), "Failed to set data for 'Soglia'");
  EXPECT_FALSE(f->Released());
  EXPECT_FALSE(w->app->Terminated());
  EXPECT_FALSE(f->Quitting());
  EXPECT_TRUE(IsWindowVisible(f->Handle())) << "the window stays as it was";
  EXPECT_TRUE(f->Timer->Enabled());
  EXPECT_EQ(f->soglia->Value(), 80);
  EXPECT_EQ(ValueCount(root.Get(), kKey), 0);
  EXPECT_EQ(ValueCount(user.Get(), kKey), 0);

  SendMessageA(f->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(f->Handle())) << "a later close box still only hides";
  EXPECT_FALSE(f->Released());
  EXPECT_EQ(ShownErrors().size(), 1u);

  ASSERT_TRUE(SetKeyReadOnly(root.Get(), kKey, false));
  Quit(f);
  EXPECT_EQ(ShownErrors().size(), 1u);
  EXPECT_TRUE(f->Released());
  EXPECT_TRUE(w->app->Terminated());
  EXPECT_EQ(StoredDword("Soglia"), 80u);
  EXPECT_EQ(StoredDword("Azione"), 0u);
  EXPECT_EQ(StoredText("Lingua"), "Italiano.lng");
  EXPECT_EQ(StoredDword("AutoStart"), 0u);
  EXPECT_EQ(StoredDword("OnTop"), 1u);
  EXPECT_EQ(StoredDword("Beep"), 0u);
}

// ---- the Settings menu ---------------------------------------------------------------------------

TEST_F(Settings, OnTopSwitchesTheWindowAtOnceAndThePopupItemFollows) {
  auto w = Start();
  TfrmVelmor* f = w->f;
  // The tray popup's item, where this window has none of its own yet; it then stands in for
  // the start-up mirror as well.
  if (!f->Ontop1) {
    f->Ontop1 = new TMenuItem(f);
    f->Ontop1->OnClick = [f](TObject* s) { f->OnTopClick(s); };
    f->Ontop1->SetChecked(f->OnTop->Checked());
  }
  EXPECT_TRUE(f->Ontop1->Checked()) << "mirrored at start-up";
  ASSERT_TRUE(Topmost(f));
  Click(f, f->OnTop);
  EXPECT_FALSE(f->OnTop->Checked());
  EXPECT_FALSE(f->Ontop1->Checked());
  EXPECT_FALSE(Topmost(f));
  f->Ontop1->Click();
  EXPECT_TRUE(f->OnTop->Checked());
  EXPECT_TRUE(f->Ontop1->Checked());
  EXPECT_TRUE(Topmost(f));
  EXPECT_EQ(ValueCount(root.Get(), kKey), 0) << "stored only at Quit";
}

TEST_F(Settings, BeepOnlyInvertsItsCheck) {
  auto w = Start();
  Click(w->f, w->f->Beep1);
  EXPECT_FALSE(w->f->Beep1->Checked());
  Click(w->f, w->f->Beep1);
  EXPECT_TRUE(w->f->Beep1->Checked());
  EXPECT_EQ(ValueCount(root.Get(), kKey), 0);
}

TEST_F(Settings, AutostartOnAndOffWithinOneRunLeavesNoRunValue) {
  auto w = Start("C:\\Velmor\\velmor.exe");
  TfrmVelmor* f = w->f;
  Click(f, f->autostart);
  EXPECT_TRUE(f->autostart->Checked());
  auto run = RunValue();
  ASSERT_TRUE(run) << "written at once";
  EXPECT_EQ(run->Type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(run->Text(), "C:\\Velmor\\velmor.exe") << "a path without blanks stays as it is";
  EXPECT_FALSE(Stored("AutoStart")) << "the setting itself waits for Quit";

  Click(f, f->autostart);
  EXPECT_FALSE(f->autostart->Checked());
  EXPECT_FALSE(RunValue());
  Quit(f);
  EXPECT_EQ(StoredDword("AutoStart"), 0u);
  EXPECT_FALSE(RunValue());
  EXPECT_TRUE(ShownErrors().empty());
}

TEST_F(Settings, AutostartPathWithBlanksIsQuoted) {
  auto w = Start("C:\\Program Files\\Velmor\\velmor.exe");
  Click(w->f, w->f->autostart);
  ASSERT_TRUE(RunValue());
  EXPECT_EQ(RunText(), "\"C:\\Program Files\\Velmor\\velmor.exe\"");
  EXPECT_EQ(RunEntryFor(L"C:\\Velmor\\velmor.exe"), L"C:\\Velmor\\velmor.exe");
  EXPECT_EQ(RunEntryFor(L"C:\\A B\\C D\\v.exe"), L"\"C:\\A B\\C D\\v.exe\"");
}

TEST_F(Settings, AutostartWithoutAPathGivenWritesTheRunningProgram) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  auto w = Start("");
  Click(w->f, w->f->autostart);
  ASSERT_TRUE(RunValue());
  EXPECT_EQ(RunText(), AnsiOf(RunEntryFor(Widen(path))));
}

TEST_F(Settings, AutostartOnKeepsAnExistingValue) {
  PutString(root.Get(), kRun, "Velmor", "D:\\Elsewhere\\other.exe -x");
  auto w = Start();
  Click(w->f, w->f->autostart);
  EXPECT_TRUE(w->f->autostart->Checked());
  EXPECT_EQ(RunText(), "D:\\Elsewhere\\other.exe -x");

  w.reset();
  PutDword(root.Get(), kRun, "Velmor", 5);
  w = Start();
  Click(w->f, w->f->autostart);
  EXPECT_EQ(RunValue()->Type, static_cast<DWORD>(REG_DWORD)) << "whatever its data";
  EXPECT_TRUE(ShownErrors().empty());
}

TEST_F(Settings, AutostartNeverMakesTheMachinesRunKey) {
  DeleteKeyTree(root.Get(), kRun);
  auto w = Start();
  Click(w->f, w->f->autostart);
  EXPECT_TRUE(ShownErrors().empty());
  EXPECT_FALSE(KeyExists(root.Get(), kRun));
  EXPECT_TRUE(w->f->autostart->Checked());
  EXPECT_EQ(GetValue(user.Get(), kRun, "Velmor")->Text(), "C:\\Velmor\\velmor.exe") << "the user's own list takes it";
}

// ---- what an account may write ------------------------------------------------------------------

// Everything; not the machine's keys (a limited user on XP, or a standard user on Vista and
// later: the Run key always, the settings key where virtualisation is off); or nothing at all.
// Refused for real: Wine enforces a key's security descriptor, also against this process (an open
// for setting values of a key whose descriptor denies that fails with ERROR_ACCESS_DENIED), so
// the keys get one that lets everybody only read them.
enum TRights { rtAll, rtUserOnly, rtNone };
enum TAction { acAutostartOn, acAutostartOff, acQuit, acEndSession, acStartUserWrittenLast, acStartMachineWrittenLast };

TEST_F(Settings, WhatEachAccountKeepsAndWhereItGoes) {
  const std::string machineRun = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string userRun = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  struct Case {
    TRights rights;
    TAction action;
    std::string outcome;
  } cases[] = {
      {rtAll, acAutostartOn, "mark on; Velmor in: HKLM; box: none"},
      {rtAll, acAutostartOff, "mark off; Velmor in: none; box: none"},
      {rtAll, acQuit, "ended; HKLM: 8 values, Soglia 80; HKCU: none; box: none"},
      {rtAll, acEndSession, "runs; HKLM: 8 values, Soglia 80; HKCU: none; box: none"},
      {rtAll, acStartUserWrittenLast, "threshold 90, action 1"},
      {rtAll, acStartMachineWrittenLast, "threshold 70, action 0"},

      {rtUserOnly, acAutostartOn, "mark on; Velmor in: HKCU; box: none"},
      {rtUserOnly, acAutostartOff, "mark on; Velmor in: HKLM; box: Could not remove 'Velmor' from " + machineRun + "."},
      {rtUserOnly, acQuit, "ended; HKLM: none; HKCU: 8 values, Soglia 80; box: none"},
      {rtUserOnly, acEndSession, "runs; HKLM: none; HKCU: 8 values, Soglia 80; box: none"},
      {rtUserOnly, acStartUserWrittenLast, "threshold 90, action 1"},
      {rtUserOnly, acStartMachineWrittenLast, "threshold 90, action 1"},

      {rtNone, acAutostartOn, "mark off; Velmor in: none; box: Failed to set data for 'Velmor'"},
      {rtNone, acAutostartOff,
       "mark on; Velmor in: HKLM HKCU; box: Could not remove 'Velmor' from " + machineRun + " and " + userRun + "."},
      {rtNone, acQuit, "runs; HKLM: none; HKCU: none; box: Failed to set data for 'Soglia'"},
      {rtNone, acEndSession, "runs; HKLM: none; HKCU: none; box: none"},
      {rtNone, acStartUserWrittenLast, "threshold 90, action 1"},
      {rtNone, acStartMachineWrittenLast, "threshold 90, action 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.rights) + "/" + std::to_string(c.action));
    SetUp();
    ShownErrors().clear();
    // What was there before: a log-on entry in both lists to switch off, or both stores.
    if (c.action == acAutostartOff) {
      PutString(root.Get(), kRun, "Velmor", "C:\\Old\\velmor.exe");
      PutString(user.Get(), kRun, "Velmor", "C:\\Old\\velmor.exe");
    }
    if (c.action == acStartUserWrittenLast || c.action == acStartMachineWrittenLast)
      StoreBoth(c.action == acStartUserWrittenLast);
    // Then the rights taken away: the machine's keys, and for none the user's too.
    ASSERT_TRUE(TRegKey::Create(root.Get(), kKey, KEY_ALL_ACCESS));
    if (c.rights != rtAll) {
      ASSERT_TRUE(SetKeyReadOnly(root.Get(), kKey, true));
      ASSERT_TRUE(SetKeyReadOnly(root.Get(), kRun, true));
    }
    if (c.rights == rtNone) {
      for (const char* k : {kKey, kRun}) {
        ASSERT_TRUE(TRegKey::Create(user.Get(), k, KEY_ALL_ACCESS));
        ASSERT_TRUE(SetKeyReadOnly(user.Get(), k, true));
      }
    }

    auto w = Start();
    TfrmVelmor* f = w->f;
    std::string outcome;
    auto box = [] { return std::string("box: ") + (ShownErrors().empty() ? "none" : ShownErrors().back()); };
    auto store = [](HKEY r) {
      int n = ValueCount(r, kKey);
      auto soglia = GetValue(r, kKey, "Soglia");
      return n <= 0 ? std::string("none") : std::to_string(n) + " values, Soglia " + (soglia ? std::to_string(soglia->Dword()) : "-");
    };
    switch (c.action) {
      case acAutostartOn:
      case acAutostartOff:
        if (c.action == acAutostartOff) {
          Click(f, f->autostart);  // on: the entries there are kept
          EXPECT_TRUE(ShownErrors().empty());
        }
        Click(f, f->autostart);
        outcome = std::string("mark ") + (f->autostart->Checked() ? "on" : "off") + "; Velmor in:";
        if (RunValue()) outcome += " HKLM";
        if (GetValue(user.Get(), kRun, "Velmor")) outcome += " HKCU";
        if (outcome.back() == ':') outcome += " none";
        outcome += "; " + box();
        break;
      case acQuit:
      case acEndSession:
        f->soglia->SetText("80");
        if (c.action == acQuit) {
          Quit(f);
        } else {
          EXPECT_EQ(SendMessageA(f->Handle(), WM_QUERYENDSESSION, 0, 0), TRUE) << "a log-off is never held up";
          EXPECT_EQ(SendMessageA(f->Handle(), WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0), TRUE) << "nor a suspend";
          SendMessageA(f->Handle(), WM_ENDSESSION, FALSE, 0);
          EXPECT_LE(std::max(ValueCount(root.Get(), kKey), ValueCount(user.Get(), kKey)), 0)
              << "a log-off called off stores nothing";
          SendMessageA(f->Handle(), WM_ENDSESSION, TRUE, 0);
        }
        outcome = std::string(f->Released() || w->app->Terminated() ? "ended" : "runs") + "; HKLM: " + store(root.Get()) +
                  "; HKCU: " + store(user.Get()) + "; " + box();
        break;
      case acStartUserWrittenLast:
      case acStartMachineWrittenLast:
        outcome = "threshold " + std::to_string(f->soglia->Value()) + ", action " + std::to_string(f->rgAllarme->ItemIndex());
        EXPECT_TRUE(ShownErrors().empty());
        break;
    }
    EXPECT_EQ(outcome, c.outcome);
    w.reset();
  }
}

// A key without values is no store, however new.
TEST_F(Settings, AKeyWithoutValuesIsNoStore) {
  // A user's key made after the machine's store, but empty.
  Store(60, 1, "English.lng", 0, 0, 0);
  ASSERT_TRUE(TRegKey::Create(user.Get(), kKey, KEY_ALL_ACCESS));
  auto w = Start();
  EXPECT_EQ(w->f->soglia->Value(), 60);

  // Only the user's store: the machine key start-up makes is newer, and empty.
  w.reset();
  SetUp();
  StoreIn(user.Get(), 90, 1, "English.lng", 0, 1, 1);
  w = Start();
  EXPECT_TRUE(KeyExists(root.Get(), kKey));
  EXPECT_EQ(w->f->soglia->Value(), 90);
}

// Two full stores that differ in every value, the user's written last (the machine's booleans
// the opposite of the defaults, so that a value taken from it shows), or the machine's alone;
// then a value missing or damaged in the newer store, the older, both, or the one alone. A value
// takes the newer store's, else the older's, else its default; the rest stand, and Quit writes
// all eight. Shown: threshold, action, language, autostart, on top, beep, notify.
TEST_F(Settings, EachValueComesFromTheNewerStoreElseTheOlderElseItsDefault) {
  enum TWhere { wrNone, wrNewer, wrOlder, wrBoth, wrAlone };
  struct Case {
    TWhere where;
    const char* name;
    DWORD type;  // REG_NONE: missing
    const char* shown;
  } cases[] = {
      {wrNone, "", REG_NONE, "77 1 English.lng 0 1 1 1"},
      {wrNewer, "Beep", REG_SZ, "77 1 English.lng 0 1 0 1"},
      {wrOlder, "Beep", REG_SZ, "77 1 English.lng 0 1 1 1"},
      {wrBoth, "Beep", REG_SZ, "77 1 English.lng 0 1 1 1"},
      {wrNewer, "Soglia", REG_SZ, "60 1 English.lng 0 1 1 1"},
      {wrBoth, "Soglia", REG_SZ, "50 1 English.lng 0 1 1 1"},
      {wrNewer, "Azione", REG_BINARY, "77 -1 English.lng 0 1 1 1"},
      {wrBoth, "Azione", REG_NONE, "77 0 English.lng 0 1 1 1"},
      {wrNewer, "Lingua", REG_DWORD, "77 1 Deutsch.lng 0 1 1 1"},
      {wrBoth, "Lingua", REG_MULTI_SZ, "77 1 Italiano.lng 0 1 1 1"},
      {wrNewer, "AutoStart", REG_QWORD, "77 1 English.lng 1 1 1 1"},
      {wrNewer, "OnTop", REG_NONE, "77 1 English.lng 0 0 1 1"},
      {wrNewer, "Notifica", REG_SZ, "77 1 English.lng 0 1 1 0"},
      {wrBoth, "Notifica", REG_NONE, "77 1 English.lng 0 1 1 1"},
      {wrAlone, "Soglia", REG_SZ, "50 -1 Deutsch.lng 1 0 0 0"},
      {wrAlone, "Azione", REG_BINARY, "60 0 Deutsch.lng 1 0 0 0"},
      {wrAlone, "Lingua", REG_NONE, "60 -1 Italiano.lng 1 0 0 0"},
      {wrAlone, "AutoStart", REG_NONE, "60 -1 Deutsch.lng 0 0 0 0"},
      {wrAlone, "OnTop", REG_SZ, "60 -1 Deutsch.lng 1 1 0 0"},
      {wrAlone, "Beep", REG_QWORD, "60 -1 Deutsch.lng 1 0 1 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.where) + " " + c.name + " " + std::to_string(c.type));
    SetUp();
    auto damage = [&](HKEY r) {
      RegDeleteValueA(TRegKey::Open(r, kKey, KEY_ALL_ACCESS).Get(), c.name);
      const std::string bytes(8, '\1');
      if (c.type != REG_NONE) PutRaw(r, kKey, c.name, c.type, bytes.data(), c.type == REG_QWORD ? 8 : 3);
    };
    StoreIn(root.Get(), 60, static_cast<DWORD>(-1), "Deutsch.lng", 1, 0, 0);
    PutDword(root.Get(), kKey, "Notifica", 0);
    if (c.where == wrOlder || c.where == wrBoth || c.where == wrAlone) damage(root.Get());
    if (c.where != wrAlone) {
      StoreIn(user.Get(), 77, 1, "English.lng", 0, 1, 1);
      PutDword(user.Get(), kKey, "Notifica", 1);
      if (c.where == wrNewer || c.where == wrBoth) damage(user.Get());
      MakeNewer(user.Get(), root.Get());
    }
    for (int start = 0; start < 2; ++start) {  // as stored, then as the Quit between wrote it
      auto w = Start();
      EXPECT_EQ(Shown(w->f) + " " + (w->f->Notifica1->Checked() ? "1" : "0"), c.shown) << start;
      EXPECT_EQ(Topmost(w->f), w->f->OnTop->Checked());
      Quit(w->f);
      EXPECT_EQ(ValueCount(root.Get(), kKey), 8);
    }
  }
}

}  // namespace
