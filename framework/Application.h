// The application object: title, the taskbar-button owner window, the message loop and the
// default exception handler.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include "framework/Classes.h"

class TForm;

class TApplication : public TComponent {
public:
  TApplication();
  ~TApplication() override;

  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& v);
  // The hidden owner of every form; while it is shown the program has a taskbar button.
  HWND Handle() const { return FHandle; }
  HINSTANCE Instance() const { return FInstance; }

  TForm* MainForm() const { return FMainForm; }
  template <class F, class... A>
  F* CreateForm(A&&... a) {
    F* f = new F(this, std::forward<A>(a)...);
    if (!FMainForm) FMainForm = f;
    return f;
  }

  // Runs the message loop until Terminate (the main form's closing calls it).
  void Run();
  // Handles every message waiting in the queue, then returns.
  void ProcessMessages();
  void Terminate();
  bool Terminated() const { return FTerminated; }

  // Call from inside a catch block: shows the current exception in the error box, or hands it
  // to OnException when that is assigned. Never throws: it is the end of every error path.
  void HandleException(TObject* Sender) noexcept;
  // The error box; it never throws either.
  void ShowException(const std::string& message) noexcept;
  std::function<void(TObject* Sender, const std::string& message)> OnException;

  void Notification(TComponent* AComponent) override;

private:
  bool ProcessMessage(MSG& msg);
  void Dispatch(MSG& msg);
  std::string FTitle;
  HWND FHandle = nullptr;
  HINSTANCE FInstance = nullptr;
  TForm* FMainForm = nullptr;
  bool FTerminated = false;
  TApplication* FPrevious;  // the application object this one stands in for, if any
};

extern TApplication* Application;

// The error box's text: a full stop is added when the last character sorts after ".".
std::string ErrorBoxText(const std::string& message);

// Runs f and turns any exception into the application's error box: the barrier every window
// procedure, timer callback, enumeration callback and thread entry stands behind.
template <class F>
auto Guarded(TObject* Sender, F&& f) -> decltype(f()) {
  try {
    return f();
  } catch (...) {
    if (Application) Application->HandleException(Sender);
    return decltype(f())();
  }
}
