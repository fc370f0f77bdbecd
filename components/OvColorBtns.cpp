#include "components/OvColorBtns.h"
#include "framework/SystemLook.h"
#include <cctype>
#include "framework/Application.h"
#include "framework/Dpi.h"
#include "framework/Forms.h"

void FreeDitherPattern();  // OvColorBtns.Faces.cpp

namespace {
// What every colour button shares: the repeat timer and the button it clicks. They live while
// any colour button does.
int liveButtons = 0;
TTimer* repeatTimer = nullptr;
TOvColorBtn* repeatTarget = nullptr;
}  // namespace

TOvColorBtn::TOvColorBtn(TComponent* AOwner, TWinControl* AParent)
    : TCustomControl(AOwner, AParent), FGlyph(std::make_unique<TButtonGlyph>()) {
  FColor = dynamic_cast<TForm*>(AOwner) ? clBtnFace : 0;
  SetBounds(Left(), Top(), 25, 25);
  CreateWnd("TOvColorBtn", WS_TABSTOP, 0, false);
  if (AParent) SetFont(AParent->Font());  // the parent's font
  FGlyph->SetFaceColor(ColorToRGB(FColor));
  FGlyph->OnChange = [this] { Invalidate(); };
  if (liveButtons++ == 0) {
    repeatTimer = new TTimer(nullptr);
    repeatTimer->SetEnabled(false);
    repeatTimer->OnTimer = [](TObject*) {
      if (repeatTarget) repeatTarget->RepeatTimerTick();
    };
  }
}

TOvColorBtn::~TOvColorBtn() {
  if (FHandle) DestroyWindow(FHandle);  // no message may reach a button half gone
  if (repeatTarget == this) {
    repeatTimer->SetEnabled(false);
    repeatTarget = nullptr;
  }
  FGlyph.reset();
  if (--liveButtons == 0) {
    delete repeatTimer;
    repeatTimer = nullptr;
    FreeDitherPattern();
  }
}

TTimer* TOvColorBtn::RepeatTimer() { return repeatTimer; }

// ---- properties -------------------------------------------------------------------------------

void TOvColorBtn::SetAllowAllUp(bool v) {
  if (v == FAllowAllUp) return;
  FAllowAllUp = v;
  UpdateExclusive();
}

void TOvColorBtn::SetGroupIndex(int v) {
  if (v == FGroupIndex) return;
  FGroupIndex = v;
  UpdateExclusive();
}

void TOvColorBtn::SetDown(bool v) {
  if (FGroupIndex == 0) v = false;
  if (v == FDown) return;
  if (FDown && !FAllowAllUp) return;
  FDown = v;
  FState = v ? cbsLatched : cbsUp;
  Invalidate();
  if (v) UpdateExclusive();
}

void TOvColorBtn::SetLayout(TButtonLayout v) {
  if (v == FLayout) return;
  FLayout = v;
  Invalidate();
}

void TOvColorBtn::SetMargin(int v) {
  if (v == FMargin || v < -1) return;
  FMargin = v;
  Invalidate();
}

void TOvColorBtn::SetNumGlyphs(int v) { FGlyph->SetNumGlyphs(v); }

void TOvColorBtn::SetColor(TColor v) {
  if (v == FColor) return;
  FColor = v;
  FGlyph->SetFaceColor(ColorToRGB(v));
  FGlyph->CreateButtonGlyph(FState);
  Invalidate();
}

void TOvColorBtn::SetStyle(TClr95ButtonStyle v) {
  if (v == FStyle) return;
  FStyle = v;
  Repaint();
}

void TOvColorBtn::SetOptions(TButtonOptions v) {
  if (v == FOptions) return;
  FOptions = v;
  Invalidate();
}

void TOvColorBtn::SetSpacing(int v) {
  if (v == FSpacing) return;
  FSpacing = v;
  Invalidate();
}

void TOvColorBtn::PrepareImage() { FGlyph->CreateButtonGlyph(Enabled() ? cbsUp : cbsDisabled); }

void TOvColorBtn::Loaded() {
  TCustomControl::Loaded();
  PrepareImage();
}

void TOvColorBtn::EnabledChanged() {
  // A latched button that comes back shows that it is still down.
  FState = !Enabled() ? cbsDisabled : (FDown ? cbsLatched : cbsUp);
  if (!Enabled()) FDragging = false;
  PrepareImage();
  Invalidate();
}

// ---- grouping ---------------------------------------------------------------------------------

