#include "controls/binary_preset.h"
#include "controls/binary_preset_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/main_controls.h"
#include "lut/lut_chunks.h"
#include "support/fake_plugin.h"
#include "support/temp_dir.h"
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
  EXPECT_TRUE(A.Save() == First);
  EXPECT_EQ(First.substr(0, 16), std::string("KRMP\0\0\0\0\x33\0\0\0\0\0\0\0", 16));
  EXPECT_EQ(First.substr(16, 4), "CtrV");

  TBoundPreset B;
  int32_t Version = 0;
  ASSERT_TRUE(B.Load(First, Version));
  EXPECT_EQ(Version, 51);
  EXPECT_TRUE(B.Save() == First);
  EXPECT_TRUE(B.Save() == First);
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


// A stream of an old version: the chunks that version carries, in order;
// Limit > 0 writes only the first Limit of them.
std::string OldStream(TBoundPreset& B, uint32_t Version, size_t Limit = 0) {
  TKromelPreset& P = B.Preset;
  TMaskAdjustments* Mask = P.MaskUnit();
  using TPart = std::function<void(TByteStream&)>;
  std::vector<TPart> Parts;
  const auto Grid = [&](TControlledParameterGrid* G) {
    Parts.push_back([G](TByteStream& S) { G->Grid.SaveToStream(S, ""); });
  };
  const auto Curve = [&](TControlledParameterCurve* C) {
    Parts.push_back([C](TByteStream& S) { C->Curve.SaveToStream(S); });
  };
  const auto Int = [&](TControlledParameterInteger* I) {
    Parts.push_back([I](TByteStream& S) { WriteChunkInt32(S, I->Value); });
  };
  Parts.push_back([&](TByteStream& S) { B.Registry().SaveValuesToStream(S); });
  Grid(P.ABGrid->Highlights);
  Grid(P.ABGrid->Shadows);
  Curve(P.ModelCurves->Luminance);
  Curve(P.ModelCurves->SatLuma);
  if (Version >= 24) Curve(P.ModelCurves->Saturation);
  if (Version >= 31) Curve(P.ModelCurves->LumaSat);
  for (auto* C : {P.RGBCurves->Master, P.RGBCurves->Red, P.RGBCurves->Green, P.RGBCurves->Blue})
    Curve(C);
  if (Version >= 4)
    for (auto* G : {P.Curves2D->RG, P.Curves2D->RB, P.Curves2D->GB}) Grid(G);
  if (Version >= 5) Grid(P.Volume->VolumeGrid);
  if (Version >= 7) Grid(P.ChannelMixer->ChannelMixerGrid);
  if (Version >= 9) {
    Grid(P.CLGrid->AL);
    Grid(P.CLGrid->BL);
  }
  if (Version >= 10) {
    Curve(Mask->Curve1);
    if (Version >= 15) {
      Curve(Mask->Curve2);
      Curve(Mask->Curve3);
    }
    Int(Mask->ReferenceColor);
  }
  if (Version >= 19) Int(P.LogDecoder->MaxColor);
  if (Version >= 12)
    Parts.push_back(
        [&](TByteStream& S) { WriteLut3DChunk(S, *P.ExternalLUT->ExternalLUT, false); });
  if (Version >= 44)
    Parts.push_back([&](TByteStream& S) { WriteLutSingleChannelChunk(S, *Mask->MaskLUT); });
  if (Version >= 45)
    Parts.push_back([&](TByteStream& S) { P.LogDecoder->CustomLog->SaveToStream(S); });

  TMemoryStream S;
  WriteChunkTag(S, PresetStreamMagic);
  WriteChunkInt32(S, 0);
  WriteChunkInt32(S, int32_t(Version));
  if (Version >= 40) WriteChunkInt32(S, 0);
  for (size_t I = 0; I < Parts.size() && (Limit == 0 || I < Limit); ++I) Parts[I](S);
  return S.Bytes();
}

bool IsIdentity(const T3DLut& Lut) {
  if (!Lut.HasPlanes() || Lut.NLRH < 2) return false;
  for (int32_t I = 0; I < Lut.NLRH; ++I)
    if (Lut.R[I] != float(I) / float(Lut.NLRH - 1)) return false;
  return true;
}

