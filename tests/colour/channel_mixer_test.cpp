#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "colour/channel_mixer.h"
#include "images/image128.h"

namespace kromel {
namespace {

TChannelMixerParams MakeMatrix(std::initializer_list<double> Values) {
  TChannelMixerParams P;
  int i = 0;
  for (double V : Values) P.Matrix[i++] = V;
  return P;
}

TChannelMixerParams Identity() {
  TChannelMixerParams P;
  ChannelMixerSetDefault(P);
  return P;
}

void ExpectMatrixNear(const TChannelMixerParams& P, std::initializer_list<double> Expected,
                      double Tol) {
  int i = 0;
  for (double V : Expected) {
    EXPECT_NEAR(P.Matrix[i], V, Tol) << "coefficient " << i;
    ++i;
  }
}

double RowSum(const TChannelMixerParams& P, int r) {
  return P.Matrix[3 * r] + P.Matrix[3 * r + 1] + P.Matrix[3 * r + 2];
}

double ColumnSum(const TChannelMixerParams& P, int c) {
  return P.Matrix[c] + P.Matrix[3 + c] + P.Matrix[6 + c];
}

// Row r applied to the colour (R, G, B).
double RowOutput(const TChannelMixerParams& P, int r, float R, float G, float B) {
  return P.Matrix[3 * r] * R + P.Matrix[3 * r + 1] * G + P.Matrix[3 * r + 2] * B;
}

TBGRAPixel128 Colour(float R, float G, float B) {
  TBGRAPixel128 P;
  P.Init(R, G, B, 1);
  return P;
}

TBGRAPixel128 Apply(const TChannelMixerParams& P, const TBGRAPixel128& C) {
  float R = C.R, G = C.G, B = C.B;
  ChannelMixerApplyToColor(P, R, G, B);
  return Colour(R, G, B);
}

TEST(ChannelMixer, RecordBasics) {
  TChannelMixerParams P = MakeMatrix({1, 2, 3, 4, 5, 6, 7, 8, 9});
  P.OffsetR = 0.5f;
  EXPECT_FLOAT_EQ(ChannelMixerGain(P), 15.0f);
  EXPECT_FALSE(ChannelMixerIsIdentity(P));
  ChannelMixerSetDefault(P);
  EXPECT_TRUE(ChannelMixerIsIdentity(P));
  EXPECT_EQ(P.OffsetR, 0.0f);
  P.OffsetG = 3;  // offsets are not looked at
  EXPECT_TRUE(ChannelMixerIsIdentity(P));
  ChannelMixerClear(P);
  for (double C : P.Matrix) EXPECT_EQ(C, 0.0);
  EXPECT_EQ(P.OffsetG, 0.0f);

  TChannelMixerMonochromeParams MP;
  ChannelMixerMonochromeSetDefault(MP);
  EXPECT_EQ(MP.R, 1.0f / 3);
  EXPECT_EQ(MP.G, 1.0f / 3);
  EXPECT_EQ(MP.B, 1.0f / 3);
  EXPECT_EQ(MP.Fourth, 0.0f);
}

TEST(ChannelMixer, MultiplyAppliesArgumentAfterTarget) {
  TChannelMixerParams Gain = MakeMatrix({2, 0, 0, 0, 1, 0, 0, 0, 1});
  const TChannelMixerParams Swap = MakeMatrix({0, 1, 0, 1, 0, 0, 0, 0, 1});
  ChannelMixerMultiply(Gain, Swap);
  // The red gain first, then red and green exchanged.
  ExpectMatrixNear(Gain, {0, 1, 0, 2, 0, 0, 0, 0, 1}, 0);
  const TBGRAPixel128 Out = Apply(Gain, Colour(0.25f, 0.5f, 0.75f));
  EXPECT_FLOAT_EQ(Out.R, 0.5f);
  EXPECT_FLOAT_EQ(Out.G, 0.5f);
}

TEST(ChannelMixer, InversionAndSingularCopies) {
  const TChannelMixerParams M = MakeMatrix({0.9, 0.2, -0.1, 0.05, 1.1, -0.15, 0.0, -0.2, 1.2});
  TChannelMixerParams Inv;
  Inv.OffsetR = 7;
  ChannelMixerInvert(Inv, M);
  EXPECT_EQ(Inv.OffsetR, 7.0f);  // offsets of the destination are kept
  TChannelMixerParams Product = M;
  ChannelMixerMultiply(Product, Inv);
  ExpectMatrixNear(Product, {1, 0, 0, 0, 1, 0, 0, 0, 1}, 1e-6);

  TChannelMixerParams InPlace = M;
  ChannelMixerInvertInPlace(InPlace);
  for (int i = 0; i < 9; ++i) EXPECT_DOUBLE_EQ(InPlace.Matrix[i], Inv.Matrix[i]);

  // Determinant 0.0000005: the destination becomes a copy, offsets included.
  TChannelMixerParams Singular = MakeMatrix({0.0005, 0, 0, 0, 0.001, 0, 0, 0, 1});
  Singular.OffsetB = 0.25f;
  TChannelMixerParams Dst;
  Dst.OffsetB = 9;
  ChannelMixerInvert(Dst, Singular);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(Dst.Matrix[i], Singular.Matrix[i]);
  EXPECT_EQ(Dst.OffsetB, 0.25f);
  TChannelMixerParams Kept = Singular;
  ChannelMixerInvertInPlace(Kept);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(Kept.Matrix[i], Singular.Matrix[i]);
}

TEST(ChannelMixer, WhiteBalanceSplitsInputGains) {
  struct TCase {
    TChannelMixerParams M;
    float GR, GG, GB;
  };
  const TCase Cases[] = {
      {MakeMatrix({2, 0, 0, 0, 1, 0, 0, 0, 0.5}), 2, 1, 0.5f},
      {MakeMatrix({4, 0, 0, 0, 1, 0, 0, 0, 0.25}), 4, 1, 0.25f},
      {Identity(), 1, 1, 1},
  };
  for (const TCase& C : Cases) {
    TChannelMixerParams P = C.M;
    float R = -1, G = -1, B = -1;
    ChannelMixerWhiteBalance(P, R, G, B);
    EXPECT_NEAR(R, C.GR, 1e-6);
    EXPECT_NEAR(G, C.GG, 1e-6);
    EXPECT_NEAR(B, C.GB, 1e-6);
    ExpectMatrixNear(P, {1, 0, 0, 0, 1, 0, 0, 0, 1}, 1e-6);
  }

  // A general matrix: rows sum to 1 afterwards and M = M_new x diag(gains).
  const TChannelMixerParams M = MakeMatrix({1.2, 0.1, 0.0, 0.1, 0.9, 0.1, 0.0, 0.2, 0.7});
  TChannelMixerParams P = M;
  float Gains[3];
  ChannelMixerWhiteBalance(P, Gains[0], Gains[1], Gains[2]);
  for (int r = 0; r < 3; ++r) {
    EXPECT_NEAR(RowSum(P, r), 1.0, 1e-6);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(P.Matrix[3 * r + c] * Gains[c], M.Matrix[3 * r + c], 1e-6);
  }
}

TEST(ChannelMixer, WhiteBalanceLeavesDegenerateMatrices) {
  const TChannelMixerParams Cases[] = {
      MakeMatrix({0.02, 0, 0, 0, 0.005, 0, 0, 0, 0.004}),  // gain below 0.01
      MakeMatrix({1, 1, 1, 1, 1, 1, 1, 1, 1}),              // singular
  };
  for (const TChannelMixerParams& M : Cases) {
    TChannelMixerParams P = M;
    float R = -1, G = -1, B = -1;
    ChannelMixerWhiteBalance(P, R, G, B);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(P.Matrix[i], M.Matrix[i]);
    EXPECT_EQ(R, -1.0f);
    EXPECT_EQ(G, -1.0f);
    EXPECT_EQ(B, -1.0f);
  }
}

TEST(ChannelMixer, HueRotation) {
  for (float A : {0.0f, 0.3f, 1.0f, 2.5f, -1.2f}) {
    TChannelMixerParams P = Identity();  // becomes H(A)
    ChannelMixerRotateHue(P, A);
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(RowSum(P, i), 1.0, 1e-6) << A;
      EXPECT_NEAR(ColumnSum(P, i), 1.0, 1e-6) << A;
    }
  }
  const TChannelMixerParams M = MakeMatrix({0.9, 0.2, -0.1, 0.05, 1.1, -0.15, 0.0, -0.2, 1.2});
  TChannelMixerParams P = M;
  ChannelMixerRotateHue(P, 0);
  for (int i = 0; i < 9; ++i) EXPECT_DOUBLE_EQ(P.Matrix[i], M.Matrix[i]);

