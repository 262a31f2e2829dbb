#include "analysis/master_curve.h"

#include <cmath>

#include "foundation/error_sink.h"

namespace kromel {

namespace {

// Gaps of the work curve before a curve is applied to it.
constexpr int32_t IntermediateStep = 1639;

}  // namespace

void ExtractMasterCurveFromRGB(TEnvelopeDots& R, TEnvelopeDots& G, TEnvelopeDots& B,
                               TEnvelopeDots& Master, bool IntoChannels) {
  try {
    Master.SetAverageOf(&R, &G, &B);
    TEnvelopeDots T;
    for (TEnvelopeDots* C : {&R, &G, &B}) {
      T.CopyFrom(&Master);
      T.Transpose();
      T.AddIntermediateDots(IntermediateStep);
      if (IntoChannels) {
        T.ApplyCurve(C);
        T.ExtendToEnds(false, false, 1.0f);
        C->CopyFrom(&T);
      } else {
        C->ApplyCurve(&T);
      }
    }
  } catch (...) {
    ErrorMessageProc("Exception in ExtractMasterCurveFromRGB");
  }
}

void FoldMasterCurveIntoRGB(TEnvelopeDots& R, TEnvelopeDots& G, TEnvelopeDots& B,
                            const TEnvelopeDots& Master, bool MasterAfter) {
  TEnvelopeDots T;
  for (TEnvelopeDots* C : {&R, &G, &B}) {
    if (MasterAfter) {
      T.CopyFrom(C);
      T.AddIntermediateDots(IntermediateStep);
      T.ApplyCurve(&Master);
    } else {
      T.CopyFrom(&Master);
      T.AddIntermediateDots(IntermediateStep);
      T.ApplyCurve(C);
    }
    C->CopyFrom(&T);
  }
}

bool CurveIsIdentity(const TEnvelopeDots& Curve) {
  TEnvelopeDots Diagonal;
  Diagonal.SetDefault(cdtDiagonal);
  for (int32_t X = 0; X <= 16384; X += 128)
    if (std::fabs(Curve.GetValueS(float(X)) - Diagonal.GetValueS(float(X))) > 1.0f) return false;
  return true;
}

}  // namespace kromel
