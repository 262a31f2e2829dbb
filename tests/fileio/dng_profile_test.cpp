#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "colour/acr3_tone_curve.h"
#include "fileio/dng_camera_profile.h"
#include "fileio/dng_tables.h"
#include "fileio/dng_tag_stream.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

namespace kromel {
namespace {

using testing::CapturedErrors;
using testing::TErrorCapture;

std::vector<uint8_t> StreamBytes(const TDNGFileStream& S) {
  return std::vector<uint8_t>(S.Memory(), S.Memory() + S.Size());
}

// A stream with a header and room for Entries IFD entries, at its data end.
void StartIFD(TDNGFileStream& S, int Entries) {
  S.WriteWord(S.BigEndian ? 0x4D4D : 0x4949);
  S.WriteWord(0x4352);
  S.WriteLong(8);
  S.WriteWord(static_cast<uint16_t>(Entries));
  const std::string Zeros(12 * Entries + 4, '\0');
  S.WriteBuffer(Zeros.data(), int64_t(Zeros.size()));
  S.EntriesWritten = 0;
}

uint32_t LE32(const std::vector<uint8_t>& B, std::size_t At) {
  return B[At] | B[At + 1] << 8 | B[At + 2] << 16 | uint32_t(B[At + 3]) << 24;
}

TEST(DNGTagStream, TypeSizes) {
  const int32_t Expected[17] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4, 2, 8, 0};
  for (uint32_t T = 0; T <= 16; ++T) EXPECT_EQ(TagTypeSize(T), Expected[T]) << T;
}

// Text entries: inline up to four bytes with the NUL, else padded data.
TEST(DNGTagStream, StringTags) {
  struct Case {
    const char* Text;
    uint32_t Count;
    std::vector<uint8_t> Field, Data;
  };
  const Case Cases[] = {
      {"", 1, {0, 0, 0, 0}, {}},
      {"abc", 4, {'a', 'b', 'c', 0}, {}},
      {"abcd", 5, {26, 0, 0, 0}, {'a', 'b', 'c', 'd', 0, 0}},
  };
  for (const Case& C : Cases) {
    TDNGFileStream S;
    StartIFD(S, 1);
    S.WriteStringTag(0, 50708, C.Text);
    const std::vector<uint8_t> B = StreamBytes(S);
    EXPECT_EQ(B[10] | B[11] << 8, 50708);
    EXPECT_EQ(B[12] | B[13] << 8, ttAscii);
    EXPECT_EQ(LE32(B, 14), C.Count) << C.Text;
    EXPECT_EQ(std::vector<uint8_t>(B.begin() + 18, B.begin() + 22), C.Field) << C.Text;
    EXPECT_EQ(std::vector<uint8_t>(B.begin() + 26, B.end()), C.Data) << C.Text;
  }
}

// Rationals round halves to even; a SHORT sits in the first two bytes.
TEST(DNGTagStream, NumbersAndMatrices) {
  TDNGFileStream S;
  StartIFD(S, 3);
  TDNGMatrix M;
  const double Values[9] = {0.03125, 0.09375, -0.5, 1, 0, 0, 0, 0, 2.00005};
  std::memcpy(M.Values, Values, sizeof Values);
  S.WriteMatrixTag(0, 50721, M);
  S.WriteShortTag(0, 50778, 17);
  S.WriteSRationalTag(0, 51109, 0.5);
  const std::vector<uint8_t> B = StreamBytes(S);
  ASSERT_EQ(LE32(B, 18), 14u + 36u);  // data right after the entry area
  const int32_t Num[9] = {312, 938, -5000, 10000, 0, 0, 0, 0, 20000};
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(int32_t(LE32(B, 50 + 8 * i)), Num[i]) << i;
    EXPECT_EQ(LE32(B, 54 + 8 * i), 10000u);
  }
  EXPECT_EQ(std::vector<uint8_t>(B.begin() + 30, B.begin() + 34), (std::vector<uint8_t>{17, 0, 0, 0}));
  EXPECT_EQ(LE32(B, 42), 50u + 72u);
  EXPECT_EQ(LE32(B, 50 + 72), 16384u);
  EXPECT_EQ(LE32(B, 54 + 72), 32768u);
}

