#include <gtest/gtest.h>
#include <windows.h>
#include <stdexcept>
#include <vector>
#include "engine/mxMaxMem.h"
#include "tests/FakeMemory.h"
#include "support/ProcessCounts.h"

namespace {

// An engine on a fake memory system, recording every event it fires.
struct Recorder {
  TFakeMemory mem;
  TmxMaxMem* ov;
  std::vector<int> progress;
  int before = 0, after = 0;
  bool runningInAfter = true;
  std::function<void(int step)> onStep;  // called from inside the progress event

  explicit Recorder(uint64_t total = 512ull << 20) {
    mem.Total = total;
    ov = new TmxMaxMem(nullptr, &mem);
    ov->OnBeforeDefrag = [this](TObject* s) { EXPECT_EQ(s, ov); ++before; };
    ov->OnProgress = [this](TObject* s, int p) {
      EXPECT_EQ(s, ov);
      progress.push_back(p);
      if (onStep) onStep((int)progress.size());
    };
    ov->OnAfterDefrag = [this](TObject* s) {
      EXPECT_EQ(s, ov);
      ++after;
      runningInAfter = ov->Running();
    };
  }
  ~Recorder() { delete ov; }
};

TEST(EngineRun, EightBlocksGiveTheWorkedProgressValues) {
  Recorder r;
  r.ov->DefragMemory(8);
  EXPECT_EQ(r.progress, (std::vector<int>{6, 12, 19, 25, 31, 38, 44, 50, 56, 62, 69, 75, 81, 88, 94, 100}));
  EXPECT_EQ(r.before, 1);
  EXPECT_EQ(r.after, 1);
  EXPECT_FALSE(r.runningInAfter);
  EXPECT_EQ(r.mem.Committed(), 8);
  EXPECT_EQ(r.mem.Released(), 8);
  EXPECT_EQ(r.mem.Held(), 0u);
  EXPECT_EQ(r.mem.BadReleases(), 0);
  EXPECT_TRUE(r.mem.AllZeroed()) << "every word of every block is written with zero";
}

TEST(EngineRun, OneBlockReportsFiftyThenHundred) {
  Recorder r;
  r.ov->DefragMemory(1);
  EXPECT_EQ(r.progress, (std::vector<int>{50, 100}));
  EXPECT_EQ(r.mem.Held(), 0u);
}

TEST(EngineRun, MoreThan1024MegabytesRunsExactly1024Blocks) {
  Recorder r;
  r.ov->DefragMemory(1500);
  EXPECT_EQ(r.mem.Committed(), 1024);
  ASSERT_EQ(r.progress.size(), 2048u);
  EXPECT_EQ(r.progress.back(), 100);
  for (size_t i = 1; i < r.progress.size(); ++i) ASSERT_GE(r.progress[i], r.progress[i - 1]);
  EXPECT_EQ(r.mem.Held(), 0u);
}

TEST(EngineRun, ZeroOrNegativeMegabytesOnlyFireBeforeAndAfter) {
  for (int mb : {0, -5}) {
    Recorder r;
    r.ov->DefragMemory(mb);
    EXPECT_EQ(r.before, 1);
    EXPECT_EQ(r.after, 1);
    EXPECT_TRUE(r.progress.empty());
    EXPECT_EQ(r.mem.Committed(), 0);
  }
}

TEST(EngineAbort, DuringReservingGivesBackWhatWasObtained) {
  Recorder r;
  r.onStep = [&](int step) { if (step == 3) r.ov->Abort(); };
  r.ov->DefragMemory(100);
  EXPECT_EQ(r.progress.size(), 3u) << "no progress after the abort";
  EXPECT_EQ(r.mem.Committed(), 3);
  EXPECT_EQ(r.mem.Released(), 3);
  EXPECT_EQ(r.mem.Held(), 0u);
  EXPECT_EQ(r.after, 1);
  EXPECT_FALSE(r.runningInAfter);
}

TEST(EngineAbort, DuringReleasingGivesBackTheRest) {
  Recorder r;
  r.onStep = [&](int step) { if (step == 105) r.ov->Abort(); };
  r.ov->DefragMemory(100);
  EXPECT_EQ(r.progress.size(), 105u);
  EXPECT_EQ(r.mem.Committed(), 100);
  EXPECT_EQ(r.mem.Released(), 100);
  EXPECT_EQ(r.mem.Held(), 0u);
  EXPECT_EQ(r.mem.BadReleases(), 0);
  EXPECT_EQ(r.after, 1);
}

TEST(EngineAbort, AbortWhileIdleIsForgottenByTheNextRun) {
  Recorder r;
  r.ov->Abort();
  r.ov->DefragMemory(4);
  EXPECT_EQ(r.progress.size(), 8u);
  EXPECT_EQ(r.progress.back(), 100);
}

TEST(EngineAbort, NestedRunIsRefusedAndForgetsAPendingAbort) {
  Recorder r;
  r.onStep = [&](int step) {
    if (step != 2) return;
    r.ov->Abort();
    r.ov->DefragMemory(50);  // refused: fires nothing, but clears the abort
  };
  r.ov->DefragMemory(8);
  EXPECT_EQ(r.before, 1);
  EXPECT_EQ(r.after, 1);
  EXPECT_EQ(r.progress.size(), 16u) << "the running run went on to the end";
  EXPECT_EQ(r.mem.Committed(), 8);
  EXPECT_EQ(r.mem.Held(), 0u);
}

TEST(EngineFailure, RefusedBlockEndsReservingAndGivesEverythingBack) {
  Recorder r;
  r.mem.RefuseFrom = 3;
  r.ov->DefragMemory(8);
  EXPECT_EQ(r.mem.Committed(), 3);
  EXPECT_EQ(r.mem.Released(), 3);
  EXPECT_EQ(r.mem.Held(), 0u);
  EXPECT_EQ(r.after, 1);
  EXPECT_FALSE(r.ov->Running());
  // The steps that happened, on the run's own scale of 16 steps.
  EXPECT_EQ(r.progress, (std::vector<int>{6, 12, 19, 25, 31, 38}));
  EXPECT_EQ(r.ov->RefusedAfter(), 3) << "the caller learns where the system stopped it";
  r.mem.RefuseFrom = -1;
  r.ov->DefragMemory(2);
  EXPECT_EQ(r.ov->RefusedAfter(), -1) << "each run tells of itself";
}

TEST(EngineFailure, FirstBlockRefusedRunsNothing) {
  Recorder r;
  r.mem.RefuseFrom = 0;
  r.ov->DefragMemory(8);
  EXPECT_TRUE(r.progress.empty());
  EXPECT_EQ(r.after, 1);
  EXPECT_EQ(r.mem.Released(), 0);
  EXPECT_EQ(r.ov->RefusedAfter(), 0);
}

TEST(EngineFigures, TotalIsTakenOnceAndFreeIsSampledEachRead) {
  Recorder r(64ull << 20);
  r.mem.Total = 128ull << 20;
  EXPECT_EQ(r.ov->TotalMemory(), 64 << 20);
  r.mem.Avail = 10 << 20;
  EXPECT_EQ(r.ov->FreeMemory(), 10 << 20);
  r.mem.Avail = 20 << 20;
  EXPECT_EQ(r.ov->FreeMemory(), 20 << 20);
  r.ov->Defrag();
  EXPECT_EQ(r.mem.Committed(), 64) << "Defrag runs over the total taken at construction";
}

TEST(EngineFigures, BigMachinesClampToTwoGigabytesAndRunTheFullCap) {
  Recorder r(16ull << 30);
  r.mem.Avail = 12ull << 30;
  EXPECT_EQ(r.ov->TotalMemory(), 0x7FFFFFFF);
  EXPECT_EQ(r.ov->FreeMemory(), 0x7FFFFFFF);
  r.ov->Defrag();
  EXPECT_EQ(r.mem.Committed(), 1024);
}

TEST(EngineRounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(12.5), 12);
  EXPECT_EQ(RoundHalfEven(37.5), 38);
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(99.5), 100);
  EXPECT_EQ(RoundHalfEven(6.25), 6);
  EXPECT_EQ(RoundHalfEven(18.75), 19);
}

