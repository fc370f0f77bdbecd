// A long run of the main window, phase by phase: 1,000 defragmentation runs of 32 blocks (300 of
// them aborted at a random step), 100,000 ticks while hidden, 100,000 more with the memory figure
// in the tray icon new at every one, 10,000 times shown from the tray
// and hidden again, 1,000 language switches, 5,000 ticks shown and repainted with the alarm
// going on and off, 1,000 tray popups. Before and after each phase it counts the process's
// kernel handles, GDI objects, USER objects and private bytes; what a tray program leaks over
// months shows here as growth.
//
// GetGuiResources, GetProcessHandleCount and the private-usage figure answer 0 under Wine: GDI
// objects are counted by the framework's own wrappers (as the monitor benchmark does), USER
// objects as the windows the process owns, handles by asking the system about each handle value,
// private bytes as the committed private regions of the address space.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>
#include "app/URam.h"
#include "bench/BenchSupport.h"
#include "framework/Application.h"
#include "support/ProcessCounts.h"
#include "support/MenuCloser.h"

namespace {

struct Counts {
  int Handles = 0;
  int Gdi = 0;
  int User = 0;
  size_t PrivateBytes = 0;
};

BOOL CALLBACK CountChild(HWND, LPARAM l) {
  ++*reinterpret_cast<int*>(l);
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND h, LPARAM l) {
  ++*reinterpret_cast<int*>(l);
  EnumChildWindows(h, CountChild, l);
  return TRUE;
}

Counts Measure() {
  Counts c;
  c.Handles = OpenHandles();
  c.Gdi = gdi::LiveObjects();
  EnumThreadWindows(GetCurrentThreadId(), CountTopLevel, (LPARAM)&c.User);
  c.PrivateBytes = CommittedPrivateBytes();
  return c;
}

bool within = true;

void Row(const char* phase, const Counts& a, const Counts& b) {
  long long dp = (long long)b.PrivateBytes - (long long)a.PrivateBytes;
  int dh = b.Handles - a.Handles;
  // Only growth counts: a phase that ends with fewer objects or bytes than it began with (a
  // cache the system trimmed, a handle closed late) leaks nothing.
  bool ok = b.Gdi <= a.Gdi && b.User <= a.User && dh <= 2 && dp <= (1 << 20);
  bool fell = b.Gdi < a.Gdi || b.User < a.User || dh < -2 || dp < -(1 << 20);
  within = within && ok;
  printf("| %-36s | %5d -> %5d | %4d -> %4d | %4d -> %4d | %8.2f -> %8.2f MB | %-5s |\n", phase, a.Handles, b.Handles,
         a.Gdi, b.Gdi, a.User, b.User, a.PrivateBytes / 1048576.0, b.PrivateBytes / 1048576.0, !ok ? "GROWS" : fell ? "falls" : "flat");
  fflush(stdout);
}

void WriteFile(const std::string& path, const char* text) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD done = 0;
  ::WriteFile(h, text, (DWORD)strlen(text), &done, nullptr);
  CloseHandle(h);
}

}  // namespace

