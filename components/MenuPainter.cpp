// The painter as a component: its properties, hooking the form's menus, the palette and the
// system menu font, and measuring items. Painting is in MenuPainter.Draw.cpp.
#include "components/MenuPainter.h"
#include "framework/SystemLook.h"
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace {
constexpr TColor kBtnShadow = clSystemColor | COLOR_BTNSHADOW;
constexpr TColor kInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION;
constexpr COLORREF kWhite = RGB(255, 255, 255), kSilver = RGB(192, 192, 192);

TForm* AsForm(TComponent* owner) {
  auto* form = dynamic_cast<TForm*>(owner);
  if (!form) throw EInvalidCast();
  return form;
}

}  // namespace

BOOL(WINAPI* TFlatMenuPainter::SystemParametersInfoCall)(UINT, UINT, PVOID, UINT) = SystemParametersInfoA;

bool TFlatMenuPainter::SystemMenuLogFont(LOGFONTA& lf) {
  if (!ReadMenuLogFont(lf, SystemParametersInfoCall)) return false;
  if (!lstrcmpA(lf.lfFaceName, "MS Sans Serif")) lstrcpyA(lf.lfFaceName, "Tahoma");
  return true;
}

bool TFlatMenuPainter::SystemMenuFont(gdi::FontSpec& f) {
  LOGFONTA lf;
  if (!SystemMenuLogFont(lf)) return false;
  f = gdi::FontSpec::FromLogFont(lf);
  return true;
}

TFlatMenuPainter::TFlatMenuPainter(TComponent* AOwner)
    : TComponent(AOwner),
      FForm(AsForm(AOwner)),
      FFontColor(clMenuText),
      FColor(clBtnFace),
      FIconBackColor(clBtnFace),
      FMenuBarColor(clBtnFace),
      FSelectColor(clHighlight),
      FSelectBorderColor(clHighlight),
      FSelectFontColor(clMenuText),
      FDisabledColor(kInactiveCaption),
      FSeparatorColor(clBtnFace),
      FCheckedColor(clHighlight) {
  SystemMenuFont(FFont);
}

TFlatMenuPainter::~TFlatMenuPainter() {
  for (TMenuItem* item : std::set<TMenuItem*>(FHooked)) Unhook(item);
}

// ---- properties --------------------------------------------------------------------------------

void TFlatMenuPainter::RedrawBar() {
  if (FForm->Handle() && FForm->Menu()) DrawMenuBar(FForm->Handle());
}

void TFlatMenuPainter::SetFont(const gdi::FontSpec& f, TColor color) {
  if (f == FFont && color == FFontColor) return;
  FFont = f;
  FFontColor = color;
  RedrawBar();
}

void TFlatMenuPainter::SetMenuBarColor(TColor v) {
  if (v == FMenuBarColor) return;
  FMenuBarColor = v;
  RedrawBar();
}

void TFlatMenuPainter::SetUseSystemColors(bool v) {
  if (v == FUseSystemColors) return;
  FUseSystemColors = v;
  RedrawBar();
}

void TFlatMenuPainter::SetOverrideOwnerDraw(bool v) {
  if (v == FOverrideOwnerDraw) return;
  FOverrideOwnerDraw = v;
  if (FActive) Reactivate();
}

void TFlatMenuPainter::SetActive(bool v) {
  if (v == FActive) return;
  FActive = v;
  if (v) {
    Reactivate();
  } else {
    HookMenus(false);
    RedrawBar();
  }
}

// ---- hooking ------------------------------------------------------------------------------------

void TFlatMenuPainter::TDrawHook::operator()(TObject* s, HDC dc, RECT r, bool selected) const {
  Painter->DrawItem(static_cast<TMenuItem*>(s), dc, r, selected);
}

void TFlatMenuPainter::TMeasureHook::operator()(TObject* s, HDC dc, int& w, int& h) const {
  Painter->MeasureItem(static_cast<TMenuItem*>(s), dc, w, h);
}

bool TFlatMenuPainter::Draws(const TMenuItem* item) const {
  const auto* t = item->OnDrawItem.target<TDrawHook>();
  return t && t->Painter == this;
}

bool TFlatMenuPainter::Measures(const TMenuItem* item) const {
  const auto* t = item->OnMeasureItem.target<TMeasureHook>();
  return t && t->Painter == this;
}

void TFlatMenuPainter::Hook(TMenuItem* item) {
  if (Draws(item)) return;
  bool any = false;
  if (!item->OnDrawItem || FOverrideOwnerDraw) item->OnDrawItem = TDrawHook{this}, any = true;
  if ((!item->OnMeasureItem || FOverrideOwnerDraw) && !Measures(item)) item->OnMeasureItem = TMeasureHook{this}, any = true;
  if (any && FHooked.insert(item).second) item->FreeNotification(this);
}

