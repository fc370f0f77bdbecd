#include "framework/Icons.h"
#include <cstring>
#include "framework/Gdi.h"

namespace {

const char* const kInvalidIcon = "Icon image is not valid";

uint16_t U16(const uint8_t* p) { return (uint16_t)(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24; }
int32_t I32(const uint8_t* p) { return (int32_t)U32(p); }

void Put16(TBytes& b, uint16_t v) { b.push_back(v & 0xFF); b.push_back(v >> 8); }
void Put32(TBytes& b, uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF); }

// One image of an icon file, checked: its bytes lie inside the file and hold every row its
// header promises, so the system's loader never reads past them.
struct TIconImage {
  const uint8_t* Data = nullptr;
  uint32_t Size = 0;
  int Width = 0, Height = 0, BitCount = 0;
  bool Png = false;
};

bool CheckImage(const uint8_t* file, size_t fileSize, const uint8_t* entry, TIconImage& img) {
  uint32_t bytes = U32(entry + 8), offset = U32(entry + 12);
  if (offset > fileSize || bytes > fileSize - offset || bytes < 8) return false;
  const uint8_t* p = file + offset;
  img.Data = p;
  img.Size = bytes;
  static const uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (std::memcmp(p, png, 8) == 0) {
    img.Png = true;
    img.Width = entry[0] ? entry[0] : 256;
    img.Height = entry[1] ? entry[1] : 256;
    img.BitCount = 32;
    return true;
  }
  if (bytes < 40) return false;
  uint32_t headerSize = U32(p);
  int32_t w = I32(p + 4), h2 = I32(p + 8);
  uint16_t planes = U16(p + 12), bpp = U16(p + 14);
  uint32_t compression = U32(p + 16), colorsUsed = U32(p + 32);
  if (headerSize < 40 || headerSize > bytes || planes != 1) return false;
  if (w < 1 || w > 256 || h2 < 2 || h2 > 512 || h2 % 2) return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  uint64_t need = headerSize;
  if (compression == BI_BITFIELDS && (bpp == 16 || bpp == 32)) {
    if (headerSize == 40) need += 12;
  } else if (compression != BI_RGB) {
    return false;
  }
  if (colorsUsed > 256) return false;
  need += 4ull * (bpp <= 8 ? (colorsUsed ? colorsUsed : 1u << bpp) : colorsUsed);
  int h = h2 / 2;
  need += (uint64_t)((w * bpp + 31) / 32 * 4) * h;  // colour rows
  need += (uint64_t)((w + 31) / 32 * 4) * h;        // mask rows
  if (need > bytes) return false;
  img.Width = w;
  img.Height = h;
  img.BitCount = bpp;
  return true;
}

// The image a caller of LoadIcon would get: the system's icon size in the most colours, else
// the first image. With a wanted size: that size in the most colours, else the smallest larger
// image, else the largest.
bool ChooseImage(const uint8_t* data, size_t size, TIconImage& chosen, int want = 0) {
  if (!data || size < 6 || U16(data) != 0 || U16(data + 2) != 1) return false;
  int count = U16(data + 4);
  if (count < 1 || 6 + 16ull * count > size) return false;
  int cx = want ? want : GetSystemMetrics(SM_CXICON), cy = want ? want : GetSystemMetrics(SM_CYICON);
  bool haveFirst = false, haveBest = false, haveNear = false;
  TIconImage first, best, nearest;
  for (int i = 0; i < count; ++i) {
    TIconImage img;
    if (!CheckImage(data, size, data + 6 + 16 * i, img)) return false;  // one bad image spoils the file
    if (!haveFirst) first = img, haveFirst = true;
    if (img.Width == cx && img.Height == cy && (!haveBest || img.BitCount > best.BitCount)) best = img, haveBest = true;
    // Larger beats smaller (shrinking loses less), then the closer size.
    auto better = [&](const TIconImage& a, const TIconImage& b) {
      bool al = a.Width >= cx, bl = b.Width >= cx;
      return al != bl ? al : (al ? a.Width < b.Width : a.Width > b.Width);
    };
    if (!haveNear || better(img, nearest)) nearest = img, haveNear = true;
  }
  chosen = haveBest ? best : (want ? nearest : first);
  return true;
}

void SizeOf(HICON h, int& w, int& hgt) {
  w = hgt = 0;
  ICONINFO ii{};
  if (!h || !GetIconInfo(h, &ii)) return;
  gdi::Bitmap color(ii.hbmColor), mask(ii.hbmMask);
  BITMAP bm{};
  if (color) {
    GetObjectA(color, sizeof(bm), &bm);
    w = bm.bmWidth, hgt = bm.bmHeight;
  } else if (mask) {
    GetObjectA(mask, sizeof(bm), &bm);
    w = bm.bmWidth, hgt = bm.bmHeight / 2;
  }
}

// An icon file of one image built from a handle: 32-bit colour and mask, or the 1-bit
// picture of a monochrome icon.
TBytes IconFileFromHandle(HICON h) {
  ICONINFO ii{};
  if (!h || !GetIconInfo(h, &ii)) return {};
  gdi::Bitmap color(ii.hbmColor), mask(ii.hbmMask);
  if (!mask) return {};
  BITMAP bm{};
  GetObjectA(color ? color.Get() : mask.Get(), sizeof(bm), &bm);
  int w = bm.bmWidth, hgt = color ? bm.bmHeight : bm.bmHeight / 2;
  if (w <= 0 || hgt <= 0 || w > 256 || hgt > 256) return {};
  gdi::MemDC dc;
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD pal[2];
  } mono{};
  mono.h.biSize = sizeof(BITMAPINFOHEADER);
  mono.h.biWidth = w;
  mono.h.biPlanes = 1;
  mono.h.biBitCount = 1;
  int maskStride = (w + 31) / 32 * 4;
  TBytes image;
  uint16_t bpp;
  TBytes palette;
  if (color) {
    bpp = 32;
    BITMAPINFO bi{};
    bi.bmiHeader = mono.h;
    bi.bmiHeader.biHeight = hgt;
    bi.bmiHeader.biBitCount = 32;
    TBytes xorBits((size_t)w * 4 * hgt), andBits((size_t)maskStride * hgt);
    mono.h.biHeight = hgt;
    if (!GetDIBits(dc, color, 0, hgt, xorBits.data(), &bi, DIB_RGB_COLORS) ||
        !GetDIBits(dc, mask, 0, hgt, andBits.data(), reinterpret_cast<BITMAPINFO*>(&mono), DIB_RGB_COLORS))
      return {};
    image = std::move(xorBits);
    image.insert(image.end(), andBits.begin(), andBits.end());
  } else {
    // A monochrome icon's mask is twice as high: the AND half above the XOR half. Read bottom
    // up, that is the XOR rows first, as an icon file wants them.
    bpp = 1;
    mono.h.biHeight = 2 * hgt;
    image.resize((size_t)maskStride * 2 * hgt);
    if (!GetDIBits(dc, mask, 0, 2 * hgt, image.data(), reinterpret_cast<BITMAPINFO*>(&mono), DIB_RGB_COLORS))
      return {};
    for (auto& q : mono.pal) {
      palette.push_back(q.rgbBlue), palette.push_back(q.rgbGreen), palette.push_back(q.rgbRed), palette.push_back(0);
    }
  }
  TBytes out;
  uint32_t imageSize = 40 + (uint32_t)palette.size() + (uint32_t)image.size();
  Put16(out, 0), Put16(out, 1), Put16(out, 1);
  out.push_back((uint8_t)(w & 0xFF)), out.push_back((uint8_t)(hgt & 0xFF));
  out.push_back(bpp == 1 ? 2 : 0), out.push_back(0);
  Put16(out, 1), Put16(out, bpp), Put32(out, imageSize), Put32(out, 22);
  Put32(out, 40), Put32(out, (uint32_t)w), Put32(out, (uint32_t)(2 * hgt)), Put16(out, 1), Put16(out, bpp);
  Put32(out, BI_RGB), Put32(out, (uint32_t)image.size()), Put32(out, 0), Put32(out, 0), Put32(out, 0), Put32(out, 0);
  out.insert(out.end(), palette.begin(), palette.end());
  out.insert(out.end(), image.begin(), image.end());
  return out;
}

}  // namespace

