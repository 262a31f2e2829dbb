// Shared by the curve file tests: curves from dot lists and their dots back.
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "params/envelope_dots.h"

namespace kromel::fileio_test {

using TDotList = std::vector<std::pair<int32_t, int32_t>>;

inline void SetDots(TEnvelopeDots& C, const TDotList& Dots) {
  C.NumDots = int32_t(Dots.size());
  for (size_t I = 0; I < Dots.size(); ++I) C.Dot(int32_t(I)) = {Dots[I].first, Dots[I].second, 0};
  C.CalcSpline();
}

inline TDotList DotsOf(const TEnvelopeDots& C) {
  TDotList L;
  for (int32_t I = 0; I < C.NumDots; ++I) L.push_back({C.Dot(I).X, C.Dot(I).Y});
  return L;
}

// N dots spread over the whole curve, Y rising with X.
inline TDotList SpreadDots(int32_t N) {
  TDotList L;
  for (int32_t I = 0; I < N; ++I) L.push_back({I * 16384 / (N - 1), I * 32767 / (N - 1)});
  return L;
}

}  // namespace kromel::fileio_test
