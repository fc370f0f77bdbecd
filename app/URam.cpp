#include "app/URam.h"
#include "framework/Application.h"
#include "framework/Paths.h"
#include "windows/UAbout.h"
#include "windows/UFrmReadme.h"

TfrmVelmor::TfrmVelmor(TComponent* AOwner, TVelmorEnvironment env)
    : TForm(AOwner, "TfrmVelmor"),
      FMemory(env.Memory ? env.Memory : &Win32MemorySystem()),
      FBeep(env.Beep ? env.Beep : [] { MessageBeep(0); }),
      FShellNotify(env.ShellNotify ? env.ShellNotify : SystemShellNotify),
      FTaskbarEdge(env.TaskbarEdge ? env.TaskbarEdge : ::TaskbarEdge),
      FExeDir(env.ExeDir),
      FSettingsRoot(env.SettingsRoot),
      FUserSettingsRoot(env.UserSettingsRoot),
      FRunRoot(env.RunRoot),
      FUserRunRoot(env.UserRunRoot),
      FExePath(env.ExePath) {
  CreateControls();
  Loaded();
  DoCreate();
  EnterTray();
}

TfrmVelmor::~TfrmVelmor() = default;

// ---- memory figures ---------------------------------------------------------------------------

uint64_t TfrmVelmor::TotalRam() { return FMemory->Status().TotalPhys; }
uint64_t TfrmVelmor::FreeRam() { return FMemory->Status().AvailPhys; }
uint64_t TfrmVelmor::UsedRam() {
  TMemoryStatus s = FMemory->Status();
  return s.TotalPhys - s.AvailPhys;
}

// ---- start-up and closing ---------------------------------------------------------------------

void TfrmVelmor::FormCreate(TObject* Sender) {
  // A failed placement is reported; the rest of start-up still runs.
  Guarded(this, [this] { PlaceNearTaskbar(); });
  if (FExeDir.empty()) FExeDir = ExeFolderW();
  LoadSettings();
  ApplyOnTop();
  ApplyMemoryIcon();
  // The threshold cannot exceed the machine's memory in whole megabytes.
  soglia->SetMaxValue(ThresholdMaximum());
  Label1->SetCaption(MemoryLine(FTotalMemText, TotalRam()));
  Label2->SetCaption(MemoryLine(FFreeMemText, FreeRam()));
  PrimeChart();
  // Last, once the settings have named the language file: the menu of languages, then the texts.
  BuildLanguageMenu();
  ApplyLanguage();
}

void TfrmVelmor::FormClose(TObject* Sender, TCloseAction& Action) {
  if (!FQuitting) {
    // Every close but Quit only hides: the program goes on running.
    ShowWindow(Handle(), SW_HIDE);
    Action = caNone;
    return;
  }
  try {
    SaveSettings();
  } catch (...) {
    // The close is abandoned and the program runs on as it was: a later close box only hides
    // again, a later Quit tries the writes again. The error box shows what failed.
    FQuitting = false;
    Action = caNone;
    throw;
  }
  Action = caFree;
}

// A tray program is ended by the end of the session far more often than by Quit, so the session's
// end keeps the settings too. Nothing else of Quit runs: the system ends the process itself.
LRESULT TfrmVelmor::WndProc(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_QUERYENDSESSION:
      return TRUE;  // never holds up a log-off
    case WM_ENDSESSION:
      if (w) {
        // No box: the session is going, and nobody would be there to close it.
        try {
          SaveSettings();
        } catch (...) {
        }
      }
      return 0;
    // The resolution, or the taskbar's place or size: the window must stay on the screen.
    case WM_DISPLAYCHANGE:
      ScreenChanged();
      break;
    case WM_SETTINGCHANGE:
      if (w == SPI_SETWORKAREA) ScreenChanged();
      break;
    // What DefWindowProc answers on Windows: a suspend is granted. A 0 reads as a refusal to some.
    case WM_POWERBROADCAST:
      return TRUE;
  }
  return TForm::WndProc(msg, w, l);
}

// ---- commands ---------------------------------------------------------------------------------

void TfrmVelmor::SwapDefragAbortItems() {
  Deframmenta2->SetVisible(Timer->Enabled());
  Abbandona2->SetVisible(!Deframmenta2->Visible());
}