int main() {
  // The program's folder: two languages to switch between.
  char tmp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, tmp);
  std::string dir = std::string(tmp) + "velmor-soak";
  CreateDirectoryA(dir.c_str(), nullptr);
  WriteFile(dir + "\\English.lng",
            "[FLAG]\r\nIndex=EN\r\n[MAINFILE]\r\nDefrag=&Defragment\r\nAbort=&Abort\r\nClose=&Hide\r\nQuit=E&xit\r\n"
            "Open=&Restore\r\n[LABELS]\r\nFreeMem=Available memory:\r\nTotalMem=Total memory:\r\n");
  WriteFile(dir + "\\Italiano.lng",
            "[FLAG]\r\nIndex=IT\r\n[MAINFILE]\r\nDefrag=&Deframmenta\r\nAbort=&Abbandona\r\nClose=Riduci a &icona\r\n"
            "Quit=&Chiudi\r\nOpen=&Ripristina\r\n[LABELS]\r\nFreeMem=Memoria disponibile:\r\nTotalMem=Memoria totale:\r\n");

  TApplication app;
  app.SetTitle("Velmor");
  TVelmorEnvironment env = HeadlessEnvironment(app);
  env.ExeDir = Widen(dir);
  TSwingingMemory memory;
  env.Memory = &memory;
  auto* f = app.CreateForm<TfrmVelmor>(env);
  f->Timer->SetInterval(0x7FFFFFFF);  // ticks are driven here
  app.ProcessMessages();

  printf("soak: counts before and after each phase (target: no more GDI or USER objects, at most 2 more handles and 1 MB more private bytes)\n");
  printf("| %-36s | %-14s | %-12s | %-12s | %-25s |      |\n", "phase", "handles", "GDI", "USER", "private bytes");

  // 1. Runs of 32 blocks through the window's own events; 300 of the 1,000 aborted at a random
  // step by the Abort command.
  std::mt19937 rng(17);
  std::vector<int> abortAt(1000, 0);
  for (int i = 0; i < 300; ++i) abortAt[i] = 1 + (int)(rng() % 64);
  std::shuffle(abortAt.begin(), abortAt.end(), rng);
  const TOnProgress progress = f->Ov->OnProgress;
  int step = 0, target = 0;
  f->Ov->OnProgress = [&](TObject* s, int p) {
    progress(s, p);
    if (++step == target) f->babortClick(f);
  };
  auto run = [&](int abortStep) {
    step = 0;
    target = abortStep;
    f->Timer->SetEnabled(false);
    f->Ov->DefragMemory(32);
  };
  run(0);  // warm-up: first-time allocations are not growth
  Counts a = Measure();
  for (int i = 0; i < 1000; ++i) run(abortAt[i]);
  Counts b = Measure();
  Row("1,000 runs of 32 blocks, 300 aborted", a, b);
  f->Ov->OnProgress = progress;

  // 2. Ticks while hidden.
  f->soglia->SetValue(0);
  f->TimerTimer(f->Timer);
  a = Measure();
  for (int i = 0; i < 100000; ++i) f->TimerTimer(f->Timer);
  b = Measure();
  Row("100,000 ticks, hidden", a, b);

  // 2b. Ticks while hidden with the memory figure in the tray icon, a new figure at every one.
  f->IconaMem1Click(f);
  memory.Swing = true;
  f->TimerTimer(f->Timer);
  a = Measure();
  for (int i = 0; i < 100000; ++i) f->TimerTimer(f->Timer);
  b = Measure();
  Row("100,000 ticks, figure icon changing", a, b);
  memory.Swing = false;
  f->IconaMem1Click(f);

  // 3. Shown from the tray (Restore) and hidden again (Hide to tray).
  auto toggle = [&] {
    f->Ripristina1Click(f);
    app.ProcessMessages();
    f->Riduciaicona1Click(f);
    app.ProcessMessages();
  };
  toggle();
  a = Measure();
  for (int i = 0; i < 10000; ++i) toggle();
  b = Measure();
  Row("10,000 tray show/hide toggles", a, b);

  // 4. Language switches from the Language menu.
  TMenuItem* english = f->Language1->Item(0);
  TMenuItem* italiano = f->Language1->Item(1);
  f->DoClick(english);
  f->DoClick(italiano);
  a = Measure();
  for (int i = 0; i < 500; ++i) {
    f->DoClick(english);
    f->DoClick(italiano);
  }
  b = Measure();
  Row("1,000 language switches", a, b);

  // 5. Ticks while shown, the alarm going on and off every seven ticks (the tray icon's and the
  // image's blinking with it), the whole window repainted after each.
  f->rgAllarme->SetItemIndex(0);  // only warn: the alarm starts no run here
  f->Ripristina1Click(f);
  auto shownTick = [&](int i) {
    f->soglia->SetValue((i / 7) % 2 ? f->soglia->MaxValue() : 0);
    f->TimerTimer(f->Timer);
    f->ani->Timer()->Tick();
    RedrawWindow(f->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  };
  // Warm-up: over its first few dozen shown ticks the process still grows by some megabytes
  // (first paints of every layer and frame) and then stays flat.
  for (int i = 0; i < 140; ++i) shownTick(i);
  a = Measure();
  for (int i = 0; i < 5000; ++i) shownTick(i);
  b = Measure();
  Row("5,000 ticks shown and repainted", a, b);
  f->soglia->SetValue(0);
  f->Riduciaicona1Click(f);

  // 6. The tray icon's popup opened by a right click, its margin painted, closed again.
  const TNotifyEvent popup = f->poppa->OnPopup;
  f->poppa->OnPopup = [&](TObject* s) {
    popup(s);
    CloseMenuSoon();
  };
  auto openPopup = [&] {
    SendMessageA(f->TI->Handle(), WM_TRAYICONNOTIFY, 0, WM_RBUTTONDOWN);
    SendMessageA(f->TI->Handle(), WM_TRAYICONNOTIFY, 0, WM_RBUTTONUP);
  };
  openPopup();
  a = Measure();
  for (int i = 0; i < 1000; ++i) openPopup();
  b = Measure();
  Row("1,000 tray popups with their margin", a, b);
  f->poppa->OnPopup = popup;

  printf("soak: %s\n", within ? "no growth beyond noise" : "GROWTH beyond noise");
  DeleteFileA((dir + "\\English.lng").c_str());
  DeleteFileA((dir + "\\Italiano.lng").c_str());
  RemoveDirectoryA(dir.c_str());
  return 0;
}
