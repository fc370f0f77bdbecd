// The colour button's glyphs: the shared image lists per cell size, the glyph holder with its
// four state images, and the layout of glyph and caption.
#include "components/OvColorBtns.h"

namespace {

std::unique_ptr<TGlyphCache>& Cache() {
  static std::unique_ptr<TGlyphCache> c;
  return c;
}

}  // namespace

// ---- the image list ---------------------------------------------------------------------------

TGlyphList::TGlyphList(int w, int h) : FWidth(w), FHeight(h) {}

int TGlyphList::AddMasked(HDC dc, int sx, int sy, COLORREF key) {
  gdi::Bitmap cell(CreateCompatibleBitmap(dc, FWidth, FHeight));
  if (!cell) return -1;
  {
    gdi::MemDC to(dc);
    gdi::Select s(to, cell);
    BitBlt(to, 0, 0, FWidth, FHeight, dc, sx, sy, SRCCOPY);
  }
  gdi::MaskedBitmap picture(cell, key);
  if (picture.Empty()) return -1;
  size_t slot = 0;
  while (slot < FSlots.size() && !FSlots[slot].Empty()) ++slot;
  if (slot == FSlots.size()) FSlots.emplace_back();
  FSlots[slot] = std::move(picture);
  ++FCount;
  return (int)slot;
}

void TGlyphList::Delete(int index) {
  if (index < 0 || index >= (int)FSlots.size() || FSlots[index].Empty()) return;
  FSlots[index] = gdi::MaskedBitmap();
  --FCount;
}

void TGlyphList::Draw(HDC dc, int x, int y, int index) const {
  if (index >= 0 && index < (int)FSlots.size()) FSlots[index].Draw(dc, x, y);
}

// ---- the cache --------------------------------------------------------------------------------

TGlyphCache* GlyphCache() { return Cache().get(); }

TGlyphList* TGlyphCache::GetList(int w, int h) {
  for (auto& l : FLists)
    if (l->Width() == w && l->Height() == h) return l.get();
  FLists.push_back(std::make_unique<TGlyphList>(w, h));
  return FLists.back().get();
}

void TGlyphCache::ReturnList(TGlyphList* list) {
  if (!list || list->Count() > 0) return;
  for (size_t i = 0; i < FLists.size(); ++i)
    if (FLists[i].get() == list) {
      FLists.erase(FLists.begin() + i);
      return;
    }
}

// ---- the glyph holder -------------------------------------------------------------------------

TButtonGlyph::TButtonGlyph() {
  FOriginal.OnChange = [this] { GlyphChanged(); };
}

TButtonGlyph::~TButtonGlyph() {
  FOriginal.OnChange = nullptr;
  Invalidate();
  if (Cache() && Cache()->Empty()) Cache().reset();
}

void TButtonGlyph::Invalidate() {
  if (FList) {
    for (int& i : FIndexes) {
      FList->Delete(i);
      i = -1;
    }
    if (Cache()) Cache()->ReturnList(FList);
    FList = nullptr;
  }
  FIndexes.fill(-1);
}

void TButtonGlyph::GlyphChanged() {
  Invalidate();
  const int w = FOriginal.Width(), h = FOriginal.Height();
  if (!FOriginal.Empty()) FTransparentColor = FOriginal.TransparentColor();
  // A strip of square cells tells its own count; no picture, or a width that is no multiple of
  // the height, leaves the count as it is.
  if (w > 0 && h > 0 && w % h == 0) {
    int n = w / h;
    FNumGlyphs = n > 4 ? 1 : n;
  }
  if (OnChange) OnChange();
}

void TButtonGlyph::SetNumGlyphs(int v) {
  v = v < 1 ? 1 : (v > 4 ? 4 : v);
  if (v == FNumGlyphs) return;
  Invalidate();
  FNumGlyphs = v;
  if (OnChange) OnChange();
}

SIZE TButtonGlyph::CellSize() const {
  if (FOriginal.Empty()) return SIZE{0, 0};
  return SIZE{FOriginal.Width() / FNumGlyphs, FOriginal.Height()};
}

