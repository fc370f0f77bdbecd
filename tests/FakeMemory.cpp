#include "tests/FakeMemory.h"
#include <cstdlib>
#include <cstring>

TMemoryStatus TFakeMemory::Status() {
  ++StatusCalls;
  return TMemoryStatus{Total, Avail};
}

void* TFakeMemory::CommitBlock(size_t bytes) {
  if (RefuseFrom >= 0 && FCommits >= RefuseFrom) return nullptr;
  void* p = std::malloc(bytes);
  if (!p) return nullptr;
  std::memset(p, 0xAB, bytes);  // the engine must overwrite every byte
  ++FCommits;
  FHeld.insert(p);
  if (OnCommit) OnCommit(FCommits);
  return p;
}

void TFakeMemory::ReleaseBlock(void* block) {
  ++FReleases;
  if (!FHeld.erase(block)) {
    ++FBad;
    return;
  }
  const auto* w = static_cast<const unsigned char*>(block);
  for (size_t i = 0; i < 1048576; ++i)
    if (w[i]) { FAllZero = false; break; }
  ReleaseOrder.push_back(block);
  std::free(block);
}

TFakeMemory::~TFakeMemory() {
  for (void* p : FHeld) std::free(p);
}
