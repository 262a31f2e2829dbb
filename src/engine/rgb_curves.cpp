#include "engine/rgb_curves.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>

#include "colour/channel_mixer.h"
#include "colour/colour_wheels.h"
#include "engine/lut_procedures.h"
#include "foundation/messages.h"
#include "foundation/number_format.h"
#include "foundation/numeric.h"
#include "lut/node_workers.h"

namespace kromel {

float ApplyCurveValue(const TEnvelopeDots& Curve, float V) {
  return Curve.GetValueS(V * 16384) * (1.0f / 32768);
}

namespace {

TControlledParameterCurve* AddDiagonal(TParameterList& List, const char* Name) {
  auto* P = new TControlledParameterCurve(&List, Name, cdtDiagonal);
  P->Curve.ResetDiagonal(2);
  return P;
}

// Channels above 0 raised to the power E.
void PowerPositive(float (&C)[3], float E) {
  for (float& X : C)
    if (X > 0) X = std::pow(X, E);
}

}  // namespace

TRGBCurvesAdjustments::TRGBCurvesAdjustments(TParameterList* List)
    : TLUTProcessingUnit(List, "Curves"),
      Master(AddDiagonal(Children, "Master")),
      Red(AddDiagonal(Children, "Red")),
      Green(AddDiagonal(Children, "Green")),
      Blue(AddDiagonal(Children, "Blue")),
      CurveMode(AddInteger("CurveMode", 0, 0, 8)),
      MasterBefore(AddSwitch("MasterBefore", 0)),
      MasterEnabled(AddSwitch("MasterEnabled", 0)),
      RGBEnabled(AddSwitch("RGBEnabled", 0)),
      RGBDepth(AddSingle("RGBDepth", 0.5f)),
      HueRotation(AddSingle("HueRotation", 0.5f)),
      RGBGamutExtension(AddSingle("RGBGamutExtension", 0.5f)),
      Offset(new TControlledParameterColorWheel(&Children, "Offset")),
      Gamma(new TControlledParameterColorWheel(&Children, "Gamma")),
      Gain(new TControlledParameterColorWheel(&Children, "Gain")),
      Ranges(new TControlledParameterIntegerArray(&Children, "Ranges", 3)) {}

void TRGBCurvesAdjustments::Process(T3DLut* Src, T3DLut* Dst,
                                    const TColorModelPreferences& Settings) {
  if (Src == nullptr || Dst == nullptr || Src->Size != Dst->Size) {
    DebugShowMessage("Error in ProcessCurves: sizes differ");
    return;
  }
  ProcessColorModelConversion(*Src, Dst, lcsProfileRGB, &Settings);
  if (Dst->ColorSpace != lcsProfileRGB) return;

  const TColorWheelValue WOffset = Offset->WheelValue(), WGamma = Gamma->WheelValue(),
                         WGain = Gain->WheelValue();
  TLiftGammaGain LGG;
  CalcLiftGammaGain(WOffset, WGamma, WGain, LGG);
  TLGGRanges WheelRanges;
  ColorWheelsToPixels(WOffset, WGamma, WGain, WheelRanges.Shift);
  WheelRanges.P1 = static_cast<float>(Ranges->GetValue(0)) / 1000;
  WheelRanges.P2 = static_cast<float>(Ranges->GetValue(1)) / 1000;
  WheelRanges.P3 = static_cast<float>(Ranges->GetValue(2)) / 1000;
  const float G = std::pow(8.0f, 2 * RGBGamutExtension->Limited() - 1);
  float D = 2 * RGBDepth->Limited();
  const float H = 360 * HueRotation->Limited() - 180;
  const int32_t WheelMode = CurveMode->Value;
  const float WheelAmount = 2 * RGBDepth->Limited();

  bool ChannelsAfter = MasterBefore->Value == 0;
  const bool ChannelsOn = RGBEnabled->Value > 0 && WheelMode != rcm3Way && WheelMode != rcmSMH;
  const bool MasterOn = MasterEnabled->Value > 0;
  const bool Mixing = H != 0 || G != 1;

  TChannelMixerParams M, Minv;
  ChannelMixerSetDefault(M);
  ChannelMixerRotateHue(M, H / 360 * 2 * std::numbers::pi_v<float>);
  ChannelMixerLimitGain(M);
  if (G != 1) ChannelMixerSaturation(M, 1 / G);
  ChannelMixerInvert(Minv, M);
  D = D / std::max(1.0f, G);

  auto RunWheels = [&] {
    if (RGBEnabled->Value <= 0) return;
    if (WheelMode == rcm3Way)
      ProcessLGG(*Dst, *Dst, LGG, WheelAmount, WheelRanges.P1, WheelRanges.P3);
    else if (WheelMode == rcmSMH)
      ProcessLGGRanges(*Dst, *Dst, WheelRanges, WheelAmount);
  };
  if (MasterBefore->Value != 0) RunWheels();

  // The wheel modes count as Normal in the node loop.
  const int32_t Mode = WheelMode > rcmRGBW2 ? rcmNormal : WheelMode;
  if (Mode >= rcmCMYK && Mode <= rcmRGBW2) ChannelsAfter = false;
  const TEnvelopeDots* Curves[3] = {&Red->Curve, &Green->Curve, &Blue->Curve};
  const TEnvelopeDots& MasterCurve = Master->Curve;

  auto ChannelCurves = [&](float(&C)[3]) {
    const float C0[3] = {C[0], C[1], C[2]};
    for (int I = 0; I < 3; ++I) C[I] = (1 - D) * C[I] + D * ApplyCurveValue(*Curves[I], C[I]);
    if (Mode == rcmColor) {
      const float L =
          0.2126f * (C[0] - C0[0]) + 0.7152f * (C[1] - C0[1]) + 0.0722f * (C[2] - C0[2]);
      for (float& X : C) X -= L;
    }
    for (float& X : C) X = Clamp01(X);
  };

  std::atomic<bool> Failed{false};
  const int32_t N = Dst->Size;
  ParallelForNodes(N * N * N, [&](int32_t Begin, int32_t End) {
    float C[3] = {0, 0, 0};
    try {
      for (int32_t k = Begin; k < End; ++k) {
        C[0] = Dst->R[k];
        C[1] = Dst->G[k];
        C[2] = Dst->B[k];
        if (Mixing) ChannelMixerApplyToColor(M, C[0], C[1], C[2]);
        float K = 0;
        if (Mode == rcmCMYK || Mode == rcmCMYK2) {
          K = std::max({C[0], C[1], C[2]});
          if (Mode == rcmCMYK2) K = 1 - (1 - K) * (1 - K);
          if (K > 0)
            for (float& X : C) X = 1 - (K - X) / K;
        } else if (Mode == rcmRGBW || Mode == rcmRGBW2) {
          K = std::min({C[0], C[1], C[2]});
          if (Mode == rcmRGBW2) K = K * K;
          for (float& X : C) X -= K;
        }
        if (ChannelsOn && !ChannelsAfter) ChannelCurves(C);
        if (Mode == rcmUniform) {
          PowerPositive(C, 2.2f);
          const float Mean = (C[0] + C[1] + C[2]) / 3;
          for (float& X : C) X = (X - Mean) / 3 + Mean;
          PowerPositive(C, 1 / 2.2f);
        }
        if (MasterOn) {
          if (Mode <= rcmColor)
            for (float& X : C) X = ApplyCurveValue(MasterCurve, X);
          else
            K = ApplyCurveValue(MasterCurve, K);
        }
        if (Mode == rcmUniform) {
          PowerPositive(C, 2.2f);
          const float Mean = (C[0] + C[1] + C[2]) / 3;
          for (float& X : C) X = (X - Mean) * 3 + Mean;
          // Pull out-of-gamut colours back towards the mean: below 0 in
          // the order B, G, R, then above 1 in the order R, G, B.
          auto PullBack = [&](float F) {
            for (float& X : C) X = 0.9f * ((X - Mean) * F + Mean) + 0.1f * X;
          };
          for (int I : {2, 1, 0})
            if (C[I] < 0) PullBack(Mean / (Mean - C[I]));
          for (int I : {0, 1, 2})
            if (C[I] > 1) PullBack((1 - Mean) / (C[I] - Mean));
          for (float& X : C) X = std::max(X, 0.0f);
          PowerPositive(C, 1 / 2.2f);
          for (float& X : C) X = std::min(X, 1.0f);
        }
        if (ChannelsOn && ChannelsAfter) ChannelCurves(C);
        if (Mode == rcmCMYK || Mode == rcmCMYK2)
          for (float& X : C) X = std::max(X * K, 0.0f);
        if (Mode == rcmRGBW || Mode == rcmRGBW2)
          for (float& X : C) X = std::min(X + K, 1.0f);
        if (Mixing) {
          ChannelMixerApplyToColor(Minv, C[0], C[1], C[2]);
          for (float& X : C) X = Clamp01(X);
        }
        Dst->R[k] = C[0];
        Dst->G[k] = C[1];
        Dst->B[k] = C[2];
      }
    } catch (...) {
      DebugShowMessage("Exception in ProcessCurves Red=" + FloatToStrGeneral(C[0]) +
                       " Green=" + FloatToStrGeneral(C[1]) + " Blue=" + FloatToStrGeneral(C[2]));
      Failed = true;
    }
  });
  if (Failed) return;
  if (MasterBefore->Value == 0) RunWheels();
}

}  // namespace kromel
