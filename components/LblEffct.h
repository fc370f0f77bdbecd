// The effect label: a lightweight label that draws its caption raised, sunken, shadowed or
// flying, with highlight and shadow copies of the text in chosen directions and depths, solid or
// graduated faces, translucent shadows, rotation, and an optional push-button behaviour.
#pragma once
#include <cstdint>
#include <string>
#include "framework/GraphicControls.h"

using TEffectDepth = uint8_t;  // 0..10
enum TEffectDirection { edNone, edUp, edUpRight, edRight, edDownRight, edDown, edDownLeft, edLeft, edUpLeft };
enum TEffectStyle { esNone, esCustom, esRaised, esSunken, esShadow, esFlying };
enum TColourScheme { csCustom, csText, csWindows, csEmbossed, csGold, csSteel };
enum TEffectOption { eoNormal, eoReal, eoExtrude, eoGraduated };
// Scoped: the animated image's orientation already names goHorizontal and goVertical.
enum class TGraduateOption { goNone, goVertical, goHorizontal };
using TAngleRange = uint16_t;  // 0..360
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clAqua = 0x00FFFF00;

// The unit offset of a direction (x to the right, y downward).
POINT DirectionOffset(TEffectDirection d);

struct TSchemeRow {
  TColor Highlight, Shadow, Face;
};
// The fixed rows of the colour schemes; csCustom's is each label's own (see CustomRow).
const TSchemeRow& SchemeRow(TColourScheme s);

class TLabelEffect : public TGraphicControl {
public:
  TLabelEffect(TComponent* AOwner, TWinControl* AParent);

  TEffectDepth DepthHighlight() const { return FDepthHighlight; }
  void SetDepthHighlight(int v);
  TEffectDepth DepthShadow() const { return FDepthShadow; }
  void SetDepthShadow(int v);
  TEffectDirection DirectionHighlight() const { return FDirectionHighlight; }
  void SetDirectionHighlight(TEffectDirection v);
  TEffectDirection DirectionShadow() const { return FDirectionShadow; }
  void SetDirectionShadow(TEffectDirection v);
  TColor ColourHighlight() const { return FColourHighlight; }
  void SetColourHighlight(TColor v);
  TColor ColourShadow() const { return FColourShadow; }
  void SetColourShadow(TColor v);
  TGraduateOption GraduateFace() const { return FGraduateFace; }
  void SetGraduateFace(TGraduateOption v);
  TColor GraduateFrom() const { return FGraduateFrom; }
  void SetGraduateFrom(TColor v);
  TEffectOption StyleHighlight() const { return FStyleHighlight; }
  void SetStyleHighlight(TEffectOption v);
  TEffectOption StyleShadow() const { return FStyleShadow; }
  void SetStyleShadow(TEffectOption v);
  TEffectStyle EffectStyle() const { return FEffectStyle; }
  void SetEffectStyle(TEffectStyle v);
  TColourScheme ColourScheme() const { return FColourScheme; }
  void SetColourScheme(TColourScheme v);
  bool AsButton() const { return FAsButton; }
  void SetAsButton(bool v);
  TAngleRange Angle() const { return FAngle; }
  void SetAngle(int v);
  bool KeepLettersVertical() const { return FKeepLettersVertical; }
  void SetKeepLettersVertical(bool v);
  // The writable csCustom row: set through ColourHighlight and ColourShadow, and copied from
  // any other scheme chosen.
  const TSchemeRow& CustomRow() const { return FCustomRow; }

  // The ordinary label properties.
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  const gdi::FontSpec& Font() const { return FFont; }
  void SetFont(const gdi::FontSpec& v);
  TColor FontColor() const { return FFontColor; }
  void SetFontColor(TColor v);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v);
  // The width and height the unrotated caption takes on one line, its highlight and shadow
  // layers included: what the label must hold to show it whole.
  SIZE TextExtent() const;
  // They do not change the drawing: "&" always marks an accelerator, and lines always break.
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool v) { FShowAccelChar = v; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v) { FWordWrap = v; }

  // Fired only while AsButton is off: a button label handles its mouse itself.
  std::function<void(TObject* Sender, WPARAM Keys, int X, int Y)> OnMouseDown, OnMouseMove, OnMouseUp;

  // Font, layer depths and place at the new DPI.
  void ChangeScale(int newDpi, int oldDpi) override;

protected:
  void Paint(HDC dc) override;
  void MouseDown(WPARAM keys, int x, int y) override;
  void MouseMove(WPARAM keys, int x, int y) override;
  void MouseUp(WPARAM keys, int x, int y) override;

private:
  const TSchemeRow& CurrentRow() const { return FColourScheme == csCustom ? FCustomRow : SchemeRow(FColourScheme); }
  void StyleTouched() { if (!FApplyingStyle) SetEffectStyle(esCustom); }
  TEffectDepth FDepthHighlight = 1, FDepthShadow = 1;
  TEffectDirection FDirectionHighlight = edUpLeft, FDirectionShadow = edDownRight;
  TColor FColourHighlight = 0xFFFFFF, FColourShadow = 0;
  TGraduateOption FGraduateFace = TGraduateOption::goNone;
  TColor FGraduateFrom;
  TEffectOption FStyleHighlight = eoNormal, FStyleShadow = eoNormal;
  TEffectStyle FEffectStyle = esRaised;
  TColourScheme FColourScheme = csWindows;
  bool FAsButton = false;
  TAngleRange FAngle = 0;
  bool FKeepLettersVertical = false;
  TSchemeRow FCustomRow{0xFFFFFF, 0, 0x808080};
  bool FApplyingStyle = false, FApplyingScheme = false;  // the two guards
  double FCos = 1, FSin = 0, FCos2 = 1, FSin2 = 0;

  std::string FCaption;
  TAlignment FAlignment = taLeftJustify;
  gdi::FontSpec FFont;
  TColor FFontColor = clWindowText;
  bool FTransparent = true;
  bool FShowAccelChar = true, FWordWrap = false;
  // The two off-screen pictures Paint composes the layers in, kept between paints.
  gdi::BackBuffer FBackBuffer, FLayerBuffer;
};
