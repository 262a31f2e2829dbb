#include "fileio/photoshop_action.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "colour/icc_profiles.h"
#include "fileio_test_support.h"
#include "foundation/files.h"
#include "foundation/utf16.h"
#include "lut/lut_edit.h"
#include "lut/lut_file_3dl.h"

namespace kromel {
namespace {

using fileio_test::FileIOTest;
using fileio_test::ReadBytes;

// Reads the action file back field by field; every read is bounds-checked.
class TActionReader {
 public:
  explicit TActionReader(const std::vector<uint8_t>& Bytes) : B(Bytes) {}
  const std::vector<uint8_t>& B;
  size_t Pos = 0;

  uint32_t U8() { return Need(1), B[Pos++]; }
  uint32_t U16() { return (U8() << 8) | U8(); }
  uint32_t U32() { return (U16() << 16) | U16(); }
  std::string Chars(size_t N) {
    Need(N);
    std::string S(B.begin() + static_cast<long>(Pos), B.begin() + static_cast<long>(Pos + N));
    Pos += N;
    return S;
  }
  std::string UString() {
    const uint32_t N = U32();
    std::u16string W;
    for (uint32_t I = 0; I < N; ++I) W += static_cast<char16_t>(U16());
    if (W.empty() || W.back() != 0) throw std::runtime_error("unterminated");
    W.pop_back();
    return Utf16ToUtf8(W);
  }
  std::string Id() {
    const uint32_t N = U32();
    return Chars(N == 0 ? 4 : N);
  }
  std::vector<uint8_t> Data() {
    const uint32_t N = U32();
    Need(N);
    std::vector<uint8_t> D(B.begin() + static_cast<long>(Pos), B.begin() + static_cast<long>(Pos + N));
    Pos += N;
    return D;
  }
  bool AtEnd() const { return Pos == B.size(); }

 private:
  void Need(size_t N) {
    if (Pos + N > B.size()) throw std::runtime_error("past the end");
  }
};

struct TParsedAction {
  std::vector<uint8_t> Profile;
  std::string Text3DL;
  std::string Path, Path2;
};

// Walks the whole file as the action layout says; fails on any mismatch.
void ParseAction(const std::vector<uint8_t>& Bytes, TParsedAction& A) {
  TActionReader R(Bytes);
  ASSERT_EQ(R.U32(), 16u);
  EXPECT_EQ(R.UString(), "KromelAction");
  EXPECT_EQ(R.U8(), 1u);
  ASSERT_EQ(R.U32(), 1u);
  EXPECT_EQ(R.U16(), 0u);
  EXPECT_EQ(R.U8(), 0u);
  EXPECT_EQ(R.U8(), 0u);
  EXPECT_EQ(R.U16(), 0u);
  EXPECT_EQ(R.UString(), "KromelAction");
  EXPECT_EQ(R.U8(), 1u);
  ASSERT_EQ(R.U32(), 1u);
  EXPECT_EQ(R.U8(), 0u);
  EXPECT_EQ(R.U8(), 1u);
  EXPECT_EQ(R.U8(), 0u);
  EXPECT_EQ(R.U8(), 0u);
  EXPECT_EQ(R.Chars(4), "TEXT");
  EXPECT_EQ(R.Chars(R.U32()), "set");
  EXPECT_EQ(R.Chars(R.U32()), "Set");
  ASSERT_EQ(R.U32(), 0xFFFFFFFFu);
  EXPECT_EQ(R.UString(), "Set");
  EXPECT_EQ(R.Id(), "setd");
  ASSERT_EQ(R.U32(), 2u);
  EXPECT_EQ(R.Id(), "null");
  EXPECT_EQ(R.Chars(4), "obj ");
  ASSERT_EQ(R.U32(), 1u);
  EXPECT_EQ(R.Chars(4), "Enmr");
  R.UString();
  EXPECT_EQ(R.Id(), "AdjL");
  EXPECT_EQ(R.Id(), "Ordn");
  EXPECT_EQ(R.Id(), "Trgt");
  EXPECT_EQ(R.Id(), "T   ");
  EXPECT_EQ(R.Chars(4), "Objc");
  EXPECT_EQ(R.UString(), "Color Lookup");
  EXPECT_EQ(R.Id(), "colorLookup");
  ASSERT_EQ(R.U32(), 6u);
  EXPECT_EQ(R.Id(), "lookupType");
  EXPECT_EQ(R.Chars(4), "enum");
  EXPECT_EQ(R.Id(), "colorLookupType");
  EXPECT_EQ(R.Id(), "3DLUT");
  EXPECT_EQ(R.Id(), "Nm  ");
  EXPECT_EQ(R.Chars(4), "TEXT");
  A.Path = R.UString();
  EXPECT_EQ(R.Id(), "profile");
  EXPECT_EQ(R.Chars(4), "tdta");
  A.Profile = R.Data();
  EXPECT_EQ(R.Id(), "LUTFormat");
  EXPECT_EQ(R.Chars(4), "enum");
  EXPECT_EQ(R.Id(), "LUTFormatType");
  EXPECT_EQ(R.Id(), "LUTFormat3DL");
  EXPECT_EQ(R.Id(), "LUT3DFileData");
  EXPECT_EQ(R.Chars(4), "tdta");
  const std::vector<uint8_t> Text = R.Data();
  A.Text3DL.assign(Text.begin(), Text.end());
  EXPECT_EQ(R.Id(), "LUT3DFileName");
  EXPECT_EQ(R.Chars(4), "TEXT");
  A.Path2 = R.UString();
  EXPECT_TRUE(R.AtEnd());
}

uint32_t Word(const std::vector<uint8_t>& P, size_t Offset) {
  return (static_cast<uint32_t>(P[Offset]) << 8) | P[Offset + 1];
}
// CLUT entry (r, g, b), channel c: red slowest, blue fastest.
uint32_t ClutWord(const std::vector<uint8_t>& P, int r, int g, int b, int c) {
  return Word(P, 656 + 6 * static_cast<size_t>((r * 25 + g) * 25 + b) + 2 * static_cast<size_t>(c));
}

// A smooth, non-trivial look with some values outside 0..1.
void MakeLook(T3DLut& Lut) {
  ASSERT_TRUE(Lut.SetSize(25));
  Lut.SetDefault();
  for (int32_t I = 0; I < Lut.Count; ++I) {
    const float r = Lut.R[I], g = Lut.G[I], b = Lut.B[I];
    Lut.R[I] = std::pow(r, 0.8f) * 0.9f + 0.1f * b;
    Lut.G[I] = 0.2f + 0.7f * g;
    Lut.B[I] = 1.3f * b - 0.1f;
  }
}

class PhotoshopActionTest : public FileIOTest {};

TEST_F(PhotoshopActionTest, OtherSizesAreRefusedAndNothingIsWritten) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetSize(33));
  Lut.SetDefault();
  const std::string Name = File("a.atn");
  EXPECT_FALSE(SaveToAction(Lut, Name));
  EXPECT_FALSE(fileio_test::FileThere(Name));
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], "T3DLut.SaveToAction: Not supported LUT size");
  T3DLut Empty;
  EXPECT_FALSE(SaveToAction(Empty, Name));
  EXPECT_FALSE(fileio_test::FileThere(Name));
}

