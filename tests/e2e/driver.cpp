// End-to-end scenarios against the real program. Usage:
//   driver.exe SCENARIO Z:\path\velmor.exe Z:\path\artifacts
// Each check is logged to <artifacts>/e2e-SCENARIO.log, which ends with "N passed, M failed".
#include "tests/e2e/Driver.h"
#include <commctrl.h>
#include <algorithm>
#include <vector>
#include "app/Commands.h"
#include "framework/Gdi.h"
#include "tests/FileBytes.h"
#include "tests/WindowSearch.h"

Driver::Driver(std::string exe, std::string artifacts, std::string scenario)
    : FExe(std::move(exe)), FArtifacts(std::move(artifacts)), FScenario(std::move(scenario)) {
  FLog = fopen((FArtifacts + "\\e2e-" + FScenario + ".log").c_str(), "w");
}

Driver::~Driver() {
  if (FPi.hProcess) {
    if (WaitForSingleObject(FPi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(FPi.hProcess, 99);
    CloseHandle(FPi.hProcess);
    CloseHandle(FPi.hThread);
  }
  if (FLog) fclose(FLog);
}

void Driver::Log(const std::string& line) {
  if (FLog) {
    fprintf(FLog, "%s\n", line.c_str());
    fflush(FLog);
  }
}

void Driver::Check(bool ok, const std::string& what) {
  (ok ? FPassed : FFailed)++;
  Log(std::string(ok ? "PASS " : "FAIL ") + what);
}

int Driver::Finish() {
  Log(std::to_string(FPassed) + " passed, " + std::to_string(FFailed) + " failed");
  return FFailed ? 1 : 0;
}

bool Driver::Start(const std::wstring& exe) {
  if (FPi.hProcess) {  // a restart: let go of the previous copy
    CloseHandle(FPi.hProcess);
    CloseHandle(FPi.hThread);
    FPi = PROCESS_INFORMATION{};
  }
  FMain = nullptr;
  std::wstring path = exe;
  if (path.empty()) {
    path.resize(FExe.size());
    path.resize(MultiByteToWideChar(CP_ACP, 0, FExe.data(), (int)FExe.size(), &path[0], (int)path.size()));
  }
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  std::wstring cmd = L"\"" + path + L"\"";
  if (!CreateProcessW(path.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &FPi)) {
    Log("cannot start the program, error " + std::to_string(GetLastError()));
    return false;
  }
  WaitForInputIdle(FPi.hProcess, 20000);
  WaitUntil([&] { return (FMain = FindTopLevel("TfrmVelmor")) != nullptr; });
  return FMain != nullptr;
}

DWORD Driver::ExitCode() {
  DWORD c = STILL_ACTIVE;
  if (FPi.hProcess) GetExitCodeProcess(FPi.hProcess, &c);
  return c;
}

bool Driver::Kill() {
  return FPi.hProcess && TerminateProcess(FPi.hProcess, 1) && WaitForSingleObject(FPi.hProcess, 30000) == WAIT_OBJECT_0;
}

bool Driver::WaitForExit(DWORD ms) { return FPi.hProcess && WaitForSingleObject(FPi.hProcess, ms) == WAIT_OBJECT_0; }

bool Driver::WaitUntil(const std::function<bool()>& pred, DWORD limitMs) {
  DWORD start = GetTickCount();
  while (!pred()) {
    if (GetTickCount() - start > limitMs) return false;
    Sleep(50);
  }
  return true;
}

HWND Driver::FindTopLevel(const char* cls) const {
  // Before a start, of any process.
  return FindWindowWhere(nullptr, [&](HWND h) {
    return (!FPi.dwProcessId || ProcessOf(h) == FPi.dwProcessId) && HasClass(h, cls);
  });
}

HWND Driver::FindChild(HWND parent, const char* cls, const char* text) const {
  return FindWindowWhere(parent, [&](HWND h) { return HasClass(h, cls) && (!text || Plain(Text(h)) == text); });
}

HWND Driver::Shown(const char* cls, DWORD style) {
  return FindWindowWhere(nullptr, [&](HWND h) {
    return HasClass(h, cls) && IsWindowVisible(h) && (GetWindowLongA(h, GWL_STYLE) & style) == style;
  });
}

namespace {
DWORD GuiFlags(HWND w) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  DWORD thread = GetWindowThreadProcessId(w, nullptr);
  return thread && GetGUIThreadInfo(thread, &info) ? info.flags : 0;
}
}  // namespace

bool Driver::InMenuMode(HWND w) { return GuiFlags(w) & GUI_INMENUMODE; }
bool Driver::InMoveSize(HWND w) { return GuiFlags(w) & GUI_INMOVESIZE; }

std::string Driver::Plain(std::string s) {
  std::string out;
  for (char c : s)
    if (c != '&') out += c;
  return out;
}

std::string Driver::Text(HWND h) {
  char buf[512] = {};
  SendMessageTimeoutA(h, WM_GETTEXT, sizeof(buf), (LPARAM)buf, SMTO_ABORTIFHUNG, 5000, nullptr);
  return buf;
}

// Writes a request for the shell watching the artifacts folder and waits until it has gone. The
// shell leaves <file>.err beside it, with the tool's message, when the tool failed.
std::string Driver::Request(const char* file, const std::string& content) {
  std::string req = FArtifacts + "\\" + file, err = req + ".err";
  DeleteFileA(err.c_str());
  // Written whole under another name first: the shell never reads half a request.
  if (!WriteFileBytes(req + ".new", content) || !MoveFileExA((req + ".new").c_str(), req.c_str(), MOVEFILE_REPLACE_EXISTING))
    return "cannot write " + req;
  if (!WaitUntil([&] { return GetFileAttributesA(req.c_str()) == INVALID_FILE_ATTRIBUTES; }, 30000))
    return "no answer from the shell within 30 s";
  std::string message = ReadFileBytes(err);
  DeleteFileA(err.c_str());
  if (GetFileAttributesA(err.c_str()) != INVALID_FILE_ATTRIBUTES) return "cannot remove " + err;
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
  return message;
}

bool Driver::Shot(const std::string& name) {
  if (!Settled()) Log("note: the screen had not settled within 10 s before " + name);
  std::string error = Request(".shot", name);
  std::string png = FArtifacts + "\\" + name + ".png";
  if (error.empty() && GetFileAttributesA(png.c_str()) == INVALID_FILE_ATTRIBUTES) error = "no file " + png;
  if (!error.empty()) Check(false, "screenshot " + name + ": " + error);
  else Log("shot " + name);
  return error.empty();
}

bool Driver::Xdo(const std::string& args) {
  std::string error = Request(".xdo", args);
  if (!error.empty()) Check(false, "xdotool " + args + ": " + error);
  else Log("xdotool " + args);
  return error.empty();
}

bool Driver::Mouse(bool click, int x, int y) {
  return Xdo("mousemove " + std::to_string(x) + " " + std::to_string(y) + (click ? " click 1" : ""));
}

bool Driver::Idle(HWND w, DWORD limitMs) {
  if (!w) w = FMain;
  DWORD_PTR r = 0;
  return w && SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, limitMs, &r) != 0;
}

