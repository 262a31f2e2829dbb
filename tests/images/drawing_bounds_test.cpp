// Drawing with coordinates and sizes far beyond the image: work bounded by
// the image (a routine walking the whole shape would not finish), no
// overflow (run under the undefined-behaviour sanitiser), and where a shape
// is only partly visible the same pixels as when it is wholly inside.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "image_test_support.h"
#include "images/image128.h"
#include "images/image32.h"
#include "images/image64.h"
#include "images/image64_draw.h"
#include "images/image64_draw.h"
#include "images/image96.h"

using namespace kromel;
using namespace kromel::test;

namespace {

constexpr int32_t Far = 2000000000;

// Corners, radius or size: every mix of far, near and inverted values.
struct TArgs {
  int32_t A, B, C, D, R;
};
const TArgs Extremes[] = {
    {-Far, -Far, Far, Far, Far},  {Far, -Far, -Far, Far, 10000}, {-Far, 8, Far, 8, 1},
    {8, -Far, 8, Far, 0},         {Far, Far, -Far, -Far, -Far},  {-Far, -Far, -Far, -Far, Far},
    {Far, 0, -Far, 16, 10000},    {0, 0, 16, 16, 10000},         {-5, -5, 20, 20, Far},
    {-Far, 5, Far, 9, 7},         {3, -Far, 12, Far, Far},       {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX},
    {INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MIN},     {-Far, -Far, Far, Far, 3},
};

template <class TImage>
using TCall = std::function<void(TImage&, const TArgs&)>;

template <class TImage>
struct TNamed {
  const char* Name;
  TCall<TImage> Call;
};

// One table for both 16-bit images: TImage64 draws through free functions,
// TImage96 through its members.
#define CALL16(Name, ...)                                  \
  [=](TImage& I, const TArgs& a) {                         \
    if constexpr (std::is_same_v<TImage, TImage64>)        \
      Name(I, __VA_ARGS__);                                \
    else                                                   \
      I.Name(__VA_ARGS__);                                 \
  }

template <class TImage, class TPixel>
std::vector<TNamed<TImage>> Calls16(TPixel P, TPixel Q, const TImage* Src) {
  return {
      {"FillRect", CALL16(FillRect, a.A, a.B, a.C, a.D, P)},
      {"FillCircle", CALL16(FillCircle, a.A, a.B, a.R, P)},
      {"FillShadedDisc", CALL16(FillShadedDisc, a.A, a.B, a.R, P, Q)},
      {"FillRadialDisc", CALL16(FillRadialDisc, a.C, a.D, a.R, P, Q)},
      {"DrawRectangleRounded", CALL16(DrawRectangleRounded, a.A, a.B, a.C, a.D, a.R, P)},
      {"FillRectangleRoundedGradient", CALL16(FillRectangleRoundedGradient, a.A, a.B, a.C, a.D, a.R, P, Q)},
      {"BlendRectangleRoundedGradient", CALL16(BlendRectangleRoundedGradient, a.A, a.B, a.C, a.D, a.R, P, Q)},
      {"DrawRectangleRoundedSoftEdge", CALL16(DrawRectangleRoundedSoftEdge, a.A, a.B, a.C, a.D, a.R, P, Q, a.R)},
      {"SoftEdgeManySteps", CALL16(DrawRectangleRoundedSoftEdge, a.A, a.B, a.C, a.D, 4, P, Q, INT32_MAX)},
      {"FillRectangleRoundedEmbossed", CALL16(FillRectangleRoundedEmbossed, a.A, a.B, a.C, a.D, a.R, P, Q)},
      {"BlendRectangleRoundedEmbossed", CALL16(BlendRectangleRoundedEmbossed, a.A, a.B, a.C, a.D, a.R, P, Q)},
      {"DrawLine", CALL16(DrawLine, a.A, a.B, a.C, a.D, P)},
      {"DrawLineAdd", CALL16(DrawLineAdd, a.C, a.B, a.A, a.D, P)},
      {"DrawGradientLine", CALL16(DrawGradientLine, a.A, a.B, a.C, a.D, P, Q)},
      {"DrawGradient", CALL16(DrawGradient, a.A, a.B, a.C, a.D, P, Q)},
      {"DrawGradientRadial", CALL16(DrawGradientRadial, a.A, a.B, a.C, a.R, P, Q)},
      {"DrawBevel", CALL16(DrawBevel, a.A, a.B, a.C, a.D, P)},
      {"DrawHexBitmap", CALL16(DrawHexBitmap, a.A, a.B, 1, "#81FF42", P)},
      {"DrawImageBlended", CALL16(DrawImageBlended, a.A, a.B, *Src)},
      {"DrawImageMax", CALL16(DrawImageMax, a.C, a.D, *Src)},
      {"FillAlphaRect", [=](TImage& I, const TArgs& a) { I.FillAlphaRect(a.A, a.B, a.C, a.D, 7); }},
  };
}

#undef CALL16

// Each call on a 17 x 17 and on an image without pixels.
template <class TImage>
void RunAll(const std::vector<TNamed<TImage>>& Calls, const std::function<TImage(int32_t)>& Make) {
  for (const auto& Call : Calls)
    for (const TArgs& a : Extremes)
      for (int32_t Side : {17, 0}) {
        SCOPED_TRACE(std::string(Call.Name) + " " + std::to_string(a.A) + "," + std::to_string(a.B) +
                     "," + std::to_string(a.C) + "," + std::to_string(a.D) + " r " +
                     std::to_string(a.R) + " on " + std::to_string(Side));
        TImage I = Make(Side);
        Call.Call(I, a);
        I.Dispose();
      }
}

TImage64 Blank64(int32_t Side) {
  TImage64 I;
  if (Side > 0) {
    I.Alloc(Side, Side);
    I.Fill({1000, 2000, 3000, 60000});
  }
  return I;
}

TImage96 Blank96(int32_t Side) {
  TImage96 I;
  if (Side > 0) {
    I.Alloc(Side, Side);
    I.Fill(Px(1000, 2000, 3000, 60000));
  }
  return I;
}

TImage128 Blank128(int32_t Side) {
  TImage128 I;
  if (Side > 0) {
    I.Alloc(Side, Side);
    TBGRAPixel128 P;
    P.Init(0.1f, 0.2f, 0.3f, 0.9f);
    I.Fill(P);
  }
  return I;
}

TImage32 Blank32(int32_t Side) {
  TImage32 I;
  if (Side > 0) {
    I.Alloc(Side, Side);
    I.Fill(0x80402010u);
  }
  return I;
}

class DrawingBounds : public MessageCapture {};

}  // namespace

