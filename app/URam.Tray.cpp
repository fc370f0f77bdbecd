// Tray residence: the window lives hidden behind its tray icon, comes back in the screen
// corner beside the taskbar, and the icon's popup menu paints the product name in its margin.
#include "app/URam.h"
#include <shellapi.h>
#include <algorithm>
#include "app/Commands.h"
#include "framework/Application.h"
#include "framework/OSError.h"
#include "framework/SystemLook.h"
#include "windows/UAbout.h"
#include "windows/UFrmReadme.h"

namespace {
// The margin's gradient: red 0, green 128, blue 192 down to a quarter of each channel.
const COLORREF kMarginStart = RGB(0, 128, 192);
const COLORREF kMarginEnd = RGB(0, 128 / 4, 192 / 4);
const int kMarginBands = 32;

TMenuItem* PopupItem(TComponent* owner, TMarginPopupMenu* menu, const char* name, const char* caption, int image,
                     UINT command = 0) {
  auto* m = new TMenuItem(owner, command);
  m->SetName(name);
  m->SetCaption(caption);
  menu->Items()->Add(m);
  m->SetImageIndex(image);
  return m;
}

int Channel(int start, int end, int i, int n) { return start + MulDiv(i, end - start, n - 1); }
}  // namespace

// ---- where the window goes ------------------------------------------------------------------

void TfrmVelmor::PlaceNearTaskbar() {
  RECT r{};
  int edge = FTaskbarEdge(r);  // raises when there is no taskbar: then the window stays put
  POINT p = TaskbarCorner(edge, r, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), Width(), Height());
  SetPosition(p.x, p.y);
  RECT placed{};
  GetWindowRect(Handle(), &placed);
  FCorner = POINT{placed.left, placed.top};
}

void TfrmVelmor::ScreenChanged() {
  // A new resolution can leave a window's pixels lost (Wine's virtual desktop shows black
  // there), so each shown window is painted afresh where it lands.
  auto repaint = [](HWND h) { RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN); };
  // A change while the window is hidden needs nothing: Restore places it afresh.
  if (IsWindowVisible(Handle())) {
    RECT r{};
    GetWindowRect(Handle(), &r);
    // Still where it was put beside the taskbar: beside the taskbar again, wherever that is now.
    // One the user moved is only brought back inside the screen.
    if (r.left == FCorner.x && r.top == FCorner.y)
      Guarded(this, [this] { PlaceNearTaskbar(); });
    else
      KeepInsideWorkArea(Handle());
    repaint(Handle());
  }
  for (TForm* other : {static_cast<TForm*>(FAbout), static_cast<TForm*>(FReadme)})
    if (other && other->Visible()) KeepInsideWorkArea(other->Handle()), repaint(other->Handle());
}

bool TfrmVelmor::AtTaskbarCorner(const RECT& outer) {
  RECT r{};
  int edge;
  try {
    edge = FTaskbarEdge(r);
  } catch (const std::exception&) {
    return false;
  }
  POINT p = TaskbarCorner(edge, r, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                          outer.right - outer.left, outer.bottom - outer.top);
  return p.x == outer.left && p.y == outer.top;
}

// ---- hiding and showing -----------------------------------------------------------------------

// The window is never shown at start-up, so it never takes the focus there either: what the
// first showing and the first activation would do happens here, once, as start-up ends.
void TfrmVelmor::EnterTray() {
  FormShow(this);
  FormActivate(this);
  TI->SetEnabled(true);
}

void TfrmVelmor::FormShow(TObject* Sender) {
  // The taskbar button belongs to the application's hidden owner window.
  HWND owner = GetWindow(Handle(), GW_OWNER);
  if (owner) ShowWindow(owner, SW_HIDE);
}

void TfrmVelmor::FormActivate(TObject* Sender) {
  fv->UpdateCaption();
  ShowWindow(Handle(), SW_HIDE);
}

void TfrmVelmor::Ripristina1Click(TObject* Sender) {
  PlaceNearTaskbar();
  ShowWindow(Handle(), SW_SHOWNORMAL);
}

// ---- the tray icon and its popup menu -----------------------------------------------------------

