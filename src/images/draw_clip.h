// Clipping helpers of the drawing routines: the loops of a shape visit only
// what can land inside the image, whatever the coordinates, so work is
// bounded by the image's size.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace kromel::drawclip {

// Fn(k) for the integers of [A1, B1] and [A2, B2] in ascending order, each
// once.
template <class TFn>
void ForUnion(int64_t A1, int64_t B1, int64_t A2, int64_t B2, TFn Fn) {
  if (A1 > B1) {
    A1 = A2;
    B1 = B2;
    A2 = 1;
    B2 = 0;
  }
  if (A1 > B1) return;
  if (A2 <= B2) {
    if (A2 < A1) {
      std::swap(A1, A2);
      std::swap(B1, B2);
    }
    if (A2 <= B1 + 1) {
      B1 = std::max(B1, B2);
      A2 = 1;
      B2 = 0;
    }
  }
  for (int64_t K = A1; K <= B1; ++K) Fn(K);
  for (int64_t K = A2; K <= B2; ++K) Fn(K);
}

// The offsets d in [Lo, Hi] with 0 <= Base + Sign x d < Limit (Sign 1 or -1).
inline void ClipOffsets(int64_t& Lo, int64_t& Hi, int64_t Base, int64_t Sign, int64_t Limit) {
  if (Sign > 0) {
    Lo = std::max(Lo, -Base);
    Hi = std::min(Hi, Limit - 1 - Base);
  } else {
    Lo = std::max(Lo, Base - (Limit - 1));
    Hi = std::min(Hi, Base);
  }
}

// Point k of a line of N steps on one axis: A + D x k / N, the quotient
// truncated, without overflow.
inline int64_t LineAt(int64_t A, int64_t D, int64_t K, int64_t N) {
  return A + int64_t(static_cast<__int128>(D) * K / N);
}

// Narrows [K0, K1] to the steps k whose point A + D x k / N may lie in
// 0..Limit-1 (a step or two more at each end; callers still clip each
// point).
inline void ClipLineSteps(int64_t A, int64_t D, int64_t N, int64_t Limit, int64_t& K0,
                          int64_t& K1) {
  if (D == 0) {
    if (A < 0 || A >= Limit) K1 = K0 - 1;
    return;
  }
  long double Lo = (long double)(-A - 1) * N / D, Hi = (long double)(Limit - A) * N / D;
  if (D < 0) std::swap(Lo, Hi);
  const long double Floor = -1, Ceil = (long double)N + 1;
  K0 = std::max(K0, int64_t(std::clamp(std::floor(Lo) - 1, Floor, Ceil)));
  K1 = std::min(K1, int64_t(std::clamp(std::ceil(Hi) + 1, Floor, Ceil)));
}

// Appends row Y's column ranges Ranges[0..N) (N at most 3), clipped to
// 0..Width-1, sorted and merged, as {Y, first, last} triples: two shapes
// show the same pixels when their lists are equal.
inline void AppendShownRow(std::vector<int64_t>& Out, int64_t Y, std::pair<int64_t, int64_t>* Ranges,
                           int N, int64_t Width) {
  int M = 0;
  for (int J = 0; J < N; ++J) {
    const int64_t A = std::max<int64_t>(Ranges[J].first, 0);
    const int64_t B = std::min<int64_t>(Ranges[J].second, Width - 1);
    if (A > B) continue;
    int P = M++;
    for (; P > 0 && Ranges[P - 1].first > A; --P) Ranges[P] = Ranges[P - 1];
    Ranges[P] = {A, B};
  }
  for (int J = 0; J < M; ++J) {
    if (!Out.empty() && Out[Out.size() - 3] == Y && Ranges[J].first <= Out.back() + 1) {
      Out.back() = std::max(Out.back(), Ranges[J].second);
      continue;
    }
    Out.insert(Out.end(), {Y, Ranges[J].first, Ranges[J].second});
  }
}

// Rings k = 0..Last painted one over the other, each shrinking inside the
// one before and writing whole colours, so a ring's pixels in the image are
// all a later ring's when the two show the same pixels. Up to Plain rings are
// simply painted in turn; beyond that only the last ring of each run showing
// the same pixels (Visible(k), comparable) is painted.
template <class TVisible, class TPaint>
void PaintNestedRings(int64_t Last, int64_t Plain, TVisible Visible, TPaint Paint) {
  if (Last <= Plain) {
    for (int64_t K = 0; K <= Last; ++K) Paint(K);
    return;
  }
  for (int64_t K = 0; K <= Last;) {
    const auto Shown = Visible(K);
    int64_t Lo = K, Hi = Last;
    while (Lo < Hi) {
      const int64_t Mid = Lo + (Hi - Lo + 1) / 2;
      if (Visible(Mid) == Shown)
        Lo = Mid;
      else
        Hi = Mid - 1;
    }
    Paint(Lo);
    K = Lo + 1;
  }
}

}  // namespace kromel::drawclip
