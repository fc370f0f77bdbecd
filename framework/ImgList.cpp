#include "framework/ImgList.h"
#include "framework/Gdi.h"

TImageList::TImageList(TComponent* AOwner, int width, int height)
    : TComponent(AOwner), FWidth(width), FHeight(height),
      FHandle(ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 0, 4)) {
  if (FHandle) gdi::detail::Created();
}

TImageList::~TImageList() {
  if (FHandle) {
    ImageList_Destroy(FHandle);
    gdi::detail::Deleted();
  }
}

int TImageList::Count() const { return FHandle ? ImageList_GetImageCount(FHandle) : 0; }

bool TImageList::AddStrip(HINSTANCE module, const char* name) {
  if (!FHandle) return false;
  gdi::Bitmap strip(static_cast<HBITMAP>(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!strip) return false;
  // The list copies the pictures; the strip goes again at the end of this scope.
  return ImageList_AddMasked(FHandle, strip, RGB(255, 0, 255)) >= 0;
}

void TImageList::Draw(HDC dc, int x, int y, int i) const {
  if (!FHandle || i < 0 || i >= Count()) return;
  ImageList_Draw(FHandle, i, dc, x, y, ILD_TRANSPARENT);
}
