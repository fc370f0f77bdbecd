// Every window laid out for the DPI: each is made at this prefix's 96 pixels per inch and then
// laid out again at the DPI of the row, through the one call start-up and WM_DPICHANGED use.
#include <gtest/gtest.h>
#include <windows.h>
#include "app/URam.h"
#include "framework/Application.h"
#include "framework/Paths.h"
#include "tests/TempFolder.h"
#include "tests/app/AppWindow.h"
#include "windows/UAbout.h"
#include "windows/UFrmReadme.h"

namespace {

struct TRect {
  int l, t, w, h;
  bool operator==(const TRect&) const = default;
};

RECT InParent(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The rectangle as left, top, width, height, for comparing with a row.
std::ostream& operator<<(std::ostream& o, const TRect& r) { return o << r.l << "," << r.t << " " << r.w << "x" << r.h; }
void ExpectRect(const RECT& r, const TRect& want, const std::string& what, int dpi) {
  EXPECT_EQ((TRect{r.left, r.top, r.right - r.left, r.bottom - r.top}), want) << what << " at " << dpi;
}

int BitmapWidth(HBITMAP b) {
  BITMAP bm{};
  return b && GetObjectA(b, sizeof bm, &bm) ? bm.bmWidth : 0;
}

// Each window's client area and a few controls, edges scaled by DPI / 96, and a picture of each
// kind at its new size.
struct TScaleRow {
  int dpi, mainW, mainH;
  TRect gb, rgAllarme, babort;
  int glyph, menuPicture, alarmFrame, aboutW, aboutH;
  TRect thanks, logo, ok;
} const kRows[] = {
    {96, 330, 266, {4, 50, 117, 53}, {122, 50, 205, 53}, {138, 2, 89, 35}, 20, 24, 32, 326, 233, {120, 192, 85, 35},
     {20, 10, 287, 70}, {234, 6, 75, 25}},
    {120, 413, 333, {5, 63, 146, 66}, {153, 63, 256, 66}, {173, 3, 111, 43}, 25, 30, 40, 408, 291, {150, 240, 106, 44},
     {25, 13, 359, 88}, {293, 8, 93, 31}},
    {144, 495, 399, {6, 75, 176, 80}, {183, 75, 308, 80}, {207, 3, 134, 53}, 30, 36, 48, 489, 350, {180, 288, 128, 53},
     {30, 15, 431, 105}, {351, 9, 113, 38}},
    {192, 660, 532, {8, 100, 234, 106}, {244, 100, 410, 106}, {276, 4, 178, 70}, 40, 48, 64, 652, 466,
     {240, 384, 170, 70}, {40, 20, 574, 140}, {468, 12, 150, 50}},
};

struct Windows : TTempFolder, TAppWindow<> {
  TfrmAbout* about;
  TFrmReadMe* viewer;
  Windows() : TAppWindow<>("Scale", 16ull << 20, 8ull << 20, [this](TVelmorEnvironment& env) { env.ExeDir = Widen(Path()); }) {
    Write("Readme.txt", "Velmor\r\n");
    about = app->CreateForm<TfrmAbout>(std::wstring(), [](HWND, const std::string&) {});
    viewer = app->CreateForm<TFrmReadMe>(Widen(Path()));
  }
  void SetDpi(int dpi) {
    f->SetPixelsPerInch(dpi);
    about->SetPixelsPerInch(dpi);
    viewer->SetPixelsPerInch(dpi);
  }
  void Expect(const TScaleRow& row) {
    const int dpi = row.dpi;
    EXPECT_EQ(f->ClientWidth(), row.mainW) << dpi;
    EXPECT_EQ(f->ClientHeight(), row.mainH) << dpi;
    ExpectRect(InParent(f->gb->Handle()), row.gb, "gb", dpi);
    ExpectRect(InParent(f->rgAllarme->Handle()), row.rgAllarme, "rgAllarme", dpi);
    ExpectRect(InParent(f->babort->Handle()), row.babort, "babort", dpi);
    EXPECT_EQ(InParent(f->Panel3->Handle()).bottom, InParent(f->Panel1->Handle()).top) << dpi;
    EXPECT_EQ(f->babort->GlyphHolder().CellSize().cx, row.glyph) << dpi;
    EXPECT_EQ(BitmapWidth(f->Deframmenta2->Bitmap()), row.menuPicture) << dpi;
    EXPECT_EQ(f->ani->Width(), row.alarmFrame) << dpi;
    {
      gdi::MemDC dc;
      gdi::Select s(dc, f->Deframmenta2->Bitmap());
      EXPECT_EQ(GetPixel(dc, 0, 0), GetSysColor(COLOR_MENU)) << dpi << ": the background is never blended";
    }
    // Every caption fits as at 96: the labels beside the alarm image and inside their group, the
    // two radio rows one under the other inside theirs.
    EXPECT_LE(InParent(f->Label2->Handle()).right, f->ani->Left()) << dpi;
    EXPECT_LE(InParent(f->Label4->Handle()).right, row.gb.w) << dpi;
    RECT r0 = InParent(f->rgAllarme->ButtonHandle(0)), r1 = InParent(f->rgAllarme->ButtonHandle(1));
    EXPECT_LE(r0.bottom, r1.top) << dpi;
    EXPECT_LE(r1.bottom, row.rgAllarme.h) << dpi;

    EXPECT_EQ(about->ClientWidth(), row.aboutW) << dpi;
    EXPECT_EQ(about->ClientHeight(), row.aboutH) << dpi;
    ExpectRect(InParent(about->OvColorBtn1->Handle()), row.thanks, "OvColorBtn1", dpi);
    ExpectRect(about->PkJpegImage1->BoundsRect(), row.logo, "PkJpegImage1", dpi);
    ExpectRect(InParent(viewer->Button1->Handle()), row.ok, "Button1", dpi);
    RECT c, p = InParent(viewer->Panel1->Handle());
    GetClientRect(viewer->Handle(), &c);
    EXPECT_EQ(p.bottom, c.bottom) << dpi << ": the button panel at the foot of the viewer";
    EXPECT_LE(row.ok.t + row.ok.h, p.bottom - p.top) << dpi << ": OK inside it";
  }
};

// Through every DPI of the table and back, as a window moved between monitors goes: each layout
// is the one the DPI gives, whatever came before (no rounding piles up).
TEST(WindowScale, EveryWindowAtEachDpi) {
  Windows w;
  for (const TScaleRow& row : {kRows[0], kRows[1], kRows[2], kRows[3], kRows[0], kRows[2], kRows[1], kRows[0]}) {
    w.SetDpi(row.dpi);
    w.Expect(row);
  }
}

}  // namespace