TEST(DNGTagStream, ByteOrderAndMatrixChecks) {
  TDNGFileStream S;
  const uint8_t Bytes[] = {0x12, 0x34, 0x12, 0x34};
  S.WriteBuffer(Bytes, 4);
  S.Seek(0);
  EXPECT_EQ(S.ReadWord(), 0x3412);
  S.SetByteOrder(true);
  EXPECT_EQ(S.ReadWord(), 0x1234);
  EXPECT_THROW(S.ReadWord(), EStreamError);  // past the end
  TDNGMatrix M;
  M.Values[0] = 7;
  EXPECT_EQ(S.ReadMatrix(12, 4, 3, M), 1);
  EXPECT_EQ(M.Values[0], 7);
  EXPECT_FALSE(M.IsSet);
  EXPECT_EQ(S.ReadMatrix(6, 3, 3, M), 2);
  EXPECT_TRUE(M.IsSet);
}

// --- Tables ---

TEST(DNGTables, HSVTableLookups) {
  TDNGHSVTable T(6, 3, 2);
  T.SetIdentity();
  ASSERT_EQ(T.GetCount(), 36);
  float H = 123, S = 0.4f, V = 0.7f;
  T.ApplyToHSV(H, S, V);
  EXPECT_FLOAT_EQ(H, 123);
  EXPECT_FLOAT_EQ(S, 0.4f);
  EXPECT_FLOAT_EQ(V, 0.7f);
  // Shift only hue division 5 (300 degrees): -30 reads 330, halfway 5 and 0.
  for (int s = 0; s < 3; ++s)
    for (int v = 0; v < 2; ++v) T.GetEntryPtr(5, s, v).HueShift = 10;
  H = -30, S = 1, V = 1;
  T.ApplyToHSV(H, S, V);
  EXPECT_FLOAT_EQ(H, 335);
  H = 360, S = 0.5f, V = 0.5f;
  T.ApplyToHSV(H, S, V);
  EXPECT_FLOAT_EQ(H, 360);  // division 0, fraction 0
  // A table that is not full leaves the colour alone.
  TDNGHSVTable Part(6, 3, 2);
  Part.AddEntry(50, 2, 2);
  H = 10, S = 0.5f, V = 0.5f;
  Part.ApplyToHSV(H, S, V);
  EXPECT_FLOAT_EQ(H, 10);
}

TEST(DNGTables, UpsamplingAndDiscontinuity) {
  TDNGHSVTable T(6, 2, 1);
  T.SetIdentity();
  for (int h = 0; h < 6; ++h) T.GetEntryPtr(h, 1, 0).HueShift = float(10 * h);
  T.UpsampleHue2X();
  ASSERT_EQ(T.HueDivisions, 12);
  EXPECT_FLOAT_EQ(T.GetEntryPtr(11, 1, 0).HueShift, 25);  // mean of old 5 and 0
  TDNGHSVTable S(1, 3, 1);
  S.SetIdentity();
  S.GetEntryPtr(0, 1, 0).SatScale = 2;
  S.GetEntryPtr(0, 2, 0).SatScale = 4;
  S.UpsampleSat2X();
  ASSERT_EQ(S.SatDivisions, 5);
  EXPECT_FLOAT_EQ(S.GetEntryPtr(0, 1, 0).SatScale, 2);
  EXPECT_FLOAT_EQ(S.GetEntryPtr(0, 3, 0).SatScale, 3);
  TDNGHSVTable D(2, 1, 1);
  D.SetIdentity();
  D.GetEntryPtr(0, 0, 0).HueShift = 100;
  D.GetEntryPtr(1, 0, 0).HueShift = -80;
  EXPECT_TRUE(D.CheckHueDiscontinuity());
  D.GetEntryPtr(1, 0, 0).HueShift = -60;
  EXPECT_FALSE(D.CheckHueDiscontinuity());
}

