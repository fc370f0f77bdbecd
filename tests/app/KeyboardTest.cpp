// The keyboard of every window through the program's own message loop: keys are posted to the
// focused control, as the system queues them, and the loop handles them.
#include <gtest/gtest.h>
#include <map>
#include <string>
#include "tests/TempFolder.h"
#include "tests/app/AppWindow.h"
#include "windows/UAbout.h"
#include "windows/UFrmReadme.h"

namespace {

struct Program : TTempFolder, TAppWindow<> {
  TFrmReadMe* viewer;
  TfrmAbout* about;
  Program() : TAppWindow<>("Keyboard", 1ull << 30, 1ull << 29, [this](TVelmorEnvironment& e) { e.ExeDir = Widen(Path()); }) {
    Write("Readme.txt", "Velmor\r\n");
    f->SetAboutWindow(about = app->CreateForm<TfrmAbout>(std::wstring(), [](HWND, const std::string&) {}));
    f->SetReadmeWindow(viewer = app->CreateForm<TFrmReadMe>(Widen(Path())));
  }
  void Key(UINT vk, UINT modifier = 0) {  // pressed and let go, with the modifier held
    BYTE state[256] = {};
    state[modifier] = modifier ? 0x80 : 0;
    SetKeyboardState(state);
    PostMessageA(GetFocus(), WM_KEYDOWN, vk, 1);
    PostMessageA(GetFocus(), WM_KEYUP, vk, 0xC0000001);
    app->ProcessMessages();
    state[modifier] = 0;
    SetKeyboardState(state);
  }
};

// Each window's tab order, arrows, Enter, Escape and Space, from its first control, which has the
// focus once the window is activated. The buttons count their clicks instead of running.
TEST(Keyboard, EveryWindowAsADialog) {
  Program p;
  std::map<HWND, int> clicks;
  TOvColorBtn *ab = p.f->babort, *df = p.f->bdefrag, *th = p.about->OvColorBtn1;
  for (TOvColorBtn* b : {ab, df, th}) b->OnClick = [&, b](TObject*) { ++clicks[b->Handle()]; };
  p.viewer->Button1->OnClick = [&](TObject*) { ++clicks[p.viewer->Button1->Handle()]; };
  HWND so = p.f->soglia->Handle(), r0 = p.f->rgAllarme->ButtonHandle(0), r1 = p.f->rgAllarme->ButtonHandle(1),
       a = ab->Handle(), d = df->Handle(), t = th->Handle(), tx = p.viewer->Viewer()->Handle(),
       ok = p.viewer->Button1->Handle();
  struct TCase { UINT vk, modifier; HWND focus, clicked = nullptr; };  // the focus afterwards, what it clicked
  const struct { TForm* form; HWND first; std::vector<TCase> keys; } windows[] = {
      {p.f, so, {{VK_TAB, 0, r0}, {VK_TAB, 0, a}, {VK_TAB, VK_CONTROL, d}, {VK_TAB, 0, so}, {VK_TAB, VK_SHIFT, d},
                 {VK_LEFT, 0, a}, {VK_RETURN, 0, a, a}, {VK_SPACE, 0, a, a}, {VK_ESCAPE, 0, a}, {VK_TAB, VK_SHIFT, r0},
                 {VK_DOWN, 0, r1}, {VK_TAB, VK_SHIFT, so}, {VK_TAB, 0, r1}, {VK_UP, 0, r0}, {VK_TAB, VK_SHIFT, so},
                 {VK_UP, 0, so}, {VK_RETURN, 0, so}}},
      {p.about, t, {{VK_TAB, 0, t}, {VK_SPACE, 0, t, t}, {VK_RETURN, 0, t, t}, {VK_ESCAPE, 0, t, t}}},
      {p.viewer, tx, {{VK_DOWN, 0, tx}, {VK_TAB, 0, ok}, {VK_TAB, 0, tx}, {VK_TAB, VK_SHIFT, ok}, {VK_TAB, VK_SHIFT, tx},
                      {VK_RETURN, 0, tx, ok}, {VK_ESCAPE, 0, tx, ok}, {VK_TAB, 0, ok}, {VK_RETURN, 0, ok, ok}}},
  };
  for (const auto& w : windows) {
    w.form->Show();
    SetForegroundWindow(w.form->Handle());
    p.app->ProcessMessages();
    EXPECT_EQ(GetFocus(), w.first) << w.form->Name();
    for (const TCase& k : w.keys) {
      std::map<HWND, int> before = clicks;
      p.Key(k.vk, k.modifier);
      std::string what = w.form->Name() + ": key " + std::to_string(k.vk) + "+" + std::to_string(k.modifier);
      EXPECT_EQ(GetFocus(), k.focus) << what;
      for (const auto& [h, n] : clicks) EXPECT_EQ(n - before[h], h == k.clicked) << what;
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
      modal == p.about ? p.f->About1Click(p.f) : p.f->ReadMe1Click(p.f);
      EXPECT_EQ(clicks, vk == VK_ESCAPE ? 1 : 2) << modal->Name() << " " << vk;
      EXPECT_EQ(GetActiveWindow(), p.f->Handle()) << modal->Name() << " " << vk;
      EXPECT_EQ(GetFocus(), p.f->bdefrag->Handle()) << modal->Name() << " " << vk;
    }
  }
}

}  // namespace