TEST_F(PhotoshopActionTest, IdentityActionLayoutAndClut) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetSize(25));
  Lut.SetDefault();
  const std::string Name = File("identity.atn");
  ASSERT_TRUE(SaveToAction(Lut, Name));
  TParsedAction A;
  ASSERT_NO_FATAL_FAILURE(ParseAction(ReadBytes(Name), A));
  EXPECT_EQ(A.Path, A.Path2);
  const std::vector<uint8_t>& P = A.Profile;
  ASSERT_EQ(P.size(), 94600u);
  EXPECT_EQ(Word(P, 0) << 16 | Word(P, 2), 94600u);
  EXPECT_EQ(std::string(P.begin() + 484, P.begin() + 488), "mAB ");
  EXPECT_EQ(P[484 + 152], 25);
  EXPECT_EQ(P[484 + 168], 2);
  for (int r = 0; r < 25; ++r)
    for (int g = 0; g < 25; g += 3)
      for (int b = 0; b < 25; b += 5) {
        auto Expected = [](int i) {
          return static_cast<uint32_t>(std::nearbyint(static_cast<float>(i) / 24.0f * 65535.0f));
        };
        ASSERT_EQ(ClutWord(P, r, g, b, 0), Expected(r));
        ASSERT_EQ(ClutWord(P, r, g, b, 1), Expected(g));
        ASSERT_EQ(ClutWord(P, r, g, b, 2), Expected(b));
      }
  EXPECT_EQ(ClutWord(P, 12, 7, 3, 0), 32768u);  // 32767.5 goes to the even neighbour
  // A curves: 25 entries, 0, 2755, 5445, 8200 ... 62780, 65535.
  const size_t A0 = 484 + 93924;
  EXPECT_EQ(std::string(P.begin() + static_cast<long>(A0), P.begin() + static_cast<long>(A0) + 4), "curv");
  EXPECT_EQ(Word(P, A0 + 10), 25u);
  const uint32_t Firsts[4] = {0, 2755, 5445, 8200};
  for (size_t I = 0; I < 4; ++I) EXPECT_EQ(Word(P, A0 + 12 + 2 * I), Firsts[I]);
  EXPECT_EQ(Word(P, A0 + 12 + 2 * 23), 62780u);
  EXPECT_EQ(Word(P, A0 + 12 + 2 * 24), 65535u);
  EXPECT_TRUE(Errors().empty());
}