bool Driver::Command(HWND w, WORD id, DWORD limitMs) {
  DWORD_PTR r = 0;
  return w && SendMessageTimeoutA(w, WM_COMMAND, id, 0, SMTO_ABORTIFHUNG, limitMs, &r) != 0;
}

COLORREF Driver::ScreenPixel(int x, int y) {
  HDC dc = GetDC(nullptr);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(nullptr, dc);
  return c;
}

std::vector<DWORD> Driver::ScreenArea(const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  std::vector<DWORD> px(w > 0 && h > 0 ? (size_t)w * h : 0);
  if (px.empty()) return px;
  gdi::Dib dib(w, h);
  if (!dib.Bits()) return {};
  gdi::WindowDC screen(nullptr);
  BitBlt(dib.DC(), 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  memcpy(px.data(), dib.Bits(), px.size() * sizeof(DWORD));
  return px;
}

namespace {
// Whether a visible window (or a child of one) still has a part to paint.
BOOL CALLBACK UnpaintedChild(HWND h, LPARAM l) {
  if (IsWindowVisible(h) && GetUpdateRect(h, nullptr, FALSE)) *reinterpret_cast<bool*>(l) = true;
  return !*reinterpret_cast<bool*>(l);
}
BOOL CALLBACK AnyUnpainted(HWND h, LPARAM l) {
  if (!IsWindowVisible(h)) return TRUE;
  UnpaintedChild(h, l);
  if (!*reinterpret_cast<bool*>(l)) EnumChildWindows(h, UnpaintedChild, l);
  return !*reinterpret_cast<bool*>(l);
}
}  // namespace

bool Driver::Settled(DWORD limitMs) {
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  std::vector<DWORD> last;
  return WaitUntil([&] {
    bool unpainted = false;
    EnumWindows(AnyUnpainted, (LPARAM)&unpainted);
    if (unpainted || (FMain && IsWindow(FMain) && !Idle(FMain, 2000))) return false;
    std::vector<DWORD> now = ScreenArea(screen);
    bool same = now == last;
    last = std::move(now);
    return same;
  }, limitMs);
}

HWND Driver::OpenedMenu(DWORD limitMs) {
  HWND menu = nullptr;
  WaitUntil([&] {
    menu = FindWindowWhere(nullptr, [&](HWND h) {
      return HasClass(h, "#32768") && IsWindowVisible(h) && (!FPi.dwProcessId || ProcessOf(h) == FPi.dwProcessId);
    });
    return menu && InMenuMode(menu);
  }, limitMs);
  return menu && InMenuMode(menu) ? menu : nullptr;
}

// ---- scenarios --------------------------------------------------------------------------------

namespace {

// Opens the tray icon's popup menu with a right click; the menu window, or null.
HWND OpenPopup(Driver& d) {
  HWND tray = d.FindTopLevel("TTrayIconWindow");
  if (!tray) return nullptr;
  PostMessageA(tray, 0xB054, 0, WM_RBUTTONDOWN);
  PostMessageA(tray, 0xB054, 0, WM_RBUTTONUP);
  return d.OpenedMenu();
}

// Quit from the popup: its last item, reached with the Up key from the top. The menu's loop
// takes the keys in the order they were posted.
bool QuitFromPopup(Driver& d) {
  HWND menu = OpenPopup(d);
  if (!menu) return false;
  PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
  PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
  return d.WaitForExit(30000);
}

// The program starts in the tray; a double click on its icon brings the window up.
bool Restore(Driver& d) {
  HWND tray = d.FindTopLevel("TTrayIconWindow");
  if (!tray) return false;
  PostMessageA(tray, 0xB054, 0, WM_LBUTTONDBLCLK);
  return d.WaitUntil([&] { return IsWindowVisible(d.MainWindow()) != FALSE; }, 15000);
}

// A first start with no settings, up to its tray icon: the main window, or null.
HWND StartInTray(Driver& d) {
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Tolvane\\Velmor");
  d.Check(d.Start(), "velmor.exe starts");
  HWND w = d.MainWindow();
  if (!w) return nullptr;
  d.Check(d.WaitUntil([&] { return d.FindTopLevel("TTrayIconWindow") != nullptr; }), "the tray icon is there");
  return w;
}

// The same, restored from the tray.
HWND Restored(Driver& d) {
  HWND w = StartInTray(d);
  if (w) d.Check(Restore(d), "Restore shows the window");
  return w;
}

// The window, a Defrag run from its button to the end, Quit.
int MainWindowScenario(Driver& d) {
  HWND w = StartInTray(d);
  if (!w) return d.Finish();
  d.Check(d.Idle() && !IsWindowVisible(w), "after start-up the window is hidden");
  d.Check(Restore(d), "a double click on the tray icon shows the window");
  d.Check(Driver::Text(w) == "Velmor v. 1.0.0.7", "the caption carries the file version (is " + Driver::Text(w) + ")");
  RECT c{};
  GetClientRect(w, &c);
  d.Check(c.right == 330 && c.bottom == 266,
          "client area 330 x 266 (is " + std::to_string(c.right) + " x " + std::to_string(c.bottom) + ")");
  d.Shot("e2e-main");
  {
    // The title bar's buttons are Marlett glyphs: without that font the close box shows "r".
    HDC dc = GetDC(nullptr);
    HFONT f = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, SYMBOL_CHARSET, 0, 0, 0, 0, "Marlett");
    HGDIOBJ old = SelectObject(dc, f);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, sizeof(face), face);
    SelectObject(dc, old);
    DeleteObject(f);
    ReleaseDC(nullptr, dc);
    d.Check(lstrcmpA(face, "Marlett") == 0, std::string("a Marlett request gets Marlett (gets ") + face + ")");
  }

  HWND defrag = d.FindChild(w, "TOvColorBtn", "Deframmenta");
  HWND bar = d.FindChild(w, "msctls_progress32");
  d.Check(defrag && bar, "the Defrag button and the progress bar are there");
  if (defrag && bar) {
    PostMessageA(defrag, BM_CLICK, 0, 0);
    bool ended = d.WaitUntil([&] {
      return SendMessageA(bar, PBM_GETPOS, 0, 0) == 100 && !IsWindowVisible(bar);
    }, 120000);
    d.Check(ended, "a Defrag started from the window runs to 100 % and returns to idle");
  }
  SendMessageTimeoutA(w, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  d.Check(d.WaitUntil([&] { return !IsWindowVisible(w); }, 10000) && d.Idle() && d.ExitCode() == STILL_ACTIVE,
          "the close box only hides the window");

  PostMessageA(w, WM_COMMAND, cmQuit, 0);
  d.Check(d.WaitForExit(30000), "Quit ends the process");
  d.Check(d.ExitCode() == 0, "with exit code 0");
  return d.Finish();
}

// Reads a value of the settings key; "" when missing. DWORDs come back as decimal text.
std::string Setting(const char* name) {
  HKEY k;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tolvane\\Velmor", 0, KEY_READ, &k) != ERROR_SUCCESS) return "";
  char buf[512] = {};
  DWORD type = 0, size = sizeof(buf) - 1;
  std::string out;
  if (RegQueryValueExA(k, name, nullptr, &type, (BYTE*)buf, &size) == ERROR_SUCCESS)
    out = type == REG_DWORD ? std::to_string(*(DWORD*)buf) : (type == REG_SZ ? std::string(buf) : "?");
  RegCloseKey(k);
  return out;
}

// A first start, a new threshold, Quit: the six settings are stored and a restart shows them.
int SettingsScenario(Driver& d) {
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Tolvane\\Velmor");
  d.Check(d.Start(), "velmor.exe starts");
  HWND w = d.MainWindow();
  if (!w) return d.Finish();
  Restore(d);
  HWND edit = d.FindChild(w, "Edit");
  d.Check(edit && Driver::Text(edit) == "50", "a first start shows the default threshold 50");
  if (edit) SendMessageA(edit, WM_SETTEXT, 0, (LPARAM) "80");
  PostMessageA(w, WM_COMMAND, cmQuit, 0);
  d.Check(d.WaitForExit(30000), "Quit ends the process");
  d.Check(Setting("Soglia") == "80", "Soglia = 80 (is " + Setting("Soglia") + ")");
  d.Check(Setting("Azione") == "0", "Azione = 0");
  d.Check(Setting("Lingua") == "Italiano.lng", "Lingua = Italiano.lng (is " + Setting("Lingua") + ")");
  d.Check(Setting("AutoStart") == "0", "AutoStart = 0");
  d.Check(Setting("OnTop") == "1", "OnTop = 1");
  d.Check(Setting("Beep") == "1", "Beep = 1");
  d.Check(Setting("Notifica") == "1", "Notifica = 1 (is " + Setting("Notifica") + ")");

  d.Check(d.Start(), "velmor.exe starts again");
  w = d.MainWindow();
  if (w) Restore(d);
  edit = w ? d.FindChild(w, "Edit") : nullptr;
  d.Check(edit && Driver::Text(edit) == "80", "the restart shows the stored threshold");
  d.Check(w && (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST), "and stays on top");
  if (w) PostMessageA(w, WM_COMMAND, cmQuit, 0);
  d.Check(d.WaitForExit(30000), "Quit ends the second process");
  return d.Finish();
}

// Italian at first start; English chosen from the Language menu re-captions the window at
// once and is kept at Quit.
int LanguageScenario(Driver& d) {
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Tolvane\\Velmor");
  d.Check(d.Start(), "velmor.exe starts");
  HWND w = d.MainWindow();
  if (!w) return d.Finish();
  Restore(d);
  d.Check(d.FindChild(w, "TOvColorBtn", "Deframmenta") != nullptr, "the window speaks Italian");
  d.Shot("e2e-language-italian");
  // The shipped files in menu order: Deutsch, English, Espanol, Francais, Italiano.
  PostMessageA(w, WM_COMMAND, cmLanguageFirst + 1, 0);
  d.Check(d.WaitUntil([&] { return d.FindChild(w, "TOvColorBtn", "Defragment") != nullptr; }, 10000),
          "choosing English re-captions the window at once");
  d.Shot("e2e-language-english");
  d.Check(QuitFromPopup(d), "Quit from the tray popup ends the process");
  d.Check(Setting("Lingua") == "English.lng", "Lingua = English.lng (is " + Setting("Lingua") + ")");
  return d.Finish();
}

// The painted main menu: each of the four drop-downs opened by a click on the menu bar, a
// hovered item, and the commands still reaching the window.
int MenusScenario(Driver& d, const std::string& exe) {
  HWND w = Restored(d);
  if (!w) return d.Finish();
  d.Settled();
  // Where the bar items are: the captions from the language file in the menu font, each
  // with the painter's 10 pixels of room, one after the other from the client's left.
  std::string lng = exe.substr(0, exe.find_last_of('\\') + 1) + "Italiano.lng";
  auto read = [&](const char* sec) {
    char buf[128] = {};
    GetPrivateProfileStringA(sec, "Caption", "", buf, sizeof(buf), lng.c_str());
    return std::string(buf);
  };
  const std::string captions[4] = {"File", read("MAINLANGUAGE"), read("MAINSETTINGS"), "Help"};
  const char* names[4] = {"file", "language", "settings", "help"};
  NONCLIENTMETRICSA ncm{};
  ncm.cbSize = 340;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &ncm, 0);
  if (!lstrcmpA(ncm.lfMenuFont.lfFaceName, "MS Sans Serif")) lstrcpyA(ncm.lfMenuFont.lfFaceName, "Tahoma");
  HDC dc = GetDC(nullptr);
  HFONT font = CreateFontIndirectA(&ncm.lfMenuFont);
  HGDIOBJ old = SelectObject(dc, font);
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  int y = origin.y - 8, width[4];
  for (int i = 0; i < 4; ++i) {
    SIZE sz{}, amp{};
    GetTextExtentPoint32A(dc, captions[i].c_str(), (int)captions[i].size(), &sz);
    GetTextExtentPoint32A(dc, "&", 1, &amp);
    width[i] = sz.cx - (captions[i].find('&') != std::string::npos ? amp.cx : 0) + 10;
  }
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);

  // The drop-downs open under their items: each one's left edge tells where the next item
  // starts, and the first two the room the bar leaves between items.
  // A click beside a drop-down closes it: on the chart, which no drop-down reaches and a click
  // leaves alone. Under Wine's desktop a click that comes while the menu still handles the
  // pointer's last move is now and then swallowed; a second one, once the first has had its
  // time, is what a user would do too.
  auto closeBeside = [&] {
    for (int attempt = 0; attempt < 2; ++attempt) {
      d.Mouse(true, origin.x + 300, origin.y + 190);
      if (d.WaitUntil([&] { return Driver::Shown("#32768") == nullptr; }, 5000)) return true;
    }
    return false;
  };
  int mid[4], left = origin.x, gap = 0;
  for (int i = 0; i < 4; ++i) {
    mid[i] = left + width[i] / 2;
    d.Mouse(true, mid[i], y);
    HWND menu = d.OpenedMenu();
    d.Check(menu != nullptr, std::string("a click on ") + captions[i] + " opens its drop-down");
    RECT mr{};
    if (menu) GetWindowRect(menu, &mr);
    if (menu && i == 1) gap = std::max(0, (int)mr.left - left);
    left = (menu ? (int)mr.left : left) + width[i] + gap;
    if (i == 3 && menu) {
      // The pointer on the first item: the hovered look.
      RECT r{};
      GetWindowRect(menu, &r);
      d.Settled();
      const std::vector<DWORD> before = Driver::ScreenArea(r);
      d.Mouse(false, r.left + 40, r.top + 12);
      d.Check(d.WaitUntil([&] { return Driver::ScreenArea(r) != before; }, 10000), "the pointer on an item lights it");
      d.Shot("e2e-menu-hover");
    }
    d.Shot(std::string("e2e-menu-") + names[i]);
    d.Check(closeBeside(), "a click beside the drop-down closes it");
    d.WaitUntil([&] { return !Driver::InMenuMode(w); }, 10000);
    d.Settled();
  }
  // A click on an item runs its command: Settings > Beep on alarm, its first row.
  d.Mouse(true, mid[2], y);
  HWND menu = d.OpenedMenu();
  d.Check(menu != nullptr, "a click on " + captions[2] + " opens its drop-down again");
  if (menu) {
    RECT r{};
    GetWindowRect(menu, &r);
    d.Settled();
    d.Mouse(true, r.left + 40, r.top + 12);
    d.Check(d.WaitUntil([&] { return Driver::Shown("#32768") == nullptr && !Driver::InMenuMode(w); }, 10000),
            "a click on its first item closes it");
  }
  d.Settled();
  d.Mouse(true, mid[2], y);
  d.Check(d.OpenedMenu() != nullptr, "and it opens once more, to show the item switched off");
  d.Shot("e2e-menu-settings-beep");
  closeBeside();
  PostMessageA(w, WM_COMMAND, cmQuit, 0);
  d.Check(d.WaitForExit(30000), "Quit ends the process");
  d.Check(Setting("Beep") == "0", "the click on Beep on alarm switched it off (Beep = " + Setting("Beep") + ")");
  return d.Finish();
}

