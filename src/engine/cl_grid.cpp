#include "engine/cl_grid.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "colour/colour_models.h"
#include "engine/lut_procedures.h"
#include "foundation/messages.h"
#include "lut/node_workers.h"

namespace kromel {

float CLGridAxisScale(int32_t ColorModel, float Rotation) {
  if (ColorModel >= cmHSPn && ColorModel <= cmHSPItten) return 1;
  const float T = (Rotation - 0.5f) * std::numbers::pi_v<float>;
  return 1 / (std::fabs(std::sin(T)) + std::fabs(std::cos(T)));
}

TCLGridAdjustments::TCLGridAdjustments(TParameterList* List)
    : TLUTProcessingUnit(List, "CLGrid"),
      Enabled(AddSwitch("Enabled", 0)),
      AL(new TControlledParameterGrid(&Children, "AL", 9, 9, -1000, 1000, 0, 1000)),
      BL(new TControlledParameterGrid(&Children, "BL", 9, 9, -1000, 1000, 0, 1000)),
      GridRotation(AddSingle("GridRotation", 0.5f)) {}

void TCLGridAdjustments::Process(T3DLut* Src, T3DLut* Dst, const TColorModelPreferences& Settings) {
  if (Src == nullptr || Dst == nullptr) {
    DebugShowMessage("Error in TCLGridAdjustments.Process: LUT=nil");
    return;
  }
  const uint8_t Preview = PreviewMode;
  const bool OwnPreview = Preview == smTransformAL || Preview == smTransformBL ||
                          Preview == smTransformALImage || Preview == smTransformBLImage;
  const bool ABPreview = Preview == smTransform || Preview == smTransformImage;
  if (!((GridsActive && !ABPreview) || OwnPreview)) {
    CopyLutIfOther(*Src, *Dst);
    return;
  }
  ProcessColorModelConversion(*Src, Dst, lcsCustomColorspace, &Settings);
  if (Dst->ColorSpace != lcsCustomColorspace) return;

  int32_t CurCol = -1, CurRow = -1;
  if (EditedGrid != nullptr && EditedGrid->CurCol >= 0) {
    CurCol = EditedGrid->CurCol;
    CurRow = EditedGrid->CurRow;
  }
  const float Theta = (GridRotation->Limited() - 0.5f) * std::numbers::pi_v<float>;
  const float s = std::sin(Theta), c = std::cos(Theta), K = AxisScale;
  const T2DEnvelopeDots& GridA = AL->Grid;
  const T2DEnvelopeDots& GridB = BL->Grid;
  const int32_t NA = GridA.Cols(), MA = GridA.Rows();
  const int32_t NB = GridB.Cols(), MB = GridB.Rows();
  ParallelForNodes(Dst->Count, [&](int32_t Begin, int32_t End) {
    for (int32_t k = Begin; k < End; ++k) {
      float L = Dst->R[k], A = Dst->G[k], B = Dst->B[k];
      const float U = (10 * A * c - 10 * B * s) * K;
      const float V = (10 * A * s + 10 * B * c) * K;
      // The grids snap points outside their 0..1000 lightness range to the
      // border, so a negative lightness is raised to 0 here, not only after.
      L = std::clamp(L, 0.0f, 100.0f);
      const float Y = 10 * L;
      if (OwnPreview) {
        const bool OnAL = Preview == smTransformAL || Preview == smTransformALImage;
        float X = OnAL ? U : V, Yp = Y, Z = 0, Sel = 0;
        const T2DEnvelopeDots& G = OnAL ? GridA : GridB;
        if (Preview == smTransformALImage || Preview == smTransformBLImage)
          G.InterpolationSelectionDot(X, Yp, Z, Sel, CurCol, CurRow);
        else
          G.InterpolationSelection(X, Yp, Z, Sel);
        L = 100 * Sel;
      } else {
        float U1 = U, YA = Y, ZA = 0;
        GridA.Interpolation(U1, YA, ZA, NA, MA);
        float dU = U1 - U, dY = YA - Y, dV = ZA * CLGridZScale;
        float V1 = V, YB = Y, ZB = 0;
        GridB.Interpolation(V1, YB, ZB, NB, MB);
        dV += V1 - V;
        dY += YB - Y;
        dU += ZB * CLGridZScale;
        L += dY / 10;
        if (K != 0) {
          A += (dU * c + dV * s) / (10 * K);
          B += (dV * c - dU * s) / (10 * K);
        }
      }
      Dst->R[k] = std::max(L, 0.0f);
      Dst->G[k] = A;
      Dst->B[k] = B;
    }
  });
}

}  // namespace kromel
