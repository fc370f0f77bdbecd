// GoogleTest's own place for a build's additions (its include path puts this folder first).
// The win32 thread model of mingw-w64 has no std::mutex or std::condition_variable, which
// GoogleTest's Notification is made of on Windows; this one is a Win32 event. Everything else
// GoogleTest locks on Windows already uses Win32 calls.
#pragma once
#if defined(_WIN32) && !defined(_GLIBCXX_HAS_GTHREADS)
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() : event_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() { ::CloseHandle(event_); }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;
  void Notify() { ::SetEvent(event_); }
  void WaitForNotification() { ::WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace internal
}  // namespace testing
#endif
