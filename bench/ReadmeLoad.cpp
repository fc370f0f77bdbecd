// Read me with hostile and large Readme.txt files: for each file, velmor.exe is started from a
// folder of its own beside that file, Read me is posted to its main window, and the time until
// the main window answers a message again is taken, with the program's resident memory before
// and after. No baseline program shows a Readme, so the figures stand against their targets.
// Run by scripts/readme.sh in a Wine virtual desktop under Xvfb.
// Usage: readme_load.exe [velmor.exe], the program's path (default: the VELMOR_EXE variable).
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include "app/Commands.h"
#include "bench/Clock.h"
#include "tests/FileBytes.h"
#include "tests/WindowSearch.h"

namespace {

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

HWND WindowOf(DWORD pid, const char* cls) {
  return FindWindowWhere(nullptr, [&](HWND h) { return ProcessOf(h) == pid && HasClass(h, cls); });
}

// The process's resident memory in MB, through kernel32's own copy of the psapi call (none on
// systems before Windows 7: -1).
double ResidentMB(HANDLE process) {
  struct {
    DWORD cb, PageFaultCount;
    SIZE_T PeakWorkingSetSize, WorkingSetSize, a, b, c, d, e, f;
  } pmc{};
  pmc.cb = sizeof(pmc);
  using TCall = BOOL(WINAPI*)(HANDLE, void*, DWORD);
  auto call = reinterpret_cast<TCall>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "K32GetProcessMemoryInfo"));
  if (!call || !call(process, &pmc, sizeof(pmc))) return -1;
  return pmc.WorkingSetSize / 1048576.0;
}

bool Answers(HWND h, UINT ms) {
  DWORD_PTR r = 0;
  return SendMessageTimeoutA(h, WM_NULL, 0, 0, SMTO_NORMAL, ms, &r) != 0;
}

// One Readme: started, Read me posted, timed until the main window answers again.
bool Measure(const std::string& velmor, const char* what, const std::string& bytes, int n) {
  char tmp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, tmp);
  std::string dir = std::string(tmp) + "velmor-readme-bench-" + std::to_string(n);
  CreateDirectoryA(dir.c_str(), nullptr);
  std::string exe = dir + "\\velmor.exe";
  if (!CopyFileA(velmor.c_str(), exe.c_str(), FALSE) || !WriteFileBytes(dir + "\\Readme.txt", bytes)) {
    printf("readme: cannot prepare %s\n", dir.c_str());
    return false;
  }
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  std::string cmd = "\"" + exe + "\"";
  if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi)) {
    printf("readme: cannot start %s (error %lu)\n", exe.c_str(), GetLastError());
    return false;
  }
  bool ok = false;
  HWND main = nullptr;
  for (double t = Now(); !main && Now() - t < 30; Sleep(50)) main = WindowOf(pi.dwProcessId, "TfrmVelmor");
  if (main && Answers(main, 30000)) {
    Sleep(1500);  // past its start-up
    double before = ResidentMB(pi.hProcess);
    double t0 = Now();
    PostMessageA(main, WM_COMMAND, cmReadme, 0);
    // The viewer shows once its text is in; then the main window answers from the modal loop.
    HWND viewer = nullptr;
    while (Now() - t0 < 60 && !(viewer && IsWindowVisible(viewer))) {
      viewer = WindowOf(pi.dwProcessId, "TFrmReadMe");
      Sleep(1);
    }
    if (viewer && Answers(main, 60000)) {
      double took = Now() - t0;
      Sleep(500);
      printf("readme: %-34s main window answers after %5.0f ms (target < 1000); resident %4.0f MB -> %4.0f MB\n", what,
             took * 1e3, before, ResidentMB(pi.hProcess));
      ok = true;
    } else {
      printf("readme: %s: the viewer did not come up within a minute\n", what);
    }
  } else {
    printf("readme: %s: no main window\n", what);
  }
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  DeleteFileA((dir + "\\Readme.txt").c_str());
  DeleteFileA(exe.c_str());
  RemoveDirectoryA(dir.c_str());
  return ok;
}

std::string Repeat(const std::string& line, size_t bytes) {
  std::string s;
  s.reserve(bytes + line.size());
  while (s.size() < bytes) s += line;
  return s;
}

LRESULT CALLBACK TrayProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return m == WM_COPYDATA ? TRUE : DefWindowProcA(h, m, w, l);
}

}  // namespace

int main(int argc, char** argv) {
  const char* env = getenv("VELMOR_EXE");
  std::string velmor = argc > 1 ? argv[1] : env ? env : "";
  if (velmor.empty()) {
    printf("readme: no velmor.exe named (argument or VELMOR_EXE)\n");
    return 1;
  }
  // Without a shell, a tray window where a taskbar would be, so that Velmor finds its corner.
  HWND tray = nullptr;
  if (!FindWindowA("Shell_TrayWnd", nullptr)) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = TrayProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "Shell_TrayWnd";
    RegisterClassA(&wc);
    tray = CreateWindowExA(WS_EX_TOOLWINDOW, "Shell_TrayWnd", "", WS_POPUP, 0, 738, 1024, 30, nullptr, nullptr,
                           wc.hInstance, nullptr);
  }
  std::string random(1 << 20, '\0');
  unsigned seed = 12345;
  for (char& c : random) seed = seed * 1103515245 + 12345, c = (char)(seed >> 16);
  std::string words(2 << 20, 'a');
  for (size_t i = 5; i < words.size(); i += 6) words[i] = ' ';
  std::string utf16 = "\xFF\xFE";
  for (char c : Repeat("Velmor frees memory in blocks of one megabyte.\r\n", 4096)) utf16 += {c, '\0'};
  struct {
    const char* what;
    std::string bytes;
  } files[] = {
      {"the shipped guide", ReadFileBytes(FolderOf(velmor) + "\\Readme.txt")},
      {"2 MB in one line", words},
      {"4 MB of one letter in one line", std::string(4 << 20, 'x')},
      {"1 MB of random bytes", random},
      {"RTF without text", "{\\rtf1\\ansi }"},
      {"UTF-16LE with its mark, 8 KB", utf16},
      {"10 MB of ordinary text", Repeat("0123456789 abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n", 10 << 20)},
  };
  int n = 0, failed = 0;
  for (const auto& f : files) failed += !Measure(velmor, f.what, f.bytes, ++n);
  if (tray) DestroyWindow(tray);
  return failed ? 1 : 0;
}