TEST(DNGTables, ToneCurves) {
  TDNGHVTable C(2);
  C.SetPoint(0, 0.2f, 0.1f);
  C.SetPoint(1, 1, 1);
  EXPECT_FLOAT_EQ(C.Evaluate(0.1f), 0.05f);
  EXPECT_FLOAT_EQ(C.Evaluate(0.6f), 0.55f);
  EXPECT_FLOAT_EQ(C.Evaluate(1.5f), 1);
  EXPECT_FLOAT_EQ(C.EvaluateInverse(0.55f), 0.6f);
  EXPECT_FLOAT_EQ(TDNGHVTable(0).Evaluate(0.3f), 1);
  TDNGHVTable A(256);
  A.SetACR3Curve();
  EXPECT_FLOAT_EQ(A.GetPoint(255).X, 1);
  EXPECT_FLOAT_EQ(A.GetPoint(255).Y, 1);
  EXPECT_FLOAT_EQ(A.GetPoint(51).X, 0.2f);
  EXPECT_FLOAT_EQ(A.GetPoint(51).Y, dng_tone_curve_acr3_calc(0.2f));
}

TEST(DNGTables, Base85) {
  TErrorCapture Capture;
  ByteArray Out;
  DecodeAdobe85(Out, "!!!!!");
  EXPECT_EQ(Out, (ByteArray{0, 0, 0, 0}));
  DecodeAdobe85(Out, "!!!!\"");  // '"' is invalid, fifth of its group
  EXPECT_EQ(CapturedErrors().back(), "Error in DecodeAdobe85 at index 4 char: \"\"\" (code 34)");
  DecodeAdobe85(Out, "#!!!!!!!!#zz");
  ASSERT_EQ(Out.size(), 9u);
  // "#" is digit 1: "#!!!!" is 85^4 = 0x031C84B1, least significant byte first.
  EXPECT_EQ(ByteArray(Out.begin(), Out.begin() + 5), (ByteArray{0xB1, 0x84, 0x1C, 0x03, 1}));
  EXPECT_EQ(Out[8], 0);
  DecodeAdobe85(Out, "!!,!!");  // third of its group: unquoted
  EXPECT_EQ(CapturedErrors().back(), "Error in DecodeAdobe85 at index 2 char: ,");
}

// --- Camera profiles ---

class DNGProfile : public ::testing::Test {
 protected:
  testing::TTestTempDir Dir{"kromel_dng_profile"};
  TErrorCapture Capture;
};

TEST_F(DNGProfile, MinimalProfileLayout) {
  TDNGCameraProfile P;
  P.UniqueCameraModel = "Camera X";
  const std::string Bytes = P.SaveToBytes();
  ASSERT_GE(Bytes.size(), 134u);
  const std::vector<uint8_t> B(Bytes.begin(), Bytes.end());
  EXPECT_EQ(std::string(Bytes, 0, 2), "II");
  EXPECT_EQ(B[2] | B[3] << 8, 0x4352);
  EXPECT_EQ(LE32(B, 4), 8u);
  EXPECT_EQ(B[8] | B[9] << 8, 10);
  EXPECT_EQ(LE32(B, 130), 0u);
  EXPECT_EQ(LE32(B, 18), 134u);
  EXPECT_EQ(Bytes.substr(134, 9), std::string("Camera X\0", 9));
  uint32_t Previous = 0;
  for (int i = 0; i < 10; ++i) {
    const uint32_t Tag = B[10 + 12 * i] | B[11 + 12 * i] << 8;
    EXPECT_GT(Tag, Previous);
    Previous = Tag;
  }
}

std::unique_ptr<TDNGHSVTable> RampTable(int32_t H, int32_t S, int32_t V) {
  auto T = std::make_unique<TDNGHSVTable>(H, S, V);
  T->SetIdentity();
  for (int64_t i = 0; i < T->GetCount(); ++i) T->Entries[i] = {float(i % 7) - 3, 1 + i * 1e-3f, 1 - i * 1e-4f};
  return T;
}

