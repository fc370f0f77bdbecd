#include "framework/Application.h"
#include <exception>
#include "framework/Forms.h"
#include "framework/OSError.h"

TApplication* Application = nullptr;

namespace {
LRESULT CALLBACK AppWndProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return Guarded(Application, [&]() -> LRESULT {
    if (m == WM_CLOSE && Application && Application->MainForm()) {
      Application->MainForm()->Close();
      return 0;
    }
    return DefWindowProcA(h, m, w, l);
  });
}
}  // namespace

std::string ErrorBoxText(const std::string& message) {
  if (!message.empty() && (unsigned char)message.back() > (unsigned char)'.') return message + ".";
  return message;
}

TApplication::TApplication()
    : TComponent(nullptr), FInstance(GetModuleHandleA(nullptr)), FPrevious(Application) {
  Application = this;
  try {
    RegisterWindowClass("TApplication", AppWndProc, 0, LoadIconA(FInstance, "MAINICON"));
  } catch (...) {
    Application = FPrevious;  // no destructor runs for an object whose constructor fails
    throw;
  }
  // Zero-sized and off in the middle of the screen: only its taskbar button can be seen.
  FHandle = CreateWindowExA(0, "TApplication", "", WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                            GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
                            nullptr, FInstance, nullptr);
  if (FHandle) return;
  Application = FPrevious;
  RaiseLastOSError("Cannot create the application window");
}

TApplication::~TApplication() {
  // Forms go first (as owned components, in reverse order), then the owner window.
  while (ComponentCount() > 0) delete Component(ComponentCount() - 1);
  FMainForm = nullptr;
  if (FHandle) DestroyWindow(FHandle);
  if (Application == this) Application = FPrevious;
}

void TApplication::SetTitle(const std::string& v) {
  FTitle = v;
  if (FHandle) SetWindowTextA(FHandle, v.c_str());
}

void TApplication::Notification(TComponent* AComponent) {
  if (AComponent == FMainForm) FMainForm = nullptr;
}

bool TApplication::ProcessMessage(MSG& msg) {
  // No yield on an empty queue: the caller is busy and back soon (Wine would give the processor
  // away on every empty look, which costs a busy run a time slice each time on a loaded machine).
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) return false;
  if (msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  Dispatch(msg);
  return true;
}

// The one place every message of the program's loops passes: accelerators and the dialog keys
// first, then the window.
void TApplication::Dispatch(MSG& msg) {
  if (msg.message == WM_SYSCHAR && DispatchDialogChar(msg.hwnd, msg.wParam, msg.lParam)) return;
  if (DialogKey(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (!FTerminated && ProcessMessage(msg)) {
  }
}

void TApplication::Run() {
  MSG msg;
  while (!FTerminated) {
    BOOL r = GetMessageA(&msg, nullptr, 0, 0);
    if (r == 0 || r == -1) {
      FTerminated = true;
      break;
    }
    Dispatch(msg);
  }
}

// Always called from a message handler, so the loop sees the flag as soon as that returns; no
// WM_QUIT is posted, which would outlive this application object in the thread's queue.
void TApplication::Terminate() { FTerminated = true; }

void TApplication::HandleException(TObject* Sender) noexcept {
  // Building the text may itself fail (no memory left): the box then says what it can.
  try {
    std::string message = "Unknown error";
    if (std::current_exception()) {
      try {
        throw;
      } catch (const std::exception& e) {
        message = e.what();
      } catch (...) {
      }
    }
    if (OnException)
      OnException(Sender, message);
    else
      ShowException(message);
  } catch (...) {
    MessageBoxA(GetActiveWindow(), "Unknown error.", FTitle.c_str(), MB_OK | MB_ICONERROR);
  }
}

void TApplication::ShowException(const std::string& message) noexcept {
  HWND owner = GetActiveWindow();
  try {
    std::string text = ErrorBoxText(message);
    MessageBoxA(owner, text.c_str(), FTitle.c_str(), MB_OK | MB_ICONERROR);
  } catch (...) {
    MessageBoxA(owner, message.c_str(), FTitle.c_str(), MB_OK | MB_ICONERROR);
  }
}
