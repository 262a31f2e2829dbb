// The dot-grid model: spreading the pinned dots to the unpinned ones by
// linear fills along rows and columns, in stages of growing reach.
//
// States: 100 pinned, 0 empty, 1 filled between pins, 2/3 candidate and
// accepted near-reach fill, 4/5 the same for the second stage, 6 the final
// sweep (rectangular grids only).
#include <algorithm>
#include <cstdlib>
#include <exception>

#include "foundation/messages.h"
#include "params/dot_grid.h"
#include "params/envelope_math.h"

namespace kromel {

namespace {

constexpr int16_t StateEmpty = 0;
constexpr int16_t StateBetweenPins = 1;
constexpr int16_t StateNearCandidate = 2;
constexpr int16_t StateNearAccepted = 3;
constexpr int16_t StateSecondCandidate = 4;
constexpr int16_t StateSecondAccepted = 5;
constexpr int16_t StateSweep = 6;

// One row (dots (k, Fixed)) or one column (dots (Fixed, k)) of the grid.
struct TLine {
  TDotColumns& Dots;
  bool IsRow;
  int32_t Fixed;

  TDotPoint& At(int32_t K) const {
    return IsRow ? Dots[size_t(K)][size_t(Fixed)] : Dots[size_t(Fixed)][size_t(K)];
  }
  // The normalised position used by pattern mode.
  float Pos(int32_t K) const { return IsRow ? At(K).U : At(K).V; }
};

void AddTo(TDotPoint& P, int32_t DX, int32_t DY, int32_t DZ) {
  P.X = SatInt32(int64_t(P.X) + DX);
  P.Y = SatInt32(int64_t(P.Y) + DY);
  P.Z = SatInt32(int64_t(P.Z) + DZ);
  if (P.Count < 32767) ++P.Count;
}

void Average(TDotPoint& P) {
  if (P.Count > 0) {
    P.X /= P.Count;
    P.Y /= P.Count;
    P.Z /= P.Count;
  }
  P.Count = 0;
}

void Clear(TDotPoint& P) {
  P.X = P.Y = P.Z = 0;
  P.Count = 0;
  P.State = StateEmpty;
}

// Adds to every dot strictly between A < B whose state Into accepts the
// linear mix of the two ends, and gives it NewState.
template <class TInto>
void Fill(const TLine& L, int32_t A, int32_t B, int16_t NewState, bool Pattern, TInto Into) {
  const TDotPoint& PA = L.At(A);
  const TDotPoint& PB = L.At(B);
  float Span = L.Pos(B) - L.Pos(A);
  if (Span < 0.0000001f) Span = 1;
  for (int32_t K = A + 1; K < B; ++K) {
    TDotPoint& P = L.At(K);
    if (!Into(P.State)) continue;
    const auto Mix = [&](int32_t QA, int32_t QB) {
      if (Pattern) {
        const float T = (L.Pos(K) - L.Pos(A)) / Span;
        return RoundToInt32(float(QA) * (1 - T) + float(QB) * T);
      }
      return RoundToInt32(double(QA) * (B - K) / (B - A) + double(QB) * (K - A) / (B - A));
    };
    AddTo(P, Mix(PA.X, PB.X), Mix(PA.Y, PB.Y), Mix(PA.Z, PB.Z));
    P.State = NewState;
  }
}

// From index I along L in direction Step: the first dot that IsFree does
// not accept, or -1. In pattern mode an Empty dot ends the search with -1.
template <class TFree>
int32_t FindAnchor(const TLine& L, int32_t Length, int32_t I, int32_t Step, bool Pattern,
                   TFree IsFree) {
  for (int32_t K = I + Step; K >= 0 && K < Length; K += Step) {
    const TDotPoint& P = L.At(K);
    if (Pattern && P.Empty) return -1;
    if (!IsFree(P.State)) return K;
  }
  return -1;
}

}  // namespace

void T2DEnvelopeDots::SpreadDots(bool Pattern) {
  const int32_t N = Cols();
  const int32_t M = Rows();
  if (N == 0 || M == 0) return;
  const auto Row = [&](int32_t R) { return TLine{Dots, true, R}; };
  const auto Column = [&](int32_t C) { return TLine{Dots, false, C}; };
  const auto ForEach = [&](auto Fn) {
    for (int32_t C = 0; C < N; ++C)
      for (int32_t R = 0; R < M; ++R) Fn(C, R, Dots[size_t(C)][size_t(R)]);
  };

  // The centre (and, except in pattern mode, the rim) of a circular grid.
  if (Circular)
    for (int32_t C = 0; C < N; ++C) {
      Dots[size_t(C)][0].Pinned = true;
      if (!Pattern) Dots[size_t(C)][size_t(M - 1)].Pinned = true;
    }

  ForEach([](int32_t, int32_t, TDotPoint& P) {
    if (P.Pinned) {
      P.State = DotStatePinned;
    } else {
      P.State = StateEmpty;
      P.X = P.Y = P.Z = 0;
    }
    P.Count = 0;
  });

  // Between the nearest pins of each row and column.
  const auto Anything = [](int16_t) { return true; };
  ForEach([&](int32_t C, int32_t R, TDotPoint& P) {
    if (!P.Pinned) return;
    if (!Circular) {
      int32_t C2 = C - 1;
      while (C2 >= 0 && !Dots[size_t(C2)][size_t(R)].Pinned) --C2;
      if (C2 >= 0) Fill(Row(R), C2, C, StateBetweenPins, Pattern, Anything);
    }
    int32_t R2 = R - 1;
    while (R2 >= 0 && !Dots[size_t(C)][size_t(R2)].Pinned) --R2;
    if (R2 >= 0) Fill(Column(C), R2, R, StateBetweenPins, Pattern, Anything);
  });
  ForEach([](int32_t, int32_t, TDotPoint& P) {
    if (P.State == StateBetweenPins && P.Count > 0) Average(P);
  });

  // Near reach: fills from each source towards an anchor less than P dots
  // away; a candidate survives a pass only with MinCount contributions.
  const int32_t Passes = std::max(N, M);
  const auto NearReach = [&](auto IsSource, int16_t Candidate, int16_t Accepted, int16_t MinCount) {
    const auto IsFree = [Candidate](int16_t S) { return S == StateEmpty || S == Candidate; };
    for (int32_t Pass = 1; Pass <= Passes; ++Pass) {
      ForEach([&](int32_t C, int32_t R, TDotPoint& P) {
        if (!IsSource(P.State)) return;
        const auto Try = [&](const TLine& L, int32_t Length, int32_t I, int32_t Step) {
          const int32_t K = FindAnchor(L, Length, I, Step, Pattern, IsFree);
          if (K < 0 || std::abs(K - I) >= Pass) return;
          Fill(L, std::min(I, K), std::max(I, K), Candidate, Pattern, IsFree);
        };
        if (!Circular) {
          Try(Row(R), N, C, -1);
          Try(Row(R), N, C, +1);
        }
        Try(Column(C), M, R, -1);
        Try(Column(C), M, R, +1);
      });
      ForEach([&](int32_t, int32_t, TDotPoint& P) {
        if (P.State == Candidate && P.Count >= MinCount) {
          Average(P);
          P.State = Accepted;
        } else if (IsFree(P.State)) {
          Clear(P);
        }
      });
    }
  };
  NearReach([](int16_t S) { return S == DotStatePinned; }, StateNearCandidate, StateNearAccepted, 2);
  NearReach([](int16_t S) { return S == StateNearAccepted || S == DotStatePinned; },
            StateSecondCandidate, StateSecondAccepted, 1);

  // Final sweep to the left and upwards, at any distance.
  if (!Circular) {
    const auto IsFree = [](int16_t S) { return S == StateEmpty || S == StateSweep; };
    ForEach([&](int32_t C, int32_t R, TDotPoint& P) {
      const int16_t S = P.State;
      if (!(S == StateBetweenPins || S == StateNearCandidate || S == StateNearAccepted ||
            S == StateSecondAccepted || S == DotStatePinned))
        return;
      const int32_t KC = FindAnchor(Row(R), N, C, -1, Pattern, IsFree);
      if (KC >= 0) Fill(Row(R), KC, C, StateSweep, Pattern, IsFree);
      const int32_t KR = FindAnchor(Column(C), M, R, -1, Pattern, IsFree);
      if (KR >= 0) Fill(Column(C), KR, R, StateSweep, Pattern, IsFree);
    });
    ForEach([](int32_t, int32_t, TDotPoint& P) {
      if (P.State == StateSweep && P.Count > 0) Average(P);
    });
  }
}

void T2DEnvelopeDots::InterpolateUntouchedDots() {
  NeedsInterpolation = false;
  try {
    T2DEnvelopeDots Work;
    Work.Assign(*this);
    const int32_t N = Work.Cols();
    const int32_t M = Work.Rows();
    // An inactive corner takes the place of its pinned inner neighbour.
    if (M > 1 && N > 0) {
      const int32_t Corners[3][4] = {{0, 0, 0, 1}, {N - 1, 0, N - 1, 1}, {N - 1, M - 1, N - 1, M - 2}};
      for (const auto& K : Corners) {
        TDotPoint& Corner = Work.Dots[size_t(K[0])][size_t(K[1])];
        const TDotPoint& Next = Work.Dots[size_t(K[2])][size_t(K[3])];
        if (!Corner.Active && Next.Active && Next.Pinned) {
          Corner.X = Next.X;
          Corner.Y = Next.Y;
        }
      }
    }
    if (PatternMode)
      Work.InterpolateUntouchedDotsPattern();
    else
      Work.SpreadDots(false);
    Assign(Work);
  } catch (const std::exception&) {
    AppendAndShowMessages("Exception in TDisplacementGridBox.InterpolateUntouchedDots");
  }
}

void T2DEnvelopeDots::InterpolateUntouchedDotsPattern() { SpreadDots(true); }

}  // namespace kromel
