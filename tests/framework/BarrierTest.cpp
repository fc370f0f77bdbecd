// The exception barrier: whatever a handler throws, and whatever fails while the error is being
// shown, nothing leaves the barrier; the user sees the program's error box.
#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <new>
#include <string>
#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/Handles.h"
#include "tests/TestSupport.h"

namespace {

// Closes the first message box of this process that shows up, and says what it read.
struct BoxCloser {
  std::atomic<bool> stop{false};
  std::string caption, text;
  THandle t;
  BoxCloser() : t(StartThread(Run, this)) {}
  static unsigned __stdcall Run(void* self) {
    static_cast<BoxCloser*>(self)->Close();
    return 0;
  }
  void Close() {
    for (int i = 0; i < 20000 && !stop; ++i) {
      HWND box = nullptr;
      for (HWND h = FindWindowExA(nullptr, nullptr, "#32770", nullptr); h; h = FindWindowExA(nullptr, h, "#32770", nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid == GetCurrentProcessId()) box = h;
      }
      if (box) {
        char buf[256] = {};
        GetWindowTextA(box, buf, sizeof(buf));
        caption = buf;
        HWND label = GetDlgItem(box, 0xFFFF);
        if (label) GetWindowTextA(label, buf, sizeof(buf)), text = buf;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(1);
    }
  }
  // Waits for the closer (it ends once it has closed a box) and gives the box's caption.
  std::string Caption() {
    Join();
    return caption;
  }
  ~BoxCloser() {
    stop = true;
    Join();
  }
  void Join() {
    if (t) WaitForSingleObject(t.Get(), INFINITE), t.Reset();
  }
};

TEST(Barrier, NoFailureOnTheErrorPathLeavesIt) {
  ASSERT_TRUE(Application);
  auto saved = Application->OnException;
  struct Case {
    const char* what;
    std::function<void(TObject*, const std::string&)> handler;
  };
  const Case cases[] = {
      {"the error handler itself throws", [](TObject*, const std::string&) { throw std::runtime_error("again"); }},
      {"no memory left for the message", [](TObject*, const std::string&) { throw std::bad_alloc(); }},
  };
  for (const Case& c : cases) {
    Application->OnException = c.handler;
    BoxCloser closer;
    int r = Guarded(nullptr, []() -> int { throw std::runtime_error("first"); });
    EXPECT_EQ(r, 0) << c.what;
    EXPECT_EQ(closer.Caption(), "Velmor") << c.what << ": the program's own box, closed by the test";
    EXPECT_EQ(closer.text, "Unknown error.") << c.what;
  }
  // Called with no exception under way (a caller's slip), it reports instead of ending the program.
  ShownErrors().clear();
  Application->OnException = saved;
  Application->HandleException(nullptr);
  ASSERT_EQ(ShownErrors().size(), 1u);
  EXPECT_EQ(ShownErrors()[0], "Unknown error");
  Application->OnException = saved;
}

}  // namespace
