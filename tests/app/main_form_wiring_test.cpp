// The preview's tools, picker readouts, analyzer window, colour-managed view
// and reference commands of the main window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMouseEvent>
#include <QTest>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/analyzer_window.h"
#include "app/main_form.h"
#include "app/main_form_wiring.h"
#include "colour/colour_models.h"
#include "colour/hsp_models.h"
#include "engine/ab_grid.h"
#include "engine/channel_mixer_unit.h"
#include "engine/kromel_preset.h"
#include "engine/mask_unit.h"
#include "fileio/image_files.h"
#include "fileio/image_save.h"
#include "images/owned_image.h"
#include "lut/lut.h"
#include "lut/lut_apply.h"
#include "analysis/image_histograms.h"
#include "analysis/scopes.h"
#include "params/dot_grid.h"
#include "platform/main_thread.h"
#include "platform/prompt.h"
#include "session/session_presets.h"
#include "session/session_profiles.h"
#include "app/test_photo.h"
#include "support/qt_test_support.h"
#include "support/temp_dir.h"
#include "engine/rgb_curves.h"
#include "widgets/curve_editor_widget.h"
#include "widgets/dot_grid_editor_widget.h"
#include "widgets/image_with_zoom.h"

namespace kromel {
namespace {

using testing::WaitUntil;

uint8_t Byte(const TVPixel32& P, int32_t Ch) { return Ch == 0 ? P.BGRA.B : Ch == 1 ? P.BGRA.G : P.BGRA.R; }

void SendMouse(QWidget& W, QEvent::Type Type, QPoint At, Qt::MouseButton Button, Qt::MouseButtons Buttons,
               Qt::KeyboardModifiers Mods = Qt::NoModifier) {
  QMouseEvent E(Type, QPointF(At), W.mapToGlobal(QPointF(At)), Button, Buttons, Mods);
  QApplication::sendEvent(&W, &E);
}

void Click(QWidget& W, QPoint At, Qt::KeyboardModifiers Mods = Qt::NoModifier) {
  SendMouse(W, QEvent::MouseButtonPress, At, Qt::LeftButton, Qt::LeftButton, Mods);
  SendMouse(W, QEvent::MouseButtonRelease, At, Qt::LeftButton, Qt::NoButton, Mods);
}

void Drag(QWidget& W, QPoint From, QPoint To) {
  SendMouse(W, QEvent::MouseButtonPress, From, Qt::LeftButton, Qt::LeftButton);
  for (int I = 1; I <= 8; ++I)
    SendMouse(W, QEvent::MouseMove, From + (To - From) * I / 8, Qt::NoButton, Qt::LeftButton);
  SendMouse(W, QEvent::MouseButtonRelease, To, Qt::LeftButton, Qt::NoButton);
}

// Distance of the dot whose default position lies nearest to (X, Y) from it.
double NearestDotDistance(const T2DEnvelopeDots& G, double X, double Y) {
  double DefaultNearest = 1e300;
  size_t BC = 0, BR = 0;
  for (size_t C = 0; C < G.DefaultDots.size(); ++C)
    for (size_t R = 0; R < G.DefaultDots[C].size(); ++R) {
      const double D = std::hypot(G.DefaultDots[C][R].X - X, G.DefaultDots[C][R].Y - Y);
      if (D < DefaultNearest) {
        DefaultNearest = D;
        BC = C;
        BR = R;
      }
    }
  return std::hypot(G.Dots[BC][BR].X - X, G.Dots[BC][BR].Y - Y);
}

class MainFormWiring : public ::testing::Test {
protected:
  void SetUp() override {
    testing::EnsureQtApplication();
    testing::WriteTestPhoto(Photo);
    testing::WriteTestPhoto(Second, {.Cool = true});
    DefaultHeadlessPrompt().Clear();
  }
  void TearDown() override {
    WaitUntil([] { return DrainMainThreadCalls() == 0; });
  }

  std::unique_ptr<TKromelMainForm> Open() {
    return testing::OpenWindowOn(Photo, std::make_shared<TSettingsFile>(Dir.File("settings.xml")));
  }

