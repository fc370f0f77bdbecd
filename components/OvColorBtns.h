// The colour button: a push button drawn entirely by the program in any face colour, in one of
// eleven face styles, with an optional glyph beside its caption, a hot look while the mouse is
// over it, optional sounds, speed-button grouping, and black or white text by the face's
// lightness. A click leaves the keyboard focus where it was; Tab reaches it, and then Space or
// Enter clicks it, with a focus rectangle once the keyboard has moved the focus.
#pragma once
#include <windows.h>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "components/OvColorUtils.h"
#include "framework/Gdi.h"
#include "framework/Transparent.h"
#include "framework/Controls.h"
#include "framework/StripBitmap.h"
#include "framework/Timers.h"

enum TClr95ButtonStyle {
  bsWin31, bsNew, bsEllipse, bsTab, bsIE4, bsSideDownTab, bsGlass, bsFlat, bsOwnerDraw, bsMicroposeGame, bsGradient
};
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonOption : unsigned {
  boShowMouseFocus = 1u << 0, boRepeatable = 1u << 1, boDitherPattern = 1u << 2, boAutoBlackWhiteText = 1u << 3
};
using TButtonOptions = unsigned;  // a set of TButtonOption bits
enum TColorBtnState { cbsUp, cbsDisabled, cbsPressed, cbsLatched };

// The handler draws the face itself on Canvas (the paint buffer) and may shrink BtnRect to the
// content rectangle.
using TClrBtnOwnerDrawEvent = std::function<void(TObject* Sender, HDC Canvas, RECT& BtnRect)>;

// Sent to every control of a parent when a grouped button went down: wParam the group index,
// lParam the button.
constexpr UINT CM_BUTTONPRESSED = 0xB030;

// Paints the face of a style into r (the whole button) and returns the rectangle left for glyph
// and caption. face is an RGB colour.
RECT DrawButtonFace(HDC dc, const RECT& r, TClr95ButtonStyle style, bool designing, bool down, bool mouseInside,
                    COLORREF face);
// The plain face a button takes in the user's scheme where its own look would not read (see
// framework/SystemLook.h): the button face, or the highlight while lit (hot or down), framed in
// the button text colour. Returns the content rectangle as DrawButtonFace does.
RECT DrawSystemButtonFace(HDC dc, const RECT& r, bool down, bool lit);
// The caption colour of that face: highlight text while lit, grey text while disabled.
COLORREF SystemButtonText(bool lit, bool enabled);
// Whether a button of this face (RGB) and caption colour gives way: high contrast on, or a
// face from the scheme's colours (system) that its caption does not read on, hot or not.
bool ButtonGivesWay(bool highContrast, bool systemFace, COLORREF face, COLORREF caption);
// The shared 8 x 8 pattern of the latched look: face with face +128 on the pixels whose x and y
// have equal parity. Loaded from the OVCLRBTNPATTERN resource on first use.
HBITMAP DitherPattern(COLORREF face);

// ---- glyphs ---------------------------------------------------------------------------------

// An image list of one cell size whose slots are reused: adding takes the lowest free slot.
// Each picture is a masked copy (gdi::MaskedBitmap), so it is drawn as every other picture is.
class TGlyphList {
public:
  TGlyphList(int w, int h);
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  int Count() const { return FCount; }
  // Adds a Width x Height picture from (sx, sy) of dc; its pixels of colour key are left out
  // when it is drawn. The slot, or -1 when no memory could be had.
  int AddMasked(HDC dc, int sx, int sy, COLORREF key);
  void Delete(int index);
  void Draw(HDC dc, int x, int y, int index) const;

private:
  int FWidth, FHeight, FCount = 0;
  std::vector<gdi::MaskedBitmap> FSlots;  // an empty picture is a free slot
};

// The lists of all glyphs, one per cell size, shared by every colour button of the process.
class TGlyphCache {
public:
  TGlyphList* GetList(int w, int h);
  // A list goes when its last picture went.
  void ReturnList(TGlyphList* list);
  bool Empty() const { return FLists.empty(); }
  int ListCount() const { return (int)FLists.size(); }

private:
  std::vector<std::unique_ptr<TGlyphList>> FLists;
};
// The shared cache while it exists (it is made on first use), else null.
TGlyphCache* GlyphCache();

// A button's glyph: the source strip, its transparent colour, the number of cells and the four
// state images, built once each into the shared list of their cell size.
class TButtonGlyph {
public:
  TButtonGlyph();
  ~TButtonGlyph();
  TButtonGlyph(const TButtonGlyph&) = delete;
  TButtonGlyph& operator=(const TButtonGlyph&) = delete;

  TStripBitmap& Glyph() { return FOriginal; }
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int v);
  COLORREF TransparentColor() const { return FTransparentColor; }
  COLORREF FaceColor() const { return FFaceColor; }
  void SetFaceColor(COLORREF c) { FFaceColor = c; }
  SIZE CellSize() const;
  // The image of a state, built on first use; -1 without a picture.
  int CreateButtonGlyph(TColorBtnState state);
  void DrawGlyph(HDC dc, int x, int y, TColorBtnState state);
  TGlyphList* List() const { return FList; }
  std::function<void()> OnChange;

private:
  void GlyphChanged();
  void Invalidate();
  TStripBitmap FOriginal;
  COLORREF FTransparentColor = RGB(128, 128, 0);  // olive until a picture tells its own
  int FNumGlyphs = 1;
  COLORREF FFaceColor = RGB(0, 0, 0);
  TGlyphList* FList = nullptr;
  std::array<int, 4> FIndexes{-1, -1, -1, -1};
};

