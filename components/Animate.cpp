#include "components/Animate.h"
#include "framework/Application.h"
#include "framework/Dpi.h"

// ---- the image control ----------------------------------------------------------------------

TImageControl::TImageControl(TComponent* AOwner, TWinControl* AParent) : TGraphicControl(AOwner, AParent) {
  SetOpaqueStyle(true);
  SetBounds(Left(), Top(), 105, 105);
  SetParentColor(true);
}

TImageControl::~TImageControl() = default;

void TImageControl::WMPaint(HDC dc) {
  if (FPaintBuffered) return Paint(dc);
  int w = Width(), h = Height();
  if (w <= 0 || h <= 0) return;
  // Every image control paints on the window thread: one kept buffer serves them all. An image
  // painted while the buffer is in use (beneath a see-through one, which copies what lies under
  // it) is already off screen and goes straight into the buffer's DC.
  static gdi::BackBuffer buffer;
  static bool busy = false;
  if (busy || !buffer.Fit(w, h)) return Paint(dc);
  struct TBusy {
    TBusy() { busy = true; }
    ~TBusy() { busy = false; }
  } inUse;
  {
    gdi::SavedDC state(buffer.DC());
    FPaintBuffered = true;
    Paint(buffer.DC());
    FPaintBuffered = false;
  }
  BitBlt(dc, 0, 0, w, h, buffer.DC(), 0, 0, SRCCOPY);
}

// ---- the animated image ---------------------------------------------------------------------

TAnimatedImage::TAnimatedImage(TComponent* AOwner, TWinControl* AParent) : TImageControl(AOwner, AParent) {
  FTimer = new TThreadTimer(this);
  FGlyph = std::make_unique<TStripBitmap>();
  FGlyph->OnChange = [this] { StripChanged(); };
  FPicture = FGlyph.get();
}

TAnimatedImage::~TAnimatedImage() {
  OnFrameChanged = OnStart = OnStop = nullptr;
  FGlyph->OnChange = nullptr;
  *FAlive = false;
  SetActive(false);
  FPicture = nullptr;
  FGlyph.reset();
}

void TAnimatedImage::DoFrameChanged() {
  TNotifyEvent ev = OnFrameChanged;
  Fire(ev, this);
}

void TAnimatedImage::DoStart() {
  if (FLoading) return;
  TNotifyEvent ev = OnStart;
  Fire(ev, this);
}

void TAnimatedImage::DoStop() {
  if (FLoading) return;
  TNotifyEvent ev = OnStop;
  Fire(ev, this);
}

void TAnimatedImage::SetActive(bool v) {
  if (v == FActive) return;
  std::shared_ptr<bool> alive = FAlive;
  if (v) {
    FTimer->OnTimer = [this](TObject* s) { StepFrame(s); };
    FTimer->SetEnabled(true);
    FActive = FTimer->Enabled();
    DoStart();
    return;
  }
  FTimer->SetEnabled(false);
  FTimer->OnTimer = nullptr;
  FActive = false;
  ShowInactive();
  DoFrameChanged();
  if (*alive) DoStop();
  if (*alive) AfterPictureChange();
}

void TAnimatedImage::SetGlyphNum(int v) {
  if (v == FGlyphNum || v < 0 || v >= FNumGlyphs) return;
  FGlyphNum = v;
  ShowInactive();
  std::shared_ptr<bool> alive = FAlive;
  DoFrameChanged();
  if (*alive) AfterPictureChange();
}

void TAnimatedImage::SetNumGlyphs(int v) {
  if (v < 1) v = 1;  // a strip has at least one frame
  if (v == FNumGlyphs) return;
  FNumGlyphs = v;
  if (FInactiveGlyph < v) {
    ShowInactive();
  } else {
    FInactiveGlyph = -1;
    FGlyphNum = 0;
  }
  if (FGlyphNum >= v) FGlyphNum = 0;  // never left on a frame the strip no longer has
  CalcFrameSize();
  std::shared_ptr<bool> alive = FAlive;
  DoFrameChanged();
  if (*alive) AfterPictureChange();
}

void TAnimatedImage::SetInactiveGlyph(int v) {
  if (v < 0) v = -1;
  if (v == FInactiveGlyph) return;
  if (v >= FNumGlyphs && !FLoading) return;
  FInactiveGlyph = v;
  ShowInactive();
  std::shared_ptr<bool> alive = FAlive;
  DoFrameChanged();
  if (*alive) AfterPictureChange();
}

void TAnimatedImage::SetOrientation(TGlyphOrientation v) {
  if (v == FOrientation) return;
  FOrientation = v;
  StripChanged();
}

void TAnimatedImage::SetStretch(bool v) {
  if (v == FStretch) return;
  FStretch = v;
  AfterPictureChange();
  if (FActive) Repaint();
}

void TAnimatedImage::SetCenter(bool v) {
  if (v == FCenter) return;
  FCenter = v;
  AfterPictureChange();
  if (FActive) Repaint();
}

void TAnimatedImage::SetOpaque(bool v) {
  if (v == FOpaque) return;
  FOpaque = v;
  AfterPictureChange();
}

void TAnimatedImage::SetTransparentColor(COLORREF v) {
  if (v == FTransparentColor) return;
  FTransparentColor = v;
  MakeMask();
  AfterPictureChange();
}

