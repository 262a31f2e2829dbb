#include "engine/ab_grid.h"

#include "colour/colour_model_prefs.h"
#include "colour/colour_models.h"
#include "engine/ab_grid_maths.h"
#include "engine/lut_procedures.h"
#include "foundation/messages.h"
#include "lut/node_workers.h"

namespace kromel {

TABGridAdjustments::TABGridAdjustments(TParameterList* List)
    : TLUTProcessingUnit(List, "ABGrid"),
      Enabled(AddSwitch("Enabled", 0)),
      Highlights(
          new TControlledParameterGrid(&Children, "Highlights", 9, 9, -1000, 1000, -1000, 1000)),
      Shadows(new TControlledParameterGrid(&Children, "Shadows", 9, 9, -1000, 1000, -1000, 1000)),
      HSThreshold(AddSingle("HSThreshold", 0.5f)),
      AffectShadows(AddSwitch("AffectShadows", 1)),
      AffectHighlights(AddSwitch("AffectHighlights", 1)),
      Double(AddSwitch("Double", 0)),
      LumaMode(AddInteger("LumaMode", 0, 0, 3)),
      Brightness(AddSingle("Brightness", 0.5f)) {
  ProcessType = ptProcess1i;
}

namespace {

// A grid sample: the moved point, its Z and the selection strength.
struct TGridSample {
  float X, Y, Z = 0, Sel = 0;
};

// Preview 5: the current dot's weight; preview 2: the selection; otherwise
// the plain displacement (when Move is set; else the point stays).
TGridSample SampleGrid(const T2DEnvelopeDots& Grid, int32_t N, int32_t M, float X, float Y,
                       uint8_t Preview, bool Move, int32_t CurCol, int32_t CurRow) {
  TGridSample S{X, Y};
  if (Preview == smTransformImage)
    Grid.InterpolationSelectionDot(S.X, S.Y, S.Z, S.Sel, CurCol, CurRow);
  else if (Preview == smTransform)
    Grid.InterpolationSelection(S.X, S.Y, S.Z, S.Sel);
  else if (Move)
    Grid.Interpolation(S.X, S.Y, S.Z, N, M);
  return S;
}

}  // namespace

void TABGridAdjustments::Process1i(T3DLut* Src, T3DLut* Dst1, T3DLut* Dst2,
                                   const TColorModelPreferences& Settings) {
  if (Src == nullptr || Dst2 == nullptr) {
    DebugShowMessage("Exception in ProcessTransform 1");
    return;
  }
  if (Dst1 != nullptr && !LutShapesMatch(*Src, *Dst1, "ProcessTransform")) return;
  ProcessColorModelConversion(*Src, Dst2, lcsCustomColorspace, &Settings);
  if (Dst2->ColorSpace != lcsCustomColorspace) return;

  const uint8_t Preview = PreviewMode;
  const bool SelectionPreview = Preview == smTransform || Preview == smTransformImage;
  bool S = AffectShadows->Value > 0 && Enabled->Value > 0;
  bool H = AffectHighlights->Value > 0 && Enabled->Value > 0;
  if (SelectionPreview) S = H = true;
  const float Off = ApplyBrightness ? 1 - 2 * Brightness->Limited() : 0;
  const float E = ABHighlightExponent(HSThreshold->Limited());
  const bool Dbl = Double->Value > 0;
  const int32_t Mode = LumaMode->Value;
  int32_t CurCol = -1, CurRow = -1;
  if (EditedGrid != nullptr && EditedGrid->CurCol >= 0) {
    CurCol = EditedGrid->CurCol;
    CurRow = EditedGrid->CurRow;
  }
  const T2DEnvelopeDots& GridH = Highlights->Grid;
  const T2DEnvelopeDots& GridS = Shadows->Grid;
  const int32_t NH = GridH.Cols(), MH = GridH.Rows();
  const int32_t NS = GridS.Cols(), MS = GridS.Rows();
  const TVariableToRGBSingleProc Inverse = WorkingInverse(Settings);

  ParallelForNodes(Dst2->Count, [&](int32_t Begin, int32_t End) {
    for (int32_t k = Begin; k < End; ++k) {
      const float L = Dst2->R[k], A = Dst2->G[k], B = Dst2->B[k];
      const float W = ABHighlightWeight(L, E);
      if (Preview == smShadowsHighlights) {
        Dst2->R[k] = W;
        Dst2->G[k] = 0.5f;
        Dst2->B[k] = 1 - W;
        continue;
      }
      const float X = 10 * A, Y = 10 * B;
      float X1, Y1, Z1, Sel;
      if (Dbl) {
        const TGridSample Hs = SampleGrid(GridH, NH, MH, X, Y, Preview, H, CurCol, CurRow);
        const TGridSample Ss = SampleGrid(GridS, NS, MS, X, Y, Preview, S, CurCol, CurRow);
        X1 = (1 - W) * Ss.X + W * Hs.X;
        Y1 = (1 - W) * Ss.Y + W * Hs.Y;
        Z1 = (1 - W) * Ss.Z + W * Hs.Z;
        Sel = (1 - W) * Ss.Sel + W * Hs.Sel;
      } else {
        const float K = H && S ? 1 : (H ? W : (S ? 1 - W : 0));
        const TGridSample Hs = SampleGrid(GridH, NH, MH, X, Y, Preview, H || S, CurCol, CurRow);
        X1 = (1 - K) * X + K * Hs.X;
        Y1 = (1 - K) * Y + K * Hs.Y;
        Z1 = K * Hs.Z;
        Sel = Hs.Sel;
      }
      const float A1 = X1 / 10, B1 = Y1 / 10;
      const float D = Z1 / 127 - Off;
      const float L1 = SelectionPreview ? 100 * Sel : LumaModeLightness(Mode, L, D);
      if (Dst1 != nullptr) Inverse(L1, A1, B1, Dst1->R[k], Dst1->G[k], Dst1->B[k]);
      Dst2->R[k] = L1;
      Dst2->G[k] = A1;
      Dst2->B[k] = B1;
    }
  });
  if (Preview == smShadowsHighlights) {
    Dst2->ColorSpace = lcsProfileRGB;
  } else if (Dst1 != nullptr) {
    Dst1->ColorSpace = lcsProfileRGB;
    Dst1->ColorModelPreferences = Settings;
  }
}

void TABGridAdjustments::TransformLab(TLABAPixel128& Dst, const TLABAPixel128& Src) const {
  float X = Src.A * 10, Y = Src.B * 10, Z = 0;
  Highlights->Grid.Interpolation(X, Y, Z);
  Dst = {Src.L, X / 10, Y / 10, Src.Alpha};
}

void TABGridAdjustments::TransformColor(THSLPixel128& Dst, const THSLPixel128& Src) const {
  TLABAPixel128 Lab = HSLtoLabPolar(Src), Moved;
  TransformLab(Moved, Lab);
  Dst = Src;
  LabPolartoHSL(Dst.H, Dst.S, Dst.L, Moved);
}

}  // namespace kromel