TEST_F(DrawingBounds, SixteenBitRoutinesAtExtremeCoordinates) {
  const TPixel64 P{65535, 0, 0, 40000}, Q{0, 0, 65535, 20000};
  TImage64 Src64 = Make64(6, 5, {30000, 20000, 10000, 50000});
  auto Calls64 = Calls16<TImage64>(P, Q, &Src64);
  Calls64.push_back({"FillCircleDepth", [=](TImage64& I, const TArgs& a) { I.FillCircleDepth(a.A, a.B, a.R, P); }});
  Calls64.push_back({"DrawSphereDepth", [=](TImage64& I, const TArgs& a) { I.DrawSphereDepth(a.A, a.B, a.R, a.C, a.D, P); }});
  Calls64.push_back({"FillTriangleDepth", [=](TImage64& I, const TArgs& a) { I.FillTriangleDepth(a.A, a.B, a.C, a.D, a.R, a.A, P, Q, P); }});
  Calls64.push_back({"DrawGradientBorder", [=](TImage64& I, const TArgs& a) { DrawGradientBorder(I, a.A, a.B, a.C, a.D, a.R, P, Q); }});
  RunAll<TImage64>(Calls64, Blank64);

  const TPixel96 P96 = Px(65535, 0, 0, 40000, 7), Q96 = Px(0, 0, 65535, 20000, 9);
  TImage96 Src96 = Make96(6, 5, Px(30000, 20000, 10000, 50000));
  auto Calls96 = Calls16<TImage96>(P96, Q96, &Src96);
  Calls96.push_back({"DrawGradientBorder", [=](TImage96& I, const TArgs& a) { I.DrawGradientBorder(a.R, P96, Q96); }});
  RunAll<TImage96>(Calls96, Blank96);
}