void TOvColorBtn::UpdateExclusive() {
  if (FGroupIndex == 0 || !Parent() || !Parent()->Handle()) return;
  for (HWND h = GetWindow(Parent()->Handle(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
    SendMessageA(h, CM_BUTTONPRESSED, (WPARAM)FGroupIndex, (LPARAM)FHandle);
}

void TOvColorBtn::ButtonPressed(int group, TOvColorBtn* sender) {
  if (group != FGroupIndex || !sender || sender == this) return;
  if (sender->FDown && FDown) {
    FDown = false;
    FState = cbsUp;
    Invalidate();
  }
  FAllowAllUp = sender->FAllowAllUp;
}

// ---- the mouse --------------------------------------------------------------------------------

bool TOvColorBtn::Inside(int x, int y) const {
  // The row just below the last still counts.
  return x >= 0 && x < Width() && y >= 0 && y <= Height();
}

void TOvColorBtn::MouseDown(int x, int y) {
  Fire(OnMouseDown, this, mbLeft, ssLeft, x, y);
  if (Enabled()) {
    if (!FDown) {
      FState = cbsPressed;
      Repaint();
    }
    FDragging = true;
  }
  if (FOptions & boRepeatable) {
    repeatTarget = this;
    repeatTimer->SetEnabled(false);
    repeatTimer->SetInterval(500);
    repeatTimer->SetEnabled(true);
  }
}

void TOvColorBtn::MouseMove(int x, int y) {
  Fire(OnMouseMove, this, FDragging ? ssLeft : 0u, x, y);
  if (!FDragging) return;
  TColorBtnState s = FDown ? cbsLatched : (Inside(x, y) ? cbsPressed : cbsUp);
  if (s != FState) {
    FState = s;
    Repaint();
  }
}

void TOvColorBtn::MouseUp(int x, int y) {
  Fire(OnMouseUp, this, mbLeft, 0u, x, y);
  if (!FDragging) return StopRepeat();
  FDragging = false;
  Release(Inside(x, y));
}

void TOvColorBtn::Release(bool inside) {
  FState = cbsUp;
  if (FGroupIndex != 0) {
    if (inside) SetDown(!FDown);
    if (FDown) FState = cbsLatched;
  }
  Repaint();
  StopRepeat();  // before the click, which may run for long
  if (inside) Click();
}

void TOvColorBtn::StopRepeat() {
  if (repeatTimer) repeatTimer->SetEnabled(false);
}

void TOvColorBtn::MouseEnter() {
  if (FMouseInside || !(FOptions & boShowMouseFocus) || !Enabled()) return;
  if (FImagineAttiva.Height() > 0) FGlyph->Glyph().Assign(FImagineAttiva);
  FMouseInside = true;
  PlayButtonSound(FSoundMouseOver);
  Invalidate();
}

void TOvColorBtn::MouseLeave() {
  if (!FMouseInside) return;
  if (FImagineInattiva.Height() > 0) FGlyph->Glyph().Assign(FImagineInattiva);
  FMouseInside = false;
  Invalidate();
}

void TOvColorBtn::RepeatTimerTick() {
  repeatTimer->SetInterval(100);
  if (FState != cbsPressed || GetCapture() != FHandle) return;
  try {
    Click();
  } catch (...) {
    repeatTimer->SetEnabled(false);
    throw;
  }
}

void TOvColorBtn::Click() {
  PlayButtonSound(FSoundClick);
  Fire(OnClick, this);
}

bool TOvColorBtn::CNCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  if (Enabled()) Click();
  return true;
}

bool TOvColorBtn::ShowsFocus() const {
  // Asked of the window it stands in, which keeps the state for all its controls.
  return FHandle && GetFocus() == FHandle &&
         !(SendMessageA(GetAncestor(FHandle, GA_ROOT), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

bool TOvColorBtn::DialogChar(char ch) {
  if (!Enabled() || !IsAcceleratorOf(Caption(), ch)) return false;
  Click();
  return true;
}

// ---- painting ---------------------------------------------------------------------------------

void TOvColorBtn::PaintTo(HDC dc) {
  RECT r{0, 0, 0, 0};
  GetClientRect(FHandle, &r);
  gdi::Select font(dc, FontHandle());
  if (!Enabled()) {
    FState = cbsDisabled;
    FDragging = false;
  } else if (FState == cbsDisabled) {
    FState = cbsUp;
  }
  const COLORREF face = ColorToRGB(FColor);
  const bool down = FState == cbsPressed || FState == cbsLatched;
  RECT content = r;
  FPlain = ButtonGivesWay(HighContrastOn(), (FColor & 0xFF000000u) == clSystemColor, face, CaptionColor(face));
  if (FPlain) {
    // In the scheme's colours: no dither, no hot fill of our own, the caption in its colour.
    content = DrawSystemButtonFace(dc, r, down, FMouseInside && Enabled());
  } else if (FStyle == bsOwnerDraw && OnOwnerDraw) {
    OnOwnerDraw(this, dc, content);
  } else {
    content = DrawButtonFace(dc, r, FStyle, false, down, FMouseInside, face);
  }
  auto ellipse = [&](HBRUSH b) {
    gdi::Select sb(dc, b), sp(dc, GetStockObject(NULL_PEN));
    Ellipse(dc, content.left + 1, content.top + 1, content.right - 1, content.bottom - 1);
  };
  if (!FPlain && FState == cbsLatched && FStyle != bsOwnerDraw && (FOptions & boDitherPattern)) {
    gdi::Brush pattern(CreatePatternBrush(DitherPattern(face)));
    content.right -= 1, content.bottom -= 1;
    if (FStyle == bsEllipse)
      ellipse(pattern);
    else
      FillRect(dc, &content, pattern);
  }
  if (!FPlain && FMouseInside && Enabled() && FState != cbsPressed && FStyle != bsIE4) {
    COLORREF hot = (FState == cbsUp || FState == cbsLatched) ? ShiftColor(face, 24) : face;
    if (FStyle == bsEllipse) {
      gdi::Brush b(CreateSolidBrush(hot));
      ellipse(b);
    } else {
      gdi::FillSolid(dc, content, hot);
    }
  }
  DrawContent(dc, content);
  if (ShowsFocus()) DrawFocus(dc, content);
}

// A dotted frame on the content rectangle's edge, just inside the face's frame: glyph and
// caption fill the Defrag button to within two pixels of it, and a frame further in would touch
// them. In the caption's colour, every other pixel, so that it reads on any face; drawn here
// rather than by DrawFocusRect, whose inverted pixels vanish on a mid-grey face.
void TOvColorBtn::DrawFocus(HDC dc, const RECT& content) {
  // The caption's colour, in the scheme's look too.
  const COLORREF c = FPlain ? SystemButtonText(FMouseInside || FState == cbsPressed || FState == cbsLatched, FState != cbsDisabled)
                            : CaptionColor(ColorToRGB(FColor));
  const int l = content.left, t = content.top, r = content.right - 1, b = content.bottom - 1;
  if (r <= l || b <= t) return;
  auto dot = [&](int x, int y) {
    if ((x - l + y - t) % 2 == 0) SetPixelV(dc, x, y, c);
  };
  for (int x = l; x <= r; ++x) dot(x, t), dot(x, b);
  for (int y = t + 1; y < b; ++y) dot(l, y), dot(r, y);
}

void TOvColorBtn::DrawContent(HDC dc, const RECT& content) {
  const COLORREF face = ColorToRGB(FColor);
  const std::string& caption = Caption();
  SIZE text{0, 0};
  if (!caption.empty()) {
    RECT m{0, 0, content.right - content.left, 0};
    DrawTextA(dc, caption.c_str(), (int)caption.size(), &m, DT_CALCRECT);
    text = SIZE{m.right - m.left, m.bottom - m.top};
  }
  TButtonLayoutResult at = CalcButtonLayout(content, FGlyph->CellSize(), text, FLayout, FMargin, FSpacing);
  FGlyph->DrawGlyph(dc, at.GlyphPos.x, at.GlyphPos.y, FState);
  if (caption.empty()) return;
  gdi::SavedDC state(dc);  // the text colour and mode set here
  SetBkMode(dc, TRANSPARENT);
  RECT t = at.TextBounds;
  if (FPlain) {
    SetTextColor(dc, SystemButtonText(FMouseInside || FState == cbsPressed || FState == cbsLatched, FState != cbsDisabled));
    DrawTextA(dc, caption.c_str(), (int)caption.size(), &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  } else if (FState == cbsDisabled) {
    OffsetRect(&t, 1, 1);
    SetTextColor(dc, ShiftColor(face, 96));
    DrawTextA(dc, caption.c_str(), (int)caption.size(), &t, 0);
    t = at.TextBounds;
    SetTextColor(dc, ShiftColor(face, -96));
    DrawTextA(dc, caption.c_str(), (int)caption.size(), &t, 0);
  } else {
    SetTextColor(dc, CaptionColor(face));
    DrawTextA(dc, caption.c_str(), (int)caption.size(), &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

COLORREF TOvColorBtn::CaptionColor(COLORREF face) const {
  if (FOptions & boAutoBlackWhiteText) return IsLightColor(face) ? RGB(0, 0, 0) : RGB(255, 255, 255);
  return GetSysColor(COLOR_BTNTEXT);
}

// What lies behind the button, within its client rectangle r: the parent's background and
// painting, its lightweight controls included. Some faces leave pixels unpainted (the gradient's
// column W - 3, last column and last row); those show the parent, not a colour of our own.
void TOvColorBtn::PaintParentImage(HDC dc, const RECT& r) const {
  HWND parent = GetParent(FHandle);
  if (!parent) return;
  POINT at{0, 0};
  MapWindowPoints(FHandle, parent, &at, 1);
  gdi::SavedDC state(dc);
  IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
  OffsetViewportOrgEx(dc, -at.x, -at.y, nullptr);
  // A parent of our own paints everything on WM_PRINTCLIENT; any other window at least erases.
  SendMessageA(parent, WM_ERASEBKGND, (WPARAM)dc, 0);
  SendMessageA(parent, WM_PRINTCLIENT, (WPARAM)dc, PRF_CLIENT);
}

// ---- messages ---------------------------------------------------------------------------------

LRESULT TOvColorBtn::WndProc(UINT msg, WPARAM w, LPARAM l) {
  const int x = (short)LOWORD(l), y = (short)HIWORD(l);
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything
    case WM_PAINT: {
      // Through an off-screen picture, so that a change of look never flickers.
      gdi::PaintDC pdc(FHandle);
      RECT r;
      GetClientRect(FHandle, &r);
      if (r.right <= 0 || r.bottom <= 0) return 0;
      if (!FBuffer.Fit(r.right, r.bottom)) {
        PaintTo(pdc);
        return 0;
      }
      {
        gdi::SavedDC state(FBuffer.DC());
        PaintParentImage(FBuffer.DC(), r);
        PaintTo(FBuffer.DC());
      }
      BitBlt(pdc, 0, 0, r.right, r.bottom, FBuffer.DC(), 0, 0, SRCCOPY);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT r;
      GetClientRect(FHandle, &r);
      PaintParentImage((HDC)w, r);
      PaintTo((HDC)w);
      return 0;
    }
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONDOWN:
      SetCapture(FHandle);
      if (msg == WM_LBUTTONDBLCLK && FDown) Fire(OnDblClick, this);
      MouseDown(x, y);
      return 0;
    case WM_LBUTTONUP:
      // The capture goes first: a click may run for long and must leave the mouse free.
      FReleasing = true;
      if (GetCapture() == FHandle) ReleaseCapture();
      FReleasing = false;
      MouseUp(x, y);
      return 0;
    case WM_CAPTURECHANGED:
      // Taken away (a message box, another window): the press is over, without a click.
      if (!FReleasing && FDragging && (HWND)l != FHandle) {
        FDragging = false;
        FState = FDown ? cbsLatched : cbsUp;
        StopRepeat();
        Invalidate();
      }
      return 0;
    case WM_MOUSEMOVE: {
      bool over = x >= 0 && x < Width() && y >= 0 && y < Height();
      if (over && !FMouseInside) {
        MouseEnter();
        if (FMouseInside) {
          TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE, FHandle, 0};
          TrackMouseEvent(&t);
        }
      } else if (!over && FMouseInside) {
        MouseLeave();
      }
      MouseMove(x, y);
      return 0;
    }
    case WM_MOUSELEAVE:
      MouseLeave();
      return 0;
    case WM_ENABLE:
      EnabledChanged();
      return 0;
    case BM_CLICK:
      // What a click of the left button does, pressed and released at the top-left corner.
      SendMessageA(FHandle, WM_LBUTTONDOWN, MK_LBUTTON, 0);
      SendMessageA(FHandle, WM_LBUTTONUP, 0, 0);
      return 0;
    case CM_DIALOGCHAR:
      return DialogChar((char)w) ? 1 : 0;
    case WM_GETDLGCODE:
      return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case WM_KEYDOWN:
      // Space presses, as on a push button; its repeats change nothing.
      if (w == VK_SPACE && !(l & (1 << 30)) && Enabled() && !FDragging) {
        FSpaceHeld = true;
        if (!FDown) {
          FState = cbsPressed;
          Repaint();
        }
        return 0;
      }
      break;
    case WM_KEYUP:
      if (w == VK_SPACE && FSpaceHeld) {
        FSpaceHeld = false;
        Release(Enabled());
        return 0;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (msg == WM_KILLFOCUS && FSpaceHeld) {  // the press is over, without a click
        FSpaceHeld = false;
        FState = FDown ? cbsLatched : cbsUp;
      }
      Invalidate();
      return 0;
    case WM_UPDATEUISTATE: {
      LRESULT r = TCustomControl::WndProc(msg, w, l);
      Invalidate();
      return r;
    }
    case CM_BUTTONPRESSED:
      ButtonPressed((int)w, dynamic_cast<TOvColorBtn*>(FromHandle((HWND)l)));
      return 0;
  }
  return TCustomControl::WndProc(msg, w, l);
}

void TOvColorBtn::ChangeScale(int newDpi, int oldDpi) {
  TCustomControl::ChangeScale(newDpi, oldDpi);
  if (FMargin > 0) FMargin = ScaleToDpi(FMargin, newDpi, oldDpi);
  FSpacing = ScaleToDpi(FSpacing, newDpi, oldDpi);
  ScaleStrip(FGlyph->Glyph(), newDpi, oldDpi);
  Invalidate();
}