TEST_F(BinaryPresetTest, ShortVersion3StreamLoadsWithAnIdentityExternalLut) {
  TBoundPreset A;
  A.Preset.ABGrid->Highlights->Grid.Dots[1][1].X += 40;
  A.Preset.MaskDestination->SetValue(3);
  A.Preset.ExternalLUTPosition->SetValue(2);
  const std::string Short = OldStream(A, 3, 2);

  TBoundPreset B;
  B.Preset.ExternalLUT->ExtLUTSwitch->SetValue(1);
  int32_t Version = 0;
  ASSERT_TRUE(B.Load(Short, Version));
  EXPECT_EQ(Version, 3);
  EXPECT_EQ(B.Preset.ABGrid->Highlights->Grid.Dots[1][1].X,
            A.Preset.ABGrid->Highlights->Grid.Dots[1][1].X);
  EXPECT_TRUE(IsIdentity(*B.Preset.ExternalLUT->ExternalLUT));
  EXPECT_EQ(B.Preset.MaskDestination->Value, 0);
  EXPECT_EQ(B.Preset.ExternalLUTPosition->Value, 0);
  EXPECT_EQ(B.Preset.ExternalLUT->ExtLUTSwitch->Value, 0);
  EXPECT_EQ(B.Preset.Clipping->HighlightRecovery->Value, 1.0f);  // version < 3
  EXPECT_TRUE(Messages().empty()) << Messages().front();

  // Marked version 4, the same bytes stop at the 2D-curve grids and change
  // nothing.
  std::string Four = Short;
  Four[8] = 4;
  TBoundPreset C;
  ChangeEverything(C);
  const std::string Before = C.Save();
  EXPECT_FALSE(C.Load(Four, Version));
  EXPECT_EQ(Version, 4);
  EXPECT_TRUE(C.Save() == Before);
  EXPECT_FALSE(Messages().empty());
}

TEST_F(BinaryPresetTest, Version23StreamMigrates) {
  TBoundPreset A;
  ChangeEverything(A);
  TKromelPreset& P = A.Preset;
  P.LogDecoder->InputLog->SetValue(7);
  P.LogEncoder->OutputLog->SetValue(5);
  P.ColorModel->SetValue(12);
  P.Master->BlendingMode->SetValue(3);
  P.Master->ColorModel->SetValue(2);
  P.Volume->Mode->SetValue(2);
  P.ExternalLUTPosition->SetValue(3);
  P.FilmCurve->FilmCurve->SetValue(2);
  P.MaskUnit()->MaskType->SetValue(9);
  P.Curves2D->RGEnabled->SetValue(0);
  // The values as the controls carry them, from a current-version load.
  TBoundPreset Ref;
  int32_t Version = 0;
  ASSERT_TRUE(Ref.Load(A.Save(), Version));
  TKromelPreset& R = Ref.Preset;
  ASSERT_NE(R.RGBContrast->Contrast->Value, 0.5f);

  TBoundPreset B;
  const float MaskLutBefore = B.Preset.MaskUnit()->MaskLUT->R[3];
  ASSERT_TRUE(B.Load(OldStream(A, 23), Version));
  EXPECT_EQ(Version, 23);
  TKromelPreset& Q = B.Preset;
  TEnvelopeDots Diagonal;
  Diagonal.ResetDiagonal(2);
  const TEnvelopeDots& Sat = Q.ModelCurves->Saturation->Curve;
  ASSERT_EQ(Sat.NumDots, 2);
  for (int32_t I = 0; I < 2; ++I) {
    EXPECT_EQ(Sat.Dot(I).X, Diagonal.Dot(I).X);
    EXPECT_EQ(Sat.Dot(I).Y, Diagonal.Dot(I).Y);
  }
  const TEnvelopeDots& LumaSat = Q.ModelCurves->LumaSat->Curve;
  ASSERT_EQ(LumaSat.NumDots, 2);
  EXPECT_EQ(LumaSat.Dot(0).Y, 0x4000);
  EXPECT_EQ(LumaSat.Dot(1).Y, 0x4000);
  EXPECT_EQ(Q.TabSwitches->GetSwitch(TabSwitchSaturationReset), 1);
  EXPECT_EQ(Q.TabSwitches->GetSwitch(2), 1);
  EXPECT_EQ(Q.ColorModel->Value, 14);
  EXPECT_EQ(Q.LogDecoder->InputLog->Value, 10);  // 7, +1 above 3, +2 above 1
  EXPECT_EQ(Q.LogEncoder->OutputLog->Value, 0);
  EXPECT_FLOAT_EQ(Q.ABGrid->Brightness->Value, R.ABGrid->Brightness->Value - 0.1f);
  EXPECT_EQ(Q.Basic->Exposure->Value, Q.ABGrid->Brightness->Value);
  EXPECT_EQ(Q.Master->BlendingMode->Value, 0);
  EXPECT_EQ(Q.Master->ColorModel->Value, 0);
  EXPECT_EQ(Q.Volume->Mode->Value, 0);
  EXPECT_EQ(Q.ExternalLUT->ExtLUTSwitch->Value, 1);
  EXPECT_EQ(Q.ExternalLUTPosition->Value, 3);  // -1, then +1
  EXPECT_EQ(Q.FilmCurve->FilmCurve->Value, 0);
  EXPECT_EQ(Q.MaskUnit()->MaskType->Value, 10);
  EXPECT_EQ(Q.Curves2D->RGEnabled->Value, 1);
  // The pivot bar keeps hundredths.
  EXPECT_NEAR(Q.RGBContrast->Pivot->Value, std::sqrt(R.RGBContrast->Pivot->Value), 0.005);
  EXPECT_NE(Q.RGBContrast->Pivot->Value, R.RGBContrast->Pivot->Value);
  EXPECT_EQ(Q.Basic->DynamicRange->Value, Q.Basic->DynamicRange->DefaultValue);
  EXPECT_EQ(Q.ChannelMixer->OffsetR->Value, Q.ChannelMixer->OffsetR->DefaultValue);
  EXPECT_EQ(Q.RGBCurves->RGBGamutExtension->Value, Q.RGBCurves->RGBGamutExtension->DefaultValue);
  // Chunks of later versions are not read.
  EXPECT_EQ(Q.MaskUnit()->MaskLUT->R[3], MaskLutBefore);
  EXPECT_EQ(Q.ExternalLUT->ExternalLUT->R[7], 0.25f);
}

