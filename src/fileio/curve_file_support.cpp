#include "fileio/curve_file_support.h"

#include <algorithm>
#include <random>

#include "params/envelope_math.h"

namespace kromel {

std::string TranslateCurveMessage(const char* Text) { return Text; }

std::string FormatCurveMessage(const std::string& Text, int64_t Number, const std::string& Name) {
  std::string S = Text;
  const size_t D = S.find("%d");
  if (D != std::string::npos) S.replace(D, 2, std::to_string(Number));
  const size_t N = S.find("%s");
  if (N != std::string::npos) S.replace(N, 2, Name);
  return S;
}

namespace {

// Sorted by X (stable); a dot on the X of the one before replaces it, as
// AddDot does.
void OrderCurveDots(std::vector<TCurveDotPoint>& Dots) {
  std::stable_sort(Dots.begin(), Dots.end(),
                   [](const TCurveDotPoint& A, const TCurveDotPoint& B) { return A.X < B.X; });
  size_t Kept = 0;
  for (size_t I = 0; I < Dots.size(); ++I) {
    if (Kept > 0 && Dots[Kept - 1].X == Dots[I].X) --Kept;
    Dots[Kept++] = Dots[I];
  }
  Dots.resize(Kept);
}

}  // namespace

std::vector<TCurveDotPoint> CurveDotsFromPoints(const std::vector<TCurveFilePoint>& Points,
                                                bool AllowNegative) {
  const int32_t MinY = AllowNegative ? -EnvelopeMaxY : 0;
  std::vector<TCurveDotPoint> Dots;
  Dots.reserve(Points.size());
  for (const TCurveFilePoint& P : Points)
    Dots.push_back({std::clamp(RoundToInt32(P.X), 0, EnvelopeMaxX),
                    std::clamp(RoundToInt32(P.Y), MinY, EnvelopeMaxY), 0});
  OrderCurveDots(Dots);
  const size_t N = Dots.size();
  if (N <= size_t(EnvelopeMaxDots)) return Dots;
  std::vector<TCurveDotPoint> Thinned;
  Thinned.reserve(size_t(EnvelopeMaxDots));
  for (size_t I = 0; I < size_t(EnvelopeMaxDots); ++I)
    Thinned.push_back(Dots[I * (N - 1) / size_t(EnvelopeMaxDots - 1)]);
  return Thinned;
}

bool SetCurveDots(TEnvelopeDots& Curve, std::vector<TCurveDotPoint> Dots) {
  // Files may list dots out of order or twice on one X; the spline needs
  // them ascending, and pushing a repeated X on would leave the range.
  OrderCurveDots(Dots);
  if (Dots.size() < 2 || Dots.size() > size_t(EnvelopeMaxDots)) return false;
  const int32_t N = int32_t(Dots.size());
  for (int32_t I = 0; I < N; ++I) Curve.Dot(I) = Dots[size_t(I)];
  Curve.NumDots = N;
  Curve.CalcSpline();
  return true;
}

std::string NewGUIDText(bool Dashes) {
  static thread_local std::mt19937_64 Random{std::random_device{}()};
  static const char Hex[] = "0123456789ABCDEF";
  const uint64_t Parts[2] = {Random(), Random()};
  std::string S;
  for (int I = 0; I < 32; ++I) {
    if (Dashes && (I == 8 || I == 12 || I == 16 || I == 20)) S += '-';
    S += Hex[(Parts[I / 16] >> (4 * (15 - I % 16))) & 15];
  }
  return S;
}

std::string XMLEscapeText(const std::string& Text) {
  std::string S;
  for (char C : Text) {
    switch (C) {
      case '&': S += "&amp;"; break;
      case '<': S += "&lt;"; break;
      case '>': S += "&gt;"; break;
      case '"': S += "&quot;"; break;
      default: S += C;
    }
  }
  return S;
}

}  // namespace kromel
