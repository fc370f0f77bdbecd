#include "framework/Picture.h"
#include "framework/Dpi.h"
#include <map>

namespace {
struct TFormat {
  std::string Description;
  TPictureReader Reader;
};

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
  return s;
}

std::map<std::string, TFormat>& Formats() {
  static std::map<std::string, TFormat> m;
  return m;
}
}  // namespace

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description, TPictureReader reader) {
  Formats()[Upper(extension)] = TFormat{description, std::move(reader)};
}

bool TPicture::LoadFromData(const std::string& extension, const void* data, size_t size) {
  auto it = Formats().find(Upper(extension));
  TPictureData fresh;
  if (it != Formats().end() && it->second.Reader && data && size)
    fresh = it->second.Reader(static_cast<const unsigned char*>(data), size);
  if (!fresh.Bitmap) fresh = TPictureData{};
  FData = std::move(fresh);
  if (OnChange) OnChange();
  return !Empty();
}

bool TPicture::LoadFromResource(HINSTANCE module, const char* name, const std::string& extension) {
  TResourceBytes res = ResourceBytes(module, name);
  return LoadFromData(extension, res.Data, res.Size);
}

void TPicture::Clear() {
  FData = TPictureData{};
  if (OnChange) OnChange();
}

void TPicture::Draw(HDC dc, int x, int y) const {
  if (Empty()) return;
  gdi::MemDC src(dc);
  gdi::Select s(src, FData.Bitmap.Get());
  BitBlt(dc, x, y, FData.Width, FData.Height, src, 0, 0, SRCCOPY);
}

TImage::TImage(TComponent* AOwner, TWinControl* AParent) : TGraphicControl(AOwner, AParent) {
  FPicture.OnChange = [this] { PictureChanged(); };
}

void TImage::SetAutoSize(bool v) {
  if (v == FAutoSize) return;
  FAutoSize = v;
  PictureChanged();
}

void TImage::PictureChanged() {
  ScalePicture();
  if (FAutoSize && !FPicture.Empty()) SetBounds(Left(), Top(), FScaledW, FScaledH);
  // A picture that covers the whole control needs nothing erased beneath it.
  SetOpaqueStyle(!FPicture.Empty() && FScaledW >= Width() && FScaledH >= Height());
  Invalidate();
}

void TImage::ScalePicture() {
  FScaledW = ScaleToDpi(FPicture.Width(), PixelsPerInch()), FScaledH = ScaleToDpi(FPicture.Height(), PixelsPerInch());
  FScaled.Reset();
  if (!FPicture.Empty() && (FScaledW != FPicture.Width() || FScaledH != FPicture.Height()))
    FScaled = SmoothScaled(FPicture.Handle(), FScaledW, FScaledH);
}

void TImage::ChangeScale(int newDpi, int oldDpi) {
  TGraphicControl::ChangeScale(newDpi, oldDpi);
  PictureChanged();
}

void TImage::Paint(HDC dc) {
  if (!FScaled) return FPicture.Draw(dc, 0, 0);
  gdi::MemDC src(dc);
  gdi::Select s(src, FScaled.Get());
  BitBlt(dc, 0, 0, FScaledW, FScaledH, src, 0, 0, SRCCOPY);
}
