#include "engine/curves_2d.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "engine/lut_procedures.h"
#include "foundation/messages.h"
#include "foundation/number_format.h"
#include "foundation/numeric.h"
#include "lut/node_workers.h"

namespace kromel {

T2DCurvesAdjustments::T2DCurvesAdjustments(TParameterList* List)
    : TLUTProcessingUnit(List, "2DCurves"),
      Enabled(AddSwitch("Enabled", 0)),
      Blend(AddSingle("Blend", 0.5f)),
      RBEnabled(AddSwitch("RBEnabled", 0)),
      RGEnabled(AddSwitch("RGEnabled", 0)),
      GBEnabled(AddSwitch("GBEnabled", 0)),
      Proportional(AddSwitch("Proportional", 0)),
      RB(new TControlledParameterGrid(&Children, "RB", 7, 7, 0, 1000, 0, 1000)),
      RG(new TControlledParameterGrid(&Children, "RG", 7, 7, 0, 1000, 0, 1000)),
      GB(new TControlledParameterGrid(&Children, "GB", 7, 7, 0, 1000, 0, 1000)) {
  ProcessType = ptProcess2i;
}

namespace {

// One stage: the grid's two channels (X, Y) and the third one (T), by
// reference into the node's R, G, B.
struct TStage {
  const T2DEnvelopeDots* Own;             // the parameter's grid (previews)
  std::unique_ptr<T2DEnvelopeDots> Work;  // resampled copy, null when off
  uint8_t PreviewA, PreviewB;
  int XCh, YCh, TCh;  // channel indices 0 R, 1 G, 2 B
  bool LimitRatio;
  int32_t Cols = 0, Rows = 0;  // of Work
};

}  // namespace

void T2DCurvesAdjustments::Process2i(T3DLut* Src, T3DLut* Src2, T3DLut* Src3, T3DLut* Dst,
                                     const TColorModelPreferences& Settings) {
  if (Src == nullptr || Dst == nullptr) {
    DebugShowMessage("Error in T2DCurvesAdjustments.Process2i: LUT=nil");
    return;
  }
  if ((Src2 != nullptr && !LutShapesMatch(*Src, *Src2, "Process2DCurves")) ||
      (Src3 != nullptr && !LutShapesMatch(*Src, *Src3, "Process2DCurves")))
    return;
  const float F = 2 * Blend->Limited();
  ProcessColorModelConversion(*Src, Dst, lcsProfileRGB, &Settings);
  if (Dst->ColorSpace != lcsProfileRGB) return;
  if (Src2 != nullptr) Src2->ColorSpace = lcsProfileRGB;
  if (Src3 != nullptr) Src3->ColorSpace = lcsProfileRGB;
  if (EditedGrid == nullptr) PreviewMode = smNone;

  TStage Stages[3] = {{&RB->Grid, nullptr, smCurves2DRB, smCurves2DRBImage, 2, 0, 1, false},
                      {&RG->Grid, nullptr, smCurves2DRG, smCurves2DRGImage, 0, 1, 2, false},
                      {&GB->Grid, nullptr, smCurves2DGB, smCurves2DGBImage, 2, 1, 0, true}};
  const bool On[3] = {RBEnabled->Value > 0, RGEnabled->Value > 0, GBEnabled->Value > 0};
  try {
    for (int S = 0; S < 3; ++S)
      if (On[S]) {
        Stages[S].Work = std::make_unique<T2DEnvelopeDots>();
        Stages[S].Work->Assign(*Stages[S].Own);
        Stages[S].Work->Resize(14, 14, false, 0);
        Stages[S].Cols = Stages[S].Work->Cols();
        Stages[S].Rows = Stages[S].Work->Rows();
      }
  } catch (...) {
    DebugShowMessage("Exception in Process2DCurves 1");
  }
  const bool Prop = Proportional->Value > 0;
  T3DLut* Outputs[2] = {Src2, Src3};
  ParallelForNodes(Dst->Count, [&](int32_t Begin, int32_t End) {
    float C[3] = {0, 0, 0};
    float TmpR = 0;
    try {
      for (int32_t k = Begin; k < End; ++k) {
        C[0] = std::max(Dst->R[k] * 1000, 0.0f);
        C[1] = std::max(Dst->G[k] * 1000, 0.0f);
        C[2] = std::max(Dst->B[k] * 1000, 0.0f);
        TmpR = C[0];
        bool Previewed = false;
        for (int S = 0; S < 3 && !Previewed; ++S) {
          TStage& St = Stages[S];
          if (!St.Work) continue;
          const float C0[3] = {C[0], C[1], C[2]};
          float X = C[St.XCh], Y = C[St.YCh], Z = 0;
          if ((PreviewMode == St.PreviewA || PreviewMode == St.PreviewB) && EditedGrid == St.Own) {
            float W = 0;
            St.Own->InterpolationSelectionDot(X, Y, Z, W, EditedGrid->CurCol, EditedGrid->CurRow);
            Dst->R[k] = Clamp01((2 * W * C[0] + W) / 1000);
            Dst->G[k] = Clamp01((2 * W * C[1] + W) / 1000);
            Dst->B[k] = Clamp01((2 * W * C[2] + W) / 1000);
            Previewed = true;
            break;
          }
          St.Work->Interpolation(X, Y, Z, St.Cols, St.Rows);
          C[St.XCh] = X;
          C[St.YCh] = Y;
          float& T = C[St.TCh];
          if (Prop) {
            const float Sum0 = C0[St.XCh] + C0[St.YCh];
            float K = 1;
            if (Sum0 > 0.001f) {
              K = (X + Y) / Sum0;
              if (St.LimitRatio) K = std::min(K, 2.0f);
              const float M = (C0[0] + C0[1] + C0[2]) / 3;
              const float N = std::max(
                  0.0f,
                  1 - (std::fabs(C0[0] - M) + std::fabs(C0[1] - M) + std::fabs(C0[2] - M)) / M / 3);
              K = N * (K - 1) + 1;
            }
            T *= K;
            const float Top = std::min(std::min(X, Y) + 1000 - std::max(X, Y), 999.0f);
            const float U = std::min(Top / (K + 0.000001f), 999.0f);
            if (T > Top && K > 1) T = (1000 - Top) * (C0[St.TCh] - U) / (1000 - U) + Top;
          }
          T = Curves2DZBend(T, Z);
          if (S < 2 && Outputs[S] != nullptr) {
            Outputs[S]->R[k] = C[0] / 1000;
            Outputs[S]->G[k] = C[1] / 1000;
            Outputs[S]->B[k] = C[2] / 1000;
          }
        }
        if (Previewed) continue;
        Dst->R[k] = Clamp01(C[0] / 1000 * F + (1 - F) * Dst->R[k]);
        Dst->G[k] = Clamp01(C[1] / 1000 * F + (1 - F) * Dst->G[k]);
        Dst->B[k] = Clamp01(C[2] / 1000 * F + (1 - F) * Dst->B[k]);
      }
    } catch (...) {
      DebugShowMessage("Exception in Process2DCurves, TmpR=" + FloatToStrD1(TmpR) +
                       ", ResR=" + FloatToStrD1(C[0]) + ", ResG=" + FloatToStrD1(C[1]) +
                       ", ResB=" + FloatToStrD1(C[2]));
    }
  });
}

}  // namespace kromel
