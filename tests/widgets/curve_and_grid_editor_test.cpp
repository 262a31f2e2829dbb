#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <random>

#include "engine/rgb_curves.h"
#include "params/composite_parameters.h"
#include "session/session_core.h"
#include "session/session_presets.h"
#include "support/qt_test_support.h"
#include "widgets/curve_editor_widget.h"
#include "widgets/dot_grid_editor_widget.h"

namespace kromel {
namespace {

class Editors : public ::testing::Test {
protected:
  void SetUp() override { testing::EnsureQtApplication(); }
};

float GreyNode(const T3DLut& Lut, int32_t Level) {
  const int64_t N = Lut.Size;
  return Lut.G[Level + N * (Level + N * Level)];
}

TEST_F(Editors, DraggingACurveDotChangesTheSessionLutAndAddsOneUndoStep) {
  TKromelSession S;
  TSessionPresets P(S);
  TPreferences Prefs;
  P.Preferences = &Prefs;
  P.InitDefaultPreset();
  S.Show();
  // The curves page and its master curve switched on.
  S.EditPreset([](TKromelPreset& Preset) {
    Preset.CurvesEnabled->SetValue(1);
    Preset.RGBCurves->MasterEnabled->SetValue(1);
    return true;
  });
  S.InvalidateLutStages(0);
  S.UpdateImage(true, true);
  T3DLut Before;
  ASSERT_TRUE(S.CopyMainLut(Before));
  TControlledParameterCurve* Master = S.Preset->RGBCurves->Master;

  // The master curve box as the curves page has it.
  TCurveEditorWidget W;
  W.Model.SetNumberOfButtons(0);
  W.Model.SetBipolar(false);
  W.UpdateButtons();
  W.Model.ConnectToParameter(0, Master);
  W.Model.SetLineColor(0xFFFFFF);
  W.SetColor(0x303030);
  W.SetRulerColor(0x505050);
  W.Model.OnChange = [&](void*) { S.InvalidateLutStages(0); };
  W.Model.OnChangeEnd = [&](void*) { P.AddUndoStep("Curves"); };
  W.resize(300, 300);
  W.show();
  ASSERT_EQ(W.Model.GraphWidth, 284);
  const int32_t Steps = P.CurrentUndoList().Count();
  const int32_t Mid = Master->Curve.GetValue(8192);

  // Press on the curve's middle (a new dot under the mouse), drag it up.
  const QPoint On(W.Model.CurveToPixelX(8192), W.Model.CurveToPixelY(Mid));
  QTest::mousePress(&W, Qt::LeftButton, {}, On);
  EXPECT_EQ(Master->Curve.NumDots, 3);
  QTest::mouseMove(&W, On - QPoint(0, 30));
  QTest::mouseMove(&W, On - QPoint(0, 60));
  QTest::mouseRelease(&W, Qt::LeftButton, {}, On - QPoint(0, 60));
  testing::SaveScreenshot(W, "curve_editor", "master_dragged");

  EXPECT_EQ(P.CurrentUndoList().Count(), Steps + 1);
  EXPECT_EQ(P.CurrentUndoList().GetUndoCaption(), "Curves");
  EXPECT_EQ(Master->Curve.Dot(1).X, 8192);
  EXPECT_GT(Master->Curve.GetValue(8192), Mid + 6000);
  S.UpdateImage(true, true);
  T3DLut After;
  ASSERT_TRUE(S.CopyMainLut(After));
  const int32_t Half = After.Size / 2;
  EXPECT_GT(GreyNode(After, Half), GreyNode(Before, Half) + 0.1f);
  EXPECT_NEAR(GreyNode(After, 0), GreyNode(Before, 0), 1e-3f);
  EXPECT_NEAR(GreyNode(After, After.Size - 1), GreyNode(Before, After.Size - 1), 1e-3f);
}

TEST_F(Editors, CurveEditorPictures) {
  TCurveEditorWidget W;
  W.Model.NumberOfEnvelopes = 4;
  W.UpdateButtons();
  W.SetColor(0x303030);
  W.SetRulerColor(0x505050);
  const TColor Colours[] = {0xFFFFFF, 0x4040FF, 0x40FF40, 0xFF4040};
  for (int32_t I = 0; I < 4; ++I) {
    TEnvelopeDots& C = *W.Model.GetEnvelope(I);
    C.Color = int32_t(Colours[I]);
    C.NumDots = 3;
    C.Dot(0) = {0, -8000 + 4000 * I, 0};
    C.Dot(1) = {6000 + 1000 * I, 12000 - 5000 * I, 0};
    C.Dot(2) = {16384, 30000 - 3000 * I, 0};
    C.CalcSpline();
  }
  W.Model.GetEnvelope(2)->SetPickerPosition(11000);
  W.Model.SetCurrentEnvelope(1);
  W.resize(360, 260);
  W.show();
  W.setFocus();
  W.Model.Focused = true;
  W.Model.CurrentDots->SelectedDot = 1;
  const QImage Shot = testing::GrabWidget(W);
  testing::SaveScreenshotImage(Shot, "curve_editor", "four_curves_bipolar");
  // The selected dot of the current (red) curve is drawn in white one row
  // below its hit row.
  const TCurveDotPoint& D = W.Model.CurrentDots->Dot(1);
  const QRgb Dot = Shot.pixel(W.Model.CurveToPixelX(D.X), W.Model.CurveToPixelY(D.Y) + 1);
  EXPECT_EQ(Dot & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(Editors, DotGridPictures) {
  for (bool Circular : {false, true}) {
    TDotGridEditorWidget W;
    W.Model.Grid->Circular = Circular;
    W.Model.SetMinX(-1000);
    W.Model.SetMaxX(1000);
    W.Model.SetMinY(-1000);
    W.Model.SetMaxY(1000);
    W.Model.SetMargin(3);
    W.Model.SetGridSize(Circular ? 12 : 8, Circular ? 5 : 8);
    W.Model.CreateGrid();
    W.resize(260, 260);
    W.show();
    // Drag one dot a little and brighten another.
    TDotPoint& A = W.Model.Grid->Dots[3][2];
    const TPoint P = W.Model.CalibrateDot(A, true);
    QTest::mousePress(&W, Qt::LeftButton, {}, QPoint(P.X, P.Y));
    QTest::mouseMove(&W, QPoint(P.X + 20, P.Y - 14));
    QTest::mouseRelease(&W, Qt::LeftButton, {}, QPoint(P.X + 20, P.Y - 14));
    EXPECT_TRUE(A.Pinned);
    EXPECT_GT(A.X, W.Model.Grid->DefaultDots[3][2].X + 100);
    W.Model.Grid->Dots[5][3].Z = 100;
    W.Model.Grid->Labels[1][1] = "A1";
    const QImage Shot = testing::GrabWidget(W);
    testing::SaveScreenshotImage(Shot, "dot_grid_editor", Circular ? "circular" : "rectangular");
    // The picked dot is selected: white frame 4 pixels out (the box has the focus).
    const TPoint Q = W.Model.CalibrateDot(A, true);
    EXPECT_EQ(Shot.pixel(Q.X - 5 - 4, Q.Y) & 0xFFFFFF, 0xFFFFFFu);
  }
}

// Random presses, drags, releases, wheel steps and keys through Qt on both
// real editors: the curve and the grid stay sound throughout.
TEST_F(Editors, RandomEventsKeepBothModelsSound) {
  std::mt19937 Random(4848);
  const auto Uniform = [&](int32_t Lo, int32_t Hi) {
    return std::uniform_int_distribution<int32_t>(Lo, Hi)(Random);
  };
  const Qt::KeyboardModifier Mods[] = {Qt::ShiftModifier, Qt::AltModifier, Qt::ControlModifier,
                                       Qt::MetaModifier};
  const Qt::Key Keys[] = {Qt::Key_Left,     Qt::Key_Right,     Qt::Key_Up,     Qt::Key_Down,
                          Qt::Key_Plus,     Qt::Key_Minus,     Qt::Key_Return, Qt::Key_PageUp,
                          Qt::Key_PageDown, Qt::Key_Backspace, Qt::Key_Delete};
  const auto RandomEvents = [&](QWidget& W, const std::function<void(int32_t)>& Check) {
    for (int32_t Step = 0; Step < 10000; ++Step) {
      Qt::KeyboardModifiers M;
      for (Qt::KeyboardModifier K : Mods)
        if (Uniform(0, 5) == 0) M |= K;
      const QPoint P(Uniform(-40, W.width() + 40), Uniform(-40, W.height() + 40));
      switch (Uniform(0, 6)) {
        case 0:
          QTest::mousePress(&W, Uniform(0, 4) == 0 ? Qt::RightButton : Qt::LeftButton, M, P);
          break;
        case 1:
        case 2: QTest::mouseMove(&W, P); break;
        case 3: QTest::mouseRelease(&W, Qt::LeftButton, M, P); break;
        case 4: QTest::mouseDClick(&W, Qt::LeftButton, M, P); break;
        case 5: {
          QWheelEvent E(P, W.mapToGlobal(P), {}, QPoint(0, 120 * Uniform(-3, 3)), Qt::NoButton, M,
                        Qt::NoScrollPhase, false);
          QApplication::sendEvent(&W, &E);
          break;
        }
        default: QTest::keyClick(&W, Keys[Uniform(0, 10)], M); break;
      }
      Check(Step);
      if (::testing::Test::HasFatalFailure()) return;
    }
  };

  TCurveEditorWidget Curve;
  Curve.Model.SetBipolar(false);
  Curve.UpdateButtons();
  Curve.resize(260, 220);
  Curve.show();
  RandomEvents(Curve, [&](int32_t Step) {
    const TEnvelopeDots& C = *Curve.Model.CurrentDots;
    ASSERT_GE(C.NumDots, 2) << Step;
    ASSERT_LE(C.NumDots, EnvelopeMaxDots) << Step;
    for (int32_t I = 0; I < C.NumDots; ++I) {
      ASSERT_GE(C.Dot(I).X, 0) << Step;
      ASSERT_LE(C.Dot(I).X, EnvelopeMaxX) << Step;
      ASSERT_GE(C.Dot(I).Y, 0) << Step;
      ASSERT_LE(C.Dot(I).Y, EnvelopeMaxY) << Step;
      if (I > 0) ASSERT_LT(C.Dot(I - 1).X, C.Dot(I).X) << Step;
    }
  });

  TDotGridEditorWidget Grid;
  Grid.Model.SetMinX(0);
  Grid.Model.SetMaxX(1000);
  Grid.Model.SetMinY(0);
  Grid.Model.SetMaxY(1000);
  Grid.Model.SetGridSize(6, 6);
  Grid.Model.CreateGrid();
  Grid.resize(240, 240);
  Grid.show();
  RandomEvents(Grid, [&](int32_t Step) {
    const T2DEnvelopeDots& G = *Grid.Model.Grid;
    ASSERT_EQ(G.Dots.size(), 6u);
    for (const auto& Column : G.Dots) {
      ASSERT_EQ(Column.size(), 6u);
      for (const TDotPoint& D : Column) {
        ASSERT_TRUE(D.X >= 0 && D.X <= 1000 && D.Y >= 0 && D.Y <= 1000) << Step;
        ASSERT_TRUE(D.Z >= -128 && D.Z <= 128) << Step;
      }
    }
  });
}

}  // namespace
}  // namespace kromel
