// Puts one field of the executable's version resource behind the caption of the window that
// owns it: "Velmor" becomes "Velmor v. 1.0.0.7".
#pragma once
#include <string>
#include "components/VersionInfo.h"
#include "framework/Classes.h"

class TOvVersionCaptionForm : public TComponent, public TVersionText {
public:
  // AOwner: the window whose caption this extends; its caption now is the one kept.
  // exePath: whose version resource to read; empty for the running executable.
  explicit TOvVersionCaptionForm(TComponent* AOwner, std::wstring exePath = {});

  bool ShowParentheses() const { return FShowParentheses; }
  void SetShowParentheses(bool v);
  // The text last built; property changes rebuild it, the caption waits for UpdateCaption.
  const std::string& VersionText() const { return FVersionText; }
  const std::string& BaseCaption() const { return FBaseCaption; }
  // The kept caption, a blank and the text; the kept caption alone when the text is a status
  // text. Always from the kept caption, so versions never stack.
  void UpdateCaption();

protected:
  void VersionChanged() override;

private:
  bool FShowParentheses = false;
  std::string FVersionText;
  std::string FBaseCaption;
};
