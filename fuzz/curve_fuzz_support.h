// Shared by the curve file fuzz targets: a set of curves with known dots,
// their dots as comparable text and the shape every loaded curve must have.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "params/envelope_dots.h"

namespace kromel::fuzz {

inline std::string DotsText(const TEnvelopeDots& C) {
  std::string S = std::to_string(C.NumDots) + ":";
  for (int32_t I = 0; I < C.NumDots && I < EnvelopeMaxDots; ++I)
    S += std::to_string(C.Dot(I).X) + "," + std::to_string(C.Dot(I).Y) + ";";
  return S;
}

// 2..131 dots in ascending X within the curve's ranges, evaluating finitely.
inline void CheckCurve(const TEnvelopeDots& C) {
  FUZZ_CHECK(C.NumDots >= 2 && C.NumDots <= EnvelopeMaxDots);
  const int32_t MinY = C.AllowNegative ? -EnvelopeMaxY : 0;
  for (int32_t I = 0; I < C.NumDots; ++I) {
    const TCurveDotPoint& D = C.Dot(I);
    FUZZ_CHECK(D.X >= 0 && D.X <= EnvelopeMaxX && D.Y >= MinY && D.Y <= EnvelopeMaxY);
    if (I > 0) FUZZ_CHECK(C.Dot(I - 1).X < D.X);
  }
  for (int32_t X = 0; X <= EnvelopeMaxX; X += 1024) {
    const float V = C.GetValueS(float(X));
    FUZZ_CHECK(V == V && V >= -32767.0f && V <= 32767.0f);
  }
}

// Reports silenced; the input as scratch file Name, whose path is returned.
inline std::string PutInput(const std::string& Name, const uint8_t* Data, size_t Size) {
  SilenceReports();
  const std::string File = ScratchFolder() + Name;
  PutFile(File, Data, Size);
  return File;
}

// Five curves with known dots (the fifth allows negative values).
struct TCurveSet {
  std::array<TEnvelopeDots, 5> Curves;
  std::array<std::string, 5> Before;
  TCurveSet() {
    for (size_t K = 0; K < Curves.size(); ++K) {
      TEnvelopeDots& C = Curves[K];
      C.AllowNegative = K == 4;
      C.NumDots = 3;
      C.Dot(0) = {0, int32_t(K), 0};
      C.Dot(1) = {7000, 12345, 0};
      C.Dot(2) = {16384, 30000, 0};
      C.CalcSpline();
      Before[K] = DotsText(C);
    }
  }
  TEnvelopeDots& operator[](size_t K) { return Curves[K]; }
  bool Changed(size_t K) const { return DotsText(Curves[K]) != Before[K]; }
  // After a load of the first Count curves: refused, none changed;
  // accepted, every curve whole.
  void CheckLoad(bool Ok, size_t Count) const {
    for (size_t K = 0; K < Count; ++K) {
      if (!Ok) FUZZ_CHECK(!Changed(K));
      else CheckCurve(Curves[K]);
    }
  }
};

}  // namespace kromel::fuzz
