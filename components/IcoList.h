// An ordered list of icons (entries may be empty), the frames of the tray icon's animation.
// The list owns its icons; every change of the list or of one of its icons is reported to the
// owner's change handler, except while changes are locked.
#pragma once
#include <windows.h>
#include <memory>
#include <vector>
#include "framework/Classes.h"
#include "framework/Icons.h"

class TIconList : public TObject {
public:
  explicit TIconList(TNotifyEvent onChange = {});
  ~TIconList() override;
  TIconList(const TIconList&) = delete;
  TIconList& operator=(const TIconList&) = delete;

  int Count() const { return (int)FItems.size(); }
  // Entry i; null for an empty entry. An index outside the list raises "List index out of
  // bounds (i)", as every operation here does.
  TIcon* Item(int i) const;

  // Appends an entry referring to icon (the list now owns it; null: an empty entry).
  int Add(TIcon* icon);
  // Appends a copy of icon.
  int AddCopy(const TIcon* icon);
  // Replaces entry i by a copy of icon; i == Count appends.
  void Put(int i, const TIcon* icon);
  void Delete(int i);
  // Deletes from the last entry down to the first.
  void Clear();
  void Insert(int i, TIcon* icon);
  // Exchange and Move belong to the list's published interface; the program itself never
  // reorders its icons.
  void Exchange(int i, int j);
  void Move(int from, int to);
  int IndexOf(const TIcon* icon) const;
  // An icon resource of a module, as LoadIconA finds it.
  int AddResource(HINSTANCE module, const char* name);
  void InsertResource(int i, HINSTANCE module, const char* name);

  // From none: clears; from another list: copies of all its entries; one change for it all.
  void Assign(const TIconList* source);
  // From a single icon: a list of one copy of it.
  void Assign(const TIcon* source);

  // The size the list loads its icons at (TIcon::SetLoadSize); 0: the system's icon size.
  void SetIconSize(int v) { FIconSize = v; }

  // Nestable; the outermost unlock reports one change.
  void LockChanges();
  void UnlockChanges();

  // The stored form, little-endian: a 32-bit signed count, then for every entry a 32-bit
  // signed byte length and that many bytes of icon file (0 for an empty entry).
  TBytes WriteData() const;
  // Replaces the whole list by the stored form, reporting one change. A length of 0 or less
  // gives an empty entry. Data that ends early raises "Stream read error" and a damaged icon
  // "Icon image is not valid"; either way the list is left empty.
  void ReadData(const uint8_t* data, size_t size);
  void ReadData(const TBytes& data) { ReadData(data.data(), data.size()); }
  // Reads the stored form from an RCDATA resource of a module; raises when it is missing.
  void ReadResource(HINSTANCE module, const char* name);

  TNotifyEvent OnChange;

private:
  std::unique_ptr<TIcon> NewIcon() const;
  int FIconSize = 0;
  void Changed();
  void CheckIndex(int i, int limit) const;
  std::unique_ptr<TIcon> Adopt(TIcon* icon);
  std::vector<std::unique_ptr<TIcon>> FItems;
  int FLockCount = 0;
};
