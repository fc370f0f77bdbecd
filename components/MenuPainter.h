// The flat menu painter: a component on a form that turns the form's menus owner-drawn and
// paints their items itself: an icon column, a gradient behind the rows, a framed selection,
// drawn check boxes, single-line separators, faded and greyed pictures and a flat menu bar.
#pragma once
#include <windows.h>
#include <memory>
#include <set>
#include <string>
#include <vector>
#include "framework/Classes.h"
#include "framework/Dpi.h"
#include "framework/Forms.h"
#include "framework/Gdi.h"
#include "framework/Menus.h"

// Colour operations. Each takes system colours through the colour table; with a DC the result
// is the nearest colour that DC's device can show.
// Each channel c becomes c + round((255 - c) * percent / 100), the percentage cut to 100.
COLORREF LightenColor(TColor c, int percent, HDC dc = nullptr);
// Red and blue less amount, green less amount - 2, clamped; a negative amount lightens.
COLORREF ShadeColor(TColor c, int amount, HDC dc = nullptr);
// The grey of (r + g + b) / 3 + offset (offset cut to 100), at most 240.
COLORREF GrayLevelColor(TColor c, int offset, HDC dc = nullptr);
// Text on background: fontColor on a light one, else the background lightened by 90 %.
COLORREF ContrastTextColor(TColor background, TColor fontColor, HDC dc = nullptr);

// Bitmap operations on the pixels of a top-down 32-bit DIB (0x00RRGGBB), in memory.
void LightenPixels(unsigned* px, int count, int percent);
void GrayPixels(unsigned* px, int count, int offset);
// The painter's published bitmap helpers (its own painting uses the pixel functions above).
// Every pixel of bmp lightened (runs of equal pixels reuse the last result) or greyed; false
// when bmp is not a 32-bit DIB section.
bool LightenBitmap(HBITMAP bmp, int percent);
bool GrayBitmap(HBITMAP bmp, int offset);
// For every pixel of bmp that is not its bottom-left colour, the pixel of dc at (x + column,
// y + row) becomes colour: the shape is found in memory and goes onto dc in two blits.
void DrawBitmapShadow(HBITMAP bmp, HDC dc, int x, int y, COLORREF colour);

class TFlatMenuPainter : public TComponent {
public:
  // AOwner must be a form: anything else raises EInvalidCast.
  explicit TFlatMenuPainter(TComponent* AOwner);
  ~TFlatMenuPainter() override;

  const gdi::FontSpec& Font() const { return FFont; }
  TColor FontColor() const { return FFontColor; }
  void SetFont(const gdi::FontSpec& f, TColor color);
  TColor Color() const { return FColor; }
  void SetColor(TColor v) { FColor = v; }
  TColor IconBackColor() const { return FIconBackColor; }
  void SetIconBackColor(TColor v) { FIconBackColor = v; }
  TColor MenuBarColor() const { return FMenuBarColor; }
  void SetMenuBarColor(TColor v);
  TColor SelectColor() const { return FSelectColor; }
  void SetSelectColor(TColor v) { FSelectColor = v; }
  TColor SelectBorderColor() const { return FSelectBorderColor; }
  void SetSelectBorderColor(TColor v) { FSelectBorderColor = v; }
  TColor SelectFontColor() const { return FSelectFontColor; }
  void SetSelectFontColor(TColor v) { FSelectFontColor = v; }
  TColor DisabledColor() const { return FDisabledColor; }
  void SetDisabledColor(TColor v) { FDisabledColor = v; }
  TColor SeparatorColor() const { return FSeparatorColor; }
  void SetSeparatorColor(TColor v) { FSeparatorColor = v; }
  TColor CheckedColor() const { return FCheckedColor; }
  void SetCheckedColor(TColor v) { FCheckedColor = v; }
  int IconWidth() const { return FIconWidth; }
  void SetIconWidth(int v) { FIconWidth = v < 0 ? 0 : v; }
  bool DrawSelect() const { return FDrawSelect; }
  void SetDrawSelect(bool v) { FDrawSelect = v; }
  bool UseSystemColors() const { return FUseSystemColors; }
  void SetUseSystemColors(bool v);
  bool OverrideOwnerDraw() const { return FOverrideOwnerDraw; }
  void SetOverrideOwnerDraw(bool v);
  bool Gradient() const { return FGradient; }
  void SetGradient(bool v) { FGradient = v; }
  bool FlatMenu() const { return FFlatMenu; }
  void SetFlatMenu(bool v) { FFlatMenu = v; }
  bool AutoDetect() const { return FAutoDetect; }
  void SetAutoDetect(bool v) { FAutoDetect = v; }
  bool Active() const { return FActive; }
  void SetActive(bool v);

  // The two item handlers the painter installs.
  void MeasureItem(TMenuItem* item, HDC dc, int& width, int& height);
  void DrawItem(TMenuItem* item, HDC dc, RECT r, bool selected);
  // Whether item carries the painter's handlers.
  bool Draws(const TMenuItem* item) const;
  bool Measures(const TMenuItem* item) const;

