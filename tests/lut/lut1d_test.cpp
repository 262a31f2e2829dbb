#include <cmath>
#include <fstream>
#include <limits>
#include <string>

#include "images/image32.h"
#include "lut/lut1d.h"
#include "lut_bytes.h"
#include "lut_test_support.h"
#include "support/temp_dir.h"

namespace kromel {
namespace {

using test::F32At;
using test::I32At;
using test::LutMessages;
using test::LutTest;
using test::TBytes;

class Lut1DTest : public LutTest {
 protected:
  static void Identity(T1DLut& Lut, int32_t N) {
    ASSERT_TRUE(Lut.SetSize(N));
    Lut.SetDefault();
  }
  static std::string Snapshot(const T1DLut& Lut) {
    std::string S = Lut.Name + "|" + std::to_string(Lut.Size);
    for (const float* P : {Lut.R, Lut.G, Lut.B})
      if (P != nullptr) S.append(reinterpret_cast<const char*>(P), sizeof(float) * Lut.Size);
    return S;
  }
};

TEST_F(Lut1DTest, LookupClampsAndInterpolates) {
  T1DLut Lut;
  Identity(Lut, 25);
  float R = -0.2f, G = 0.5f, B = 1.3f;
  Lut.ProcessColor1DSingle(R, G, B);
  EXPECT_EQ(R, 0.0f);
  EXPECT_FLOAT_EQ(G, 0.5f);
  EXPECT_EQ(B, 1.0f);

  T1DLut Two;
  ASSERT_TRUE(Two.SetSize(2));
  Two.R[0] = 0, Two.R[1] = 1;
  Two.G[0] = 1, Two.G[1] = 0;
  Two.B[0] = 0, Two.B[1] = 7;  // input 1.0 weighs the last entry fully
  R = 0.25f, G = 0.25f, B = 1.0f;
  Two.ProcessColor1DSingle(R, G, B);
  EXPECT_EQ(R, 0.25f);
  EXPECT_EQ(G, 0.75f);
  EXPECT_EQ(B, 7.0f);

  R = std::numeric_limits<float>::quiet_NaN(), G = 0, B = 0;
  Two.ProcessColor1DSingle(R, G, B);
  EXPECT_EQ(R, 0.0f);
  EXPECT_TRUE(Reported("Exception in T3DLut.ProcessColor1DSingle"));

  T1DLut Empty;
  R = 0.3f;
  Empty.ProcessColor1DSingle(R, G, B);
  EXPECT_EQ(R, 0.3f);
}

TEST_F(Lut1DTest, SizesOutsideTheRangeAreRefused) {
  for (int32_t N : {-1, 0, 1, 65538, 1 << 30}) {
    T1DLut Lut;
    EXPECT_FALSE(Lut.SetSize(N)) << N;
    EXPECT_EQ(Lut.R, nullptr);
    EXPECT_EQ(Lut.Size, 0);
    Lut.SetDefault();  // nothing to fill
  }
}

class Lut1DImageTest : public Lut1DTest {
 protected:
  void SetUp() override {
    Lut1DTest::SetUp();
    Src.Init();
    Dst.Init();
    ASSERT_TRUE(Src.Alloc(4, 1));
    ASSERT_TRUE(Dst.Alloc(4, 1));
    Src.CopyMarginsFrom(1, 2, 3, 4);
    // Curve: every channel maps v to 1 - v.
    ASSERT_TRUE(Lut.SetSize(2));
    for (float* P : {Lut.R, Lut.G, Lut.B}) P[0] = 1, P[1] = 0;
  }
  void TearDown() override {
    Src.Dispose();
    Dst.Dispose();
    Lut1DTest::TearDown();
  }
  static TVPixel32 Px(uint8_t B, uint8_t G, uint8_t R, uint8_t A) {
    TVPixel32 P;
    P.BGRA = {B, G, R, A};
    return P;
  }
  TImage32 Src, Dst;
  T1DLut Lut;
};

TEST_F(Lut1DImageTest, AlphaWeighsTheCurve) {
  Src.Pixels[0] = Px(10, 20, 30, 0);
  Src.Pixels[1] = Px(0, 51, 255, 255);
  Src.Pixels[2] = Px(200, 200, 200, 128);
  Src.Pixels[3] = Px(255, 0, 0, 1);
  Lut.ProcessImage(Src, Dst, false);
  EXPECT_EQ(Dst.Pixels[0].Value, Src.Pixels[0].Value);  // alpha 0: all four bytes
  EXPECT_EQ(Dst.Pixels[1].BGRA.B, 255);
  EXPECT_EQ(Dst.Pixels[1].BGRA.G, 204);
  EXPECT_EQ(Dst.Pixels[1].BGRA.R, 0);
  EXPECT_EQ(Dst.Pixels[1].BGRA.A, 255);
  // 127 * v + 128 * (1 - v) with v = 200/255.
  const float V = static_cast<float>(200 / 255.0);
  const uint8_t Mixed = static_cast<uint8_t>(std::nearbyint(127 * V + 128 * (1 - V)));
  EXPECT_EQ(Dst.Pixels[2].BGRA.R, Mixed);
  EXPECT_EQ(Dst.Pixels[2].BGRA.A, 128);
  EXPECT_EQ(Dst.MarginLeft, 1);
  EXPECT_EQ(Dst.MarginBottom, 4);
}

TEST_F(Lut1DImageTest, DitherSkipsFullChannelsAndInPlaceWorks) {
  for (int i = 0; i < 4; ++i) Src.Pixels[i] = Px(255, 255, 255, 255);
  for (float* P : {Lut.R, Lut.G, Lut.B}) P[0] = 0, P[1] = 1;
  for (int Round = 0; Round < 20; ++Round) {
    Lut.ProcessImage(Src, Src, true);
    for (int i = 0; i < 4; ++i) ASSERT_EQ(Src.Pixels[i].Value, Px(255, 255, 255, 255).Value);
  }
}

TEST_F(Lut1DImageTest, SmallerSourceIsRefused) {
  TImage32 Small;
  ASSERT_TRUE(Small.Alloc(2, 1));
  for (int i = 0; i < 4; ++i) Dst.Pixels[i] = Px(1, 2, 3, 4);
  Lut.ProcessImage(Small, Dst, false);
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Dst.Pixels[3].Value, Px(1, 2, 3, 4).Value);
}

// --- "1DLB" ---

TEST_F(Lut1DTest, ChunkLayout) {
  T1DLut Lut;
  Identity(Lut, 3);
  Lut.Name = "ab";
  Lut.B[2] = 0.75f;
  TMemoryStream Out;
  ASSERT_TRUE(Lut.SaveToStream(Out));
  const std::string S = Out.Bytes();
  ASSERT_EQ(S.size(), 60u);
  EXPECT_EQ(S.substr(0, 4), "1DLB");
  EXPECT_EQ(I32At(S, 4), 56);
  EXPECT_EQ(I32At(S, 8), 3);
  EXPECT_EQ(I32At(S, 12), 1);
  EXPECT_EQ(I32At(S, 16), 2);
  EXPECT_EQ(S.substr(20, 4), std::string("a\0b\0", 4));
  EXPECT_EQ(F32At(S, 24 + 4), 0.5f);       // R[1]
  EXPECT_EQ(F32At(S, 24 + 12 + 8), 1.0f);  // G[2]
  EXPECT_EQ(F32At(S, 24 + 24 + 8), 0.75f); // B[2]

  T1DLut Back;
  bool Changed = false;
  TMemoryStream In(S);
  ASSERT_TRUE(Back.LoadFromStream(In, Changed));
  EXPECT_TRUE(Changed);
  EXPECT_EQ(Snapshot(Back), Snapshot(Lut));
  EXPECT_EQ(In.Position(), 60);
}

TEST_F(Lut1DTest, ChunkWithoutPlanes) {
  T1DLut Lut;
  Lut.Name = "c";
  TMemoryStream Out;
  ASSERT_TRUE(Lut.SaveToStream(Out));
  const std::string S = Out.Bytes();
  ASSERT_EQ(S.size(), 22u);
  EXPECT_EQ(I32At(S, 4), 20);
  EXPECT_EQ(I32At(S, 8), 0);
  EXPECT_EQ(I32At(S, 12), 1);
  T1DLut Back;
  Identity(Back, 4);
  bool Changed;
  TMemoryStream In(S);
  ASSERT_TRUE(Back.LoadFromStream(In, Changed));
  EXPECT_TRUE(Changed);
  EXPECT_EQ(Back.R, nullptr);
  EXPECT_EQ(Back.Name, "c");
}

TEST_F(Lut1DTest, ChangedAndWrongMagic) {
  T1DLut Lut;
  Identity(Lut, 5);
  int Fired = 0;
  Lut.OnChange = [&](TLut*) { ++Fired; };
  TMemoryStream Same;
  ASSERT_TRUE(Lut.SaveToStream(Same));
  Same.SetPosition(0);
  bool Changed = true;
  ASSERT_TRUE(Lut.LoadFromStream(Same, Changed));
  EXPECT_FALSE(Changed);
  EXPECT_EQ(Fired, 0);

  T1DLut Other;
  Identity(Other, 5);
  Other.B[2] = 0.1f;
  TMemoryStream Changes;
  ASSERT_TRUE(Other.SaveToStream(Changes));
  Changes.SetPosition(0);
  ASSERT_TRUE(Lut.LoadFromStream(Changes, Changed));
  EXPECT_TRUE(Changed);
  EXPECT_EQ(Fired, 1);

  TMemoryStream Wrong("3DLB....");
  EXPECT_FALSE(Lut.LoadFromStream(Wrong, Changed));
  EXPECT_EQ(Wrong.Position(), 0);
  EXPECT_TRUE(Reported("Error loading T1DLUT from stream!"));
  EXPECT_EQ(Lut.R, nullptr);
}

// A chunk whose block size is 12 * N^3 + 4 carries no version field.
TEST_F(Lut1DTest, VersionlessChunkReads) {
  TBytes B;
  B.Raw("1DLB").I32(12 * 8 + 4).I32(2).Name("v");
  for (float V : {0.0f, 1.0f, 1.0f, 0.0f, 0.25f, 0.5f}) B.F32(V);
  T1DLut Lut;
  bool Changed;
  TMemoryStream In(B.S);
  ASSERT_TRUE(Lut.LoadFromStream(In, Changed));
  EXPECT_EQ(Lut.Size, 2);
  EXPECT_EQ(Lut.G[0], 1.0f);
  EXPECT_EQ(Lut.B[1], 0.5f);
  EXPECT_EQ(Lut.Name, "v");
}

TEST_F(Lut1DTest, HostileChunksFailCleanly) {
  auto Head = [](int64_t N) {
    TBytes B;
    B.Raw("1DLB").I32(12 * N + 20).I32(N).I32(1);
    return B;
  };
  const struct {
    const char* What;
    std::string Bytes;
  } Cases[] = {
      {"huge count", Head(1000000000).Name("").S},
      {"negative count", Head(-3).Name("").Raw(std::string(64, 0)).S},
      {"one entry", Head(1).Name("").Raw(std::string(12, 0)).S},
      {"count above 65537", Head(65538).Name("").S},
      {"curves cut short", Head(3).Name("").Raw(std::string(35, 0)).S},
      {"name length 255", Head(2).I32(255).Raw(std::string(30, 0)).S},
      {"name length -1", Head(2).I32(-1).Raw(std::string(30, 0)).S},
      {"header cut short", TBytes().Raw("1DLB").I32(56).S},
  };
  for (const auto& C : Cases) {
    LutMessages().clear();
    T1DLut Lut;
    Identity(Lut, 4);
    Lut.Name = "kept";
    const std::string Before = Snapshot(Lut);
    TMemoryStream In(C.Bytes);
    bool Changed = true;
    EXPECT_FALSE(Lut.LoadFromStream(In, Changed)) << C.What;
    EXPECT_FALSE(Changed) << C.What;
    EXPECT_EQ(In.Position(), 0) << C.What;
    EXPECT_EQ(Snapshot(Lut), Before) << C.What;
    EXPECT_EQ(Messages().size(), 1u) << C.What;
  }
}

// --- One-dimensional CUBE files ---

class Cube1DTest : public Lut1DTest {
 protected:
  std::string Write(const std::string& Name, const std::string& Text) {
    const std::string File = Dir.File(Name);
    std::ofstream(File, std::ios::binary) << Text;
    return File;
  }
  testing::TTestTempDir Dir{"kromel_lut_cube1d"};
};

TEST_F(Cube1DTest, ReaderToleranceTable) {
  const struct {
    const char* What;
    std::string Text;
  } Cases[] = {
      {"single blanks and comment",
       "TITLE \"t\"\n# note\nLUT_1D_SIZE 3\n0.1 0.2 0.3 # first\n0.4 0.5 0.6\n1 1 1\n"},
      {"tabs", "LUT_1D_SIZE 3\n0.1\t0.2\t0.3\n0.4\t0.5\t0.6\n1\t1\t1\n"},
      {"leading and doubled blanks", "LUT_1D_SIZE 3\n  0.1  0.2   0.3\n 0.4 0.5 0.6\n1 1  1\n"},
      {"CR LF and exponents", "lut_1d_size 3\r\n1e-1 2E-1 3e-1\r\n0.4 0.5 0.6\r\n1 1 1\r\n"},
      {"domain lines and blanks",
       "LUT_1D_SIZE 3 \nDOMAIN_MIN 0 0 0\nDOMAIN_MAX 1 1 1\n\nLUT_1D_INPUT_RANGE 0 1\n"
       "0.1 0.2 0.3\n\n0.4 0.5 0.6\n1 1 1"},
      {"title after the size line", "LUT_1D_SIZE 3\nTITLE \"late\"\n0.1 0.2 0.3\n0.4 0.5 0.6\n1 1 1\n"},
  };
  for (const auto& C : Cases) {
    T1DLut Lut;
    const std::string File = Write("t.cube", C.Text);
    ASSERT_TRUE(Lut.LoadFromCube(File, true)) << C.What;
    ASSERT_EQ(Lut.Size, 3) << C.What;
    EXPECT_FLOAT_EQ(Lut.R[0], 0.1f) << C.What;
    EXPECT_FLOAT_EQ(Lut.G[0], 0.2f) << C.What;
    EXPECT_FLOAT_EQ(Lut.B[0], 0.3f) << C.What;
    EXPECT_FLOAT_EQ(Lut.G[1], 0.5f) << C.What;
    EXPECT_EQ(Lut.B[2], 1.0f) << C.What;
    EXPECT_EQ(Lut.Name, File) << C.What;
  }
  EXPECT_TRUE(Messages().empty());
}

// A lone value is every channel's; a domain other than 0..1 and a value
// that does not read as a number are refused, the LUT left as it was.
TEST_F(Cube1DTest, NodeValuesAndDomain) {
  T1DLut Lut;
  ASSERT_TRUE(Lut.LoadFromCube(Write("one.cube", "LUT_1D_SIZE 2\n0.25\n1 1 1\n"), true));
  EXPECT_EQ(Lut.R[0], 0.25f);
  EXPECT_EQ(Lut.G[0], 0.25f);
  EXPECT_EQ(Lut.B[0], 0.25f);

  const std::string Domain = "Cube Import error, only an input domain of 0..1 is supported: ";
  const struct {
    const char* What;
    std::string Text;
    std::string Message;  // followed by the file name, then Note
    std::string Note;
  } Cases[] = {
      {"domain 0..2", "LUT_1D_SIZE 2\nDOMAIN_MIN 0 0 0\nDOMAIN_MAX 2 2 2\n0 0 0\n1 1 1\n", Domain,
       ""},
      {"domain after the nodes", "LUT_1D_SIZE 2\n0 0 0\n1 1 1\nDOMAIN_MIN -1 0 0\n", Domain, ""},
      {"input range", "LUT_1D_INPUT_RANGE 0 4095\nLUT_1D_SIZE 2\n0 0 0\n1 1 1\n", Domain, ""},
      {"decimal comma", "LUT_1D_SIZE 2\n0 0 0\n0,5 0,5 0,5\n", "1D CUBE Import - Corrupt file: ",
       "\nLine 3: 0,5 0,5 0,5"},
      {"two values", "LUT_1D_SIZE 2\n0 0\n1 1 1\n", "1D CUBE Import - Corrupt file: ",
       "\nLine 2: 0 0"},
      {"text after a number", "LUT_1D_SIZE 2\n0 0 0\n1 1x 1\n", "1D CUBE Import - Corrupt file: ",
       "\nLine 3: 1 1x 1"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    ASSERT_TRUE(Lut.SetSize(4));
    Lut.SetDefault();
    const std::string Before = Snapshot(Lut);
    LutMessages().clear();
    const std::string File = Write("bad.cube", C.Text);
    EXPECT_FALSE(Lut.LoadFromCube(File, true));
    EXPECT_TRUE(Reported(C.Message + File + C.Note)) << (Messages().empty() ? "" : Messages()[0]);
    EXPECT_EQ(Snapshot(Lut), Before);
  }
}

TEST_F(Cube1DTest, SizeLineTable) {
  const struct {
    const char* What;
    std::string Size;
    const char* Message;  // null: accepted
  } Cases[] = {
      {"one entry", "1", "Cube Import error: LUT_1D_SIZE missing - Corrupt file: "},
      {"text after the number", "4 x", "Cube Import error: LUT_1D_SIZE missing - Corrupt file: "},
      {"negative", "-4", "Cube Import error: LUT_1D_SIZE missing - Corrupt file: "},
      {"too high", "65538", "Cube Import error, LUT_1D_SIZE is too high: "},
      {"far too high", "99999999999999999999", "Cube Import error, LUT_1D_SIZE is too high: "},
      {"largest", "65537", nullptr},
  };
  for (const auto& C : Cases) {
    LutMessages().clear();
    std::string Text = "LUT_1D_SIZE " + C.Size + "\n";
    if (C.Message == nullptr)
      for (int i = 0; i < 65537; ++i) Text += "0.5 0.5 0.5\n";
    const std::string File = Write("s.cube", Text);
    T1DLut Lut;
    EXPECT_EQ(Lut.LoadFromCube(File, true), C.Message == nullptr) << C.What;
    if (C.Message != nullptr) {
      EXPECT_TRUE(Reported(C.Message + File)) << C.What;
      LutMessages().clear();
      EXPECT_FALSE(Lut.LoadFromCube(File, false)) << C.What;
      EXPECT_TRUE(Messages().empty()) << C.What;
    } else {
      EXPECT_EQ(Lut.Size, 65537);
    }
  }
  const std::string NoSize = Write("n.cube", "0.1 0.2 0.3\n");
  T1DLut Lut;
  EXPECT_FALSE(Lut.LoadFromCube(NoSize, true));
  EXPECT_TRUE(Reported("Cube Import error: LUT_1D_SIZE missing - Corrupt file: " + NoSize));
}

TEST_F(Cube1DTest, MissingAndShortFiles) {
  T1DLut Lut;
  ASSERT_TRUE(Lut.SetSize(4));
  Lut.SetDefault();
  const std::string Before = Snapshot(Lut);
  const std::string Missing = Dir.File("none.cube");
  EXPECT_FALSE(Lut.LoadFromCube(Missing, false));
  EXPECT_TRUE(Messages().empty());
  EXPECT_FALSE(Lut.LoadFromCube(Missing, true));
  EXPECT_TRUE(Reported("File not found: " + Missing));

  // Too few entries is reported whatever ShowErrors says; the LUT stays.
  const std::string Short = Write("short.cube", "LUT_1D_SIZE 4\n0 0 0\n0.5 0.5 0.5\n# end\n");
  LutMessages().clear();
  EXPECT_FALSE(Lut.LoadFromCube(Short, false));
  EXPECT_TRUE(Reported("1D CUBE Import - Corrupt file: " + Short));
  EXPECT_EQ(Snapshot(Lut), Before);
}

}  // namespace
}  // namespace kromel