void TfrmVelmor::CreateTray() {
  HINSTANCE inst = GetModuleHandleA(nullptr);

  TI = new TTrayIcon(this, FShellNotify);
  TI->SetName("TI");
  TI->SetEnabled(false);  // a click on the new icon is ignored until the window is complete
  TI->Icon()->LoadFromResourceName(inst, "MAINICON");
  TI->Icons()->ReadResource(inst, "TI_ICONS");
  TI->SetInterval(500);
  TI->OnDblClick = [this](TObject* s) { Ripristina1Click(s); };

  poppa = new TMarginPopupMenu(this);
  poppa->SetName("poppa");
  poppa->SetMarginWidth(30);
  Ripristina1 = PopupItem(this, poppa, "Ripristina1", "Ripristina", 0, cmRestore);
  Ripristina1->OnClick = [this](TObject* s) { Ripristina1Click(s); };
  Iconizza1 = PopupItem(this, poppa, "Iconizza1", "Iconizza", 5);
  Iconizza1->OnClick = [this](TObject* s) { Riduciaicona1Click(s); };
  Deframmenta1 = PopupItem(this, poppa, "Deframmenta1", "Deframmenta", 2);
  Deframmenta1->OnClick = [this](TObject* s) { bdefragClick(s); };
  Abbandona1 = PopupItem(this, poppa, "Abbandona1", "Abbandona", 4);
  Abbandona1->OnClick = [this](TObject* s) { babortClick(s); };
  Ontop1 = PopupItem(this, poppa, "Ontop1", "Ontop", -1);
  Ontop1->OnClick = [this](TObject* s) { OnTopClick(s); };
  N1 = PopupItem(this, poppa, "N1", "-", -1);
  Chiudi1 = PopupItem(this, poppa, "Chiudi1", "Chiudi", 1);
  Chiudi1->OnClick = [this](TObject* s) { Chiudi1Click(s); };
  poppa->OnPopup = [this](TObject* s) { poppaPopup(s); };
  poppa->OnDrawMargin = [this](TObject* s, HDC dc, const RECT& r) { poppaDrawMargin(s, dc, r); };

  ImageList1 = new TImageList(this, 16, 16);
  ImageList1->SetName("ImageList1");
  ImageList1->AddStrip(inst, "POPUP_IMAGES");
  poppa->SetImages(ImageList1);

  TI->SetPopupMenu(poppa);
}

void TfrmVelmor::poppaPopup(TObject* Sender) {
  // Either Defrag or Abort, by the timer: disabled means a run is under way.
  Deframmenta1->SetVisible(Timer->Enabled());
  Abbandona1->SetVisible(!Deframmenta1->Visible());
  Ontop1->SetChecked(OnTop->Checked());
}

void TfrmVelmor::poppaDrawMargin(TObject* Sender, HDC Canvas, const RECT& ARect) {
  int height = ARect.bottom - ARect.top;
  if (height <= 0 || ARect.right <= ARect.left) return;

  // "Velmor" runs upward in bold white Courier New, 20 pt.
  gdi::Font font = gdi::MakeFont(
      {.Name = "Courier New", .Size = 20, .Bold = true, .Escapement = 900, .PixelsPerInch = PixelsPerInch()});

  // The gradient in n bands of equal height; the rows left over at the bottom take the end
  // colour, and an etched edge fills the strip's last two columns.
  RECT g = ARect;
  g.right -= 3;
  // With high contrast on, the strip takes the scheme's highlight colours, without gradient.
  const bool plain = UseSystemLook(HighContrastOn(), {});
  int n = plain ? 0 : std::max(2, std::min(kMarginBands, height));
  int band = n ? height / n : 0;
  for (int i = 0; i < n; ++i) {
    COLORREF c = RGB(Channel(GetRValue(kMarginStart), GetRValue(kMarginEnd), i, n),
                     Channel(GetGValue(kMarginStart), GetGValue(kMarginEnd), i, n),
                     Channel(GetBValue(kMarginStart), GetBValue(kMarginEnd), i, n));
    gdi::FillSolid(Canvas, RECT{g.left, ARect.top + i * band, g.right, ARect.top + (i + 1) * band}, c);
  }
  gdi::FillSolid(Canvas, RECT{g.left, ARect.top + n * band, g.right, ARect.bottom},
                 plain ? GetSysColor(COLOR_HIGHLIGHT) : kMarginEnd);
  RECT shadow{std::max(ARect.left, ARect.right - 2), ARect.top, ARect.right - 1, ARect.bottom};
  RECT light{std::max(ARect.left, ARect.right - 1), ARect.top, ARect.right, ARect.bottom};
  gdi::FillSolid(Canvas, shadow, GetSysColor(COLOR_BTNSHADOW));
  gdi::FillSolid(Canvas, light, GetSysColor(COLOR_BTNHIGHLIGHT));

  gdi::Select sf(Canvas, font);
  SetBkMode(Canvas, TRANSPARENT);
  SetTextColor(Canvas, plain ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(255, 255, 255));
  ExtTextOutA(Canvas, ARect.left, ARect.bottom - Scaled(5), ETO_CLIPPED, &ARect, "Velmor", 6, nullptr);
}
