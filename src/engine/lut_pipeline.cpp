#include "engine/lut_pipeline.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <mutex>

#include "engine/kromel_preset.h"
#include "engine/preset_snapshot.h"
#include "foundation/debug_log.h"
#include "foundation/error_sink.h"

namespace kromel {

// What a run needs besides the stages, copied on the editing thread.
struct TLutPipeline::TSnapshot {
  std::unique_ptr<TKromelPreset> Preset = std::make_unique<TKromelPreset>();
  TColorModelPreferences Settings;
  int32_t LutSize = 33;
  TShowMaskType PreviewMode = smNone;
  const T2DEnvelopeDots* EditedGrid = nullptr;  // in Preset
  bool VolumeOverflow = false;
  float CLAxisScale = 1;
  int32_t PreviewLightness = 50;
  TPending Pending;
  uint64_t Generation = 0;
  bool Copied = false;
};

void TLutPipeline::TPending::Merge(const TPending& Other) {
  Level = std::min(Level, Other.Level);
  MaskSource = MaskSource || Other.MaskSource;
  Mask = Mask || Other.Mask;
}

TLutPipeline::TLutPipeline(TKromelPreset& Preset) : Preset(Preset) {
  Calculator.Preset = &Preset;
  SetLutSize(LutSize);
}

TLutPipeline::~TLutPipeline() = default;

void TLutPipeline::SetLutSize(int32_t N) {
  std::lock_guard<TPresetLock> Guard(Calculator.PresetLock);
  {
    std::lock_guard<std::mutex> Slot(FSlotLock);
    if (FPosted) {
      FPending.Merge(FPosted->Pending);
      FSpare = std::move(FPosted);
    }
    ++FGeneration;
  }
  LutSize = N;
  Calculator.SetSize(N);
  MainLut.SetSize(N);
  MainLut.SetDefault();
}

void TLutPipeline::ApplyRunOptionsTo(TKromelPreset& P) {
  Settings.Gamma = P.Basic->HueTwist->Limited();
  P.Volume->Overflow = VolumeOverflow;
  P.CLGrid->AxisScale = CLAxisScale;
  P.ModelCurves->PreviewLightness = PreviewLightness;
}

void TLutPipeline::PostSnapshot() {
  std::unique_ptr<TSnapshot> S;
  {
    std::lock_guard<std::mutex> Slot(FSlotLock);
    S = std::move(FSpare);
  }
  if (!S) S = std::make_unique<TSnapshot>();
  ApplyRunOptions();
  // What a run sets silently in its preset, the edited one shows too.
  Preset.ModelCurves->Enabled->Value = Preset.CurvesEnabled->Value > 0 ? 1 : 0;
  S->Copied = CopyPresetState(Preset, *S->Preset, EditedGrid, &S->EditedGrid);
  S->Settings = Settings;
  S->LutSize = LutSize;
  S->PreviewMode = PreviewMode;
  S->VolumeOverflow = VolumeOverflow;
  S->CLAxisScale = CLAxisScale;
  S->PreviewLightness = PreviewLightness;
  std::lock_guard<std::mutex> Slot(FSlotLock);
  S->Pending = FPending;
  FPending.Clear();
  if (FPosted) {
    // Not taken yet: its invalidations go with the newer one.
    S->Pending.Merge(FPosted->Pending);
    FSpare = std::move(FPosted);
  }
  S->Generation = ++FGeneration;
  FPosted = std::move(S);
}

void TLutPipeline::AbandonRun() {
  std::lock_guard<std::mutex> Slot(FSlotLock);
  if (FPosted) {
    FPending.Merge(FPosted->Pending);
    FSpare = std::move(FPosted);
  }
  ++FGeneration;
}

void TLutPipeline::ApplyPending(const TPending& P, TKromelPreset& Source,
                                TColorModelPreferences& S) {
  TKromelPresetCalculator& C = Calculator;
  if (P.MaskSource) C.LutMaskSource->Valid = false;
  for (int32_t I = std::max(P.Level, 1) - 1; I <= 5; ++I) C.LutStep[I]->Valid = false;
  if (!P.Mask) return;
  TMaskAdjustments* Mask = Source.MaskUnit();
  const int32_t Type = Mask != nullptr ? Mask->MaskType->Value : 0;
  if (Type == 18 || Type == 19) return;
  TKromelPreset* Was = C.Preset;
  C.Preset = &Source;
  T3DLut* MaskSource = C.LutMaskSource.get();
  T3DLut* Key = C.LutMaskKey.get();
  T3DLut* Dest = C.LutMask.get();
  C.ProcessMask(MaskSource, Key, Dest, nullptr, nullptr, S);
  C.Preset = Was;
}

void TLutPipeline::InvalidateLutStages(int32_t Level) {
  // The mask source is made by the units of stage 0: whatever reaches
  // stage 0 reaches it as well.
  TPending P;
  P.MaskSource = Level <= 1;
  P.Level = std::max(Level, 1);
  {
    std::lock_guard<std::mutex> Slot(FSlotLock);
    FPending.Merge(P);
  }
  std::unique_lock<TPresetLock> Run(Calculator.PresetLock, std::try_to_lock);
  if (!Run.owns_lock()) {
    ++FLockMisses;
    return;
  }
  ApplyPending(P, Preset, Settings);
}

void TLutPipeline::RequestMaskUpdate() {
  TPending P;
  P.Mask = true;
  {
    std::lock_guard<std::mutex> Slot(FSlotLock);
    FPending.Merge(P);
  }
  std::unique_lock<TPresetLock> Run(Calculator.PresetLock, std::try_to_lock);
  if (!Run.owns_lock()) {
    ++FLockMisses;
    return;
  }
  ApplyRunOptions();
  ApplyPending(P, Preset, Settings);
}

bool TLutPipeline::CalcLutTransform(T3DLut& ALut) {
  if (!Ready) return false;
  std::lock_guard<TPresetLock> Guard(Calculator.PresetLock);
  const auto Start = std::chrono::steady_clock::now();
  ApplyRunOptions();
  TKromelPresetCalculator& C = Calculator;
  C.Preset = &Preset;
  const bool Done = C.CalcLutTransform(
      ALut, C.LutStep[0].get(), C.LutStep[1].get(), C.LutStep[2].get(), C.LutStep[3].get(),
      C.LutStep[4].get(), C.LutStep[5].get(), C.LutMaskSource.get(), C.LutMaskKey.get(),
      C.LutMask.get(), LutSize, Settings, PreviewMode, EditedGrid);
  CalcSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
  return Done;
}

bool TLutPipeline::CalcLut() {
  if (!Ready) return false;
  // Holding the run lock over the copy too: callers that edit the preset
  // under Calculator.PresetLock may call this from any thread.
  std::lock_guard<TPresetLock> Run(Calculator.PresetLock);
  PostSnapshot();
  return RunSnapshot() == TRunResult::Done;
}

bool TLutPipeline::Calculate(int32_t Size, TColorModelPreferences& S, TShowMaskType Mode,
                             const T2DEnvelopeDots* Grid) {
  TKromelPresetCalculator& C = Calculator;
  TKromelPreset& P = *C.Preset;
  try {
    if (!C.LutMaskSource->Valid) {
      if (!C.LutMaskSource->EnsureSize(Size) || !C.CalcLutMaskKey(*C.LutMaskSource, S))
        throw std::bad_alloc();
      C.LutMaskKey->Valid = false;
      C.LutMask->Valid = false;
    }
    if (!C.LutMask->Valid || (!C.LutMaskKey->Valid && P.MaskDestination->Value != 8)) {
      T3DLut* Source = C.LutMaskSource.get();
      T3DLut* Key = C.LutMaskKey.get();
      T3DLut* Mask = C.LutMask.get();
      C.ProcessMask(Source, Key, Mask, nullptr, nullptr, S);
    }
  } catch (...) {
    ErrorMessageProc("Exception in CalcLut 1");
    return false;
  }
  T3DLut Result;
  try {
    const auto Start = std::chrono::steady_clock::now();
    const bool Done = C.CalcLutTransform(
        Result, C.LutStep[0].get(), C.LutStep[1].get(), C.LutStep[2].get(), C.LutStep[3].get(),
        C.LutStep[4].get(), C.LutStep[5].get(), C.LutMaskSource.get(), C.LutMaskKey.get(),
        C.LutMask.get(), Size, S, Mode, Grid);
    CalcSeconds +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
    if (C.Abandoned) return false;
    if (!Done) {
      ErrorMessageProc("Exception in CalcLut 2");
      return false;
    }
  } catch (...) {
    ErrorMessageProc("Exception in CalcLut 2");
    return false;
  }
  // A node that is not a number would spread through every image: the run
  // fails and the main LUT keeps the last result.
  for (int32_t k = 0; k < Result.Count; ++k)
    if (!std::isfinite(Result.R[k]) || !std::isfinite(Result.G[k]) ||
        !std::isfinite(Result.B[k])) {
      ErrorMessageProc("Error in CalcLut: node " + std::to_string(k) + " is not a finite number");
      return false;
    }
  // A black maximum colour (a preset the window's controls never set up)
  // leaves nothing but black: a result, but not the one anybody wants.
  if ((P.LogDecoder->MaxColor->Value & 0xFFFFFF) == 0) {
    bool Black = Result.Count > 0;
    for (int32_t k = 0; k < Result.Count && Black; ++k)
      Black = Result.R[k] == 0 && Result.G[k] == 0 && Result.B[k] == 0;
    if (Black)
      ErrorMessageProc("Warning in CalcLut: the maximum colour is black, every node is black");
  }
  try {
    if (!MainLut.CopyFrom(Result)) throw std::bad_alloc();
    ++CalcCount;
    return true;
  } catch (...) {
    ErrorMessageProc("Exception in CalcLut 3");
    return false;
  }
}

TLutPipeline::TRunResult TLutPipeline::RunSnapshot() {
  std::lock_guard<TPresetLock> Run(Calculator.PresetLock);
  std::unique_ptr<TSnapshot> S;
  {
    std::lock_guard<std::mutex> Slot(FSlotLock);
    S = std::move(FPosted);
  }
  if (!S) {
    FAbandoned = true;  // nothing new to show
    return TRunResult::NothingPosted;
  }
  FAbandoned = false;
  if (DebugLogEnabled()) DebugLogAdd("MainForm.CalcLut Start", 0);
  TKromelPresetCalculator& C = Calculator;
  TKromelPreset& P = *S->Preset;
  P.Volume->Overflow = S->VolumeOverflow;
  P.CLGrid->AxisScale = S->CLAxisScale;
  P.ModelCurves->PreviewLightness = S->PreviewLightness;
  S->Settings.Gamma = P.Basic->HueTwist->Limited();
  ApplyPending(S->Pending, P, S->Settings);
  const uint64_t Generation = S->Generation;
  C.Preset = &P;
  C.ContinueRun = [this, Generation](int32_t Block) {
    if (StageHook) StageHook(Block);
    return FGeneration.load() == Generation;
  };
  bool Done = false;
  if (!S->Copied) {
    ErrorMessageProc("Exception in CalcLut 1");
  } else if (FGeneration.load() == Generation) {
    Done = Calculate(S->LutSize, S->Settings, S->PreviewMode, S->EditedGrid);
  }
  const bool Abandoned = !Done && FGeneration.load() != Generation;
  C.ContinueRun = nullptr;
  C.Abandoned = false;
  C.Preset = &Preset;
  if (Abandoned) {
    // The stages it made stay valid for its snapshot; what changed since
    // travels with the newer one. Its own invalidations go there too.
    std::lock_guard<std::mutex> Slot(FSlotLock);
    if (FPosted)
      FPosted->Pending.Merge(S->Pending);
    else
      FPending.Merge(S->Pending);
    ++FAbandonedRuns;
  }
  FAbandoned = Abandoned;
  {
    std::lock_guard<std::mutex> Slot(FSlotLock);
    if (!FSpare) FSpare = std::move(S);
  }
  if (Abandoned) return TRunResult::Abandoned;
  return Done ? TRunResult::Done : TRunResult::Failed;
}

}  // namespace kromel