TDNGCameraProfile FullProfile() {
  TDNGCameraProfile P;
  P.UniqueCameraModel = "Maker Cam";
  P.ProfileName = "Look";
  P.ProfileCopyright = "Kromel";
  P.CalibrationIlluminant1 = 17;
  P.CalibrationIlluminant2 = 21;
  for (int i = 0; i < 9; ++i) {
    P.ColorMatrix1.Values[i] = 0.1 * i - 0.3;
    P.ForwardMatrix1.Values[i] = i % 4 == 0 ? 1 : 0;
  }
  P.ColorMatrix1.IsSet = P.ForwardMatrix1.IsSet = true;
  P.SetHueSatMap(1, RampTable(6, 3, 2));
  P.SetHueSatMap(2, RampTable(6, 3, 2));
  P.LookTable = RampTable(4, 2, 3);
  P.LookTableEncoding = 1;
  P.ToneCurve = std::make_unique<TDNGHVTable>(8);
  P.ToneCurve->SetACR3Curve();
  P.DefaultBlackRender = 1;
  P.BaselineExposureOffsetNum = -1;
  P.BaselineExposureOffsetDen = 4;
  return P;
}

TEST_F(DNGProfile, RoundTrip) {
  const TDNGCameraProfile P = FullProfile();
  const std::string File = Dir.File("full.dcp");
  ASSERT_TRUE(P.SaveToFile(File));
  TDNGCameraProfile R;
  ASSERT_TRUE(R.LoadFromFile(File));
  EXPECT_TRUE(R.Errors.empty());
  for (const std::string& L : R.Log) EXPECT_EQ(L.find("INVALID"), std::string::npos) << L;
  EXPECT_EQ(R.UniqueCameraModel, "Maker Cam");
  EXPECT_EQ(R.ProfileName, "Look");
  EXPECT_EQ(R.CalibrationIlluminant2, 21);
  EXPECT_EQ(R.ColorPlanes, 3);
  EXPECT_DOUBLE_EQ(R.ColorMatrix1.Values[8], 0.5);
  ASSERT_TRUE(R.HueSatMap1 && R.HueSatMap2 && R.LookTable && R.ToneCurve);
  EXPECT_EQ(R.HueSatMap2->Entries.size(), 36u);
  EXPECT_FLOAT_EQ(R.LookTable->Entries[23].SatScale, P.LookTable->Entries[23].SatScale);
  EXPECT_EQ(R.LookTableEncoding, 1);
  EXPECT_EQ(R.DefaultBlackRender, 1);
  EXPECT_EQ(R.BaselineExposureOffsetNum, -8192);
  EXPECT_EQ(R.BaselineExposureOffsetDen, 32768);
  EXPECT_FLOAT_EQ(R.ToneCurve->GetPoint(7).Y, 1);
  EXPECT_EQ(R.SaveToBytes(), P.SaveToBytes());
}

// A map 2 alone is written with its dimensions and reads back.
TEST_F(DNGProfile, SecondMapAloneKeepsItsDims) {
  TDNGCameraProfile P;
  P.UniqueCameraModel = "Cam";
  P.SetHueSatMap(2, RampTable(5, 2, 1));
  const std::string File = Dir.File("map2.dcp");
  ASSERT_TRUE(P.SaveToFile(File));
  TDNGCameraProfile R;
  ASSERT_TRUE(R.LoadFromFile(File));
  EXPECT_FALSE(R.HueSatMap1);
  ASSERT_TRUE(R.HueSatMap2);
  EXPECT_EQ(R.HueSatMap2->HueDivisions, 5);
  EXPECT_FLOAT_EQ(R.HueSatMap2->Entries[9].ValScale, P.HueSatMap2->Entries[9].ValScale);
}

