// The dragging and replacing tools on the image without a window.
#include <cmath>

#include "colour/channel_mixer.h"
#include "colour/colour_models.h"
#include "engine/ab_grid.h"
#include "engine/channel_mixer_unit.h"
#include "engine/rgb_curves.h"
#include "params/dot_grid.h"
#include "session/session_test_support.h"
#include "session/session_tools_drag.h"

namespace kromel::session_test {
namespace {

constexpr uint32_t Orange = 0xFFE08020u;  // BGRA value: red E0, green 80, blue 20

void GridPoint(uint32_t BGRA, double& X, double& Y) {
  float L, A, B;
  CurrentColorModel().Forward(((BGRA >> 16) & 255u) / 255.0f, ((BGRA >> 8) & 255u) / 255.0f,
                              (BGRA & 255u) / 255.0f, L, A, B);
  X = std::nearbyint(A * 10.0);
  Y = std::nearbyint(B * 10.0);
}

struct TGridMoves {
  int32_t Moved = 0, Pinned = 0, ZChanged = 0;
};
TGridMoves Compare(const T2DEnvelopeDots& G) {
  TGridMoves M;
  for (size_t C = 0; C < G.Dots.size(); ++C)
    for (size_t R = 0; R < G.Dots[C].size(); ++R) {
      const TDotPoint& D = G.Dots[C][R];
      M.Moved += D.X != G.DefaultDots[C][R].X || D.Y != G.DefaultDots[C][R].Y;
      M.Pinned += D.Pinned;
      M.ZChanged += D.Z != G.DefaultDots[C][R].Z;
    }
  return M;
}

class DragTools : public SessionWithPresets {
 protected:
  T2DEnvelopeDots& Grid() { return S.Preset->ABGrid->Highlights->Grid; }
  // Where the grid sends the colour's point.
  void Displaced(double X, double Y, float& DX, float& DY) {
    DX = float(X);
    DY = float(Y);
    float Z = 0;
    Grid().Interpolation(DX, DY, Z);
  }
};

TEST_F(DragTools, ColourReplaceMovesTheCellTowardsTheTargetInOneStep) {
  const uint32_t TargetColor = 0x30C040u;  // TColor: red 40, green C0, blue 30
  const uint32_t TargetBGRA = 0xFF40C030u;
  double SX, SY, TX, TY;
  GridPoint(Orange, SX, SY);
  GridPoint(TargetBGRA, TX, TY);
  float BX, BY;
  Displaced(SX, SY, BX, BY);
  const double Before = std::hypot(BX - TX, BY - TY);
  const int32_t Steps = P.CurrentUndoList().Count();
  ASSERT_TRUE(ABColourReplaceClick(P, Orange, TargetColor, 0));
  EXPECT_EQ(P.CurrentUndoList().Count(), Steps + 1);
  EXPECT_NE(P.UndoCaption.find("Color Replace in Exact mode"), std::string::npos) << P.UndoCaption;
  EXPECT_EQ(S.Preset->ABGrid->Enabled->Value, 1);
  const TGridMoves M = Compare(Grid());
  EXPECT_GE(M.Pinned, 4);
  EXPECT_GT(M.Moved, 0);
  float AX, AY;
  Displaced(SX, SY, AX, AY);
  EXPECT_LT(std::hypot(AX - TX, AY - TY), Before * 0.5);
  // Another type name: nothing, and the message.
  EXPECT_FALSE(ABColourReplaceClick(P, Orange, TargetColor, 7));
  EXPECT_EQ(P.CurrentUndoList().Count(), Steps + 1);
  const std::vector<std::string> Shown = Messages();
  ASSERT_FALSE(Shown.empty());
  EXPECT_EQ(Shown.back(), "No tool selected");
}

TEST_F(DragTools, LuminanceReplaceTakesOnlyTheBrightness) {
  std::vector<TDotPoint> Before;
  for (const auto& Column : Grid().Dots) Before.insert(Before.end(), Column.begin(), Column.end());
  ASSERT_TRUE(ABColourReplaceClick(P, Orange, 0x202020u, 3));
  int32_t Shifted = 0;
  size_t K = 0;
  for (const auto& Column : Grid().Dots)
    for (const TDotPoint& D : Column) {
      Shifted = std::max({Shifted, std::abs(D.X - Before[K].X), std::abs(D.Y - Before[K].Y)});
      ++K;
    }
  EXPECT_LE(Shifted, 1);
  EXPECT_GE(Compare(Grid()).ZChanged, 1);
  EXPECT_NE(P.UndoCaption.find("Color Replace in Luminance mode"), std::string::npos);
}

TEST_F(DragTools, OneAndFourDotDragsFollowThePointerInOneStepEach) {
  const int32_t Steps = P.CurrentUndoList().Count();
  TABGridDrag Drag;
  // A press and release without a move changes nothing.
  ASSERT_TRUE(Drag.Start(P, Orange, false, false, 100, 100));
  EXPECT_FALSE(Drag.End());
  EXPECT_EQ(P.CurrentUndoList().Count(), Steps);
  ASSERT_TRUE(Drag.Start(P, Orange, false, false, 100, 100));
  const int32_t Col = Grid().CurCol, Row = Grid().CurRow;
  const TDotPoint Start = Grid().Dots[size_t(Col)][size_t(Row)];
  Drag.Move(120, 90);
  Drag.Move(140, 80);
  EXPECT_TRUE(Drag.End());
  EXPECT_FALSE(Drag.Active());
  EXPECT_EQ(P.CurrentUndoList().Count(), Steps + 1);
  EXPECT_NE(P.UndoCaption.find("Move A/B grid point"), std::string::npos);
  const TDotPoint& D = Grid().Dots[size_t(Col)][size_t(Row)];
  // 40 box pixels right and 20 up over a box of 400 pixels.
  const double PerPixel = double(Grid().MaxX - Grid().MinX) / TABGridDrag::BoxSize;
  EXPECT_NEAR(D.X - Start.X, 40 * PerPixel, 2 * PerPixel);
  EXPECT_NEAR(D.Y - Start.Y, 20 * PerPixel, 2 * PerPixel);
  EXPECT_TRUE(D.Pinned);
  EXPECT_EQ(Compare(Grid()).Moved, 1);
  // The four-dot tool moves the cell around the colour.
  ASSERT_TRUE(Drag.Start(P, 0xFF4080C0u, true, false, 50, 50));
  Drag.Move(30, 70);
  EXPECT_TRUE(Drag.End());
  EXPECT_EQ(P.CurrentUndoList().Count(), Steps + 2);
  EXPECT_GE(Compare(Grid()).Moved, 1 + 4);
}

TEST_F(DragTools, MixerHueDragTurnsThePickedColourAndKeepsGrey) {
  TMixerHueDrag Drag;
  const float R = 0.6f, G = 0.3f, B = 0.2f;
  const int32_t Steps = P.CurrentUndoList().Count();
  ASSERT_TRUE(Drag.Start(P, R, G, B, false, 200, 200));
  Drag.Move(0, 200);  // 200 pixels left: half a radian
  EXPECT_TRUE(Drag.End());
  EXPECT_EQ(P.CurrentUndoList().Count(), Steps + 1);
  EXPECT_NE(P.UndoCaption.find("Change color hue/saturation with Channel Mixer"), std::string::npos);
  EXPECT_EQ(S.Preset->ChannelMixer->Enabled->Value, 1);
  TChannelMixerParams M;
  S.Preset->ChannelMixer->GetMatrix(M);
  TBGRAPixel128 C{}, Want{};
  C.Init(R, G, B, 1);
  RotateHue128To(C, Want, 0.5f);
  float R2 = R, G2 = G, B2 = B;
  ChannelMixerApplyToColor(M, R2, G2, B2);
  EXPECT_NEAR(R2, Want.R, 1e-4);
  EXPECT_NEAR(G2, Want.G, 1e-4);
  EXPECT_NEAR(B2, Want.B, 1e-4);
  float Gr = 0.4f, Gg = 0.4f, Gb = 0.4f;
  ChannelMixerApplyToColor(M, Gr, Gg, Gb);
  EXPECT_NEAR(Gr, 0.4f, 1e-4);
  EXPECT_NEAR(Gb, 0.4f, 1e-4);
  // Upwards with Shift: the colour scales (doubled 300 pixels up).
  ASSERT_TRUE(Drag.Start(P, R, G, B, true, 0, 300));
  Drag.Move(0, 150);
  EXPECT_TRUE(Drag.End());
  TChannelMixerParams M2;
  S.Preset->ChannelMixer->GetMatrix(M2);
  float R3 = R, G3 = G, B3 = B;
  ChannelMixerApplyToColor(M2, R3, G3, B3);
  EXPECT_NEAR(R3, Want.R * 1.5f, 1e-3);
}

TEST_F(DragTools, CurvesTargetedDragEditsThePickedColourInOneStep) {
  TRGBCurvesAdjustments* C = S.Preset->RGBCurves;
  C->CurveMode->SetValue(0);
  const float R = 0xE0 / 255.0f, G = 0x80 / 255.0f, B = 0x20 / 255.0f;
  auto Out = [&](const TControlledParameterCurve* Curve, float V) {
    return Curve->Curve.GetValueS(V * 16384.0f) / 32768.0f;
  };
  const int32_t Steps = P.CurrentUndoList().Count();
  TCurvesTatDrag Drag;
  EXPECT_FALSE(Drag.Start(P, Orange, 1, 100));  // Exact needs the brush colour
  // Lum: 80 pixels up lightens the colour by 10 units of S.
  ASSERT_TRUE(Drag.Start(P, Orange, 5, 100));
  EXPECT_EQ(C->RGBEnabled->Value, 1);
  Drag.Move(60);
  Drag.Move(20);
  EXPECT_TRUE(Drag.End());
  EXPECT_EQ(P.CurrentUndoList().Count(), Steps + 1);
  EXPECT_NE(P.UndoCaption.find("Change RGB curves Luminance"), std::string::npos) << P.UndoCaption;
  float H0, C0, S0, H1, C1, S1;
  RGBtoSXYPolarSingle(R, G, B, H0, C0, S0);
  RGBtoSXYPolarSingle(Out(C->Red, R), Out(C->Green, G), Out(C->Blue, B), H1, C1, S1);
  EXPECT_NEAR(S1 - S0, 10.0f, 0.5f);
  EXPECT_NEAR(C1, C0, 0.02f * std::max(1.0f, C0));
  // Sat from there: 150 pixels down halves the chroma at the same lightness.
  ASSERT_TRUE(Drag.Start(P, Orange, 4, 0));
  Drag.Move(150);
  EXPECT_TRUE(Drag.End());
  float H2, C2, S2;
  RGBtoSXYPolarSingle(Out(C->Red, R), Out(C->Green, G), Out(C->Blue, B), H2, C2, S2);
  EXPECT_NEAR(C2, C1 * 0.5f, 0.03f * std::max(1.0f, C1));
  EXPECT_NEAR(S2, S1, 0.5f);
  EXPECT_NE(P.UndoCaption.find("Change RGB curves Saturation"), std::string::npos);
  EXPECT_STREQ(CurvesTatTypeName(-1), "None");
}

}  // namespace
}  // namespace kromel::session_test