// Life in the tray: the popup with its margin, Restore beside the taskbar, Hide, the alarm's
// blinking, Quit from the popup while hidden.
int TrayScenario(Driver& d) {
  HWND w = StartInTray(d);
  if (!w) return d.Finish();
  d.Check(d.Idle() && !IsWindowVisible(w), "start-up ends in the tray, the window hidden");
  d.Shot("e2e-tray-start");

  HWND menu = OpenPopup(d);
  d.Check(menu != nullptr, "a right click opens the popup menu");
  d.Shot("e2e-tray-popup");
  if (menu) PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  d.WaitUntil([&] { return !IsWindowVisible(menu); }, 10000);

  d.Check(Restore(d), "Restore shows the window");
  RECT r{}, bar{};
  GetWindowRect(w, &r);
  HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
  if (taskbar) GetWindowRect(taskbar, &bar);
  d.Check(r.right == GetSystemMetrics(SM_CXSCREEN) && (!taskbar || r.bottom == bar.top),
          "in the corner beside the taskbar (" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
              std::to_string(r.right) + "," + std::to_string(r.bottom) + ")");
  d.Shot("e2e-tray-restored");

  // The alarm: a threshold above the available memory makes the icon and the image blink.
  HWND edit = d.FindChild(w, "Edit");
  // The warning sign, 32 x 32 at (286, 12) of the client area, changes with each blink.
  POINT sign{286, 12};
  ClientToScreen(w, &sign);
  const RECT signRect{sign.x, sign.y, sign.x + 32, sign.y + 32};
  std::vector<DWORD> look = Driver::ScreenArea(signRect);
  if (edit) SendMessageA(edit, WM_SETTEXT, 0, (LPARAM) "999999");
  for (const char* shot : {"e2e-alarm-1", "e2e-alarm-2"}) {
    d.Check(d.WaitUntil([&] { return Driver::ScreenArea(signRect) != look; }, 15000),
            std::string("the warning sign blinks (") + shot + ")");
    d.Shot(shot);
    look = Driver::ScreenArea(signRect);
  }
  // With the action "run a defragmentation automatically" a run starts by itself.
  HWND progress = d.FindChild(w, "msctls_progress32");
  HWND automatic = d.FindChild(w, "Button", "Esegui automaticamente defrag");
  d.Check(progress && automatic, "the progress bar and the automatic choice are there");
  if (progress && automatic) {
    PostMessageA(automatic, BM_CLICK, 0, 0);
    d.Check(d.WaitUntil([&] { return SendMessageA(progress, PBM_GETPOS, 0, 0) > 0; }, 30000),
            "with the automatic action the alarm starts a run by itself");
    PostMessageA(d.FindChild(w, "Button", "Avvisa soltanto"), BM_CLICK, 0, 0);
  }
  if (edit) SendMessageA(edit, WM_SETTEXT, 0, (LPARAM) "0");
  d.WaitUntil([&] { return progress && !IsWindowVisible(progress); }, 60000);  // the last run ends

  PostMessageA(w, WM_COMMAND, cmHide, 0);
  d.Check(d.WaitUntil([&] { return !IsWindowVisible(w); }, 10000), "Hide puts the window back in the tray");
  d.Check(QuitFromPopup(d), "Quit from the tray popup ends the process");
  d.Check(d.ExitCode() == 0, "with exit code 0");
  return d.Finish();
}