TEST_F(BinaryPresetTest, KeepMaskKeepsTheMaskAndClearsTheIsolation) {
  TBoundPreset A;
  ChangeEverything(A);
  A.Preset.MaskUnit()->MaskType->SetValue(5);
  A.Preset.MaskUnit()->Invert->SetValue(1);
  const std::string Bytes = A.Save();

  TBoundPreset B;
  TMaskAdjustments* Mask = B.Preset.MaskUnit();
  const std::string Before = B.Save();
  const int32_t Type = Mask->MaskType->Value;
  const int32_t Reference = Mask->ReferenceColor->Value;
  const int32_t Dots = Mask->Curve1->Curve.NumDots;
  const float Node = Mask->MaskLUT->R[3];
  int32_t Version = 0;
  ASSERT_TRUE(B.Load(Bytes, Version, true));
  EXPECT_EQ(Mask->MaskType->Value, Type);
  EXPECT_EQ(Mask->Invert->Value, 0);
  EXPECT_EQ(Mask->ReferenceColor->Value, Reference);
  EXPECT_EQ(Mask->Curve1->Curve.NumDots, Dots);
  EXPECT_EQ(Mask->MaskLUT->R[3], Node);
  EXPECT_EQ(B.Preset.LogDecoder->MaxColor->Value, 0x00FFEE);
  EXPECT_EQ(B.Preset.TabSwitches->GetSwitch(TabSwitchKeepMask), 1);
  EXPECT_FALSE(Mask->MaskType->Isolate);
  EXPECT_FALSE(Mask->Curve1->Curve.Isolate);
  EXPECT_FALSE(Mask->MaskLUTIsolate);
  ASSERT_TRUE(B.Load(Bytes, Version, false));
  EXPECT_EQ(Mask->MaskType->Value, 5);
  EXPECT_EQ(B.Preset.TabSwitches->GetSwitch(TabSwitchKeepMask), 0);
}

// Offset of the first Tag at or after From.
size_t Find(const std::string& Bytes, const char* Tag, size_t From = 0) {
  const size_t At = Bytes.find(std::string(Tag, 4), From);
  EXPECT_NE(At, std::string::npos) << Tag;
  return At;
}

