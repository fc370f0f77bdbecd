// A memory system whose figures a test sets, whose blocks are real memory, and which records
// what was committed and released so a test can prove every block came back.
#pragma once
#include <functional>
#include <set>
#include <vector>
#include "engine/MemorySystem.h"

class TFakeMemory : public IMemorySystem {
public:
  uint64_t Total = 512ull << 20;
  uint64_t Avail = 256ull << 20;
  int StatusCalls = 0;
  // Refuse the block with this 0-based index (and every later one); -1 refuses none.
  int RefuseFrom = -1;
  // Called after each commit with the count of blocks committed so far.
  std::function<void(int committed)> OnCommit;

  TMemoryStatus Status() override;
  void* CommitBlock(size_t bytes) override;
  void ReleaseBlock(void* block) override;

  int Committed() const { return FCommits; }
  int Released() const { return FReleases; }
  size_t Held() const { return FHeld.size(); }
  // Blocks that were released twice or never committed.
  int BadReleases() const { return FBad; }
  // Every committed block was all zeros when released.
  bool AllZeroed() const { return FAllZero; }
  std::vector<void*> ReleaseOrder;

  ~TFakeMemory() override;

private:
  int FCommits = 0, FReleases = 0, FBad = 0;
  bool FAllZero = true;
  std::set<void*> FHeld;
};