  TChannelMixerParams Cyclic = Identity();
  ChannelMixerRotateHue(Cyclic, static_cast<float>(2 * std::numbers::pi / 3));
  ExpectMatrixNear(Cyclic, {0, 0, 1, 1, 0, 0, 0, 1, 0}, 1e-6);

  // Output rotation H x P, input rotation P x H.
  TChannelMixerParams HP = Identity();
  ChannelMixerRotateHue(HP, 0.7f);
  TChannelMixerParams Out = M, In = M;
  ChannelMixerRotateHue(Out, 0.7f);
  ChannelMixerRotateHueInput(In, 0.7f);
  TChannelMixerParams ExpectOut = M, ExpectIn = HP;
  ChannelMixerMultiply(ExpectOut, HP);
  ChannelMixerMultiply(ExpectIn, M);
  for (int i = 0; i < 9; ++i) {
    EXPECT_NEAR(Out.Matrix[i], ExpectOut.Matrix[i], 1e-12);
    EXPECT_NEAR(In.Matrix[i], ExpectIn.Matrix[i], 1e-12);
  }
}

TEST(ChannelMixer, SaturationAndGainLimit) {
  TChannelMixerParams P = MakeMatrix({0.9, 0.2, -0.1, 0.05, 1.1, -0.15, 0.0, -0.2, 1.2});
  ChannelMixerSaturation(P, 0);
  for (double C : P.Matrix) EXPECT_NEAR(C, 1.0 / 3, 1e-15);
  P = MakeMatrix({0.9, 0.2, -0.1, 0.05, 1.1, -0.15, 0.0, -0.2, 1.2});
  ChannelMixerSaturationLuma(P, 0);
  ExpectMatrixNear(P, {0.2126, 0.7152, 0.0722, 0.2126, 0.7152, 0.0722, 0.2126, 0.7152, 0.0722},
                   1e-15);

  TChannelMixerParams I = Identity();
  ChannelMixerLimitGain(I);
  EXPECT_TRUE(ChannelMixerIsIdentity(I));
  TChannelMixerParams Two = MakeMatrix({2, 0, 0, 0, 2, 0, 0, 0, 2});
  ChannelMixerLimitGain(Two);
  const double Diagonal = (2 - 1.0 / 3) / 8 + 1.0 / 3, Off = (0 - 1.0 / 3) / 8 + 1.0 / 3;
  ExpectMatrixNear(Two, {Diagonal, Off, Off, Off, Diagonal, Off, Off, Off, Diagonal}, 1e-7);
}

TEST(ChannelMixer, NormalizeRowsAndBalanceColumns) {
  TChannelMixerParams P = MakeMatrix({0.5, 0.5, 0.5, -0.2, 0.1, 0.1, 0.2, 0.2, 1.1});
  ChannelMixerNormalizeRows(P);
  for (int r = 0; r < 3; ++r) EXPECT_NEAR(RowSum(P, r), 1.0, 1e-6);
  // Row 1 summed to 0: its diagonal rose by 0.05 before the division.
  EXPECT_NEAR(P.Matrix[4], 0.15 / 0.05, 1e-5);

  TChannelMixerParams Q = MakeMatrix({1.2, 0.1, 0.0, 0.1, 0.9, 0.1, 0.0, 0.2, 0.7});
  ChannelMixerBalanceColumns(Q);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(ColumnSum(Q, c), 1.0, 1e-6);
}

TEST(ChannelMixer, EditsAtAColourKeepItsOutputAndGrey) {
  const float R = 0.7f, G = 0.4f, B = 0.2f;
  const TChannelMixerParams M = MakeMatrix({1.1, -0.05, -0.05, 0.1, 0.8, 0.1, -0.1, 0.3, 0.8});
  TChannelMixerParams P = M;
  ChannelMixerRandomizeAtColor(P, R, G, B);
  for (int r = 0; r < 3; ++r) {
    EXPECT_NEAR(RowSum(P, r), RowSum(M, r), 1e-5);
    EXPECT_NEAR(RowOutput(P, r, R, G, B), RowOutput(M, r, R, G, B), 1e-5);
  }
  TChannelMixerParams Dark = M;
  ChannelMixerRandomizeAtColor(Dark, 0, G, B);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(Dark.Matrix[i], M.Matrix[i]);

  for (int Op = 1; Op <= 6; ++Op) {
    TChannelMixerParams A = M;
    ChannelMixerAdjustAtColor(A, Op, Op, Op, R, G, B, 0.1f);
    bool Changed = false;
    for (int r = 0; r < 3; ++r) {
      EXPECT_NEAR(RowSum(A, r), RowSum(M, r), 1e-5) << Op;
      EXPECT_NEAR(RowOutput(A, r, R, G, B), RowOutput(M, r, R, G, B), 1e-5) << Op;
      for (int c = 0; c < 3; ++c) Changed |= A.Matrix[3 * r + c] != M.Matrix[3 * r + c];
    }
    EXPECT_TRUE(Changed) << Op;
  }
  TChannelMixerParams Out = M;
  ChannelMixerAdjustAtColor(Out, 7, -1, 0, R, G, B, 0.1f);  // ops outside 1..6 and 0
  for (int i = 0; i < 9; ++i) EXPECT_EQ(Out.Matrix[i], M.Matrix[i]);

  // Hue mode turns the output hue and keeps grey.
  TChannelMixerParams Hue = Identity();
  ChannelMixerAdjustAtColor(Hue, 0, 0, 0, R, G, B, 0.5f);
  EXPECT_FALSE(ChannelMixerIsIdentity(Hue));
  for (int r = 0; r < 3; ++r) EXPECT_NEAR(RowSum(Hue, r), 1.0, 1e-5);
}

TEST(ChannelMixer, SolversFromColourPairs) {
  const TChannelMixerParams M = MakeMatrix({1.1, -0.05, -0.05, 0.1, 0.8, 0.1, -0.1, 0.3, 0.8});
  const TBGRAPixel128 S1 = Colour(0.8f, 0.3f, 0.1f), S2 = Colour(0.2f, 0.6f, 0.4f);
  const TBGRAPixel128 S3 = Colour(0.1f, 0.2f, 0.9f);
  const TBGRAPixel128 T1 = Apply(M, S1), T2 = Apply(M, S2), T3 = Apply(M, S3);

  TChannelMixerParams Two = Identity();
  Two.OffsetR = 0.5f;
  const float Q = ChannelMixerFromColorSamples(Two, S1, S2, T1, T2, 0.0001f);
  EXPECT_GT(Q, 0.0f);
  EXPECT_EQ(Two.OffsetR, 0.5f);
  for (int r = 0; r < 3; ++r) EXPECT_NEAR(RowSum(Two, r), 1.0, 1e-9);
  for (const auto& [S, T] : {std::pair{S1, T1}, std::pair{S2, T2}}) {
    const TBGRAPixel128 Out = Apply(Two, S);
    EXPECT_NEAR(Out.R, T.R, 1e-5);
    EXPECT_NEAR(Out.G, T.G, 1e-5);
    EXPECT_NEAR(Out.B, T.B, 1e-5);
  }
  TChannelMixerParams Same = M;
  EXPECT_EQ(ChannelMixerFromColorSamples(Same, S1, S1, T1, T2, 0.0001f), 0.0f);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(Same.Matrix[i], M.Matrix[i]);

  TChannelMixerParams Three = Identity();
  const float W = ChannelMixerFromThreeColorPairs(Three, S1, S2, S3, T1, T2, T3, 0.0001f);
  EXPECT_GT(W, 0.1f);
  ExpectMatrixNear(Three, {1.1, -0.05, -0.05, 0.1, 0.8, 0.1, -0.1, 0.3, 0.8}, 1e-5);
  TChannelMixerParams Flat = M;
  EXPECT_EQ(ChannelMixerFromThreeColorPairs(Flat, S1, S2, S1, T1, T2, T1, 0.0001f), 0.0f);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(Flat.Matrix[i], M.Matrix[i]);
}

TEST(ChannelMixer, CreateRGBtoXYZFromPrimaries) {
  TChannelMixerParams P;
  CreateRGBtoXYZ(P, 0.64f, 0.33f, 0.30f, 0.60f, 0.15f, 0.06f, 0.95047f, 1.0f, 1.08883f);
  ExpectMatrixNear(P,
                   {0.4124, 0.3576, 0.1805, 0.2126, 0.7152, 0.0722, 0.0193, 0.1192, 0.9505},
                   2e-4);
  EXPECT_EQ(P.OffsetR, 0.0f);
  TChannelMixerParams Flat;
  CreateRGBtoXYZ(Flat, 0.64f, 0.33f, 0.30f, 0.0f, 0.15f, 0.06f, 0.95047f, 1.0f, 1.08883f);
  EXPECT_TRUE(ChannelMixerIsIdentity(Flat));
}

TEST(ChannelMixer, ApplyToImageAddsOffsetsFirst) {
  TImage128 Image;
  ASSERT_TRUE(Image.Alloc(2, 1));
  TBGRAPixel128* Pixels = Image.Data;
  Pixels[0].Init(0.1f, 0.2f, 0.3f, 0.25f);
  Pixels[1].Init(1.5f, -0.5f, 0.0f, 0.75f);
  TChannelMixerParams P = MakeMatrix({0, 1, 0, 0, 0, 1, 2, 0, 0});
  P.OffsetR = 0.5f;
  P.OffsetG = 0.25f;
  ChannelMixerApplyToImage128(P, Image);
  EXPECT_FLOAT_EQ(Pixels[0].R, 0.45f);
  EXPECT_FLOAT_EQ(Pixels[0].G, 0.3f);
  EXPECT_FLOAT_EQ(Pixels[0].B, 1.2f);
  EXPECT_EQ(Pixels[0].A, 0.25f);
  EXPECT_FLOAT_EQ(Pixels[1].R, -0.25f);  // no clamping
  EXPECT_FLOAT_EQ(Pixels[1].B, 4.0f);
  EXPECT_EQ(Pixels[1].A, 0.75f);
}

TEST(ChannelMixer, ParseRGBText) {
  struct TCase {
    const char* Text;
    bool Ok;
    float R, G, B;
  } const Cases[] = {
      {"R: 10 G: 20 B: 30", true, 10, 20, 30},
      {"  red: 10 Green: 20 BLUE: 30", true, 10, 20, 30},
      {"10;20;30", true, 10, 20, 30},
      {"10, 20, 30", true, 10, 20, 30},
      {"0.5 0.25 1", true, 0.5f, 0.25f, 1},
      {"-1.5;2.5;0", true, -1.5f, 2.5f, 0},
      {"10 20", false, 0, 0, 0},
  };
  for (const TCase& C : Cases) {
    float R = -9, G = -9, B = -9;
    EXPECT_EQ(ParseRGBText(C.Text, R, G, B), C.Ok) << C.Text;
    if (!C.Ok) continue;
    EXPECT_FLOAT_EQ(R, C.R) << C.Text;
    EXPECT_FLOAT_EQ(G, C.G) << C.Text;
    EXPECT_FLOAT_EQ(B, C.B) << C.Text;
  }
}

}  // namespace
}  // namespace kromel