  // The colours the last item was painted with. Text is the colour of an enabled item's text,
  // Tick that of a check box's tick.
  struct TPalette {
    COLORREF Color, IconBack, Select, SelectBorder, SelectFont, Checked, MenuBar, Disabled, Separator;
    COLORREF CheckedArea, CheckedAreaSelected, MenuBorder, MenuShadow;
    COLORREF Text, Tick;
  };
  const TPalette& Palette() const { return FPal; }
  // Recomputes the palette for painting on dc.
  void ComputePalette(HDC dc);
  // The last palette is the system's plain one (menu, menu text, highlight, highlight text; no
  // gradient, no shadows) because the painter's own look would not read: high contrast is on
  // (SPI_GETHIGHCONTRAST, asked through SystemParametersInfoCall), or the text falls below
  // 4.5:1 on the painter's own backgrounds.
  bool SystemLook() const { return FSystemLook; }

  // The system's menu font, "MS Sans Serif" read as "Tahoma"; false (and f unchanged) when
  // the system cannot say.
  static bool SystemMenuFont(gdi::FontSpec& f);
  // How the metrics are asked for: the system's own call, unless a test stands in for it.
  static BOOL(WINAPI* SystemParametersInfoCall)(UINT action, UINT param, PVOID data, UINT flags);

  // The list an item's picture comes from (null: its own bitmap, if any), and the picture's size.
  TImageList* PictureList(TMenuItem* item) const;
  SIZE PictureSize(TMenuItem* item) const;

  void Loaded() override;
  // The icon column, the tick box and a font given in pixels at the form's new DPI; the
  // pictures scale with their items, the system's menu font with the system.
  void ChangeScale(int newDpi, int oldDpi) override;
  void Inserted(TComponent* AComponent) override;
  void Notification(TComponent* AComponent) override;

private:
  struct TDrawHook { TFlatMenuPainter* Painter; void operator()(TObject*, HDC, RECT, bool) const; };
  struct TMeasureHook { TFlatMenuPainter* Painter; void operator()(TObject*, HDC, int&, int&) const; };
  TForm* FForm;
  void Reactivate();
  void HookMenus(bool hook);
  void HookTree(TMenuItem* item, bool hook);
  void Hook(TMenuItem* item);
  void Unhook(TMenuItem* item);
  void RedrawBar();
  // The font selected for text (in the Arabic character set for right-to-left rows); made
  // again only when its description changed.
  HFONT CurrentFont(bool rtl);
  static bool SystemMenuLogFont(LOGFONTA& lf);
  void ResetToSystemFont();
  bool HighColor(HDC dc) const;
  // Turns the palette into the system's plain one where the own one would not read.
  void GiveWayToScheme();
  bool GradientShown() const { return FGradient && FHigh && !FSystemLook; }

  // Painting (MenuPainter.Draw.cpp). A row is painted into a kept buffer whose DC takes the
  // item's own coordinates, its pixel work done in memory, and goes onto the menu in one blit.
  struct TRowBuffer {
    gdi::BackBuffer Buffer;
    RECT Area{};  // the item coordinates the buffer holds now
    // Makes room for area; false when no buffer can be had.
    bool Fit(const RECT& area);
    // The pixel at item coordinates (x, y), which must lie in Area.
    unsigned& At(int x, int y) const;
    void Fill(RECT r, COLORREF c) const;  // clipped to Area
    void Frame(const RECT& r, COLORREF c) const;
  };
  // A picture's pixels, top row first; its bottom-left pixel is the colour behind it.
  struct TPicture {
    std::vector<unsigned> Px;
    int W = 0, H = 0;
    bool FromList = false;
  };
  bool LoadPicture(TMenuItem* item, HDC dc, TPicture& pic);
  void DrawDropDownItem(TMenuItem* item, HDC dc, RECT r, bool selected);
  void DrawBarItem(TMenuItem* item, HDC dc, RECT r, bool selected);
  void DrawGradient(const RECT& r, bool rtl);
  void DrawCheck(TMenuItem* item, HDC dc, const RECT& check, bool framePicture, bool selected);
  void DrawPicture(TMenuItem* item, TPicture& pic, const RECT& icon, bool selected, bool rtl);
  void DrawText(TMenuItem* item, HDC dc, RECT tr, bool selected, bool bar);
  void DrawFlatBorder(HDC dc, bool rtl);
  TRowBuffer FRow;
  TPicture FPicture;
  gdi::BackBuffer FListCell;  // a list picture is drawn here first

  gdi::FontSpec FFont;
  TColor FFontColor;
  gdi::Font FFontHandle;
  gdi::FontSpec FFontMade;
  BYTE FFontCharSet = DEFAULT_CHARSET;
  // The system menu font as last read, so that reading the same again copies nothing.
  LOGFONTA FSystemLogFont{};
  gdi::FontSpec FSystemFont;
  bool FSystemFontRead = false;
  std::string FText;  // the text being drawn, its room kept
  TColor FColor, FIconBackColor, FMenuBarColor, FSelectColor, FSelectBorderColor, FSelectFontColor;
  TColor FDisabledColor, FSeparatorColor, FCheckedColor;
  int FIconWidth = 24;
  int FPixelsPerInch = kDesignDpi;
  bool FDrawSelect = true, FUseSystemColors = true, FOverrideOwnerDraw = false, FGradient = false;
  bool FFlatMenu = false, FAutoDetect = false, FActive = false;
  bool FHigh = true;
  bool FSystemLook = false;
  HDC FNearDC = nullptr;  // the DC whose nearest colours count; null in high-colour mode
  TPalette FPal{};
  std::set<TMenuItem*> FHooked;  // items carrying one of our handlers
};
