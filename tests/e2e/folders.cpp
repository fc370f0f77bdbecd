// End-to-end scenarios of a program folder whose name the ANSI code page cannot hold, a language
// file named so too, and a second start of the program.
#include <windows.h>
#include <string>
#include <vector>
#include "app/Commands.h"
#include "tests/e2e/Driver.h"

namespace {

std::string Utf8(const std::wstring& w) {
  std::string s(w.size() * 4 + 1, '\0');
  s.resize(WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), &s[0], (int)s.size(), nullptr, nullptr));
  return s;
}

std::wstring Wide(const std::string& a) {
  std::wstring w(a.size(), L'\0');
  w.resize(MultiByteToWideChar(CP_ACP, 0, a.data(), (int)a.size(), &w[0], (int)w.size()));
  return w;
}

// The titles drawn on the window's menu bar, as spans of screen columns: the menus of another
// process cannot be read, what the user sees can. A title is a run of columns with text pixels;
// the gap between two titles is wider than the one between two letters.
std::vector<std::pair<int, int>> MenuBarTitles(HWND w) {
  std::vector<std::pair<int, int>> titles;
  RECT wr{};
  GetWindowRect(w, &wr);
  POINT client{0, 0};
  ClientToScreen(w, &client);
  const int menuH = GetSystemMetrics(SM_CYMENU), top = client.y - menuH + 3, h = menuH - 6, width = wr.right - wr.left;
  if (h <= 0 || width <= 0) return titles;
  BITMAPINFO bi{};
  bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC screen = GetDC(nullptr), mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, width, h, screen, wr.left, top, SRCCOPY);
  GdiFlush();
  int start = -1, last = -100;
  for (int x = 0; x < width; ++x) {
    bool ink = false;
    for (int y = 0; y < h && !ink; ++y) {
      DWORD p = static_cast<DWORD*>(bits)[y * width + x];
      ink = ((p >> 16 & 255) + (p >> 8 & 255) + (p & 255)) < 300;
    }
    if (!ink) continue;
    if (x - last > 6) {
      if (start >= 0) titles.push_back({wr.left + start, wr.left + last});
      start = x;
    }
    last = x;
  }
  if (start >= 0) titles.push_back({wr.left + start, wr.left + last});
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return titles;
}

// Opens the drop-down of the menu bar's title i with a mouse click; its window, or null. The
// click waits for a window a user could click: out of any menu mode, its bar drawn with the
// title, in front. In menu mode a click is taken as part of that mode (it may only end it, or
// open the title and close it again at the button's release), so one click is enough here and
// a second would close what the first opened.
HWND OpenMenuBarTitle(Driver& d, HWND w, size_t i) {
  std::vector<std::pair<int, int>> titles;
  if (!d.WaitUntil([&] { return !Driver::InMenuMode(w) && (titles = MenuBarTitles(w)).size() > i; })) {
    d.Log("no click on title " + std::to_string(i) + ": " + (Driver::InMenuMode(w) ? "in menu mode, " : "") +
          std::to_string(titles.size()) + " titles");
    return nullptr;
  }
  SetForegroundWindow(w);
  d.WaitUntil([&] { return GetForegroundWindow() == w; }, 10000);
  POINT client{0, 0};
  ClientToScreen(w, &client);
  // The real pointer, moved and clicked in the X display. A cursor put here with SetCursorPos
  // does not stay: the display's own pointer, still where it was, puts it back (at once or
  // between the move and a SendInput click), and the click opens the title it left.
  const int x = (titles[i].first + titles[i].second) / 2;
  d.Mouse(true, x, client.y - GetSystemMetrics(SM_CYMENU) / 2);
  // Its own drop-down, not another title's: it opens under the point clicked.
  HWND menu = nullptr;
  bool open = d.WaitUntil([&] {
    RECT r{};
    return (menu = Driver::Shown("#32768")) && GetWindowRect(menu, &r) && r.left <= x && x < r.right;
  });
  return open ? menu : nullptr;
}

// Closes a drop-down of the menu bar with a click beside it, on the memory line at the top of
// the window, which does nothing else: that ends the menu mode at once. Escape posted to the
// drop-down only closes it and leaves the bar in menu mode, and being posted it is taken
// before the title click's release still queued as input, which then acts on that mode.
void CloseMenu(Driver& d, HWND w, HWND menu) {
  if (!menu) return;
  POINT p{150, 13};
  ClientToScreen(w, &p);
  d.Mouse(true, p.x, p.y);
  d.WaitUntil([&] { return !IsWindowVisible(menu) && !Driver::InMenuMode(w); });
}

