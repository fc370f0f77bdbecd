#include "windows/UFrmReadme.h"
#include "framework/Application.h"
#include "framework/Paths.h"
#include "framework/FileStream.h"

std::string ReadmeCutNote() {
  return "[Readme.txt goes on beyond " + std::to_string(kReadmeShownBytes / 1024) + " KB: the rest is not shown.]";
}

namespace {
const int kPanelHeight = 34;

// The first limit bytes of text, back to just after the last line end among them when there
// is one, so that no character is cut in two (UTF-16 by its byte-order mark: a line end is a
// whole 16-bit unit).
std::string CutAtLineEnd(std::string text, size_t limit) {
  bool le = text.compare(0, 2, "\xFF\xFE") == 0, be = text.compare(0, 2, "\xFE\xFF") == 0;
  text.resize(limit);
  for (size_t i = text.size(); i-- > 0;) {
    if (text[i] != '\n') continue;
    if (le || be) {
      if ((i % 2 == 0 && le && i + 1 < text.size() && text[i + 1] == 0) || (i % 2 == 1 && be && text[i - 1] == 0)) {
        text.resize(le ? i + 2 : i + 1);
        return text;
      }
      continue;
    }
    text.resize(i + 1);
    return text;
  }
  if ((le || be) && text.size() % 2) text.pop_back();
  return text;
}
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
  // OK closes on Enter and Escape too, wherever the focus is.
  SetDefaultButton(Button1);
  SetCancelButton(Button1);
  Realign();

  OnCreate = [this](TObject* s) { FormCreate(s); };
}

void TFrmReadMe::Realign() {
  int w = ClientWidth(), h = ClientHeight();
  const int panelHeight = Scaled(kPanelHeight);
  int panelTop = h > panelHeight ? h - panelHeight : 0;
  Panel1->SetBounds(0, panelTop, w, panelHeight);
  if (rr) rr->SetBounds(0, 0, w, panelTop);
}

LRESULT TFrmReadMe::WndProc(UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_SIZE && Panel1) Realign();
  if (msg == WM_SHOWWINDOW && w) Viewer();
  return TForm::WndProc(msg, w, l);
}

void TFrmReadMe::FormCreate(TObject* Sender) {
  // Shared with readers, not with writers; closed as soon as the text is in.
  TFileStream file((FFolder.empty() ? ExeFolderW() : FFolder) + L"\\Readme.txt");
  // No more than is shown is ever read: a file of any size costs the same.
  FContent = file.ReadAll(kReadmeShownBytes + 1);
  FCut = FContent.size() > kReadmeShownBytes;
  if (FCut) FContent = CutAtLineEnd(std::move(FContent), kReadmeShownBytes);
}

TRichEdit* TFrmReadMe::Viewer() {
  if (rr) return rr;
  rr = new TRichEdit(this, this);
  rr->SetName("rr");
  rr->SetDefaultFont(kTextFont, ANSI_CHARSET);
  // The text is the first tab stop, before OK, as the description lists them: the keyboard
  // user scrolls it with the arrow and page keys.
  SetWindowLongA(rr->Handle(), GWL_STYLE, GetWindowLongA(rr->Handle(), GWL_STYLE) | WS_TABSTOP);
  SetWindowPos(rr->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Realign();
  std::string text = std::move(FContent);
  FContent.clear();
  rr->SetLineLimit(kReadmeLineLimit);
  rr->LoadFromText(text, !FCut);
  if (FCut) rr->Append("\r\n" + ReadmeCutNote());
  return rr;
}
