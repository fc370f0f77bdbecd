#include "windows/UFrmReadme.h"
#include "framework/Application.h"
#include "framework/Paths.h"
#include "framework/FileStream.h"

namespace {
const int kPanelHeight = 34;
const gdi::FontSpec kTextFont{"Arial", 10, false};  // 13 pixels high
}  // namespace

TFrmReadMe::TFrmReadMe(TComponent* AOwner, std::wstring programFolder)
    // Sizable, with no title-bar buttons: no system menu, so no close box either.
    : TForm(AOwner, "TFrmReadMe", WS_CAPTION | WS_THICKFRAME, 0), FFolder(std::move(programFolder)) {
  CreateControls();
  Loaded();
  // A file that does not load is reported here and the viewer stays, empty.
  Guarded(this, [this] { DoCreate(); });
}

void TFrmReadMe::CreateControls() {
  SetName("FrmReadMe");
  SetCaption("Velmor - Readme.txt");
  SetBounds((GetSystemMetrics(SM_CXSCREEN) - 552) / 2, (GetSystemMetrics(SM_CYSCREEN) - 399) / 2, 552, 399);

  Panel1 = new TPanel(this, this);
  Panel1->SetName("Panel1");
  Button1 = new TButton(this, Panel1);
  Button1->SetName("Button1");
  Button1->SetBounds(234, 6, 75, 25);
  Button1->SetCaption("OK");
  Button1->OnClick = [this](TObject*) {
    SetModalResult(mrOk);
    Close();
  };
  Realign();

  OnCreate = [this](TObject* s) { FormCreate(s); };
}

void TFrmReadMe::Realign() {
  int w = ClientWidth(), h = ClientHeight();
  int panelTop = h > kPanelHeight ? h - kPanelHeight : 0;
  Panel1->SetBounds(0, panelTop, w, kPanelHeight);
  if (rr) rr->SetBounds(0, 0, w, panelTop);
}

LRESULT TFrmReadMe::WndProc(UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_SIZE && Panel1) Realign();
  if (msg == WM_SHOWWINDOW && w) Viewer();
  LRESULT r = TForm::WndProc(msg, w, l);
  // OK is the one control the keyboard reaches: it has the focus whenever the window itself
  // would (a click into the text moves it there afterwards).
  if (msg == WM_ACTIVATE && LOWORD(w) != WA_INACTIVE && Button1 && (GetFocus() == Handle() || !GetFocus()))
    Button1->SetFocus();
  return r;
}

void TFrmReadMe::FormCreate(TObject* Sender) {
  // Shared with readers, not with writers; closed as soon as the text is in.
  TFileStream file((FFolder.empty() ? ExeFolderW() : FFolder) + L"Readme.txt");
  FContent = file.ReadAll();
}

TRichEdit* TFrmReadMe::Viewer() {
  if (rr) return rr;
  rr = new TRichEdit(this, this);
  rr->SetName("rr");
  rr->SetDefaultFont(kTextFont, ANSI_CHARSET);
  Realign();
  std::string text = std::move(FContent);
  FContent.clear();
  rr->LoadFromText(text);
  return rr;
}