// A balloon the shell shows: a visible tooltip window of the balloon style, of any process.
HWND ShownBalloon() { return Driver::Shown(TOOLTIPS_CLASSA, TTS_BALLOON); }

// Defrag from the tray menu while the window is hidden: when the run has ended, a balloon at
// the tray icon tells what it freed (the screenshot shows its text). Quit keeps "Notifica".
int NotifyScenario(Driver& d) {
  HWND w = StartInTray(d);
  if (!w) return d.Finish();
  d.Check(d.Idle() && !IsWindowVisible(w), "the window is hidden");
  d.Check(ShownBalloon() == nullptr, "no balloon before a run");

  // The popup's third item is Defrag (Restore, Hide to tray, Defrag, ...).
  HWND menu = OpenPopup(d);
  d.Check(menu != nullptr, "a right click opens the popup menu");
  if (!menu) return d.Finish();
  for (int i = 0; i < 3; ++i) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
  HWND balloon = nullptr;
  d.Check(d.WaitUntil([&] { return (balloon = ShownBalloon()) != nullptr; }, 120000),
          "after Defrag from the tray menu a balloon shows");
  d.Check(!IsWindowVisible(w), "and the window stays hidden");
  if (balloon) {
    RECT r{}, bar{};
    GetWindowRect(balloon, &r);
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    if (taskbar) GetWindowRect(taskbar, &bar);
    d.Check(r.right > GetSystemMetrics(SM_CXSCREEN) / 2 && (!taskbar || r.bottom <= bar.bottom),
            "at the tray, bottom right (" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
                std::to_string(r.right) + "," + std::to_string(r.bottom) + ")");
  }
  d.Shot("e2e-notify-balloon");

  d.Check(QuitFromPopup(d), "Quit from the tray popup ends the process");
  d.Check(Setting("Notifica") == "1", "Notifica = 1 (is " + Setting("Notifica") + ")");
  return d.Finish();
}

