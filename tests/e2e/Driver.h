// A small Win32 program that drives the real velmor.exe inside the Wine virtual desktop: it
// starts the program, finds its windows, sends the messages a user's clicks would, reads back
// captions and state, and asks the shell around it for screenshots.
#pragma once
#include <windows.h>
#include <cstdio>
#include <functional>
#include <string>

class Driver {
public:
  Driver(std::string exe, std::string artifacts, std::string scenario);
  ~Driver();

  // Starts the program (exe, or the one given on the command line) and waits for its window.
  bool Start(const std::wstring& exe = std::wstring());
  // The program the next Start runs.
  void SetExe(std::string exe) { FExe = std::move(exe); }
  HWND MainWindow() const { return FMain; }
  DWORD ExitCode();
  // Ends the program as the system does at the end of a session, and waits until it is gone.
  bool Kill();
  bool WaitForExit(DWORD ms);
  // Polls until pred holds; false after the limit. The limit only guards against a hang.
  bool WaitUntil(const std::function<bool()>& pred, DWORD limitMs = 30000);
  // A top-level window of the program with this class name, or null.
  HWND FindTopLevel(const char* cls) const;
  // text: the caption without accelerator marks.
  HWND FindChild(HWND parent, const char* cls, const char* text = nullptr) const;
  // A visible top-level window of this class, of any process, that has these style bits; or
  // null. The system keeps hidden menu and tooltip windows around.
  static HWND Shown(const char* cls, DWORD style = 0);
  // Whether the thread of this window is tracking a menu (a drop-down, a popup, or the menu bar
  // itself, as after Escape has closed a drop-down).
  static bool InMenuMode(HWND w);
  static std::string Text(HWND h);
  // A caption without its accelerator marks.
  static std::string Plain(std::string s);
  // Saves the whole screen as <artifacts>/<name>.png (taken by the shell around Wine).
  bool Shot(const std::string& name);
  // Runs xdotool with these arguments in the X display around Wine (pointer moves, clicks, keys).
  bool Xdo(const std::string& args);
  // Moves the real mouse to (x, y) of the screen, and clicks there when click is set.
  bool Mouse(bool click, int x, int y);

  void Check(bool ok, const std::string& what);
  int Failed() const { return FFailed; }
  void Log(const std::string& line);
  int Finish();

  const std::string& Exe() const { return FExe; }
  const std::string& Artifacts() const { return FArtifacts; }

private:
  std::string FExe, FArtifacts, FScenario;
  PROCESS_INFORMATION FPi{};
  HWND FMain = nullptr;
  FILE* FLog = nullptr;
  int FPassed = 0, FFailed = 0;
};

// Shared by the scenarios: a double click on the tray icon and the wait for the window; a first
// start with no settings, restored from the tray (the main window, or null); a value of the
// settings key ("" when missing, DWORDs as decimal text).
bool RestoreWindow(Driver& d);
HWND StartRestored(Driver& d);
std::string StoredSetting(const char* name);
// The scenarios of folders with any name, and of a second start.
int FoldersScenario(Driver& d);
int TwoCopiesScenario(Driver& d);
// Restore after the window was dragged away by its title bar.
int DragScenario(Driver& d);
// The memory figure in the tray icon, switched on and stored.
int TrayFigureScenario(Driver& d);
