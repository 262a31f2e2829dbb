// Colour pair lists: two TImage128 of equal pixel count, pixel i of both
// forming pair i (source and target). The fourth float is a mark, not an
// opacity: on the source 1 usable and 0 excluded, on the target the patch
// weight plus one (0 excluded). Also the Boolean masks kept per pair.
#pragma once
#include <algorithm>
#include <cstdint>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "foundation/error_sink.h"

#include "images/image128.h"

namespace kromel {

using TBooleanArray = std::vector<bool>;
// Receives a percentage; called synchronously by long matching operations.
using TProgressCallback = std::function<void(int32_t)>;

int32_t CountTrueValues(const TBooleanArray& Values);
void FillBooleanArray(TBooleanArray& Values, bool Value);

// Reorders both lists by the smallest colour channel of B, ascending; equal
// keys keep their order. False (nothing changed) when the counts differ.
bool SortImage128PairsByMinimum(TImage128& A, TImage128& B);
// True when no channel of Src falls from one pair to the next; Dst's
// colours are not looked at. False when the counts differ.
bool CheckColorPairsMonotonous(const TImage128& Src, const TImage128& Dst);

// Reorders both lists by Key(B pixel), ascending and stable; the helper of
// the pair sorts. False (with Routine's size message) when counts differ.
// Flags, when given and holding an entry per pair, move with their pairs.
template <class TKey>
bool SortImage128Pairs(TImage128& A, TImage128& B, const char* Routine, TKey Key,
                       TBooleanArray* Flags = nullptr) {
  if (A.Size != B.Size || (A.Size > 0 && (A.Data == nullptr || B.Data == nullptr))) {
    ErrorMessageProc(std::string(Routine) + " error: Src.Size<>Dest.Size");
    return false;
  }
  const size_t N = size_t(std::max(A.Size, 0));
  std::vector<float> Keys(N);
  for (size_t I = 0; I < N; ++I) Keys[I] = Key(B.Data[I]);
  std::vector<size_t> Order(N);
  std::iota(Order.begin(), Order.end(), size_t(0));
  std::stable_sort(Order.begin(), Order.end(),
                   [&Keys](size_t X, size_t Y) { return Keys[Y] > Keys[X]; });
  const std::vector<TBGRAPixel128> OldA(A.Data, A.Data + N), OldB(B.Data, B.Data + N);
  for (size_t I = 0; I < N; ++I) {
    A.Data[I] = OldA[Order[I]];
    B.Data[I] = OldB[Order[I]];
  }
  if (Flags != nullptr && Flags->size() >= N) {
    const TBooleanArray Old(*Flags);
    for (size_t I = 0; I < N; ++I) (*Flags)[I] = Old[Order[I]];
  }
  return true;
}

}  // namespace kromel
