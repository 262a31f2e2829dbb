#include "engine/preset_snapshot.h"

#include <algorithm>
#include <cstring>

#include "engine/kromel_preset.h"
#include "foundation/error_sink.h"

namespace kromel {

namespace {

struct TCopier {
  const T2DEnvelopeDots* FromGrid;
  const T2DEnvelopeDots* ToGrid = nullptr;

  void Curve(const TEnvelopeDots& From, TEnvelopeDots& To) {
    To.Smooth = From.Smooth;
    To.Attenuation = From.Attenuation;
    To.AllowNegative = From.AllowNegative;
    To.CopyFrom(&From);
  }

  void Grid(const T2DEnvelopeDots& From, T2DEnvelopeDots& To) {
    To.Assign(From);
    To.Rotated = From.Rotated;
    To.PatternMode = From.PatternMode;
    To.AllPinned = From.AllPinned;
    To.NeedsInterpolation = From.NeedsInterpolation;
    To.CurCol = From.CurCol;
    To.CurRow = From.CurRow;
    To.HotCol = From.HotCol;
    To.HotRow = From.HotRow;
    if (&From == FromGrid) ToGrid = &To;
  }

  // One parameter of the same kind and name; false on a mismatch.
  bool Parameter(const TControlledParameter* From, TControlledParameter* To) {
    if (From == nullptr || To == nullptr) return From == To;
    if (From->Name != To->Name) return false;
    To->Isolate = From->Isolate;
    if (auto* F = dynamic_cast<const TSectionPreset*>(From)) {
      auto* T = dynamic_cast<TSectionPreset*>(To);
      if (T == nullptr || F->GetCount() != T->GetCount()) return false;
      for (int32_t I = 0; I < F->GetCount(); ++I)
        if (!Parameter(F->GetChild(I), T->GetChild(I))) return false;
      return true;
    }
    if (auto* F = dynamic_cast<const TControlledParameterSingle*>(From)) {
      auto* T = dynamic_cast<TControlledParameterSingle*>(To);
      if (T == nullptr) return false;
      T->Value = F->Value;
      T->DefaultValue = F->DefaultValue;
      return true;
    }
    if (auto* F = dynamic_cast<const TControlledParameterInteger*>(From)) {
      auto* T = dynamic_cast<TControlledParameterInteger*>(To);
      if (T == nullptr) return false;
      T->Value = F->Value;
      return true;
    }
    if (auto* F = dynamic_cast<const TControlledParameterCurve*>(From)) {
      auto* T = dynamic_cast<TControlledParameterCurve*>(To);
      if (T == nullptr) return false;
      Curve(F->Curve, T->Curve);
      return true;
    }
    if (auto* F = dynamic_cast<const TControlledParameterGrid*>(From)) {
      auto* T = dynamic_cast<TControlledParameterGrid*>(To);
      if (T == nullptr) return false;
      Grid(F->Grid, T->Grid);
      return true;
    }
    if (auto* F = dynamic_cast<const TControlledParameterSwitchesArray*>(From)) {
      auto* T = dynamic_cast<TControlledParameterSwitchesArray*>(To);
      if (T == nullptr) return false;
      T->Switches = F->Switches;
      T->ItemFlags = F->ItemFlags;
      return true;
    }
    if (auto* F = dynamic_cast<const TControlledParameterIntegerArray*>(From)) {
      auto* T = dynamic_cast<TControlledParameterIntegerArray*>(To);
      if (T == nullptr) return false;
      T->Values = F->Values;
      T->ItemFlags = F->ItemFlags;
      return true;
    }
    if (auto* F = dynamic_cast<const TControlledParameterColorWheel*>(From)) {
      auto* T = dynamic_cast<TControlledParameterColorWheel*>(To);
      if (T == nullptr) return false;
      T->Point = F->Point;
      return true;
    }
    return false;
  }
};

void Copy1DLut(const T1DLut& From, T1DLut& To) {
  if (From.R == nullptr || From.G == nullptr || From.B == nullptr) {
    To.FreeData();
  } else if (To.EnsureSize(From.Size) && To.Count == From.Count) {
    const size_t Bytes = size_t(From.Count) * sizeof(float);
    std::memcpy(To.R, From.R, Bytes);
    std::memcpy(To.G, From.G, Bytes);
    std::memcpy(To.B, From.B, Bytes);
    if (To.A != nullptr && From.A != nullptr) std::memcpy(To.A, From.A, Bytes);
  }
  To.Name = From.Name;
  To.Valid = From.Valid;
}

}  // namespace

bool CopyPresetState(const TKromelPreset& From, TKromelPreset& To,
                     const T2DEnvelopeDots* FromGrid, const T2DEnvelopeDots** ToGrid) {
  TCopier Copier{FromGrid};
  const bool Matched = Copier.Parameter(&From, &To);
  if (ToGrid != nullptr) *ToGrid = Copier.ToGrid;
  if (!Matched) {
    ErrorMessageProc("Error in CopyPresetState: the presets differ in shape");
    return false;
  }
  To.Version = From.Version;
  To.Reserved = From.Reserved;
  // The external LUT is read only while it is switched on.
  if (From.ExternalLUT->ExtLUTSwitch->Value > 0 && From.ExternalLUT->ExternalLUT &&
      To.ExternalLUT->ExternalLUT)
    To.ExternalLUT->ExternalLUT->CopyFrom(*From.ExternalLUT->ExternalLUT);
  const TMaskAdjustments* FromMask = From.MaskUnit();
  TMaskAdjustments* ToMask = To.MaskUnit();
  if (FromMask != nullptr && ToMask != nullptr) {
    if (FromMask->MaskLUT && ToMask->MaskLUT) ToMask->MaskLUT->CopyFrom(*FromMask->MaskLUT);
    ToMask->MaskLUTIsolate = FromMask->MaskLUTIsolate;
    ToMask->HueMin = FromMask->HueMin;
    ToMask->HueMax = FromMask->HueMax;
    ToMask->SatMin = FromMask->SatMin;
    ToMask->SatMax = FromMask->SatMax;
    ToMask->LumMin = FromMask->LumMin;
    ToMask->LumMax = FromMask->LumMax;
  }
  if (From.LogDecoder->CustomLog && To.LogDecoder->CustomLog)
    Copy1DLut(*From.LogDecoder->CustomLog, *To.LogDecoder->CustomLog);
  To.LogEncoder->OutputMaxR = From.LogEncoder->OutputMaxR;
  To.LogEncoder->OutputMaxG = From.LogEncoder->OutputMaxG;
  To.LogEncoder->OutputMaxB = From.LogEncoder->OutputMaxB;
  return true;
}

}  // namespace kromel