void PutInt32(std::string& Bytes, size_t At, uint32_t V) {
  for (int I = 0; I < 4; ++I) Bytes[At + size_t(I)] = char((V >> (8 * I)) & 0xFF);
}

void PutSingle(std::string& Bytes, size_t At, float V) {
  uint32_t U = 0;
  std::memcpy(&U, &V, 4);
  for (int I = 0; I < 4; ++I) Bytes[At + size_t(I)] = char((U >> (8 * I)) & 0xFF);
}

// Mended: the master controls sat at 125..131, so the migrations' numbers
// (46 blend, 47 switch, 49..51 luminance, hue, saturation) and streams of
// that numbering reached nothing. Streams of the former numbering still load.
TEST_F(BinaryPresetTest, MasterControlsTakeTheMigrationNumbers) {
  TBoundPreset Probe;
  EXPECT_EQ(Probe.Registry().At(46), Probe.Controls.Find("GrandMasterOpacityScrollBar"));
  EXPECT_EQ(Probe.Registry().At(47), Probe.Controls.Find("MasterGlyphSwitch"));
  EXPECT_EQ(Probe.Registry().At(49), Probe.Controls.Find("MasterLuminanceScrollBar"));
  EXPECT_EQ(Probe.Registry().At(50), Probe.Controls.Find("MasterHueScrollBar"));
  EXPECT_EQ(Probe.Registry().At(51), Probe.Controls.Find("MasterSaturationScrollBar"));
  const float NaN = std::nanf("");
  // Values: switch, blend, luminance, hue, saturation.
  const float Stored[5] = {1, 0.3f, 0.2f, 0.9f, 0.1f};
  const float Defaults[5] = {0, 0.75f, 0.75f, 0.75f, 0.75f};
  const int32_t Numbers[5] = {47, 46, 49, 50, 51};
  const int32_t Former[5] = {125, 128, 129, 130, 131};
  struct TCase {
    const char* Name;
    uint32_t Version;
    const int32_t* At;       // where the stream holds the values
    const int32_t* Cleared;  // numbers written as no value
    const float* Want;
  } Cases[] = {
      {"version 13", 13, Numbers, Former, Defaults},
      {"version 51", 51, Numbers, Former, Stored},
      {"version 51, former numbers", 51, Former, Numbers, Stored},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TBoundPreset A;
    std::string Bytes = OldStream(A, C.Version);
    const size_t Values = Find(Bytes, "CtrV") + 12;
    for (int32_t I = 0; I < 5; ++I) {
      PutSingle(Bytes, Values + 4 * size_t(C.At[I]), Stored[I]);
      PutSingle(Bytes, Values + 4 * size_t(C.Cleared[I]), NaN);
    }
    TBoundPreset B;
    int32_t Version = 0;
    ASSERT_TRUE(B.Load(Bytes, Version));
    TMasterAdjustments& M = *B.Preset.Master;
    EXPECT_EQ(M.MasterSwitch->Value, int32_t(C.Want[0]));
    EXPECT_FLOAT_EQ(M.Blend->Value, C.Want[1]);
    EXPECT_FLOAT_EQ(M.Luminance->Value, C.Want[2]);
    EXPECT_FLOAT_EQ(M.Hue->Value, C.Want[3]);
    EXPECT_FLOAT_EQ(M.Saturation->Value, C.Want[4]);
    for (int32_t I = 1; I < 5; ++I)
      EXPECT_FLOAT_EQ(B.Registry().At(Numbers[I])->GetControllerValueS(), C.Want[I]);
  }
  EXPECT_TRUE(Messages().empty()) << Messages().front();
}

