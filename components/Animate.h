// The animated image: a lightweight control that shows one frame of a picture strip and, while
// active, steps through the frames on a timer whose thread only sleeps and hands each tick to
// the user-interface thread.
#pragma once
#include <windows.h>
#include <memory>
#include "framework/GraphicControls.h"
#include "framework/Handles.h"
#include "framework/StripBitmap.h"
#include "framework/Timers.h"
#include "framework/Transparent.h"

// ---- the controls ---------------------------------------------------------------------------

// Paints through the one back buffer all image controls share, so nothing flickers.
class TImageControl : public TGraphicControl {
public:
  // The colour value meaning "no colour": a frame is then drawn without transparency.
  static constexpr COLORREF clNone = 0x1FFFFFFF;

  TImageControl(TComponent* AOwner, TWinControl* AParent);
  ~TImageControl() override;

protected:
  virtual void DrawCurrentFrame(HDC dc) = 0;
  void WMPaint(HDC dc) override;
  TStripBitmap* FPicture = nullptr;  // not owned
  bool FDrawing = false;             // the paint routine runs
  bool FPaintBuffered = false;       // a paint into the off-screen bitmap runs
};

enum TGlyphOrientation { goHorizontal, goVertical };

// Shows one frame of Glyph, a strip of NumGlyphs equal frames side by side (or stacked); while
// Active it shows the next frame every Interval ms, skipping InactiveGlyph. Pixels of
// TransparentColor show what lies beneath: the parent's picture, or Color when Opaque.
//
// AsyncDrawing is kept as a property but frames are always stepped and painted on the
// user-interface thread: painting the parent from the timer's thread would race with the
// parent's own painting.
class TAnimatedImage : public TImageControl {
public:
  TAnimatedImage(TComponent* AOwner, TWinControl* AParent);
  ~TAnimatedImage() override;

  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool v);
  bool AsyncDrawing() const { return FAsyncDrawing; }
  void SetAsyncDrawing(bool v) { FAsyncDrawing = v; }
  bool Active() const { return FActive; }
  void SetActive(bool v);
  bool Center() const { return FCenter; }
  void SetCenter(bool v);
  TGlyphOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TGlyphOrientation v);
  // The strip. Changing its picture runs StripChanged.
  TStripBitmap& Glyph() { return *FGlyph; }
  void SetGlyph(HBITMAP source) { FGlyph->Assign(source); }
  int GlyphNum() const { return FGlyphNum; }
  // Ignored unless 0 <= v < NumGlyphs. Allowed while active.
  void SetGlyphNum(int v);
  unsigned Interval() const { return FTimer->Interval(); }
  void SetInterval(unsigned v) { FTimer->SetInterval(v); }
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int v);
  int InactiveGlyph() const { return FInactiveGlyph; }
  // Negative means none (-1); at or above NumGlyphs it is ignored, except while loading.
  void SetInactiveGlyph(int v);
  COLORREF TransparentColor() const { return FTransparentColor; }
  void SetTransparentColor(COLORREF v);
  bool Opaque() const { return FOpaque; }
  void SetOpaque(bool v);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool v);
  int FrameWidth() const { return FFrameWidth; }
  int FrameHeight() const { return FFrameHeight; }
  // The frame a paint shows now.
  int ShownFrame() const;

  TNotifyEvent OnFrameChanged, OnStart, OnStop;

  TThreadTimer* Timer() const { return FTimer; }
  // The timer's tick: the next frame, painted at once.
  void StepFrame(TObject* Sender);

  // A window description brackets its property writes with BeginLoading and Loaded.
  void BeginLoading() { FLoading = true; }
  bool Loading() const { return FLoading; }
  void Loaded() override;
  // The strip filtered to the new DPI: frames of 32 pixels at 96 are 48 at 144.
  void ChangeScale(int newDpi, int oldDpi) override;

protected:
  void Paint(HDC dc) override;
  void DrawCurrentFrame(HDC dc) override;
  void AdjustSize();
  void AfterPictureChange();
  virtual void DoFrameChanged();
  virtual void DoStart();
  virtual void DoStop();

private:
  void StripChanged();
  void MakeMask();
  void ShowInactive();
  void CalcFrameSize();
  bool FActive = false;
  std::unique_ptr<TStripBitmap> FGlyph;
  int FFrameWidth = 0, FFrameHeight = 0;
  int FInactiveGlyph = -1;
  TGlyphOrientation FOrientation = goHorizontal;
  TThreadTimer* FTimer;
  int FNumGlyphs = 1;
  int FGlyphNum = 0;
  bool FCenter = false;
  bool FStretch = true;
  COLORREF FTransparentColor = clNone;
  // The strip with its transparent colour masked out, made when either changes rather than on
  // every paint; empty without a transparent colour.
  gdi::MaskedBitmap FMasked;
  bool FOpaque = false;
  bool FAsyncDrawing = false;
  bool FAutoSize = true;
  bool FLoading = false;
  // False once destruction began: an event handler may destroy the image it came from.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};
