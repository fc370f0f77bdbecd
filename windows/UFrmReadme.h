// The Readme viewer: "Readme.txt" from the program's folder, read once at start-up, shown
// read-only in a sizable modal window with an OK button.
#pragma once
#include <string>
#include "framework/Controls.h"
#include "framework/RichEdit.h"
#include "framework/StdCtrls.h"

class TFrmReadMe : public TForm {
public:
  // programFolder: where Readme.txt lies, with its trailing backslash; empty for the
  // executable's own folder.
  explicit TFrmReadMe(TComponent* AOwner, std::wstring programFolder = {});

  // The text box, made on first use (the viewer's first show): the rich edit library and what
  // it loads cost a resident program some 2.5 MB, which a Readme that is never opened should
  // not. The text it shows is the file as read at start-up.
  TRichEdit* Viewer();
  TRichEdit* rr = nullptr;
  TPanel* Panel1 = nullptr;
  TButton* Button1 = nullptr;

  void FormCreate(TObject* Sender);

  LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override;

private:
  void CreateControls();  // the window description
  void Realign();         // rr fills what Panel1 leaves at the bottom
  std::wstring FFolder;
  std::string FContent;  // Readme.txt as read at start-up, until the text box takes it
};
