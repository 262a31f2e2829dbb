// TKromelPresetCalculator: runs the units of a preset over six stage LUTs
// in their fixed order and returns one 3D LUT. Stages 0 and 1 are kept
// between runs while up to date; the later ones are computed on every run.
// The external LUT can enter at one of six places, the mask restrict one of
// nine, and a preview mode ends the run early with an intermediate stage.
//
// A run holds PresetLock from start to end, so two runs never overlap and
// nobody else touches the stage LUTs meanwhile. The preset a run reads is
// the caller's business (the pipeline hands it a snapshot).
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/preset_lock.h"
#include "engine/preview_modes.h"
#include "lut/lut.h"

namespace kromel {

class TKromelPreset;
class TMaskAdjustments;
class T2DEnvelopeDots;

class TKromelPresetCalculator {
 public:
  TKromelPresetCalculator();
  ~TKromelPresetCalculator();
  TKromelPresetCalculator(const TKromelPresetCalculator&) = delete;
  TKromelPresetCalculator& operator=(const TKromelPresetCalculator&) = delete;

  TKromelPreset* Preset = nullptr;  // not owned
  std::unique_ptr<T3DLut> LutStep[6];
  std::unique_ptr<T3DLut> LutMaskSource;
  std::unique_ptr<T3DLut> LutMaskKey;
  std::unique_ptr<T3DLut> LutMask;
  TPresetLock PresetLock;
  // Asked before each block of CalcLutTransform with its number (2..7);
  // false stops the run there: Abandoned is set and the result is false,
  // unreported. Null: every run goes to its end.
  std::function<bool(int32_t Block)> ContinueRun;
  bool Abandoned = false;

  // All nine LUTs N x N x N, zero and not up to date.
  void SetSize(int32_t N);

  // ALut = the identity through the units before the mask (the colours the
  // mask is measured on), in gamma RGB, marked up to date. False on failure.
  bool CalcLutMaskKey(T3DLut& ALut, TColorModelPreferences& Settings);
  // The preset's mask unit's ProcessMask (nothing without a mask unit).
  void ProcessMask(T3DLut*& MaskSource, T3DLut*& MaskKey, T3DLut*& Mask, T3DLut* Src,
                   T3DLut* Dst, const TColorModelPreferences& Settings);

  // The result into ALut. EditedGrid is the grid of the grid editor being
  // edited, or null. True when ALut holds a complete result (the full
  // pipeline or the stage a preview mode asks for); false, reported, when a
  // stage is missing or a block failed: ALut is then not a result.
  bool CalcLutTransform(T3DLut& ALut, T3DLut* ALutStep0, T3DLut* ALutStep1, T3DLut* ALutStep2,
                        T3DLut* ALutStep3, T3DLut* ALutStep4, T3DLut* ALutStep5,
                        T3DLut* ALutMaskSource, T3DLut* ALutMaskKey, T3DLut* ALutMask,
                        int32_t ALutSize, TColorModelPreferences& Settings,
                        TShowMaskType PreviewMode, const T2DEnvelopeDots* EditedGrid);

  // The preset's mask unit, null when it has none.
  TMaskAdjustments* MaskUnit() const;
  // The mask unit's Enabled is above 0.
  bool MaskOn() const;
  bool ExternalLUTOn() const;
};

}  // namespace kromel
