#include "components/IcoList.h"
#include <algorithm>
#include <cstring>

namespace {
const char* const kReadError = "Stream read error";

// Reads the stored form field by field; running out of data is a read error.
struct TReader {
  const uint8_t* P;
  size_t Left;
  int32_t Int() {
    if (Left < 4) throw Exception(kReadError);
    int32_t v = (int32_t)((uint32_t)P[0] | (uint32_t)P[1] << 8 | (uint32_t)P[2] << 16 | (uint32_t)P[3] << 24);
    P += 4, Left -= 4;
    return v;
  }
  const uint8_t* Bytes(size_t n) {
    if (Left < n) throw Exception(kReadError);
    const uint8_t* p = P;
    P += n, Left -= n;
    return p;
  }
};

void PutInt(TBytes& b, int32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back((uint8_t)(((uint32_t)v >> (8 * i)) & 0xFF));
}
}  // namespace

TIconList::TIconList(TNotifyEvent onChange) : OnChange(std::move(onChange)) {}

TIconList::~TIconList() {
  OnChange = nullptr;
  for (auto& icon : FItems)
    if (icon) icon->OnChange = nullptr;
}

void TIconList::Changed() {
  if (FLockCount == 0) Fire(OnChange, this);
}

void TIconList::CheckIndex(int i, int limit) const {
  if (i < 0 || i >= limit) throw Exception("List index out of bounds (" + std::to_string(i) + ")");
}

std::unique_ptr<TIcon> TIconList::Adopt(TIcon* icon) {
  if (icon) icon->OnChange = [this](TObject*) { Changed(); };
  return std::unique_ptr<TIcon>(icon);
}

TIcon* TIconList::Item(int i) const {
  CheckIndex(i, Count());
  return FItems[i].get();
}

int TIconList::Add(TIcon* icon) {
  FItems.push_back(Adopt(icon));
  Changed();
  return Count() - 1;
}

int TIconList::AddCopy(const TIcon* icon) {
  auto copy = NewIcon();
  copy->Assign(icon);
  return Add(copy.release());
}

void TIconList::Put(int i, const TIcon* icon) {
  if (i == Count()) {
    AddCopy(icon);
    return;
  }
  CheckIndex(i, Count());
  auto copy = NewIcon();
  copy->Assign(icon);
  FItems[i] = Adopt(copy.release());
  Changed();
}

void TIconList::Delete(int i) {
  CheckIndex(i, Count());
  FItems.erase(FItems.begin() + i);
  Changed();
}

void TIconList::Clear() {
  while (!FItems.empty()) FItems.pop_back();
  Changed();
}

void TIconList::Insert(int i, TIcon* icon) {
  std::unique_ptr<TIcon> owned = Adopt(icon);
  CheckIndex(i, Count() + 1);
  FItems.insert(FItems.begin() + i, std::move(owned));
  Changed();
}

void TIconList::Exchange(int i, int j) {
  CheckIndex(i, Count());
  CheckIndex(j, Count());
  std::swap(FItems[i], FItems[j]);
  Changed();
}

void TIconList::Move(int from, int to) {
  CheckIndex(from, Count());
  CheckIndex(to, Count());
  if (from == to) return;
  std::unique_ptr<TIcon> icon = std::move(FItems[from]);
  FItems.erase(FItems.begin() + from);
  FItems.insert(FItems.begin() + to, std::move(icon));
  Changed();
}

int TIconList::IndexOf(const TIcon* icon) const {
  for (int i = 0; i < Count(); ++i)
    if (FItems[i].get() == icon) return i;
  return -1;
}

int TIconList::AddResource(HINSTANCE module, const char* name) {
  auto icon = NewIcon();
  icon->LoadFromResourceName(module, name);
  return Add(icon.release());
}

void TIconList::InsertResource(int i, HINSTANCE module, const char* name) {
  CheckIndex(i, Count() + 1);
  auto icon = NewIcon();
  icon->LoadFromResourceName(module, name);
  Insert(i, icon.release());
}

void TIconList::Assign(const TIconList* source) {
  if (source == this) return;
  LockChanges();
  try {
    Clear();
    if (source)
      for (const auto& icon : source->FItems) AddCopy(icon.get());
  } catch (...) {
    UnlockChanges();
    throw;
  }
  UnlockChanges();
}

void TIconList::Assign(const TIcon* source) {
  LockChanges();
  try {
    Clear();
    if (source) AddCopy(source);
  } catch (...) {
    UnlockChanges();
    throw;
  }
  UnlockChanges();
}

void TIconList::LockChanges() { ++FLockCount; }

void TIconList::UnlockChanges() {
  if (FLockCount <= 0) return;  // an unlock without its lock changes nothing
  if (--FLockCount == 0) Changed();
}

TBytes TIconList::WriteData() const {
  TBytes out;
  PutInt(out, Count());
  for (const auto& icon : FItems) {
    TBytes ico = icon ? icon->SaveToBytes() : TBytes();
    PutInt(out, (int32_t)ico.size());
    out.insert(out.end(), ico.begin(), ico.end());
  }
  return out;
}

void TIconList::ReadData(const uint8_t* data, size_t size) {
  LockChanges();
  try {
    Clear();
    TReader r{data, data ? size : 0};
    int32_t count = r.Int();
    for (int32_t i = 0; i < count; ++i) {
      int32_t n = r.Int();
      if (n <= 0) {
        Add(nullptr);
        continue;
      }
      const uint8_t* bytes = r.Bytes((size_t)n);
      auto icon = NewIcon();
      icon->LoadFromBytes(bytes, (size_t)n);
      Add(icon.release());
    }
  } catch (...) {
    Clear();
    UnlockChanges();
    throw;
  }
  UnlockChanges();
}

void TIconList::ReadResource(HINSTANCE module, const char* name) {
  TResourceBytes res = ResourceBytes(module, name);
  if (!res.Data) throw Exception(std::string("Resource ") + name + " not found");
  ReadData(static_cast<const uint8_t*>(res.Data), res.Size);
}

std::unique_ptr<TIcon> TIconList::NewIcon() const {
  auto icon = std::make_unique<TIcon>();
  icon->SetLoadSize(FIconSize);
  return icon;
}
