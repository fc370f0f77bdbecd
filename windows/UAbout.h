// The About window: a borderless black panel centred on the screen with the logo, the program's
// name and file version, the maker's lines (the addresses open through the shell) and a
// "Thanks!" button that closes it. Its texts are not localised.
#pragma once
#include <functional>
#include <string>
#include "components/OvColorBtns.h"
#include "components/LblEffct.h"
#include "components/PkJpegImage.h"
#include "components/verslab.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

// Opens a file or address through the shell with owner as the owning window; ShellExecuteA with
// the verb "open" and SW_SHOWNORMAL unless replaced. Its result is not used.
using TShellOpen = std::function<void(HWND owner, const std::string& file)>;

// A maker's line (copyright, e-mail, web: whatever the build was configured with) that is wider
// than its label gets a smaller font, a pixel at a time down to 8 pixels, until it fits on one
// line, centred and whole; one that is wider even then is drawn from the label's left edge, so
// that its beginning shows and only its end is cut.
void FitMakerLine(TLabelEffect& l);

class TfrmAbout : public TForm {
public:
  // exePath: whose version the title shows, empty for the running executable.
  explicit TfrmAbout(TComponent* AOwner, std::wstring exePath = {}, TShellOpen shellOpen = {});

  TPanel* Panel1 = nullptr;
  TPkJpegImage* PkJpegImage1 = nullptr;
  TLabelEffect* title1 = nullptr;
  TVersionLabel* vl = nullptr;
  TLabelEffect* LabelEffect2 = nullptr;
  TLabelEffect* LabelEffect1 = nullptr;
  TLabelEffect* LabelEffect3 = nullptr;
  TOvColorBtn* OvColorBtn1 = nullptr;

  void FormCreate(TObject* Sender);
  void OvColorBtn1Click(TObject* Sender);
  void LabelEffect1Click(TObject* Sender);

private:
  void CreateControls(const std::wstring& exePath);  // the window description
  void CreateThanksButton();
  TShellOpen FShellOpen;
};
