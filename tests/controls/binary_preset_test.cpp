#include "controls/binary_preset.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/main_controls.h"
#include "lut/lut_chunks.h"
#include "support/test_support.h"

namespace kromel {
namespace {

// A preset with the main window's controls bound to it.
struct TBoundPreset {
  TKromelPreset Preset;
  TMainWindowControls Controls;
  TBoundPreset() { Controls.LinkControlsToPreset(Preset); }
  TControllersArray& Registry() { return Controls.Controllers; }

  std::string Save(bool WithEmbeddedPreset = false) {
    TMemoryStream S;
    EXPECT_TRUE(SavePresetToStream(Preset, Registry(), S, WithEmbeddedPreset, "grid"));
    return S.Bytes();
  }
  bool Load(const std::string& Bytes, int32_t& Version, bool KeepMask = false) {
    TMemoryStream S(Bytes);
    return LoadPresetFromStream(Preset, Registry(), S, "test.luc", KeepMask, Version);
  }
};

void MoveDot(T2DEnvelopeDots& Grid, int32_t Col, int32_t Row, int32_t DX, int32_t DY) {
  TDotPoint& D = Grid.Dots[size_t(Col)][size_t(Row)];
  D.X += DX;
  D.Y += DY;
  D.Z += 7;
  D.Pinned = true;
}

// Changes every section the stream carries away from its default.
void ChangeEverything(TBoundPreset& B) {
  TKromelPreset& P = B.Preset;
  // Every registered control: a value of its own.
  for (int32_t N = 1; N < B.Registry().GetUsedCount(); ++N) {
    int32_t Sub = 0;
    TController* C = B.Registry().OwnerOf(N, Sub);
    if (C == nullptr) continue;
    const float V = 0.1f + 0.8f * float((N * 37) % 101) / 100.0f;
    if (Sub == 0 && C->ControllersCount == 1)
      C->SetControllerValueS(V);
    else
      C->SetSubControllerValueS(Sub, V);
  }
  int32_t K = 0;
  for (TControlledParameterGrid* G :
       {P.ABGrid->Highlights, P.ABGrid->Shadows, P.Curves2D->RG, P.Curves2D->RB, P.Curves2D->GB,
        P.Volume->VolumeGrid, P.ChannelMixer->ChannelMixerGrid, P.CLGrid->AL, P.CLGrid->BL}) {
    ++K;
    MoveDot(G->Grid, 0, 0, 11 * K, -5 * K);
  }
  TMaskAdjustments* Mask = P.MaskUnit();
  for (TControlledParameterCurve* C :
       {P.ModelCurves->Luminance, P.ModelCurves->SatLuma, P.ModelCurves->Saturation,
        P.ModelCurves->LumaSat, P.RGBCurves->Master, P.RGBCurves->Red, P.RGBCurves->Green,
        P.RGBCurves->Blue, Mask->Curve1, Mask->Curve2, Mask->Curve3}) {
    ++K;
    C->Curve.AddDot(4000 + 300 * K, 9000 - 200 * K, 10);
  }
  Mask->ReferenceColor->SetValue(0x123456);
  P.LogDecoder->MaxColor->SetValue(0x00FFEE);
  T3DLut& Ext = *P.ExternalLUT->ExternalLUT;
  Ext.SetSize(5);
  Ext.SetDefault();
  Ext.R[7] = 0.25f;
  Ext.Name = "Teal";
  Mask->MaskLUT->R[3] = 0.5f;
  T1DLut& Log = *P.LogDecoder->CustomLog;
  Log.SetSize(4);
  Log.SetDefault();
  Log.G[2] = 0.9f;
}

class BinaryPresetTest : public testing::TCaptureTest {};

TEST_F(BinaryPresetTest, Version51RoundTripRestoresEverythingAndSavesTheSameBytes) {
  TBoundPreset A;
  const std::string Default = A.Save();
  ChangeEverything(A);
  const std::string First = A.Save();
  ASSERT_NE(First, Default);
  EXPECT_EQ(A.Save(), First);
  EXPECT_EQ(First.substr(0, 16), std::string("KRMP\0\0\0\0\x33\0\0\0\0\0\0\0", 16));
  EXPECT_EQ(First.substr(16, 4), "CtrV");

  TBoundPreset B;
  int32_t Version = 0;
  ASSERT_TRUE(B.Load(First, Version));
  EXPECT_EQ(Version, 51);
  EXPECT_EQ(B.Save(), First);
  EXPECT_EQ(B.Save(), First);
  // A few values checked through the document itself.
  EXPECT_EQ(B.Preset.MaskUnit()->ReferenceColor->Value, 0x123456);
  EXPECT_EQ(B.Preset.LogDecoder->MaxColor->Value, 0x00FFEE);
  EXPECT_EQ(B.Preset.ExternalLUT->ExternalLUT->Size, 5);
  EXPECT_EQ(B.Preset.ExternalLUT->ExternalLUT->R[7], 0.25f);
  EXPECT_EQ(B.Preset.MaskUnit()->MaskLUT->R[3], 0.5f);
  EXPECT_EQ(B.Preset.LogDecoder->CustomLog->G[2], 0.9f);
  EXPECT_EQ(B.Preset.CLGrid->BL->Grid.Dots[0][0].X, A.Preset.CLGrid->BL->Grid.Dots[0][0].X);
  for (int32_t N = 1; N < A.Registry().GetUsedCount(); ++N) {
    TController* CA = A.Registry().At(N);
    if (CA == nullptr || CA->ControllersCount != 1) continue;
    EXPECT_EQ(B.Registry().At(N)->GetControllerValueS(), CA->GetControllerValueS()) << N;
  }
  EXPECT_TRUE(Silent()) << (Messages().empty() ? Errors().front() : Messages().front());
}

}  // namespace
}  // namespace kromel
