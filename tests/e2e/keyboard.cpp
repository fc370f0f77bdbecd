// The keyboard alone: Tab round the main window, then Escape and Enter out of About and the
// Readme viewer, typed as real keys into the X display around Wine.
#include "tests/e2e/Driver.h"
#include <tuple>
#include "app/Commands.h"

namespace {
GUITHREADINFO Gui(HWND w) {
  GUITHREADINFO i{};
  i.cbSize = sizeof(i);
  GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &i);
  return i;
}
HWND FocusOf(HWND w) { return Gui(w).hwndFocus; }
}  // namespace

int KeyboardScenario(Driver& d) {
  HWND w = StartRestored(d);
  if (!w) return d.Finish();
  HWND field = d.FindChild(w, "Edit"), radio = d.FindChild(w, "Button", "Avvisa soltanto");
  HWND abort = d.FindChild(w, "TOvColorBtn", "Abbandona"), defrag = d.FindChild(w, "TOvColorBtn", "Deframmenta");
  d.Xdo("mousemove 5 5");  // the pointer over the desktop, off the window: X gives the keys there
  d.Check(d.WaitUntil([&] { return field && FocusOf(w) == field; }, 10000), "restored, the threshold field has the focus");
  // A key typed, and the wait for the focus it should move to.
  auto key = [&](const char* name, HWND to, const char* what, bool shot) {
    d.Xdo(std::string("key ") + name);
    bool moved = to && d.WaitUntil([&] { return FocusOf(to) == to; }, 10000);
    d.Check(moved, std::string(name) + " moves the focus to " + what);
    if (shot) d.Shot(std::string("e2e-keyboard-") + what);
  };
  key("Tab", radio, "radio", true);
  key("Tab", abort, "abort", true);
  key("Tab", defrag, "defrag", true);
  key("Tab", field, "field", false);
  key("shift+Tab", defrag, "defrag", false);
  // About closed by Escape; the viewer by Escape in its text, then by Enter on OK, reached by Tab.
  for (auto [command, cls, closeKey] : {std::tuple{cmAbout, "TfrmAbout", "Escape"}, {cmReadme, "TFrmReadMe", "Escape"},
                                        {cmReadme, "TFrmReadMe", "Return"}}) {
    HWND win = d.FindTopLevel(cls), first = nullptr;  // the viewer makes its text box when first shown
    PostMessageA(w, WM_COMMAND, command, 0);
    const char* firstCls = command == cmAbout ? "TOvColorBtn" : "RICHEDIT";
    d.Check(d.WaitUntil([&] { return win && IsWindowVisible(win) && (first = d.FindChild(win, firstCls)) && FocusOf(win) == first; }),
            std::string(cls) + " shows, the focus on its " + firstCls);
    d.Shot(std::string("e2e-keyboard-") + cls + "-" + closeKey);
    if (closeKey[0] == 'R') key("Tab", d.FindChild(win, "Button", "OK"), "readme-ok", true);
    d.Xdo(std::string("key ") + closeKey);
    d.Check(d.WaitUntil([&] { return !IsWindowVisible(win) && Gui(w).hwndActive == w && FocusOf(w) == defrag; }),
            std::string(closeKey) + " closes " + cls + "; the main window is active again, the focus on Deframmenta");
  }
  d.Shot("e2e-keyboard-back");
  PostMessageA(w, WM_COMMAND, cmQuit, 0);
  d.Check(d.WaitForExit(30000), "Quit ends the process");
  return d.Finish();
}
