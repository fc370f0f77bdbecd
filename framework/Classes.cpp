#include "framework/Classes.h"
#include <algorithm>
#include <cmath>

TComponent::TComponent(TComponent* AOwner) : FOwner(AOwner) {
  if (FOwner) FOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  FDestroying = true;
  for (auto* c : std::vector<TComponent*>(FNotify)) {
    c->RemoveFreeNotification(this);
    c->Notification(this);
  }
  FNotify.clear();
  while (!FComponents.empty()) {
    TComponent* c = FComponents.back();
    delete c;  // its destructor removes it from our list
  }
  if (FOwner) FOwner->RemoveComponent(this);
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  for (auto* c : FComponents)
    if (c->FName == name) return c;
  return nullptr;
}

void TComponent::Loaded() {
  for (auto* c : FComponents) c->Loaded();
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  if (std::find(FNotify.begin(), FNotify.end(), AComponent) == FNotify.end()) FNotify.push_back(AComponent);
  if (std::find(AComponent->FNotify.begin(), AComponent->FNotify.end(), this) == AComponent->FNotify.end())
    AComponent->FNotify.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  // The link was made on both sides; a side left behind would call a component that no longer
  // cares, or one that is gone.
  if (!AComponent) return;
  std::erase(FNotify, AComponent);
  std::erase(AComponent->FNotify, this);
}

void TComponent::Inserted(TComponent* AComponent) {
  for (size_t i = 0; i < FComponents.size(); ++i)
    if (FComponents[i] != AComponent) FComponents[i]->Inserted(AComponent);
}

void TComponent::InsertComponent(TComponent* c) { FComponents.push_back(c); }

void TComponent::RemoveComponent(TComponent* c) {
  auto it = std::find(FComponents.begin(), FComponents.end(), c);
  if (it != FComponents.end()) FComponents.erase(it);
}

char AcceleratorOf(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i)
    if (caption[i] == '&') {
      if (caption[i + 1] != '&') return caption[i + 1];
      ++i;
    }
  return 0;
}

TResourceBytes ResourceBytes(HMODULE module, const char* name, const char* type) {
  HRSRC res = FindResourceA(module, name, type);
  HGLOBAL loaded = res ? LoadResource(module, res) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  return data ? TResourceBytes{data, SizeofResource(module, res)} : TResourceBytes{};
}

int RoundHalfEven(double v) {
  double f = std::floor(v), diff = v - f;
  if (diff > 0.5) return (int)f + 1;
  if (diff < 0.5) return (int)f;
  return ((long long)f % 2 == 0) ? (int)f : (int)f + 1;
}
