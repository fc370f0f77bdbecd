#include "windows/UAbout.h"
#include <shellapi.h>
#include <algorithm>
#include <cstdlib>
#include "framework/Application.h"
#include "maker.h"

namespace {
const int kWidth = 326, kHeight = 233;
const TColor kFace = 12615680;  // red 0, green 128, blue 192

gdi::FontSpec TimesNewRoman(int height, bool italic = false) {
  gdi::FontSpec f;
  f.Name = "Times New Roman";
  f.Height = -height;
  f.Italic = italic;
  return f;
}

const int kSmallestLine = 8;  // pixels: below this a line is no longer read

// The character height in pixels a label's font asks for.
int LineHeight(const TLabelEffect& l) { return std::abs(l.Font().Height); }

void SetLineHeight(TLabelEffect& l, int height) {
  gdi::FontSpec f = l.Font();
  f.Height = -height;
  l.SetFont(f);
}

void ShellOpen(HWND owner, const std::string& file) {
  ShellExecuteA(owner, "open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
}  // namespace

TfrmAbout::TfrmAbout(TComponent* AOwner, std::wstring exePath, TShellOpen shellOpen)
    : TForm(AOwner, "TfrmAbout", WS_POPUP, 0), FShellOpen(shellOpen ? std::move(shellOpen) : ShellOpen) {
  CreateControls(exePath);
  Loaded();
  DoCreate();
}

// Properties in the order a stored description sets them: a label's ColourHighlight before its
// font, so the font's colour wins over the scheme row the highlight switches to.
void TfrmAbout::CreateControls(const std::wstring& exePath) {
  SetName("frmAbout");
  SetCaption("Velmor");
  SetFont(gdi::FontSpec{"MS Sans Serif", 8});
  SetClientSize(kWidth, kHeight);
  SetPosition((GetSystemMetrics(SM_CXSCREEN) - Width()) / 2, (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2);

  Panel1 = new TPanel(this, this);
  Panel1->SetName("Panel1");
  Panel1->SetBounds(0, 0, kWidth, kHeight);
  Panel1->SetColor(0);
  Panel1->SetBevelWidth(3);

  PkJpegImage1 = new TPkJpegImage(this, Panel1);
  PkJpegImage1->SetName("PkJpegImage1");
  PkJpegImage1->SetBounds(20, 10, 287, 70);
  PkJpegImage1->SetAutoSize(true);
  PkJpegImage1->Picture().LoadFromResource(GetModuleHandleA(nullptr), "ABOUT_LOGO", "JPEG");

  title1 = new TLabelEffect(this, Panel1);
  title1->SetName("title1");
  title1->SetBounds(6, 90, 315, 33);
  title1->SetColourHighlight(RGB(128, 255, 255));
  title1->SetColourScheme(csCustom);
  title1->SetAlignment(taCenter);
  title1->SetCaption("Velmor ");
  title1->SetFont(TimesNewRoman(27));
  title1->SetFontColor(kFace);

  vl = new TVersionLabel(this, Panel1, exePath);
  vl->SetName("vl");
  vl->SetBounds(94, 110, 140, 13);
  vl->SetVisible(false);
  vl->SetVersionResource(vrFileVersion);
  vl->SetVersionResourceKey("FileVersion");
  vl->SetInfoPrefix("Velmor v.");
  vl->SetShowInfoPrefix(true);
  vl->SetLangCharset("-1");

  struct TLine {
    TLabelEffect*& Label;
    const char* Name;
    int Left, Top, Width;
    const char* Caption;
    bool Link;
  } lines[] = {
      {LabelEffect2, "LabelEffect2", 6, 124, 315, VELMOR_ABOUT_COPYRIGHT, false},
      {LabelEffect1, "LabelEffect1", 6, 154, 141, VELMOR_ABOUT_EMAIL, true},
      {LabelEffect3, "LabelEffect3", 168, 154, 141, VELMOR_ABOUT_WEB, true},
  };
  for (const TLine& l : lines) {
    auto* e = l.Label = new TLabelEffect(this, Panel1);
    e->SetName(l.Name);
    e->SetBounds(l.Left, l.Top, l.Width, 33);
    e->SetColourHighlight(0);
    e->SetColourScheme(csCustom);
    e->SetGraduateFace(TGraduateOption::goVertical);
    e->SetGraduateFrom(clAqua);
    e->SetAlignment(taCenter);
    e->SetCaption(l.Caption);
    e->SetFont(TimesNewRoman(16));
    e->SetFontColor(kFace);
    if (l.Link) {
      e->SetCursor(IDC_HAND);
      e->OnClick = [this](TObject* s) { LabelEffect1Click(s); };
    }
  }

  FitMakerLine(*LabelEffect2);
  FitMakerLine(*LabelEffect1);
  FitMakerLine(*LabelEffect3);
  // The two addresses side by side in one size.
  const int both = std::min(LineHeight(*LabelEffect1), LineHeight(*LabelEffect3));
  SetLineHeight(*LabelEffect1, both);
  SetLineHeight(*LabelEffect3, both);

  CreateThanksButton();
  OnCreate = [this](TObject* s) { FormCreate(s); };
}

// "Thanks!": the gradient colour button in (0, 128, 192), with the mouse-focus look, dither
// pattern and black or white text by the face.
void TfrmAbout::CreateThanksButton() {
  OvColorBtn1 = new TOvColorBtn(this, Panel1);
  OvColorBtn1->SetName("OvColorBtn1");
  OvColorBtn1->SetBounds(120, 192, 85, 35);
  OvColorBtn1->SetCaption("Thanks!");
  OvColorBtn1->SetFont(TimesNewRoman(13, true));
  OvColorBtn1->SetColor(RGB(0, 128, 192));
  OvColorBtn1->SetStyle(bsGradient);
  OvColorBtn1->SetOptions(boShowMouseFocus | boDitherPattern | boAutoBlackWhiteText);
  OvColorBtn1->OnClick = [this](TObject* s) { OvColorBtn1Click(s); };
  // The window has no title bar to close it by: Enter and Escape click Thanks! as well.
  SetDefaultButton(OvColorBtn1);
  SetCancelButton(OvColorBtn1);
}

void FitMakerLine(TLabelEffect& l) {
  for (int h = LineHeight(l); l.TextExtent().cx > l.Width() && h > kSmallestLine;) SetLineHeight(l, --h);
  if (l.TextExtent().cx > l.Width()) l.SetAlignment(taLeftJustify);
}

void TfrmAbout::FormCreate(TObject* Sender) { title1->SetCaption(vl->Caption()); }

void TfrmAbout::OvColorBtn1Click(TObject* Sender) { Close(); }

void TfrmAbout::LabelEffect1Click(TObject* Sender) {
  auto* label = dynamic_cast<TLabelEffect*>(Sender);
  if (!label) return;
  std::string file = label->Caption();
  if (file.find('@') != std::string::npos) file = "mailto:" + file;
  // The application's hidden window owns what the shell opens, not this one.
  FShellOpen(Application ? Application->Handle() : nullptr, file);
}