// Copies the program, the language files and the guide beside it into folder, and writes the language
// file named in Greek there: English texts with a marker, so that a window showing it is seen.
bool PrepareFolder(Driver& d, const std::wstring& folder, const std::wstring& greekFile) {
  std::wstring exe = Wide(d.Exe()), from = exe.substr(0, exe.find_last_of(L'\\'));
  CreateDirectoryW(folder.c_str(), nullptr);
  if (!CopyFileW(exe.c_str(), (folder + L"\\velmor.exe").c_str(), FALSE)) return false;
  WIN32_FIND_DATAW fd{};
  HANDLE h = FindFirstFileW((from + L"\\*.lng").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  do {
    CopyFileW((from + L"\\" + fd.cFileName).c_str(), (folder + L"\\" + fd.cFileName).c_str(), FALSE);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  // The user guide too: without it start-up stops at its error box.
  CopyFileW((from + L"\\Readme.txt").c_str(), (folder + L"\\Readme.txt").c_str(), FALSE);
  const char greek[] = "[FLAG]\r\nIndex=GR\r\n[MAINFILE]\r\nDefrag=Greek defrag\r\n[MAINLANGUAGE]\r\nCaption=Greek\r\n";
  HANDLE f = CreateFileW((folder + L"\\" + greekFile).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  WriteFile(f, greek, sizeof(greek) - 1, &done, nullptr);
  CloseHandle(f);
  return true;
}

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring RunValue() {
  HKEY k;
  std::wstring out;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ, &k) != ERROR_SUCCESS) return out;
  wchar_t buf[1024] = {};
  DWORD type = 0, size = sizeof(buf) - sizeof(wchar_t);
  if (RegQueryValueExW(k, L"Velmor", nullptr, &type, (BYTE*)buf, &size) == ERROR_SUCCESS && type == REG_SZ) out = buf;
  RegCloseKey(k);
  return out;
}

// Removes the value from the Run key, which every system has (made here when the prefix lacks it).
void DeleteRunValue() {
  HKEY k;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) != ERROR_SUCCESS)
    return;
  RegDeleteValueW(k, L"Velmor");
  RegCloseKey(k);
}

void OneFolder(Driver& d, const std::wstring& folder, const std::string& tag) {
  const std::wstring greekFile = L"\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac.lng";  // Ελληνικά.lng
  const std::string where = " (" + Utf8(folder) + ")";
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Tolvane\\Velmor");
  DeleteRunValue();
  d.Check(PrepareFolder(d, folder, greekFile), "the program, its languages and " + Utf8(greekFile) + " copied" + where);
  const std::wstring exe = folder + L"\\velmor.exe";
  d.Check(d.Start(exe), "velmor.exe starts from the folder" + where);
  HWND w = d.MainWindow();
  if (!w) return;
  d.Check(RestoreWindow(d), "Restore shows the window" + where);
  d.Check(d.FindChild(w, "TOvColorBtn", "Deframmenta") != nullptr, "the Defrag button has its caption" + where);
  d.Check(d.WaitUntil([&] { return MenuBarTitles(w).size() == 4; }, 10000),
          "the menu bar shows four titles: File, Language, Settings, Help" + where);
  d.Shot("e2e-folders-" + tag);
  HWND menu = OpenMenuBarTitle(d, w, 1);
  d.Check(menu != nullptr && d.WaitUntil([&] { return Driver::InMenuMode(w); }, 10000), "the Language menu opens" + where);
  d.Shot("e2e-folders-" + tag + "-languages");
  CloseMenu(d, w, menu);
  // The five shipped files come first in name order; a sixth item would be the Greek-named one.
  PostMessageA(w, WM_COMMAND, cmLanguageFirst + 5, 0);
  PostMessageA(w, WM_COMMAND, cmLanguageFirst + 4, 0);
  d.Check(d.WaitUntil([&] { return d.FindChild(w, "TOvColorBtn", "Deframmenta") != nullptr; }, 10000) &&
              !d.FindChild(w, "TOvColorBtn", "Greek defrag"),
          "the file named in Greek is not offered (no \"?\" item), Italiano is the fifth" + where);

  // English, the log-on entry, Quit.
  const std::vector<std::pair<int, int>> italian = MenuBarTitles(w);
  PostMessageA(w, WM_COMMAND, cmLanguageFirst + 1, 0);
  d.Check(d.WaitUntil([&] { return d.FindChild(w, "TOvColorBtn", "Defragment") != nullptr; }, 10000),
          "choosing English re-captions the window" + where);
  d.Check(d.WaitUntil([&] { return MenuBarTitles(w) != italian; }, 10000),
          "and its menu bar, drawn again with the English titles" + where);
  // Settings > Start with Windows: the second of the four items of the third menu, clicked with
  // the pointer too. Keys posted to the drop-down are taken before input still queued (the
  // title click's release, pointer moves), which may then change the menu under them: once in
  // ten runs Return left the bar in menu mode, where the Quit that followed was lost.
  menu = OpenMenuBarTitle(d, w, 2);
  if (menu) {
    RECT r{};
    GetWindowRect(menu, &r);
    const int x = (r.left + r.right) / 2, y = r.top + (r.bottom - r.top) * 3 / 8;
    d.Settled();
    const std::vector<DWORD> before = Driver::ScreenArea(r);
    d.Mouse(false, x, y);
    d.Check(d.WaitUntil([&] { return Driver::ScreenArea(r) != before; }, 10000), "the pointer lights the item" + where);
    d.Shot("e2e-folders-" + tag + "-settings");
    d.Mouse(true, x, y);
    d.Check(d.WaitUntil([&] { return !Driver::InMenuMode(w); }), "the click on the item ends the menu" + where);
  }
  d.Check(d.WaitUntil([&] { return !RunValue().empty(); }, 10000), "Start with Windows writes the Run value" + where);
  d.Check(RunValue() == exe, "the Run value names the program in its folder: " + Utf8(RunValue()) + where);
  PostMessageA(w, WM_COMMAND, cmQuit, 0);
  d.Check(d.WaitForExit(30000), "Quit ends the process" + where);
  d.Check(StoredSetting("Lingua") == "English.lng", "Lingua = English.lng (is " + StoredSetting("Lingua") + ")" + where);

  // What log-on would start: the Run value's command line as it stands.
  std::wstring cmd = RunValue();
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  bool started = !cmd.empty() && CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  d.Check(started, "the Run value's command starts a process" + where);
  if (!started) return;
  HWND again = nullptr;
  d.WaitUntil([&] {
    again = FindWindowA("TfrmVelmor", nullptr);
    return again != nullptr;
  });
  d.Check(again != nullptr, "and it is Velmor, with its window" + where);
  if (again) {
    d.WaitUntil([&] { return FindWindowA("TTrayIconWindow", nullptr) != nullptr; });
    PostMessageA(again, WM_COMMAND, cmRestore, 0);
    d.Check(d.WaitUntil([&] { return d.FindChild(again, "TOvColorBtn", "Defragment") != nullptr; }, 15000),
            "the next start speaks the stored English" + where);
    d.Shot("e2e-folders-" + tag + "-restart");
    PostMessageA(again, WM_COMMAND, cmQuit, 0);
  }
  d.Check(WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0, "Quit ends it" + where);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  // The value stays for the harness, which reads it with `reg query` and removes it.
}