TEST_F(DNGProfile, HeaderErrors) {
  const struct {
    std::vector<uint8_t> Bytes;
    const char* Error;
  } Cases[] = {
      {{'G', 'I', 'F', '8', '9', 'a', 0, 0}, "BO: 00004947"},
      {{'I', 'I', 42, 0, 8, 0, 0, 0}, "MN: 0000002A"},
  };
  for (const auto& C : Cases) {
    const std::string File = Dir.File("bad.dcp");
    testing::WriteBytes(File, C.Bytes);
    TDNGCameraProfile P;
    EXPECT_FALSE(P.LoadFromFile(File));
    ASSERT_EQ(P.Errors.size(), 1u);
    EXPECT_EQ(P.Errors[0], C.Error);
  }
}

// A big-endian file with a skipped saturation column and tag problems.
TEST_F(DNGProfile, BigEndianSkipSat0AndTagLog) {
  TDNGFileStream S;
  S.SetBigEndian(true);
  StartIFD(S, 6);
  S.WriteStringTag(0, 50708, "Big Cam");
  TDNGMatrix M;
  M.Values[0] = 0.25;
  S.WriteMatrixTag(0, 50721, M);
  S.WriteTag(0, 50722, ttSRational, 6, 0);  // six values: data follows
  for (int i = 0; i < 6; ++i) S.WriteRational(1, 2);
  // HSV dims with two values (V = 1), then 90 x 29 x 1 x 3 floats.
  if (!S.WriteTag(0, 50937, ttLong, 2, 0)) {
    S.WriteLong(90);
    S.WriteLong(30);
  }
  if (!S.WriteTag(0, 50938, ttFloat, 90 * 29 * 3, 0))
    for (int i = 0; i < 90 * 29; ++i) {
      S.WriteFloat(5);
      S.WriteFloat(1.5f);
      S.WriteFloat(0.5f);
    }
  S.WriteTag(0, 1234, ttShort, 1, 0);
  const std::string File = Dir.File("big.dcp");
  ASSERT_TRUE(S.SaveToFile(File));
  TDNGCameraProfile P;
  ASSERT_TRUE(P.LoadFromFile(File));
  EXPECT_TRUE(P.BigEndianFile);
  EXPECT_EQ(P.UniqueCameraModel, "Big Cam");
  EXPECT_DOUBLE_EQ(P.ColorMatrix1.Values[0], 0.25);
  EXPECT_EQ(P.Log[2], "Matrix (50722): INVALID COUNT 3");
  EXPECT_TRUE(P.ColorMatrix2.IsSet);
  EXPECT_EQ(P.Log[3], "HSV dims: H = 90 S = 30 V = 1");
  EXPECT_EQ(P.Log.back(), "Unknown tag: 1234");
  ASSERT_TRUE(P.HueSatMap1);
  EXPECT_TRUE(P.HueSatMap1->SkipSat0);
  ASSERT_EQ(P.HueSatMap1->Entries.size(), 2700u);
  EXPECT_FLOAT_EQ(P.HueSatMap1->GetEntryPtr(3, 0, 0).SatScale, 1);
  EXPECT_FLOAT_EQ(P.HueSatMap1->GetEntryPtr(3, 1, 0).SatScale, 1.5f);
}

