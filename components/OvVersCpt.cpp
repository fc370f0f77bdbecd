#include "components/OvVersCpt.h"
#include "framework/Controls.h"

TOvVersionCaptionForm::TOvVersionCaptionForm(TComponent* AOwner, std::wstring exePath)
    : TComponent(AOwner), TVersionText(std::move(exePath)) {
  SetShowInfoPrefix(true);
  SetLangCharset("-1");
  SetVersionResource(vrFileVersion);
  if (auto* w = dynamic_cast<TWinControl*>(AOwner)) FBaseCaption = w->Caption();
}

void TOvVersionCaptionForm::SetShowParentheses(bool v) {
  if (v == FShowParentheses) return;
  FShowParentheses = v;
  VersionChanged();
}

void TOvVersionCaptionForm::VersionChanged() {
  FVersionText = BuildVersionText();
  if (FShowParentheses) FVersionText = "(" + FVersionText + ")";
}

void TOvVersionCaptionForm::UpdateCaption() {
  VersionChanged();
  // Only a window has a caption to extend.
  auto* w = dynamic_cast<TWinControl*>(Owner());
  if (!w) return;
  w->SetCaption(FVersionText.find('<') != std::string::npos ? FBaseCaption : FBaseCaption + " " + FVersionText);
}
