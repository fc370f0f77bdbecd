// The JPEG picture control: the framework's image control with the JPEG format registered with
// the picture class, decoded by libjpeg-turbo.
#pragma once
#include <cstddef>
#include "framework/Picture.h"

// A JPEG stream decoded into a 32-bit DIB section. A stream libjpeg refuses, one it has to
// warn about (damaged or cut short), or one larger than 16384 pixels a side gives an empty
// picture; libjpeg never gets to end the process.
TPictureData DecodeJpeg(const unsigned char* data, size_t size);

class TPkJpegImage : public TImage {
public:
  TPkJpegImage(TComponent* AOwner, TWinControl* AParent);
};