// The real Win32 memory system, with a pass-through that keeps the addresses it handed out.
class TRecordingWin32 : public IMemorySystem {
public:
  std::vector<void*> Blocks;
  TMemoryStatus Status() override { return Win32MemorySystem().Status(); }
  void* CommitBlock(size_t b) override {
    void* p = Win32MemorySystem().CommitBlock(b);
    if (p) Blocks.push_back(p);
    return p;
  }
  void ReleaseBlock(void* p) override { Win32MemorySystem().ReleaseBlock(p); }
};

TEST(EngineWin32, ShortRunLeavesNoCommittedBlockBehind) {
  TRecordingWin32 sys;
  TmxMaxMem ov(nullptr, &sys);
  EXPECT_GT(ov.TotalMemory(), 0);
  int events = 0;
  ov.OnProgress = [&](TObject*, int p) {
    ++events;
    if (events == 8) {
      // While the run holds its blocks they are committed, read/write memory.
      for (void* b : sys.Blocks) {
        MEMORY_BASIC_INFORMATION mbi{};
        ASSERT_NE(VirtualQuery(b, &mbi, sizeof(mbi)), 0u);
        EXPECT_EQ(mbi.State, (DWORD)MEM_COMMIT);
      }
    }
  };
  ov.DefragMemory(8);
  ASSERT_EQ(sys.Blocks.size(), 8u);
  for (void* b : sys.Blocks) {
    MEMORY_BASIC_INFORMATION mbi{};
    ASSERT_NE(VirtualQuery(b, &mbi, sizeof(mbi)), 0u);
    EXPECT_EQ(mbi.State, (DWORD)MEM_FREE);
  }
}

