#include "engine/model_curves.h"

#include <cmath>

#include "engine/lut_procedures.h"
#include "foundation/messages.h"
#include "lut/node_workers.h"

namespace kromel {

namespace {

constexpr float ChromaScale = 130;

TControlledParameterCurve* AddCurve(TParameterList& List, const char* Name, TCurveDefaultType Kind,
                                    int32_t FlatY, int32_t Colour) {
  auto* P = new TControlledParameterCurve(&List, Name, Kind);
  if (Kind == cdtDiagonal)
    P->Curve.ResetDiagonal(2);
  else
    P->Curve.ResetHorizontal(FlatY, 2);
  P->Curve.Color = Colour;
  return P;
}

std::string NodeText(int32_t r, int32_t g, int32_t b) {
  return " R=" + std::to_string(r) + " G=" + std::to_string(g) + " B=" + std::to_string(b);
}

}  // namespace

TModelCurvesAdjustments::TModelCurvesAdjustments(TParameterList* List)
    : TLUTProcessingUnit(List, "ModelCurves"),
      Luminance(AddCurve(Children, "Luminance", cdtDiagonal, 0, 0xB0B0B0)),
      SatLuma(AddCurve(Children, "SatLuma", cdtHorizontalMiddle, 16387, 0xA0B0D0)),
      LumaSat(AddCurve(Children, "LumaSat", cdtHorizontalMiddle, 16387, 0xA0D0B0)),
      Saturation(AddCurve(Children, "Saturation", cdtDiagonal, 0, 0xD0B0A0)),
      Enabled(AddSwitch("Enabled", 0)),
      LuminanceCurveEnabled(AddSwitch("LuminanceCurveEnabled", 0)),
      LumaSatCurveEnabled(AddSwitch("LumaSatCurveEnabled", 0)),
      SatLumaCurveEnabled(AddSwitch("SatLumaCurveEnabled", 0)),
      SaturationCurveEnabled(AddSwitch("SaturationCurveEnabled", 0)) {}

float TModelCurvesAdjustments::GetLuminanceCurveValue(float X) const {
  return Luminance->Curve.GetValueS(X * 16384) / 32767;
}

void TModelCurvesAdjustments::Process(T3DLut* Src, T3DLut* Dst,
                                      const TColorModelPreferences& Settings) {
  if (Src == nullptr || Dst == nullptr) {
    DebugShowMessage("Error in TModelCurvesAdjustments.Process: LUT=nil");
    return;
  }
  if (Enabled->Value <= 0) {
    CopyLutIfOther(*Src, *Dst);
    return;
  }
  ProcessColorModelConversion(*Src, Dst, lcsCustomColorspace, &Settings);
  if (Dst->ColorSpace != lcsCustomColorspace) return;
  const bool DoLuminance = LuminanceCurveEnabled->Value > 0;
  const bool DoSatLuma = SatLumaCurveEnabled->Value > 0;
  const bool DoLumaSat = LumaSatCurveEnabled->Value > 0;
  const bool DoSaturation = SaturationCurveEnabled->Value > 0;
  const float PreviewL = static_cast<float>(PreviewLightness);
  const int32_t N = Dst->Size;
  ParallelForNodes(N * N * N, [&](int32_t Begin, int32_t End) {
    int32_t k = Begin;
    try {
      for (; k < End; ++k) {
        float L = Dst->R[k], A = Dst->G[k], B = Dst->B[k];
        const float L0 = L;
        if (DoLuminance) L = Luminance->Curve.GetValueS(L / 100 * 16384) / 32767 * 100;
        if (DoSatLuma) {
          const float F = SatLuma->Curve.GetValueS(L0 / 100 * 16384) / 16384;
          A *= F;
          B *= F;
        }
        if (LightnessPreview) L = std::max(100 - 10 * std::fabs(L0 - PreviewL), 0.0f);
        if (DoLumaSat && !LightnessPreview && L > 0) {
          const float C = std::sqrt(A * A + B * B);
          const float V = LumaSat->Curve.GetValueS(C / ChromaScale * 16384) / 32768 * 2 - 1;
          if (V > 0)
            L = std::atan(4 * V * L / 100) / std::atan(4 * V) * 100;
          else
            L = std::pow(L / 100, 1 - V) * 100;
        }
        if (DoSaturation) {
          const float C = std::max(std::sqrt(A * A + B * B), 0.0001f);
          const float C1 =
              Saturation->Curve.GetValueS(C / ChromaScale * 16384) / 32768 * ChromaScale;
          A = A * C1 / C;
          B = B * C1 / C;
        }
        Dst->R[k] = L;
        Dst->G[k] = A;
        Dst->B[k] = B;
      }
    } catch (...) {
      DebugShowMessage("Exception in ProcessModelCurves2" + NodeText(k % N, k / N % N, k / N / N));
    }
  });
}

}  // namespace kromel