void TFlatMenuPainter::Unhook(TMenuItem* item) {
  if (Draws(item)) item->OnDrawItem = nullptr;
  if (Measures(item)) item->OnMeasureItem = nullptr;
  FHooked.erase(item);
}

void TFlatMenuPainter::HookTree(TMenuItem* item, bool hook) {
  hook ? Hook(item) : Unhook(item);
  for (int i = 0; i < item->Count(); ++i) HookTree(item->Item(i), hook);
}

void TFlatMenuPainter::HookMenus(bool hook) {
  for (int i = 0; i < FForm->ComponentCount(); ++i) {
    TComponent* c = FForm->Component(i);
    TMenuItem* root = nullptr;
    if (auto* m = dynamic_cast<TMainMenu*>(c)) {
      m->SetOwnerDraw(hook);
      root = m->Items();
    } else if (auto* p = dynamic_cast<TPopupMenu*>(c)) {
      p->SetOwnerDraw(hook);
      root = p->Items();
    }
    if (root)
      for (int k = 0; k < root->Count(); ++k) HookTree(root->Item(k), hook);
  }
  // Items that left the form's menus still carry our handlers: take them back too.
  if (!hook)
    for (TMenuItem* item : std::set<TMenuItem*>(FHooked)) Unhook(item);
}

void TFlatMenuPainter::Reactivate() {
  // Everything off and on again; the menus stay owner-drawn meanwhile, so they are not
  // rebuilt twice.
  for (TMenuItem* item : std::set<TMenuItem*>(FHooked)) Unhook(item);
  HookMenus(true);
  RedrawBar();
}

void TFlatMenuPainter::Loaded() {
  TComponent::Loaded();
  if (FActive) Reactivate();
}

void TFlatMenuPainter::Inserted(TComponent* AComponent) {
  if (FActive && FAutoDetect && dynamic_cast<TMenuItem*>(AComponent)) Reactivate();
}

void TFlatMenuPainter::Notification(TComponent* AComponent) {
  FHooked.erase(static_cast<TMenuItem*>(AComponent));
}

// ---- palette and font --------------------------------------------------------------------------

HFONT TFlatMenuPainter::CurrentFont(bool rtl) {
  BYTE charset = rtl ? ARABIC_CHARSET : FFont.CharSet;
  if (!FFontHandle || !(FFontMade == FFont) || FFontCharSet != charset) {
    gdi::FontSpec f = FFont;
    f.CharSet = charset;
    FFontHandle = gdi::MakeFont(f);
    FFontMade = FFont;
    FFontCharSet = charset;
  }
  return FFontHandle;
}

void TFlatMenuPainter::ResetToSystemFont() {
  LOGFONTA lf;
  if (!SystemMenuLogFont(lf)) return;
  FFontColor = clMenuText;
  // The same answer as last time, and the font still that one: nothing to copy, nothing made.
  if (FSystemFontRead && !memcmp(&lf, &FSystemLogFont, sizeof(lf)) && FFont == FSystemFont) return;
  FFont = FSystemFont = gdi::FontSpec::FromLogFont(lf);
  FSystemLogFont = lf;
  FSystemFontRead = true;
}

bool TFlatMenuPainter::HighColor(HDC dc) const {
  // A memory DC shows what its bitmap holds. Asking its bitmap is also far cheaper: Wine
  // answers GetDeviceCaps from the display settings at every call, at more than a whole row's
  // painting costs.
  BITMAP bm{};
  if (GetObjectType(dc) == OBJ_MEMDC && GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof(bm), &bm))
    return bm.bmBitsPixel * bm.bmPlanes >= 16;
  return GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES) >= 16;
}