TEST_F(DrawingBounds, FloatAndEightBitRoutinesAtExtremeCoordinates) {
  TBGRAPixel128 C1, C2;
  C1.Init(1, 0, 0, 0.5f);
  C2.Init(0, 0, 1, 0.8f);
  TImage128 Src = Blank128(5);
  const std::vector<TNamed<TImage128>> Calls128 = {
      {"FillRect", [&](TImage128& I, const TArgs& a) { I.FillRect(a.A, a.B, a.C, a.D, C1); }},
      {"FillCircle", [&](TImage128& I, const TArgs& a) { I.FillCircle(a.A, a.B, a.R, C1); }},
      {"FillRoundRect", [&](TImage128& I, const TArgs& a) { I.FillRoundRect(a.A, a.B, a.C, a.D, a.R, C1); }},
      {"FillRoundRectGradient", [&](TImage128& I, const TArgs& a) { I.FillRoundRectGradient(a.A, a.B, a.C, a.D, a.R, C1, C2); }},
      {"BlendRoundRectGradient", [&](TImage128& I, const TArgs& a) { I.BlendRoundRectGradient(a.A, a.B, a.C, a.D, a.R, C1, C2); }},
      {"FillSphere", [&](TImage128& I, const TArgs& a) { I.FillSphere(a.C, a.D, a.R, C1, C2); }},
      {"FillCircleRadial", [&](TImage128& I, const TArgs& a) { I.FillCircleRadial(a.A, a.D, a.R, C1, C2); }},
      {"FillRoundRectBevel", [&](TImage128& I, const TArgs& a) { I.FillRoundRectBevel(a.A, a.B, a.C, a.D, a.R, C1, C2, a.R); }},
      {"BevelManySteps", [&](TImage128& I, const TArgs& a) { I.FillRoundRectBevel(a.A, a.B, a.C, a.D, 3, C1, C2, INT32_MAX); }},
      {"FillRoundRectCushion", [&](TImage128& I, const TArgs& a) { I.FillRoundRectCushion(a.A, a.B, a.C, a.D, a.R, C1, C2); }},
      {"BlendRoundRectCushion", [&](TImage128& I, const TArgs& a) { I.BlendRoundRectCushion(a.A, a.B, a.C, a.D, a.R, C1, C2); }},
      {"FillLinearGradient", [&](TImage128& I, const TArgs& a) { I.FillLinearGradient(a.A, a.B, a.C, a.D, C1, C2); }},
      {"DrawImageOver", [&](TImage128& I, const TArgs& a) { I.DrawImageOver(a.A, a.B, Src); }},
      {"MaxImage", [&](TImage128& I, const TArgs& a) { I.MaxImage(a.C, a.D, Src); }},
  };
  RunAll<TImage128>(Calls128, Blank128);

  TImage32 Src32 = Blank32(4);
  const std::vector<TNamed<TImage32>> Calls32 = {
      {"DrawLine", [](TImage32& I, const TArgs& a) { I.DrawLine(a.A, a.B, a.C, a.D, 0xFF0000FFu); }},
      {"DrawLineFarRightToFarLeft", [](TImage32& I, const TArgs& a) { I.DrawLine(a.C, a.B, a.A, a.D, 0xFF0000FFu); }},
      {"DrawLineHalf", [](TImage32& I, const TArgs& a) { I.DrawLineHalf(a.A, a.B, a.C, a.D, 0xFF00FF00u); }},
      {"DrawLineQuarter", [](TImage32& I, const TArgs& a) { I.DrawLineQuarter(a.C, a.D, a.A, a.B, 0xFFFF0000u); }},
      {"DrawLineDashed", [](TImage32& I, const TArgs& a) { I.DrawLineDashed(a.A, a.D, a.C, a.B, 0xFF0000FFu); }},
      {"DrawRectangle", [](TImage32& I, const TArgs& a) { I.DrawRectangle(a.A, a.B, a.C, a.D, 0xFF0000FFu); }},
      {"DrawCross", [](TImage32& I, const TArgs& a) { I.DrawCross(a.A, a.D); }},
      {"GetAverageColor", [](TImage32& I, const TArgs& a) { (void)I.GetAverageColor(a.A, a.B, a.R); }},
      {"FillAlphaRect", [](TImage32& I, const TArgs& a) { I.FillAlphaRect(a.A, a.B, a.C, a.D, 9); }},
      {"DrawImage", [&](TImage32& I, const TArgs& a) { I.DrawImage(Src32, a.A, a.B); }},
      {"DrawVerticalGradientRange", [](TImage32& I, const TArgs& a) { I.DrawVerticalGradientRange(a.A, a.C, 255); }},
  };
  RunAll<TImage32>(Calls32, Blank32);
}

