#include "engine/lut_pipeline.h"

#include <chrono>
#include <cmath>
#include <string>
#include <mutex>

#include "engine/kromel_preset.h"
#include "foundation/debug_log.h"

namespace kromel {

TLutPipeline::TLutPipeline(TKromelPreset& Preset) : Preset(Preset) {
  Calculator.Preset = &Preset;
  SetLutSize(LutSize);
}

void TLutPipeline::SetLutSize(int32_t N) {
  std::lock_guard<TPresetLock> Guard(Calculator.PresetLock);
  LutSize = N;
  Calculator.SetSize(N);
  MainLut.SetSize(N);
  MainLut.SetDefault();
}

bool TLutPipeline::CalcLutTransform(T3DLut& ALut) {
  if (!Ready) return false;
  std::lock_guard<TPresetLock> Guard(Calculator.PresetLock);
  const auto Start = std::chrono::steady_clock::now();
  ApplyRunOptions();
  TKromelPresetCalculator& C = Calculator;
  const bool Done = C.CalcLutTransform(
      ALut, C.LutStep[0].get(), C.LutStep[1].get(), C.LutStep[2].get(), C.LutStep[3].get(),
      C.LutStep[4].get(), C.LutStep[5].get(), C.LutMaskSource.get(), C.LutMaskKey.get(),
      C.LutMask.get(), LutSize, Settings, PreviewMode, EditedGrid);
  CalcSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
  return Done;
}

void TLutPipeline::ApplyRunOptions() {
  Settings.Gamma = Preset.Basic->HueTwist->Limited();
  Preset.Volume->Overflow = VolumeOverflow;
  Preset.CLGrid->AxisScale = CLAxisScale;
  Preset.ModelCurves->PreviewLightness = PreviewLightness;
}

bool TLutPipeline::CalcLut() {
  if (!Ready) return false;
  if (DebugLogEnabled()) DebugLogAdd("MainForm.CalcLut Start", 0);
  // One lock over the whole run: the mask, the stages and the copy.
  std::lock_guard<TPresetLock> Guard(Calculator.PresetLock);
  TKromelPresetCalculator& C = Calculator;
  try {
    if (!C.LutMaskSource->Valid) {
      if (!C.LutMaskSource->EnsureSize(LutSize) ||
          !C.CalcLutMaskKey(*C.LutMaskSource, Settings))
        throw std::bad_alloc();
      C.LutMaskKey->Valid = false;
      C.LutMask->Valid = false;
    }
    if (!C.LutMask->Valid || (!C.LutMaskKey->Valid && Preset.MaskDestination->Value != 8)) {
      T3DLut* Source = C.LutMaskSource.get();
      T3DLut* Key = C.LutMaskKey.get();
      T3DLut* Mask = C.LutMask.get();
      C.ProcessMask(Source, Key, Mask, nullptr, nullptr, Settings);
    }
  } catch (...) {
    ErrorMessageProc("Exception in CalcLut 1");
    return false;
  }
  T3DLut Result;
  try {
    if (!CalcLutTransform(Result)) {
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
  if ((Preset.LogDecoder->MaxColor->Value & 0xFFFFFF) == 0) {
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

void TLutPipeline::InvalidateLutStages(int32_t Level) {
  std::lock_guard<TPresetLock> Guard(Calculator.PresetLock);
  // The mask source is made by the units of stage 0: whatever reaches
  // stage 0 reaches it as well.
  if (Level <= 1) {
    Calculator.LutMaskSource->Valid = false;
    Level = 1;
  }
  for (int32_t I = Level - 1; I <= 5; ++I) Calculator.LutStep[I]->Valid = false;
}

}  // namespace kromel