void TAnimatedImage::SetAutoSize(bool v) {
  if (v == FAutoSize) return;
  FAutoSize = v;
  AfterPictureChange();
}

void TAnimatedImage::StripChanged() {
  FMasked = gdi::MaskedBitmap();  // of the old picture
  FTransparentColor = FGlyph->TransparentColor();
  FNumGlyphs = 1;
  FGlyphNum = 0;
  FFrameWidth = FFrameHeight = 0;
  int w = FGlyph->Width(), h = FGlyph->Height();
  if (FOrientation == goHorizontal) {
    if (h > 0 && w % h == 0) FNumGlyphs = w / h;
  } else {
    if (w > 0 && h % w == 0) FNumGlyphs = h / w;
  }
  if (FNumGlyphs < 1) FNumGlyphs = 1;
  CalcFrameSize();
  MakeMask();
  AfterPictureChange();
}

void TAnimatedImage::CalcFrameSize() {
  int n = FNumGlyphs > 0 ? FNumGlyphs : 1;
  if (FOrientation == goHorizontal) {
    FFrameWidth = FGlyph->Width() / n;
    FFrameHeight = FGlyph->Height();
  } else {
    FFrameWidth = FGlyph->Width();
    FFrameHeight = FGlyph->Height() / n;
  }
}

void TAnimatedImage::ShowInactive() {
  if (!FActive && FInactiveGlyph >= 0 && FInactiveGlyph < FNumGlyphs && FGlyphNum != FInactiveGlyph)
    FGlyphNum = FInactiveGlyph;
}

int TAnimatedImage::ShownFrame() const {
  if (!FActive && FInactiveGlyph >= 0 && FInactiveGlyph < FNumGlyphs) return FInactiveGlyph;
  return FGlyphNum;
}

void TAnimatedImage::Loaded() {
  TImageControl::Loaded();
  FLoading = false;
  CalcFrameSize();
  ShowInactive();
  AfterPictureChange();
}

void TAnimatedImage::ChangeScale(int newDpi, int oldDpi) {
  TImageControl::ChangeScale(newDpi, oldDpi);
  ScaleStrip(*FGlyph, newDpi, oldDpi);
}

void TAnimatedImage::AdjustSize() {
  if (FLoading || !FAutoSize || FFrameWidth <= 0 || FFrameHeight <= 0) return;
  SetBounds(Left(), Top(), FFrameWidth, FFrameHeight);
}

void TAnimatedImage::AfterPictureChange() {
  if (!*FAlive) return;
  AdjustSize();
  // No palette to realise (every display we run on has true colour), so a paint under way
  // needs nothing more.
  if (!FDrawing) Invalidate();
}

void TAnimatedImage::StepFrame(TObject* Sender) {
  if (!Visible() || FNumGlyphs <= 1 || !Parent() || !Parent()->Handle()) return;
  int next = FGlyphNum + 1 >= FNumGlyphs ? 0 : FGlyphNum + 1;
  if (next == FInactiveGlyph) next = next + 1 >= FNumGlyphs ? 0 : next + 1;
  FGlyphNum = next;
  // A handler may destroy the image.
  std::shared_ptr<bool> alive = FAlive;
  DoFrameChanged();
  if (!*alive) return;
  Repaint();
}

void TAnimatedImage::Paint(HDC dc) {
  gdi::FillSolid(dc, ClientRect(), Color());
  bool wasDrawing = FDrawing;
  FDrawing = true;
  DrawCurrentFrame(dc);
  FDrawing = wasDrawing;
}

void TAnimatedImage::DrawCurrentFrame(HDC dc) {
  int frame = ShownFrame();
  if (!FOpaque) CopyParentImage(dc);
  if (FFrameWidth <= 0 || FFrameHeight <= 0 || FGlyph->Empty()) return;

  int sx = FOrientation == goHorizontal ? frame * FFrameWidth : 0;
  int sy = FOrientation == goHorizontal ? 0 : frame * FFrameHeight;
  int dx = 0, dy = 0, dw = FFrameWidth, dh = FFrameHeight;
  if (FStretch) {
    dw = Width();
    dh = Height();
  } else if (FCenter) {
    dx = (Width() - FFrameWidth) / 2;
    dy = (Height() - FFrameHeight) / 2;
  }
  if (dw <= 0 || dh <= 0) return;

  if (FTransparentColor == clNone || FMasked.Empty()) {  // no key, or no mask to be had
    gdi::MemDC strip(dc);
    gdi::Select ss(strip, FGlyph->Handle());
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, dx, dy, dw, dh, strip, sx, sy, FFrameWidth, FFrameHeight, SRCCOPY);
    return;
  }
  FMasked.Draw(dc, dx, dy, dw, dh, sx, sy, FFrameWidth, FFrameHeight);
}

void TAnimatedImage::MakeMask() {
  if (FTransparentColor == clNone || FGlyph->Empty()) {
    FMasked = gdi::MaskedBitmap();
    return;
  }
  COLORREF key = FGlyph->Monochrome() ? RGB(255, 255, 255) : ColorToRGB(FTransparentColor);
  if (!FMasked.Empty() && FMasked.Key() == key) return;
  FMasked = gdi::MaskedBitmap(FGlyph->Handle(), key);
}