// The profile and the 3DL text carry the same LUT; values beyond 0..1 are
// limited, not wrapped.
TEST_F(PhotoshopActionTest, ProfileAnd3DLTextHoldTheSameLut) {
  T3DLut Lut;
  MakeLook(Lut);
  const std::string Name = File("look.atn");
  ASSERT_TRUE(SaveToAction(Lut, Name));
  TParsedAction A;
  ASSERT_NO_FATAL_FAILURE(ParseAction(ReadBytes(Name), A));

  const std::string TextFile = File("embedded.3dl");
  ASSERT_TRUE(SaveStringToFile(TextFile, A.Text3DL));
  T3DLut FromText;
  ASSERT_TRUE(LoadFrom3DL(&FromText, TextFile, true));
  ASSERT_EQ(FromText.Size, 25);
  for (int r = 0; r < 25; ++r)
    for (int g = 0; g < 25; ++g)
      for (int b = 0; b < 25; ++b) {
        const size_t K = static_cast<size_t>(r + 25 * (g + 25 * b));
        const float* Planes[3] = {FromText.R, FromText.G, FromText.B};
        for (int c = 0; c < 3; ++c) {
          const float FromProfile = static_cast<float>(ClutWord(A.Profile, r, g, b, c)) / 65535.0f;
          ASSERT_NEAR(Planes[c][K], FromProfile, 1.0f / 4095) << r << " " << g << " " << b;
        }
      }
  // Blue 1.3 b - 0.1: below 0 at b = 0, above 1 at b = 24.
  EXPECT_EQ(ClutWord(A.Profile, 3, 4, 0, 2), 0u);
  EXPECT_EQ(ClutWord(A.Profile, 3, 4, 24, 2), 65535u);
  EXPECT_EQ(ClutWord(A.Profile, 3, 4, 23, 2), 65535u);
  EXPECT_EQ(FromText.B[static_cast<size_t>(3 + 25 * (4 + 25 * 24))], 1.0f);
  EXPECT_EQ(FromText.B[static_cast<size_t>(3 + 25 * 4)], 0.0f);
}

TEST_F(PhotoshopActionTest, EmbeddedProfileOpensAndTransformsInLittleCMS) {
  T3DLut Lut;
  MakeLook(Lut);
  Clamp(Lut);
  const std::vector<uint8_t> Profile = BuildActionICCProfile(Lut);
  ASSERT_EQ(Profile.size(), 94600u);
  cmsHPROFILE H = OpenProfileFromBytes(Profile.data(), Profile.size());
  ASSERT_NE(H, nullptr);
  EXPECT_EQ(cmsGetDeviceClass(H), cmsSigLinkClass);
  EXPECT_EQ(cmsGetColorSpace(H), cmsSigRgbData);
  EXPECT_EQ(cmsGetPCS(H), cmsSigRgbData);
  EXPECT_NEAR(cmsGetProfileVersion(H), 4.0, 1e-9);
  struct tm Date = {};
  ASSERT_TRUE(cmsGetHeaderCreationDateTime(H, &Date));
  EXPECT_EQ(Date.tm_year + 1900, 2014);
  EXPECT_EQ(Date.tm_mon + 1, 3);
  EXPECT_EQ(Date.tm_mday, 30);
  EXPECT_EQ(Date.tm_hour, 17);
  EXPECT_EQ(Date.tm_min, 21);
  EXPECT_EQ(Date.tm_sec, 20);
  std::string Description;
  GetProfileDescription(Description, H);
  EXPECT_EQ(Description, "Kromel LUT");
  EXPECT_NE(cmsReadTag(H, cmsSigProfileSequenceDescTag), nullptr);
  EXPECT_NE(cmsReadTag(H, cmsSigCopyrightTag), nullptr);
  cmsHTRANSFORM T = cmsCreateTransform(H, TYPE_RGB_16, nullptr, TYPE_RGB_16, INTENT_PERCEPTUAL,
                                       cmsFLAGS_NOOPTIMIZE);
  ASSERT_NE(T, nullptr);
  for (int r = 0; r < 25; r += 4)
    for (int g = 0; g < 25; g += 6)
      for (int b = 0; b < 25; b += 3) {
        const cmsUInt16Number In[3] = {
            static_cast<cmsUInt16Number>(std::nearbyint(r / 24.0 * 65535)),
            static_cast<cmsUInt16Number>(std::nearbyint(g / 24.0 * 65535)),
            static_cast<cmsUInt16Number>(std::nearbyint(b / 24.0 * 65535))};
        cmsUInt16Number Out[3];
        cmsDoTransform(T, In, Out, 1);
        const size_t K = static_cast<size_t>(r + 25 * (g + 25 * b));
        EXPECT_NEAR(Out[0] / 65535.0, Lut.R[K], 0.01) << r << " " << g << " " << b;
        EXPECT_NEAR(Out[1] / 65535.0, Lut.G[K], 0.01);
        EXPECT_NEAR(Out[2] / 65535.0, Lut.B[K], 0.01);
      }
  cmsDeleteTransform(T);
  cmsCloseProfile(H);
}

TEST_F(PhotoshopActionTest, UnwritableTargetIsReported) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetSize(25));
  Lut.SetDefault();
  EXPECT_FALSE(SaveToAction(Lut, File("missing/folder/a.atn")));
  EXPECT_EQ(Errors().size(), 1u);
}

}  // namespace
}  // namespace kromel
