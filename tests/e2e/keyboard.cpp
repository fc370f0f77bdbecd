// The keyboard alone: Tab round the main window, then Escape and Enter out of About and the
// Readme viewer, typed as real keys into the X display around Wine.
#include "tests/e2e/Driver.h"
#include "app/Commands.h"

namespace {
GUITHREADINFO Gui(HWND w) {
  GUITHREADINFO i{};
  i.cbSize = sizeof(i);
  GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &i);
  return i;
}
HWND FocusOf(HWND w) { return Gui(w).hwndFocus; }
std::string Named(HWND h) {
  char cls[64] = {};
  GetClassNameA(h, cls, sizeof(cls));
  return std::string(cls) + " \"" + Driver::Text(h).substr(0, 24) + "\"";
}
}  // namespace

int KeyboardScenario(Driver& d) {
  HWND w = StartRestored(d);
  if (!w) return d.Finish();
  HWND field = d.FindChild(w, "Edit"), radio = d.FindChild(w, "Button", "Avvisa soltanto");
  HWND abort = d.FindChild(w, "TOvColorBtn", "Abbandona"), defrag = d.FindChild(w, "TOvColorBtn", "Deframmenta");
  d.Check(field && radio && abort && defrag, "the window has its field, radio items and buttons");
  if (!field || !radio || !abort || !defrag) return d.Finish();
  d.Xdo("mousemove 5 5");  // the pointer over the desktop, off the window: X gives the keys there
  bool focused = d.WaitUntil([&] { return FocusOf(w) == field; }, 10000);
  d.Check(focused, "restored, the threshold field has the focus (" + Named(FocusOf(w)) + ")");

  // A key typed, and the wait for the focus it should move.
  auto key = [&](const char* name, HWND to, const std::string& shot) {
    d.Xdo(std::string("key ") + name);
    bool moved = d.WaitUntil([&] { return FocusOf(to) == to; }, 10000);
    d.Check(moved, std::string(name) + " moves the focus to " + Named(to) + " (is " + Named(FocusOf(to)) + ")");
    if (!shot.empty()) d.Shot(shot);
  };
  key("Tab", radio, "e2e-keyboard-radio");
  key("Tab", abort, "e2e-keyboard-abort");
  key("Tab", defrag, "e2e-keyboard-defrag");
  key("Tab", field, "");
  key("shift+Tab", defrag, "");

  struct TModal {
    UINT command;
    const char* cls;
    const char* firstCls;
    const char* closeKey;
  } modals[] = {{cmAbout, "TfrmAbout", "TOvColorBtn", "Escape"}, {cmReadme, "TFrmReadMe", "RICHEDIT", "Escape"},
                {cmReadme, "TFrmReadMe", "RICHEDIT", "Return"}};
  for (const TModal& m : modals) {
    HWND win = d.FindTopLevel(m.cls);
    if (!win) {
      d.Check(false, std::string(m.cls) + " was made at start-up");
      continue;
    }
    PostMessageA(w, WM_COMMAND, m.command, 0);
    HWND first = nullptr;  // the viewer makes its text box when first shown
    bool shown = d.WaitUntil(
        [&] { return IsWindowVisible(win) && (first = d.FindChild(win, m.firstCls)) && FocusOf(win) == first; }, 15000);
    d.Check(shown, std::string(m.cls) + " shows with the focus on " + m.firstCls + " (is " + Named(FocusOf(win)) + ")");
    d.Shot(std::string("e2e-keyboard-") + m.cls + "-" + m.closeKey);
    // The second time, Enter on OK, reached by Tab from the text.
    if (m.closeKey[0] == 'R') key("Tab", d.FindChild(win, "Button", "OK"), "e2e-keyboard-readme-ok");
    d.Xdo(std::string("key ") + m.closeKey);
    d.Check(d.WaitUntil([&] { return !IsWindowVisible(win); }, 10000), std::string(m.closeKey) + " closes " + m.cls);
    bool back = d.WaitUntil([&] { return Gui(w).hwndActive == w && FocusOf(w) == defrag; }, 10000);
    d.Check(back, "the main window is active again, the focus back on Deframmenta (active " +
                      Named(Gui(w).hwndActive) + ", focus " + Named(FocusOf(w)) + ")");
  }
  d.Shot("e2e-keyboard-back");
  PostMessageA(w, WM_COMMAND, cmQuit, 0);
  d.Check(d.WaitForExit(30000), "Quit ends the process");
  return d.Finish();
}
