// The effect label's paint: every layer is composed off screen in the label's two kept back
// buffers and the result goes to the screen in one blit. The translucent passes and the
// graduated face work on the pixels in memory.
#include <algorithm>
#include <cmath>
#include "components/LblEffct.h"
#include "framework/SystemLook.h"

namespace {
// The colour key of the graduated face: red 241, green 7, blue 254, as a DIB pixel.
const COLORREF kFaceKey = RGB(241, 7, 254);
const unsigned kFaceKeyPixel = gdi::ToPixel(kFaceKey);
const unsigned kWhitePixel = 0xFFFFFF;

// Channels as stored: a system colour is not resolved here, its low three bytes are the colour.
struct TRgb {
  int R, G, B;
};
TRgb Split(TColor c) { return {int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)}; }
COLORREF Stored(TColor c) { return c & 0xFFFFFF; }
COLORREF Ref(TRgb c) { return RGB(c.R & 0xFF, c.G & 0xFF, c.B & 0xFF); }

// from + round(n * (to - from) / N) per channel; N = 0 (a one-pixel extent) is the end colour.
TRgb Between(TRgb from, TRgb to, int n, int N) {
  if (N <= 0) return to;
  // Halves to the even neighbour (the default rounding mode), as every rounding of colours here.
  auto step = [&](int a, int b) { return a + RoundHalfEven(double(n) * (b - a) / N); };
  return {step(from.R, to.R), step(from.G, to.G), step(from.B, to.B)};
}

// One back buffer fitted to the label's size, with the label's font in it for this paint.
class TLayer {
public:
  TLayer(gdi::BackBuffer& buffer, int w, int h, HFONT font)
      : FBuffer(buffer), FOk(buffer.Fit(w, h)), FState(FOk ? buffer.DC() : nullptr),
        FSelFont(FOk ? buffer.DC() : nullptr, font), FW(w), FH(h) {
    if (!FOk) return;
    SetBkMode(DC(), TRANSPARENT);
    // Black, as a new bitmap would be: what the earlier paint left must not show through.
    Fill(0);
  }
  bool Ok() const { return FOk; }
  HDC DC() const { return FBuffer.DC(); }
  // Row y of the pixels. Call Flush first when GDI has drawn since.
  unsigned* Row(int y) const { return FBuffer.Bits() + y * FBuffer.Stride(); }
  // What GDI drew (into either layer) into memory, before we touch the pixels.
  static void Flush() { GdiFlush(); }
  void Fill(unsigned v) {
    Flush();
    for (int y = 0; y < FH; ++y) std::fill_n(Row(y), FW, v);
  }

private:
  gdi::BackBuffer& FBuffer;
  bool FOk;
  gdi::SavedDC FState;
  gdi::Select FSelFont;
  int FW, FH;
};
}  // namespace