// The whole text of a window, however long.
std::string LongText(HWND h) {
  LRESULT n = SendMessageA(h, WM_GETTEXTLENGTH, 0, 0);
  std::string s(n + 1, '\0');
  n = SendMessageA(h, WM_GETTEXT, n + 1, (LPARAM)s.data());
  s.resize(n > 0 ? n : 0);
  return s;
}

BOOL CALLBACK CountVisibleViewers(HWND h, LPARAM l) {
  char cls[64] = {};
  GetClassNameA(h, cls, sizeof(cls));
  if (lstrcmpA(cls, "TFrmReadMe") == 0 && IsWindowVisible(h)) ++*reinterpret_cast<int*>(l);
  return TRUE;
}

// The Help menu: the versioned caption once the window is restored, Read me with the shipped
// guide, a second Read me doing nothing while it shows, OK closing it.
int HelpScenario(Driver& d, const std::string& exe) {
  HWND w = Restored(d);
  if (!w) return d.Finish();
  d.Check(Driver::Text(w) == "Velmor v. 1.0.0.7", "the caption is Velmor v. 1.0.0.7 (is " + Driver::Text(w) + ")");
  d.Shot("e2e-help-caption");

  HWND viewer = d.FindTopLevel("TFrmReadMe");
  d.Check(viewer && !IsWindowVisible(viewer), "the viewer was made at start-up, hidden");
  if (!viewer) return d.Finish();
  PostMessageA(w, WM_COMMAND, cmReadme, 0);
  d.Check(d.WaitUntil([&] { return IsWindowVisible(viewer) != FALSE; }, 15000), "Help > Read me shows the viewer");
  d.Check(Driver::Text(viewer) == "Velmor - Readme.txt", "titled Velmor - Readme.txt (is " + Driver::Text(viewer) + ")");
  d.Check(!IsWindowEnabled(w), "the main window waits while it shows");
  HWND rr = d.FindChild(viewer, "RICHEDIT");
  std::string shipped = ReadFileBytes(exe.substr(0, exe.find_last_of('\\') + 1) + "Readme.txt");
  d.Check(!shipped.empty() && rr && LongText(rr) == shipped,
          "it shows the shipped Readme.txt whole (" + std::to_string(shipped.size()) + " bytes)");
  d.Shot("e2e-readme");

  // A second Read me while it shows: its handler returns at once, without a second viewer.
  bool returned = d.Command(w, cmReadme);
  int viewers = 0;
  EnumWindows(CountVisibleViewers, (LPARAM)&viewers);
  d.Check(returned && viewers == 1 && IsWindowVisible(viewer), "a second Read me while it shows does nothing");

  HWND ok = d.FindChild(viewer, "Button", "OK");
  d.Check(ok != nullptr, "the viewer has its OK button");
  if (ok) PostMessageA(ok, BM_CLICK, 0, 0);
  d.Check(d.WaitUntil([&] { return !IsWindowVisible(viewer); }, 15000), "OK closes the viewer");
  d.Check(d.WaitUntil([&] { return IsWindowEnabled(w) && IsWindowVisible(w); }, 15000),
          "and the main window is shown and usable again");
  // No further Read me run is pending: the viewer stays closed.
  d.Check(d.Idle() && !IsWindowVisible(viewer), "the second Read me left nothing behind");

  PostMessageA(w, WM_COMMAND, cmQuit, 0);
  d.Check(d.WaitForExit(30000), "Quit ends the process");
  return d.Finish();
}

