#include "engine/volume_unit.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <numbers>

#include "engine/curve_memo.h"
#include "engine/lut_procedures.h"
#include "foundation/messages.h"
#include "foundation/number_format.h"
#include "images/image32_filters.h"
#include "lut/node_workers.h"
#include "params/volume_mixer_mapping.h"

namespace kromel {

namespace {

constexpr double Pi = std::numbers::pi;

// One dot's channel weights and brightness.
struct TVolumeDot {
  float W[3] = {1.0f / 3, 1.0f / 3, 1.0f / 3};
  TDotBrightnessCurve Curve{0};

  float VolumeOf(const float (&c)[3]) const {
    const float v = std::max(W[0] * c[0] + W[1] * c[1] + W[2] * c[2], 0.0f);
    return Curve(v);
  }
};

TVolumeDot DotOf(const T2DEnvelopeDots& Grid, int32_t Col) {
  TVolumeDot Dot;
  if (Grid.Cols() <= Col || Grid.Rows() < 1) return Dot;
  const TDotPoint& D = Grid.Dots[size_t(Col)][0];
  VolumeXYToRGB(Dot.W[0], Dot.W[1], Dot.W[2], MixerGridGeometry, true, false, D.X / 1000.0f,
                D.Y / 1000.0f, 0);
  Dot.Curve = TDotBrightnessCurve(static_cast<float>(D.Z));
  return Dot;
}

float Mean(const float (&c)[3]) { return (c[0] + c[1] + c[2]) / 3; }

// The node's channels moved to the new volume v; false for an unknown mode.
bool SetVolume(float (&c)[3], float avg, float v, int32_t LumaMode) {
  switch (LumaMode) {
    case 0:
      for (float& x : c) x = x - avg + v;
      CompressRGBToRange(c[0], c[1], c[2]);
      return true;
    case 1:
      for (float& x : c) x *= v / avg;
      return true;
    case 2: {
      const float k = v / avg;
      float s = std::max(static_cast<float>(0.97 * std::sin(Pi * avg) + 0.03), 0.01f);
      const float Centre = Mean(c);
      for (float& x : c) x = (x - Centre) / s + Centre - avg + avg * k;
      const float NewAvg = Mean(c);
      s = std::max(static_cast<float>(0.97 * std::sin(Pi * NewAvg) + 0.03), 0.03f);
      for (float& x : c) x = (x - NewAvg) * s + NewAvg;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

TVolumeAdjustments::TVolumeAdjustments(TParameterList* List)
    : TLUTProcessingUnit(List, "Volume"),
      Enabled(AddSwitch("Enabled", 0)),
      Darken(AddSingle("Darken", 0.5f)),
      Lighten(AddSingle("Lighten", 0.5f)),
      Gamma(AddSingle("Gamma", 0.542f)),
      Limit(AddSingle("Limit", 1)),
      LumaMode(AddInteger("LumaMode", 2, 0, 2)),
      Mode(AddInteger("Mode", 0, 0, 3)),
      VolumeGrid(new TControlledParameterGrid(&Children, "VolumeGrid", 1, 1, -2000, 2000, -1732,
                                              2000)) {
  T2DEnvelopeDots& Grid = VolumeGrid->Grid;
  Grid.Dots[0][0].X = 0;
  Grid.Dots[0][0].Y = 0;
  Grid.StoreAsDefault();
}

void TVolumeAdjustments::Process(T3DLut* Src, T3DLut* Dst,
                                 const TColorModelPreferences& Settings) {
  if (!LutsGiven(Src, Dst, "TVolumeAdjustments.Process")) return;
  ProcessColorModelConversion(*Src, Dst, lcsProfileRGB, &Settings);
  if (Dst->ColorSpace != lcsProfileRGB) return;
  const float g = 3.5f * Gamma->Limited() + 0.5f;
  if (!(g >= 0.1f)) return;
  const float kL = 2 * Lighten->Limited();
  const float kD = 2 * Darken->Limited();
  const float L = Limit->Limited();
  const TVolumeDot Dot1 = DotOf(VolumeGrid->Grid, 0);
  const TVolumeDot Dot2 = DotOf(VolumeGrid->Grid, 1);
  const int32_t VolumeMode = Mode->Value;
  const int32_t Luma = LumaMode->Value;
  // Checked before the walk, so a bad mode leaves every node as it was.
  if (VolumeMode > 3) {
    DebugShowMessage("Invalid Volume mode: " + std::to_string(VolumeMode));
    return;
  }
  if (Luma < 0 || Luma > 2) {
    DebugShowMessage("Invalid Volume Luma mode: " + std::to_string(Luma));
    return;
  }
  try {
    auto Decode = [g](float x) { return ApplyGamma(x, g); };
    ParallelForNodes(Dst->Count, [&](int32_t Begin, int32_t End) {
      TCurveMemo<decltype(Decode)> Linear(Decode);
      for (int32_t k = Begin; k < End; ++k) {
        const float In[3] = {std::max(Dst->R[k], 0.0f), std::max(Dst->G[k], 0.0f),
                             std::max(Dst->B[k], 0.0f)};
        float Lin[3], c[3];
        for (int Ch = 0; Ch < 3; ++Ch) c[Ch] = Lin[Ch] = Linear(In[Ch]);
        const float avg = Mean(c);
        float Weight = 0;
        if (avg > 0) {
          float v = Dot1.VolumeOf(c);
          if (VolumeMode > 0) {
            const float u = Dot2.VolumeOf(c);
            if (VolumeMode == 1) {
              const float t = (2 * In[0] + 4 * In[1] + In[2]) / 7;
              Weight = -2.666666667f * t * t * t + 4 * t * t - 0.333333333f * t;
              v = (1 - Weight) * u + Weight * v;
            } else if (VolumeMode == 2) {
              v = std::min(v, u);
            } else {
              v = std::max(v, u);
            }
          }
          SetVolume(c, avg, v, Luma);
          CompressRGBToRange(c[0], c[1], c[2]);
          for (int Ch = 0; Ch < 3; ++Ch) {
            float d = c[Ch] - Lin[Ch];
            if (d < -L) d = (d + L) * 0.5f - L;
            c[Ch] = Lin[Ch] + d * (c[Ch] >= Lin[Ch] ? kL : kD);
          }
        }
        for (float& x : c) x = LinearToGammaCustom(std::max(x, 0.0f), g);
        if (Overflow) SpreadOverflowRGB(c[0], c[1], c[2]);
        if (WeightPreview) {
          c[0] = c[1] = Weight;
          c[2] = 1 - Weight;
        }
        Dst->R[k] = c[0];
        Dst->G[k] = c[1];
        Dst->B[k] = c[2];
      }
    });
  } catch (const std::exception&) {
    DebugShowMessage("Exception in ProcessVolume. Gamma = " + FloatToStrD1(g));
  }
}

}  // namespace kromel
