#include "components/LblEffct.h"
#include <algorithm>
#include <cmath>
#include <numbers>
#include "framework/Dpi.h"

namespace {
const POINT kOffsets[] = {{0, 0}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}};

const TSchemeRow kSchemes[] = {
    {0xFFFFFF, 0x000000, 0x808080},  // csCustom, as each label starts
    {0xFFFFFF, 0x808080, 0x000000},  // csText
    {0xFFFFFF, 0x000000, 0x808080},  // csWindows
    {0xFFFFFF, 0x000000, 0xC0C0C0},  // csEmbossed
    {0x00FFFF, 0x000000, 0x008080},  // csGold: yellow, black, olive
    {0xFFFF00, 0x800000, 0x808000},  // csSteel: aqua, navy, teal
};
}  // namespace

POINT DirectionOffset(TEffectDirection d) { return (unsigned)d <= edUpLeft ? kOffsets[d] : POINT{0, 0}; }

const TSchemeRow& SchemeRow(TColourScheme s) { return kSchemes[(unsigned)s <= csSteel ? s : csCustom]; }

TLabelEffect::TLabelEffect(TComponent* AOwner, TWinControl* AParent) : TGraphicControl(AOwner, AParent) {
  // The gradient starts from the font's colour as it is before the scheme colours it.
  FGraduateFrom = FFontColor;
  SetBounds(Left(), Top(), 142, 33);
  FFontColor = SchemeRow(csWindows).Face;
  FFont.Name = "Times New Roman";
  FFont.Size = 20;
}

// ---- effect and colours ---------------------------------------------------------------------

void TLabelEffect::SetDepthHighlight(int v) {
  v = std::clamp(v, 0, 10);
  if (v == FDepthHighlight) return;
  FDepthHighlight = (TEffectDepth)v;
  StyleTouched();
  Invalidate();
}

void TLabelEffect::SetDepthShadow(int v) {
  v = std::clamp(v, 0, 10);
  if (v == FDepthShadow) return;
  FDepthShadow = (TEffectDepth)v;
  StyleTouched();
  Invalidate();
}

void TLabelEffect::SetDirectionHighlight(TEffectDirection v) {
  if (v == FDirectionHighlight || (unsigned)v > edUpLeft) return;
  FDirectionHighlight = v;
  StyleTouched();
  Invalidate();
}

void TLabelEffect::SetDirectionShadow(TEffectDirection v) {
  if (v == FDirectionShadow || (unsigned)v > edUpLeft) return;
  FDirectionShadow = v;
  StyleTouched();
  Invalidate();
}

void TLabelEffect::SetColourHighlight(TColor v) {
  if (v == FColourHighlight) return;
  FColourHighlight = v;
  FCustomRow.Highlight = v;
  if (!FApplyingScheme) SetColourScheme(csCustom);
  Invalidate();
}

void TLabelEffect::SetColourShadow(TColor v) {
  if (v == FColourShadow) return;
  FColourShadow = v;
  FCustomRow.Shadow = v;
  if (!FApplyingScheme) SetColourScheme(csCustom);
  Invalidate();
}

void TLabelEffect::SetGraduateFace(TGraduateOption v) {
  if (v == FGraduateFace) return;
  FGraduateFace = v;
  Invalidate();
}

void TLabelEffect::SetGraduateFrom(TColor v) {
  if (v == FGraduateFrom) return;
  FGraduateFrom = v;
  if (FGraduateFace != TGraduateOption::goNone) Invalidate();
}

void TLabelEffect::SetStyleHighlight(TEffectOption v) {
  if (v == FStyleHighlight) return;
  FStyleHighlight = v;
  Invalidate();
}

void TLabelEffect::SetStyleShadow(TEffectOption v) {
  if (v == FStyleShadow) return;
  FStyleShadow = v;
  Invalidate();
}

void TLabelEffect::SetEffectStyle(TEffectStyle v) {
  if (v == FEffectStyle || (unsigned)v > esFlying) return;
  FEffectStyle = v;
  bool style = FApplyingStyle, scheme = FApplyingScheme;
  FApplyingStyle = FApplyingScheme = true;
  SetColourHighlight(CurrentRow().Highlight);
  struct TSet {
    TEffectDirection Highlight, Shadow;
    int DepthHighlight, DepthShadow;
  };
  auto apply = [this](const TSet& s) {
    SetDirectionHighlight(s.Highlight);
    SetDirectionShadow(s.Shadow);
    SetDepthHighlight(s.DepthHighlight);
    SetDepthShadow(s.DepthShadow);
  };
  switch (v) {
    case esNone: apply({edNone, edNone, 0, 0}); FAsButton = false; break;
    case esCustom: FAsButton = false; break;
    case esRaised: apply({edUpLeft, edDownRight, 1, 1}); break;
    case esSunken: apply({edDownRight, edUpLeft, 1, 1}); break;
    case esShadow: apply({edNone, edDownRight, 0, 2}); FAsButton = false; break;
    case esFlying:
      apply({edDownRight, edDownRight, 1, 5});
      SetColourHighlight(CurrentRow().Shadow);
      FAsButton = false;
      break;
  }
  FApplyingStyle = style, FApplyingScheme = scheme;
  Invalidate();
}

