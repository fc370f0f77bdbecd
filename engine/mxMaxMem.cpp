#include "engine/mxMaxMem.h"
#include <cmath>

namespace {
int32_t ClampToInt32(uint64_t v) { return v > 0x7FFFFFFFu ? 0x7FFFFFFF : (int32_t)v; }
}  // namespace

TmxMaxMem::TmxMaxMem(TComponent* AOwner, IMemorySystem* memory)
    : TComponent(AOwner), FMemory(memory ? memory : &Win32MemorySystem()) {
  FPhysTotal = ClampToInt32(FMemory->Status().TotalPhys);
}

int32_t TmxMaxMem::FreeMemory() const { return ClampToInt32(FMemory->Status().AvailPhys); }

void TmxMaxMem::Defrag() { DefragMemory(TotalMemory() / kBlockSize); }

void TmxMaxMem::Finish() {
  FRunning = false;  // an after-run handler already sees the engine idle
  Fire(OnAfterDefrag, this);
}

void TmxMaxMem::DefragMemory(int Megabytes) {
  FAbortRequested = false;
  if (FRunning) return;
  FRunning = true;
  int blocks = Megabytes > kMaxBlocks ? kMaxBlocks : Megabytes;
  if (blocks < 0) blocks = 0;
  Fire(OnBeforeDefrag, this);

  const int total = 2 * blocks;
  int done = 0;
  auto progress = [&] {
    ++done;
    Fire(OnProgress, this, RoundHalfEven((double)done / total * 100.0));
  };
  void* table[kMaxBlocks] = {};

  // Reserving: a block the system refuses ends this phase; what was obtained is given back.
  int obtained = 0;
  for (int i = 0; i < blocks; ++i) {
    void* block = FMemory->CommitBlock(kBlockSize);
    if (!block) break;
    table[i] = block;
    obtained = i + 1;
    auto* p = static_cast<volatile uint32_t*>(block);
    for (int k = 0; k < kBlockSize / 4; ++k) p[k] = 0;
    progress();
    if (FAbortRequested) {
      for (int j = 0; j <= i; ++j) FMemory->ReleaseBlock(table[j]);
      Finish();
      return;
    }
  }

  for (int i = 0; i < obtained; ++i) {
    FMemory->ReleaseBlock(table[i]);
    progress();
    if (FAbortRequested) {
      for (int j = i + 1; j < obtained; ++j) FMemory->ReleaseBlock(table[j]);
      Finish();
      return;
    }
  }
  Finish();
}