SIZE TLabelEffect::TextExtent() const {
  const std::string text(CutToBytes(FCaption, 255));
  const POINT hd = DirectionOffset(FDirectionHighlight), sd = DirectionOffset(FDirectionShadow);
  const int xs[] = {0, hd.x * FDepthHighlight, sd.x * FDepthShadow};
  const int ys[] = {0, hd.y * FDepthHighlight, sd.y * FDepthShadow};
  gdi::FontSpec desc = FFont;
  desc.Quality = NONANTIALIASED_QUALITY;  // as Paint draws it
  gdi::Font font = gdi::MakeFont(desc);
  gdi::MemDC dc(nullptr);
  gdi::Select sf(dc, font.Get());
  SIZE ext{0, 0};
  // DrawText's measure: "&" marks an accelerator and takes no room.
  RECT r{0, 0, 0, 0};
  DrawTextA(dc, text.c_str(), (int)text.size(), &r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
  ext.cx = r.right - r.left;
  ext.cy = r.bottom - r.top;
  ext.cx += *std::max_element(std::begin(xs), std::end(xs)) - *std::min_element(std::begin(xs), std::end(xs));
  ext.cy += *std::max_element(std::begin(ys), std::end(ys)) - *std::min_element(std::begin(ys), std::end(ys));
  return ext;
}

void TLabelEffect::Paint(HDC dc) {
  const int W = Width(), H = Height();
  if (W <= 0 || H <= 0) return;
  // At most 255 characters are drawn.
  const std::string text(CutToBytes(FCaption, 255));
  if (text.empty() && FTransparent) return;

  // 1. The layers' offsets and the alignment shift.
  const POINT hd = DirectionOffset(FDirectionHighlight), sd = DirectionOffset(FDirectionShadow);
  const int vals[] = {0, hd.x * FDepthHighlight, sd.x * FDepthShadow, hd.y * FDepthHighlight, sd.y * FDepthShadow};
  const int mn = *std::min_element(std::begin(vals), std::end(vals));
  const int mx = *std::max_element(std::begin(vals), std::end(vals));
  const int s = FAlignment == taLeftJustify ? 0 : FAlignment == taRightJustify ? mx - mn : (mx - mn) / 2;

  // 2. Both bitmaps with the font (turned, for a rotated caption), B with what lies beneath.
  const bool turned = FAngle != 0 && !FKeepLettersVertical;
  gdi::FontSpec desc = FFont;
  // Each layer is exact to the pixel, and the face key must not blend into its neighbours.
  desc.Quality = NONANTIALIASED_QUALITY;
  if (turned) {
    desc.Escapement = FAngle * 10;
    desc.OutPrecision = OUT_TT_ONLY_PRECIS;
  }
  gdi::Font font = gdi::MakeFont(desc);
  TLayer B(FBackBuffer, W, H, font), A(FLayerBuffer, W, H, font);
  if (!B.Ok() || !A.Ok()) return;
  if (FTransparent || turned) CopyParentImage(B.DC());

  // The rotated caption's placement: its centre at (c, c).
  SIZE ext{}, padded{};
  GetTextExtentPoint32A(B.DC(), text.c_str(), (int)text.size(), &ext);
  const std::string spaced = text + "   ";
  GetTextExtentPoint32A(B.DC(), spaced.c_str(), (int)spaced.size(), &padded);
  const int c = padded.cx / 2;
  const int rx = c - (int)std::trunc(ext.cx / 2.0 * FCos) - (int)std::trunc(ext.cy / 2.0 * FSin);
  const int ry = c + (int)std::trunc(ext.cx / 2.0 * FSin) - (int)std::trunc(ext.cy / 2.0 * FCos);

  // 3. An opaque label's background.
  if (!FTransparent) {
    if (!turned) {
      gdi::FillSolid(B.DC(), RECT{0, 0, W, H}, Color());
    } else {
      double hw = ext.cx / 2.0, hh = ext.cy / 2.0;
      POINT pts[4];
      const double corners[4][2] = {{-hw, -hh}, {hw, -hh}, {hw, hh}, {-hw, hh}};
      for (int i = 0; i < 4; ++i)
        pts[i] = POINT{c + (int)std::lround(corners[i][0] * FCos + corners[i][1] * FSin),
                       c + (int)std::lround(-corners[i][0] * FSin + corners[i][1] * FCos)};
      gdi::Brush brush(CreateSolidBrush(Color()));
      gdi::Select sb(B.DC(), brush.Get()), sp(B.DC(), GetStockObject(NULL_PEN));
      Polygon(B.DC(), pts, 4);
    }
  }

  const UINT align = FAlignment == taLeftJustify ? DT_LEFT : FAlignment == taRightJustify ? DT_RIGHT : DT_CENTER;
  // 5. One copy of the text at depth d in direction dir.
  auto layer = [&](HDC to, int d, POINT dir, COLORREF colour) {
    SetTextColor(to, colour);
    const int ox = d * dir.x - mn, oy = d * dir.y - mn;
    if (FAngle == 0) {
      RECT r{ox - s, oy, W + ox - s, H + oy};
      DrawTextA(to, text.c_str(), (int)text.size(), &r, align | DT_WORDBREAK | DT_EXPANDTABS);
    } else if (turned) {
      TextOutA(to, rx + ox, ry + oy, text.c_str(), (int)text.size());
    } else {
      // Upright letters one by one along the line at the angle.
      int advance = 0;
      for (size_t i = 0, next; i < text.size(); i = next) {
        next = NextCharAt(text, i);  // a double-byte letter stays whole
        const char* ch = text.c_str() + i;
        const int n = (int)(next - i);
        TextOutA(to, rx + ox + (int)std::lround(advance * FCos), ry + oy - (int)std::lround(advance * FSin), ch, n);
        SIZE one{};
        GetTextExtentPoint32A(to, ch, n, &one);
        advance += one.cx;
      }
    }
  };

  // Where the own look would not read (high contrast on, or a face colour of the scheme's that
  // does not stand out from the label's colour), the caption alone, flat, on the button face.
  const bool schemeFace = (FFontColor & 0xFF000000u) == clSystemColor;
  if (schemeFace ? UseSystemLook(HighContrastOn(), {{ColorToRGB(FFontColor), Color()}})
                 : UseSystemLook(HighContrastOn(), {})) {
    gdi::FillSolid(B.DC(), RECT{0, 0, W, H}, GetSysColor(COLOR_BTNFACE));
    layer(B.DC(), 0, POINT{0, 0}, GetSysColor(COLOR_BTNTEXT));
    BitBlt(dc, 0, 0, W, H, B.DC(), 0, 0, SRCCOPY);
    return;
  }

  const TRgb face = Split(FFontColor);
  // 6, 7. The shadow and the highlight passes.
  auto pass = [&](TColor colour, POINT dir, int depth, TEffectOption style, bool shadow) {
    if (style == eoReal) {
      A.Fill(kWhitePixel);
      layer(A.DC(), depth, dir, RGB(0, 0, 0));
      TLayer::Flush();
      for (int y = 0; y < H; ++y) {
        const unsigned* a = A.Row(y);
        unsigned* b = B.Row(y);
        for (int x = 0; x < W; ++x) {
          if ((a[x] & 0xFFFFFF) != 0) continue;
          // Under a shadow each channel halves; under a highlight it moves halfway to white.
          unsigned v = b[x], out = 0;
          for (int k = 0; k < 24; k += 8) {
            unsigned ch = (v >> k) & 0xFF;
            out |= (shadow ? ch / 2 : (ch + 255) / 2) << k;
          }
          b[x] = out;
        }
      }
      return;
    }
    const bool layers = (style == eoExtrude || style == eoGraduated) && depth > 1;
    const TRgb from = Split(colour);
    for (int d = depth; d >= (layers ? 1 : depth); --d) {
      COLORREF c = Stored(colour);
      if (layers && style == eoGraduated) c = Ref(Between(from, face, depth - d, depth - 1));
      layer(B.DC(), d, dir, c);
    }
  };
  pass(FColourShadow, sd, FDepthShadow, FStyleShadow, true);
  pass(FColourHighlight, hd, FDepthHighlight, FStyleHighlight, false);

  // 8. The face, solid or in one-pixel bands from GraduateFrom to the face colour.
  if (FGraduateFace == TGraduateOption::goNone) {
    layer(B.DC(), 0, POINT{0, 0}, ColorToRGB(FFontColor));
  } else {
    TLayer::Flush();
    for (int y = 0; y < H; ++y) std::copy_n(B.Row(y), W, A.Row(y));
    layer(A.DC(), 0, POINT{0, 0}, kFaceKey);
    TLayer::Flush();
    const TRgb from = Split(FGraduateFrom);
    if (FGraduateFace == TGraduateOption::goVertical) {
      const int N = ext.cy - 1;
      for (int n = 0; n <= N; ++n) {
        const int y = -mn + n;
        if (y < 0 || y >= H) continue;
        const unsigned colour = gdi::ToPixel(Ref(Between(from, face, n, N)));
        const unsigned* a = A.Row(y);
        unsigned* b = B.Row(y);
        for (int x = 0; x < W; ++x)
          if ((a[x] & 0xFFFFFF) == kFaceKeyPixel) b[x] = colour;
      }
    } else {
      const int N = ext.cx - 1;
      const int x0 = FAlignment == taLeftJustify ? -mn
                     : FAlignment == taRightJustify ? W - mx - ext.cx
                                                     : (W - ext.cx) / 2 - mn - s;
      for (int n = 0; n <= N; ++n) {
        const int x = x0 + n;
        if (x < 0 || x >= W) continue;
        const unsigned colour = gdi::ToPixel(Ref(Between(from, face, n, N)));
        for (int y = 0; y < H; ++y)
          if ((A.Row(y)[x] & 0xFFFFFF) == kFaceKeyPixel) B.Row(y)[x] = colour;
      }
    }
  }

  // 9. To the screen.
  BitBlt(dc, 0, 0, W, H, B.DC(), 0, 0, SRCCOPY);
}
