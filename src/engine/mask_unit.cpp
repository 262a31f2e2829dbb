#include "engine/mask_unit.h"

#include <algorithm>
#include <cmath>

#include "engine/lut_procedures.h"
#include "foundation/messages.h"
#include "lut/lut_apply.h"
#include "lut/lut_mask.h"

namespace kromel {

namespace {

constexpr int32_t MaskCurveColor = 0xB0B0B0;
constexpr float PickMargin = 0.05f;

TControlledParameterCurve* AddMaskCurve(TParameterList* Children, const char* Name) {
  auto* P = new TControlledParameterCurve(Children, Name, cdtMaximum);
  P->Curve.Color = MaskCurveColor;
  return P;
}

int32_t CurveX(float V) {
  if (std::isnan(V)) return 0;
  return static_cast<int32_t>(std::clamp(std::nearbyint(16384.0 * V), -1e9, 1e9));
}

bool InHueRange(float H, float Min, float Max) {
  return Min <= Max ? (Min <= H && H <= Max) : (H >= Min || H <= Max);
}

}  // namespace

TMaskAdjustments::TMaskAdjustments(TParameterList* List)
    : TLUTProcessingUnit(List, "Mask"),
      Enabled(AddSwitch("Enabled", 0)),
      Curve1(AddMaskCurve(&Children, "Curve1")),
      Curve2(AddMaskCurve(&Children, "Curve2")),
      Curve3(AddMaskCurve(&Children, "Curve3")),
      Curve1Enable(AddSwitch("Curve1Enable", 1)),
      Curve2Enable(AddSwitch("Curve2Enable", 1)),
      Curve3Enable(AddSwitch("Curve3Enable", 1)),
      MaskType(AddInteger("MaskType", mtLuminance, 0, mt3DHSL)),
      MaskMethod(AddInteger("MaskMethod", 0, 0, 2)),
      Preview(AddSwitch("Preview", 0)),
      Invert(AddSwitch("Invert", 0)),
      ReferenceColor(AddInteger("ReferenceColor", 9879270, 0, 0xFFFFFF)),
      MaskLUT(std::make_unique<T3DLut>()) {
  MaskLUT->Name = "3D Mask";
  MaskLUT->SetLevels(144, 10, 16);
}

void TMaskAdjustments::ReferenceRGB(float& R, float& G, float& B) const {
  const uint32_t C = static_cast<uint32_t>(ReferenceColor->Value);
  R = float(C & 0xFF) / 255;
  G = float((C >> 8) & 0xFF) / 255;
  B = float((C >> 16) & 0xFF) / 255;
}

void TMaskAdjustments::Measure(T3DLut& Key, const T3DLut& Source, const T3DLut* Src,
                               const T3DLut* Dst) const {
  Key.CopyFrom(Source);
  float RR, RG, RB;
  ReferenceRGB(RR, RG, RB);
  switch (MaskType->Value) {
    case mtRed:
    case mtGreen:
    case mtBlue: ChannelToGray(Key, MaskType->Value); break;
    case mtCyan:
    case mtMagenta:
    case mtYellow:
    case mtBlack: CMYKChannelToGray(Key, MaskType->Value - mtCyan); break;
    case mtWhite: MinimumToGray(Key); break;
    case mtHue: HSPHueToGray(Key); break;
    case mtSaturation: SaturationToGray(Key); break;
    case mtWarmth: RedDominanceToGray(Key); break;
    case mtLabABDistance: LabChromaDistanceToGray(Key, RR, RG, RB); break;
    case mtLabDistance: LabDistanceToGray(Key, RR, RG, RB); break;
    case mtHSPeABDistance: HSPeDistanceToGray(Key, RR, RG, RB); break;
    case mtHSPSat: ChromaAxisToGray(Key, RR, RG, RB); break;
    case mtHSPPhase: ChromaCrossAxisToGray(Key, RR, RG, RB); break;
    case mtRGBDistance: RGBDistanceToGray(Key, RR, RG, RB); break;
    case mtDifference: ExtractDifference(Key, Src, Dst); break;
    case mtColorDifference: ExtractDifferenceSXY(Key, Src, Dst); break;
    case mtHSP: ConvertToHSP2p(Key); break;
    case mtLCH: ConvertToHueChromaLightness(Key); break;
    case mt3DHSL: ProcessLutByHSLMask(Key, Key, *MaskLUT); break;
    default: BrightnessToGray(Key); break;
  }
}

void TMaskAdjustments::ProcessMask(T3DLut*& MaskSource, T3DLut*& MaskKey, T3DLut*& Mask,
                                   T3DLut* Src, T3DLut* Dst,
                                   const TColorModelPreferences&) {
  try {
    if (MaskSource == nullptr || MaskKey == nullptr || Mask == nullptr) {
      DebugShowMessage("Exception in CalcLutMask");
      return;
    }
    const int32_t Type = MaskType->Value;
    // A difference needs both stages; until a caller gives them the key
    // stays unmeasured and the mask as it was.
    if (IsDifferenceMask(Type) && !MaskKey->Valid && (Src == nullptr || Dst == nullptr)) return;
    ProcessColorModelConversion(*MaskSource, MaskSource, lcsProfileRGB, nullptr);
    ProcessColorModelConversion(*MaskKey, MaskKey, lcsProfileRGB, nullptr);
    if (!MaskKey->Valid) {
      Measure(*MaskKey, *MaskSource, Src, Dst);
      MaskKey->Valid = true;
    }
    if (!Mask->CopyFrom(*MaskKey)) {
      DebugShowMessage("Exception in CalcLutMask");
      return;
    }
    if (Type == mt3DHSL) {
      // the key is the mask
    } else if (Type == mtHSP || Type == mtLCH) {
      ProcessLUTMaskCurves(*MaskKey, *Mask, Curve1Enable->Value != 0 ? &Curve1->Curve : nullptr,
                           Curve2Enable->Value != 0 ? &Curve2->Curve : nullptr,
                           Curve3Enable->Value != 0 ? &Curve3->Curve : nullptr);
    } else {
      ProcessLUTMaskApplyCurve(*MaskKey, *Mask, &Curve1->Curve);
    }
    if (Invert->Value > 0) kromel::Invert(*Mask);
    Mask->Valid = true;
  } catch (...) {
    DebugShowMessage("Exception in CalcLutMask");
  }
}

void TMaskAdjustments::AddPickedColor(int32_t Flags, float H, float S, float L) {
  const float DMin = std::min(std::fabs(H - HueMin), std::fabs(H - HueMin - 1));
  const float DMax = std::min(std::fabs(H - HueMax), std::fabs(H - HueMax + 1));
  if ((Flags & PickRemove) != 0) {
    if (InHueRange(H, HueMin, HueMax)) {
      if (DMax > DMin)
        HueMin = std::max(HueMin, H);
      else
        HueMax = std::min(HueMax, H);
    }
    if (std::fabs(SatMax - S) > std::fabs(SatMin - S))
      SatMin = std::max(SatMin, S + PickMargin);
    else
      SatMax = std::min(SatMax, S - PickMargin);
    if (SatMin > SatMax) {
      SatMin = 2;
      SatMax = -1;
    }
    if (std::fabs(LumMax - L) > std::fabs(LumMin - L))
      LumMin = std::max(LumMin, L + PickMargin);
    else
      LumMax = std::min(LumMax, L - PickMargin);
  } else if ((Flags & PickAdd) != 0) {
    if (!InHueRange(H, HueMin, HueMax)) {
      if (DMax > DMin)
        HueMin = H;
      else
        HueMax = H;
    }
    SatMin = std::min(SatMin, S - PickMargin);
    SatMax = std::max(SatMax, S + PickMargin);
    LumMin = std::min(LumMin, L);
    LumMax = std::max(LumMax, L);
    if (SatMin < PickMargin) {
      HueMin = 0;
      HueMax = 1;
    }
  } else {
    HueMin = H - 0.002f;
    HueMax = H + 0.002f;
    SatMin = S - PickMargin;
    SatMax = S + PickMargin;
    LumMin = L - PickMargin;
    LumMax = L + PickMargin;
    if (SatMin < PickMargin) {
      HueMin = 0;
      HueMax = 1;
    }
  }
  Curve1->Curve.MakeBandCurve(CurveX(HueMin), CurveX(HueMax), 192);
  Curve2->Curve.MakeBandCurve(CurveX(SatMin), CurveX(SatMax), 321);
  Curve3->Curve.MakeBandCurve(CurveX(LumMin), CurveX(LumMax), 321);
}

void TMaskAdjustments::SetMaskIsolate(bool Value) {
  for (TControlledParameter* P : {static_cast<TControlledParameter*>(MaskType),
                                  static_cast<TControlledParameter*>(Invert),
                                  static_cast<TControlledParameter*>(Curve1),
                                  static_cast<TControlledParameter*>(Curve2),
                                  static_cast<TControlledParameter*>(Curve3),
                                  static_cast<TControlledParameter*>(ReferenceColor)})
    P->SetIsolate(Value);
  MaskLUTIsolate = Value;
}

}  // namespace kromel
