// A figure of 0 to 100 drawn as digits into an icon: white block digits on a filled square of
// its own with a lighter edge, so that it reads on a light taskbar and a dark one alike. The
// digits are rectangles on whole pixels, sized from the icon's side, so they stay sharp at any
// size the shell asks for (16, 20, 24, 32, ...).
//
// One 32-bit picture and one mask are kept and drawn again in memory for each new figure; a new
// figure makes exactly one HICON. The icon made before it is kept until the caller has handed
// the new one on (the shell copies what it is given), then dropped.
#pragma once
#include <windows.h>
#include "framework/Gdi.h"

// The colours of the figure icon.
constexpr COLORREF kFigureBack = RGB(0, 64, 112);
constexpr COLORREF kFigureEdge = RGB(0, 128, 192);
constexpr COLORREF kFigureInk = RGB(255, 255, 255);

class TFigureIcon {
public:
  TFigureIcon() = default;
  ~TFigureIcon();
  TFigureIcon(const TFigureIcon&) = delete;
  TFigureIcon& operator=(const TFigureIcon&) = delete;

  // The icon for this figure (brought into 0..100) at w x h pixels. False, and nothing made,
  // when it is the figure and size of the icon at hand, or when no icon can be had (a size
  // outside 1..256, a refused bitmap or icon): then Handle() is what it was.
  bool SetFigure(int percent, int w, int h);
  // The icon made last; null before the first and after Clear.
  HICON Handle() const { return FIcon; }
  // The figure of Handle(), or -1 when there is none.
  int Figure() const { return FIcon ? FFigure : -1; }
  // Destroys the icon made before the last one: call once the new one has been handed on.
  void DropPrevious();
  // Destroys both icons and the kept picture; the next SetFigure starts afresh.
  void Clear();

private:
  bool Fit(int w, int h);
  HICON FIcon = nullptr, FPrevious = nullptr;
  int FFigure = -1, FIconW = 0, FIconH = 0;  // those of FIcon
  int FW = 0, FH = 0;                         // those of the kept bitmaps
  unsigned* FBits = nullptr;
  gdi::Bitmap FColor, FMask;  // kept between figures; CreateIconIndirect copies them
};