int TButtonGlyph::CreateButtonGlyph(TColorBtnState state) {
  if (state == cbsPressed && FNumGlyphs < 3) state = cbsUp;
  if (FIndexes[state] != -1) return FIndexes[state];
  const SIZE cell = CellSize();
  if (cell.cx <= 0 || cell.cy <= 0) return -1;
  if (!FList) {
    if (!Cache()) Cache() = std::make_unique<TGlyphCache>();
    FList = Cache()->GetList(cell.cx, cell.cy);
  }
  const int from = (int)state < FNumGlyphs ? (int)state * cell.cx : 0;
  gdi::Dib tmp(cell.cx, cell.cy);
  unsigned* const bits = tmp.Bits();
  if (!bits) return -1;
  {
    gdi::MemDC src;
    gdi::Select s(src, FOriginal.Handle());
    BitBlt(tmp.DC(), 0, 0, cell.cx, cell.cy, src, from, 0, SRCCOPY);
  }
  GdiFlush();
  COLORREF key = FTransparentColor;
  if (state == cbsDisabled) {
    const unsigned face = gdi::ToPixel(FFaceColor), light = gdi::ToPixel(ShiftColor(FFaceColor, 96)),
                   shadow = gdi::ToPixel(ShiftColor(FFaceColor, -48)), transparent = gdi::ToPixel(FTransparentColor);
    const int n = cell.cx * cell.cy;
    if (FNumGlyphs > 1) {
      // A cell of its own: white and grey become the face's light and shadow.
      for (int i = 0; i < n; ++i) {
        unsigned& p = bits[i];
        unsigned c = p & 0xFFFFFF;
        p = c == 0xFFFFFF ? light : c == 0x808080 ? shadow : c == transparent ? face : c;
      }
    } else {
      // Embossed: the glyph's silhouette in the light shade one pixel down and right, then in
      // the shadow in place, on the face.
      std::vector<bool> solid(n);
      for (int i = 0; i < n; ++i) solid[i] = (bits[i] & 0xFFFFFF) != transparent;
      for (int y = 0; y < cell.cy; ++y)
        for (int x = 0; x < cell.cx; ++x) {
          bool below = x > 0 && y > 0 && solid[(y - 1) * cell.cx + x - 1];
          bits[y * cell.cx + x] = solid[y * cell.cx + x] ? shadow : below ? light : face;
        }
    }
    key = FFaceColor;
  }
  FIndexes[state] = FList->AddMasked(tmp.DC(), 0, 0, key);
  return FIndexes[state];
}

void TButtonGlyph::DrawGlyph(HDC dc, int x, int y, TColorBtnState state) {
  int i = CreateButtonGlyph(state);
  if (i >= 0 && FList) FList->Draw(dc, x, y, i);
}

// ---- layout -----------------------------------------------------------------------------------

TButtonLayoutResult CalcButtonLayout(const RECT& client, SIZE glyph, SIZE text, TButtonLayout layout, int margin,
                                     int spacing) {
  const int cw = client.right - client.left, ch = client.bottom - client.top;
  const bool across = layout == blGlyphLeft || layout == blGlyphRight;
  POINT g{0, 0}, t{0, 0};
  if (across) {
    g.y = (ch - glyph.cy + 1) / 2;
    t.y = (ch - text.cy + 1) / 2;
  } else {
    g.x = (cw - glyph.cx + 1) / 2;
    t.x = (cw - text.cx + 1) / 2;
  }
  if (text.cx == 0 || glyph.cx == 0) spacing = 0;
  const int extent = across ? cw : ch, gs = across ? glyph.cx : glyph.cy, ts = across ? text.cx : text.cy;
  if (margin == -1) {
    if (spacing == -1)
      margin = spacing = (extent - (gs + ts)) / 3;
    else
      margin = (extent - (gs + spacing + ts) + 1) / 2;
  } else if (spacing == -1) {
    spacing = ((extent - (margin + gs)) - ts) / 2;
  }
  switch (layout) {
    case blGlyphLeft: g.x = margin; t.x = g.x + glyph.cx + spacing; break;
    case blGlyphRight: g.x = cw - margin - glyph.cx; t.x = g.x - spacing - text.cx; break;
    case blGlyphTop: g.y = margin; t.y = g.y + glyph.cy + spacing; break;
    case blGlyphBottom: g.y = ch - margin - glyph.cy; t.y = g.y - spacing - text.cy; break;
  }
  TButtonLayoutResult r;
  r.GlyphPos = POINT{g.x + client.left, g.y + client.top};
  r.TextBounds = RECT{t.x + client.left, t.y + client.top, t.x + client.left + text.cx, t.y + client.top + text.cy};
  return r;
}
