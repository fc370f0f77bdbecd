// The defragmentation engine: commits as many 1 MB blocks as the machine has megabytes (at most
// 1024), writes zeros over each so the system must back it with real memory, then gives them
// all back. Synchronous; the caller keeps itself responsive by pumping messages in OnProgress,
// which is also how an Abort reaches a running run.
#pragma once
#include <cstdint>
#include <functional>
#include "engine/MemorySystem.h"
#include "framework/Classes.h"

using TOnProgress = std::function<void(TObject* Sender, int Progress)>;

class TmxMaxMem : public TComponent {
public:
  static constexpr int kBlockSize = 1048576;
  static constexpr int kMaxBlocks = 1024;

  explicit TmxMaxMem(TComponent* AOwner, IMemorySystem* memory = nullptr);

  // Total physical memory in bytes, taken once at construction; clamped to 0x7FFFFFFF so that
  // machines with 2 GB or more still run the full 1024 blocks.
  int32_t TotalMemory() const { return FPhysTotal; }
  // Available physical memory in bytes, sampled at every read, clamped like TotalMemory.
  int32_t FreeMemory() const;
  bool Running() const { return FRunning; }
  // The last run was stopped by Abort (an abort it forgot, or one while idle, does not count).
  bool Aborted() const { return FAborted; }
  // The blocks the last run held when the system refused it the next one (its reserving then
  // ended early and everything went back); -1 when the system gave every block asked for.
  int RefusedAfter() const { return FRefusedAfter; }

  // A run over the whole physical memory.
  void Defrag();
  // A run of Megabytes blocks (at most 1024). Returns when the run has ended, or at once when
  // one is already under way. An exception from an event handler ends the run: every block is
  // given back, the engine is idle and OnAfterDefrag has fired before it leaves here.
  void DefragMemory(int Megabytes);
  // Asks the running run to stop at its next check, after the current step's progress event.
  void Abort() { FAbortRequested = true; }

  TNotifyEvent OnBeforeDefrag;
  TOnProgress OnProgress;
  TNotifyEvent OnAfterDefrag;

private:
  void Finish();
  bool FAbortRequested = false;
  bool FAborted = false;
  int FRefusedAfter = -1;
  int32_t FPhysTotal = 0;
  bool FRunning = false;
  IMemorySystem* FMemory;
};

