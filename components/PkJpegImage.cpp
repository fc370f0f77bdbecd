#include "components/PkJpegImage.h"
// jpeglib.h needs FILE and size_t declared before it.
#include <cstdio>
#include <csetjmp>
#include <jpeglib.h>

namespace {
const unsigned kMaxSide = 16384;

// libjpeg's default error handler ends the process; ours jumps back into the decoder instead.
struct TJpegError {
  jpeg_error_mgr Pub;
  jmp_buf Jump;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) { longjmp(reinterpret_cast<TJpegError*>(cinfo->err)->Jump, 1); }

// A warning means damaged data (or a stream cut short, which libjpeg pads with grey): we show
// nothing rather than half a picture. Trace messages (level > 0) are dropped.
void EmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0) ErrorExit(cinfo);
}

// Where the pixels go: the caller makes the DIB section once the size is known.
struct TTarget {
  TPictureData Picture;
  unsigned* Bits = nullptr;
};

void* MakeTarget(TTarget& t, int w, int h) {
  t.Picture.Bitmap = gdi::CreateDib32(w, h, &t.Bits);
  t.Picture.Width = w, t.Picture.Height = h;
  return t.Bits;
}

// Plain C data only between setjmp and a jump: a jump must not skip a destructor.
bool Decode(const unsigned char* data, size_t size, TTarget& target) {
  jpeg_decompress_struct cinfo;
  TJpegError err;
  cinfo.err = jpeg_std_error(&err.Pub);
  err.Pub.error_exit = ErrorExit;
  err.Pub.emit_message = EmitMessage;
  if (setjmp(err.Jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, (unsigned long)size);
  jpeg_read_header(&cinfo, TRUE);
  if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > kMaxSide ||
      cinfo.image_height > kMaxSide || (cinfo.jpeg_color_space != JCS_GRAYSCALE && cinfo.num_components != 3)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  cinfo.out_color_space = JCS_EXT_BGRX;  // the byte order of a 32-bit DIB
  jpeg_start_decompress(&cinfo);
  auto* bits = static_cast<unsigned char*>(MakeTarget(target, (int)cinfo.output_width, (int)cinfo.output_height));
  if (!bits) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  size_t stride = (size_t)cinfo.output_width * 4;
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = bits + stride * cinfo.output_scanline;
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) ErrorExit((j_common_ptr)&cinfo);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}
}  // namespace

TPictureData DecodeJpeg(const unsigned char* data, size_t size) {
  if (!data || size < 4) return {};
  TTarget t;
  if (!Decode(data, size, t)) return {};
  GdiFlush();
  return std::move(t.Picture);
}

TPkJpegImage::TPkJpegImage(TComponent* AOwner, TWinControl* AParent) : TImage(AOwner, AParent) {
  TPicture::RegisterFileFormat("JPEG", "JPEGs", DecodeJpeg);
}
