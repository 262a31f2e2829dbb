#include "engine/master_unit.h"

#include <algorithm>
#include <cmath>

#include "colour/colour_models.h"
#include "colour/hsp_models.h"
#include "colour/hsv_hsl.h"
#include "colour/rgb_lab_xyz.h"
#include "foundation/error_sink.h"
#include "foundation/numeric.h"
#include "lut/lut_smooth.h"
#include "lut/node_workers.h"

namespace kromel {

float MasterBlendValue(int32_t Mode, float W, float D) {
  switch (Mode) {
    case mbmLighten:
      return std::max(W, D);
    case mbmDarken:
      return std::min(W, D);
    case mbmMultiply:
      return W * D;
    case mbmScreen:
      return 1 - (1 - D) * (1 - W);
    case mbmOverlay:
      return D < 0.5f ? 2 * W * D : 1 - 2 * (1 - W) * (1 - D);
    case mbmSoftLight:
      return W < 0.5f ? (1 - 2 * W) * D * D + 2 * W * D
                      : (2 * W - 1) * std::sqrt(std::max(D, 0.0f)) + 2 * (1 - W) * D;
    case mbmLinearLight:
      return 2 * W + D - 1;
    case mbmLLDifference:
      return (W - D) * 0.5f + 0.5f;
    default:
      return W;
  }
}

void MasterModelPair(int32_t Model, TRGBToVariableSingleProc& Forward,
                     TVariableToRGBSingleProc& Inverse) {
  switch (Model) {
    case 1:
      Forward = &RGBtoSXYSingle;
      Inverse = &SXYtoRGBSingle;
      break;
    case 2:
      Forward = &RGBtoHSP3ModelSingle;
      Inverse = &HSP3ModeltoRGBSingle;
      break;
    case 3:
      Forward = &RGBtoYUVSingle;
      Inverse = &YUVtoRGBSingle;
      break;
    default:
      Forward = &RGBtoLABSingle;
      Inverse = &LABtoRGBSingle;
      break;
  }
}

TMasterAdjustments::TMasterAdjustments(TParameterList* List)
    : TLUTProcessingUnit(List, "Master"),
      MasterSwitch(AddSwitch("MasterSwitch", 0)),
      BlendingMode(AddInteger("BlendingMode", 0, 0, 10)),
      ColorModel(AddInteger("ColorModel", 0, 0, 3)),
      Blend(AddSingle("Blend", 0.75f)),
      Luminance(AddSingle("Luminance", 0.75f)),
      Hue(AddSingle("Hue", 0.75f)),
      Saturation(AddSingle("Saturation", 0.75f)),
      Smooth(AddSwitch("Smooth", 0)) {
  ProcessType = ptProcessCombine;
}

void TMasterAdjustments::ProcessCombine(T3DLut* Wet, T3DLut* Dry, T3DLut* Dst,
                                        const TColorModelPreferences&) {
  if (Wet == nullptr || Dst == nullptr) {
    ErrorMessageProc("ProcessLUTGrandMaster error: no LUT");
    return;
  }
  if (Wet->ColorSpace != lcsProfileRGB)
    ErrorMessageProc("TMasterAdjustments.ProcessCombine src not in profile");
  if (Dry != nullptr && Dry->ColorSpace != lcsProfileRGB)
    ErrorMessageProc("TMasterAdjustments.ProcessCombine srcDry not in profile: " +
                     LUTColorSpaceName(Dry->ColorSpace));
  const int32_t Mode = BlendingMode->Value;
  const float kB = MasterFactor(Blend->Limited());
  const float kL = MasterFactor(Luminance->Limited());
  const float kH = MasterFactor(Hue->Limited());
  const float kS = MasterFactor(Saturation->Limited());
  TRGBToVariableSingleProc Forward = nullptr;
  TVariableToRGBSingleProc Inverse = nullptr;
  MasterModelPair(ColorModel->Value, Forward, Inverse);
  // A dry LUT of another size would be read beyond its planes.
  if (Wet->Size != Dst->Size || (Dry != nullptr && Dry->Size != Wet->Size)) {
    ErrorMessageProc("ProcessLUTGrandMaster error: Sizes different");
    return;
  }
  if (Wet == Dry) {
    ErrorMessageProc("ProcessLUTGrandMaster error: Source=Destination");
    return;
  }
  if (Mode == mbmNormal && kB == 1 && kL == 1 && kH == 1 && kS == 1 && Smooth->Value == 0) {
    Dst->CopyFrom(*Wet);
    return;
  }
  try {
    const int32_t N = Wet->Size;
    const float Step = N > 1 ? 1.0f / static_cast<float>(N - 1) : 0;
    ParallelForNodes(N * N * N, [&](int32_t Begin, int32_t End) {
      for (int32_t k = Begin; k < End; ++k) {
        const int32_t r = k % N, g = k / N % N, b = k / N / N;
        float wR = Wet->R[k], wG = Wet->G[k], wB = Wet->B[k];
        float dR, dG, dB;
        if (Dry != nullptr) {
          dR = Dry->R[k];
          dG = Dry->G[k];
          dB = Dry->B[k];
        } else {
          dR = static_cast<float>(r) * Step;
          dG = static_cast<float>(g) * Step;
          dB = static_cast<float>(b) * Step;
        }
        if ((Mode == mbmOverlay || Mode == mbmSoftLight) && wR < 0) wR = 0;
        wR = MasterBlendValue(Mode, wR, dR);
        wG = MasterBlendValue(Mode, wG, dG);
        wB = MasterBlendValue(Mode, wB, dB);
        float Lw, Aw, Bw, Ld, Ad, Bd;
        Forward(wR, wG, wB, Lw, Aw, Bw);
        Forward(dR, dG, dB, Ld, Ad, Bd);
        const float L = (Lw - Ld) * kL + Ld;
        float A = (Aw - Ad) * kH + Ad;
        float B = (Bw - Bd) * kH + Bd;
        float Cw = std::sqrt(Aw * Aw + Bw * Bw);
        const float Cd = std::sqrt(Ad * Ad + Bd * Bd);
        if (Mode == mbmMoreSat) Cw = std::max(Cw, Cd);
        if (Mode == mbmLessSat) Cw = std::min(Cw, Cd);
        const float C = (Cw - Cd) * kS + Cd;
        const float Cn = std::sqrt(A * A + B * B);
        float F = Cn > 0 ? C / Cn : 1;
        F = std::clamp(F, 0.0f, 10.0f);
        A *= F;
        B *= F;
        float oR, oG, oB;
        Inverse(L, A, B, oR, oG, oB);
        Dst->R[k] = Clamp01((1 - kB) * dR + kB * oR);
        Dst->G[k] = Clamp01((1 - kB) * dG + kB * oG);
        Dst->B[k] = Clamp01((1 - kB) * dB + kB * oB);
      }
    });
    Dst->ColorSpace = lcsProfileRGB;
    if (Smooth->Value > 0) SmoothHueLumHSL(*Dst, 1);
  } catch (...) {
    ErrorMessageProc("Exception in ProcessLUTGrandMaster");
  }
}

}  // namespace kromel
