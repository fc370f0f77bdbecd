// A label whose caption is one field of the executable's version resource, with its prefix.
#pragma once
#include <string>
#include "components/VersionInfo.h"
#include "framework/StdCtrls.h"

class TVersionLabel : public TLabel, public TVersionText {
public:
  // exePath: whose version resource to read; empty for the running executable.
  TVersionLabel(TComponent* AOwner, TWinControl* AParent, std::wstring exePath = {});

protected:
  void VersionChanged() override;
};
