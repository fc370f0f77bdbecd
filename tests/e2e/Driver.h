// A small Win32 program that drives the real velmor.exe inside the Wine virtual desktop: it
// starts the program, finds its windows, sends the messages a user's clicks would, reads back
// captions and state, and asks the shell around it for screenshots.
//
// A step never sleeps for a guessed time: it waits for what it expects (a window shown, a
// popup open, a pixel in its new colour, a value written), with a deadline that only guards
// against a hang. A click, a key or a screenshot that the display refuses fails the scenario
// with the tool's own message.
#pragma once
#include <windows.h>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

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
  // Whether the thread of this window runs the system's loop that moves or sizes a window.
  static bool InMoveSize(HWND w);
  static std::string Text(HWND h);
  // A caption without its accelerator marks.
  static std::string Plain(std::string s);
  // Saves the whole screen as <artifacts>/<name>.png (taken by the shell around Wine), once
  // the screen has settled. A picture not taken fails the scenario.
  bool Shot(const std::string& name);
  // Runs xdotool with these arguments in the X display around Wine (pointer moves, clicks, keys).
  // A refused command fails the scenario with xdotool's message.
  bool Xdo(const std::string& args);
  // Moves the real mouse to (x, y) of the screen, and clicks there when click is set.
  bool Mouse(bool click, int x, int y);

  // The thread of window w (the main window when null) has answered a sent message: it has
  // handled everything sent to it before and is back in its message loop.
  bool Idle(HWND w = nullptr, DWORD limitMs = 10000);
  // Every visible window has painted what it was asked to, the program is idle, and the screen
  // reads the same twice in a row: what a screenshot or a pixel check should see.
  bool Settled(DWORD limitMs = 10000);
  // A shown popup menu (#32768) of the program, once its thread tracks it; or null.
  HWND OpenedMenu(DWORD limitMs = 10000);
  // Sends a command to w and waits until its handler has returned (false after the limit:
  // the handler hangs or runs a loop of its own).
  bool Command(HWND w, WORD id, DWORD limitMs = 10000);
  // The screen's pixels, as the program drew them: one, or a rectangle's (row by row).
  static COLORREF ScreenPixel(int x, int y);
  static std::vector<DWORD> ScreenArea(const RECT& r);

  void Check(bool ok, const std::string& what);
  int Failed() const { return FFailed; }
  void Log(const std::string& line);
  int Finish();

  const std::string& Exe() const { return FExe; }
  const std::string& Artifacts() const { return FArtifacts; }

private:
  std::string FExe, FArtifacts, FScenario;
  // The shell's answer to a request file: "" when done, else its error (or that none came).
  std::string Request(const char* file, const std::string& content);
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
// The resolution changes under the shown window.
int ScreenScenario(Driver& d);
// Every window at 144 pixels per inch (a prefix of its own).
int DpiScenario(Driver& d);
// Tab round the main window; Escape and Enter out of About and the Readme viewer.
int KeyboardScenario(Driver& d);
