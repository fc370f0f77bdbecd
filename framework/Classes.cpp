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

size_t NextCharAt(std::string_view s, size_t i, UINT cp) {
  if (i >= s.size()) return s.size();
  // CharNextExA reads up to the terminating zero: it is given the two bytes that can make one
  // character, so that it never reads past the view. A lead byte with nothing after it (a text
  // cut short) is a character of one byte.
  if (i + 1 >= s.size() || s[i + 1] == '\0') return i + 1;
  const char pair[3] = {s[i], s[i + 1], '\0'};
  const char* next = CharNextExA((WORD)cp, pair, 0);
  return i + (next == pair + 2 ? 2 : 1);
}

size_t FindCharIn(std::string_view s, char c, size_t from, UINT cp) {
  for (size_t i = 0; i < s.size(); i = NextCharAt(s, i, cp))
    if (i >= from && s[i] == c) return i;
  return std::string_view::npos;
}

std::string_view CutToBytes(std::string_view s, size_t maxBytes, UINT cp) {
  if (s.size() <= maxBytes) return s;
  size_t end = 0;
  for (size_t next; (next = NextCharAt(s, end, cp)) <= maxBytes && end < s.size();) end = next;
  return s.substr(0, end);
}

std::string& TabsAsBlanks(std::string& s, UINT cp) {
  for (size_t i = 0; i < s.size(); i = NextCharAt(s, i, cp))
    if (s[i] == '\t') s[i] = ' ';
  return s;
}

char AcceleratorOf(std::string_view caption, UINT cp) {
  for (size_t i = 0; i < caption.size(); i = NextCharAt(caption, i, cp)) {
    if (caption[i] != '&') continue;
    size_t marked = i + 1, after = NextCharAt(caption, marked, cp);
    if (marked >= caption.size()) return 0;
    if (caption[marked] != '&') return after == marked + 1 ? caption[marked] : 0;
    i = marked;  // "&&": a plain ampersand, the walk goes on after it
  }
  return 0;
}

bool IsAcceleratorOf(std::string_view caption, char typed, UINT cp) {
  char a = AcceleratorOf(caption, cp);
  return a && CharUpperA((LPSTR)(UINT_PTR)(unsigned char)a) == CharUpperA((LPSTR)(UINT_PTR)(unsigned char)typed);
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
