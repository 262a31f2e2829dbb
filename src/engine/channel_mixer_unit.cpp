#include "engine/channel_mixer_unit.h"

#include <algorithm>
#include <exception>

#include "engine/lut_procedures.h"
#include "foundation/messages.h"
#include "lut/node_workers.h"
#include "params/volume_mixer_mapping.h"

namespace kromel {

namespace {

struct TMixerDot {
  int32_t X, Y, Color;
};
constexpr TMixerDot MixerDots[3] = {{0, 1000, 255}, {-866, -500, 65280}, {866, -500, 16711680}};

// Pulls the channels of a mix with a negative channel towards their mean.
void ProtectClipping(double (&c)[3]) {
  double a = 0;
  for (double x : c) a += x < 0 ? x / 3 : x;
  a = std::max(a / 3, 0.0);
  for (int Ch = 0; Ch < 3; ++Ch) {
    const double Neg = c[Ch];
    if (Neg < 0 && a != Neg)
      for (double& x : c) x = (x - a) / (a - Neg) * a + a;
  }
}

void LimitSaturation(double (&c)[3], double m, double S) {
  if (!(m > 0.000001 && S < 1)) return;
  const double n = std::min({c[0], c[1], c[2]});
  const double s = (m - n) / m;
  if (s <= S) return;
  const double Avg = (c[0] + c[1] + c[2]) / 3;
  for (double& x : c) x = std::max((x - Avg) / s * S + Avg, 0.0);
}

void MaskNegatives(double (&c)[3], const float (&In)[3]) {
  const double n = std::min({c[0], c[1], c[2]});
  const double o = std::min({In[0], In[1], In[2]});
  double w = n <= o && n != o ? n / (n - o) : 0;
  w = std::clamp(w, 0.0, 1.0);
  for (int Ch = 0; Ch < 3; ++Ch) c[Ch] = (1 - w) * c[Ch] + w * In[Ch];
}

}  // namespace

TChannelMixerAdjustments::TChannelMixerAdjustments(TParameterList* List)
    : TLUTProcessingUnit(List, "ChannelMixer"),
      Enabled(AddSwitch("Enabled", 0)),
      Darken(AddSingle("Darken", 0.5f)),
      Lighten(AddSingle("Lighten", 0.5f)),
      ChannelMixerGamma(AddSingle("ChannelMixerGamma", 0.542f)),
      ChannelMixerGrid(new TControlledParameterGrid(&Children, "ChannelMixerGrid", 3, 1, -2000,
                                                    2000, -1732, 2000)),
      OffsetR(AddSingle("OffsetR", 0.5f)),
      OffsetG(AddSingle("OffsetG", 0.5f)),
      OffsetB(AddSingle("OffsetB", 0.5f)),
      SaturationLimit(AddSingle("SaturationLimit", 1)),
      AutoGamma(AddSwitch("AutoGamma", 1)),
      LumaMode(AddInteger("LumaMode", 1, 0, 2)),
      CameraCalibration(AddSwitch("CameraCalibration", 0)),
      ClipProtect(AddSwitch("ClipProtect", 0)),
      NegativeMasking(AddSwitch("NegativeMasking", 0)) {
  T2DEnvelopeDots& Grid = ChannelMixerGrid->Grid;
  for (int32_t C = 0; C < 3; ++C) {
    TDotPoint& D = Grid.Dots[size_t(C)][0];
    D.X = MixerDots[C].X;
    D.Y = MixerDots[C].Y;
    D.Color = MixerDots[C].Color;
    D.Pinned = true;
  }
  Grid.StoreAsDefault();
  Grid.ClickOption = false;
}

void TChannelMixerAdjustments::GetMatrix(TChannelMixerParams& Matrix) {
  GridBoxToChannelMixer(&ChannelMixerGrid->Grid, Matrix, LumaMode->Value == 1, MixerGridGeometry,
                        CameraCalibration->Value == 1);
}

void TChannelMixerAdjustments::SetMatrix(const TChannelMixerParams& Matrix) {
  const TChannelMixerParams Copy = Matrix;
  ChannelMixerToGridBox(Copy, &ChannelMixerGrid->Grid, MixerGridGeometry,
                        CameraCalibration->Value == 1);
}

void TChannelMixerAdjustments::Process(T3DLut* Src, T3DLut* Dst,
                                       const TColorModelPreferences& Settings) {
  if (!LutsGiven(Src, Dst, "TChannelMixerAdjustments.Process")) return;
  TChannelMixerParams M;
  ChannelMixerSetDefault(M);
  GetMatrix(M);
  double Offset[3] = {0, 0, 0};
  if (OwnOffsets) {
    Offset[0] = OffsetR->Limited();
    Offset[1] = OffsetG->Limited();
    Offset[2] = OffsetB->Limited();
  }
  float Z[3] = {0, 0, 0};
  const T2DEnvelopeDots& Grid = ChannelMixerGrid->Grid;
  if (Grid.Cols() >= 3 && Grid.Rows() >= 1)
    for (int Row = 0; Row < 3; ++Row) Z[Row] = static_cast<float>(Grid.Dots[size_t(Row)][0].Z);
  const int32_t Luma = LumaMode->Value;
  if (Luma == 2 && !LogInput)
    for (int Row = 0; Row < 3; ++Row) {
      Offset[Row] = std::min(Offset[Row] + Z[Row] / 100.0, 0.99);
      for (int Col = 0; Col < 3; ++Col) M.Matrix[3 * Row + Col] *= 1 - Offset[Row];
    }
  const float Gamma = 3.5f * ChannelMixerGamma->Limited() + 0.5f;
  const bool Linear = AutoGamma->GetAsBoolean();
  ProcessColorModelConversion(*Src, Dst, Linear ? lcsLinearRGB : lcsProfileRGB, &Settings);
  if (Dst->ColorSpace != (Linear ? lcsLinearRGB : lcsProfileRGB)) return;
  if (!Linear) LutLinearToGamma(*Dst, *Dst, ipCustom, Gamma);
  const double kD = 2.0 * Darken->Limited();
  const double kL = 2.0 * Lighten->Limited();
  const double S = SaturationLimit->Limited();
  try {
    const bool Protect = ClipProtect->GetAsBoolean();
    const bool MaskNegative = NegativeMasking->GetAsBoolean();
    const TDotBrightnessCurve Bright[3] = {TDotBrightnessCurve(Z[0]), TDotBrightnessCurve(Z[1]),
                                           TDotBrightnessCurve(Z[2])};
    ParallelForNodes(Dst->Count, [&](int32_t Begin, int32_t End) {
      for (int32_t k = Begin; k < End; ++k) {
        const float In[3] = {Dst->R[k], Dst->G[k], Dst->B[k]};
        double c[3];
        for (int Row = 0; Row < 3; ++Row) {
          const double* m = &M.Matrix[3 * Row];
          c[Row] = Offset[Row] + In[0] * m[0] + In[1] * m[1] + In[2] * m[2];
        }
        for (int Ch = 0; Ch < 3; ++Ch) {
          if (Luma == 0)
            c[Ch] = Bright[Ch](static_cast<float>(std::max(c[Ch], 0.0)));
          c[Ch] = In[Ch] + (c[Ch] - In[Ch]) * (c[Ch] < In[Ch] ? kD : kL);
        }
        const double Largest = std::max({c[0], c[1], c[2]});
        if (Protect) ProtectClipping(c);
        LimitSaturation(c, Largest, S);
        if (MaskNegative) MaskNegatives(c, In);
        Dst->R[k] = static_cast<float>(c[0]);
        Dst->G[k] = static_cast<float>(c[1]);
        Dst->B[k] = static_cast<float>(c[2]);
      }
    });
  } catch (const std::exception&) {
    DebugShowMessage("Exception in ProcessChannelMixer");
    return;
  }
  if (Linear) {
    Dst->ColorSpace = lcsLinearRGB;
  } else {
    LutGammaToLinear(*Dst, *Dst, ipCustom, Gamma);
    Dst->ColorSpace = lcsProfileRGB;
  }
}

}  // namespace kromel