// Where glyph and caption go in a content rectangle: the rules of Margin, Spacing and Layout.
struct TButtonLayoutResult {
  POINT GlyphPos;
  RECT TextBounds;
};
TButtonLayoutResult CalcButtonLayout(const RECT& client, SIZE glyph, SIZE text, TButtonLayout layout, int margin,
                                     int spacing);

// ---- the button -----------------------------------------------------------------------------

class TOvColorBtn : public TCustomControl {
public:
  TOvColorBtn(TComponent* AOwner, TWinControl* AParent);
  ~TOvColorBtn() override;

  TStripBitmap& Glyph() { return FGlyph->Glyph(); }
  void SetGlyph(HBITMAP b) { FGlyph->Glyph().Assign(b); }
  TButtonGlyph& GlyphHolder() { return *FGlyph; }
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool v);
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int v);
  bool Down() const { return FDown; }
  void SetDown(bool v);
  TStripBitmap& ImagineInattiva() { return FImagineInattiva; }
  void SetImagineInattiva(HBITMAP b) { FImagineInattiva.Assign(b); }
  TStripBitmap& ImagineAttiva() { return FImagineAttiva; }
  void SetImagineAttiva(HBITMAP b) { FImagineAttiva.Assign(b); }
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout v);
  const std::string& SoundClick() const { return FSoundClick; }
  void SetSoundClick(const std::string& v) { FSoundClick = v; }
  const std::string& SoundMouseOver() const { return FSoundMouseOver; }
  void SetSoundMouseOver(const std::string& v) { FSoundMouseOver = v; }
  int Margin() const { return FMargin; }
  void SetMargin(int v);
  int NumGlyphs() const { return FGlyph->NumGlyphs(); }
  void SetNumGlyphs(int v);
  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  TClr95ButtonStyle Style() const { return FStyle; }
  void SetStyle(TClr95ButtonStyle v);
  TButtonOptions Options() const { return FOptions; }
  void SetOptions(TButtonOptions v);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int v);

  TClrBtnOwnerDrawEvent OnOwnerDraw;
  TNotifyEvent OnClick, OnDblClick;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;

  TColorBtnState State() const { return FState; }
  bool Dragging() const { return FDragging; }
  bool MouseInside() const { return FMouseInside; }
  // Plays SoundClick, then fires OnClick.
  void Click();
  // The whole button painted into dc at (0, 0), with no buffer: what a paint shows.
  void PaintTo(HDC dc);
  void Loaded() override;
  // Frame, font, margin, spacing and glyph at the new DPI (the glyph filtered).
  void ChangeScale(int newDpi, int oldDpi) override;

  // The mouse, as its messages arrive; coordinates in the button's client area.
  void MouseDown(int x, int y);
  void MouseMove(int x, int y);
  void MouseUp(int x, int y);
  void MouseEnter();
  void MouseLeave();
  // The accelerator: true (handled) when ch is the caption's marked character and the button
  // is enabled; the button then clicks.
  bool DialogChar(char ch);
  // It has the focus and its window shows focus rectangles (the keyboard moved the focus).
  bool ShowsFocus() const;

  // The repeat timer all colour buttons share (the component's published name for it), and
  // what its tick does to the button held.
  static TTimer* RepeatTimer();
  void RepeatTimerTick();

  LRESULT WndProc(UINT msg, WPARAM w, LPARAM l) override;
  // BN_CLICKED sent on its behalf (Enter or Escape in a form whose default or cancel it is).
  bool CNCommand(WORD code) override;

protected:
  void CaptionChanged() override { Invalidate(); }
  void FontChanged() override { Invalidate(); }

private:
  // The kept paint buffer: a new bitmap for every paint costs as much as the paint itself under
  // Wine.
  gdi::BackBuffer FBuffer;
  bool Inside(int x, int y) const;
  void SetState(TColorBtnState s, bool repaint);
  void PrepareImage();
  void UpdateExclusive();
  void ButtonPressed(int group, TOvColorBtn* sender);
  void EnabledChanged();
  void StopRepeat();
  // The end of a press, by the mouse or Space: inside, the button clicks.
  void Release(bool inside);
  void DrawContent(HDC dc, const RECT& content);
  // The caption's colour on a face of the own look.
  COLORREF CaptionColor(COLORREF face) const;
  bool FPlain = false;  // the last paint gave way to the user's scheme
  void DrawFocus(HDC dc, const RECT& content);
  void PaintParentImage(HDC dc, const RECT& r) const;
  std::unique_ptr<TButtonGlyph> FGlyph;
  TStripBitmap FImagineAttiva, FImagineInattiva;
  bool FAllowAllUp = false;
  int FGroupIndex = 0;
  bool FDown = false;
  TButtonLayout FLayout = blGlyphLeft;
  std::string FSoundClick, FSoundMouseOver;
  int FMargin = -1;
  TColor FColor;
  TClr95ButtonStyle FStyle = bsNew;
  TButtonOptions FOptions = boShowMouseFocus | boDitherPattern | boAutoBlackWhiteText;
  int FSpacing = 4;
  TColorBtnState FState = cbsUp;
  bool FDragging = false;
  bool FMouseInside = false;
  bool FReleasing = false;  // our own ReleaseCapture runs
  bool FSpaceHeld = false;  // pressed with Space, not yet released
};