// The program in a folder without Readme.txt: one error box naming the file, during start-up;
// start-up goes on and Read me shows an empty viewer.
int NoReadmeScenario(Driver& d, const std::string& exe, const std::string& artifacts) {
  std::string dir = artifacts + "\\no-readme";
  CreateDirectoryA(dir.c_str(), nullptr);
  DeleteFileA((dir + "\\Readme.txt").c_str());
  std::string copy = dir + "\\velmor.exe";
  d.Check(CopyFileA(exe.c_str(), copy.c_str(), FALSE) != FALSE, "velmor.exe copied to a folder without Readme.txt");
  d.SetExe(copy);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Tolvane\\Velmor");
  d.Check(d.Start(), "velmor.exe starts");
  HWND box = nullptr;
  d.WaitUntil([&] { return (box = d.FindTopLevel("#32770")) != nullptr && IsWindowVisible(box); }, 20000);
  d.Check(box != nullptr, "an error box appears during start-up");
  if (!box) return d.Finish();
  std::string expected = "Cannot open file " + dir + "\\Readme.txt.";
  HWND text = d.FindChild(box, "Static", expected.c_str());
  d.Check(text != nullptr && Driver::Text(box) == "Velmor", "it says: " + expected + " (caption " + Driver::Text(box) + ")");
  d.Shot("e2e-no-readme-box");
  HWND ok = d.FindChild(box, "Button");
  if (ok) PostMessageA(ok, BM_CLICK, 0, 0);
  d.Check(d.WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 15000), "OK closes the box");
  HWND w = d.MainWindow();
  d.Check(d.WaitUntil([&] { return d.FindTopLevel("TTrayIconWindow") != nullptr; }), "start-up goes on into the tray");
  d.Check(d.Idle(w) && d.FindTopLevel("#32770") == nullptr, "the box came once");
  HWND viewer = d.FindTopLevel("TFrmReadMe");
  Restore(d);
  PostMessageA(w, WM_COMMAND, cmReadme, 0);
  d.Check(viewer && d.WaitUntil([&] { return IsWindowVisible(viewer) != FALSE; }, 15000), "Read me shows the viewer");
  HWND rr = viewer ? d.FindChild(viewer, "RICHEDIT") : nullptr;
  d.Check(rr && LongText(rr).empty(), "empty");
  HWND vok = viewer ? d.FindChild(viewer, "Button", "OK") : nullptr;
  if (vok) PostMessageA(vok, BM_CLICK, 0, 0);
  d.WaitUntil([&] { return viewer && !IsWindowVisible(viewer); }, 15000);
  PostMessageA(w, WM_COMMAND, cmQuit, 0);
  d.Check(d.WaitForExit(30000), "Quit ends the process");
  DeleteFileA(copy.c_str());
  RemoveDirectoryA(dir.c_str());
  return d.Finish();
}

