// The keyboard of every window through the program's own message loop: keys are posted to the
// focused control, as the system queues them, and the loop handles them.
#include <gtest/gtest.h>
#include <windows.h>
#include <map>
#include <utility>
#include <string>
#include "framework/Application.h"
#include "tests/TempFolder.h"
#include "tests/app/AppWindow.h"
#include "windows/UAbout.h"
#include "windows/UFrmReadme.h"

namespace {

struct Program : TTempFolder, TAppWindow<> {
  TFrmReadMe* viewer = nullptr;
  TfrmAbout* about = nullptr;
  std::map<std::string, int> clicks;
  Program()
      : TAppWindow<>("Keyboard", 1ull << 30, 1ull << 29, [this](TVelmorEnvironment& env) { env.ExeDir = Widen(Path()); }) {
    Write("Readme.txt", "Velmor\r\n");
    about = app->CreateForm<TfrmAbout>(std::wstring(), [](HWND, const std::string&) {});
    viewer = app->CreateForm<TFrmReadMe>(Widen(Path() + "\\"));
    f->SetAboutWindow(about);
    f->SetReadmeWindow(viewer);
  }
  // The buttons count their clicks instead of running their commands.
  void CountClicks() {
    for (auto [b, name] : {std::pair<TOvColorBtn*, const char*>{f->babort, "babort"}, {f->bdefrag, "bdefrag"},
                           {about->OvColorBtn1, "Thanks!"}})
      b->OnClick = [this, name = name](TObject*) { ++clicks[name]; };
    viewer->Button1->OnClick = [this](TObject*) { ++clicks["OK"]; };
  }
  // A key pressed and let go with these modifiers held, as the focused control receives it.
  void Key(UINT vk, UINT modifier = 0) {
    BYTE state[256] = {};
    if (modifier) state[modifier] = 0x80;
    SetKeyboardState(state);
    PostMessageA(GetFocus(), WM_KEYDOWN, vk, 1);
    PostMessageA(GetFocus(), WM_KEYUP, vk, 0xC0000001);
    app->ProcessMessages();
    BYTE none[256] = {};
    SetKeyboardState(none);
  }
};

// Each window's tab order, arrows, Enter, Escape and Space, starting where the focus goes when
// the window is activated: its first control.
TEST(Keyboard, EveryWindowAsADialog) {
  Program p;
  p.CountClicks();
  const std::map<std::string, HWND> c = {
      {"soglia", p.f->soglia->Handle()},        {"radio 0", p.f->rgAllarme->ButtonHandle(0)},
      {"radio 1", p.f->rgAllarme->ButtonHandle(1)}, {"babort", p.f->babort->Handle()},
      {"bdefrag", p.f->bdefrag->Handle()},      {"Thanks!", p.about->OvColorBtn1->Handle()},
      {"text", p.viewer->Viewer()->Handle()},   {"OK", p.viewer->Button1->Handle()}};
  struct TCase {
    UINT vk, modifier;
    const char* focus;    // where the focus is afterwards
    const char* clicked = nullptr;  // the button the key clicked, if any
  };
  const struct TWindow {
    TForm* form;
    const char* first;
    std::vector<TCase> keys;
  } windows[] = {
      {p.f, "soglia",
       {{VK_TAB, 0, "radio 0"}, {VK_TAB, 0, "babort"}, {VK_TAB, VK_CONTROL, "bdefrag"}, {VK_TAB, 0, "soglia"},
        {VK_TAB, VK_SHIFT, "bdefrag"}, {VK_LEFT, 0, "babort"}, {VK_RETURN, 0, "babort", "babort"},
        {VK_SPACE, 0, "babort", "babort"}, {VK_ESCAPE, 0, "babort"}, {VK_TAB, VK_SHIFT, "radio 0"},
        {VK_DOWN, 0, "radio 1"}, {VK_TAB, VK_SHIFT, "soglia"}, {VK_TAB, 0, "radio 1"}, {VK_UP, 0, "radio 0"},
        {VK_TAB, VK_SHIFT, "soglia"}, {VK_UP, 0, "soglia"}, {VK_RETURN, 0, "soglia"}}},
      {p.about, "Thanks!",
       {{VK_TAB, 0, "Thanks!"}, {VK_SPACE, 0, "Thanks!", "Thanks!"}, {VK_RETURN, 0, "Thanks!", "Thanks!"},
        {VK_ESCAPE, 0, "Thanks!", "Thanks!"}}},
      {p.viewer, "text",
       {{VK_DOWN, 0, "text"}, {VK_TAB, 0, "OK"}, {VK_TAB, 0, "text"}, {VK_TAB, VK_SHIFT, "OK"},
        {VK_TAB, VK_SHIFT, "text"}, {VK_RETURN, 0, "text", "OK"}, {VK_ESCAPE, 0, "text", "OK"},
        {VK_TAB, 0, "OK"}, {VK_RETURN, 0, "OK", "OK"}}},
  };
  for (const TWindow& w : windows) {
    w.form->Show();
    SetForegroundWindow(w.form->Handle());
    p.app->ProcessMessages();
    EXPECT_EQ(GetFocus(), c.at(w.first)) << w.form->Name() << ": activated, the first control has the focus";
    for (const TCase& k : w.keys) {
      std::map<std::string, int> before = p.clicks;
      p.Key(k.vk, k.modifier);
      std::string what = w.form->Name() + ": key " + std::to_string(k.vk) + "+" + std::to_string(k.modifier);
      EXPECT_EQ(GetFocus(), c.at(k.focus)) << what;
      for (const auto& [name, n] : p.clicks) EXPECT_EQ(n - before[name], k.clicked && name == k.clicked) << what << ": " << name;
    }
    w.form->Hide();
  }
  EXPECT_EQ(p.f->rgAllarme->ItemIndex(), 0) << "an arrow chooses the radio item it reaches";
  EXPECT_EQ(p.f->soglia->Value(), 60) << "the field keeps its own keys: Up adds a step";
}

// Escape or Enter ends About and the viewer shown from the main window, which is active again
// with the focus back on the control that had it.
TEST(Keyboard, ClosingAboutAndTheViewerActivatesTheMainWindow) {
  Program p;
  p.f->Ripristina1Click(p.f);
  p.app->ProcessMessages();
  p.f->bdefrag->SetFocus();
  for (TForm* modal : std::initializer_list<TForm*>{p.about, p.viewer}) {
    TNotifyEvent& onClick = modal == p.about ? p.about->OvColorBtn1->OnClick : p.viewer->Button1->OnClick;
    int clicks = 0;
    onClick = [&clicks, real = onClick](TObject* s) { ++clicks, real(s); };
    for (UINT vk : {VK_ESCAPE, VK_RETURN}) {
      // The close behind the key only ends a run the key failed to end.
      modal->OnShow = [&](TObject*) {
        PostMessageA(modal->Handle(), WM_KEYDOWN, vk, 1);
        PostMessageA(modal->Handle(), WM_CLOSE, 0, 0);
      };
      int before = clicks;
      modal == p.about ? p.f->About1Click(p.f) : p.f->ReadMe1Click(p.f);
      EXPECT_EQ(clicks - before, 1) << modal->Name() << " " << vk << ": the key clicked the button that closes";
      EXPECT_EQ(GetActiveWindow(), p.f->Handle()) << modal->Name() << " " << vk;
      EXPECT_EQ(GetFocus(), p.f->bdefrag->Handle()) << modal->Name() << " " << vk;
    }
  }
}

}  // namespace