TEST(EngineWin32, AbortedRunAlsoLeavesNothingBehind) {
  TRecordingWin32 sys;
  TmxMaxMem ov(nullptr, &sys);
  ov.OnProgress = [&](TObject*, int) { if (sys.Blocks.size() == 5) ov.Abort(); };
  ov.DefragMemory(20);
  ASSERT_EQ(sys.Blocks.size(), 5u);
  for (void* b : sys.Blocks) {
    MEMORY_BASIC_INFORMATION mbi{};
    VirtualQuery(b, &mbi, sizeof(mbi));
    EXPECT_EQ(mbi.State, (DWORD)MEM_FREE);
  }
}

// A progress handler that throws, on the real memory system: at the first event (reserving), at
// event 1,000 (releasing) and at the last. Each time the blocks are back before the exception
// arrives here, the engine is idle and has said so, and the next run goes through.
TEST(EngineWin32, AHandlerThatThrowsLeavesNoBlockAndTheEngineReady) {
  const int blocks = 600;  // 1,200 events
  for (int throwAt : {1, 1000, 2 * blocks}) {
    TmxMaxMem ov(nullptr);
    int events = 0, after = 0;
    bool runningInAfter = true;
    ov.OnAfterDefrag = [&](TObject*) { ++after; runningInAfter = ov.Running(); };
    size_t held = 0;
    ov.OnProgress = [&](TObject*, int) {
      if (events == blocks - 1) held = CommittedPrivateBytes();  // the run holds all its blocks
      if (++events == throwAt) throw std::runtime_error("handler failed");
    };
    const size_t before = CommittedPrivateBytes();
    size_t duringThrow = 0;
    try {
      ov.DefragMemory(blocks);
      ADD_FAILURE() << "the handler's exception leaves the run, at event " << throwAt;
    } catch (const std::runtime_error&) {
      duringThrow = CommittedPrivateBytes();
    }
    EXPECT_LT(duringThrow, before + (2u << 20)) << "committed memory back when the exception leaves, event " << throwAt;
    if (throwAt > blocks) {
      EXPECT_GT(held, before + (blocks - 2) * (1u << 20)) << "the measure sees the blocks";
    }
    EXPECT_FALSE(ov.Running()) << throwAt;
    EXPECT_EQ(after, 1) << "the after-run event fired once, event " << throwAt;
    EXPECT_FALSE(runningInAfter);

    ov.OnProgress = [&](TObject*, int) { ++events; };
    events = 0;
    ov.DefragMemory(4);
    EXPECT_EQ(events, 8) << "a following run completes, after a throw at event " << throwAt;
    EXPECT_EQ(after, 2);
  }
}

}  // namespace