COLORREF ScreenPixel(int x, int y) { return Driver::ScreenPixel(x, y); }

std::string Hex(COLORREF c) {
  char buf[16];
  snprintf(buf, sizeof(buf), "%06lX", (unsigned long)c);
  return buf;
}

// The face colour shifted as the button's shades shift it.
COLORREF Lighter(COLORREF c, int d) {
  auto ch = [d](int v) { return v + d > 255 ? 255 : (v + d < 0 ? 0 : v + d); };
  return RGB(ch(GetRValue(c)), ch(GetGValue(c)), ch(GetBValue(c)));
}

// Waits for a run to start (the progress bar shows), then aborts it and waits for the end.
bool RunStartedAndAborted(Driver& d, HWND w, HWND bar) {
  bool started = d.WaitUntil([&] { return IsWindowVisible(bar) != FALSE; }, 15000);
  if (started) PostMessageA(w, WM_COMMAND, cmAbort, 0);
  d.WaitUntil([&] { return !IsWindowVisible(bar); }, 120000);
  return started;
}

// The colour buttons as a user meets them: the hot look under the pointer, the pressed look,
// a click and Alt+D starting a run.
int ButtonsScenario(Driver& d) {
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Tolvane\\Velmor");
  d.Check(d.Start(), "velmor.exe starts");
  HWND w = d.MainWindow();
  if (!w) return d.Finish();
  d.Check(Restore(d), "the window is restored");
  HWND defrag = d.FindChild(w, "TOvColorBtn", "Deframmenta");
  HWND abort = d.FindChild(w, "TOvColorBtn", "Abbandona");
  HWND bar = d.FindChild(w, "msctls_progress32");
  d.Check(defrag && abort && bar, "both colour buttons and the progress bar are there");
  if (!defrag || !abort || !bar) return d.Finish();
  RECT r{};
  GetWindowRect(defrag, &r);
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  const COLORREF face = GetSysColor(COLOR_BTNFACE);

  // Each look is waited for at its pixel, then pictured and checked.
  const int px = r.left + 3, py = r.top + 3;
  d.Xdo("mousemove 5 5");
  d.WaitUntil([&] { return ScreenPixel(px, py) == face; }, 10000);
  d.Shot("e2e-buttons-normal");
  COLORREF normal = ScreenPixel(px, py);
  d.Check(normal == face, "outside, the face is the button face (" + Hex(normal) + ")");

  d.Xdo("mousemove " + std::to_string(cx) + " " + std::to_string(r.top + 3));
  d.WaitUntil([&] { return ScreenPixel(px, py) == Lighter(face, 24); }, 10000);
  d.Shot("e2e-buttons-hot");
  COLORREF hot = ScreenPixel(px, py);
  d.Check(hot != normal && hot == Lighter(face, 24),
          "under the pointer the face is lighter by 24 (" + Hex(hot) + ", was " + Hex(normal) + ")");

  d.Xdo("mousemove " + std::to_string(cx) + " " + std::to_string(cy) + " mousedown 1");
  d.WaitUntil([&] { return ScreenPixel(r.left, r.top + 10) == Lighter(face, -96); }, 10000);
  d.Shot("e2e-buttons-pressed");
  COLORREF pressedRing = ScreenPixel(r.left, r.top + 10);
  d.Check(pressedRing == Lighter(face, -96), "held down, the outer ring's left edge is face -96 (" + Hex(pressedRing) + ")");
  d.Xdo("mouseup 1");
  d.Check(RunStartedAndAborted(d, w, bar), "a click on Deframmenta starts a run");

  d.Xdo("mousemove 5 5");
  d.WaitUntil([&] { return ScreenPixel(px, py) == face; }, 10000);
  SetForegroundWindow(w);
  d.WaitUntil([&] { return GetForegroundWindow() == w; }, 10000);
  d.Xdo("key alt+d");
  bool byKey = RunStartedAndAborted(d, w, bar);
  if (!byKey) {
    d.Log("note: xdotool's Alt+D did not start a run; sending the dialog character as WM_SYSCHAR");
    PostMessageA(w, WM_SYSCHAR, 'd', 0x20000001);
    byKey = RunStartedAndAborted(d, w, bar);
  } else {
    d.Log("note: xdotool's Alt+D reached the window");
  }
  d.Check(byKey, "Alt+D starts a run");
  d.Shot("e2e-buttons-after");

  PostMessageA(w, WM_COMMAND, cmQuit, 0);
  d.Check(d.WaitForExit(30000), "Quit ends the process");
  return d.Finish();
}

BOOL CALLBACK CountVisibleAbout(HWND h, LPARAM l) {
  char cls[64] = {};
  GetClassNameA(h, cls, sizeof(cls));
  if (lstrcmpA(cls, "TfrmAbout") == 0 && IsWindowVisible(h)) ++*reinterpret_cast<int*>(l);
  return TRUE;
}

