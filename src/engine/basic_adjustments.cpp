#include "engine/basic_adjustments.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <numbers>

#include "engine/curve_memo.h"
#include "engine/lut_procedures.h"
#include "foundation/messages.h"
#include "lut/node_workers.h"

namespace kromel {

namespace {

constexpr double Pi = std::numbers::pi;

// Values of one call, shared by every node.
struct TBasicValues {
  float ExposureGain = 1;
  float DRGamma = 1;
  float b = 0;
  float Gain[3] = {1, 1, 1};
  float GainUp[3] = {1, 1, 1};  // each gain raised to at least 1
  float Offset[3] = {0, 0, 0};
  float Limit[3] = {1000, 1000, 1000};
  bool DisplayReferred = false;
};

// Display-referred values: the gain acts in the shadows and fades out
// towards 1.
float GainDisplayReferred(const TBasicValues& V, int Ch, float x) {
  const float w = static_cast<float>((0.5 - 0.5 * std::cos(Pi * x)) * (0.5 * x + 0.5));
  return x * w + x * V.Gain[Ch] * V.ExposureGain * (1 - w) + V.Offset[Ch];
}

// Scene-linear values: clipped highlights stay neutral as a channel nears
// its limit.
void ApplyGainsSceneLinear(const TBasicValues& V, float (&c)[3]) {
  float t[3];
  for (int Ch = 0; Ch < 3; ++Ch) {
    const float L = V.Limit[Ch];
    const float K = 0.6f * L;
    t[Ch] = K > 0 ? std::clamp((c[Ch] - L + K) / K, 0.0f, 1.0f) : (c[Ch] >= L ? 1.0f : 0.0f);
  }
  const float d = 1 - std::max({t[0], t[1], t[2]});
  for (int Ch = 0; Ch < 3; ++Ch) {
    float x = c[Ch] + V.Offset[Ch];
    x = (t[Ch] * V.GainUp[Ch] + (1 - t[Ch]) * V.Gain[Ch]) * x;
    x = std::min(x, V.Limit[Ch]);
    c[Ch] = x * V.ExposureGain;
  }
  if (d < 1) {
    const float Y = 0.299f * c[0] + 0.487f * c[1] + 0.214f * c[2];
    const float s = 1 - (1 - d) * (1 - d);
    for (float& x : c) x = (1 - s) * Y + s * x;
  }
}

// Dynamic range about mid-grey, then the blacks toe or lift.
float ApplyTone(const TBasicValues& V, float x) {
  if (x < 0) x = 0;
  if (V.DRGamma != 1) x = static_cast<float>(0.18 * std::pow(x / 0.18, double(V.DRGamma)));
  const float b = V.b;
  if (b < 0) {
    const double W = -b / (1 - 2 / Pi);
    x = x < W ? static_cast<float>(W * (2 / Pi) * (1 - std::cos(Pi * x / (2 * W)))) : x + b;
    if (V.DisplayReferred) x *= 1 / (1 + b);
  } else if (b > 0) {
    x = x <= b ? static_cast<float>(x + b * std::sin(Pi * x / (2 * b))) : x + b;
    x *= 1 / (1 + b);
  }
  return x < 0 ? 0 : x;
}

// The display-referred walk of nodes Begin..End - 1: gain and tone per
// channel.
void WalkDisplayReferred(const TBasicValues& V, const T3DLut& Src, T3DLut& Dst, int32_t Begin,
                         int32_t End) {
  const float* In[3] = {Src.R, Src.G, Src.B};
  float* Out[3] = {Dst.R, Dst.G, Dst.B};
  for (int Ch = 0; Ch < 3; ++Ch) {
    auto Channel = [&V, Ch](float x) { return ApplyTone(V, GainDisplayReferred(V, Ch, x)); };
    TCurveMemo<decltype(Channel)> Memo(Channel);
    for (int32_t k = Begin; k < End; ++k) Out[Ch][k] = Memo(In[Ch][k]);
  }
}

}  // namespace

TBasicAdjustments::TBasicAdjustments(TParameterList* List)
    : TLUTProcessingUnit(List, "Basic"),
      Exposure(AddSingle("Exposure", 0.5f)),
      Temperature(AddSingle("Temperature", 0.5f)),
      Tint(AddSingle("Tint", 0.5f)),
      HueTwist(AddSingle("HueTwist", 0)),
      Blacks(AddSingle("Blacks", 0.5f)),
      DynamicRange(AddSingle("DynamicRange", 0.5f)) {}

void TBasicAdjustments::Process(T3DLut* Src, T3DLut* Dst, const TColorModelPreferences&) {
  if (Src == nullptr || Dst == nullptr) {
    DebugShowMessage(std::string("Error in TBasicAdjustments.ProcessBasic: ") +
                     (Src == nullptr ? "Src=nil" : "Dst=nil"));
    return;
  }
  if (Src != Dst && !LutShapesMatch(*Src, *Dst, "TBasicAdjustments.ProcessBasic")) return;
  TBasicValues V;
  V.ExposureGain =
      NoExposure ? 1.0f : std::exp2(Exposure->Limited() * 10 - 5 + ExposureOffset);
  V.DRGamma = std::exp2(DynamicRange->Limited() * 2 - 1);
  V.b = Blacks->Limited() * 0.4f - 0.2f;
  const float A = NoWhiteBalance ? 1.0f : std::exp2((Temperature->Limited() - 0.5f) * 4.6f);
  const float B = NoWhiteBalance ? 1.0f : std::exp2((Tint->Limited() - 0.5f) * 2.4f);
  CalcWhiteBalanceGains(A, B, V.Gain[0], V.Gain[1], V.Gain[2]);
  for (int Ch = 0; Ch < 3; ++Ch) V.GainUp[Ch] = std::max(V.Gain[Ch], 1.0f);
  V.Offset[0] = OffsetR;
  V.Offset[1] = OffsetG;
  V.Offset[2] = OffsetB;
  if (!(Src->MaxR == 1 && Src->MaxG == 1 && Src->MaxB == 1)) {
    V.Limit[0] = Src->MaxR;
    V.Limit[1] = Src->MaxG;
    V.Limit[2] = Src->MaxB;
  }
  V.DisplayReferred = Src->DisplayReferred;
  try {
    ParallelForNodes(Src->Count, [&](int32_t Begin, int32_t End) {
      if (V.DisplayReferred) {
        // Each channel on its own: the planes' repeated values are looked up.
        WalkDisplayReferred(V, *Src, *Dst, Begin, End);
        return;
      }
      for (int32_t k = Begin; k < End; ++k) {
        float c[3] = {Src->R[k], Src->G[k], Src->B[k]};
        ApplyGainsSceneLinear(V, c);
        Dst->R[k] = ApplyTone(V, c[0]);
        Dst->G[k] = ApplyTone(V, c[1]);
        Dst->B[k] = ApplyTone(V, c[2]);
      }
    });
  } catch (const std::exception&) {
    DebugShowMessage("Exception in ProcessBasic 2");
  }
  if (Src != Dst) {
    Dst->MaxR = Src->MaxR;
    Dst->MaxG = Src->MaxG;
    Dst->MaxB = Src->MaxB;
    Dst->DisplayReferred = Src->DisplayReferred;
  }
  Dst->ColorSpace = lcsLinearRGB;
}

}  // namespace kromel