void TLabelEffect::SetColourScheme(TColourScheme v) {
  if (v == FColourScheme || (unsigned)v > csSteel) return;
  FColourScheme = v;
  bool scheme = FApplyingScheme;
  FApplyingScheme = true;
  TSchemeRow row = CurrentRow();
  if (v != csCustom) FCustomRow = row;
  SetColourHighlight(row.Highlight);
  SetFontColor(row.Face);
  SetColourShadow(row.Shadow);
  FApplyingScheme = scheme;
  Invalidate();
}

void TLabelEffect::SetAsButton(bool v) {
  if (v == FAsButton) return;
  FAsButton = v;
  if (v) SetEffectStyle(esRaised);
  Invalidate();
}

void TLabelEffect::SetAngle(int v) {
  v = std::clamp(v, 0, 360);
  if (v == FAngle) return;
  FAngle = (TAngleRange)v;
  double a = v * std::numbers::pi / 180;
  FCos = std::cos(a), FSin = std::sin(a);
  FCos2 = FCos * FCos, FSin2 = FSin * FSin;
  if (v != 0) SetAlignment(taLeftJustify);
  Invalidate();
}

void TLabelEffect::SetKeepLettersVertical(bool v) {
  if (v == FKeepLettersVertical) return;
  FKeepLettersVertical = v;
  if (FAngle != 0) Invalidate();
}

// ---- label properties -----------------------------------------------------------------------

void TLabelEffect::SetCaption(const std::string& v) {
  if (v == FCaption) return;
  FCaption = v;
  Invalidate();
}

void TLabelEffect::SetAlignment(TAlignment v) {
  if (v == FAlignment) return;
  FAlignment = v;
  Invalidate();
}

void TLabelEffect::SetFont(const gdi::FontSpec& v) {
  if (v == FFont) return;
  FFont = v;
  Invalidate();
}

void TLabelEffect::SetFontColor(TColor v) {
  if (v == FFontColor) return;
  FFontColor = v;
  Invalidate();
}

void TLabelEffect::SetTransparent(bool v) {
  if (v == FTransparent) return;
  FTransparent = v;
  Invalidate();
}

// ---- as a button ----------------------------------------------------------------------------

void TLabelEffect::MouseDown(WPARAM keys, int x, int y) {
  if (!FAsButton) {
    if (OnMouseDown) OnMouseDown(this, keys, x, y);
    return;
  }
  if ((keys & MK_LBUTTON) && Enabled() && FEffectStyle != esSunken) SetEffectStyle(esSunken);
}

void TLabelEffect::MouseMove(WPARAM keys, int x, int y) {
  if (!FAsButton) {
    if (OnMouseMove) OnMouseMove(this, keys, x, y);
    return;
  }
  // Exactly the left button: no other button or modifier key with it.
  if ((keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_SHIFT | MK_CONTROL)) != MK_LBUTTON) return;
  bool inside = x >= 0 && y >= 0 && x <= Width() && y <= Height();
  SetEffectStyle(inside ? esSunken : esRaised);
}

void TLabelEffect::MouseUp(WPARAM keys, int x, int y) {
  if (!FAsButton) {
    if (OnMouseUp) OnMouseUp(this, keys, x, y);
    return;
  }
  if (x >= 0 && y >= 0 && x <= Width() && y <= Height()) SetEffectStyle(esRaised);
}

void TLabelEffect::ChangeScale(int newDpi, int oldDpi) {
  TGraphicControl::ChangeScale(newDpi, oldDpi);
  // Set directly: the setters would turn the style into a custom one.
  FDepthHighlight = (TEffectDepth)std::clamp(ScaleToDpi(FDepthHighlight, newDpi, oldDpi), 0, 10);
  FDepthShadow = (TEffectDepth)std::clamp(ScaleToDpi(FDepthShadow, newDpi, oldDpi), 0, 10);
  SetFont(ScaledFont(FFont, newDpi, oldDpi));
  Invalidate();
}
