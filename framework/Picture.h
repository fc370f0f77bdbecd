// Pictures kept as the bytes of a file format and read by the reader registered for that
// format (as a window description stores its pictures), and the image control that shows one.
#pragma once
#include <windows.h>
#include <cstddef>
#include <functional>
#include <string>
#include "framework/Gdi.h"
#include "framework/GraphicControls.h"

// A decoded picture: a top-down 32-bit DIB section. Empty when the bytes could not be read.
struct TPictureData {
  gdi::Bitmap Bitmap;
  int Width = 0, Height = 0;
};

// Reads one file format; gives an empty picture for bytes it cannot read, and never throws.
using TPictureReader = std::function<TPictureData(const unsigned char* data, size_t size)>;

class TPicture {
public:
  // Registers (or replaces) the reader of the format with this extension, letter case aside.
  static void RegisterFileFormat(const std::string& extension, const std::string& description, TPictureReader reader);

  bool Empty() const { return !FData.Bitmap; }
  int Width() const { return FData.Width; }
  int Height() const { return FData.Height; }
  HBITMAP Handle() const { return FData.Bitmap.Get(); }

  // Reads bytes stored in the given format. Bytes of an unknown format, or bytes the format's
  // reader cannot read, leave the picture empty; false then.
  bool LoadFromData(const std::string& extension, const void* data, size_t size);
  // The same from an RCDATA resource of the module; a missing resource empties the picture.
  bool LoadFromResource(HINSTANCE module, const char* name, const std::string& extension);
  void Clear();
  // The whole picture with its top left at (x, y).
  void Draw(HDC dc, int x, int y) const;

  // After every change.
  std::function<void()> OnChange;

private:
  TPictureData FData;
};

// Shows a picture at its top left, sized to it when AutoSize is on.
class TImage : public TGraphicControl {
public:
  TImage(TComponent* AOwner, TWinControl* AParent);
  TPicture& Picture() { return FPicture; }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool v);

  // The picture is shown at the DPI the control is laid out for, filtered when that is not 96.
  void ChangeScale(int newDpi, int oldDpi) override;

protected:
  void Paint(HDC dc) override;

private:
  void PictureChanged();
  void ScalePicture();
  TPicture FPicture;
  bool FAutoSize = false;
  gdi::Bitmap FScaled;  // the picture at the control's DPI; empty at 96
  int FScaledW = 0, FScaledH = 0;
};
