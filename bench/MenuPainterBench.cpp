// One drop-down of five items measured and painted by the menu painter, through the window's
// own WM_MEASUREITEM and WM_DRAWITEM, against DrawTextA of the same five captions on the same
// kind of DC in the same run.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include "bench/Clock.h"
#include "components/MenuPainter.h"
#include "framework/Application.h"
#include "framework/Menus.h"

namespace {
gdi::Bitmap Picture(int size) {
  unsigned* p = nullptr;
  gdi::Bitmap b = gdi::CreateDib32(size, size, &p);
  for (int i = 0; i < size * size; ++i) p[i] = (i % size + i / size) % 3 ? 0x00C04020 : 0x00FF00FF;
  return b;
}
}  // namespace

int main() {
  TApplication app;
  auto* form = new TForm(nullptr, "TMenuPainterBench");
  auto* painter = new TFlatMenuPainter(form);
  auto* menu = new TMainMenu(form);
  auto* drop = new TMenuItem(form);
  drop->SetCaption("File");
  menu->Items()->Add(drop);
  const char* captions[5] = {"Deframmenta", " Abbandona", "-", "Riduci a icona", "Chiudi"};
  TMenuItem* items[5];
  for (int i = 0; i < 5; ++i) {
    items[i] = new TMenuItem(form);
    items[i]->SetCaption(captions[i]);
    if (i != 2) items[i]->SetBitmap(Picture(24));
    drop->Add(items[i]);
  }
  painter->SetIconWidth(16);
  painter->SetGradient(true);
  painter->SetOverrideOwnerDraw(true);
  painter->SetActive(true);
  gdi::Dib dib(200, 5 * 30);

  auto paintMenu = [&](int selected) {
    int top = 0;
    for (int i = 0; i < 5; ++i) {
      MEASUREITEMSTRUCT mi{};
      mi.CtlType = ODT_MENU;
      mi.itemData = reinterpret_cast<ULONG_PTR>(items[i]);
      SendMessageA(form->Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mi));
      DRAWITEMSTRUCT di{};
      di.CtlType = ODT_MENU;
      di.itemAction = ODA_DRAWENTIRE;
      di.itemState = i == selected ? ODS_SELECTED : 0;
      di.hDC = dib.DC();
      di.rcItem = RECT{0, top, 200, top + (int)mi.itemHeight};
      di.itemData = reinterpret_cast<ULONG_PTR>(items[i]);
      SendMessageA(form->Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&di));
      top += mi.itemHeight;
    }
  };
  gdi::Font font = gdi::MakeFont(painter->Font());
  auto drawText = [&] {
    gdi::Select sf(dib.DC(), font);
    for (int i = 0; i < 5; ++i) {
      RECT r{20, i * 28, 200, i * 28 + 28};
      DrawTextA(dib.DC(), captions[i], -1, &r, 0);
    }
  };
  paintMenu(0);
  drawText();
  const int rounds = 400;
  double best = 1e9, base = 1e9;
  for (int pass = 0; pass < 3; ++pass) {
    double t0 = Now();
    for (int k = 0; k < rounds; ++k) paintMenu(k % 5);
    GdiFlush();
    double t1 = Now();
    for (int k = 0; k < rounds; ++k) drawText();
    GdiFlush();
    double t2 = Now();
    best = std::min(best, (t1 - t0) / (rounds * 5));
    base = std::min(base, (t2 - t1) / (rounds * 5));
  }
  printf("menu painter: %.1f us per item measured and drawn (target <= 300); DrawTextA of the same caption: %.2f us; "
         "ratio %.1f\n",
         best * 1e6, base * 1e6, best / base);
  delete form;
  return 0;
}
