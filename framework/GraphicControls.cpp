#include "framework/GraphicControls.h"
#include <algorithm>
#include <vector>
#include "framework/Dpi.h"

namespace {
// Every live lightweight control in creation order: the order a parent paints them in.
std::vector<TGraphicControl*>& AllControls() {
  static std::vector<TGraphicControl*> v;
  return v;
}

// The control that had the left press, until the release.
TGraphicControl* captured = nullptr;

bool Intersects(const RECT& a, const RECT& b) {
  RECT r;
  return IntersectRect(&r, &a, &b) != FALSE;
}
}  // namespace

TGraphicControl::TGraphicControl(TComponent* AOwner, TWinControl* AParent)
    : TComponent(AOwner), FParent(AParent), FPixelsPerInch(AParent ? AParent->PixelsPerInch() : kDesignDpi) {
  if (FParent) FreeNotification(FParent);
  AllControls().push_back(this);
}

TGraphicControl::~TGraphicControl() {
  if (captured == this) {
    captured = nullptr;
    if (FParent && GetCapture() == FParent->Handle()) ReleaseCapture();
  }
  std::erase(AllControls(), this);
  Invalidate();  // the parent shows what lay beneath
}

void TGraphicControl::Notification(TComponent* AComponent) {
  if (AComponent == FParent) FParent = nullptr;
}

COLORREF TGraphicControl::Color() const {
  // Our parents all paint the button face.
  return FParentColor ? GetSysColor(COLOR_BTNFACE) : ColorToRGB(FColor);
}

void TGraphicControl::SetColor(COLORREF c) {
  if (c == FColor && !FParentColor) return;
  FColor = c;
  FParentColor = false;
  Invalidate();
}

void TGraphicControl::SetParentColor(bool v) {
  if (v == FParentColor) return;
  FParentColor = v;
  Invalidate();
}

void TGraphicControl::SetBounds(int l, int t, int w, int h) {
  if (l == FLeft && t == FTop && w == FWidth && h == FHeight) return;
  Invalidate();
  FLeft = l, FTop = t, FWidth = w, FHeight = h;
  Invalidate();
  BoundsChanged();
}

void TGraphicControl::ChangeScale(int newDpi, int oldDpi) {
  FPixelsPerInch = newDpi;
  int l = ScaleToDpi(FLeft, newDpi, oldDpi), t = ScaleToDpi(FTop, newDpi, oldDpi);
  SetBounds(l, t, ScaleToDpi(FLeft + FWidth, newDpi, oldDpi) - l, ScaleToDpi(FTop + FHeight, newDpi, oldDpi) - t);
}

void TGraphicControl::SetVisible(bool v) {
  if (v == FVisible) return;
  FVisible = v;
  // A control that goes away must let the parent erase its place.
  if (FParent && FParent->Handle()) {
    RECT r = BoundsRect();
    InvalidateRect(FParent->Handle(), &r, TRUE);
  }
}

void TGraphicControl::Invalidate() {
  if (!FParent || !FParent->Handle() || !IsWindowVisible(FParent->Handle())) return;
  RECT r = BoundsRect();
  InvalidateRect(FParent->Handle(), &r, !FOpaqueStyle);
}

void TGraphicControl::Repaint() {
  if (!FVisible || !FParent || !FParent->Handle() || !IsWindowVisible(FParent->Handle())) return;
  gdi::WindowDC dc(FParent->Handle());
  if (!dc) return;
  gdi::SavedDC state(dc);
  OffsetViewportOrgEx(dc, FLeft, FTop, nullptr);
  IntersectClipRect(dc, 0, 0, FWidth, FHeight);
  PaintTo(dc);
}

void TGraphicControl::PaintControls(TWinControl* parent, HDC dc, const TGraphicControl* stopAt) {
  if (!parent) return;
  RECT clip;
  if (GetClipBox(dc, &clip) == ERROR) return;
  // A control may create or destroy others while it paints: walk a copy.
  std::vector<TGraphicControl*> all = AllControls();
  for (TGraphicControl* c : all) {
    if (c == stopAt) break;
    if (c->FParent != parent || !c->FVisible || c->FWidth <= 0 || c->FHeight <= 0) continue;
    if (std::find(AllControls().begin(), AllControls().end(), c) == AllControls().end()) continue;
    if (!Intersects(c->BoundsRect(), clip)) continue;
    gdi::SavedDC state(dc);
    OffsetViewportOrgEx(dc, c->FLeft, c->FTop, nullptr);
    IntersectClipRect(dc, 0, 0, c->FWidth, c->FHeight);
    c->PaintTo(dc);
  }
}

void TGraphicControl::CopyParentImage(HDC dc) {
  if (!FParent || !FParent->Handle()) return;
  RECT pc;
  GetClientRect(FParent->Handle(), &pc);
  gdi::SavedDC state(dc);
  OffsetViewportOrgEx(dc, -FLeft, -FTop, nullptr);
  IntersectClipRect(dc, 0, 0, pc.right, pc.bottom);
  SendMessageA(FParent->Handle(), WM_ERASEBKGND, (WPARAM)dc, 0);
  if (auto* custom = dynamic_cast<TCustomControl*>(FParent))
    custom->Paint(dc);
  else
    SendMessageA(FParent->Handle(), WM_PRINTCLIENT, (WPARAM)dc, PRF_CLIENT);
  PaintControls(FParent, dc, this);
}

void TGraphicControl::SetEnabled(bool v) {
  if (v == FEnabled) return;
  FEnabled = v;
  Invalidate();
}

namespace {
TGraphicControl* ControlAt(TWinControl* parent, POINT p) {
  const auto& all = AllControls();
  for (auto it = all.rbegin(); it != all.rend(); ++it) {
    TGraphicControl* c = *it;
    RECT r = c->BoundsRect();
    if (c->Parent() == parent && c->Visible() && c->Enabled() && PtInRect(&r, p)) return c;
  }
  return nullptr;
}
}  // namespace

bool TGraphicControl::DispatchMouse(TWinControl* parent, UINT msg, WPARAM w, LPARAM l) {
  POINT p{(short)LOWORD(l), (short)HIWORD(l)};
  TGraphicControl* c = (captured && captured->FParent == parent) ? captured : ControlAt(parent, p);
  if (!c) return false;
  int x = p.x - c->FLeft, y = p.y - c->FTop;
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      captured = c;
      SetCapture(parent->Handle());
      c->MouseDown(w, x, y);
      break;
    case WM_MOUSEMOVE:
      c->MouseMove(w, x, y);
      break;
    case WM_LBUTTONUP: {
      bool held = captured == c;
      captured = nullptr;
      if (GetCapture() == parent->Handle()) ReleaseCapture();
      // The control may go away in its own handlers: ask whether it is still there.
      auto alive = [c] { return std::find(AllControls().begin(), AllControls().end(), c) != AllControls().end(); };
      c->MouseUp(w, x, y);
      if (held && alive() && x >= 0 && y >= 0 && x < c->FWidth && y < c->FHeight) c->Click();
      break;
    }
  }
  return true;
}

bool TGraphicControl::DispatchSetCursor(TWinControl* parent) {
  POINT p;
  if (!GetCursorPos(&p) || !ScreenToClient(parent->Handle(), &p)) return false;
  TGraphicControl* c = captured && captured->FParent == parent ? captured : ControlAt(parent, p);
  if (!c || !c->FCursor) return false;
  ::SetCursor(LoadCursorA(nullptr, c->FCursor));
  return true;
}

void TGraphicControl::CaptureLost(TWinControl* parent) {
  if (captured && captured->FParent == parent) captured = nullptr;
}
