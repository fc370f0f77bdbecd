// The Readme viewer: "Readme.txt" from the program's folder, read once at start-up, shown
// read-only in a sizable modal window with an OK button.
#pragma once
#include <string>
#include "framework/Forms.h"
#include "framework/RichEdit.h"
#include "framework/StdCtrls.h"

class TFrmReadMe : public TForm {
public:
  // programFolder: where Readme.txt lies (no trailing backslash, as ExeFolderW gives it);
  // empty for the executable's own folder.
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
  bool FCut = false;     // the file goes on beyond what FContent holds
};

// Whatever Readme.txt holds, the viewer shows at most its first kReadmeShownBytes (cut back to
// the last line end there, when there is one, and followed by ReadmeCutNote()), with no line
// longer than kReadmeLineLimit characters: the rich edit control's time and memory grow fast
// with the text it holds, and with the square of a paragraph's length.
constexpr size_t kReadmeShownBytes = 128 * 1024;
constexpr size_t kReadmeLineLimit = 256;
std::string ReadmeCutNote();