int CountWindows(const char* cls) {
  int n = 0;
  for (HWND h = FindWindowExA(nullptr, nullptr, cls, nullptr); h; h = FindWindowExA(nullptr, h, cls, nullptr)) ++n;
  return n;
}

}  // namespace

int FoldersScenario(Driver& d) {
  OneFolder(d, L"C:\\\u041f\u0430\u043c\u044f\u0442\u044c", "cyrillic");  // C:\Память
  OneFolder(d, L"C:\\\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac", "greek");  // C:\Ελληνικά
  return d.Finish();
}

// The log-on entry started the program, then the user starts it by hand.
int TwoCopiesScenario(Driver& d) {
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Tolvane\\Velmor");
  d.Check(d.Start(), "the first copy starts");
  HWND w = d.MainWindow();
  if (!w) return d.Finish();
  d.WaitUntil([&] { return d.FindTopLevel("TTrayIconWindow") != nullptr; });
  d.Check(d.Idle() && !IsWindowVisible(w), "and lives in the tray");

  std::wstring exe = Wide(d.Exe()), cmd = L"\"" + exe + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  bool started = CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  d.Check(started, "a second copy starts");
  if (started) {
    d.Check(WaitForSingleObject(pi.hProcess, 5000) == WAIT_OBJECT_0, "the second copy ends within 5 s");
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi.hProcess, &code);
    d.Check(code == 0, "with exit code 0");
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  d.Check(CountWindows("TTrayIconWindow") == 1 && CountWindows("TfrmVelmor") == 1, "one tray icon, one window");
  d.Check(d.WaitUntil([&] { return IsWindowVisible(w) != FALSE; }, 5000), "the first copy's window is restored");
  RECT r{};
  GetWindowRect(w, &r);
  d.Check(r.right == GetSystemMetrics(SM_CXSCREEN), "beside the taskbar, as Restore puts it");
  d.Shot("e2e-twocopies");
  PostMessageA(w, WM_COMMAND, cmQuit, 0);
  d.Check(d.WaitForExit(30000), "Quit ends the first copy");
  return d.Finish();
}
