// An icon object: one HICON it owns, kept together with the icon-file bytes it came from, so
// that saving gives back exactly what was loaded.
#pragma once
#include <windows.h>
#include <cstdint>
#include <vector>
#include "framework/Classes.h"
#include "framework/Handles.h"

using TBytes = std::vector<uint8_t>;

class TIcon : public TObject {
public:
  TIcon() = default;
  ~TIcon() override;
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;

  HICON Handle() const { return FHandle.Get(); }
  // True when there is no picture.
  bool Empty() const { return !FHandle; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // The size in pixels later loads pick (an icon file's image of that size, else the nearest
  // larger one, scaled by the system); 0: the system's icon size, SM_CXICON, as LoadIcon has it.
  int LoadSize() const { return FLoadSize; }
  void SetLoadSize(int v) { FLoadSize = v > 0 ? v : 0; }

  // Takes ownership of h (null: no picture).
  void SetHandle(HICON h);
  // A copy of another icon's picture; none (or an empty icon) clears this one.
  void Assign(const TIcon* source);
  void Clear() { SetHandle(nullptr); }

  // Loads the image of an icon file (".ico" layout) that suits the load size. Data that
  // is not a well-formed icon raises "Icon image is not valid" and leaves the icon as it was.
  void LoadFromBytes(const uint8_t* data, size_t size);
  void LoadFromBytes(const TBytes& data) { LoadFromBytes(data.data(), data.size()); }
  // The icon in icon-file layout: the bytes it was loaded from, or one image built from the
  // handle. Empty for an icon without a picture.
  TBytes SaveToBytes() const;
  // An icon resource of a module (null module: the system's icons), as LoadIconA finds it (at
  // the load size when one is set).
  void LoadFromResourceName(HINSTANCE module, const char* name);

  // Told after every change of the picture.
  TNotifyEvent OnChange;

private:
  void Changed() { Fire(OnChange, this); }
  void Take(HICON h, TBytes data);
  TIconHandle FHandle;
  int FWidth = 0, FHeight = 0, FLoadSize = 0;
  TBytes FData;  // the icon file this picture came from; empty when it came from a handle
};
