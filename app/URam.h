// The main window: memory figures, threshold and alarm action, the chart area, the progress
// bar and the Defrag and Abort commands, with the engine that runs them.
#pragma once
#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include "components/Animate.h"
#include "components/FigureIcon.h"
#include "components/LineChart.h"
#include "components/MarginMenu.h"
#include "components/MenuPainter.h"
#include "components/OvColorBtns.h"
#include "components/OvVersCpt.h"
#include "components/TrayShell.h"
#include "app/Figures.h"
#include "app/RunEntry.h"
#include "app/Taskbar.h"
#include "engine/mxMaxMem.h"
#include "framework/Forms.h"
#include "framework/Controls.h"
#include "framework/ImgList.h"
#include "framework/Menus.h"
#include "framework/Paths.h"
#include "framework/Registry.h"
#include "framework/StdCtrls.h"
#include "framework/Timers.h"
#include "i18n/ProfileFile.h"

// What the window takes from its surroundings; the defaults are the real system.
struct TVelmorEnvironment {
  IMemorySystem* Memory = nullptr;     // Win32 memory status and blocks
  std::function<void()> Beep;          // MessageBeep(0)
  std::wstring ExeDir;                 // the executable's folder (any name Windows allows)
  std::wstring ExePath;                // the executable's full path, for the log-on entry
  HKEY SettingsRoot = HKEY_LOCAL_MACHINE;     // root of the settings key
  HKEY UserSettingsRoot = HKEY_CURRENT_USER;  // root of the user's own one, where that is refused
  HKEY RunRoot = HKEY_LOCAL_MACHINE;          // root of the system's log-on Run key
  HKEY UserRunRoot = HKEY_CURRENT_USER;       // root of the user's own Run key, likewise
  TShellNotify ShellNotify;            // Shell_NotifyIconA
  std::function<int(RECT&)> TaskbarEdge;  // where the taskbar is: ::TaskbarEdge
};

// The built-in English texts of the two keys that a language file may lack: files written before
// the notification existed do not have them, and they then show these instead of nothing.
inline constexpr const char* kBuiltInFreedText = "Freed %1 Mb - %2 Mb available";
inline constexpr const char* kBuiltInNotifyCaption = "Notify after a run";
// The same for the balloon after a run the system refused memory, a key later still.
inline constexpr const char* kBuiltInRefusedText = "The system refused more memory after %1 Mb";
// Likewise the caption of the memory figure in the tray icon, which came later still.
inline constexpr const char* kBuiltInMemoryIconCaption = "Memory in the tray icon";

class TfrmAbout;
class TFrmReadMe;

class TfrmVelmor : public TForm {
public:
  explicit TfrmVelmor(TComponent* AOwner, TVelmorEnvironment env = {});
  ~TfrmVelmor() override;

  // Controls, named as in the window description.
  TPanel* Panel2 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TAnimatedImage* ani = nullptr;
  TGroupBox* gb = nullptr;
  TSpinEdit* soglia = nullptr;
  TLabel* Label4 = nullptr;
  TRadioGroup* rgAllarme = nullptr;
  TPanel* Panel3 = nullptr;
  TChart* Chart1 = nullptr;
  TFastLineSeries* Series20 = nullptr;
  TPanel* Panel1 = nullptr;
  TProgressBar* ProgressBar = nullptr;
  TOvColorBtn* babort = nullptr;
  TOvColorBtn* bdefrag = nullptr;

  TmxMaxMem* Ov = nullptr;
  TTimer* Timer = nullptr;

  TTrayIcon* TI = nullptr;
  TMarginPopupMenu* poppa = nullptr;
  TImageList* ImageList1 = nullptr;
  TFlatMenuPainter* MenuPainter1 = nullptr;

  TOvVersionCaptionForm* fv = nullptr;
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem *File1, *Deframmenta2, *Abbandona2, *N2, *Riduciaicona1, *Chiudi2;
  TMenuItem *Language1, *Settings1, *Beep1, *autostart, *OnTop, *Help1, *ReadMe1, *About1;
  TMenuItem* Notifica1 = nullptr;  // Settings > notify after a run: the balloon at the tray icon
  TMenuItem* IconaMem1 = nullptr;  // Settings > memory in the tray icon: the figure as the icon
  // The tray popup's items (Ontop1 mirrors OnTop).
  TMenuItem *Ripristina1 = nullptr, *Iconizza1 = nullptr, *Deframmenta1 = nullptr, *Abbandona1 = nullptr,
            *Ontop1 = nullptr, *N1 = nullptr, *Chiudi1 = nullptr;

  // Memory figures in bytes, sampled anew at every call.
  uint64_t TotalRam();
  uint64_t FreeRam();
  uint64_t UsedRam();

  // Commands.
  void bdefragClick(TObject* Sender);
  void babortClick(TObject* Sender);
  void Riduciaicona1Click(TObject* Sender);
  void Chiudi1Click(TObject* Sender);
  void Beep1Click(TObject* Sender);
  void autostartClick(TObject* Sender);
  void OnTopClick(TObject* Sender);
  void Notifica1Click(TObject* Sender);
  void IconaMem1Click(TObject* Sender);
  void ReadMe1Click(TObject* Sender);
  void About1Click(TObject* Sender);
  // The About window and the Readme viewer that About and Read me show, made after this
  // window; each is forgotten when it goes. Without one, its command does nothing.
  void SetAboutWindow(TfrmAbout* f);
  void SetReadmeWindow(TFrmReadMe* f);
  void Notification(TComponent* AComponent) override;

