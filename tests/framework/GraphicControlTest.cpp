#include <gtest/gtest.h>
#include <windows.h>
#include <tuple>
#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/GraphicControls.h"

namespace {

// A lightweight control that fills itself with one colour and counts its paints.
class TBox : public TGraphicControl {
public:
  TBox(TComponent* owner, TWinControl* parent, COLORREF c) : TGraphicControl(owner, parent), FFill(c) {}
  int Paints = 0;

protected:
  void Paint(HDC dc) override {
    ++Paints;
    RECT r = ClientRect();
    r.right += 50;  // reaching past its own rectangle: the clip must hold it in
    gdi::Brush b(CreateSolidBrush(FFill));
    FillRect(dc, &r, b);
  }

private:
  COLORREF FFill;
};

struct Panel {
  TForm* form = new TForm(nullptr, "TGraphicTestForm");
  TPanel* panel;
  Panel() {
    form->SetClientSize(100, 60);
    panel = new TPanel(form, form);
    panel->SetBounds(0, 0, 100, 60);
  }
  ~Panel() { delete form; }
  void Print(gdi::Dib& dib) { SendMessageA(panel->Handle(), WM_PRINTCLIENT, (WPARAM)dib.DC(), PRF_CLIENT); }
};

TEST(GraphicControls, TheParentPaintsThemAtTheirPlaceInCreationOrder) {
  Panel p;
  auto* red = new TBox(p.form, p.panel, RGB(255, 0, 0));
  red->SetBounds(10, 10, 20, 20);
  auto* blue = new TBox(p.form, p.panel, RGB(0, 0, 255));
  blue->SetBounds(20, 20, 20, 20);
  gdi::Dib dib(100, 60);
  p.Print(dib);
  EXPECT_EQ(dib.Pixel(10, 10), RGB(255, 0, 0));
  EXPECT_EQ(dib.Pixel(25, 25), RGB(0, 0, 255)) << "the later control lies on top";
  EXPECT_EQ(dib.Pixel(29, 15), RGB(255, 0, 0));
  EXPECT_EQ(dib.Pixel(30, 15), GetSysColor(COLOR_BTNFACE)) << "clipped to its rectangle";
  EXPECT_EQ(dib.Pixel(9, 10), GetSysColor(COLOR_BTNFACE));

  blue->SetVisible(false);
  p.Print(dib);
  EXPECT_EQ(dib.Pixel(25, 25), RGB(255, 0, 0));
  EXPECT_EQ(dib.Pixel(35, 35), GetSysColor(COLOR_BTNFACE));
  int before = blue->Paints;
  p.Print(dib);
  EXPECT_EQ(blue->Paints, before) << "an invisible control is not painted";
}

TEST(GraphicControls, ColourFollowsTheParentUntilSet) {
  Panel p;
  auto* box = new TBox(p.form, p.panel, 0);
  EXPECT_TRUE(box->ParentColor());
  EXPECT_EQ(box->Color(), GetSysColor(COLOR_BTNFACE));
  box->SetColor(RGB(1, 2, 3));
  EXPECT_FALSE(box->ParentColor());
  EXPECT_EQ(box->Color(), RGB(1, 2, 3));
  box->SetColor(0xFF000000 | COLOR_HIGHLIGHT);
  EXPECT_EQ(box->Color(), GetSysColor(COLOR_HIGHLIGHT)) << "a system colour is resolved";
}

TEST(GraphicControls, RepaintOnAHiddenParentAndAParentThatGoesFirst) {
  Panel p;
  auto* box = new TBox(nullptr, p.panel, RGB(0, 255, 0));
  box->SetBounds(0, 0, 10, 10);
  box->Repaint();
  EXPECT_EQ(box->Paints, 0) << "nothing to paint on while the window is hidden";
  p.form->Show();
  box->Repaint();
  EXPECT_EQ(box->Paints, 1);
  delete p.form;
  p.form = nullptr;
  EXPECT_EQ(box->Parent(), nullptr);
  box->Repaint();
  box->Invalidate();
  delete box;
}

TEST(GraphicControls, TheMouseGoesToTheControlsOfItsOwnWindowAndStaysWithThePressedOne) {
  Panel a, b;
  auto* mine = new TBox(a.form, a.panel, 0);
  auto* other = new TBox(b.form, b.panel, 0);  // same place, another window
  int clicks[2] = {};
  for (TBox* box : {mine, other}) box->SetBounds(10, 10, 20, 20);
  mine->OnClick = [&](TObject*) { ++clicks[0]; };
  other->OnClick = [&](TObject*) { ++clicks[1], delete b.form, b.form = nullptr; };  // frees its window
  auto send = [](Panel& p, UINT msg, int x, int y) { SendMessageA(p.panel->Handle(), msg, 0, MAKELPARAM(x, y)); };
  for (POINT up : {POINT{15, 15}, POINT{80, 50}}) {
    send(a, WM_LBUTTONDOWN, 15, 15);
    send(a, WM_LBUTTONUP, up.x, up.y);
  }
  EXPECT_EQ(std::make_tuple(clicks[0], clicks[1]), std::make_tuple(1, 0)) << "a release off the control is no click";
  send(a, WM_LBUTTONDOWN, 15, 15);
  delete mine;  // the pressed control goes before the release
  send(a, WM_LBUTTONUP, 15, 15);
  EXPECT_NE(GetCapture(), a.panel->Handle());
  send(b, WM_LBUTTONDOWN, 15, 15);
  send(b, WM_LBUTTONUP, 15, 15);
  EXPECT_EQ(std::make_tuple(clicks[1], b.form), std::make_tuple(1, (TForm*)nullptr));
}

TEST(GraphicControls, PaintingLeavesNoGdiObjectBehind) {
  Panel p;
  p.form->Show();
  auto* box = new TBox(p.form, p.panel, RGB(0, 255, 0));
  box->SetBounds(5, 5, 30, 30);
  gdi::Dib dib(100, 60);
  int live = gdi::LiveObjects();
  for (int i = 0; i < 50; ++i) {
    p.Print(dib);
    box->Repaint();
    RedrawWindow(p.panel->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
  EXPECT_EQ(gdi::LiveObjects(), live);
}

}  // namespace
