// On-image tools, picker readouts and host commands without a window.
#include <sys/stat.h>

#include <cmath>
#include <filesystem>

#include "colour/colour_models.h"
#include "colour/hsp_models.h"
#include "engine/ab_grid.h"
#include "engine/mask_unit.h"
#include "fileio/host_bridge.h"
#include "params/dot_grid.h"
#include "platform/folders.h"
#include "session/session_host_apps.h"
#include "session/session_picker.h"
#include "session/session_test_support.h"
#include "session/session_tools.h"

namespace kromel::session_test {
namespace {

// ---- picker

TEST(PickerMarkers, LightnessAndChromaScales) {
  const std::pair<float, int32_t> L[] = {{0, 0}, {50, 8192}, {100, 16384}, {12.5f, 2048}};
  for (const auto& [Value, Marker] : L) EXPECT_EQ(LightnessMarker(Value), Marker) << Value;
  struct {
    float A, B;
    int32_t Marker;
  } const C[] = {{130, 0, 16384}, {0, -65, 8192}, {3, 4, 630}, {0, 0, 0}};
  for (const auto& Case : C) EXPECT_EQ(ChromaMarker(Case.A, Case.B), Case.Marker);
  EXPECT_EQ(LightnessMarker(NAN), -1);

  TPickerState P;
  P.PickerMode = 7;
  P.StepPickerMode(true);
  EXPECT_EQ(P.PickerMode, 0);
  P.StepPickerMode(false);
  EXPECT_EQ(P.PickerMode, 7);
}

TEST(PickerMarkers, CurvesMarkersFollowThePageState) {
  TCurvesPickerInput In;
  In.Stage2Colour = In.Stage3Colour = 0xFF808080u;
  In.SatLumIndex = 1;
  TCurvesPickerMarkers M = CurvesPickerMarkers(In);
  EXPECT_EQ(M.SatLum[0], -1);
  EXPECT_GE(M.SatLum[1], 0);
  EXPECT_EQ(M.SatLum[2], -1);
  for (int32_t K = 0; K < 4; ++K) EXPECT_GE(M.MRGB[size_t(K)], 0);
  EXPECT_EQ(M.MRGB[1], M.MRGB[2]);  // a grey sits at one place on every channel
  In.TatActive = true;
  EXPECT_EQ(CurvesPickerMarkers(In).MRGB[0], -1);
  In.TatActive = false;
  In.MRGBIndex = 2;
  EXPECT_EQ(CurvesPickerMarkers(In).MRGB[0], -1);
  In.PointerOverPreview = false;
  M = CurvesPickerMarkers(In);
  for (int32_t K = 0; K < 4; ++K) {
    EXPECT_EQ(M.SatLum[size_t(K)], -1);
    EXPECT_EQ(M.MRGB[size_t(K)], -1);
  }
  // Mask key markers: bytes on the 0..16384 scale.
  const auto Key = MaskPickerMarkers(0, 0, 0x00FF8000u);  // BGRA: R 255, G 128, B 0
  EXPECT_EQ(Key[0], 16384);
  EXPECT_EQ(Key[1], 128 * 16384 / 255);
  EXPECT_EQ(Key[2], 0);
}

class PickerSessionTest : public SessionTest {};

TEST_F(PickerSessionTest, UnprocessedPickShowsTheSameColourOnBothPlates) {
  TKromelSession S;
  S.Show();
  MakeNonTrivial(S);
  S.UpdateImage(true, true);
  T3DLut Lut;
  ASSERT_TRUE(S.CopyMainLut(Lut));
  TPickerState P;
  P.PickerColor = 0xFF3070B0u;
  P.UpdateAfter(Lut);
  EXPECT_NE(P.PickerColorAfter, P.PickerColor);  // the LUT moves it
  EXPECT_EQ(P.PickerColorAfter >> 24, 0xFFu);
  P.PickerUnprocessed = true;  // from the reference image
  P.UpdateAfter(Lut);
  EXPECT_EQ(P.PickerColorAfter, P.PickerColor);
  // The grids take it unchanged: the stage colour is ignored.
  P.SetGridPosition(0xFF000000u);
  TPickerState Direct;
  Direct.SetGridPosition(P.PickerColor);
  EXPECT_EQ(P.GridL, Direct.GridL);
  EXPECT_EQ(P.GridA, Direct.GridA);
  EXPECT_EQ(P.GridB, Direct.GridB);
  S.Close();
}

// ---- tools

TEST(ToolState, ZoomFactorsCodesAndParking) {
  EXPECT_EQ(ToolCode(2, 1), ToolPushOut);
  EXPECT_EQ(ToolCode(5, 2), ToolZoomWindow);
  EXPECT_EQ(ZoomFactorOfPress(ToolZoomIn, false), 1.33333f);
  EXPECT_EQ(ZoomFactorOfPress(ToolZoomIn, true), 0.7500018f);
  EXPECT_EQ(ZoomFactorOfPress(ToolZoomOut, true), 1.33333f);
  EXPECT_EQ(ZoomFactorOfPress(ToolZoomOut, false), 0.7500018f);
  EXPECT_EQ(ZoomFactorOfPress(ToolMovePoint, false), 0.0f);

  // An A/B replace type parks the main tool; on the A/B page the pickers'
  // reset keeps it parked, elsewhere it comes back.
  TToolState T;
  T.Page = TToolPage::ABGrid;
  T.ToolItem = ParkedIndex(2);
  T.ABTatType = 1;
  T.ResetPickers();
  EXPECT_EQ(T.ToolItem, -3);
  EXPECT_EQ(T.ABTatType, 1);
  T.Page = TToolPage::Curves;
  T.ResetPickers();
  EXPECT_EQ(T.ABTatType, -2);
  EXPECT_EQ(T.ToolItem, 2);
  EXPECT_EQ(T.ModelCurvesTatType, -1);
  // Choosing a tool parks both replace groups; at most one group is active.
  T.CurvesTatType = 3;
  T.ToolChanged();
  EXPECT_LT(T.CurvesTatType, 0);
  EXPECT_FALSE(T.AllowPointsMove);  // pull-in
  T.DeactivateTools();
  EXPECT_EQ(T.Code(), -1);
  // Selection mode: marquee only on the grid pages, zoom window and alpha
  // everywhere; a tool index past the end is clamped.
  struct {
    int32_t Item, Sub;
    TToolPage Page;
    bool Selection;
  } const Modes[] = {{3, 0, TToolPage::ABGrid, true},  {3, 0, TToolPage::Curves, false},
                     {5, 2, TToolPage::Other, true},   {6, 0, TToolPage::Mask, true},
                     {0, 0, TToolPage::ABGrid, false}, {12, 0, TToolPage::Other, false}};
  for (const auto& M : Modes) {
    TToolState S;
    S.ToolItem = M.Item;
    S.ToolSubTool = M.Sub;
    S.Page = M.Page;
    S.ToolChanged();
    EXPECT_EQ(S.SelectionMode, M.Selection) << M.Item;
    EXPECT_LE(S.ToolItem, 7);
  }
}

TEST(ToolState, PressModesRectanglesAndReplaceTypes) {
  struct {
    int32_t Item, Sub;
    TToolPage Page;
    bool Alt, Shift, LB;
    uint8_t Mode;
  } const Cases[] = {
      {0, 0, TToolPage::ABGrid, true, false, false, 5},
      {2, 1, TToolPage::Curves2D, true, false, false, 9},
      {1, 0, TToolPage::CLGrid, true, false, false, 6},
      {3, 0, TToolPage::CLGrid, true, false, true, 7},
      {0, 0, TToolPage::ABGrid, true, true, false, 0},   // Alt+Shift: a swatch
      {4, 0, TToolPage::ABGrid, true, false, false, 0},  // not a grid tool
      {0, 0, TToolPage::Mask, true, false, false, 0},
      {0, 0, TToolPage::ABGrid, false, false, false, 0},
  };
  for (const auto& C : Cases) {
    TToolState S;
    S.ToolItem = C.Item;
    S.ToolSubTool = C.Sub;
    S.Page = C.Page;
    EXPECT_EQ(DragPreviewModeOfPress(S, C.Alt, C.Shift, C.LB), C.Mode) << C.Item;
  }
  EXPECT_TRUE(ZoomWindowRefits(7, 7));
  EXPECT_FALSE(ZoomWindowRefits(8, 7));
  EXPECT_TRUE(AlphaRectIsWholeImage(2, 2));
  EXPECT_FALSE(AlphaRectIsWholeImage(3, 2));

  const TColourReplaceMode Exact = ColourReplaceMode(0), Lum = ColourReplaceMode(3);
  EXPECT_TRUE(Exact.MovePosition && Exact.SetRadius && Exact.SetBrightness);
  EXPECT_STREQ(Exact.StepName, "Color Replace in Exact mode");
  EXPECT_TRUE(!Lum.MovePosition && !Lum.SetRadius && Lum.SetBrightness);
  EXPECT_STREQ(ColourReplaceMode(2).StepName, "Color Replace in Hue mode");
  EXPECT_FALSE(ColourReplaceMode(-1).Known);

  TToolState Chart;
  Chart.ToolItem = ToolChartGrid;
  ReferenceShown(Chart);
  EXPECT_EQ(Chart.Code(), 0);
}

TEST(ToolState, Cursors) {
  struct {
    int32_t Item, Sub;
    TToolPage Page;
    bool Alt, Shift;
    int32_t Image, Grid;
  } const Cases[] = {
      {0, 0, TToolPage::ABGrid, false, false, 1, 0},
      {2, 0, TToolPage::ABGrid, false, true, 11, 11},
      {2, 0, TToolPage::CLGrid, false, true, 12, 12},
      {2, 0, TToolPage::Curves2D, false, false, 12, 12},
      {2, 1, TToolPage::ABGrid, false, false, 7, 7},
      {2, 1, TToolPage::ABGrid, true, false, 5, 5},  // Alt on push out: picker
      {4, 0, TToolPage::ABGrid, true, false, 5, 0},  // Alt on the swatch tool
      {4, 0, TToolPage::ABGrid, false, false, 6, 0},
      {5, 0, TToolPage::Other, true, false, 3, 0},
      {5, 1, TToolPage::Other, false, false, 3, 0},
      {6, 0, TToolPage::Other, false, true, 28, 0},
      {5, 2, TToolPage::Other, false, false, 4, 0},
      {3, 0, TToolPage::ABGrid, false, false, 13, 13},
      {0, 0, TToolPage::Mask, false, false, 5, 0},
      {7, 0, TToolPage::Other, false, false, -2, 0},
  };
  for (const auto& C : Cases) {
    TToolState S;
    S.ToolItem = C.Item;
    S.ToolSubTool = C.Sub;
    S.Page = C.Page;
    const TToolCursors Got = ToolCursors(S, C.Alt, C.Shift, false);
    EXPECT_EQ(Got.Image, C.Image) << C.Item << "/" << C.Sub;
    EXPECT_EQ(Got.Grid, C.Grid) << C.Item << "/" << C.Sub;
  }
  TToolState T;
  T.ToolItem = -1;
  T.Page = TToolPage::ABGrid;
  T.ABTatType = 3;
  EXPECT_EQ(ToolCursors(T, false, false, false).Image, 23);
  T.Page = TToolPage::Curves;
  T.ABTatType = -1;
  T.CurvesTatType = 4;
  EXPECT_EQ(ToolCursors(T, false, false, false).Image, 22);
  EXPECT_EQ(ToolCursors(T, false, true, false).Image, 25);
  EXPECT_EQ(ToolCursors(T, false, false, true).Image, 17);
}

class ToolClickTest : public SessionWithPresets {};

double NearestDistance(const T2DEnvelopeDots& G, double X, double Y, double& DefaultNearest) {
  double Best = 1e300;
  DefaultNearest = 1e300;
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
  Best = std::hypot(G.Dots[BC][BR].X - X, G.Dots[BC][BR].Y - Y);
  return Best;
}

TEST_F(ToolClickTest, PullInMovesTheGridTowardsThePickedColourInOneUndoStep) {
  const uint32_t Orange = 0xFFE08020u;  // A R G B from the top byte
  float R = 0xE0 / 255.0f, G = 0x80 / 255.0f, B = 0x20 / 255.0f, L, A, Bm;
  CurrentColorModel().Forward(R, G, B, L, A, Bm);
  const double X = std::nearbyint(A * 10.0), Y = std::nearbyint(Bm * 10.0);
  double Before = 0, After = 0, DefaultDist = 0;
  S.EditPreset([&](TKromelPreset& Pr) {
    Before = NearestDistance(Pr.ABGrid->Highlights->Grid, X, Y, DefaultDist);
    return true;
  });
  ASSERT_GT(DefaultDist, 1.0);  // the colour lies between dots
  const int32_t Steps = P.CurrentUndoList().Count();
  ASSERT_TRUE(ABGridPullPushClick(P, Orange, false, false));
  EXPECT_EQ(P.CurrentUndoList().Count(), Steps + 1);
  EXPECT_EQ(P.UndoCaption.find("Pull In tool") != std::string::npos, true) << P.UndoCaption;
  S.EditPreset([&](TKromelPreset& Pr) {
    After = NearestDistance(Pr.ABGrid->Highlights->Grid, X, Y, DefaultDist);
    EXPECT_EQ(Pr.ABGrid->Enabled->Value, 1);
    return true;
  });
  EXPECT_LT(After, Before);
  // Push out moves it away again, one more step.
  ASSERT_TRUE(ABGridPullPushClick(P, Orange, true, false));
  EXPECT_EQ(P.CurrentUndoList().Count(), Steps + 2);
  double Pushed = 0;
  S.EditPreset([&](TKromelPreset& Pr) {
    Pushed = NearestDistance(Pr.ABGrid->Highlights->Grid, X, Y, DefaultDist);
    return true;
  });
  EXPECT_GT(Pushed, After);
  // Ctrl or Alt held: nothing moves.
  S.EditPreset([&](TKromelPreset& Pr) {
    T2DEnvelopeDots& Grid = Pr.ABGrid->Highlights->Grid;
    const int32_t X0 = Grid.Dots[1][1].X;
    EXPECT_FALSE(PullInPushOutGrid(Grid, int32_t(X), int32_t(Y), false, false, true, false, false));
    EXPECT_EQ(Grid.Dots[1][1].X, X0);
    return true;
  });
}

TEST_F(ToolClickTest, MaskPickSetsTheMaskRangeInOneUndoStep) {
  const int32_t Steps = P.CurrentUndoList().Count();
  EXPECT_FALSE(MaskPickClick(P, 22, 0xFFE08020u, false, false));
  EXPECT_EQ(P.CurrentUndoList().Count(), Steps);
  ASSERT_TRUE(MaskPickClick(P, 20, 0xFFE08020u, false, false));
  EXPECT_EQ(P.CurrentUndoList().Count(), Steps + 1);
  float H = 0, Sat = 0, Pv = 0;
  RGBtoHSP2pSingle(0xE0 / 255.0f, 0x80 / 255.0f, 0x20 / 255.0f, H, Sat, Pv);
  float HueMin = 0, HueMax = 0, SatMin = 0, SatMax = 0, LumMin = 0, LumMax = 0;
  S.EditPreset([&](TKromelPreset& Pr) {
    TMaskAdjustments* M = Pr.MaskUnit();
    HueMin = M->HueMin, HueMax = M->HueMax, SatMin = M->SatMin, SatMax = M->SatMax;
    LumMin = M->LumMin, LumMax = M->LumMax;
    return true;
  });
  EXPECT_LE(HueMin, H);
  EXPECT_GE(HueMax, H);
  EXPECT_LE(SatMin, Sat);
  EXPECT_GE(SatMax, Sat);
  EXPECT_LE(LumMin, Pv / 100.0f);
  EXPECT_GE(LumMax, Pv / 100.0f);
  EXPECT_LT(HueMax - HueMin, 0.5f);
}

// ---- host applications

class HostAppsTest : public SessionTest {};

TEST_F(HostAppsTest, EveryHostIsUnavailableAndNothingChanges) {
  EXPECT_EQ(HostKindOfItem(3), THostKind::ListedPhotoshop);
  EXPECT_EQ(HostKindOfItem(8), THostKind::CustomPhotoshop);
  EXPECT_EQ(HostKindOfItem(9), THostKind::AfterEffects);
  EXPECT_EQ(HostKindOfItem(10), THostKind::MLVProducer);
  TKromelSession S;
  TSessionHostApps H(S);
  S.ImageFileName = "work.png";
  for (int32_t Item = -1; Item < HostItemCount; ++Item) {
    ClearMessages();
    H.HostItem = Item;
    EXPECT_FALSE(H.ImportImage(Item % 2 == 0));
    const std::string Caption = HostApplicationCaption(std::max(0, Item));
    EXPECT_EQ(Messages(), std::vector<std::string>{Caption + " is not available on this platform"});
    EXPECT_EQ(S.ImageFileName, "work.png");
    EXPECT_TRUE(S.ReferenceImage.IsEmpty());
  }
  EXPECT_FALSE(std::filesystem::exists(HostImageFileName(THostKind::ListedPhotoshop)));
  EXPECT_FALSE(std::filesystem::exists(HostFlagFileName()));
  // The exchange files sit in a private folder of the temporary folder.
  const std::string Folder = BridgeFolder();
  EXPECT_EQ(HostImageFileName(THostKind::AfterEffects), Folder + "/KromelImage.png");
  EXPECT_EQ(Folder.rfind(TempFolder() + "/", 0), 0u);
  struct stat St {};
  ASSERT_EQ(::stat(Folder.c_str(), &St), 0);
  EXPECT_EQ(St.st_mode & 0777, 0700u);

  ClearMessages();
  H.HostItem = 9;
  EXPECT_FALSE(H.SendLut());
  EXPECT_EQ(Messages(),
            std::vector<std::string>{"Sorry, sending 3DLUT is not available with After Effects. "
                                     "To send 3DLUT to Photoshop, please change connection "
                                     "settings in Preferences."});
  ClearMessages();
  H.PluginMode = true;
  EXPECT_FALSE(H.ImportImage(false));
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(H.SendLut([](TKromelSession&) { return true; }));
  EXPECT_FALSE(H.SendLut([](TKromelSession&) { return false; }));
  EXPECT_EQ(Messages(), std::vector<std::string>{"Failed to send LUT Preset to Plug-in"});
}

}  // namespace
}  // namespace kromel::session_test
