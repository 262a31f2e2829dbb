// Each binary LUT format read back by its own reader: what the writer put
// in comes out, and writing the result again gives the same bytes.
#include <cmath>
#include <string>

#include "lut/lut.h"
#include "lut/lut_chunks.h"
#include "lut_test_support.h"
#include "support/temp_dir.h"

namespace kromel {
namespace {

using test::Hash01;
using test::LutTest;

struct TShape {
  const char* What;
  int32_t NR, NG, NB;
};

const TShape Shapes[] = {
    {"cubic 2", 2, 2, 2}, {"cubic 17", 17, 17, 17}, {"non-cubic 3x5x7", 3, 5, 7}};

// Planes of the shape with distinct values, a few of them outside 0..1.
void MakeShape(T3DLut& Lut, const TShape& S) {
  const bool Cubic = S.NR == S.NG && S.NR == S.NB;
  ASSERT_TRUE(Cubic ? Lut.SetSize(S.NR) : Lut.SetLevels(S.NR, S.NG, S.NB));
  for (int32_t k = 0; k < Lut.Count; ++k) {
    Lut.R[k] = Hash01(3 * k) * 1.2f - 0.1f;
    Lut.G[k] = Hash01(3 * k + 1);
    Lut.B[k] = Hash01(3 * k + 2);
  }
  Lut.Name = "Teal & orange";
}

void ExpectSameShape(const T3DLut& A, const T3DLut& B, const char* What) {
  EXPECT_EQ(A.NLRH, B.NLRH) << What;
  EXPECT_EQ(A.NLGS, B.NLGS) << What;
  EXPECT_EQ(A.NLBL, B.NLBL) << What;
  EXPECT_EQ(A.Size, B.Size) << What;
  EXPECT_EQ(A.NonCubic, B.NonCubic) << What;
  EXPECT_EQ(A.Count, B.Count) << What;
}

class LutFormatPairTest : public LutTest {
 protected:
  testing::TTestTempDir Dir{"kromel_lut_format_pairs"};
};

TEST_F(LutFormatPairTest, FullChunkRoundTrip) {
  for (const TShape& S : Shapes) {
    T3DLut Lut;
    MakeShape(Lut, S);
    Lut.Preset = std::make_unique<TMemoryStream>(std::string("preset\0bytes", 12));
    TMemoryStream First;
    ASSERT_TRUE(WriteLut3DChunk(First, Lut, true)) << S.What;
    First.SetPosition(0);
    T3DLut Back;
    bool Changed = false;
    ASSERT_TRUE(ReadLut3DChunk(First, Back, Changed)) << S.What;
    EXPECT_TRUE(Changed) << S.What;
    EXPECT_EQ(First.Position(), First.Size()) << S.What;
    ExpectSameShape(Lut, Back, S.What);
    EXPECT_EQ(Back.Name, Lut.Name) << S.What;
    ASSERT_TRUE(Back.Preset) << S.What;
    EXPECT_EQ(Back.Preset->Bytes(), Lut.Preset->Bytes()) << S.What;
    for (int32_t k = 0; k < Lut.Count; ++k) {
      ASSERT_EQ(Back.R[k], Lut.R[k]) << S.What << " node " << k;
      ASSERT_EQ(Back.G[k], Lut.G[k]) << S.What << " node " << k;
      ASSERT_EQ(Back.B[k], Lut.B[k]) << S.What << " node " << k;
    }
    TMemoryStream Again;
    ASSERT_TRUE(WriteLut3DChunk(Again, Back, true)) << S.What;
    EXPECT_EQ(Again.Bytes(), First.Bytes()) << S.What;
    // The same planes again: nothing changed.
    First.SetPosition(0);
    ASSERT_TRUE(ReadLut3DChunk(First, Back, Changed)) << S.What;
    EXPECT_FALSE(Changed) << S.What;
  }
}

TEST_F(LutFormatPairTest, SingleChannelChunkRoundTrip) {
  for (const TShape& S : Shapes) {
    for (const bool Zero : {false, true}) {
      T3DLut Lut;
      MakeShape(Lut, S);
      if (Zero) std::fill_n(Lut.R, Lut.Count, 0.0f);
      TMemoryStream First;
      ASSERT_TRUE(WriteLutSingleChannelChunk(First, Lut)) << S.What;
      First.SetPosition(0);
      T3DLut Back;
      bool Changed = false;
      ASSERT_TRUE(ReadLutSingleChannelChunk(First, Back, Changed)) << S.What;
      EXPECT_EQ(First.Position(), First.Size()) << S.What;
      ExpectSameShape(Lut, Back, S.What);
      EXPECT_EQ(Back.Name, Lut.Name) << S.What;
      for (int32_t k = 0; k < Lut.Count; ++k) ASSERT_EQ(Back.R[k], Lut.R[k]) << S.What;
      TMemoryStream Again;
      ASSERT_TRUE(WriteLutSingleChannelChunk(Again, Back)) << S.What;
      EXPECT_EQ(Again.Bytes(), First.Bytes()) << S.What;
    }
  }
}

TEST_F(LutFormatPairTest, KrsRoundTrip) {
  for (const TShape& S : Shapes) {
    for (const bool EightBit : {true, false}) {
      const float Step = EightBit ? 1.0f / 255 : 1.0f / 65535;
      T3DLut Lut;
      MakeShape(Lut, S);
      TMemoryStream First;
      ASSERT_TRUE(WriteKrsStream(First, Lut, Lut.Name, EightBit)) << S.What;
      First.SetPosition(0);
      T3DLut Back;
      ASSERT_TRUE(ReadKrsStream(First, Back)) << S.What;
      EXPECT_EQ(First.Position(), First.Size()) << S.What;
      ExpectSameShape(Lut, Back, S.What);
      EXPECT_EQ(Back.Name, Lut.Name) << S.What;
      auto Near = [&](float Written, float Read) {
        const float Expected = std::fmin(std::fmax(Written, 0.0f), 1.0f);
        return std::fabs(Read - Expected) <= Step / 2 + 1e-7f;
      };
      for (int32_t k = 0; k < Lut.Count; ++k) {
        ASSERT_TRUE(Near(Lut.R[k], Back.R[k])) << S.What << " node " << k;
        ASSERT_TRUE(Near(Lut.G[k], Back.G[k])) << S.What << " node " << k;
        ASSERT_TRUE(Near(Lut.B[k], Back.B[k])) << S.What << " node " << k;
      }
      TMemoryStream Again;
      ASSERT_TRUE(WriteKrsStream(Again, Back, Back.Name, EightBit)) << S.What;
      EXPECT_EQ(Again.Bytes(), First.Bytes()) << S.What;
      // The file pair writes and reads the same bytes.
      const std::string File = Dir.File(EightBit ? "eight.krs" : "sixteen.krs");
      ASSERT_TRUE(WriteKrsFile(File, Lut, Lut.Name, EightBit)) << S.What;
      T3DLut FromFile;
      ASSERT_TRUE(ReadKrsFile(File, FromFile)) << S.What;
      TMemoryStream Third;
      ASSERT_TRUE(WriteKrsStream(Third, FromFile, FromFile.Name, EightBit)) << S.What;
      EXPECT_EQ(Third.Bytes(), First.Bytes()) << S.What;
    }
  }
}

}  // namespace
}  // namespace kromel
