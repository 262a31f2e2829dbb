// What the LUT calculator thread and the pages need of the main window's
// calculation: TLutCalculationHost, and TLutPipeline, the calculation
// without a window (the preset, the calculator with its stages, the main
// LUT and the settings of a run).
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "engine/preset_calculator.h"
#include "lut/lut.h"

namespace kromel {

class TKromelPreset;
class T2DEnvelopeDots;

class TLutCalculationHost {
 public:
  virtual ~TLutCalculationHost() = default;
  // A whole calculation into the main LUT (any thread). False, reported,
  // when it failed; the main LUT then keeps the last complete result.
  virtual bool CalcLut() = 0;
  // The preset calculator's run into ALut with the window's settings.
  virtual bool CalcLutTransform(T3DLut& ALut) = 0;
  // Main thread, after every calculation (Succeeded: the main LUT is new).
  virtual void LUTCalculationFinished(bool Succeeded) = 0;
  // Stages Level - 1 .. 5 not up to date; a Level of 1 or below (stage 0)
  // also the mask source. A Level below 1 counts as 1.
  virtual void InvalidateLutStages(int32_t Level) = 0;
  // The last CalcLut stopped early because its input went stale, or found
  // nothing new to calculate; nothing is to be reported or shown for it.
  virtual bool RunWasAbandoned() { return false; }
  // Makes a CalcLut under way on another thread stop at its next stage.
  virtual void AbandonRun() {}
};

// Runs calculate a snapshot of the preset, not the preset itself: the
// thread that edits Preset posts a copy (PostSnapshot), and a run on any
// thread takes the latest copy under a short lock and calculates it with
// the stage LUTs, holding Calculator.PresetLock as the run lock. An edit
// therefore never waits for a run, and a run whose snapshot has been
// replaced stops at the next stage. Stage invalidations and mask requests
// made while a run holds the stages travel with the next snapshot.
class TLutPipeline : public TLutCalculationHost {
 public:
  explicit TLutPipeline(TKromelPreset& Preset);
  ~TLutPipeline() override;

  // The edited preset; only the thread that edits it reads it.
  TKromelPreset& Preset;
  TKromelPresetCalculator Calculator;
  T3DLut MainLut;
  TColorModelPreferences Settings;
  int32_t LutSize = 33;
  TShowMaskType PreviewMode = smNone;
  const T2DEnvelopeDots* EditedGrid = nullptr;  // the grid being edited, not owned
  bool Ready = true;  // CalcLutTransform does nothing until set

  // Run-time options copied into the units before each run.
  bool VolumeOverflow = false;
  float CLAxisScale = 1;
  int32_t PreviewLightness = 50;

  double CalcSeconds = 0;  // summed time of the runs
  int32_t CalcCount = 0;   // runs that gave a result

  // The stages and the main LUT at LutSize (all recomputed); a snapshot
  // posted before is dropped. Waits for a run under way.
  void SetLutSize(int32_t N);

  // Copies the run-time options into the preset's units.
  void ApplyRunOptions() { ApplyRunOptionsTo(Preset); }

  // PostSnapshot, then RunSnapshot on the calling thread, both under
  // Calculator.PresetLock.
  bool CalcLut() override;
  // The run of the edited preset into ALut with the stage LUTs (waits for
  // a run under way).
  bool CalcLutTransform(T3DLut& ALut) override;
  void LUTCalculationFinished(bool) override {}
  // Marks the stages now when no run holds them, and always once more
  // before the next snapshot is calculated.
  void InvalidateLutStages(int32_t Level) override;
  bool RunWasAbandoned() override { return FAbandoned.load(); }
  // Drops the posted snapshot and stops the run under way at its next stage.
  void AbandonRun() override;

  // ---- snapshots
  // The editing thread: copies Preset, the run options and the pending
  // invalidations for the next run, replacing a snapshot not yet taken.
  void PostSnapshot();
  enum class TRunResult { Done, Failed, Abandoned, NothingPosted };
  // Calculates the latest posted snapshot into MainLut (any thread).
  TRunResult RunSnapshot();
  // The mask LUT is built again (unless the mask type is 18 or 19) before
  // the next run, and now when no run holds the stages.
  void RequestMaskUpdate();
  // Times the editing thread found the stages held by a run (it never
  // waited: the work went with the next snapshot).
  int64_t StageLockMisses() const { return FLockMisses.load(); }
  // Runs abandoned because their snapshot went stale.
  int64_t AbandonedRuns() const { return FAbandonedRuns.load(); }
  // Called by a run between its stages with the next block's number; for
  // tests that need a run held at a known point.
  std::function<void(int32_t)> StageHook;

 private:
  struct TSnapshot;
  struct TPending {
    int32_t Level = 7;  // 7: nothing to invalidate
    bool MaskSource = false;
    bool Mask = false;
    void Merge(const TPending& Other);
    void Clear() { *this = TPending(); }
  };
  void ApplyRunOptionsTo(TKromelPreset& P);
  // Applies P to the stages; the run lock is held.
  void ApplyPending(const TPending& P, TKromelPreset& Source, TColorModelPreferences& S);
  // The body of a run over Calculator.Preset (the run lock held).
  bool Calculate(int32_t Size, TColorModelPreferences& S, TShowMaskType Mode,
                 const T2DEnvelopeDots* Grid);
  std::mutex FSlotLock;  // guards the three below; held for pointer moves only
  std::unique_ptr<TSnapshot> FPosted;
  std::unique_ptr<TSnapshot> FSpare;
  TPending FPending;
  std::atomic<uint64_t> FGeneration{0};
  std::atomic<bool> FAbandoned{false};
  std::atomic<int64_t> FLockMisses{0};
  std::atomic<int64_t> FAbandonedRuns{0};
};

}  // namespace kromel
