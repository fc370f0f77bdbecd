#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <string>
#include "components/PkJpegImage.h"
#include "tests/components/ComponentsSupport.h"

namespace {

// The logo as the program stores it (this test program carries the program's resources).
std::string LogoBytes() {
  HMODULE m = GetModuleHandleA(nullptr);
  HRSRC r = FindResourceA(m, "ABOUT_LOGO", MAKEINTRESOURCEA(10));
  if (!r) return {};
  const char* p = static_cast<const char*>(LockResource(LoadResource(m, r)));
  return std::string(p, SizeofResource(m, r));
}

COLORREF PixelOf(const TPictureData& pic, int x, int y) {
  gdi::Dib dib(pic.Width, pic.Height);
  gdi::MemDC src(dib.DC());
  gdi::Select s(src, pic.Bitmap.Get());
  BitBlt(dib.DC(), 0, 0, pic.Width, pic.Height, src, 0, 0, SRCCOPY);
  return dib.Pixel(x, y);
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

TEST(JpegImage, TheLogoIsABaselineJfifJpegAndDecodesTo287By70) {
  std::string jpeg = LogoBytes();
  ASSERT_GT(jpeg.size(), 100u);
  EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");
  EXPECT_EQ(jpeg.substr(6, 5), std::string("JFIF\0", 5)) << "a JFIF APP0 segment first";
  size_t sof = jpeg.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos) << "baseline (SOF0)";
  EXPECT_EQ(jpeg.find("\xFF\xC2"), std::string::npos) << "not progressive";
  auto byte = [&](size_t i) { return (unsigned char)jpeg[sof + i]; };
  EXPECT_EQ(byte(5) << 8 | byte(6), 70);
  EXPECT_EQ(byte(7) << 8 | byte(8), 287);
  EXPECT_EQ(byte(9), 3) << "three components";

  TPictureData pic = DecodeJpeg((const unsigned char*)jpeg.data(), jpeg.size());
  ASSERT_TRUE(pic.Bitmap);
  EXPECT_EQ(pic.Width, 287);
  EXPECT_EQ(pic.Height, 70);
  // Flat areas of the drawing, through the encoding's small losses.
  struct TPlace {
    int x, y;
    COLORREF drawn;
    const char* what;
  } places[] = {
      {1, 1, RGB(0, 0, 0), "the black corner"},
      {285, 68, RGB(0, 0, 0), "the other corner"},
      {40, 40, RGB(72, 72, 76), "the chip's body"},
      {84, 20, RGB(236, 244, 255), "the V's first cell"},
      {150, 8, RGB(0, 86, 146), "the band above the name"},
  };
  for (const auto& p : places)
    EXPECT_TRUE(Near(PixelOf(pic, p.x, p.y), p.drawn, 12))
        << p.what << ": " << std::hex << PixelOf(pic, p.x, p.y) << " for " << p.drawn;
}

TEST(JpegImage, DamagedStreamsDecodeToNothingAndTheProcessGoesOn) {
  std::string jpeg = LogoBytes();
  ASSERT_FALSE(jpeg.empty());
  std::string flipped = jpeg;
  for (size_t i = jpeg.size() / 2; i < jpeg.size() / 2 + 64; ++i) flipped[i] = (char)0xFF;
  std::string badHeader = jpeg;
  badHeader[jpeg.find("\xFF\xC0") + 9] = 7;  // seven components
  const std::string cases[] = {
      jpeg.substr(0, jpeg.size() / 2),  // cut short
      jpeg.substr(0, 200),              // cut inside the tables
      flipped,                          // scrambled entropy data
      badHeader,
      std::string("\xFF\xD8\xFF\xD9", 4),  // nothing between start and end
      "not a picture at all",
      std::string(),
  };
  int before = gdi::LiveObjects();
  for (const auto& c : cases) {
    TPictureData pic = DecodeJpeg((const unsigned char*)c.data(), c.size());
    EXPECT_FALSE(pic.Bitmap) << c.size() << " bytes";
    EXPECT_EQ(pic.Width, 0);
  }
  EXPECT_EQ(gdi::LiveObjects(), before);
  EXPECT_FALSE(DecodeJpeg(nullptr, 10).Bitmap);
}

TEST(JpegImage, TheControlRegistersJpegAndSizesItselfToThePicture) {
  Host host(false, 320, 100);
  auto* img = new TPkJpegImage(host.form, host.panel);
  img->SetBounds(20, 10, 10, 10);
  img->SetAutoSize(true);
  EXPECT_TRUE(img->Picture().LoadFromResource(GetModuleHandleA(nullptr), "ABOUT_LOGO", "JPEG"));
  EXPECT_EQ(img->Width(), 287);
  EXPECT_EQ(img->Height(), 70);
  gdi::Dib dib(320, 100);
  SendMessageA(host.panel->Handle(), WM_PRINTCLIENT, (WPARAM)dib.DC(), PRF_CLIENT);
  EXPECT_TRUE(Near(dib.Pixel(20 + 40, 10 + 40), RGB(72, 72, 76), 12)) << "drawn at its place";
  // A stream that does not decode, or a format nobody registered, leaves it empty.
  EXPECT_FALSE(img->Picture().LoadFromData("JPEG", "xx", 2));
  EXPECT_TRUE(img->Picture().Empty());
  EXPECT_FALSE(img->Picture().LoadFromResource(GetModuleHandleA(nullptr), "ABOUT_LOGO", "GIF"));
  EXPECT_FALSE(img->Picture().LoadFromResource(GetModuleHandleA(nullptr), "NO_SUCH_LOGO", "JPEG"));
}

}  // namespace
