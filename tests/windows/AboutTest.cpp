#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include "framework/Application.h"
#include "framework/Paths.h"
#include "maker.h"
#include "tests/TestSupport.h"
#include "windows/UAbout.h"

namespace {

struct TOpened {
  HWND Owner;
  std::string File;
};

// The About window with the shell's open recorded; this test program carries the program's own
// resources (version 1.0.0.7, the logo).
struct About {
  std::vector<TOpened> opened;
  std::unique_ptr<TfrmAbout> f;
  explicit About(std::wstring exe = {}) {
    f = std::make_unique<TfrmAbout>(nullptr, std::move(exe),
                                    [this](HWND owner, const std::string& file) { opened.push_back({owner, file}); });
  }
  // A left click at a point of the panel, as the mouse gives it.
  void Click(int x, int y) {
    SendMessageA(f->Panel1->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(f->Panel1->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
};

TEST(AboutWindow, TheDescriptionAndTheTitleFromTheVersion) {
  About a;
  TfrmAbout& f = *a.f;
  EXPECT_EQ(f.Name(), "frmAbout");
  EXPECT_FALSE(IsWindowVisible(f.Handle())) << "made hidden";
  EXPECT_EQ(GetWindowLongA(f.Handle(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_BORDER), 0) << "no frame";
  EXPECT_EQ(f.ClientWidth(), 326);
  EXPECT_EQ(f.ClientHeight(), 233);
  EXPECT_EQ(f.Left(), (GetSystemMetrics(SM_CXSCREEN) - 326) / 2);
  EXPECT_EQ(f.Top(), (GetSystemMetrics(SM_CYSCREEN) - 233) / 2);
  EXPECT_EQ(f.Caption(), "Velmor");

  EXPECT_EQ(f.title1->Caption(), "Velmor v. 1.0.0.7");
  EXPECT_EQ(f.vl->Caption(), "Velmor v. 1.0.0.7");
  EXPECT_FALSE(f.vl->Visible());
  EXPECT_EQ(About(ExeFolderW() + L"\\verinfo_v2301.exe").f->title1->Caption(), "Velmor v. 2.3.0.1");
  EXPECT_EQ(About(ExeFolderW() + L"\\verinfo_none.exe").f->title1->Caption(), "Velmor v. < No Data Available >");

  // Positions and the loaded state of the four labels.
  struct TLabelCase {
    TLabelEffect* l;
    RECT bounds;
    TColor highlight, shadow, face;
    TGraduateOption graduate;
    TColor from;
    int height;
    const char* caption;
  } labels[] = {
      {f.title1, {6, 90, 321, 123}, RGB(128, 255, 255), 0, RGB(0, 128, 192), TGraduateOption::goNone, clWindowText, -27,
       "Velmor v. 1.0.0.7"},
      {f.LabelEffect2, {6, 124, 321, 157}, 0, 0, RGB(0, 128, 192), TGraduateOption::goVertical, clAqua, -16,
       VELMOR_ABOUT_COPYRIGHT},
      {f.LabelEffect1, {6, 154, 147, 187}, 0, 0, RGB(0, 128, 192), TGraduateOption::goVertical, clAqua, -16,
       VELMOR_ABOUT_EMAIL},
      {f.LabelEffect3, {168, 154, 309, 187}, 0, 0, RGB(0, 128, 192), TGraduateOption::goVertical, clAqua, -16,
       VELMOR_ABOUT_WEB},
  };
  for (const auto& c : labels) {
    const TLabelEffect& l = *c.l;
    RECT b = l.BoundsRect();
    EXPECT_TRUE(EqualRect(&b, &c.bounds)) << l.Name();
    EXPECT_EQ(l.ColourHighlight(), c.highlight) << l.Name();
    EXPECT_EQ(l.ColourShadow(), c.shadow) << l.Name();
    EXPECT_EQ(l.FontColor(), c.face) << l.Name();
    EXPECT_EQ(l.GraduateFace(), c.graduate) << l.Name();
    EXPECT_EQ(l.GraduateFrom(), c.from) << l.Name();
    EXPECT_EQ(l.ColourScheme(), csCustom) << l.Name();
    EXPECT_EQ(l.EffectStyle(), esRaised) << l.Name();
    EXPECT_EQ(l.Alignment(), taCenter) << l.Name();
    EXPECT_EQ(l.Font().Name, "Times New Roman") << l.Name();
    if (&l == f.LabelEffect1 || &l == f.LabelEffect3) {
      // The addresses fit their labels in one size, at most the copyright line's.
      EXPECT_GE(l.Font().Height, c.height) << l.Name();
      EXPECT_EQ(l.Font().Height, f.LabelEffect1->Font().Height) << l.Name();
    } else {
      EXPECT_EQ(l.Font().Height, c.height) << l.Name();
    }
    EXPECT_LE(l.TextExtent().cx, l.Width()) << l.Name();
    EXPECT_EQ(l.Caption(), c.caption) << l.Name();
  }
  EXPECT_EQ(f.LabelEffect1->Cursor(), IDC_HAND);
  EXPECT_EQ(f.LabelEffect3->Cursor(), IDC_HAND);
  EXPECT_EQ(f.PkJpegImage1->Width(), 287);
  EXPECT_EQ(f.PkJpegImage1->Height(), 70);
  EXPECT_EQ(f.OvColorBtn1->Caption(), "Thanks!");
  RECT btn = f.OvColorBtn1->BoundsRect(), want{120, 192, 205, 227};
  EXPECT_TRUE(EqualRect(&btn, &want));
}

// What the window shows, from a DIB section: the black panel with its raised 3-pixel bevel, the
// logo at 20, 10, the title's face colour.
TEST(AboutWindow, PaintsThePanelTheLogoAndTheLabels) {
  About a;
  gdi::Dib dib(326, 233);
  SendMessageA(a.f->Panel1->Handle(), WM_PRINTCLIENT, (WPARAM)dib.DC(), PRF_CLIENT);  // the kept buffers made
  int before = gdi::LiveObjects();
  SendMessageA(a.f->Panel1->Handle(), WM_PRINTCLIENT, (WPARAM)dib.DC(), PRF_CLIENT);
  EXPECT_EQ(gdi::LiveObjects(), before);
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(dib.Pixel(100, i), light) << i;
    EXPECT_EQ(dib.Pixel(i, 100), light) << i;
    EXPECT_EQ(dib.Pixel(100, 232 - i), shadow) << i;
    EXPECT_EQ(dib.Pixel(325 - i, 100), shadow) << i;
  }
  EXPECT_EQ(dib.Pixel(3, 100), RGB(0, 0, 0));
  EXPECT_EQ(dib.Pixel(10, 5), RGB(0, 0, 0));
  COLORREF chip = dib.Pixel(20 + 40, 10 + 40);
  EXPECT_NEAR(GetRValue(chip), 72, 12);
  EXPECT_NEAR(GetBValue(chip), 76, 12);
  int face = 0, highlight = 0, graduated = 0;
  for (int y = 90; y < 123; ++y)
    for (int x = 6; x < 321; ++x) {
      face += dib.Pixel(x, y) == RGB(0, 128, 192);
      highlight += dib.Pixel(x, y) == RGB(128, 255, 255);
    }
  for (int y = 124; y < 157; ++y)
    for (int x = 6; x < 321; ++x) {
      COLORREF c = dib.Pixel(x, y);
      graduated += GetRValue(c) == 0 && GetGValue(c) >= 128 && GetBValue(c) >= 192 && c != RGB(0, 128, 192);
    }
  EXPECT_GT(face, 50) << "the title's face";
  EXPECT_GT(highlight, 20) << "and its highlight";
  EXPECT_GT(graduated, 20) << "the copyright line runs from aqua to the face";

  // Every maker's line whole and centred: its label's first and last columns stay black, and the
  // lit columns have about as much black on the left as on the right (the letters' own side
  // bearings make up the difference: the last letter's ink ends before its advance does).
  for (TLabelEffect* l : {a.f->LabelEffect2, a.f->LabelEffect1, a.f->LabelEffect3}) {
    int first = -1, last = -1;
    for (int x = l->Left(); x < l->Left() + l->Width(); ++x)
      for (int y = l->Top(); y < l->Top() + l->Height(); ++y)
        if (dib.Pixel(x, y) != RGB(0, 0, 0)) {
          if (first < 0) first = x;
          last = x;
        }
    ASSERT_GE(first, 0) << l->Name();
    const int left = first - l->Left(), right = l->Left() + l->Width() - 1 - last;
    EXPECT_GE(left, 1) << l->Name();
    EXPECT_GE(right, 1) << l->Name();
    EXPECT_LE(std::abs(left - right), 6) << l->Name() << " lit " << left << " from the left, " << right << " from the right; extent " << l->TextExtent().cx << " height " << l->Font().Height;
  }
  // "Thanks!" on the black panel: the pixels its face leaves are the panel's black.
  gdi::Dib thanks(85, 35);
  gdi::FillSolid(thanks.DC(), RECT{0, 0, 85, 35}, RGB(245, 245, 245));
  SendMessageA(a.f->OvColorBtn1->Handle(), WM_PRINTCLIENT, (WPARAM)thanks.DC(), PRF_CLIENT);
  for (int y = 1; y < 33; ++y) EXPECT_EQ(thanks.Pixel(82, y), RGB(0, 0, 0)) << "column W - 3, row " << y;
  for (int y = 0; y < 35; ++y) EXPECT_EQ(thanks.Pixel(84, y), RGB(0, 0, 0)) << "the last column, row " << y;
  for (int x = 0; x < 85; ++x) EXPECT_EQ(thanks.Pixel(x, 34), RGB(0, 0, 0)) << "the last row, column " << x;
}

// A maker's line configured longer than its label: a smaller font while one fits, else the line
// from the label's left edge; never centred and cut at both ends.
TEST(AboutWindow, AMakersLineLongerThanItsLabel) {
  About a;
  struct TCase {
    std::string caption;
    bool shrinks, fits;
  } cases[] = {
      {VELMOR_ABOUT_COPYRIGHT, false, true},
      {"Freeware - (C) 2026 Tolvane, Via dei Mille 12, Roma", true, true},
      {std::string(120, 'W'), true, false},
  };
  for (const TCase& c : cases) {
    TLabelEffect* l = a.f->LabelEffect2;
    l->SetAlignment(taCenter);
    gdi::FontSpec sixteen = l->Font();
    sixteen.Height = -16;
    l->SetFont(sixteen);
    l->SetCaption(c.caption);
    FitMakerLine(*l);
    EXPECT_EQ(l->Font().Height < -8 && l->Font().Height > -16, c.shrinks && c.fits) << c.caption;
    EXPECT_EQ(l->Font().Height == -16, !c.shrinks) << c.caption;
    EXPECT_EQ(l->TextExtent().cx <= l->Width(), c.fits) << c.caption;
    EXPECT_EQ(l->Alignment(), c.fits ? taCenter : taLeftJustify) << c.caption;
    if (!c.fits) {
      EXPECT_EQ(l->Font().Height, -8) << "the smallest size first";
    }
  }
}

TEST(AboutWindow, TheAddressesOpenThroughTheShellAndThanksCloses) {
  About a;
  a.Click(6 + 70, 154 + 16);    // the e-mail address
  a.Click(168 + 70, 154 + 16);  // the web address
  a.Click(6 + 150, 124 + 16);   // the copyright line opens nothing
  ASSERT_EQ(a.opened.size(), 2u);
  EXPECT_EQ(a.opened[0].File, std::string("mailto:") + VELMOR_ABOUT_EMAIL);
  EXPECT_EQ(a.opened[1].File, VELMOR_ABOUT_WEB);
  for (const auto& o : a.opened) EXPECT_EQ(o.Owner, Application->Handle()) << "owned by the application's window";

  // Shown modally and closed by Thanks!, twice: it shows again as it was.
  for (int round = 0; round < 2; ++round) {
    bool shown = false;
    a.f->OnShow = [&](TObject*) {
      shown = true;
      PostMessageA(a.f->OvColorBtn1->Handle(), BM_CLICK, 0, 0);
    };
    a.f->ShowModal();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(IsWindowVisible(a.f->Handle()));
    EXPECT_EQ(a.f->title1->Caption(), "Velmor v. 1.0.0.7");
  }
  EXPECT_TRUE(ShownErrors().empty());
}

}  // namespace