  // A client point of the preview over the warm disc.
  static QPoint DiscPoint(TKromelMainForm& F) {
    TImageWithZoom& P = F.Preview();
    for (int Y = 4; Y < P.height(); Y += 6)
      for (int X = 4; X < P.width(); X += 6) {
        bool Ref = false;
        const uint32_t C = P.GetColorAt(X, Y, 1, Ref);
        if (((C >> 16) & 255u) > 200 && (C & 255u) < 60) return {X + 12, Y + 12};
      }
    return {-1, -1};
  }

  testing::TTestTempDir Dir{"kromel_main_form_wiring"};
  std::string Photo = Dir.File("photo.png");
  std::string Second = Dir.File("second.png");
};

TEST_F(MainFormWiring, PullInAndMaskPickWithTheMouseChangeThePresetInOneUndoStepEach) {
  auto F = Open();
  TMainFormWiring& W = F->Wiring();
  TImageWithZoom& P = F->Preview();
  TKromelSession& S = F->Session();
  TSessionPresets& Pr = F->Presets();
  const QPoint At = DiscPoint(*F);
  ASSERT_GE(At.x(), 0);
  bool Ref = false;
  const uint32_t C = P.GetColorAt(At.x(), At.y(), 1, Ref);
  float R = ((C >> 16) & 255u) / 255.0f, G = ((C >> 8) & 255u) / 255.0f, B = (C & 255u) / 255.0f;

  // A/B page, pull-in tool: the nearest dot comes towards the colour.
  F->SelectPage(2);
  W.SetTool(ToolPullIn);
  EXPECT_EQ(W.PreviewCursor(), 10);
  float L, A, Bm;
  CurrentColorModel().Forward(R, G, B, L, A, Bm);
  const double X = A * 10.0, Y = Bm * 10.0;
  double Before = 0, After = 0;
  S.EditPreset([&](TKromelPreset& K) { return Before = NearestDotDistance(K.ABGrid->Highlights->Grid, X, Y), true; });
  int32_t Steps = Pr.CurrentUndoList().Count();
  Click(P, At);
  EXPECT_FALSE(W.PreviewMouseDown());
  EXPECT_EQ(Pr.CurrentUndoList().Count(), Steps + 1);
  EXPECT_NE(Pr.UndoCaption.find("Pull In tool"), std::string::npos) << Pr.UndoCaption;
  S.EditPreset([&](TKromelPreset& K) { return After = NearestDotDistance(K.ABGrid->Highlights->Grid, X, Y), true; });
  EXPECT_LT(After, Before);
  // Push-out moves it away again, one more step.
  W.SetTool(ToolPushOut);
  Click(P, At);
  EXPECT_EQ(Pr.CurrentUndoList().Count(), Steps + 2);
  double Pushed = 0;
  S.EditPreset([&](TKromelPreset& K) { return Pushed = NearestDotDistance(K.ABGrid->Highlights->Grid, X, Y), true; });
  EXPECT_GT(Pushed, After);

  // Mask page with the HSP selector: a click sets the mask ranges around the colour.
  F->SelectPage(6);
  S.EditPreset([&](TKromelPreset& K) { return K.MaskUnit()->MaskType->SetValue(20), true; });
  Steps = Pr.CurrentUndoList().Count();
  Click(P, At);
  EXPECT_EQ(Pr.CurrentUndoList().Count(), Steps + 1);
  EXPECT_NE(Pr.UndoCaption.find("Change HSL Mask"), std::string::npos) << Pr.UndoCaption;
  float H = 0, Sat = 0, Pv = 0;
  RGBtoHSP2pSingle(R, G, B, H, Sat, Pv);
  S.EditPreset([&](TKromelPreset& K) {
    TMaskAdjustments* M = K.MaskUnit();
    EXPECT_LE(M->HueMin, H + 0.01f);
    EXPECT_GE(M->HueMax, H - 0.01f);
    EXPECT_LE(M->SatMin, Sat + 0.01f);
    EXPECT_GE(M->SatMax, Sat - 0.01f);
    EXPECT_LT(M->HueMax - M->HueMin, 0.5f);
    return true;
  });
  // The mask picker button parks the tools and takes the click as well.
  W.SetMaskPicker(true);
  EXPECT_LT(W.Tools.Code(), 0);
  EXPECT_EQ(W.PreviewCursor(), 5);
  Click(P, At);
  EXPECT_EQ(Pr.CurrentUndoList().Count(), Steps + 2);
  W.SetMaskPicker(false);
  EXPECT_EQ(W.Tools.Code(), ToolPullIn + 32);  // the selector comes back
}

TEST_F(MainFormWiring, GridMixerAndCurvesDragsAndColourReplaceWithTheMouse) {
  auto F = Open();
  TMainFormWiring& W = F->Wiring();
  TImageWithZoom& P = F->Preview();
  TKromelSession& S = F->Session();
  TSessionPresets& Pr = F->Presets();
  const QPoint At = DiscPoint(*F);
  ASSERT_GE(At.x(), 0);
  auto Moved = [&] {
    int32_t N = 0;
    const T2DEnvelopeDots& G = S.Preset->ABGrid->Highlights->Grid;
    for (size_t C = 0; C < G.Dots.size(); ++C)
      for (size_t R = 0; R < G.Dots[C].size(); ++R)
        N += G.Dots[C][R].X != G.DefaultDots[C][R].X || G.Dots[C][R].Y != G.DefaultDots[C][R].Y;
    return N;
  };
  // A/B page, one-dot tool: a drag moves the dot of the colour, one step.
  F->SelectPage(2);
  W.SetTool(ToolMovePoint);
  int32_t Steps = Pr.CurrentUndoList().Count();
  Drag(P, At, At + QPoint(30, -20));
  EXPECT_EQ(Pr.CurrentUndoList().Count(), Steps + 1);
  EXPECT_NE(Pr.UndoCaption.find("Move A/B grid point"), std::string::npos) << Pr.UndoCaption;
  EXPECT_EQ(Moved(), 1);
  // An Alt click with a tool that moves no dots names the target colour;
  // the exact replace then takes the cell of the clicked colour there.
  W.SetTool(ToolAddSwatch);
  QPoint Elsewhere(-1, -1);  // a bluish spot of the picture
  for (int Y = 4; Y < P.height() && Elsewhere.x() < 0; Y += 6)
    for (int X = 4; X < P.width(); X += 6) {
      bool R0 = false;
      const uint32_t C = P.GetColorAt(X, Y, 1, R0);
      if ((C & 255u) > ((C >> 16) & 255u) + 40 && (C & 255u) > 100) {
        Elsewhere = QPoint(X, Y);
        break;
      }
    }
  ASSERT_GE(Elsewhere.x(), 0);
  Click(P, Elsewhere, Qt::AltModifier);
  bool Ref = false;
  const uint32_t Target = P.GetColorAt(Elsewhere.x(), Elsewhere.y(), 1, Ref);
  EXPECT_NEAR(int(W.BrushColor & 255u), int((Target >> 16) & 255u), 3);
  EXPECT_EQ(Pr.CurrentUndoList().Count(), Steps + 1);
  W.SetABReplaceType(0);
  EXPECT_LT(W.Tools.Code(), 0);
  EXPECT_EQ(W.PreviewCursor(), 19);
  Click(P, At);
  EXPECT_EQ(Pr.CurrentUndoList().Count(), Steps + 2);
  EXPECT_NE(Pr.UndoCaption.find("Color Replace in Exact mode"), std::string::npos) << Pr.UndoCaption;
  EXPECT_GT(Moved(), 1);
  W.SetABReplaceType(-1);
  EXPECT_EQ(W.Tools.Code(), ToolAddSwatch);
  // Channel mixer page: a sideways drag turns the hue, one step.
  F->SelectPage(0);
  W.SetTool(ToolMovePoint);
  S.UpdateImage(true, true);
  T3DLut LutBefore, LutAfter;
  ASSERT_TRUE(S.CopyMainLut(LutBefore));
  TChannelMixerParams Before;
  S.Preset->ChannelMixer->GetMatrix(Before);
  Drag(P, At, At - QPoint(120, 0));
  EXPECT_EQ(Pr.CurrentUndoList().Count(), Steps + 3);
  EXPECT_NE(Pr.UndoCaption.find("Channel Mixer"), std::string::npos) << Pr.UndoCaption;
  TChannelMixerParams After;
  S.Preset->ChannelMixer->GetMatrix(After);
  EXPECT_NE(After.Matrix[1], Before.Matrix[1]);
  // The LUT turns the disc's colour now.
  S.UpdateImage(true, true);
  ASSERT_TRUE(S.CopyMainLut(LutAfter));
  bool Ref2 = false;
  const uint32_t Disc = P.GetColorAt(At.x(), At.y(), 1, Ref2);
  EXPECT_NE(ProcessColorBGRA32(LutAfter, Disc), ProcessColorBGRA32(LutBefore, Disc));
  EXPECT_TRUE(WaitUntil([&] { return P.Layout.ResultReady; }));
  P.repaint();
  testing::SaveScreenshot(*F, "main_window_wiring", "mixer_hue_drag");
  // Curves page, Lum type with Shift: a drag upwards lightens the picked colour.
  F->SelectPage(4);
  W.SetCurvesTatType(5);
  EXPECT_LT(W.Tools.Code(), 0);
  SendMouse(P, QEvent::MouseButtonPress, At, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(W.PreviewCursor(), 17);
  for (int I = 1; I <= 4; ++I)
    SendMouse(P, QEvent::MouseMove, At - QPoint(0, 20 * I), Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
  SendMouse(P, QEvent::MouseButtonRelease, At - QPoint(0, 80), Qt::LeftButton, Qt::NoButton, Qt::ShiftModifier);
  EXPECT_EQ(Pr.CurrentUndoList().Count(), Steps + 4);
  EXPECT_NE(Pr.UndoCaption.find("Change RGB curves Luminance"), std::string::npos) << Pr.UndoCaption;
  W.SetCurvesTatType(-1);
  EXPECT_EQ(W.Tools.Code(), ToolMovePoint);
}

TEST_F(MainFormWiring, ZoomToolsAndRectanglesChangeTheViewAndTheAlpha) {
  auto F = Open();
  TMainFormWiring& W = F->Wiring();
  TImageWithZoom& P = F->Preview();
  const int32_t Steps = F->Presets().CurrentUndoList().Count();
  const QPoint Mid(P.width() / 2, P.height() / 2);
  const float Fit = P.Layout.MainZoom.Zoom;
  W.SetTool(ToolZoomIn);
  Click(P, Mid);
  EXPECT_LT(P.Layout.MainZoom.Zoom, Fit);  // fewer image pixels per view pixel
  const float In = P.Layout.MainZoom.Zoom;
  W.SetTool(ToolZoomOut);
  Click(P, Mid);
  EXPECT_GT(P.Layout.MainZoom.Zoom, In);
  // A small zoom window refits; a big one zooms into it.
  W.SetTool(ToolZoomWindow);
  EXPECT_TRUE(P.SelectionEnabled);
  Drag(P, Mid, Mid + QPoint(3, 3));
  EXPECT_FLOAT_EQ(P.Layout.MainZoom.Zoom, Fit);
  Drag(P, Mid, Mid + QPoint(120, 80));
  EXPECT_LT(P.Layout.MainZoom.Zoom, Fit);
  P.ZoomFit();
  // The alpha marquee keeps the rectangle opaque and clears the rest.
  W.SetTool(ToolAlphaMarquee);
  EXPECT_EQ(W.PreviewCursor(), 27);
  Drag(P, Mid - QPoint(60, 60), Mid + QPoint(60, 60));
  const TImage64& I = F->Session().Image;
  int64_t Opaque = 0;
  for (int32_t K = 0; K < I.Size; ++K) Opaque += I.Pixels[K].A == 65535;
  EXPECT_GT(Opaque, 0);
  EXPECT_LT(Opaque, I.Size / 2);
  // No tool here records an undo step.
  EXPECT_EQ(F->Presets().CurrentUndoList().Count(), Steps);
}

TEST_F(MainFormWiring, PickerReadoutShowsBothColoursAndEditorMarkers) {
  auto F = Open();
  TMainFormWiring& W = F->Wiring();
  TImageWithZoom& P = F->Preview();
  const QPoint At = DiscPoint(*F);
  ASSERT_GE(At.x(), 0);
  // The before view: an unprocessed pick shows the same colour on both plates.
  F->SetViewMode(TViewMode::Before);
  SendMouse(P, QEvent::MouseMove, At, Qt::NoButton, Qt::NoButton);
  EXPECT_TRUE(W.Picker.PickerUnprocessed);
  EXPECT_EQ(W.Picker.PickerColor & 0xFFFFFFu, W.Picker.PickerColorAfter & 0xFFFFFFu);
  EXPECT_GT((W.Picker.PickerColor >> 16) & 255u, 200u);
  EXPECT_NE(W.PickerText().find("Before: "), std::string::npos);
  // The curves page: lightness marker at L x 16384 / 100 of the stage colour.
  F->SetViewMode(TViewMode::Result);
  F->SelectPage(4);
  SendMouse(P, QEvent::MouseMove, At, Qt::NoButton, Qt::NoButton);
  EXPECT_FALSE(W.Picker.PickerUnprocessed);
  EXPECT_GE(W.CurvesMarkers.SatLum[0], 0);
  EXPECT_LE(W.CurvesMarkers.SatLum[0], 16384);
  EXPECT_GE(W.CurvesMarkers.MRGB[1], W.CurvesMarkers.MRGB[3]);  // red above blue on the disc
  EXPECT_TRUE(WaitUntil([&] { return P.Layout.ResultReady; }));
  P.repaint();
  testing::SaveScreenshot(*F, "main_window_wiring", "picker_readout");
  // The mask page (HSP): hue, saturation and lightness markers.
  F->SelectPage(6);
  F->Session().EditPreset([&](TKromelPreset& K) { return K.MaskUnit()->MaskType->SetValue(20), true; });
  SendMouse(P, QEvent::MouseMove, At, Qt::NoButton, Qt::NoButton);
  float H = 0, Sat = 0, Pv = 0;
  const uint32_t C = W.Picker.PickerColor;
  RGBtoHSP2pSingle(((C >> 16) & 255u) / 255.0f, ((C >> 8) & 255u) / 255.0f, (C & 255u) / 255.0f, H, Sat, Pv);
  EXPECT_EQ(W.MaskMarkers[0], int32_t(std::nearbyint(H * 16384.0f)));
  EXPECT_EQ(W.MaskMarkers[1], int32_t(std::nearbyint(Sat * 16384.0f)));
}

TEST_F(MainFormWiring, PickerMarkersShowOnTheCurveAndGridEditors) {
  auto F = Open();
  TMainFormWiring& W = F->Wiring();
  TImageWithZoom& P = F->Preview();
  TKromelSession& S = F->Session();
  const QPoint At = DiscPoint(*F);
  ASSERT_GE(At.x(), 0);
  // The red curve box and the A/B grid box as the pages have them.
  TCurveEditorWidget Curve;
  Curve.Model.SetNumberOfButtons(0);
  Curve.Model.SetBipolar(false);
  Curve.UpdateButtons();
  Curve.Model.ConnectToParameter(0, S.Preset->RGBCurves->Red);
  Curve.Model.SetLineColor(0x4040FF);
  Curve.SetColor(0x303030);
  Curve.resize(300, 300);
  Curve.show();
  TDotGridEditorWidget Grid;
  Grid.Model.SetMinX(-1000);
  Grid.Model.SetMaxX(1000);
  Grid.Model.SetMinY(-1000);
  Grid.Model.SetMaxY(1000);
  Grid.Model.ConnectToParameter(S.Preset->ABGrid->Highlights);
  Grid.resize(260, 260);
  Grid.show();
  W.AddPickerGrid(Grid.Model, TMainFormWiring::TPickerAxes::AB);

  F->SelectPage(4);
  SendMouse(P, QEvent::MouseMove, At, Qt::NoButton, Qt::NoButton);
  const int32_t Red = S.Preset->RGBCurves->Red->Curve.PickerPosition;
  EXPECT_EQ(Red, W.CurvesMarkers.MRGB[1]);
  EXPECT_GT(Red, 16384 * 3 / 4);  // the disc is bright red
  EXPECT_TRUE(Grid.Model.PickerVisible);
  EXPECT_EQ(Grid.Model.PickerX, int32_t(std::nearbyint(W.Picker.GridA * 10.0f)));
  EXPECT_EQ(Grid.Model.PickerY, int32_t(std::nearbyint(W.Picker.GridB * 10.0f)));
  const QImage CurveShot = testing::GrabWidget(Curve);
  const QImage GridShot = testing::GrabWidget(Grid);
  testing::SaveScreenshotImage(CurveShot, "main_window_wiring", "picker_marker_curve");
  testing::SaveScreenshotImage(GridShot, "main_window_wiring", "picker_marker_grid");
  // The ring's outer white square, 6 pixels left of the point.
  const TPoint G = Grid.Model.Calibrate(Grid.Model.PickerX, Grid.Model.PickerY, true);
  EXPECT_EQ(GridShot.pixel(G.X - 6, G.Y + 2) & 0xFFFFFF, 0xFFFFFFu);
  // The marker column of the curve lies at its picker position.
  const int32_t MX = Curve.Model.CurveToPixelX(Red);
  int32_t Lit = 0;
  for (int Y = 0; Y < CurveShot.height(); ++Y) Lit += (CurveShot.pixel(MX, Y) & 0xFFFFFF) != (CurveShot.pixel(MX - 3, Y) & 0xFFFFFF);
  EXPECT_GT(Lit, CurveShot.height() / 3);
  // Off the preview the grid hides the ring; other pages hide the curve marker.
  SendMouse(P, QEvent::Leave, At, Qt::NoButton, Qt::NoButton);
  F->SelectPage(2);
  W.UpdatePicker();
  EXPECT_EQ(S.Preset->RGBCurves->Red->Curve.PickerPosition, -1);
  W.RemovePickerGrid(Grid.Model);
}

TEST_F(MainFormWiring, AnalyzerShowsTheScopesOfTheRenderedImage) {
  auto F = Open();
  TMainFormWiring& W = F->Wiring();
  W.ShowAnalyzer(true);
  TAnalyzerWindow& A = W.Analyzer();
  ASSERT_TRUE(WaitUntil([&] { return A.ShownGeneration() > 0; }));
  TKromelSession& S = F->Session();
  // The renderer paused: the analyzer's buffers equal the scope builders'
  // on the same rendered pixels.
  {
    TKromelSession::TRendererBlockGuard Block(S);
    ASSERT_TRUE(S.CalcAnalyzer(false));
    const TAnalyzerResults R = S.Analyzer.Results();
    const TImage32& Work = S.WorkImage();
    ASSERT_GT(Work.Size, 0);
    std::vector<float> HR(256), HG(256), HB(256);
    TSample32 SR{}, SG{}, SB{};
    SR.Count = SG.Count = SB.Count = 256;
    SR.Data = HR.data();
    SG.Data = HG.data();
    SB.Data = HB.data();
    CalcImageHistograms(Work, nullptr, SR, SG, SB, 0);
    EXPECT_EQ(R.HistR, HR);
    EXPECT_EQ(R.HistG, HG);
    EXPECT_EQ(R.HistB, HB);
    TOwnedImage<TImage32> Wave;
    ASSERT_TRUE(Wave.Image.Alloc(R.WaveformWidth, R.WaveformHeight));
    Wave.Image.Clear();
    BuildWaveform(Work, Wave.Image, true);
    ASSERT_EQ(R.Waveform.size(), size_t(Wave.Image.Size));
    for (int32_t K = 0; K < Wave.Image.Size; ++K) ASSERT_EQ(R.Waveform[size_t(K)], Wave.Image.Pixels[K].Value) << K;
    TColor Min = 0, Max = 0;
    EXPECT_EQ(R.AverageColor, CalcAverageColor(Work, Min, Max, true));
  }
  A.UpdateAnalyzerWindow();
  EXPECT_FALSE(A.HistogramPicture().isNull());
  EXPECT_FALSE(A.WaveformPicture().isNull());
  EXPECT_FALSE(A.VectorscopePicture().isNull());
  testing::SaveScreenshot(A, "main_window_wiring", "analyzer");
  // The reference as source.
  ASSERT_TRUE(W.LoadReference(Second));
  A.SourceCombo->setCurrentIndex(1);
  const TAnalyzerResults Ref = S.Analyzer.Results();
  EXPECT_NE(Ref.AverageColor, 0u);
  // A TColor has red lowest: the cool picture's blue is above its red.
  EXPECT_GT((Ref.AverageColor >> 16) & 255u, Ref.AverageColor & 255u);
  testing::SaveScreenshot(A, "main_window_wiring", "analyzer_reference");
}

TEST_F(MainFormWiring, AnalyzerBuffersStayCompleteWhileThePreviewRenders) {
  auto F = Open();
  TMainFormWiring& W = F->Wiring();
  W.ShowAnalyzer(true);
  TKromelSession& S = F->Session();
  const int64_t Start = S.Analyzer.Results().Generation;
  // Edits make the renderer compute the analyzer again while the main
  // thread changes the settings and reads the results.
  for (int32_t I = 0; I < 12; ++I) {
    F->SetPageSwitch(2, I % 2 == 0);
    W.Analyzer().ParadeCheck->setChecked(I % 3 == 0);
    W.Analyzer().HistogramKindCombo->setCurrentIndex(I % 5);
    const TAnalyzerResults R = S.Analyzer.Results();
    EXPECT_TRUE(R.HistR.empty() || R.HistR.size() == 256u);
    EXPECT_EQ(R.Waveform.size(), size_t(R.WaveformWidth) * size_t(R.WaveformHeight));
    EXPECT_TRUE(R.Vectorscope.empty() || R.Vectorscope.size() == 512u * 512u);
    QCoreApplication::processEvents();
    DrainMainThreadCalls();
  }
  EXPECT_TRUE(WaitUntil([&] { return S.Analyzer.Results().Generation > Start + 12; }));
}

TEST_F(MainFormWiring, ViewIsColourManagedAndTheProfileExports) {
  auto F = Open();
  TMainFormWiring& W = F->Wiring();
  TKromelSession& S = F->Session();
  TImageWithZoom& P = F->Preview();
  EXPECT_EQ(W.Colour.ProbeByte(), 21);
  EXPECT_EQ(W.Colour.GetImageColorSpace(), ipSRGB);
  ASSERT_NE(W.Colour.DisplayTransform16(), nullptr);
  // sRGB on the built-in sRGB monitor: the before pane is the high bytes.
  F->SetViewMode(TViewMode::Before);
  ASSERT_TRUE(WaitUntil([&] { return P.BeforePane().Size > 0; }));
  P.repaint();
  const TImage64& Vis = P.VisiblePart();
  TOwnedImage<TImage32> Plain;
  ASSERT_TRUE(Plain.Image.Alloc(Vis.Width, Vis.Height));
  Vis.CopyToImage32(Plain.Image);
  TOwnedImage<TImage32> Shown;
  ASSERT_TRUE(Shown.Image.Alloc(Vis.Width, Vis.Height));
  P.ToDisplay(Vis, Shown.Image);
  int32_t MaxDiff = 0;
  for (int32_t K = 0; K < Vis.Size; K += 97)
    for (int32_t Ch = 0; Ch < 3; ++Ch)
      MaxDiff = std::max(MaxDiff, std::abs(int32_t(Byte(Plain.Image.Pixels[K], Ch)) -
                                           int32_t(Byte(Shown.Image.Pixels[K], Ch))));
  EXPECT_LE(MaxDiff, 1);
  // A linear image profile: probe 94, and the view shows it lighter.
  ASSERT_TRUE(S.SetWorkingProfile(TWorkingProfile::sRGBLinear, true));
  EXPECT_EQ(W.Colour.ProbeByte(), 94);
  EXPECT_EQ(W.Colour.GetImageColorSpace(), ipLinear);
  P.ToDisplay(Vis, Shown.Image);
  int64_t Lighter = 0;
  for (int32_t K = 0; K < Vis.Size; K += 97)
    Lighter += int32_t(Shown.Image.Pixels[K].BGRA.G) - int32_t(Plain.Image.Pixels[K].BGRA.G);
  EXPECT_GT(Lighter, 0);
  // Proofing flags follow the menu ticks.
  W.Colour.SoftProofing = true;
  W.Colour.GamutWarning = true;
  W.Colour.BlackPointCompensation = true;
  EXPECT_EQ(W.Colour.ProofingFlags(), 0x2000u | 0x1000u | 0x4000u);
  W.Colour.SoftProofing = W.Colour.GamutWarning = false;
  // "Export image profile..." writes bytes that Argyll and Little CMS read.
  const std::string Icc = Dir.File("image.icc");
  ASSERT_TRUE(W.ExportImageProfile(Icc));
  ASSERT_TRUE(std::filesystem::exists(Icc));
  if (std::system("command -v iccdump >/dev/null 2>&1") == 0)
    EXPECT_EQ(std::system(("iccdump -v1 '" + Icc + "' >/dev/null 2>&1").c_str()), 0);
  if (std::system("command -v transicc >/dev/null 2>&1") == 0)
    EXPECT_EQ(std::system(("echo '0.5 0.5 0.5' | transicc -i '" + Icc + "' -o '*Lab' -n >/dev/null 2>&1").c_str()), 0);
}

TEST_F(MainFormWiring, ReferenceLoadsShowsSnapshotsAndSwaps) {
  auto F = Open();
  TMainFormWiring& W = F->Wiring();
  TKromelSession& S = F->Session();
  TImageWithZoom& P = F->Preview();
  ASSERT_TRUE(W.LoadReference(Second));
  EXPECT_EQ(W.Reference.FileName, Second);
  EXPECT_FALSE(S.ReferenceImage.IsEmpty());
  W.SetTool(ToolChartGrid);
  W.ShowReference(true);
  EXPECT_EQ(W.Tools.Code(), 0);  // the chart tool gives way
  EXPECT_EQ(F->ViewMode(), TViewMode::Reference);
  P.repaint();
  ASSERT_GT(P.ReferencePane().Size, 0);
  // The shown reference is the cool picture.
  int64_t Blue = 0, Red = 0;
  for (int32_t K = 0; K < P.ReferencePane().Size; K += 31) {
    Blue += P.ReferencePane().Pixels[K].BGRA.B;
    Red += P.ReferencePane().Pixels[K].BGRA.R;
  }
  EXPECT_GT(Blue, Red);
  testing::SaveScreenshot(*F, "main_window_wiring", "reference");
  // A missing file changes nothing.
  EXPECT_FALSE(W.LoadReference(Dir.File("missing.png")));
  EXPECT_EQ(W.Reference.FileName, Second);
  // Snapshot: photo.png -> photo(Processed).png.
  ASSERT_TRUE(W.SnapshotReference());
  EXPECT_EQ(W.Reference.FileName, Dir.File("photo(Processed).png"));
  // Swap twice restores images and names.
  const std::string WorkName = S.ImageFileName, RefName = W.Reference.FileName;
  const int32_t WorkW = S.Image.Width;
  ASSERT_TRUE(W.SwapReference());
  EXPECT_EQ(S.ImageFileName, RefName);
  ASSERT_TRUE(W.SwapReference());
  EXPECT_EQ(S.ImageFileName, WorkName);
  EXPECT_EQ(W.Reference.FileName, RefName);
  EXPECT_EQ(S.Image.Width, WorkW);
  EXPECT_TRUE(S.OriginalImageFileName.empty());
  W.ShowReference(false);
  EXPECT_EQ(F->ViewMode(), TViewMode::Result);

  // A file that cannot be decoded keeps name and pixels.
  const std::string Bad = Dir.File("broken.png");
  { std::FILE* Out = std::fopen(Bad.c_str(), "wb"); ASSERT_NE(Out, nullptr); std::fputs("not a picture", Out); std::fclose(Out); }
  const TPixel64 Kept = S.ReferenceImage.Pixels[0];
  EXPECT_FALSE(W.LoadReference(Bad));
  EXPECT_EQ(W.Reference.FileName, RefName);
  EXPECT_EQ(S.ReferenceImage.Pixels[0].R, Kept.R);
  DefaultHeadlessPrompt().Clear();

  // Converting to ProPhoto takes both images along; a new work image then
  // brings the reference back into its own (sRGB) profile.
  ASSERT_TRUE(W.LoadReference(Second));
  const int32_t K = 120 * S.ReferenceImage.Width + 450;  // a flat spot
  const TPixel64 Original = S.ReferenceImage.Pixels[K];
  ASSERT_TRUE(S.SetWorkingProfile(TWorkingProfile::ProPhotoRGB, false));
  ASSERT_EQ(W.Reference.ProfileData.size, S.ImageProfileData.size);
  EXPECT_NE(S.ReferenceImage.Pixels[K].B, Original.B);
  ASSERT_TRUE(F->LoadAnyFile(Second));
  EXPECT_EQ(W.Reference.ProfileData.size, S.ImageProfileData.size);
  EXPECT_NEAR(S.ReferenceImage.Pixels[K].R, Original.R, 700);
  EXPECT_NEAR(S.ReferenceImage.Pixels[K].G, Original.G, 700);
  EXPECT_NEAR(S.ReferenceImage.Pixels[K].B, Original.B, 700);
}

}  // namespace
}  // namespace kromel
