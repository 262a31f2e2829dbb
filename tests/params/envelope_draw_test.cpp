#include <gtest/gtest.h>

#include "params/envelope_dots.h"
#include "platform/canvas.h"
#include "platform/raw_bitmap.h"

namespace kromel {
namespace {

constexpr TColor White = 0xFFFFFF;
constexpr TColor Red = 0x0000FF;
constexpr TColor Grey = 0x909090;

// A 200 x 130 picture with the curve area at (10, 10), 160 x 100; values
// are drawn at 110 - 100*v / 32767.
class EnvelopeDrawTest : public ::testing::Test {
protected:
  void SetUp() override {
    Curve.Color = static_cast<int32_t>(Red);
    Curve.Smooth = 0;
    Curve.Dot(0) = {0, 0, 0};
    Curve.Dot(1) = {16384, 32767, 0};
    Curve.NumDots = 2;
    Curve.CalcSpline();
  }
  void Draw(bool ShowSelection, bool Inactive, int32_t Range = 32767) {
    Curve.Draw(&Canvas, 10, 10, 160, 100, Range, 100, ShowSelection, Inactive, false);
  }
  bool Painted() const {
    for (int32_t Y = 0; Y < Bitmap.Height(); ++Y)
      for (int32_t X = 0; X < Bitmap.Width(); ++X)
        if (Canvas.Pixel(X, Y) != 0) return true;
    return false;
  }

  TRawBitmap Bitmap{200, 130, pf32bit};
  TCanvas Canvas{Bitmap};
  TEnvelopeDots Curve;
};

TEST_F(EnvelopeDrawTest, LineAndDots) {
  Draw(false, false);
  // Dots one pixel below their height, as white 6 x 6 squares.
  EXPECT_EQ(Canvas.Pixel(10, 111), White);
  EXPECT_EQ(Canvas.Pixel(167, 9), White);
  // The straight line between them in the curve's colour.
  EXPECT_EQ(Canvas.Pixel(90, 61), Red);
  EXPECT_EQ(Canvas.Pixel(50, 86), Red);
  // Nothing left of the area.
  EXPECT_EQ(Canvas.Pixel(2, 60), 0u);
}

TEST_F(EnvelopeDrawTest, SmoothCurveFollowsGetValue) {
  Curve.Smooth = 1;
  Curve.Dot(1) = {8192, 16384, 0};
  Curve.Dot(2) = {16384, 16384, 0};
  Curve.NumDots = 3;
  Curve.CalcSpline();
  Draw(false, false);
  for (int32_t Px : {20, 60, 100, 140}) {
    const int32_t Y = 110 - 100 * Curve.GetValue(Px * 16384 / 160) / 32767;
    const bool Near = Canvas.Pixel(10 + Px, Y) == Red || Canvas.Pixel(10 + Px, Y + 1) == Red ||
                      Canvas.Pixel(10 + Px, Y - 1) == Red;
    EXPECT_TRUE(Near) << Px;
  }
}

TEST_F(EnvelopeDrawTest, SelectionAndInactive) {
  Curve.SelectedDot = 0;
  Draw(true, false);
  // The grey dotted line through the selected dot, from Top to Top + Height.
  EXPECT_TRUE(Canvas.Pixel(10, 40) == Grey || Canvas.Pixel(10, 41) == Grey);
  // The outline square around it: (6, 107) to (14, 115), right and bottom
  // exclusive.
  int GreyOnRightEdge = 0;
  for (int32_t Y = 107; Y < 115; ++Y) GreyOnRightEdge += Canvas.Pixel(13, Y) == Grey;
  EXPECT_GE(GreyOnRightEdge, 3);

  TRawBitmap Other(200, 130, pf32bit);
  TCanvas OtherCanvas(Other);
  Curve.Draw(&OtherCanvas, 10, 10, 160, 100, 32767, 100, false, true, false);
  EXPECT_EQ(OtherCanvas.Pixel(167, 9), Red);  // dots in the curve's colour
}

TEST_F(EnvelopeDrawTest, DegenerateAreasDrawNothing) {
  Draw(false, false, 0);  // no range to divide by
  EXPECT_FALSE(Painted());
  Curve.Draw(&Canvas, 10, 10, 0, 100, 32767, 100, false, false, false);
  Curve.Draw(nullptr, 10, 10, 160, 100, 32767, 100, false, false, false);
  EXPECT_FALSE(Painted());
  // Dots far outside are clipped without harm.
  Curve.Dot(1) = {16384, 2000000000, 0};
  Curve.Draw(&Canvas, 10, 10, 160, 100, 1, 100, false, false, true);
  EXPECT_TRUE(Painted());
}

}  // namespace
}  // namespace kromel
