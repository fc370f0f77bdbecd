#include "framework/GraphicControls.h"
#include <algorithm>
#include <vector>
#include "framework/Dpi.h"

namespace {
bool Intersects(const RECT& a, const RECT& b) {
  RECT r;
  return IntersectRect(&r, &a, &b) != FALSE;
}
}  // namespace

TGraphicControl::TGraphicControl(TComponent* AOwner, TWinControl* AParent)
    : TComponent(AOwner), FParent(AParent), FPixelsPerInch(AParent ? AParent->PixelsPerInch() : kDesignDpi) {
  if (FParent) {
    FreeNotification(FParent);
    FParent->FGraphicControls.push_back(this);
  }
}

TGraphicControl::~TGraphicControl() {
  *FAlive = false;
  if (FParent) {
    if (FParent->FMouseHolder == this) {
      FParent->FMouseHolder = nullptr;
      if (GetCapture() == FParent->Handle()) ReleaseCapture();
    }
    std::erase(FParent->FGraphicControls, this);
  }
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
  const std::vector<TGraphicControl*> all = parent->FGraphicControls;
  const auto& now = parent->FGraphicControls;
  for (TGraphicControl* c : all) {
    if (c == stopAt) break;
    if (std::find(now.begin(), now.end(), c) == now.end()) continue;
    if (!c->FVisible || c->FWidth <= 0 || c->FHeight <= 0) continue;
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

TGraphicControl* TGraphicControl::Under(TWinControl* parent, POINT p) {
  if (parent->FMouseHolder) return parent->FMouseHolder;
  const auto& all = parent->FGraphicControls;
  for (auto it = all.rbegin(); it != all.rend(); ++it) {
    TGraphicControl* c = *it;
    RECT r = c->BoundsRect();
    if (c->Visible() && c->Enabled() && PtInRect(&r, p)) return c;
  }
  return nullptr;
}

bool TGraphicControl::DispatchMouse(TWinControl* parent, UINT msg, WPARAM w, LPARAM l) {
  POINT p{(short)LOWORD(l), (short)HIWORD(l)};
  TGraphicControl* c = Under(parent, p);
  if (!c) return false;
  int x = p.x - c->FLeft, y = p.y - c->FTop;
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      parent->FMouseHolder = c;
      SetCapture(parent->Handle());
      c->MouseDown(w, x, y);
      break;
    case WM_MOUSEMOVE:
      c->MouseMove(w, x, y);
      break;
    case WM_LBUTTONUP: {
      bool held = parent->FMouseHolder == c;
      parent->FMouseHolder = nullptr;
      if (GetCapture() == parent->Handle()) ReleaseCapture();
      // The control (or its parent) may go away in its own handlers: ask whether it is still there.
      std::shared_ptr<bool> alive = c->FAlive;
      c->MouseUp(w, x, y);
      if (held && *alive && x >= 0 && y >= 0 && x < c->FWidth && y < c->FHeight) c->Click();
      break;
    }
  }
  return true;
}

bool TGraphicControl::DispatchSetCursor(TWinControl* parent) {
  POINT p;
  if (!GetCursorPos(&p) || !ScreenToClient(parent->Handle(), &p)) return false;
  TGraphicControl* c = Under(parent, p);
  if (!c || !c->FCursor) return false;
  ::SetCursor(LoadCursorA(nullptr, c->FCursor));
  return true;
}

void TGraphicControl::CaptureLost(TWinControl* parent) {
  parent->FMouseHolder = nullptr;
}