// A line from far right to far left crosses the image where the same line
// drawn point by point would.
TEST_F(DrawingBounds, FarLineCrossesTheImageOnItsOwnPoints) {
  TImage96 I = Blank96(17);
  const TPixel96 P = Px(65535, 0, 0, 65535);
  I.DrawLine(Far, 3, -Far, 13, P);
  const int64_t N = 2 * int64_t(Far);
  for (int32_t X = 0; X < 17; ++X) {
    // Step k lands on column X for Far - k * 2 Far / N == X, so k = Far - X.
    const int64_t K = int64_t(Far) - X;
    const int64_t Y = 3 + int64_t(static_cast<__int128>(10) * K / N);
    for (int32_t Row = 0; Row < 17; ++Row)
      EXPECT_EQ(I.Row(Row)[X] == P, Row == Y) << X << "," << Row;
  }
}

// Shapes reaching far beyond a 17 x 17 image give there the pixels they give
// in a larger image that holds them whole.
TEST_F(DrawingBounds, PartlyVisibleShapesKeepTheirPixels) {
  constexpr int32_t W = 17, M = 420;
  const TPixel96 P = Px(65535, 9000, 0, 40000, 3), Q = Px(0, 7000, 65535, 20000, 4);
  const TPixel96 Ground = Px(1000, 2000, 3000, 60000);
  const std::vector<std::pair<const char*, std::function<void(TImage96&, int32_t, int32_t)>>> Shapes = {
      {"FillCircle", [&](TImage96& I, int32_t X, int32_t Y) { I.FillCircle(X + 200, Y - 150, 260, P); }},
      {"FillShadedDisc", [&](TImage96& I, int32_t X, int32_t Y) { I.FillShadedDisc(X - 180, Y + 90, 300, P, Q); }},
      {"FillRadialDisc", [&](TImage96& I, int32_t X, int32_t Y) { I.FillRadialDisc(X + 8, Y + 8, 290, P, Q); }},
      {"RoundedGradient", [&](TImage96& I, int32_t X, int32_t Y) { I.FillRectangleRoundedGradient(X - 300, Y - 7, X + 290, Y + 310, 150, P, Q); }},
      {"RoundedGradientBlend", [&](TImage96& I, int32_t X, int32_t Y) { I.BlendRectangleRoundedGradient(X - 290, Y - 300, X + 12, Y + 300, 200, P, Q); }},
      {"Embossed", [&](TImage96& I, int32_t X, int32_t Y) { I.FillRectangleRoundedEmbossed(X - 5, Y - 300, X + 300, Y + 11, 120, P, Q); }},
      {"EmbossedBlend", [&](TImage96& I, int32_t X, int32_t Y) { I.BlendRectangleRoundedEmbossed(X - 310, Y - 310, X + 310, Y + 310, 305, P, Q); }},
      {"DrawLine", [&](TImage96& I, int32_t X, int32_t Y) { I.DrawLine(X - 400, Y - 130, X + 380, Y + 170, P); }},
      {"DrawLineAdd", [&](TImage96& I, int32_t X, int32_t Y) { I.DrawLineAdd(X + 400, Y + 9, X - 390, Y + 2, P); }},
      {"GradientLine", [&](TImage96& I, int32_t X, int32_t Y) { I.DrawGradientLine(X + 30, Y - 400, X - 20, Y + 390, P, Q); }},
      {"DrawBevel", [&](TImage96& I, int32_t X, int32_t Y) { I.DrawBevel(X - 300, Y + 4, X + 10, Y + 350, P); }},
  };
  for (const auto& [Name, Draw] : Shapes) {
    SCOPED_TRACE(Name);
    TImage96 Small = Make96(W, W, Ground), Big = Make96(W + 2 * M, W + 2 * M, Ground);
    Draw(Small, 0, 0);
    Draw(Big, M, M);
    for (int32_t Y = 0; Y < W; ++Y)
      for (int32_t X = 0; X < W; ++X) ASSERT_EQ(Small.Row(Y)[X], Big.Row(Y + M)[X + M]) << X << "," << Y;
  }
}