TIcon::~TIcon() {
  OnChange = nullptr;
  Take(nullptr, {});
}

void TIcon::Take(HICON h, TBytes data) {
  if (FHandle) gdi::detail::Deleted();
  FHandle.Reset(h);
  FData = std::move(data);
  if (h) gdi::detail::Created();
  SizeOf(h, FWidth, FHeight);
}

void TIcon::SetHandle(HICON h) {
  if (h == FHandle.Get() && h) return;
  Take(h, {});
  Changed();
}

void TIcon::Assign(const TIcon* source) {
  if (source == this) return;
  if (!source || source->Empty()) {
    Take(nullptr, {});
  } else if (!source->FData.empty()) {
    LoadFromBytes(source->FData);
    return;  // that reported the change
  } else {
    HICON copy = CopyIcon(source->FHandle.Get());
    if (!copy) throw Exception(kInvalidIcon);
    Take(copy, {});
  }
  Changed();
}

void TIcon::LoadFromBytes(const uint8_t* data, size_t size) {
  TIconImage img;
  if (!ChooseImage(data, size, img, FLoadSize)) throw Exception(kInvalidIcon);
  // The system's loader wants the image on an aligned address of its own.
  TBytes image(img.Data, img.Data + img.Size);
  const int w = FLoadSize ? FLoadSize : img.Width, h0 = FLoadSize ? FLoadSize : img.Height;
  HICON h = CreateIconFromResourceEx(image.data(), img.Size, TRUE, 0x00030000, w, h0, LR_DEFAULTCOLOR);
  if (!h) throw Exception(kInvalidIcon);
  Take(h, TBytes(data, data + size));
  Changed();
}

TBytes TIcon::SaveToBytes() const {
  if (!FHandle) return {};
  if (!FData.empty()) return FData;
  return IconFileFromHandle(FHandle.Get());
}

void TIcon::LoadFromResourceName(HINSTANCE module, const char* name) {
  HICON own = nullptr;
  if (FLoadSize) {
    own = static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, FLoadSize, FLoadSize, module ? 0 : LR_SHARED));
    if (own && !module) own = CopyIcon(own);  // the system's own icons are shared
  } else {
    HICON shared = LoadIconA(module, name);
    own = shared ? CopyIcon(shared) : nullptr;
  }
  if (!own) throw Exception(std::string("Resource ") + (IS_INTRESOURCE(name) ? "#" : name) + " not found");
  Take(own, {});
  Changed();
}
