// A list of same-sized pictures drawn with a transparent background: a system image list
// filled from one bitmap strip whose magenta (255, 0, 255) pixels are the background.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include "framework/Classes.h"

class TImageList : public TComponent {
public:
  TImageList(TComponent* AOwner, int width, int height);
  ~TImageList() override;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  int Count() const;
  HIMAGELIST Handle() const { return FHandle; }
  // Appends the pictures of a bitmap resource cut into Width-wide pieces; false when the
  // resource is missing.
  bool AddStrip(HINSTANCE module, const char* name);
  // Draws picture i with its top left at (x, y); an index outside the list draws nothing.
  void Draw(HDC dc, int x, int y, int i) const;

private:
  int FWidth, FHeight;
  HIMAGELIST FHandle;
};