// Soft edges and bevels with far more rings than the image has pixels give
// what painting every ring in turn gives.
TEST_F(DrawingBounds, ManyRingsPaintLikeEveryRing) {
  const TPixel64 Outer{65535, 0, 0, 65535}, Inner{0, 0, 65535, 30000};
  const TArgs Boxes[] = {{-600, -550, 620, 700, 40}, {-5, -900, 900, 12, 300}, {10, 3, 1500, 1500, 0},
                         {-1000, -1000, 1010, 1020, 1400}, {-800, 2, 30, 1800, 9}};
  for (const TArgs& B : Boxes) {
    SCOPED_TRACE(std::to_string(B.A) + "," + std::to_string(B.B) + " r " + std::to_string(B.R));
    const int64_t Steps = 1000;
    const int64_t Last = std::min<int64_t>(Steps, std::min(B.C - B.A, B.D - B.B) / 2);
    TImage64 A = Blank64(17), E = Blank64(17);
    DrawRectangleRoundedSoftEdge(A, B.A, B.B, B.C, B.D, B.R, Outer, Inner, int32_t(Steps));
    for (int64_t K = 0; K <= Last; ++K) {
      TPixel64 C;
      BlendPixel64(C, Outer, Inner, int32_t(std::nearbyint(std::pow(double(K) / double(Steps), 0.1) * 256)));
      DrawRectangleRounded(E, int32_t(B.A + K), int32_t(B.B + K), int32_t(B.C - K), int32_t(B.D - K), B.R, C);
    }
    for (int32_t K = 0; K < A.Size; ++K) ASSERT_EQ(A.Pixels[K], E.Pixels[K]) << K;
    A.Dispose();

    const TPixel96 O96 = Px(65535, 0, 0, 65535, 1), I96 = Px(0, 0, 65535, 30000, 2);
    TImage96 A96 = Blank96(17), E96 = Blank96(17);
    A96.DrawRectangleRoundedSoftEdge(B.A, B.B, B.C, B.D, B.R, O96, I96, int32_t(Steps));
    for (int64_t K = 0; K <= Last; ++K)
      E96.DrawRectangleRounded(int32_t(B.A + K), int32_t(B.B + K), int32_t(B.C - K), int32_t(B.D - K), B.R,
                               BlendPixel96(O96, I96, int32_t(std::nearbyint(std::pow(double(K) / double(Steps), 0.1) * 256))));
    for (int32_t K = 0; K < A96.Size; ++K) ASSERT_EQ(A96.Pixels[K], E96.Pixels[K]) << K;

    TBGRAPixel128 C1, C2;
    C1.Init(1, 0, 0, 1);
    C2.Init(0, 0, 1, 0.5f);
    TImage128 A128 = Blank128(17), E128 = Blank128(17);
    A128.FillRoundRectBevel(B.A, B.B, B.C, B.D, B.R, C1, C2, int32_t(Steps));
    for (int64_t K = 0; K <= Last; ++K) {
      TBGRAPixel128 C;
      BlendPixel128(C, C1, C2, float(std::nearbyint(std::pow(double(K) / double(Steps), 0.1) * 256.0) / 256.0));
      E128.FillRoundRect(int32_t(B.A + K), int32_t(B.B + K), int32_t(B.C - K), int32_t(B.D - K), B.R, C);
    }
    for (int32_t K = 0; K < A128.Size; ++K) {
      ASSERT_EQ(A128.Data[K].R, E128.Data[K].R) << K;
      ASSERT_EQ(A128.Data[K].B, E128.Data[K].B) << K;
      ASSERT_EQ(A128.Data[K].A, E128.Data[K].A) << K;
    }
  }
}