// Mended: values out of their controls' ranges loaded as they stood: the
// chunk integers whole, and migrations past the last selector position.
TEST_F(BinaryPresetTest, LoadedValuesStayWithinTheirControlsRanges) {
  TBoundPreset A;
  A.Preset.ColorModel->SetValue(15);  // version < 25 adds 2 above 10
  A.Preset.MaskUnit()->ReferenceColor->SetValue(0x123456);
  A.Preset.LogDecoder->MaxColor->SetValue(0x00FFEE);
  std::string Bytes = OldStream(A, 24);
  const size_t Values = Find(Bytes, "CtrV") + 12;
  PutSingle(Bytes, Values + 4 * 4, INFINITY);   // contrast knob
  PutSingle(Bytes, Values + 4 * 40, 7.0f);       // mask destination
  // The two integers after the mask curves: reference colour, MaxColor.
  const size_t Lut = Find(Bytes, "3DLB");
  PutInt32(Bytes, Lut - 8, 0x7FFFFFFF);
  PutInt32(Bytes, Lut - 4, 0xFFFFFFFF);
  TBoundPreset B;
  int32_t Version = 0;
  ASSERT_TRUE(B.Load(Bytes, Version));
  TKromelPreset& P = B.Preset;
  EXPECT_EQ(P.ColorModel->Value, 15);
  EXPECT_EQ(P.RGBContrast->Contrast->Value, 1.0f);
  EXPECT_EQ(P.MaskDestination->Value, 8);
  EXPECT_EQ(P.MaskUnit()->ReferenceColor->Value, 0xFFFFFF);
  EXPECT_EQ(P.LogDecoder->MaxColor->Value, 0);
  EXPECT_EQ(B.Controls.Find("ColorModelComboBox")->GetControllerValue(), 15);
}

TEST_F(BinaryPresetTest, HostileStreamsFailCleanlyAndChangeNothing) {
  TBoundPreset Source;
  ChangeEverything(Source);
  const std::string Good = Source.Save();
  const size_t Grid = Find(Good, "DGRD");
  const size_t Curve = Find(Good, "EnvG");
  const size_t Lut = Find(Good, "3DLB");
  const size_t Mask = Find(Good, "3DLA");
  const size_t Log = Find(Good, "1DLB");
  const auto With = [&](size_t At, uint32_t V) {
    std::string S = Good;
    PutInt32(S, At, V);
    return S;
  };
  struct TCase {
    const char* Name;
    std::string Bytes;
    const char* Message;  // nullptr: any message
  } Cases[] = {
      {"empty", "", "Can not load preset: file test.luc is empty"},
      {"wrong magic", "KRMX" + Good.substr(4), "Error: not a Kromel preset."},
      {"header cut", Good.substr(0, 10), "Error: not a Kromel preset."},
      {"header only", Good.substr(0, 16), nullptr},
      {"controls cut", Good.substr(0, 100), nullptr},
      {"controls size huge", With(20, 0x7FFFFFFF), nullptr},
      {"controls size negative", With(20, 0x80000000), nullptr},
      {"controls count beyond size", With(24, 100000), nullptr},
      {"controls count negative", With(24, 0xFFFFFFFF), nullptr},
      {"grid cut", Good.substr(0, Grid + 30), nullptr},
      {"grid garbage", With(Grid + 4, 0xFFFFFFFF), nullptr},
      {"curve count huge", With(Curve + 12, 100000), nullptr},
      {"curve record size negative", With(Curve + 16, 0xFFFFFFF0), nullptr},
      {"curve cut", Good.substr(0, Curve + 40), nullptr},
      {"curve tag", With(Curve, 0x47766E46), nullptr},
      {"lut levels huge", With(Lut + 8, 100000), nullptr},
      {"lut cut", Good.substr(0, Lut + 60), nullptr},
      {"mask lut cut", Good.substr(0, Mask + 500), nullptr},
      {"mask lut tag", With(Mask, 0x41414141), nullptr},
      {"log lut count huge", With(Log + 8, 0x40000000), nullptr},
      {"log lut cut", Good.substr(0, Good.size() - 3), nullptr},
      {"reference colour cut", Good.substr(0, Lut - 6), nullptr},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TBoundPreset B;
    B.Preset.ABGrid->Highlights->Grid.Dots[0][0].X = 4321;
    B.Preset.MaskUnit()->MaskType->SetValue(4);
    const std::string Before = B.Save();
    Sink.Clear();
    int32_t Version = 0;
    TMemoryStream S(C.Bytes);
    EXPECT_FALSE(LoadPresetFromStream(B.Preset, B.Registry(), S, "test.luc", true, Version));
    EXPECT_EQ(S.Position(), 0);
    EXPECT_TRUE(B.Save() == Before);
    EXPECT_FALSE(B.Preset.MaskUnit()->MaskType->Isolate);
    EXPECT_FALSE(B.Preset.MaskUnit()->MaskLUTIsolate);
    EXPECT_EQ(B.Preset.TabSwitches->GetSwitch(TabSwitchKeepMask), 0);
    ASSERT_FALSE(Messages().empty() && Errors().empty());
    if (C.Message != nullptr) EXPECT_EQ(Messages().back(), C.Message);
  }
}

