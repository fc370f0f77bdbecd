#include "engine/mxMaxMem.h"
#include <cmath>

namespace {
int32_t ClampToInt32(uint64_t v) { return v > 0x7FFFFFFFu ? 0x7FFFFFFF : (int32_t)v; }

// The blocks of one run, in the order obtained. Whatever ends the run (completion, an abort, or
// an exception from an event handler), every block still held goes back when the table goes.
// A fixed table on the stack: a run allocates nothing but its blocks.
class TBlockTable {
public:
  explicit TBlockTable(IMemorySystem& memory) : FMemory(memory) {}
  ~TBlockTable() { ReleaseRest(); }
  TBlockTable(const TBlockTable&) = delete;
  TBlockTable& operator=(const TBlockTable&) = delete;

  int Obtained() const { return FObtained; }
  // Commits the next block; nullptr (and nothing stored) when the system refuses it.
  void* CommitNext() {
    if (FObtained >= TmxMaxMem::kMaxBlocks) return nullptr;
    void* block = FMemory.CommitBlock(TmxMaxMem::kBlockSize);
    if (block) FBlocks[FObtained++] = block;
    return block;
  }
  // Gives back the oldest block still held.
  void ReleaseNext() {
    if (FReleased < FObtained) FMemory.ReleaseBlock(FBlocks[FReleased++]);
  }
  // Gives back every block still held, oldest first; one that fails to go does not keep the
  // others.
  void ReleaseRest() noexcept {
    while (FReleased < FObtained) {
      void* block = FBlocks[FReleased++];
      try {
        FMemory.ReleaseBlock(block);
      } catch (...) {
      }
    }
  }

private:
  IMemorySystem& FMemory;
  void* FBlocks[TmxMaxMem::kMaxBlocks];
  int FObtained = 0;
  int FReleased = 0;
};
}  // namespace

TmxMaxMem::TmxMaxMem(TComponent* AOwner, IMemorySystem* memory)
    : TComponent(AOwner), FMemory(memory ? memory : &Win32MemorySystem()) {
  FPhysTotal = ClampToInt32(FMemory->Status().TotalPhys);
}

int32_t TmxMaxMem::FreeMemory() const { return ClampToInt32(FMemory->Status().AvailPhys); }

void TmxMaxMem::Defrag() { DefragMemory(TotalMemory() / kBlockSize); }

void TmxMaxMem::Finish() {
  FAborted = FAbortRequested;
  FRunning = false;  // an after-run handler already sees the engine idle
  Fire(OnAfterDefrag, this);
}

void TmxMaxMem::DefragMemory(int Megabytes) {
  FAbortRequested = false;
  if (FRunning) return;
  FRunning = true;
  FAborted = false;
  FRefusedAfter = -1;
  int blocks = Megabytes > kMaxBlocks ? kMaxBlocks : Megabytes;
  if (blocks < 0) blocks = 0;
  TBlockTable table(*FMemory);
  try {
    Fire(OnBeforeDefrag, this);
    const int total = 2 * blocks;
    int done = 0;
    auto progress = [&] {
      ++done;
      Fire(OnProgress, this, RoundHalfEven((double)done / total * 100.0));
    };

    // Reserving: a block the system refuses ends this phase; what was obtained is given back.
    for (int i = 0; i < blocks; ++i) {
      void* block = table.CommitNext();
      if (!block) {
        FRefusedAfter = table.Obtained();
        break;
      }
      auto* p = static_cast<volatile uint32_t*>(block);
      for (int k = 0; k < kBlockSize / 4; ++k) p[k] = 0;
      progress();
      if (FAbortRequested) break;
    }
    // Releasing, with a progress event per block unless an abort came: then the rest goes back
    // at once.
    if (!FAbortRequested) {
      for (int i = 0, n = table.Obtained(); i < n; ++i) {
        table.ReleaseNext();
        progress();
        if (FAbortRequested) break;
      }
    }
    table.ReleaseRest();
  } catch (...) {
    // A handler threw: the blocks go back before the exception leaves, the engine is idle, and
    // the after-run event still tells the caller the run is over, so that the next one can start.
    table.ReleaseRest();
    FRunning = false;
    Fire(OnAfterDefrag, this);
    throw;
  }
  Finish();
}
