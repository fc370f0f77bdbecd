// What the tray tests share: a shell that records what the icon sends it, a pump that waits
// for a condition, and (from support/) the process's counts and the menu closer.
#pragma once
#include <windows.h>
#include <cstring>
#include <string>
#include <vector>
#include "components/TrayShell.h"
#include "support/MenuCloser.h"
#include "support/ProcessCounts.h"

struct TRecordingShell {
  struct Call {
    DWORD Message;
    TNotifyIconData Data;  // the head every form shares
    DWORD Thread;          // the thread that called the shell
  };
  std::vector<Call> Calls;
  // The records of the balloon form (their cbSize says so), whole, in the order sent.
  std::vector<NOTIFYICONDATAA> Balloons;
  BOOL Answer = TRUE;  // what the shell says to every call

  TShellNotify Notify() {
    return [this](DWORD m, TNotifyIconData* d) {
      Calls.push_back({m, *d, GetCurrentThreadId()});
      if (d->cbSize == NOTIFYICONDATAA_V2_SIZE) {
        NOTIFYICONDATAA b{};
        std::memcpy(&b, d, NOTIFYICONDATAA_V2_SIZE);
        Balloons.push_back(b);
      }
      return Answer;
    };
  }
  // The texts of the balloons sent.
  std::vector<std::string> BalloonTexts() const {
    std::vector<std::string> v;
    for (const auto& b : Balloons) v.push_back(b.szInfo);
    return v;
  }
  std::vector<DWORD> Messages() const {
    std::vector<DWORD> v;
    for (auto& c : Calls) v.push_back(c.Message);
    return v;
  }
  const Call& Last() const { return Calls.back(); }
  void Clear() {
    Calls.clear();
    Balloons.clear();
  }
};

// Handles messages until done() holds; gives up (false) after a generous while so that a fault
// fails the test instead of hanging it.
template <class F>
bool PumpUntil(F done) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > 20000) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return true;
}