// Every truncation and many single-byte changes of a valid profile load or
// fail without a fault; announced sizes beyond the file are refused.
TEST_F(DNGProfile, HostileFilesFailCleanly) {
  const std::string Good = FullProfile().SaveToBytes();
  const std::string File = Dir.File("hostile.dcp");
  auto Load = [&](const std::string& Bytes, TDNGCameraProfile& P) {
    testing::WriteBytes(File, std::vector<uint8_t>(Bytes.begin(), Bytes.end()));
    const bool Ok = P.LoadFromFile(File);
    for (TDNGHSVTable* T : {P.HueSatMap1.get(), P.HueSatMap2.get(), P.LookTable.get()})
      if (Ok && T != nullptr) EXPECT_TRUE(T->IsFull());
    return Ok;
  };
  auto LoadAny = [&](const std::string& Bytes) {
    TDNGCameraProfile P;
    Load(Bytes, P);
  };
  for (std::size_t N = 0; N < Good.size(); N += (N < 400 ? 1 : 97)) LoadAny(Good.substr(0, N));
  {  // Cut inside the look table's data: that table is refused, the rest reads.
    TDNGCameraProfile P;
    EXPECT_TRUE(Load(Good.substr(0, Good.size() - 100), P));
    EXPECT_FALSE(P.LookTable);
    EXPECT_TRUE(P.HueSatMap2);
    EXPECT_NE(std::find(P.Log.begin(), P.Log.end(), "Tag 50982: DATA OUTSIDE FILE"), P.Log.end());
  }
  uint32_t Seed = 12345;
  for (int i = 0; i < 3000; ++i) {
    std::string Bad = Good;
    Seed = Seed * 1103515245 + 12345;
    const std::size_t At = (Seed >> 8) % std::min<std::size_t>(Bad.size(), 400);
    Bad[At] = static_cast<char>(Seed >> 24);
    LoadAny(Bad);
  }
  // Enormous dims and offsets.
  TDNGFileStream S;
  StartIFD(S, 3);
  if (!S.WriteTag(0, 50937, ttLong, 3, 0))
    for (int i = 0; i < 3; ++i) S.WriteLong(0x7FFFFFFF);
  S.WriteTag(0, 50938, ttFloat, 0xFFFFFFFF, 0x10);
  S.WriteTag(0, 50940, ttFloat, 0x40000000, 0xFFFFFF00);
  TDNGCameraProfile P;
  testing::WriteBytes(File, StreamBytes(S));
  EXPECT_TRUE(P.LoadFromFile(File));
  EXPECT_FALSE(P.HueSatMap1);
  EXPECT_FALSE(P.ToneCurve);
  EXPECT_EQ(P.Log[1], "Tag 50938: DATA OUTSIDE FILE");
  // A map whose data would be at offset 0, the header: no map, rather
  // than an empty one.
  TDNGFileStream Z;
  StartIFD(Z, 2);
  if (!Z.WriteTag(0, 50937, ttLong, 3, 0))
    for (uint32_t D : {3u, 2u, 2u}) Z.WriteLong(D);
  Z.WriteTag(0, 50938, ttFloat, 3 * 2 * 2 * 3, 0);
  for (int i = 0; i < 64; ++i) Z.WriteLong(0);
  std::vector<uint8_t> AtZeroBytes = StreamBytes(Z);
  std::fill_n(AtZeroBytes.begin() + 10 + 12 + 8, 4, 0);  // the second entry's data offset
  TDNGCameraProfile AtZero;
  testing::WriteBytes(File, AtZeroBytes);
  EXPECT_TRUE(AtZero.LoadFromFile(File));
  EXPECT_FALSE(AtZero.HueSatMap1);
}

// ExifTool names the tags of our profile.
TEST_F(DNGProfile, ExiftoolListsTags) {
  if (!testing::ProgramAvailable("exiftool")) GTEST_SKIP() << "exiftool not found";
  const std::string File = Dir.File("tool.dcp");
  ASSERT_TRUE(FullProfile().SaveToFile(File));
  const std::string Out = Dir.File("tool.txt");
  ASSERT_EQ(testing::RunProgram({"exiftool", "-a", "-u", "-s", File}, Out, false), 0);
  const std::string Text = testing::ReadText(Out);
  for (const char* Name : {"UniqueCameraModel", "ColorMatrix1", "CalibrationIlluminant1", "ProfileName",
                           "ProfileHueSatMapDims", "ProfileHueSatMapData1", "ProfileToneCurve",
                           "ProfileEmbedPolicy", "ProfileCopyright", "ForwardMatrix1",
                           "ProfileLookTableDims", "ProfileLookTableData", "ProfileLookTableEncoding",
                           "BaselineExposureOffset", "DefaultBlackRender"})
    EXPECT_NE(Text.find(Name), std::string::npos) << Name << "\n" << Text;
  EXPECT_NE(Text.find("Maker Cam"), std::string::npos);
  EXPECT_NE(Text.find("0.3 0.4 0.5"), std::string::npos) << Text;  // ColorMatrix1 row 2
}

}  // namespace
}  // namespace kromel
