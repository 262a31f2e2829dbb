#include "engine/preset_calculator.h"

#include <mutex>
#include <new>
#include <stdexcept>
#include <string>

#include "engine/kromel_preset.h"
#include "engine/lut_procedures.h"
#include "engine/mask_unit.h"
#include "lut/lut_mask.h"
#include "foundation/messages.h"
#include "params/dot_grid.h"

namespace kromel {

namespace {

bool ShareData(const T3DLut* A, const T3DLut* B) {
  return A != nullptr && B != nullptr && A->R != nullptr && A->R == B->R;
}

// Gives a stage ALutSize levels, keeping a matching one as it is.
bool SizeStage(T3DLut* Lut, int32_t N) { return Lut == nullptr || Lut->EnsureSize(N); }

}  // namespace

TKromelPresetCalculator::TKromelPresetCalculator() {
  static const char* const Names[6] = {"", "Channel Mixer", "Transform A/B", "Transform All",
                                       "Curves", ""};
  for (int32_t I = 0; I < 6; ++I) {
    LutStep[I] = std::make_unique<T3DLut>();
    LutStep[I]->Name = Names[I];
  }
  LutMaskSource = std::make_unique<T3DLut>();
  LutMaskKey = std::make_unique<T3DLut>();
  LutMask = std::make_unique<T3DLut>();
  LutMask->Name = "LUT Mask";
}

TKromelPresetCalculator::~TKromelPresetCalculator() {
  LutMask.reset();
  LutMaskKey.reset();
  LutMaskSource.reset();
  for (int32_t I = 5; I >= 0; --I) LutStep[I].reset();
}

void TKromelPresetCalculator::SetSize(int32_t N) {
  std::lock_guard<TPresetLock> Guard(PresetLock);
  for (T3DLut* L : {LutStep[0].get(), LutStep[1].get(), LutStep[2].get(), LutStep[3].get(),
                    LutStep[4].get(), LutStep[5].get(), LutMaskSource.get(), LutMaskKey.get(),
                    LutMask.get()}) {
    L->FreeData();
    L->SetSize(N);
  }
}

TMaskAdjustments* TKromelPresetCalculator::MaskUnit() const {
  return Preset != nullptr ? Preset->MaskUnit() : nullptr;
}

bool TKromelPresetCalculator::MaskOn() const {
  const TMaskAdjustments* M = MaskUnit();
  return M != nullptr && M->Enabled->Value > 0;
}

bool TKromelPresetCalculator::ExternalLUTOn() const {
  return Preset != nullptr && Preset->ExternalLUT->ExtLUTSwitch->Value > 0;
}

void TKromelPresetCalculator::ProcessMask(T3DLut*& MaskSource, T3DLut*& MaskKey, T3DLut*& Mask,
                                          T3DLut* Src, T3DLut* Dst,
                                          const TColorModelPreferences& Settings) {
  std::lock_guard<TPresetLock> Guard(PresetLock);
  if (TMaskAdjustments* M = MaskUnit()) M->ProcessMask(MaskSource, MaskKey, Mask, Src, Dst, Settings);
}

bool TKromelPresetCalculator::CalcLutMaskKey(T3DLut& ALut, TColorModelPreferences& Settings) {
  std::lock_guard<TPresetLock> Guard(PresetLock);
  if (Preset == nullptr) return false;
  try {
    TKromelPreset& P = *Preset;
    ALut.SetDefault();
    if (ALut.R == nullptr) throw std::runtime_error("no planes");
    SetWorkingModel(Settings, P.ColorModel->Value);
    ALut.ColorModelPreferences = Settings;
    if (P.ExternalLUTPosition->Value == 0 && P.MaskDestination->Value == 6 && MaskOn() &&
        ExternalLUTOn())
      P.ExternalLUT->Process(&ALut, &ALut, Settings);
    P.LogDecoder->Process(&ALut, &ALut, Settings);
    TBasicAdjustments& Basic = *P.Basic;
    Basic.OffsetR = Basic.OffsetG = Basic.OffsetB = 0;
    Basic.NoWhiteBalance = true;
    Basic.NoExposure = P.LogDecoder->InputLog->Value == 0;
    Basic.ExposureOffset = P.FilmCurve->GetExposureOffset();  // not the last run's
    Basic.Process(&ALut, &ALut, Settings);
    ProcessColorModelConversion(ALut, &ALut, lcsProfileRGB, &Settings);
    ALut.Valid = true;
    return true;
  } catch (...) {
    DebugShowMessage("Exception in CalcLutMaskKey");
    return false;
  }
}

bool TKromelPresetCalculator::CalcLutTransform(
    T3DLut& ALut, T3DLut* ALutStep0, T3DLut* ALutStep1, T3DLut* ALutStep2, T3DLut* ALutStep3,
    T3DLut* ALutStep4, T3DLut* ALutStep5, T3DLut* ALutMaskSource, T3DLut* ALutMaskKey,
    T3DLut* ALutMask, int32_t ALutSize, TColorModelPreferences& Settings,
    TShowMaskType PreviewMode, const T2DEnvelopeDots* EditedGrid) {
  std::lock_guard<TPresetLock> Guard(PresetLock);
  Abandoned = false;
  if (Preset == nullptr || ALutStep0 == nullptr || ALutStep1 == nullptr ||
      ALutStep5 == nullptr) {
    DebugShowMessage("Error in CalcLutTransform: stage LUT is nil");
    return false;
  }
  TKromelPreset& P = *Preset;
  TMaskAdjustments* Mask = MaskUnit();
  const bool MaskIsOn = MaskOn();
  const bool ExtOn = ExternalLUTOn();
  const int32_t ExtPos = P.ExternalLUTPosition->Value;
  const int32_t MaskType = Mask != nullptr ? Mask->MaskType->Value : mtLuminance;
  const int32_t MaskMethod = Mask != nullptr ? Mask->MaskMethod->Value : 0;
  const bool MaskPreview = Mask != nullptr && Mask->Preview->Value > 0;
  int32_t InputLog = 0;
  int32_t MaskDest = 0;
  T3DLut* MaskBase = nullptr;
  T3DLut* Dry = nullptr;
  bool Curves2DOn = false;
  bool Failed = false;
  bool Ended = false;  // a preview's stage is the result

  auto Report = [&](int32_t Block) {
    DebugShowMessage("Exception in CalcLutTransform " + std::to_string(Block));
    Failed = true;
  };
  auto RunMask = [&](T3DLut* Stage) {
    T3DLut* Source = ALutMaskSource;
    T3DLut* Key = ALutMaskKey;
    T3DLut* M = ALutMask;
    if (Mask != nullptr) Mask->ProcessMask(Source, Key, M, ALutMaskSource, Stage, Settings);
  };
  // Mask stage S when the mask restricts Dest.
  auto MaskStage = [&](int32_t Dest, T3DLut* Stage, T3DLut* Base) {
    if (!MaskIsOn || MaskDest != Dest || ALutMask == nullptr) return;
    if (IsDifferenceMask(MaskType)) RunMask(Stage);
    BlendByMask(*Stage, *Stage, *ALutMask, Base, MaskMethod);
  };
  // Between blocks: a run whose input went stale ends here.
  auto Stale = [&](int32_t Block) {
    if (!ContinueRun || ContinueRun(Block)) return false;
    Abandoned = true;
    return true;
  };
  auto EndWith = [&](const T3DLut& Stage) {
    if (!ALut.CopyFrom(Stage)) throw std::bad_alloc();
    Ended = true;
  };

  // Block 1: preparation.
  try {
    P.ExternalLUT->CubicInterpolation = true;
    Settings.Gamma = P.Basic->HueTwist->Limited();  // the hue twist (HueTwistOf)
    // The preset's model for the whole run: no stage reads the global one.
    SetWorkingModel(Settings, P.ColorModel->Value);
    if (ShareData(ALutMaskSource, ALutMask))
      DebugShowMessage("Error in CalcLutTransform: ALutMaskSource.Data=ALutMask.Data");
    if (IsDifferenceMask(MaskType) && ALutMaskKey != nullptr) ALutMaskKey->Valid = false;
    InputLog = P.LogDecoder->InputLog->Value;
    MaskDest = ExtPos == 5 ? 0 : P.MaskDestination->Value;
    bool Sized = ALut.EnsureSize(ALutSize) && ALutStep0->EnsureSize(ALutSize) &&
                 ALutStep1->EnsureSize(ALutSize) && SizeStage(ALutStep2, ALutSize) &&
                 SizeStage(ALutStep3, ALutSize);
    if (ALutStep4 == nullptr) {
      DebugShowMessage("Error in CalcLutTransform ALutStep4 is nil");
      return false;
    }
    Sized = Sized && ALutStep4->EnsureSize(ALutSize) && ALutStep5->EnsureSize(ALutSize);
    if (!Sized) throw std::bad_alloc();
  } catch (...) {
    Report(1);
  }

  if (Stale(2)) return false;
  // Block 2: stage 0 (cached).
  try {
    P.ModelCurves->Enabled->Value = P.CurvesEnabled->Value;  // silently: not the user's edit
    Curves2DOn = P.Curves2D->Enabled->Value > 0;
    if (ExtPos == 5 && ExtOn)
      MaskBase = P.ExternalLUT->ExternalLUT.get();
    else if (InputLog > 0)
      MaskBase = ALutMaskSource;
    if (InputLog > 0) Dry = ALutMaskSource;
    if (ShareData(ALutStep0, ALutStep1)) ALutStep0->Valid = false;
    if (!ALutStep0->Valid) {
      T3DLut& S0 = *ALutStep0;
      S0.SetDefault();
      S0.ColorModelPreferences = Settings;
      if (MaskDest == 7 && MaskIsOn && ALutMask != nullptr) S0.CopyFrom(*ALutMask);
      auto ExternalAt = [&](int32_t Position) {
        if (ExtPos != Position || !ExtOn) return;
        P.ExternalLUT->Process(&S0, &S0, Settings);
        if (MaskDest == 6 && MaskIsOn && ALutMaskSource != nullptr) {
          ALutMaskSource->CopyFrom(S0);
          RunMask(&S0);
        }
      };
      ExternalAt(0);
      P.LogDecoder->Process(&S0, &S0, Settings);
      TBasicAdjustments& Basic = *P.Basic;
      TChannelMixerAdjustments& Mixer = *P.ChannelMixer;
      const bool MixerOn = Mixer.Enabled->Value > 0;
      Basic.OffsetR = MixerOn ? 2 * Mixer.OffsetR->Value - 1 : 0;
      Basic.OffsetG = MixerOn ? 2 * Mixer.OffsetG->Value - 1 : 0;
      Basic.OffsetB = MixerOn ? 2 * Mixer.OffsetB->Value - 1 : 0;
      Basic.NoWhiteBalance = false;
      Basic.NoExposure = InputLog == 0;
      Basic.ExposureOffset = P.FilmCurve->GetExposureOffset();
      Basic.Process(&S0, &S0, Settings);
      ExternalAt(1);
      if (MixerOn) {
        Mixer.LogInput = InputLog != 0;
        Mixer.OwnOffsets = false;
        Mixer.Process(&S0, &S0, Settings);
      }
      MaskStage(1, &S0, MaskBase);
      P.LogEncoder->Process(&S0, &S0, Settings);
      S0.Valid = true;
    }
  } catch (...) {
    Report(2);
  }

  if (Stale(3)) return false;
  // Block 3: stage 1 (cached).
  try {
    if (ShareData(ALutStep0, ALutStep1)) ALutStep0->Valid = false;
    if (!ALutStep1->Valid) {
      T3DLut& S1 = *ALutStep1;
      P.Clipping->Process(ALutStep0, &S1, Settings);
      if (P.Volume->Enabled->Value > 0) {
        P.Volume->WeightPreview = PreviewMode == smVolumeShadowsHighlights;
        P.Volume->Process(&S1, &S1, Settings);
        if (PreviewMode == smVolumeShadowsHighlights) {
          EndWith(S1);
          return !Failed;
        }
      }
      MaskStage(2, &S1, MaskBase);
      S1.Valid = true;
      if (ExtPos == 2 && ExtOn) P.ExternalLUT->Process(&S1, &S1, Settings);
    }
  } catch (...) {
    Report(3);
  }

  if (Stale(4)) return false;
  // Block 4: colour grids and model curves.
  try {
    if (PreviewMode == smTransform && (EditedGrid == nullptr || EditedGrid->CurCol < 0))
      PreviewMode = smNone;
    if (ALutStep2 == nullptr && ALutStep3 == nullptr) {
      // Nothing past stage 1 can be made: no result.
      DebugShowMessage("Error in CalcLutTransform: ALutStep2, ALutStep3 are nil");
      return false;
    }
    if (ShareData(ALutStep3, ALutStep4))
      DebugShowMessage("Error in CalcLutTransform: ALutStep3.Data=ALutStep4.Data");
    TABGridAdjustments& AB = *P.ABGrid;
    AB.ApplyBrightness = InputLog == 0;
    AB.PreviewMode = PreviewMode;
    AB.EditedGrid = EditedGrid;
    // Stage 2 (the grids' result in RGB) is what the picker and the tools
    // on the image read; the chain goes on in the model (ALutStep3).
    AB.Process1i(ALutStep1, ALutStep2, ALutStep3, Settings);
    TCLGridAdjustments& CL = *P.CLGrid;
    CL.PreviewMode = PreviewMode;
    CL.EditedGrid = EditedGrid;
    CL.GridsActive = CL.Enabled->Value > 0;
    CL.Process(ALutStep3, ALutStep3, Settings);
    TModelCurvesAdjustments& MC = *P.ModelCurves;
    MC.Enabled->Value = P.CurvesEnabled->Value > 0 ? 1 : 0;
    MC.LightnessPreview = PreviewMode == smCurvesSatLuma;
    MC.Process(ALutStep3, ALutStep3, Settings);
    P.ModelSaturation->Process(ALutStep3, ALutStep3, Settings);
  } catch (...) {
    Report(4);
  }

  if (Stale(5)) return false;
  // Block 5: back to gamma RGB, RGB contrast, film curve, RGB curves.
  try {
    ProcessColorModelConversion(*ALutStep3, ALutStep3, lcsProfileRGB, &Settings);
    if ((PreviewMode >= smTransform && PreviewMode <= smTransformBLImage) ||
        PreviewMode == smShadowsHighlights) {
      EndWith(*ALutStep3);
      return !Failed;
    }
    P.RGBContrast->Process(ALutStep3, ALutStep3, Settings);
    if (P.FilmCurve->FilmCurve->Value > 0) P.FilmCurve->Process(ALutStep3, ALutStep3, Settings);
    MaskStage(3, ALutStep3, MaskBase);
    if (!ALutStep4->CopyFrom(*ALutStep3)) throw std::bad_alloc();
    if (P.CurvesEnabled->Value > 0) P.RGBCurves->Process(ALutStep4, ALutStep4, Settings);
  } catch (...) {
    Report(5);
  }

  if (Stale(6)) return false;
  // Block 6: 2D curves and the late external LUT.
  try {
    MaskStage(4, ALutStep4, MaskBase);
    MaskStage(5, ALutStep4, ALutStep3);
    if (Curves2DOn || (PreviewMode >= smCurves2DRB && PreviewMode <= smCurves2DGBImage)) {
      P.Curves2D->PreviewMode = PreviewMode;
      P.Curves2D->EditedGrid = EditedGrid;
      P.Curves2D->Process2i(ALutStep4, nullptr, nullptr, ALutStep5, Settings);
    } else if (!ALutStep5->CopyFrom(*ALutStep4)) {
      throw std::bad_alloc();
    }
    MaskStage(6, ALutStep5, ALutMaskSource);
    if (ExtPos == 3 && ExtOn) P.ExternalLUT->Process(ALutStep5, ALutStep5, Settings);
    if (ExtPos == 4 && ExtOn)
      BlendByMask(*ALutStep5, *ALutStep5, *P.ExternalLUT->ExternalLUT, MaskBase, MaskMethod);
  } catch (...) {
    Report(6);
  }

  if (Stale(7)) return false;
  // Block 7: final mask, master and output.
  try {
    bool ShowMask = false;
    if (MaskIsOn && ALutMask != nullptr && (MaskDest == 0 || (MaskPreview && MaskDest != 8))) {
      if (IsDifferenceMask(MaskType)) RunMask(ALutStep5);
      if (MaskPreview) {
        EndWith(*ALutMask);
        ShowMask = true;
      } else {
        BlendByMask(*ALutStep5, *ALutStep5, *ALutMask, MaskBase, MaskMethod);
      }
    }
    if (MaskDest == 8 && MaskIsOn && ALutMaskSource != nullptr && ALutMask != nullptr) {
      ALutMaskSource->CopyFrom(*ALutStep5);
      if (ALutMaskKey != nullptr) ALutMaskKey->Valid = false;
      RunMask(ALutStep5);
      ALutStep5->CopyFrom(*ALutMask);
      if (MaskPreview) {
        EndWith(*ALutMask);
        ShowMask = true;
      }
    }
    if (!ShowMask) {
      if (P.Master->MasterSwitch->Value > 0)
        P.Master->ProcessCombine(ALutStep5, Dry, &ALut, Settings);
      else if (!ALut.CopyFrom(*ALutStep5))
        throw std::bad_alloc();
    }
    ProcessColorModelConversion(ALut, &ALut, lcsProfileRGB, &Settings);
  } catch (...) {
    Report(7);
  }
  return !Failed;
}

}  // namespace kromel