TEST_F(BinaryPresetTest, DamagedBytesEitherLoadOrChangeNothing) {
  TBoundPreset Source;
  ChangeEverything(Source);
  const std::string Good = Source.Save();
  const size_t End = Find(Good, "3DLA");
  TBoundPreset B;
  const std::string Before = B.Save();
  // About forty positions spread over the header, controls, grids and curves.
  const size_t Step = std::max<size_t>(7, End / 40) | 1;
  for (size_t At = 4; At < End; At += Step) {
    std::string Bad = Good;
    Bad[At] = char(Bad[At] ^ 0xA5);
    int32_t Version = 0;
    if (!B.Load(Bad, Version)) {
      ASSERT_TRUE(B.Save() == Before) << At;
    } else {
      // A load that succeeded leaves a preset that saves and reloads.
      TBoundPreset C;
      ASSERT_TRUE(C.Load(B.Save(), Version)) << At;
      ASSERT_TRUE(B.Load(Before, Version));
    }
  }
}

TEST_F(BinaryPresetTest, NewerOrNegativeVersionsReadAsTheCurrentOne) {
  TBoundPreset A;
  ChangeEverything(A);
  std::string Bytes = A.Save();
  for (uint32_t V : {52u, 1000u, 0xFFFFFFFFu}) {
    PutInt32(Bytes, 8, V);
    TBoundPreset B;
    int32_t Version = 0;
    ASSERT_TRUE(B.Load(Bytes, Version));
    EXPECT_EQ(uint32_t(Version), V);
    EXPECT_TRUE(B.Save() == A.Save());
  }
}

TController* FirstControl(TBoundPreset& B) {
  int32_t Sub = 0;
  return B.Registry().OwnerOf(1, Sub);
}

// The plug-in link hands the preset over as "LutPreset<n>.luc".
class PluginPresetTest : public testing::TCaptureTest {};

TEST_F(PluginPresetTest, DocumentSevenGivesAPresetFileThatLoadsAsThePreset) {
  testing::TTestTempDir Dir("kromel_plugin_preset");
  TBoundPreset Sent;
  ASSERT_NE(FirstControl(Sent), nullptr);
  const float Default = FirstControl(Sent)->GetControllerValueS();
  const float Graded = Default > 0.5f ? 0.125f : 0.875f;
  FirstControl(Sent)->SetControllerValueS(Graded);

  testing::TFakePlugin Plugin(Dir.Path.string());
  Plugin.SetDocument(7, "Shot");
  testing::TPluginHostDouble Host;
  Host.SaveFile = [&](const std::string& Name) {
    return SavePresetToBinaryFile(Sent.Preset, Sent.Registry(), Name, true);
  };
  TKromelPluginLink Link(Host, Dir.Path.string());
  ASSERT_TRUE(Link.KromelSMOpen(true) && Link.KromelSMImageOpen());
  ASSERT_TRUE(Link.KromelSMSavePreset());
  const std::string File = Dir.File("LutPreset7.luc");
  EXPECT_EQ(Host.SavedFiles, std::vector<std::string>{File});
  EXPECT_EQ(testing::ReadText(File).substr(0, 4), "KRMP");

  TBoundPreset Received;
  ASSERT_FLOAT_EQ(FirstControl(Received)->GetControllerValueS(), Default);
  ASSERT_TRUE(LoadPresetFromBinaryFile(Received.Preset, Received.Registry(), File));
  EXPECT_FLOAT_EQ(FirstControl(Received)->GetControllerValueS(), Graded);
  EXPECT_TRUE(Silent());
}

TEST_F(PluginPresetTest, UnwritableFolderIsReported) {
  TBoundPreset Sent;
  EXPECT_FALSE(SavePresetToBinaryFile(Sent.Preset, Sent.Registry(),
                                      "/nonexistent-folder/LutPreset1.luc", false));
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Can not save preset, failed to create file "
                            "/nonexistent-folder/LutPreset1.luc"});
  EXPECT_FALSE(LoadPresetFromBinaryFile(Sent.Preset, Sent.Registry(), "/nonexistent-folder/x"));
}

}  // namespace
}  // namespace kromel