void TfrmVelmor::bdefragClick(TObject* Sender) {
  // The timer's enabled flag is the idle flag: a run is under way while it is off.
  if (!Timer->Enabled()) return;
  Timer->SetEnabled(false);
  SwapDefragAbortItems();
  const uint64_t before = FMemory->Status().AvailPhys;
  Ov->Defrag();
  // A run that failed has left by now with its error; an aborted one, or one that Quit ended,
  // tells nothing.
  if (!Ov->Aborted() && !FQuitting) ReportRun(before, FMemory->Status().AvailPhys);
}

void TfrmVelmor::ReportRun(uint64_t availBefore, uint64_t availAfter) {
  if (!Notifica1->Checked()) return;
  // At the tray icon, so it is seen whether the window shows or not.
  // A run the system refused memory part way gave everything back as it should, but freed
  // less than a whole run would: it says so rather than pass for one.
  const int refusedAfter = Ov->RefusedAfter();
  TI->ShowBalloon("Velmor", refusedAfter >= 0
                                ? RefusalReport(FRefusedText, refusedAfter, availAfter, ThousandSeparator())
                                : RunReport(FFreedText, availBefore, availAfter, ThousandSeparator()));
}

void TfrmVelmor::babortClick(TObject* Sender) {
  if (Timer->Enabled()) return;
  Ov->Abort();
}

void TfrmVelmor::Riduciaicona1Click(TObject* Sender) { Close(); }

void TfrmVelmor::Chiudi1Click(TObject* Sender) {
  FQuitting = true;
  // A run still on the stack gives back its blocks before the window and the engine go.
  if (Ov->Running()) Ov->Abort();
  Close();
}

void TfrmVelmor::Beep1Click(TObject* Sender) { Beep1->SetChecked(!Beep1->Checked()); }

void TfrmVelmor::Notifica1Click(TObject* Sender) { Notifica1->SetChecked(!Notifica1->Checked()); }

void TfrmVelmor::IconaMem1Click(TObject* Sender) {
  IconaMem1->SetChecked(!IconaMem1->Checked());
  ApplyMemoryIcon();
}

void TfrmVelmor::SetAboutWindow(TfrmAbout* f) {
  if (FAbout) RemoveFreeNotification(FAbout);
  FAbout = f;
  if (f) FreeNotification(f);
}

void TfrmVelmor::SetReadmeWindow(TFrmReadMe* f) {
  if (FReadme) RemoveFreeNotification(FReadme);
  FReadme = f;
  if (f) FreeNotification(f);
}

void TfrmVelmor::Notification(TComponent* AComponent) {
  TForm::Notification(AComponent);
  if (AComponent == FAbout) FAbout = nullptr;
  if (AComponent == FReadme) FReadme = nullptr;
}

// The Readme viewer is a window of the application's, made after this one; while it shows,
// modal, another Read me does nothing.
void TfrmVelmor::ReadMe1Click(TObject* Sender) {
  if (FReadme && !FReadme->Visible() && !FReadme->Modal()) FReadme->ShowModal();
}

// The About window, like the viewer, is the application's; while it shows, modal, another
// About does nothing.
void TfrmVelmor::About1Click(TObject* Sender) {
  if (FAbout && !FAbout->Visible() && !FAbout->Modal()) FAbout->ShowModal();
}

// ---- engine events ----------------------------------------------------------------------------

namespace {
// How often a run lets the window repaint and take commands: about a screen frame, so the bar
// moves smoothly and an Abort waits no longer than that.
const int kPumpIntervalMs = 16;

int64_t NowMs() {
  LARGE_INTEGER c, f;
  QueryPerformanceCounter(&c);
  QueryPerformanceFrequency(&f);
  return c.QuadPart / (f.QuadPart / 1000 > 0 ? f.QuadPart / 1000 : 1);
}
}  // namespace

void TfrmVelmor::OvBeforeDefrag(TObject* Sender) {
  Timer->SetEnabled(false);
  ProgressBar->Show();
  FNextPumpMs = 0;  // the first step shows the bar at once
}

void TfrmVelmor::OvProgress(TObject* Sender, int Progress) {
  ProgressBar->SetPosition(Progress);
  // A run fires up to 2,048 events, most a millisecond or less apart, and every look at the
  // queue is a trip to the window server (under Wine a slow one). The queue waits for the next
  // frame: nothing in it is lost, it is only handled a few milliseconds later.
  int64_t now = NowMs();
  if (now < FNextPumpMs) return;
  FNextPumpMs = now + kPumpIntervalMs;
  Application->ProcessMessages();
}

void TfrmVelmor::OvAfterDefrag(TObject* Sender) {
  Timer->SetEnabled(true);
  ProgressBar->Hide();
  SwapDefragAbortItems();
}