void TFlatMenuPainter::ComputePalette(HDC dc) {
  FHigh = HighColor(dc);
  // A device of 16 bits or more shows every colour as it is: no need to ask it.
  FNearDC = FHigh ? nullptr : dc;
  dc = FNearDC;
  auto nearest = [dc](TColor c) { return LightenColor(c, 0, dc); };
  TPalette& p = FPal;
  p.Color = nearest(FColor);
  p.IconBack = nearest(FIconBackColor);
  p.Select = nearest(FSelectColor);
  p.SelectBorder = nearest(FSelectBorderColor);
  p.SelectFont = nearest(FSelectFontColor);
  p.MenuBar = nearest(FMenuBarColor);
  p.Disabled = nearest(FDisabledColor);
  p.Checked = nearest(FCheckedColor);
  p.Separator = nearest(FSeparatorColor);
  if (FHigh) {
    p.CheckedArea = LightenColor(FSelectColor, 75, dc);
    p.CheckedAreaSelected = LightenColor(FSelectColor, 50, dc);
    p.MenuBorder = ShadeColor(clBtnFace, 90, dc);
    p.MenuShadow = ShadeColor(clBtnFace, 76, dc);
  } else {
    p.CheckedArea = nearest(kWhite);
    p.CheckedAreaSelected = nearest(kSilver);
    p.MenuBorder = p.MenuShadow = nearest(kBtnShadow);
  }
  p.Text = ColorToRGB(FFontColor);
  p.Tick = RGB(0, 0, 0);
  if (!FUseSystemColors) return GiveWayToScheme();
  ResetToSystemFont();
  p.Text = ColorToRGB(FFontColor);
  p.SelectFont = nearest(FFontColor);
  if (FHigh) {
    p.Color = LightenColor(clBtnFace, 86, dc);
    p.IconBack = LightenColor(clBtnFace, 16, dc);
    p.Select = LightenColor(clHighlight, 68, dc);
    p.Disabled = LightenColor(kBtnShadow, 10, dc);
    p.Separator = LightenColor(kBtnShadow, 25, dc);
    p.CheckedArea = LightenColor(clHighlight, 75, dc);
    p.CheckedAreaSelected = LightenColor(clHighlight, 50, dc);
  } else {
    p.Color = p.Select = p.CheckedArea = p.CheckedAreaSelected = nearest(kWhite);
    p.IconBack = nearest(clBtnFace);
    p.Disabled = p.Separator = nearest(kBtnShadow);
  }
  p.SelectBorder = p.Checked = nearest(clHighlight);
  p.MenuBar = nearest(clBtnFace);
  GiveWayToScheme();
}

void TFlatMenuPainter::GiveWayToScheme() {
  TPalette& p = FPal;
  // The rows' text on every background of the own look: the gradient runs from the icon
  // column's colour lightened by 1 % to 96 %.
  const bool gradient = FGradient && FHigh;
  const COLORREF first = gradient ? LightenColor(p.IconBack, 1) : p.IconBack;
  const COLORREF last = gradient ? LightenColor(p.IconBack, 96) : p.Color;
  FSystemLook = UseSystemLook(HighContrastOn(SystemParametersInfoCall),
                              {{p.Text, first}, {p.Text, last}, {p.Text, p.MenuBar}, {p.SelectFont, p.Select}});
  if (!FSystemLook) return;
  const COLORREF menu = GetSysColor(COLOR_MENU), text = GetSysColor(COLOR_MENUTEXT);
  const COLORREF high = GetSysColor(COLOR_HIGHLIGHT), highText = GetSysColor(COLOR_HIGHLIGHTTEXT);
  p.Color = p.IconBack = p.MenuBar = p.CheckedArea = menu;
  p.Text = p.Checked = p.Separator = p.MenuBorder = p.MenuShadow = p.Tick = text;
  p.Select = p.SelectBorder = p.CheckedAreaSelected = high;
  p.SelectFont = highText;
  p.Disabled = GetSysColor(COLOR_GRAYTEXT);
}

// ---- measuring ----------------------------------------------------------------------------------

namespace {
SIZE Extent(HDC dc, const std::string& s) {
  SIZE sz{};
  GetTextExtentPoint32A(dc, s.c_str(), (int)s.size(), &sz);
  return sz;
}
}  // namespace

void TFlatMenuPainter::MeasureItem(TMenuItem* item, HDC dc, int& width, int& height) {
  if (!FActive || !item || !dc) return;
  // Measured in the font the item will be painted in.
  if (FUseSystemColors) ResetToSystemFont();
  std::string& text = FText;
  text.clear();
  if (!item->IsLine()) text = item->CaptionText();
  // With a shortcut (a caption's TAB starts one): the caption, the shortcut without its outer
  // blanks (a TAB inside it reads as a blank), and room for a gap.
  std::string shortcut(item->ShownShortCut());
  TabsAsBlanks(shortcut);
  size_t b = shortcut.find_first_not_of(' '), e = shortcut.find_last_not_of(' ');
  if (b != std::string::npos) {
    text = item->CaptionText();
    text.append(shortcut, b, e - b + 1);
    text += "WWW";
  }
  gdi::Select sf(dc, CurrentFont(item->IsRightToLeft()));
  SIZE t = Extent(dc, text);
  if (text.empty()) {
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    t.cy = tm.tmHeight;
  }
  SIZE image = PictureSize(item);
  if (!item->IsBarItem()) image.cx = std::max<LONG>(image.cx, FIconWidth);
  int w = t.cx - (FindCharIn(text, '&') != std::string::npos ? Extent(dc, "&").cx : 0) + image.cx + 10;
  int h = item->IsLine() ? 4 : std::max<int>(t.cy + RoundHalfEven(0.75 * t.cy), image.cy + 4);
  width = std::max(width, w);
  height = std::max(height, h);
}

void TFlatMenuPainter::ChangeScale(int newDpi, int oldDpi) {
  FPixelsPerInch = newDpi;
  FIconWidth = ScaleToDpi(FIconWidth, newDpi, oldDpi);
  FFont = ScaledFont(FFont, newDpi, oldDpi);
  RedrawBar();
}