// Help > About: the borderless window in the screen's centre, a second About doing nothing
// while it shows, Thanks! closing it.
int AboutScenario(Driver& d) {
  HWND w = Restored(d);
  if (!w) return d.Finish();
  HWND about = d.FindTopLevel("TfrmAbout");
  d.Check(about && !IsWindowVisible(about), "the About window was made at start-up, hidden");
  if (!about) return d.Finish();
  PostMessageA(w, WM_COMMAND, cmAbout, 0);
  d.Check(d.WaitUntil([&] { return IsWindowVisible(about) != FALSE; }, 15000), "Help > About shows it");
  RECT r{};
  GetWindowRect(about, &r);
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  d.Check(r.right - r.left == 326 && r.bottom - r.top == 233 && r.left == (sw - 326) / 2 && r.top == (sh - 233) / 2,
          "326 x 233 without a frame, in the screen's centre (" + std::to_string(r.left) + "," + std::to_string(r.top) +
              ")-(" + std::to_string(r.right) + "," + std::to_string(r.bottom) + ")");
  d.Check(!IsWindowEnabled(w), "the main window waits while it shows");
  d.Shot("e2e-about");

  // A second About while it shows: its handler returns at once, without a second window.
  bool returned = d.Command(w, cmAbout);
  int shown = 0;
  EnumWindows(CountVisibleAbout, (LPARAM)&shown);
  d.Check(returned && shown == 1 && IsWindowVisible(about), "a second About while it shows does nothing");

  HWND thanks = d.FindChild(about, "TOvColorBtn", "Thanks!");
  d.Check(thanks != nullptr, "the window has its Thanks! button");
  if (thanks) {
    RECT b{};
    GetWindowRect(thanks, &b);
    d.Xdo("mousemove 5 5");
    d.Settled();
    COLORREF away = ScreenPixel(b.left + 4, b.top + 4);
    d.Xdo("mousemove " + std::to_string((b.left + b.right) / 2) + " " + std::to_string((b.top + b.bottom) / 2));
    d.WaitUntil([&] { return ScreenPixel(b.left + 4, b.top + 4) != away; }, 10000);
    d.Shot("e2e-about-thanks-hot");
    COLORREF hot = ScreenPixel(b.left + 4, b.top + 4);
    d.Check(hot != away, "a hover over Thanks! changes its face (" + Hex(away) + " -> " + Hex(hot) + ")");
  }
  if (thanks) PostMessageA(thanks, BM_CLICK, 0, 0);
  d.Check(d.WaitUntil([&] { return !IsWindowVisible(about); }, 15000), "Thanks! closes it");
  d.Check(d.WaitUntil([&] { return IsWindowEnabled(w) && IsWindowVisible(w); }, 15000),
          "and the main window is shown and usable again");
  d.Check(d.Idle() && !IsWindowVisible(about), "the second About left nothing behind");

  PostMessageA(w, WM_COMMAND, cmQuit, 0);
  d.Check(d.WaitForExit(30000), "Quit ends the process");
  return d.Finish();
}

// The end of the session: a threshold raised with the spin control's upper arrow, clicked as a
// user clicks it, is kept although Quit never runs; the system then ends the process.
int EndSessionScenario(Driver& d) {
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tolvane\\Velmor");
  HWND w = Restored(d);
  if (!w) return d.Finish();
  HWND edit = d.FindChild(w, "Edit"), arrows = d.FindChild(w, "msctls_updown32");
  d.Check(edit && arrows && Driver::Text(edit) == "50", "the threshold field shows 50, with its arrows");
  if (!edit || !arrows) return d.Finish();
  RECT r{};
  GetWindowRect(arrows, &r);
  d.Mouse(true, (r.left + r.right) / 2, r.top + (r.bottom - r.top) / 4);
  d.Check(d.WaitUntil([&] { return Driver::Text(edit) == "60"; }, 10000),
          "a click on the upper arrow raises it by the step to 60 (shows " + Driver::Text(edit) + ")");
  d.Shot("e2e-endsession-spun");
  d.Check(Setting("Soglia").empty(), "nothing is stored yet");

  DWORD_PTR answer = 0;
  SendMessageTimeoutA(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, &answer);
  d.Check(answer == TRUE, "WM_QUERYENDSESSION lets the log-off go on");
  SendMessageTimeoutA(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, nullptr);
  d.Check(d.ExitCode() == STILL_ACTIVE && IsWindow(w), "WM_ENDSESSION leaves the ending to the system");
  d.Check(d.Kill(), "the process is ended from outside");
  d.Check(Setting("Soglia") == "60", "Soglia = 60 (is " + Setting("Soglia") + ")");
  d.Check(Setting("Lingua") == "Italiano.lng", "with the other values (Lingua = " + Setting("Lingua") + ")");
  return d.Finish();
}

}  // namespace

bool RestoreWindow(Driver& d) { return Restore(d); }
HWND StartRestored(Driver& d) { return Restored(d); }
std::string StoredSetting(const char* name) { return Setting(name); }

namespace {
// A scenario plays with the driver alone; a few also take the program's path, or that and the
// artifacts folder (copies: a scenario may give the driver another program to start).
int Play(Driver& d, int (*f)(Driver&)) { return f(d); }
int Play(Driver& d, int (*f)(Driver&, const std::string&)) { return f(d, std::string(d.Exe())); }
int Play(Driver& d, int (*f)(Driver&, const std::string&, const std::string&)) {
  return f(d, std::string(d.Exe()), std::string(d.Artifacts()));
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: driver SCENARIO velmor.exe artifacts\n");
    return 2;
  }
  Driver d(argv[2], argv[3], argv[1]);
  std::string s = argv[1];
#define VELMOR_E2E(name, play) \
  if (s == #name) return Play(d, play);
#include "tests/e2e/scenarios.def"
#undef VELMOR_E2E
  d.Log("unknown scenario " + s);
  d.Check(false, "scenario exists");
  return d.Finish();
}
