#include "components/verslab.h"

TVersionLabel::TVersionLabel(TComponent* AOwner, TWinControl* AParent, std::wstring exePath)
    : TLabel(AOwner, AParent), TVersionText(std::move(exePath)) {
  SetShowInfoPrefix(true);
  SetLangCharset("-1");
  SetVersionResource(vrFileVersion);
}

void TVersionLabel::VersionChanged() { SetCaption(BuildVersionText()); }
