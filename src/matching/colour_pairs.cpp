#include "matching/colour_pairs.h"

#include <algorithm>

#include "images/pixel128.h"

namespace kromel {

int32_t CountTrueValues(const TBooleanArray& Values) {
  return int32_t(std::count(Values.begin(), Values.end(), true));
}

void FillBooleanArray(TBooleanArray& Values, bool Value) {
  std::fill(Values.begin(), Values.end(), Value);
}

bool SortImage128PairsByMinimum(TImage128& A, TImage128& B) {
  return SortImage128Pairs(A, B, "SortImage128PairsByMinimum",
                           [](const TBGRAPixel128& P) { return Pixel128Min(P); });
}

bool CheckColorPairsMonotonous(const TImage128& Src, const TImage128& Dst) {
  if (Src.Size != Dst.Size) {
    ErrorMessageProc("CheckColorPairsMonotonous error: Src.Size<>Dest.Size");
    return false;
  }
  for (int32_t I = 1; I < Src.Size; ++I) {
    const TBGRAPixel128 &P = Src.Data[I - 1], &Q = Src.Data[I];
    if (Q.R < P.R || Q.G < P.G || Q.B < P.B) return false;
  }
  return true;
}

}  // namespace kromel