  // Language: the captions from the current language file, the Language menu and its clicks.
  void ApplyLanguage();
  void BuildLanguageMenu();
  void DoClick(TObject* Sender);

  // Engine events.
  void OvBeforeDefrag(TObject* Sender);
  void OvProgress(TObject* Sender, int Progress);
  void OvAfterDefrag(TObject* Sender);

  // Tray residence (URam.Tray.cpp).
  void PlaceNearTaskbar();
  void FormShow(TObject* Sender);
  void FormActivate(TObject* Sender);
  void Ripristina1Click(TObject* Sender);
  void poppaPopup(TObject* Sender);
  void poppaDrawMargin(TObject* Sender, HDC Canvas, const RECT& ARect);

  void FormCreate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void TimerTimer(TObject* Sender);

  // The end of the session: the settings are written as Quit writes them, silently. A display
  // or work-area change keeps the windows on the screen; a power query gets the default answer.
  LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override;

  bool Quitting() const { return FQuitting; }
  const std::wstring& ExeDir() const { return FExeDir; }
  const std::string& LangFile() const { return FLangFile; }

private:
  void CreateControls();  // the window description
  void PrimeChart();      // the chart's axis maximum and its first 201 points
  void CreateTray();      // its tray icon, popup menu and image list
  void EnterTray();       // the end of start-up: hidden, in the tray
  // Whether a window with this outer rectangle stands where PlaceNearTaskbar puts one of its
  // size; false when there is no taskbar to ask.
  bool AtTaskbarCorner(const RECT& outer);
  // The screen's size or the work area changed: the window back on the screen, in its corner
  // when it was there, and so the About window and the viewer when they show.
  void ScreenChanged();
  POINT FCorner{INT_MIN, INT_MIN};  // where PlaceNearTaskbar last put the window
  void SwapDefragAbortItems();
  // After a run that was not aborted: what it freed, or where the system refused it memory, in
  // a balloon at the tray icon.
  void ReportRun(uint64_t availBefore, uint64_t availAfter);
  // The tray icon shows the percentage of memory in use while IconaMem1 is checked, the
  // ordinary icon otherwise; ShowFigure makes a new icon only for a new figure (or size).
  void ApplyMemoryIcon();
  void ShowFigure(const TMemoryStatus& sample);
  TFigureIcon FFigure;
  IMemorySystem* FMemory;
  std::function<void()> FBeep;
  TShellNotify FShellNotify;
  std::function<int(RECT&)> FTaskbarEdge;
  bool FQuitting = false;
  bool FAlarmBeeped = false;
  // The automatic run's latch, as the beep's: one run per alarm episode, so that a run that could
  // not free enough is not repeated every second.
  bool FAlarmRan = false;
  int64_t FNextPumpMs = 0;  // a run's progress events pump the queue from this moment on
  std::wstring FExeDir;  // wide, so that files in it are reached whatever its name
  std::string FLangFile = "Italiano.lng";
  std::string FFreeMemText, FTotalMemText;
  std::string FFreedText = kBuiltInFreedText;  // the balloon's text, with %1 and %2
  std::string FRefusedText = kBuiltInRefusedText;  // the same after a refused run

  // Settings and the log-on entry (URam.Settings.cpp).
  void LoadSettings();
  void SaveSettings();
  // The eight values from the open keys of the two stores, each on its own: from the newer
  // store, else from the older, else its default. Never raises.
  void ReadSettings(const TRegistry& newer, const TRegistry& older);
  // The eight values into the open key of reg, in their stored order; raises on the first
  // value that fails.
  void WriteSettings(TRegistry& reg);
  // The threshold's maximum: the machine's memory in whole megabytes.
  int ThresholdMaximum();
  void ApplyOnTop();
  HKEY FSettingsRoot, FUserSettingsRoot;
  HKEY FRunRoot, FUserRunRoot;
  std::wstring FExePath;
  std::unique_ptr<TRegistry> FRegistry;  // from start-up to Quit, with no key open between

  int32_t FLangCount = 0;                  // language items made so far; names them a1, a2, ...
  std::vector<std::pair<TMenuItem*, std::string>> FLangItems;  // each language item and its file
  std::unique_ptr<TProfileFile> FLangIni;  // the language file, open only while it is applied
  TfrmAbout* FAbout = nullptr;
  TFrmReadMe* FReadme = nullptr;
};


// The language file a stored "Lingua" names: the value itself when it is a bare file name of
// the program's folder, else the default "Italiano.lng" (a path, a drive, "..", a device name
// or an overlong value is never opened).
std::string StoredLanguageFile(const std::string& lingua);

// At most this many language files are listed (the first ones in name order), each with a
// command of its own from cmLanguageFirst on.
constexpr int kMaxLanguageItems = 1000;

